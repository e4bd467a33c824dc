#include "views/cleanup/logic/HistoryRows.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <algorithm>

#include "platform/Paths.h"
#include "platform/Trash.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

HistoryMethod historyMethod(const HistoryEntry& entry) {
  if (entry.restored) return HistoryMethod::restored;
  return entry.trashPath ? HistoryMethod::trash : HistoryMethod::deleted;
}

QString historyMethodText(HistoryMethod method) {
  switch (method) {
    case HistoryMethod::restored: return QCoreApplication::translate("HistoryView", "Restored");
    case HistoryMethod::trash: return QCoreApplication::translate("HistoryView", "Trash");
    case HistoryMethod::deleted: return QCoreApplication::translate("HistoryView", "Deleted");
  }
  return {};
}

HistoryProbe HistoryProbe::live() {
  HistoryProbe probe;
  probe.occupied = [](const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
  };
  probe.sameItem = [](const HistoryEntry& entry) {
    if (!entry.trashPath) return false;
    const auto info = readTrashInfo(*entry.trashPath);
    return info && info->path == entry.originalPath && deletionDateMatches(info->deletionDate, entry.date, 2.0);
  };
  return probe;
}

bool isRestorable(const HistoryEntry& entry, const HistoryProbe& probe) {
  if (entry.restored || !entry.trashPath) return false;
  if (!probe.occupied(*entry.trashPath)) return false;
  if (probe.occupied(entry.originalPath)) return false;
  return probe.sameItem(entry);
}

std::vector<DeletionFailure> shownFailures(const std::vector<DeletionFailure>& failures) {
  const size_t n = std::min(failures.size(), kShownFailures);
  return {failures.begin(), failures.begin() + static_cast<std::ptrdiff_t>(n)};
}

QString historyItemName(const std::string& path) { return QString::fromUtf8(lastPathComponent(path)); }

}  // namespace tolvex
