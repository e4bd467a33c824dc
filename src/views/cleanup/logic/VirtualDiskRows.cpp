#include "views/cleanup/logic/VirtualDiskRows.h"

#include <algorithm>
#include <limits>

namespace tolvex {

int64_t totalVirtualDiskSize(const std::vector<VirtualDisk>& disks) {
  int64_t total = 0;
  for (const VirtualDisk& disk : disks)
    if (__builtin_add_overflow(total, disk.size, &total))
      total = disk.size > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
  return total;
}

bool virtualDiskCanGrow(const VirtualDisk& disk) { return disk.size < disk.capacity; }

double virtualDiskFill(const VirtualDisk& disk) {
  return static_cast<double>(disk.size) / static_cast<double>(std::max<int64_t>(disk.capacity, 1));
}

int virtualDiskListHeight(size_t rows, int naturalHeight) {
  if (rows < kVirtualDiskRowsBeforeCap) return naturalHeight;
  return std::min(naturalHeight, kVirtualDiskListCap);
}

bool virtualDiskCommandCopied(const std::optional<std::string>& copied, const VirtualDisk& disk) {
  return copied && *copied == disk.path;
}

}  // namespace tolvex
