#include "app/AppSection.h"

#include <QCoreApplication>

namespace tolvex {

namespace {
struct Row {
  const char* raw;
  const char* title;
  const char* symbol;
};
constexpr Row kRows[] = {
    {"smartClean", QT_TRANSLATE_NOOP("AppSection", "Quick Clean"), "wand.and.stars"},
    {"overview", QT_TRANSLATE_NOOP("AppSection", "Overview"), "chart.pie.fill"},
    {"trends", QT_TRANSLATE_NOOP("AppSection", "Trends"), "chart.line.uptrend.xyaxis"},
    {"explorer", QT_TRANSLATE_NOOP("AppSection", "Explorer"), "folder.fill"},
    {"types", QT_TRANSLATE_NOOP("AppSection", "By Type"), "square.stack.3d.up.fill"},
    {"large", QT_TRANSLATE_NOOP("AppSection", "Large & Old"), "arrow.up.left.and.arrow.down.right"},
    {"systemData", QT_TRANSLATE_NOOP("AppSection", "System Data"), "gearshape.2.fill"},
    {"cloud", QT_TRANSLATE_NOOP("AppSection", "iCloud Drive"), "icloud.fill"},
    {"apps", QT_TRANSLATE_NOOP("AppSection", "Applications"), "square.grid.2x2.fill"},
    {"leftovers", QT_TRANSLATE_NOOP("AppSection", "App Leftovers"), "puzzlepiece.extension.fill"},
    {"loginItems", QT_TRANSLATE_NOOP("AppSection", "Login Items"), "power.circle.fill"},
    {"junk", QT_TRANSLATE_NOOP("AppSection", "Junk"), "sparkles"},
    {"developer", QT_TRANSLATE_NOOP("AppSection", "Developer"), "hammer.fill"},
    {"duplicates", QT_TRANSLATE_NOOP("AppSection", "Duplicates"), "doc.on.doc.fill"},
    {"history", QT_TRANSLATE_NOOP("AppSection", "History"), "clock.arrow.circlepath"},
};
const Row& row(AppSection section) { return kRows[static_cast<size_t>(section)]; }
}  // namespace

QString rawValue(AppSection section) { return QString::fromLatin1(row(section).raw); }

std::optional<AppSection> appSectionFromRaw(const QString& raw) {
  for (AppSection section : kAllSections)
    if (raw == QLatin1String(row(section).raw)) return section;
  return std::nullopt;
}

QString title(AppSection section) { return QCoreApplication::translate("AppSection", row(section).title); }
QString symbol(AppSection section) { return QString::fromLatin1(row(section).symbol); }

}  // namespace tolvex
