#pragma once
// The ring shown while a scan runs: a faint full track, an arc of 0.28 of the circle in a gradient of
// transparent indigo, indigo and accent that turns clockwise once every 1.1 s at constant speed, and
// two centred lines of text (a count and a byte total) in monospaced digits. 150 × 150.
//
// The turn starts when the ring is first shown, from 0°; a new ring starts again from 0°. Without
// animations (TOLVEX_NO_ANIMATIONS=1) the arc stays at 0°.
#include <QString>
#include <QVariantAnimation>
#include <QWidget>

namespace tolvex {

class ScanningRing : public QWidget {
  Q_OBJECT
 public:
  ScanningRing(const QString& progressText, const QString& detail, QWidget* parent = nullptr);

  QString progressText() const { return progressText_; }
  QString detail() const { return detail_; }
  void setTexts(const QString& progressText, const QString& detail);

  // The arc's rotation in degrees, clockwise, 0…360.
  qreal angle() const { return angle_; }
  bool isSpinning() const { return spin_.state() == QAbstractAnimation::Running; }
  const QVariantAnimation& spinAnimation() const { return spin_; }

  static constexpr int kSide = 150;
  static constexpr qreal kLineWidth = 12;
  static constexpr qreal kArcFraction = 0.28;
  static constexpr int kTurnMs = 1100;

  // The ring drawn in the largest centred square of `rect`, its arc turned by `angle` degrees.
  static void paint(QPainter* painter, const QRectF& rect, qreal angle, const QPalette& palette);

  QSize sizeHint() const override { return {kSide, kSide}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QString progressText_;
  QString detail_;
  qreal angle_ = 0;
  bool started_ = false;
  QVariantAnimation spin_;
};

}  // namespace tolvex
