#pragma once
// The Overview's header texts and its row of statistic tiles, computed from the scan and the volume.
#include <QString>
#include <optional>
#include <vector>

#include "app/theme/Theme.h"
#include "model/ScanResult.h"
#include "model/VolumeInfo.h"

namespace tolvex {

struct OverviewStat {
  QString title;
  QString value;
  std::optional<QString> caption;
  QString symbol;
  ThemeColor tint;
  bool operator==(const OverviewStat&) const = default;
};

// "Entire disk · 1,234 files in 42.3 s": the shown scan's target, its file count (grouped) and its
// duration with one decimal.
QString overviewSubtitle(const QString& targetTitle, int64_t totalFiles, double duration);

// "Scanned 2 hours ago".
QString scannedText(double finishedAt, double now);

// Used, Free and Purgeable when the volume is known, then Scanned; negative figures show as zero.
std::vector<OverviewStat> overviewStats(const std::optional<VolumeInfo>& volume, const ScanResult& scan);

}  // namespace tolvex
