#pragma once
#include <QDialog>

class QTabWidget;

namespace tolvex {

class AppState;
class AutomationSettings;
class ExclusionsSettings;
class GeneralSettings;

// The settings window (Ctrl+,): the General, Automation and Exclusions tabs. Every control writes
// through at once; there is nothing to apply or cancel.
class SettingsWindow : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kWidth = 580;
  static constexpr int kHeight = 460;

  explicit SettingsWindow(AppState& state, QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  GeneralSettings* general() const { return general_; }
  AutomationSettings* automation() const { return automation_; }
  ExclusionsSettings* exclusions() const { return exclusions_; }

 private:
  AppState& state_;
  QTabWidget* tabs_;
  GeneralSettings* general_;
  AutomationSettings* automation_;
  ExclusionsSettings* exclusions_;
};

}  // namespace tolvex
