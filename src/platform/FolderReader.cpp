#include "platform/FolderReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace tolvex {

namespace {

constexpr size_t kListingBuffer = size_t{128} << 10;

EntryType typeOf(mode_t mode) {
  if (S_ISDIR(mode)) return EntryType::folder;
  if (S_ISREG(mode)) return EntryType::file;
  if (S_ISLNK(mode)) return EntryType::symlink;
  return EntryType::other;
}

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

int statEntry(int folderFd, const char* name, EntryStat& out) {
  struct stat st;
  if (::fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  out.type = typeOf(st.st_mode);
  out.device = static_cast<uint64_t>(st.st_dev);
  out.inode = static_cast<uint64_t>(st.st_ino);
  out.links = static_cast<uint64_t>(st.st_nlink);
  out.allocated = static_cast<int64_t>(st.st_blocks) * 512;
  out.length = static_cast<int64_t>(st.st_size);
  out.modified = st.st_mtim;
  out.accessed = st.st_atim;
  return 0;
}

int openFolder(int folderFd, const char* name) {
  const int fd = ::openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  return fd >= 0 ? fd : -errno;
}

FolderReader::FolderReader() : buffer_(new char[kListingBuffer]) {}

bool FolderReader::read(int fd) {
  entries_.clear();
  names_.clear();
  bool complete = true;
  for (;;) {
    const ssize_t n = ::getdents64(fd, buffer_.get(), kListingBuffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      complete = false;
      break;
    }
    for (ssize_t at = 0; at < n;) {
      const auto* record = reinterpret_cast<const struct dirent64*>(buffer_.get() + at);
      at += record->d_reclen;
      const char* name = record->d_name;
      if (isDotOrDotDot(name)) continue;
      Entry entry;
      entry.nameOffset = static_cast<uint32_t>(names_.size());
      entry.nameLength = static_cast<uint32_t>(std::strlen(name));
      names_.append(name, entry.nameLength + 1);  // with its NUL
      entries_.push_back(entry);
    }
  }
  for (Entry& entry : entries_) entry.error = statEntry(fd, names_.data() + entry.nameOffset, entry.stat);
  return complete;
}

}  // namespace tolvex
