#pragma once
// The last stage of Quick Clean: a check mark, how much was cleaned and how much of it waits in the
// Trash, how many items were left untouched, the free space now, and two ways on: "See What Else Is
// Using Space" (the Overview, scanning the disk when nothing is scanned yet) and "Done".
#include "views/cleanup/QuickCleanStage.h"

class QLabel;
class QPushButton;

namespace tolvex {

class AppState;
class DoneCheckmark;
class PrimaryButton;

class DoneStage : public QuickCleanStage {
  Q_OBJECT
 public:
  explicit DoneStage(AppState& state, QWidget* parent = nullptr);

  void refresh() override;
  DoneCheckmark* checkmark() const { return checkmark_; }

 private:
  void seeMore();

  AppState& state_;
  DoneCheckmark* checkmark_;
  QLabel* cleaned_;
  QLabel* inTrash_;
  QLabel* untouched_;
  QLabel* freeSpace_;
};

}  // namespace tolvex
