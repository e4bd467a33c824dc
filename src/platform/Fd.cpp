#include "platform/Fd.h"

#include <fcntl.h>

#include <cerrno>

namespace tolvex {

Fd openForReading(const std::string& path) {
  constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
  int fd = ::open(path.c_str(), kFlags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), kFlags);
  return Fd(fd);
}

}  // namespace tolvex
