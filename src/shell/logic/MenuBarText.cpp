#include "shell/logic/MenuBarText.h"

#include <QCoreApplication>
#include <algorithm>

#include "app/UiText.h"
#include "model/Formatting.h"
#include "system/RemovedApp.h"

namespace tolvex {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("MenuBarPanel", text); }

constexpr double kBytesPerGB = 1'000'000'000.0;
constexpr int kPopupGap = 4;

}  // namespace

MenuBarLabelContent menuBarLabel(const std::optional<VolumeInfo>& volume, int lowSpaceGB) {
  if (!volume) return {QStringLiteral("internaldrive"), std::nullopt};
  const int64_t free = volume->available;
  const bool low = static_cast<double>(lowSpaceGB) * kBytesPerGB > static_cast<double>(free);
  return {low ? QStringLiteral("exclamationmark.triangle.fill") : QStringLiteral("internaldrive"), bytesText(free)};
}

QString freeOfText(const VolumeInfo& volume) {
  return tr("%1 free of %2").arg(bytesText(volume.available), bytesText(volume.total));
}

std::optional<QString> purgeableText(const VolumeInfo& volume) {
  int64_t purgeable = 0;
  if (__builtin_sub_overflow(volume.availableForImportantUsage, volume.available, &purgeable) || purgeable < 1)
    return std::nullopt;
  return tr("+ %1 purgeable").arg(bytesText(purgeable));
}

QString usedPercentText(const VolumeInfo& volume) {
  int64_t used = 0;
  if (__builtin_sub_overflow(volume.total, volume.available, &used)) used = 0;
  return QString::fromStdString(percentText(used, volume.total));
}

QString leftoversText(const RemovedApp& app) {
  return tr("%1 left %2 behind").arg(QString::fromStdString(app.name), bytesText(app.totalSize()));
}

QString autoCleanText(const QDateTime& lastClean, int64_t bytes, double now) {
  const double date = static_cast<double>(lastClean.toMSecsSinceEpoch()) / 1000.0;
  return tr("Auto-clean %1: %2").arg(QString::fromStdString(relativeDateText(date, now)), bytesText(bytes));
}

QPoint popupPosition(const QRect& icon, const QSize& panel, const QRect& screen, const QPoint& cursor) {
  QPoint at;
  if (icon.isEmpty()) {
    at = QPoint(cursor.x() - panel.width() / 2, cursor.y() + kPopupGap);
    if (cursor.y() > screen.center().y()) at.setY(cursor.y() - kPopupGap - panel.height());
  } else {
    at.setX(icon.center().x() - panel.width() / 2);
    const bool below = icon.center().y() <= screen.center().y();
    at.setY(below ? icon.bottom() + 1 + kPopupGap : icon.top() - kPopupGap - panel.height());
  }
  // Inside the screen; a panel larger than the screen keeps its top-left corner on it.
  at.setX(std::max(screen.left(), std::min(at.x(), screen.right() + 1 - panel.width())));
  at.setY(std::max(screen.top(), std::min(at.y(), screen.bottom() + 1 - panel.height())));
  return at;
}

}  // namespace tolvex
