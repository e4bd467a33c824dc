#pragma once
// The banner that says the scan on screen is old and offers "Rescan" (greyed out while any scan runs).
#include "app/components/Card.h"

class QLabel;
class QPushButton;

namespace tolvex {

class AppState;

class StaleScanBanner : public Card {
  Q_OBJECT
 public:
  // `date`: when the scan on screen finished, in seconds since 1970.
  StaleScanBanner(AppState& state, double date, QWidget* parent = nullptr);

  void setDate(double date);
  // "This scan is from <relative date>" (an em dash for a date not after the first day of 1970).
  static QString titleText(double date);

 private:
  AppState& state_;
  QLabel* title_;
  QPushButton* rescan_;
};

}  // namespace tolvex
