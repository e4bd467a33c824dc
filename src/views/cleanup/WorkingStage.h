#pragma once
// The stage shown while Quick Clean searches or cleans: a spinning ring with sparkles in its middle,
// a title and a line under it. It has no control and no state.
#include "views/cleanup/QuickCleanStage.h"

class QLabel;

namespace tolvex {

class ScanningRing;

class WorkingStage : public QuickCleanStage {
  Q_OBJECT
 public:
  WorkingStage(const QString& title, const QString& subtitle, QWidget* parent = nullptr);

  QString title() const;
  QString subtitle() const;
  ScanningRing* ring() const { return ring_; }

 private:
  ScanningRing* ring_;
  QLabel* title_;
  QLabel* subtitle_;
};

}  // namespace tolvex
