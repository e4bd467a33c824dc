#pragma once
// The figures of the System Data screen, worked out from its parts, its snapshots and the volume.
// No widgets: tested as tables.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/VolumeInfo.h"
#include "system/LocalSnapshot.h"
#include "system/SystemDataPart.h"

namespace tolvex {

// What the volume may free on its own: the space available for important usage beyond the plain
// available space, never below 0. (Where the system reports no purgeable space the two are equal.)
int64_t purgeableBytes(const VolumeInfo& volume);

// The sum of the parts' sizes, never below 0.
int64_t measuredBytes(const std::vector<SystemDataPart>& parts);

// The size every part's bar is measured against: the largest part's (the first), at least 1.
int64_t systemDataBarScale(const std::vector<SystemDataPart>& parts);

// A bar's fill in thousandths (a progress bar takes an int): size / scale clamped to 0…1000.
int barPermille(int64_t size, int64_t scale);

// The texts of the three tiles.
struct SystemDataTiles {
  QString purgeable;
  QString snapshots;  // plain decimal digits
  QString measured;
  bool operator==(const SystemDataTiles&) const = default;
};
SystemDataTiles systemDataTiles(const VolumeInfo& volume, size_t snapshotCount,
                                const std::vector<SystemDataPart>& parts);

// The line shown after a snapshot deletion: none on success, else the failure's text (the general
// failure line when the text is empty).
std::optional<QString> snapshotDeletionMessage(const std::optional<std::string>& failure);

// How a snapshot is listed: its date (abbreviated date, short time) when it has one, else its name.
QString snapshotRowTitle(const LocalSnapshot& snapshot);

}  // namespace tolvex
