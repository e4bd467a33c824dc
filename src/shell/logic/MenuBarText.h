#pragma once
// What the menu-bar item and its panel say, without widgets.
#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>

#include "model/VolumeInfo.h"

namespace tolvex {

struct RemovedApp;

// The menu-bar item: a symbol, and the free space as its title when the volume is known.
struct MenuBarLabelContent {
  QString symbol;
  std::optional<QString> title;
  bool operator==(const MenuBarLabelContent&) const = default;
};

// "internaldrive" alone without a volume; otherwise the free bytes, with the warning symbol when
// `lowSpaceGB` gigabytes are more than what is free (0 never warns).
MenuBarLabelContent menuBarLabel(const std::optional<VolumeInfo>& volume, int lowSpaceGB);

// "%1 free of %2".
QString freeOfText(const VolumeInfo& volume);
// "+ %1 purgeable" when the space available for important use exceeds the available space.
std::optional<QString> purgeableText(const VolumeInfo& volume);
// The used share of the volume ("63%").
QString usedPercentText(const VolumeInfo& volume);
// "%1 left %2 behind" with the application's name and the size of what it left.
QString leftoversText(const RemovedApp& app);
// "Auto-clean %1: %2" with the relative date of the last scheduled clean and the bytes it freed.
QString autoCleanText(const QDateTime& lastClean, int64_t bytes, double now);

// Where a popup of `panel` size opens for a tray icon at `icon` (empty when the tray does not tell)
// on a screen whose free area is `screen`: centred under the icon, or over it when the icon sits in
// the lower half; at the cursor when the icon's place is unknown; always inside the screen.
QPoint popupPosition(const QRect& icon, const QSize& panel, const QRect& screen, const QPoint& cursor);

}  // namespace tolvex
