#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::optional<std::string> readWholeFile(const std::string& path, size_t maxBytes) {
  // O_NONBLOCK: opening a FIFO would otherwise wait for a writer; it changes nothing for a file.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    return std::nullopt;
  }
  std::string out;
  out.reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    if (static_cast<size_t>(n) > maxBytes - out.size()) {  // it grew while being read
      ::close(fd);
      return std::nullopt;
    }
    out.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

}  // namespace tolvex
