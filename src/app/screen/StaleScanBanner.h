#pragma once
// The banner that says the scan on screen is old: a clock on a warning tile, when the scan was made,
// and "Rescan", which scans the current target again (disabled while any scan runs).
#include "app/components/Card.h"

class QLabel;
class QPushButton;

namespace tolvex {

class AppState;

class StaleScanBanner : public Card {
  Q_OBJECT
 public:
  // `date`: when the scan on screen finished (seconds since 1970).
  StaleScanBanner(AppState& state, double date, QWidget* parent = nullptr);

  QPushButton* rescanButton() const { return rescan_; }

 private:
  void syncScanning();
  AppState& state_;
  QPushButton* rescan_;
};

}  // namespace tolvex
