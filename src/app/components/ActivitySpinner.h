#pragma once
// A small indeterminate progress indicator: a faint circle with a short indigo arc that turns
// clockwise once a second while shown (and stays still without animations). It shows that work goes
// on without looking like a bar that is full or finished.
#include <QVariantAnimation>
#include <QWidget>

namespace tolvex {

class ActivitySpinner : public QWidget {
  Q_OBJECT
 public:
  explicit ActivitySpinner(int side = 16, QWidget* parent = nullptr);

  qreal angle() const { return angle_; }
  bool isSpinning() const { return spin_.state() == QAbstractAnimation::Running; }

  QSize sizeHint() const override { return {side_, side_}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

  static constexpr qreal kArcFraction = 0.3;
  static constexpr int kTurnMs = 1000;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  int side_;
  qreal angle_ = 0;
  QVariantAnimation spin_;
};

}  // namespace tolvex
