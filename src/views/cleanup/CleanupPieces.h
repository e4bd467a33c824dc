#pragma once
// Small pieces the cleanup and system screens share. They hold no state of their own.
#include <QIcon>
#include <QString>
#include <string>

class QAbstractButton;
class QWidget;

namespace tolvex {

struct JunkRule;

// "Refresh" with the "arrow.clockwise" symbol, on a refresh button.
void refreshButtonLabel(QAbstractButton* button);

// Shows the item in the file manager. A path that no longer exists shows nothing and reports nothing.
void revealPathInFinder(const std::string& path);

// The "magnifyingglass" symbol, the icon of the "Show in Finder" row buttons.
QIcon searchSymbolImage(int px = 14);

// The title line of a junk rule: its title (body, medium), its risk badge, and how it removes
// ("Moved to Trash" / "Deleted immediately", caption2, tertiary).
QWidget* ruleTitleLine(const JunkRule& rule, QWidget* parent = nullptr);
// The removal text of that line.
QString ruleRemovalText(const JunkRule& rule);

}  // namespace tolvex
