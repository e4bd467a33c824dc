#pragma once
// The first stage of Quick Clean: how full the disk is (a ring around the Scan button), what Quick
// Clean promises, and the Scan button, which starts the search for junk (Return presses it too).
// Without volume figures the ring and the sentence naming the free space are left out.
#include "views/cleanup/QuickCleanStage.h"

class QLabel;

namespace tolvex {

class AppState;
class DiskRing;
class ScanButton;

class IdleStage : public QuickCleanStage {
  Q_OBJECT
 public:
  explicit IdleStage(AppState& state, QWidget* parent = nullptr);

  void refresh() override;
  ScanButton* scanButton() const { return button_; }
  DiskRing* ring() const { return ring_; }

 private:
  void startScan();

  AppState& state_;
  DiskRing* ring_;
  ScanButton* button_;
  QLabel* sentence_;
};

}  // namespace tolvex
