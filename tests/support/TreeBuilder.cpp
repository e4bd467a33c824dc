#include "support/TreeBuilder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/HomeFolder.h"
#include "platform/Paths.h"

namespace tolvex::test {

namespace {
[[noreturn]] void fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}
}  // namespace

std::string TreeBuilder::folder(const std::string& relative) {
  std::string p = path(relative);
  if (!makeFolders(p)) fail("mkdir", p);
  return p;
}

std::string TreeBuilder::file(const std::string& relative, int64_t length) {
  std::string p = path(relative);
  if (!makeFolders(parentPath(p))) fail("mkdir", parentPath(p));
  int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) fail("open", p);
  std::vector<char> chunk(65536, 'x');
  for (int64_t left = length; left > 0;) {
    auto n = ::write(fd, chunk.data(), static_cast<size_t>(std::min<int64_t>(left, 65536)));
    if (n <= 0) {
      ::close(fd);
      fail("write", p);
    }
    left -= n;
  }
  ::close(fd);
  return p;
}

std::string TreeBuilder::allocatedFile(const std::string& relative, int64_t allocatedBytes, int64_t length) {
  std::string p = path(relative);
  if (!makeFolders(parentPath(p))) fail("mkdir", parentPath(p));
  int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) fail("open", p);
  if (allocatedBytes > 0 && ::fallocate(fd, 0, 0, allocatedBytes) != 0) {
    ::close(fd);
    fail("fallocate", p);
  }
  if (::ftruncate(fd, length < 0 ? allocatedBytes : length) != 0) {
    ::close(fd);
    fail("ftruncate", p);
  }
  ::close(fd);
  if (allocatedSize(p) != allocatedBytes)
    throw std::runtime_error("allocation of " + p + " is " + std::to_string(allocatedSize(p)) + ", not " +
                             std::to_string(allocatedBytes));
  return p;
}

std::string TreeBuilder::hardLink(const std::string& target, const std::string& relative) {
  std::string p = path(relative);
  if (!makeFolders(parentPath(p))) fail("mkdir", parentPath(p));
  if (::link(path(target).c_str(), p.c_str()) != 0) fail("link", p);
  return p;
}

std::string TreeBuilder::symlink(const std::string& target, const std::string& relative) {
  std::string p = path(relative);
  if (!makeFolders(parentPath(p))) fail("mkdir", parentPath(p));
  if (::symlink(target.c_str(), p.c_str()) != 0) fail("symlink", p);
  return p;
}

void TreeBuilder::times(const std::string& relative, double modified, double accessed) {
  std::string p = path(relative);
  auto toTimespec = [](double t) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(t);
    ts.tv_nsec = static_cast<long>((t - static_cast<double>(ts.tv_sec)) * 1e9);
    return ts;
  };
  timespec both[2] = {toTimespec(accessed), toTimespec(modified)};
  if (::utimensat(AT_FDCWD, p.c_str(), both, AT_SYMLINK_NOFOLLOW) != 0) fail("utimensat", p);
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

int64_t allocatedSize(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_blocks) * 512;
}

}  // namespace tolvex::test
