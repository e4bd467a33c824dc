#include "platform/VolumeQuery.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <mntent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include "platform/Paths.h"

namespace tolvex {

namespace {

// The mount entry (mount point, device) whose mount point is the longest prefix of `path`.
std::pair<std::string, std::string> mountOf(const std::string& path) {
  std::pair<std::string, std::string> best{"/", ""};
  FILE* table = setmntent("/proc/self/mounts", "r");
  if (!table) return best;
  size_t bestLength = 0;
  mntent entry{};
  char buffer[4096];
  while (getmntent_r(table, &entry, buffer, sizeof buffer)) {
    std::string point = entry.mnt_dir;
    if (isSameOrInside(path, point) && point.size() >= bestLength) {
      bestLength = point.size();
      best = {point, entry.mnt_fsname};
    }
  }
  endmntent(table);
  return best;
}

// Labels in /dev/disk/by-label are links to the device; udev escapes spaces as "\x20".
std::optional<std::string> labelOf(dev_t device) {
  DIR* dir = opendir("/dev/disk/by-label");
  if (!dir) return std::nullopt;
  std::optional<std::string> label;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::string link = std::string("/dev/disk/by-label/") + entry->d_name;
    struct stat st {};
    if (stat(link.c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == device) {
      std::string name;
      for (const char* c = entry->d_name; *c; ++c) {
        if (c[0] == '\\' && c[1] == 'x' && c[2] && c[3]) {
          name += static_cast<char>(std::strtol(std::string(c + 2, 2).c_str(), nullptr, 16));
          c += 3;
        } else {
          name += *c;
        }
      }
      label = name;
      break;
    }
  }
  closedir(dir);
  return label;
}

}  // namespace

std::optional<VolumeResources> queryVolume(const std::string& path) {
  struct statvfs vfs {};
  if (statvfs(path.c_str(), &vfs) != 0) return std::nullopt;
  VolumeResources out;
  const auto unit = static_cast<int64_t>(vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize);
  out.total = static_cast<int64_t>(vfs.f_blocks) * unit;
  out.available = static_cast<int64_t>(vfs.f_bavail) * unit;
  out.availableForImportantUsage = out.available;

  char resolved[PATH_MAX];
  std::string real = realpath(path.c_str(), resolved) ? resolved : path;
  auto [point, device] = mountOf(real);
  struct stat st {};
  if (stat(real.c_str(), &st) == 0) out.name = labelOf(st.st_dev);
  if (!out.name) {
    if (point == "/")
      out.name = device.empty() ? "/" : lastPathComponent(device);
    else
      out.name = lastPathComponent(point);
  }
  return out;
}

}  // namespace tolvex
