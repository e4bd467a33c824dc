#include "app/components/DiskRing.h"

#include <QConicalGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/ObjectNames.h"
#include "app/theme/Anim.h"
#include "app/theme/Theme.h"

namespace tolvex {

DiskRing::DiskRing(qint64 used, qint64 total, QWidget* parent) : QWidget(parent), used_(used), total_(total) {
  setObjectName(QLatin1String(names::diskRing));
  appearAnimation_.setEasingCurve(QEasingCurve::OutCubic);
  appearAnimation_.setStartValue(0.0);
  appearAnimation_.setEndValue(1.0);
  connect(&appearAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
    appear_ = v.toReal();
    update();
  });
}

void DiskRing::setValues(qint64 used, qint64 total) {
  used_ = used;
  total_ = total;
  update();
}

void DiskRing::setLineWidth(qreal width) {
  lineWidth_ = std::max<qreal>(width, 1);
  update();
}

double DiskRing::fraction(qint64 used, qint64 total) {
  return total > 0 ? static_cast<double>(used) / static_cast<double>(total) : 0.0;
}

void DiskRing::paint(QPainter* painter, const QRectF& rect, qint64 used, qint64 total, const QPalette& palette,
                     qreal lineWidth, qreal appear) {
  const double f = fraction(used, total);
  const qreal side = std::min(rect.width(), rect.height());
  if (side <= lineWidth) return;
  // The stroke is centred on the circle, so the circle is inset by half the line width.
  const qreal r = (side - lineWidth) / 2.0;
  const QPointF c = rect.center();
  const QRectF circle(c.x() - r, c.y() - r, 2 * r, 2 * r);

  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  painter->setBrush(Qt::NoBrush);
  painter->setPen(QPen(Theme::primary(palette, 0.06), lineWidth, Qt::SolidLine, Qt::FlatCap));
  painter->drawEllipse(circle);

  const double shown = std::clamp(std::isfinite(f) ? f : 0.0, 0.0, 1.0) * std::clamp(appear, 0.0, 1.0);
  if (shown > 0) {
    const QColor last = f > 0.9 ? Theme::danger(palette) : Theme::indigo();
    // Qt's conical gradient runs counter-clockwise from its start angle; from 90° (the top), the
    // clockwise angle θ sits at position 1 − θ/360.
    QConicalGradient g(c, 90);
    const double span = std::max(f > 1 ? 1.0 : f, 1e-6);
    g.setColorAt(0.0, Theme::accent());  // the start cap, just left of the top
    if (span < 0.999) {
      g.setColorAt(1.0 - span, last);
      g.setColorAt(1.0 - span / 2, Theme::indigo());
    } else {
      g.setColorAt(0.5, Theme::indigo());
      g.setColorAt(0.001, last);
    }
    g.setColorAt(1.0, Theme::accent());
    painter->setPen(QPen(QBrush(g), lineWidth, Qt::SolidLine, Qt::RoundCap));
    // drawArc takes 1/16 degrees, counter-clockwise positive: start at the top, run clockwise.
    painter->drawArc(circle, 90 * 16, -static_cast<int>(std::lround(shown * 360 * 16)));
  }
  painter->restore();
}

void DiskRing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(&painter, QRectF(rect()), used_, total_, palette(), lineWidth_, appear_);
}

void DiskRing::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  const int ms = Anim::duration(1200);
  appearAnimation_.stop();
  if (ms == 0) {
    appear_ = 1;
    update();
    return;
  }
  appear_ = 0;
  appearAnimation_.setDuration(ms);
  appearAnimation_.start();
}

void DiskRing::hideEvent(QHideEvent* event) {
  appearAnimation_.stop();
  QWidget::hideEvent(event);
}

}  // namespace tolvex
