#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/VolumeQuery.h"

namespace tolvex {

// The capacity figures of a volume.
struct VolumeInfo {
  std::string name;
  int64_t total = 0;
  int64_t available = 0;
  int64_t availableForImportantUsage = 0;
  bool operator==(const VolumeInfo&) const = default;

  // The volume holding `path`, or none when it cannot be asked.
  static std::optional<VolumeInfo> read(const std::string& path);
  // The same from figures already fetched: none without total or available capacity; a missing
  // name is "Macintosh HD", a missing important-usage figure is the available capacity.
  static std::optional<VolumeInfo> from(const std::optional<VolumeResources>& resources);
};

}  // namespace tolvex
