#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace tolvex {

// The raw capacity figures of the volume holding a path, as the operating system reports them.
struct VolumeResources {
  std::optional<int64_t> total;
  std::optional<int64_t> available;
  std::optional<int64_t> availableForImportantUsage;
  std::optional<std::string> name;
};

// statvfs of `path` plus the volume's name: its filesystem label when /dev/disk/by-label has one,
// else the mount point's last component ("/" gives the device's name). Nothing when statvfs fails.
std::optional<VolumeResources> queryVolume(const std::string& path);

}  // namespace tolvex
