#pragma once
#include <map>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace tolvex::test {

// Everything about one path that an operation meant to keep a file as it was must keep: its inode,
// type and mode, owner, link count, length, modification and access times, extended attributes and
// its bytes (a link's target for a symbolic link). Read without following a final link and without
// touching the access time.
struct FileState {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
  nlink_t links = 0;
  off_t length = 0;
  int64_t modifiedNs = 0;
  int64_t accessedNs = 0;
  std::map<std::string, std::string> xattrs;
  std::string content;

  bool operator==(const FileState&) const = default;
};

FileState fileState(const std::string& path);

// The names in a folder, sorted.
std::vector<std::string> folderNames(const std::string& path);

// Writes `bytes` to a new file (replacing one), failing loudly.
void writeBytes(const std::string& path, const std::string& bytes);

// `length` bytes that depend on `seed` only (not compressible, not repetitive).
std::string patternBytes(size_t length, unsigned seed);

std::ostream& operator<<(std::ostream& out, const FileState& state);

}  // namespace tolvex::test
