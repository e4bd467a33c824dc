#include "views/cleanup/ScanButton.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "app/ObjectNames.h"
#include "app/components/FocusRing.h"
#include "app/components/Shadow.h"
#include "app/theme/Anim.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"

namespace tolvex {

ScanButton::ScanButton(QWidget* parent) : QAbstractButton(parent) {
  setObjectName(QLatin1String(names::idleScanButton));
  setText(tr("Scan"));
  setAttribute(Qt::WA_TranslucentBackground);
  setFixedSize(kSide, kSide);
  setCursor(Qt::PointingHandCursor);
  Symbols::tag(this, QStringLiteral("wand.and.stars"));
  // One breath out and in per loop; the cosine eases each half in and out.
  breath_.setStartValue(0.0);
  breath_.setEndValue(1.0);
  breath_.setLoopCount(-1);
  connect(&breath_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
    pulse_ = (1 - std::cos(2 * M_PI * v.toReal())) / 2;
    update();
  });
}

QRectF ScanButton::circleRect() const {
  const QPointF c = QRectF(rect()).center();
  return {c.x() - kCircle / 2.0, c.y() - kCircle / 2.0, static_cast<qreal>(kCircle), static_cast<qreal>(kCircle)};
}

bool ScanButton::hitButton(const QPoint& pos) const {
  const QPointF d = QPointF(pos) - circleRect().center();
  return std::hypot(d.x(), d.y()) <= kCircle / 2.0 * scale();
}

void ScanButton::showEvent(QShowEvent* event) {
  QAbstractButton::showEvent(event);
  const int half = Anim::duration(1800);
  breath_.stop();
  if (half == 0) {
    pulse_ = 1;
    update();
    return;
  }
  pulse_ = 0;
  breath_.setDuration(2 * half);
  breath_.start();
}

void ScanButton::hideEvent(QHideEvent* event) {
  breath_.stop();
  QAbstractButton::hideEvent(event);
}

void ScanButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF base = circleRect();
  const QPointF c = base.center();
  const qreal s = scale();
  const QRectF circle(c.x() - base.width() * s / 2, c.y() - base.height() * s / 2, base.width() * s, base.height() * s);
  QColor glow = Theme::indigo();
  glow.setAlphaF(0.55f);
  paintRoundedShadow(&painter, circle, circle.width() / 2, glowRadius(), glow, QPointF(0, 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(Theme::brandGradient(circle, layoutDirection()));
  painter.drawEllipse(circle);
  if (isDown()) {
    painter.setBrush(QColor(0, 0, 0, 30));
    painter.drawEllipse(circle);
  }
  if (showsFocusRing(this)) paintFocusRing(&painter, circle, circle.width() / 2, palette());

  // The symbol above the title, 6 apart, centred as one block.
  painter.save();
  painter.translate(c);
  painter.scale(s, s);
  const QFont titleFont = Theme::font(TextStyle::title2, QFont::Bold);
  const QFontMetricsF fm(titleFont);
  constexpr qreal kSymbol = 34;
  const qreal block = kSymbol + 6 + fm.height();
  const QRectF symbol(-kSymbol / 2, -block / 2, kSymbol, kSymbol);
  Symbols::paint(&painter, symbol, QStringLiteral("wand.and.stars"), QColor(Qt::white));
  painter.setPen(Qt::white);
  painter.setFont(titleFont);
  painter.drawText(QRectF(-base.width() / 2, symbol.bottom() + 6, base.width(), fm.height()), Qt::AlignCenter, text());
  painter.restore();
}

}  // namespace tolvex
