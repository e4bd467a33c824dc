#pragma once
// The base of the Quick Clean stages: each shows one phase and redraws from the store on `refresh`.
#include <QWidget>

namespace tolvex {

class QuickCleanStage : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

  // Reads the store again (called after every change the store publishes).
  virtual void refresh() {}
  // True when the stage takes the whole height below the step indicator instead of being centred.
  virtual bool fillsHeight() const { return false; }
};

}  // namespace tolvex
