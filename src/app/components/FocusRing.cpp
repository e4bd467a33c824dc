#include "app/components/FocusRing.h"

#include <QPainter>
#include <QWidget>

namespace tolvex {

bool showsFocusRing(const QWidget* widget) {
  if (!widget->hasFocus()) return false;
  const QWidget* window = widget->window();
  return window && window->testAttribute(Qt::WA_KeyboardFocusChange);
}

void paintFocusRing(QPainter* painter, const QRectF& rect, qreal radius, const QPalette& palette) {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  QColor ring = palette.color(QPalette::Highlight);
  ring.setAlphaF(0.75f);
  painter->setPen(QPen(ring, 2.0));
  painter->setBrush(Qt::NoBrush);
  const QRectF inner = rect.adjusted(1, 1, -1, -1);
  painter->drawRoundedRect(inner, std::max<qreal>(radius - 1, 0), std::max<qreal>(radius - 1, 0));
  painter->restore();
}

}  // namespace tolvex
