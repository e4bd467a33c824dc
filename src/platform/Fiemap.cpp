#include "platform/Fiemap.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tolvex {

namespace {
constexpr unsigned kExtentsPerCall = 128;
}

std::optional<ExtentUsage> extentUsage(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;

  // struct fiemap ends in a flexible array of extents; keep the buffer 8-byte aligned.
  constexpr size_t kBytes = sizeof(struct fiemap) + kExtentsPerCall * sizeof(struct fiemap_extent);
  std::vector<uint64_t> buffer((kBytes + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  auto* map = reinterpret_cast<struct fiemap*>(buffer.data());

  ExtentUsage usage;
  uint64_t start = 0;
  for (;;) {
    std::fill(buffer.begin(), buffer.end(), 0);
    map->fm_start = start;
    map->fm_length = FIEMAP_MAX_OFFSET - start;
    map->fm_flags = 0;
    map->fm_extent_count = kExtentsPerCall;
    int result;
    do {
      result = ::ioctl(fd, FS_IOC_FIEMAP, map);
    } while (result != 0 && errno == EINTR);
    if (result != 0) return std::nullopt;
    if (map->fm_mapped_extents == 0) break;
    bool last = false;
    uint64_t end = start;
    for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
      const struct fiemap_extent& extent = map->fm_extents[i];
      const auto length = static_cast<int64_t>(extent.fe_length);
      if (extent.fe_flags & FIEMAP_EXTENT_SHARED)
        usage.sharedBytes += length;
      else
        usage.privateBytes += length;
      end = extent.fe_logical + extent.fe_length;
      if (extent.fe_flags & FIEMAP_EXTENT_LAST) last = true;
    }
    // A map that does not move forward would loop for ever; stop rather than trust it.
    if (last || map->fm_mapped_extents < kExtentsPerCall || end <= start) break;
    start = end;
  }
  return usage;
}

std::optional<ExtentUsage> extentUsage(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  auto usage = extentUsage(fd);
  ::close(fd);
  return usage;
}

std::optional<int64_t> privateSize(const std::string& path) {
  auto usage = extentUsage(path);
  if (!usage) return std::nullopt;
  return usage->privateBytes;
}

}  // namespace tolvex
