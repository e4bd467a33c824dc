#pragma once
// The Overview's one-line card "Since the scan 3 days ago: +2.1 GB" that leads to the Trends
// screen; hidden (taking no space) until the scan's root has two snapshots.
#include "app/components/Card.h"

class QLabel;

namespace tolvex {

class AppState;
class RowButton;

class TrendTeaser : public Card {
  Q_OBJECT
 public:
  explicit TrendTeaser(AppState& state, QWidget* parent = nullptr);

  void refresh();
  QString text() const;

 private:
  AppState& state_;
  RowButton* button_;
  QLabel* text_;
};

}  // namespace tolvex
