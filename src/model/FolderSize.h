#pragma once
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace tolvex {

struct FolderSize {
  int64_t bytes = 0;  // allocated bytes, folders' own allocations included
  int64_t count = 0;  // entries that are not folders
  // Folders that could not be read and entries that could not be examined: they count zero, so
  // `bytes` is then a lower bound.
  int64_t unreadable = 0;
  bool operator==(const FolderSize&) const = default;
};

// The allocated size and item count of a folder tree, walked without following links and without
// leaving its device; hard-linked files count once. (0, 0) when the walk cannot start.
FolderSize folderSize(const std::string& path);

// The key under which a hard-linked file is remembered: the inode number XOR the device number
// (as an unsigned 32-bit value) shifted left by 48, so only the device's low 16 bits remain.
inline uint64_t hardLinkKey(ino_t inode, dev_t device) {
  return static_cast<uint64_t>(inode) ^ (static_cast<uint64_t>(static_cast<uint32_t>(device)) << 48);
}

}  // namespace tolvex
