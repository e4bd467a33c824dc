#include "app/components/Buttons.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

#include "app/components/FocusRing.h"
#include "app/theme/Anim.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"

namespace tolvex {
namespace {

QSize capsuleSize(const QPushButton* button, int padH, int padV) {
  const QFontMetrics fm(button->font());
  int w = fm.horizontalAdvance(button->text());
  const int iconSide = button->icon().isNull() ? 0 : fm.height();
  if (iconSide > 0) w += iconSide + 6;
  return {w + 2 * padH, fm.height() + 2 * padV};
}

}  // namespace

void paintCapsuleButton(QPainter* painter, const QPushButton* button, const QRectF& rect, const QBrush& fill) {
  painter->setRenderHint(QPainter::Antialiasing);
  const qreal radius = rect.height() / 2.0;
  QPainterPath capsule;
  capsule.addRoundedRect(rect, radius, radius);
  painter->fillPath(capsule, fill);
  if (showsFocusRing(button)) paintFocusRing(painter, rect, radius, button->palette());
  const QFontMetrics fm(button->font());
  const QString text = button->text();
  const int iconSide = button->icon().isNull() ? 0 : fm.height();
  const int textWidth = fm.horizontalAdvance(text);
  const qreal content = textWidth + (iconSide > 0 ? iconSide + 6 : 0);
  qreal x = rect.center().x() - content / 2.0;
  if (iconSide > 0) {
    const QRectF iconRect(x, rect.center().y() - iconSide / 2.0, iconSide, iconSide);
    const QString symbol = button->property("sfSymbol").toString();
    if (!symbol.isEmpty()) {
      Symbols::paint(painter, iconRect, symbol, QColor(Qt::white));
    } else {
      button->icon().paint(painter, iconRect.toRect());
    }
    x += iconSide + 6;
  }
  painter->setPen(Qt::white);
  painter->setFont(button->font());
  painter->drawText(QRectF(x, rect.top(), textWidth + 1, rect.height()), Qt::AlignVCenter | Qt::AlignLeft, text);
}

PrimaryButton::PrimaryButton(const QString& text, bool large, QWidget* parent)
    : QPushButton(text, parent), large_(large), glow_(new QGraphicsDropShadowEffect(this)) {
  setAutoDefault(false);
  setAttribute(Qt::WA_TranslucentBackground);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setFont(Theme::font(large ? TextStyle::title3 : TextStyle::body, QFont::DemiBold));
  glow_->setOffset(0, 4);
  setGraphicsEffect(glow_);
  pressAnimation_.setEasingCurve(QEasingCurve::OutCubic);
  connect(&pressAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
    press_ = v.toReal();
    applyPress();
  });
  connect(this, &QPushButton::pressed, this, [this] { animatePress(true); });
  connect(this, &QPushButton::released, this, [this] { animatePress(false); });
  applyPress();
}

void PrimaryButton::setLarge(bool large) {
  large_ = large;
  setFont(Theme::font(large ? TextStyle::title3 : TextStyle::body, QFont::DemiBold));
  updateGeometry();
  update();
}

QSize PrimaryButton::sizeHint() const { return large_ ? capsuleSize(this, 28, 12) : capsuleSize(this, 14, 6); }

void PrimaryButton::animatePress(bool down) {
  const qreal target = down ? 1.0 : 0.0;
  pressAnimation_.stop();
  const int ms = Anim::duration(200);
  if (ms == 0) {
    press_ = target;
    applyPress();
    return;
  }
  pressAnimation_.setDuration(ms);
  pressAnimation_.setStartValue(press_);
  pressAnimation_.setEndValue(target);
  pressAnimation_.start();
}

void PrimaryButton::applyPress() {
  // The glow: indigo at 35 %, blur 10 at rest and 4 while pressed (Qt's blur radius is about twice
  // the Gaussian's).
  QColor glow = Theme::indigo();
  glow.setAlphaF(isEnabled() ? 0.35f : 0.12f);
  glow_->setColor(glow);
  glow_->setBlurRadius(2 * (10 - 6 * press_));
  update();
}

void PrimaryButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) applyPress();
  QPushButton::changeEvent(event);
}

void PrimaryButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!isEnabled()) painter.setOpacity(0.45);
  const QRectF r = rect();
  const qreal scale = 1.0 - 0.03 * press_;
  painter.translate(r.center());
  painter.scale(scale, scale);
  painter.translate(-r.center());
  paintCapsuleButton(&painter, this, r, QBrush(Theme::brandGradient(r, layoutDirection())));
}

DestructiveButton::DestructiveButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  setAutoDefault(false);
  setAttribute(Qt::WA_TranslucentBackground);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setFont(Theme::font(TextStyle::body, QFont::DemiBold));
}

QSize DestructiveButton::sizeHint() const { return capsuleSize(this, 14, 6); }

void DestructiveButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!isEnabled()) {
    painter.setOpacity(0.4);
  } else if (isDown()) {
    painter.setOpacity(0.8);
  }
  const QRectF r = rect();
  paintCapsuleButton(&painter, this, r, QBrush(Theme::gradient(Theme::danger(palette()), r)));
}

}  // namespace tolvex
