#include "app/components/LegendDot.h"

#include <QPainter>

#include "app/ObjectNames.h"

namespace tolvex {

LegendDot::LegendDot(const ThemeColor& color, QWidget* parent) : QWidget(parent), color_(color) {
  setObjectName(QLatin1String(names::legendDot));
  setFixedSize(kSize, kSize);
}

void LegendDot::setColor(const ThemeColor& color) {
  color_ = color;
  update();
}

void LegendDot::paint(QPainter* painter, const QRectF& rect, const QColor& color) {
  const QRectF dot(rect.center().x() - kSize / 2.0, rect.center().y() - kSize / 2.0, kSize, kSize);
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  painter->setPen(Qt::NoPen);
  painter->setBrush(Theme::gradient(color, dot));
  painter->drawEllipse(dot);
  painter->restore();
}

void LegendDot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(&painter, QRectF(rect()), color_.resolve(palette()));
}

}  // namespace tolvex
