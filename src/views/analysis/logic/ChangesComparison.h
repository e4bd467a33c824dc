#pragma once
// The folder changes card without widgets: which root and which two snapshots it compares, and what
// each row of changed folders says.
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/theme/Theme.h"
#include "system/FolderChanges.h"
#include "system/ScanSnapshot.h"
#include "system/TrendStore.h"

namespace tolvex {

// The card's thresholds and limits.
inline constexpr int64_t kChangedFolderMinimum = 100'000'000;
inline constexpr size_t kChangedFolderLimit = 14;
inline constexpr int64_t kChangedBucketMinimum = 50'000'000;
inline constexpr size_t kChangedBucketChips = 6;

// The root whose snapshots are compared: the loaded scan's root path (folded like snapshot roots);
// without a scan, the root of the newest stored snapshot (the first in store order among equal
// dates); none with neither.
std::optional<std::string> changesRoot(const std::optional<std::string>& scanRootPath,
                                       const std::vector<ScanSnapshot>& stored);

// The two snapshots compared: the newest, and the chosen earlier one.
struct ChangesComparison {
  ScanSnapshot latest;
  std::vector<ScanSnapshot> earlier;  // every other snapshot of the root, newest first
  ScanSnapshot baseline;              // the one of `earlier` with the chosen id, else the first of them

  // latest.total − baseline.total, held at the 64-bit limits.
  int64_t totalChange() const;

  // None with fewer than two snapshots. `snapshots` are one root's, newest first. A chosen id that
  // names no earlier snapshot (it was pruned, or belongs to another root) falls back to the scan
  // just before the latest.
  static std::optional<ChangesComparison> make(std::vector<ScanSnapshot> snapshots,
                                               const std::optional<std::string>& baselineID);
};

// What one row of changed folders shows.
struct ChangeRowContent {
  QString id;              // the change's identity (path, "#rest" appended for a remainder)
  QString title;           // the folder's name, "/" for the root; "Other items in NAME" for a remainder
  bool isNew = false;      // "New": absent from the baseline (never on a remainder)
  bool isRemoved = false;  // "Removed": absent from the latest (never on a remainder)
  QString pathText;        // the display path
  QString deltaText;       // signed size of the change
  QString sizeText;        // the new size; empty for a remainder
  QString symbol;          // arrow up for growth, down for shrinkage or no change
  bool grew = false;       // drawn in the warning colour, else in the success colour
  double barShare = 0;     // |change| / the largest change shown, 0…1

  bool operator==(const ChangeRowContent&) const = default;
};

// The largest |after − before| among `changes`; 1 when there are none.
int64_t largestChange(const std::vector<FolderChange>& changes);

// A change's row; its path shown under `home`.
ChangeRowContent changeRowContent(const FolderChange& change, int64_t largest, std::string_view home);

// Everything the card shows, as texts and values; the card rebuilds its widgets only when this changes.
struct ChangesCardContent {
  enum class Face { noSnapshot, oneSnapshot, comparison };
  Face face = Face::noSnapshot;
  QString firstText;  // the explanation of the first-scan face

  // The comparison.
  QString sinceText;                                       // the baseline menu's label
  std::vector<std::pair<std::string, QString>> baselines;  // id and menu title of each earlier snapshot
  std::string baselineID;                                  // the snapshot compared with
  QString totalText;
  bool totalGrew = false;
  QString fromToText;
  std::vector<BucketChange> chips;  // at most 6, largest first
  std::vector<FolderChange> changes;
  std::vector<ChangeRowContent> rows;  // one per change

  bool operator==(const ChangesCardContent&) const = default;
};

// The card's content for the loaded scan's root path (none without a scan), the stored snapshots, the
// chosen baseline and the time `now` (seconds since 1970) that relative dates are measured from; paths
// show with `home` as "~".
ChangesCardContent changesCardContent(const std::optional<std::string>& scanRootPath, const TrendStore& trends,
                                      const std::optional<std::string>& baselineID, double now, std::string_view home);

// Growth of used space is drawn in the warning colour, shrinkage or no change in the success colour.
ThemeColor changeTint(bool grew);

// The width of a change bar in a track `track` wide: the share of the track, at least 3.
double changeBarWidth(double share, double track);

}  // namespace tolvex
