#pragma once
// The hairline between the rows of a card's list: the primary colour at 40 % of a divider's 10 %.
#include <QWidget>

namespace tolvex {

class RowDivider : public QWidget {
 public:
  explicit RowDivider(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tolvex
