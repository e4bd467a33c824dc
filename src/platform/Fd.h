#pragma once
// An open file descriptor, closed when it goes out of scope.
#include <unistd.h>

#include <string>

namespace tolvex {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// Opens `path` for reading without following a final link, without waiting on a pipe or a device,
// and without touching its access time where we may (the owner and the administrator; others get
// EPERM for O_NOATIME and open without it). An empty Fd with errno set on failure.
Fd openForReading(const std::string& path);

}  // namespace tolvex
