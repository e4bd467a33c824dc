#pragma once
// The "General" tab of the settings: appearance, how deletions work, Full Disk Access, starting at
// login, the menu-bar extra and removal notices. Every control writes through at once.
#include <QWidget>

#include "app/theme/Appearance.h"

class QPushButton;

namespace tolvex {

class AppState;
class SegmentedPicker;
class SymbolLabel;
class ToggleSwitch;

class GeneralSettings : public QWidget {
  Q_OBJECT
 public:
  explicit GeneralSettings(AppState& state, QWidget* parent = nullptr);

  // Stores the choice and gives the application its palette ("system" follows the desktop again).
  void applyAppearance(AppAppearance appearance);

 private:
  void build();
  void refresh();

  AppState& state_;
  SegmentedPicker* appearance_ = nullptr;
  ToggleSwitch* permanentDelete_ = nullptr;
  SymbolLabel* granted_ = nullptr;
  QPushButton* grant_ = nullptr;
  ToggleSwitch* launchAtLogin_ = nullptr;
  ToggleSwitch* menuBar_ = nullptr;
  ToggleSwitch* watchRemovedApps_ = nullptr;
};

}  // namespace tolvex
