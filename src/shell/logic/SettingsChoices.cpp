#include "shell/logic/SettingsChoices.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>

#include "model/Formatting.h"
#include "model/DisplayPath.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

QString lowSpaceTitle(int gigabytes) {
  if (gigabytes == 0) return QCoreApplication::translate("AutomationSettings", "Never");
  return QString::number(gigabytes) + QStringLiteral(" GB");
}

std::optional<int> lowSpaceIndex(int gigabytes) {
  const auto* found = std::find(kLowSpaceChoices.begin(), kLowSpaceChoices.end(), gigabytes);
  if (found == kLowSpaceChoices.end()) return std::nullopt;
  return static_cast<int>(found - kLowSpaceChoices.begin());
}

QString lastRunText(const QDateTime& lastClean, int64_t bytes, double now) {
  const double date = static_cast<double>(lastClean.toMSecsSinceEpoch()) / 1000.0;
  return QString::fromStdString(relativeDateText(date, now)) + QStringLiteral(" \u00B7 ") +
         QString::fromStdString(formatBytes(std::max<int64_t>(bytes, 0)));
}

std::optional<QString> exclusionsAdding(const std::vector<std::string>& current, const std::string& chosen) {
  const std::string folded = foldedPath(chosen);
  if (!canStoreExclusion(folded)) return std::nullopt;
  return exclusionsWith(current, folded);
}

QString exclusionsRemoving(const std::vector<std::string>& current, const std::optional<std::string>& selection) {
  QStringList kept;
  for (const std::string& path : current)
    if (!selection || path != *selection) kept << QString::fromStdString(path);
  return kept.join(QLatin1Char('\n'));
}

}  // namespace tolvex
