#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Fd.h"
#include "platform/Paths.h"

namespace tolvex {

int writeAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<size_t>(n);
  }
  return 0;
}

int writeFileAtomically(const std::string& path, std::string_view bytes) {
  std::string folder = parentPath(path);
  std::string temp = appendPath(folder, "." + lastPathComponent(path) + ".XXXXXX");
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int error = writeAll(fd, bytes);
  if (!error && fchmod(fd, 0644) != 0) error = errno;
  if (!error && fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && std::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error) {
    ::unlink(temp.c_str());
    return error;
  }
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    ::close(dir);
  }
  return 0;
}

FileRead readRegularFile(const std::string& path, FileLinks links, size_t limit) {
  const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links == FileLinks::refuse ? O_NOFOLLOW : 0);
  Fd fd(::open(path.c_str(), flags));
  if (!fd) return {errno, {}};
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return {errno, {}};
  if (!S_ISREG(st.st_mode)) return {EINVAL, {}};
  if (static_cast<uint64_t>(st.st_size) > limit) return {EFBIG, {}};
  FileRead out;
  out.bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return {errno, {}};
    }
    if (n == 0) break;
    if (out.bytes.size() + static_cast<size_t>(n) > limit) return {EFBIG, {}};  // grew while read
    out.bytes.append(buffer, static_cast<size_t>(n));
  }
  return out;
}

std::optional<std::string> readWholeFile(const std::string& path, FileLinks links, size_t limit) {
  FileRead read = readRegularFile(path, links, limit);
  if (read.error) return std::nullopt;
  return std::move(read.bytes);
}

int sweepTemporaryFiles(const std::string& folder, const std::vector<std::string>& names, double now,
                        double minimumAge) {
  Fd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dirFd) return 0;
  DIR* dir = ::fdopendir(::dup(dirFd.get()));
  if (!dir) return 0;
  std::vector<std::string> stale;
  while (dirent* entry = ::readdir(dir)) {
    const std::string_view entryName = entry->d_name;
    for (const std::string& name : names) {
      const std::string prefix = "." + name + ".";
      if (entryName.size() != prefix.size() + 6 || !entryName.starts_with(prefix)) continue;
      struct stat st {};
      if (::fstatat(dirFd.get(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
      const double changed = static_cast<double>(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec / 1e9;
      if (now - changed > minimumAge) stale.emplace_back(entryName);
    }
  }
  ::closedir(dir);
  int removed = 0;
  for (const std::string& name : stale)
    if (::unlinkat(dirFd.get(), name.c_str(), 0) == 0) ++removed;
  return removed;
}

}  // namespace tolvex
