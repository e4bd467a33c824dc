#include "views/analysis/logic/ChangesComparison.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <limits>

#include "model/DisplayPath.h"
#include "model/Formatting.h"
#include "platform/Paths.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {
namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

// |value| without overflow at the 64-bit limit.
int64_t magnitude(int64_t value) { return value == kMin ? kMax : (value < 0 ? -value : value); }

}  // namespace

std::optional<std::string> changesRoot(const std::optional<std::string>& scanRootPath,
                                       const std::vector<ScanSnapshot>& stored) {
  if (scanRootPath) return foldedPath(*scanRootPath);
  const ScanSnapshot* newest = nullptr;
  for (const ScanSnapshot& snapshot : stored)
    if (!newest || snapshot.date > newest->date) newest = &snapshot;
  if (!newest) return std::nullopt;
  return newest->root;
}

std::optional<ChangesComparison> ChangesComparison::make(std::vector<ScanSnapshot> snapshots,
                                                         const std::optional<std::string>& baselineID) {
  if (snapshots.size() < 2) return std::nullopt;
  ChangesComparison comparison;
  comparison.latest = std::move(snapshots.front());
  comparison.earlier.assign(std::make_move_iterator(snapshots.begin() + 1), std::make_move_iterator(snapshots.end()));
  auto chosen = std::find_if(comparison.earlier.begin(), comparison.earlier.end(),
                             [&](const ScanSnapshot& s) { return baselineID && s.id == *baselineID; });
  comparison.baseline = chosen != comparison.earlier.end() ? *chosen : comparison.earlier.front();
  return comparison;
}

int64_t ChangesComparison::totalChange() const {
  int64_t out;
  if (__builtin_sub_overflow(latest.total, baseline.total, &out)) return baseline.total < 0 ? kMax : kMin;
  return out;
}

int64_t largestChange(const std::vector<FolderChange>& changes) {
  if (changes.empty()) return 1;
  int64_t largest = 0;
  for (const FolderChange& change : changes) largest = std::max(largest, magnitude(change.change()));
  return largest;
}

ChangeRowContent changeRowContent(const FolderChange& change, int64_t largest, std::string_view home) {
  ChangeRowContent row;
  const int64_t delta = change.change();
  const QString name = QString::fromUtf8(lastPathComponent(change.path));
  row.id = QString::fromUtf8(change.id());
  row.title = change.isRemainder ? QCoreApplication::translate("ChangeRow", "Other items in %1").arg(name) : name;
  row.isNew = !change.isRemainder && change.before == 0;
  row.isRemoved = !change.isRemainder && change.after == 0;
  row.pathText = QString::fromUtf8(displayPath(change.path, home));
  row.deltaText = QString::fromStdString(signedSizeText(delta));
  row.sizeText = change.isRemainder ? QString() : bytesText(change.after);
  row.grew = delta > 0;
  row.symbol = row.grew ? QStringLiteral("arrow.up.right") : QStringLiteral("arrow.down.right");
  const double share = static_cast<double>(magnitude(delta)) / static_cast<double>(std::max<int64_t>(largest, 1));
  row.barShare = std::clamp(share, 0.0, 1.0);
  return row;
}

ChangesCardContent changesCardContent(const std::optional<std::string>& scanRootPath, const TrendStore& trends,
                                      const std::optional<std::string>& baselineID, double now, std::string_view home) {
  auto tr = [](const char* text) { return QCoreApplication::translate("ChangesCard", text); };
  ChangesCardContent content;
  const std::optional<std::string> root = changesRoot(scanRootPath, trends.snapshots());
  std::vector<ScanSnapshot> snapshots = root ? trends.snapshotsForRoot(*root) : std::vector<ScanSnapshot>{};
  if (snapshots.empty()) {
    content.firstText =
        tr("Tolvex remembers each scan. After the second one you’ll see exactly which folders grew in between.");
    return content;
  }
  if (snapshots.size() == 1) {
    content.face = ChangesCardContent::Face::oneSnapshot;
    content.firstText =
        tr("First measurement saved %1. Scan again another day and Tolvex will show exactly which folders grew.")
            .arg(QString::fromStdString(relativeDateText(snapshots.front().date, now)));
    return content;
  }
  const ChangesComparison comparison = *ChangesComparison::make(std::move(snapshots), baselineID);
  const ScanSnapshot& baseline = comparison.baseline;
  const ScanSnapshot& latest = comparison.latest;
  content.face = ChangesCardContent::Face::comparison;
  content.sinceText = tr("Since %1").arg(QString::fromStdString(relativeDateText(baseline.date, now)));
  for (const ScanSnapshot& earlier : comparison.earlier)
    content.baselines.emplace_back(earlier.id, shortDateTimeText(earlier.date));
  content.baselineID = baseline.id;
  const int64_t total = comparison.totalChange();
  content.totalText = QString::fromStdString(signedSizeText(total));
  content.totalGrew = total > 0;
  content.fromToText = tr("from %1 to %2 scanned").arg(bytesText(baseline.total), bytesText(latest.total));
  content.chips = bucketChanges(baseline, latest, kChangedBucketMinimum);
  if (content.chips.size() > kChangedBucketChips) content.chips.resize(kChangedBucketChips);
  content.changes = folderChanges(baseline, latest, kChangedFolderMinimum, kChangedFolderLimit);
  const int64_t largest = largestChange(content.changes);
  for (const FolderChange& change : content.changes) content.rows.push_back(changeRowContent(change, largest, home));
  return content;
}

ThemeColor changeTint(bool grew) { return grew ? Theme::warning() : Theme::success(); }

double changeBarWidth(double share, double track) {
  const double width = std::isfinite(share) ? track * share : 0;
  return std::max(width, 3.0);
}

}  // namespace tolvex
