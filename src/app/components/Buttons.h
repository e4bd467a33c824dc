#pragma once
// The two call-to-action buttons.
//
// PrimaryButton: white semibold text on a capsule of the brand gradient with an indigo glow; pressed,
// it shrinks to 97 % and its glow tightens. Large: title3 text, padding 28 × 12; otherwise body text,
// padding 14 × 6.
// DestructiveButton: white semibold body text, padding 14 × 6, on a capsule of the gradient of the
// danger colour; 80 % opacity while pressed.
// Neither is an auto-default button; make one the dialog's default with setDefault(true).
#include <QPushButton>
#include <QVariantAnimation>

class QGraphicsDropShadowEffect;

namespace tolvex {

class PrimaryButton : public QPushButton {
  Q_OBJECT
 public:
  explicit PrimaryButton(const QString& text, bool large = false, QWidget* parent = nullptr);

  bool isLarge() const { return large_; }
  void setLarge(bool large);
  // 1 while pressed, 0 otherwise (animated between them).
  qreal pressProgress() const { return press_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void animatePress(bool down);
  void applyPress();
  bool large_;
  qreal press_ = 0;
  QVariantAnimation pressAnimation_;
  QGraphicsDropShadowEffect* glow_;
};

class DestructiveButton : public QPushButton {
  Q_OBJECT
 public:
  explicit DestructiveButton(const QString& text, QWidget* parent = nullptr);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Shared by both: the capsule, the text and the keyboard focus ring.
void paintCapsuleButton(QPainter* painter, const QPushButton* button, const QRectF& rect, const QBrush& fill);

}  // namespace tolvex
