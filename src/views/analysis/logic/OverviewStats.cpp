#include "views/analysis/logic/OverviewStats.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>
#include <cmath>

#include "model/Formatting.h"

namespace tolvex {
namespace {

QString tr(const char* text) { return QCoreApplication::translate("OverviewView", text); }

QString bytes(int64_t count) { return QString::fromStdString(formatBytes(std::max<int64_t>(count, 0))); }

}  // namespace

QString overviewSubtitle(const QString& targetTitle, int64_t totalFiles, double duration) {
  const double seconds = std::isfinite(duration) ? duration : 0.0;
  return tr("%1 · %2 files in %3 s")
      .arg(targetTitle, QLocale().toString(static_cast<qlonglong>(totalFiles)), QString::asprintf("%.1f", seconds));
}

QString scannedText(double finishedAt, double now) {
  return tr("Scanned %1").arg(QString::fromStdString(relativeDateText(finishedAt, now)));
}

std::vector<OverviewStat> overviewStats(const std::optional<VolumeInfo>& volume, const ScanResult& scan) {
  std::vector<OverviewStat> tiles;
  if (volume) {
    const int64_t used = volume->total - volume->available;
    tiles.push_back(
        {tr("Used"), bytes(used),
         tr("of %1 · %2").arg(bytes(volume->total), QString::fromStdString(percentText(used, volume->total))),
         QStringLiteral("internaldrive.fill"), Theme::indigo()});
    tiles.push_back({tr("Free"), bytes(volume->available), tr("Available right now"),
                     QStringLiteral("checkmark.circle.fill"), Theme::success()});
    tiles.push_back({tr("Purgeable"), bytes(volume->availableForImportantUsage - volume->available),
                     tr("macOS frees this on its own when needed (iCloud copies, caches)"),
                     QStringLiteral("icloud.and.arrow.down.fill"), Theme::accent()});
  }
  const int64_t rootSize = scan.root ? get(scan.root->size) : 0;
  const QString caption =
      scan.unreadableDirectories >= 1
          ? tr("%1 folders without access").arg(QLocale().toString(static_cast<qlonglong>(scan.unreadableDirectories)))
          : tr("%1 folders").arg(QLocale().toString(static_cast<qlonglong>(scan.totalDirectories)));
  tiles.push_back({tr("Scanned"), bytes(rootSize), caption, QStringLiteral("magnifyingglass"), Theme::warning()});
  return tiles;
}

}  // namespace tolvex
