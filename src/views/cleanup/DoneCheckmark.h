#pragma once
// The check mark that greets the end of Quick Clean: a pale disc of the success colour behind the
// "checkmark.circle.fill" symbol in the success gradient. When first shown both grow from small to
// full size with a bounce (disc from 60 %, symbol from 30 %); without animations they are full size.
#include <QWidget>

#include "app/components/SpringAnimation.h"

namespace tolvex {

class DoneCheckmark : public QWidget {
  Q_OBJECT
 public:
  explicit DoneCheckmark(QWidget* parent = nullptr);

  // 0 before the entrance, 1 once it has settled (above 1 while it overshoots).
  qreal appear() const { return appear_; }
  qreal discScale() const { return 0.6 + 0.4 * appear_; }
  qreal symbolScale() const { return 0.3 + 0.7 * appear_; }

  static constexpr int kDisc = 150;
  static constexpr int kSymbol = 84;
  // Room for the bounce beyond the disc's full size.
  static constexpr int kSide = 170;

  QSize sizeHint() const override { return {kSide, kSide}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  qreal appear_ = 0;
  bool appeared_ = false;
  SpringAnimation spring_;
};

}  // namespace tolvex
