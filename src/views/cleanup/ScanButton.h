#pragma once
// The large round Scan button of Quick Clean: a circle of the brand gradient with an indigo glow,
// the "wand.and.stars" symbol and "Scan" in white. While shown it breathes: the circle grows by 3 %
// and its glow widens from 18 to 34, 1.8 s each way, for ever (held wide without animations).
// Only the circle answers clicks; the widget leaves room around it for the glow.
#include <QAbstractButton>
#include <QVariantAnimation>

namespace tolvex {

class ScanButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit ScanButton(QWidget* parent = nullptr);

  // 0 at rest, 1 at the widest breath.
  qreal pulse() const { return pulse_; }
  bool isBreathing() const { return breath_.state() == QAbstractAnimation::Running; }
  qreal scale() const { return 1.0 + 0.03 * pulse_; }
  qreal glowRadius() const { return 18 + 16 * pulse_; }

  static constexpr int kCircle = 170;
  static constexpr int kSide = 250;  // room for the widest glow

  QSize sizeHint() const override { return {kSide, kSide}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QRectF circleRect() const;
  qreal pulse_ = 0;
  QVariantAnimation breath_;
};

}  // namespace tolvex
