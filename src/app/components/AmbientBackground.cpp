#include "app/components/AmbientBackground.h"

#include <QPainter>
#include <QRadialGradient>
#include <cmath>

#include "app/ObjectNames.h"
#include "app/theme/Theme.h"

namespace tolvex {
namespace {

// A disc of `radius` blurred by a Gaussian of `sigma`, drawn as a radial gradient: the coverage at
// distance r is about Φ((radius − r) / sigma).
void paintGlow(QPainter* painter, const QPointF& centre, qreal radius, qreal sigma, const QColor& color,
               qreal opacity) {
  const qreal outer = radius + 3 * sigma;
  QRadialGradient g(centre, outer);
  constexpr int kStops = 24;
  for (int i = 0; i <= kStops; ++i) {
    const qreal t = static_cast<qreal>(i) / kStops;
    const qreal r = t * outer;
    const qreal coverage = 0.5 * std::erfc((r - radius) / (sigma * std::sqrt(2.0)));
    g.setColorAt(t, Theme::withOpacity(color, opacity * coverage));
  }
  g.setColorAt(1.0, Theme::withOpacity(color, 0));
  painter->fillRect(QRectF(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer), g);
}

}  // namespace

AmbientBackground::AmbientBackground(QWidget* parent) : QWidget(parent) {
  setObjectName(QLatin1String(names::ambientBackground));
  setAutoFillBackground(false);
}

void AmbientBackground::setPainted(bool painted) {
  painted_ = painted;
  update();
}

void AmbientBackground::paint(QPainter* painter, const QRectF& rect, const QPalette& palette) {
  painter->save();
  painter->setClipRect(rect);
  painter->fillRect(rect, palette.color(QPalette::Window));
  const QPointF c = rect.center();
  constexpr qreal kBlur = 120;
  paintGlow(painter, c + QPointF(-260, -220), 260, kBlur, Theme::indigo(), 0.16);
  paintGlow(painter, c + QPointF(300, 240), 230, kBlur, Theme::accent(), 0.14);
  painter->restore();
}

void AmbientBackground::paintEvent(QPaintEvent*) {
  if (!painted_) return;
  QPainter painter(this);
  paint(&painter, QRectF(rect()), palette());
}

}  // namespace tolvex
