#pragma once
// The Overview's one-line trend card: how much the scanned space changed since the previous scan
// of the same root. Nothing until the trend store holds two snapshots of that root.
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "system/ScanSnapshot.h"

namespace tolvex {

struct TrendTeaserModel {
  int64_t delta = 0;  // newest total minus the one before
  QString text;       // "Since the scan 3 days ago: +2.1 GB"

  // The snapshot key of a scan rooted at `rootPath` (the data-volume prefix folded).
  static std::string rootKey(const std::string& rootPath);
  // From the root's snapshots, newest first; none with fewer than two.
  static std::optional<TrendTeaserModel> make(const std::vector<ScanSnapshot>& snapshots, double now);
};

}  // namespace tolvex
