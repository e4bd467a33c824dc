#include "model/VolumeInfo.h"

namespace tolvex {

std::optional<VolumeInfo> VolumeInfo::from(const std::optional<VolumeResources>& r) {
  if (!r || !r->total || !r->available) return std::nullopt;
  VolumeInfo info;
  info.name = r->name.value_or("Macintosh HD");
  info.total = *r->total;
  info.available = *r->available;
  info.availableForImportantUsage = r->availableForImportantUsage.value_or(*r->available);
  return info;
}

std::optional<VolumeInfo> VolumeInfo::read(const std::string& path) { return from(queryVolume(path)); }

}  // namespace tolvex
