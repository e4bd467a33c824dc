#include "app/components/ScanningRing.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>

#include "app/ObjectNames.h"
#include "app/theme/Anim.h"
#include "app/theme/Theme.h"

namespace tolvex {

ScanningRing::ScanningRing(const QString& progressText, const QString& detail, QWidget* parent)
    : QWidget(parent), progressText_(progressText), detail_(detail) {
  setObjectName(QLatin1String(names::scanningRing));
  setAttribute(Qt::WA_TranslucentBackground);
  setFixedSize(kSide, kSide);
  // One turn per period at constant speed, forever, always clockwise.
  Anim::makeTurn(spin_, this, [this](qreal angle) { angle_ = angle; });
  setAccessibleName(progressText_);
  setAccessibleDescription(detail_);
}

void ScanningRing::setTexts(const QString& progressText, const QString& detail) {
  if (progressText == progressText_ && detail == detail_) return;
  progressText_ = progressText;
  detail_ = detail;
  setAccessibleName(progressText_);
  setAccessibleDescription(detail_);
  update();
}

void ScanningRing::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!started_) {
    started_ = true;
    const int ms = Anim::duration(kTurnMs);
    if (ms > 0) {
      spin_.setDuration(ms);
      spin_.start();
    }
  } else if (spin_.state() == QAbstractAnimation::Paused) {
    spin_.resume();
  }
}

void ScanningRing::hideEvent(QHideEvent* event) {
  if (spin_.state() == QAbstractAnimation::Running) spin_.pause();
  QWidget::hideEvent(event);
}

void ScanningRing::paint(QPainter* painter, const QRectF& rect, qreal angle, const QPalette& palette) {
  const qreal side = std::min(rect.width(), rect.height());
  if (side <= kLineWidth) return;
  const qreal r = (side - kLineWidth) / 2.0;
  const QPointF c = rect.center();

  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  // Track.
  painter->setBrush(Qt::NoBrush);
  painter->setPen(QPen(Theme::primary(palette, 0.07), kLineWidth, Qt::SolidLine, Qt::FlatCap));
  painter->drawEllipse(c, r, r);

  // Arc, in coordinates centred on the ring and turned clockwise by `angle`; it starts at 3 o'clock
  // and runs clockwise over 0.28 of the circle.
  painter->translate(c);
  painter->rotate(std::isfinite(angle) ? angle : 0.0);
  const qreal sweep = kArcFraction * 360.0;
  QPainterPath centreLine;
  const QRectF circle(-r, -r, 2 * r, 2 * r);
  centreLine.arcMoveTo(circle, 0);
  centreLine.arcTo(circle, 0, -sweep);
  QPainterPathStroker stroker;
  stroker.setWidth(kLineWidth);
  stroker.setCapStyle(Qt::FlatCap);
  QPainterPath arc = stroker.createStroke(centreLine);
  // The round cap at the head. The tail starts fully transparent, so its cap would be invisible;
  // leaving it flat keeps the gradient's seam (where accent meets transparent indigo) out of sight.
  const qreal head = -sweep * M_PI / 180.0;
  QPainterPath cap;
  cap.addEllipse(QPointF(r * std::cos(head), -r * std::sin(head)), kLineWidth / 2, kLineWidth / 2);
  arc = arc.united(cap);
  // The angular gradient over the whole circle from 3 o'clock clockwise: indigo at 0 %, indigo,
  // accent. Qt's conical gradient runs counter-clockwise, so clockwise θ sits at 1 − θ/360.
  QConicalGradient gradient(QPointF(0, 0), 0);
  QColor clear = Theme::indigo();
  clear.setAlphaF(0);
  gradient.setColorAt(1.0, clear);
  gradient.setColorAt(0.5, Theme::indigo());
  gradient.setColorAt(0.0, Theme::accent());
  painter->setPen(Qt::NoPen);
  painter->fillPath(arc, QBrush(gradient));
  painter->restore();
}

void ScanningRing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRectF r = rect();
  paint(&painter, r, angle_, palette());

  const QFont countFont = Theme::fixedFont(TextStyle::headline);
  const QFont detailFont = Theme::fixedFont(TextStyle::caption);
  const QFontMetricsF countMetrics(countFont), detailMetrics(detailFont);
  const qreal height = countMetrics.height() + 2 + detailMetrics.height();
  qreal y = r.center().y() - height / 2;
  painter.setFont(countFont);
  painter.setPen(Theme::primary(palette()));
  painter.drawText(QRectF(r.left(), y, r.width(), countMetrics.height()), Qt::AlignCenter, progressText_);
  y += countMetrics.height() + 2;
  painter.setFont(detailFont);
  painter.setPen(Theme::secondary(palette()));
  painter.drawText(QRectF(r.left(), y, r.width(), detailMetrics.height()), Qt::AlignCenter, detail_);
}

}  // namespace tolvex
