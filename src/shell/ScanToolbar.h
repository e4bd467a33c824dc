#pragma once
#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

namespace tolvex {

class ActivitySpinner;
class AppState;
class ElidedLabel;

// The toolbar's scan controls. While a scan runs: a spinner, "N files · size" over the current path,
// and "Stop". Otherwise one split button: its body rescans the current target ("Scan" before the
// first scan, "Rescan" after), its menu offers "Entire Disk", "Home Folder" and "Choose Folder…". A
// scan older than a day turns the button prominent. Both faces share one height, so the window's
// toolbar keeps its height when a scan starts or ends.
class ScanToolbar : public QWidget {
  Q_OBJECT
 public:
  explicit ScanToolbar(AppState& state, QWidget* parent = nullptr);

  // The first progress line: "%1 files · %2".
  static QString progressText(int64_t files, int64_t bytes);

 private:
  void refresh();
  void chooseFolder();

  AppState& state_;
  QWidget* running_;
  ActivitySpinner* spinner_;
  QLabel* counts_;
  ElidedLabel* path_;
  QPushButton* stop_;
  QToolButton* scan_;
};

}  // namespace tolvex
