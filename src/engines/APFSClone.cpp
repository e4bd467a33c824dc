#include "engines/APFSClone.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "platform/Fd.h"
#include "platform/Dedupe.h"

namespace tolvex {

bool isMostlyShared(int64_t size, int64_t privateBytes) {
  if (size < 40960) return privateBytes < 4096;
  return privateBytes < size / 10;
}

void stripXattrs(const std::string& path) {
  ssize_t length = ::llistxattr(path.c_str(), nullptr, 0);
  if (length < 1) return;
  std::vector<char> names(static_cast<size_t>(length), '\0');
  length = ::llistxattr(path.c_str(), names.data(), names.size());
  if (length < 1) return;
  for (size_t start = 0; start < static_cast<size_t>(length);) {
    size_t end = start;
    while (end < static_cast<size_t>(length) && names[end] != '\0') ++end;
    if (end > start) {
      const std::string name(names.data() + start, end - start);
      ::lremovexattr(path.c_str(), name.c_str());
    }
    start = end + 1;
  }
}

namespace APFSClone {

namespace {

std::string reasonFor(Failure::Kind kind, int32_t code) {
  switch (kind) {
    case Failure::Kind::system: return std::strerror(code);
    case Failure::Kind::notRegularFile: return "Not a regular file.";
    case Failure::Kind::differentVolumes:
      return "The copies are on different disks; space can only be shared within one disk.";
    case Failure::Kind::contentsDiffer: return "The file changed since the scan, so it was left alone.";
    case Failure::Kind::hardLinked: return "The file has hard links, so it was left alone.";
    case Failure::Kind::alreadyShared: return "The copies already share their storage.";
    case Failure::Kind::unsupported: return "This disk doesn't support shared copies (it isn't APFS).";
  }
  return {};
}

// Opens a file examined with lstat for reading, without following a link that took its place, without
// waiting on a pipe or a device, and without touching its access time (where we may: the owner and
// the administrator). The descriptor must name the very file that was examined.
Fd openExamined(const std::string& path, const struct stat& examined) {
  Fd fd = openForReading(path);
  if (!fd) {
    const int error = errno;
    if (error == ELOOP || error == ENOENT || error == ENOTDIR || error == ENXIO) throw Failure::notRegularFile();
    throw Failure::system(error);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) throw Failure::system(errno);
  if (!S_ISREG(st.st_mode)) throw Failure::notRegularFile();
  // Replaced or rewritten between the look and the open.
  if (st.st_dev != examined.st_dev || st.st_ino != examined.st_ino || st.st_size != examined.st_size)
    throw Failure::contentsDiffer();
  return fd;
}

// Reads up to `length` bytes at `offset`, retrying short reads; the count read (less at end of file).
ssize_t readAt(int fd, char* buffer, size_t length, off_t offset) {
  size_t done = 0;
  while (done < length) {
    ssize_t n = ::pread(fd, buffer + done, length - done, offset + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

// True when both open files hold the same bytes; throws `system` on a read error.
bool sameBytes(int first, int second) {
  constexpr size_t kChunk = 1 << 20;
  auto a = std::make_unique<char[]>(kChunk);
  auto b = std::make_unique<char[]>(kChunk);
  for (off_t offset = 0;;) {
    const ssize_t n = readAt(first, a.get(), kChunk, offset);
    if (n < 0) throw Failure::system(errno);
    const ssize_t m = readAt(second, b.get(), kChunk, offset);
    if (m < 0) throw Failure::system(errno);
    if (n != m || std::memcmp(a.get(), b.get(), static_cast<size_t>(n)) != 0) return false;
    if (n == 0) return true;
    offset += n;
  }
}

}  // namespace

Failure::Failure(Kind kind, int32_t code)
    : kind_(kind), code_(kind == Kind::system ? code : 0), reason_(reasonFor(kind, code)) {}

int64_t replaceWithClone(const std::string& duplicate, const std::string& keptCopy) {
  // 1, 2. Both must be regular files, looked at without following links: the kept copy first.
  struct stat kept {
  }, dup{};
  if (::lstat(keptCopy.c_str(), &kept) != 0 || ::lstat(duplicate.c_str(), &dup) != 0) throw Failure::notRegularFile();
  if (!S_ISREG(kept.st_mode) || !S_ISREG(dup.st_mode)) throw Failure::notRegularFile();
  // 3. Storage is shared only within one file system.
  if (kept.st_dev != dup.st_dev) throw Failure::differentVolumes();
  // 4. A duplicate with another name would keep its storage through that name.
  if (dup.st_nlink != 1) throw Failure::hardLinked();
  // 5. Same length, same bytes.
  if (kept.st_size != dup.st_size) throw Failure::contentsDiffer();
  // The same file under two names (or twice the same name) has nothing to give back.
  if (kept.st_ino == dup.st_ino) throw Failure::alreadyShared();
  Fd keptFd = openExamined(keptCopy, kept);
  Fd dupFd = openExamined(duplicate, dup);
  if (!sameBytes(keptFd.get(), dupFd.get())) throw Failure::contentsDiffer();

  // 6. A duplicate that already shares almost all its storage has nothing worth giving back.
  const int64_t allocated = static_cast<int64_t>(dup.st_blocks) * 512;
  int64_t privateBytes = allocated;
  if (auto usage = extentUsage(dupFd.get())) privateBytes = usage->privateBytes;
  if (isMostlyShared(allocated, privateBytes)) throw Failure::alreadyShared();

  // The kernel compares again under its locks and shares only equal bytes; the duplicate's inode,
  // and with it every piece of its metadata, stays as it is.
  const DedupeOutcome outcome = dedupeFileRange(keptFd.get(), dupFd.get(), static_cast<int64_t>(dup.st_size));
  switch (outcome.kind) {
    case DedupeOutcome::Kind::same: return privateBytes;
    case DedupeOutcome::Kind::differs: throw Failure::contentsDiffer();
    case DedupeOutcome::Kind::failed: break;
  }
  // A file that shrank or grew meanwhile makes the range invalid: that is a change, not a limit of
  // the file system.
  struct stat keptNow {
  }, dupNow{};
  if (::fstat(keptFd.get(), &keptNow) != 0 || ::fstat(dupFd.get(), &dupNow) != 0 || keptNow.st_size != kept.st_size ||
      dupNow.st_size != dup.st_size)
    throw Failure::contentsDiffer();
  if (isDedupeUnsupported(outcome.error)) throw Failure::unsupported();
  throw Failure::system(outcome.error);
}

}  // namespace APFSClone

}  // namespace tolvex
