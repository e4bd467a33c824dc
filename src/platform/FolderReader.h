#pragma once
// Reading one folder of a walk: the folder is opened through its parent's descriptor, listed with
// getdents64 in large reads, and each entry is examined with fstatat relative to the folder, never
// following a link. The kernel then resolves one name per entry instead of its whole path.
#include <sys/types.h>
#include <time.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvex {

enum class EntryType : uint8_t { folder, file, symlink, other };

// What lstat tells of an entry, as far as a walk needs it.
struct EntryStat {
  EntryType type = EntryType::other;
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t links = 0;
  int64_t allocated = 0;  // blocks × 512
  int64_t length = 0;     // st_size
  timespec modified{};
  timespec accessed{};
};

// Examines `name` inside the folder `folderFd` (AT_FDCWD: a path) without following a link.
// Returns 0, or the errno.
[[nodiscard]] int statEntry(int folderFd, const char* name, EntryStat& out);

// Opens the folder `name` inside `folderFd` (AT_FDCWD: a path) for listing; a link is refused.
// Returns the descriptor, or -errno.
[[nodiscard]] int openFolder(int folderFd, const char* name);

// One folder's entries with their facts. Reused from folder to folder, so its buffers are made once.
class FolderReader {
 public:
  struct Entry {
    uint32_t nameOffset = 0;  // into the reader's names; each name ends with a NUL byte
    uint32_t nameLength = 0;
    int error = 0;  // 0 when `stat` holds the entry's facts, else the errno of fstatat
    EntryStat stat;
  };

  FolderReader();

  // Lists the open folder `fd` (without "." and "..") in the order the file system gives, then
  // examines each entry. False when the listing failed part way; the entries read before the
  // failure are kept.
  bool read(int fd);

  const std::vector<Entry>& entries() const { return entries_; }
  std::string_view name(const Entry& entry) const { return {names_.data() + entry.nameOffset, entry.nameLength}; }
  const char* cName(const Entry& entry) const { return names_.data() + entry.nameOffset; }

 private:
  // One getdents64 read. Left uninitialised: only what a listing fills is ever touched, so a walk's
  // threads do not each hold the whole buffer in memory.
  std::unique_ptr<char[]> buffer_;
  std::string names_;
  std::vector<Entry> entries_;
};

}  // namespace tolvex
