#pragma once
// What the virtual disks card shows of each disk image, as plain functions. No widgets.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engines/VirtualDisk.h"

namespace tolvex {

// The list of disks scrolls within this height once it holds this many rows; fewer rows take their
// natural height.
inline constexpr int kVirtualDiskListCap = 230;
inline constexpr size_t kVirtualDiskRowsBeforeCap = 3;

// The sum of the disks' sizes (signed 64-bit, held at its limits instead of wrapping).
int64_t totalVirtualDiskSize(const std::vector<VirtualDisk>& disks);

// The image can still grow: it occupies less than it may reach.
bool virtualDiskCanGrow(const VirtualDisk& disk);

// How full the image is: size over the larger of its capacity and 1, as a floating-point share.
double virtualDiskFill(const VirtualDisk& disk);

// The height of the list: its rows' natural height, capped once it holds enough rows to scroll.
int virtualDiskListHeight(size_t rows, int naturalHeight);

// The row's command was the last one copied.
bool virtualDiskCommandCopied(const std::optional<std::string>& copied, const VirtualDisk& disk);

}  // namespace tolvex
