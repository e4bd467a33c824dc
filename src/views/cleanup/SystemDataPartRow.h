#pragma once
// One measured part of System Data: its symbol in the brand gradient, the title with its risk, the
// size, a bar against the largest part, the explanation and the advice; a part with a location can
// be shown in the file manager. A part that could only be measured in part says so in its tooltip.
#include <QWidget>
#include <cstdint>

#include "system/SystemDataPart.h"

class QLabel;
class QProgressBar;
class QToolButton;

namespace tolvex {

// The bar of a part's share of the largest, in thousandths; the screen's measuring shows on one too.
QProgressBar* makeSystemDataBar(QWidget* parent);

class SystemDataPartRow : public QWidget {
  Q_OBJECT
 public:
  // `scale` is the size a full bar stands for.
  SystemDataPartRow(const SystemDataPart& part, int64_t scale, QWidget* parent = nullptr);

  const SystemDataPart& part() const { return part_; }
  QProgressBar* bar() const { return bar_; }
  // None for a part without a location.
  QToolButton* revealButton() const { return reveal_; }

 private:
  SystemDataPart part_;
  QProgressBar* bar_;
  QToolButton* reveal_ = nullptr;
};

}  // namespace tolvex
