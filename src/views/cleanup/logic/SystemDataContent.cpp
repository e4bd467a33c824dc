#include "views/cleanup/logic/SystemDataContent.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdint>

#include "app/UiText.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

namespace {
// Dates up to a day after 1970 stand for "no date" throughout the application.
constexpr double kNoDateBefore = 86'400;

// Sums saturate rather than wrap: a corrupt size must not turn the total negative.
int64_t saturatingAdd(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}
}  // namespace

int64_t purgeableBytes(const VolumeInfo& volume) {
  int64_t difference = 0;
  if (__builtin_sub_overflow(volume.availableForImportantUsage, volume.available, &difference)) return 0;
  return std::max<int64_t>(difference, 0);
}

int64_t measuredBytes(const std::vector<SystemDataPart>& parts) {
  int64_t sum = 0;
  for (const SystemDataPart& part : parts) sum = saturatingAdd(sum, part.size);
  return std::max<int64_t>(sum, 0);
}

int64_t systemDataBarScale(const std::vector<SystemDataPart>& parts) {
  if (parts.empty()) return 1;
  return std::max<int64_t>(parts.front().size, 1);
}

int barPermille(int64_t size, int64_t scale) {
  if (size <= 0 || scale <= 0) return 0;
  if (size >= scale) return 1000;
  return static_cast<int>(static_cast<long double>(size) * 1000 / static_cast<long double>(scale));
}

SystemDataTiles systemDataTiles(const VolumeInfo& volume, size_t snapshotCount,
                                const std::vector<SystemDataPart>& parts) {
  return {bytesText(purgeableBytes(volume)), QString::number(snapshotCount), bytesText(measuredBytes(parts))};
}

std::optional<QString> snapshotDeletionMessage(const std::optional<std::string>& failure) {
  if (!failure) return std::nullopt;
  return QCoreApplication::translate("SystemDataView",
                                     failure->empty() ? kCouldNotDeleteSnapshotMessage : failure->c_str());
}

QString snapshotRowTitle(const LocalSnapshot& snapshot) {
  if (snapshot.date && *snapshot.date > kNoDateBefore) return shortDateTimeText(*snapshot.date);
  return QString::fromStdString(snapshot.name);
}

}  // namespace tolvex
