#pragma once
#include <QDialog>

namespace tolvex {

class AppState;

// The settings window (Ctrl+,). Its panes come with the settings of the later screens.
class SettingsWindow : public QDialog {
  Q_OBJECT
 public:
  explicit SettingsWindow(AppState& state, QWidget* parent = nullptr);

 private:
  AppState& state_;
};

}  // namespace tolvex
