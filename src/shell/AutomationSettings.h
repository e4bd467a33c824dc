#pragma once
// The "Automation" tab of the settings: the schedule of the automatic clean of safe junk with its
// "Run Now", and the free-space threshold below which the user is warned.
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace tolvex {

class AppState;

class AutomationSettings : public QWidget {
  Q_OBJECT
 public:
  explicit AutomationSettings(AppState& state, QWidget* parent = nullptr);

  // Cleans now, as a scheduled clean would. Nothing while a clean (this one or a scheduled one) runs.
  void runNow();
  bool isRunning() const { return running_; }

 private:
  void build();
  void refresh();
  void chooseSchedule(int index);
  void chooseLowSpace(int index);

  AppState& state_;
  QComboBox* schedule_ = nullptr;
  QWidget* lastRunRow_ = nullptr;
  QLabel* lastRun_ = nullptr;
  QPushButton* runNow_ = nullptr;
  QComboBox* lowSpace_ = nullptr;
  bool running_ = false;  // a "Run Now" of this tab is under way
};

}  // namespace tolvex
