#include "app/components/ToggleSwitch.h"

#include <QPainter>
#include <QPainterPath>

#include "app/components/FocusRing.h"
#include "app/theme/Theme.h"

namespace tolvex {

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& pal = palette();
  const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
  const qreal radius = track.height() / 2;
  QPainterPath shape;
  shape.addRoundedRect(track, radius, radius);
  QColor fill = isChecked() ? Theme::accent() : Theme::primary(pal, Theme::isDark(pal) ? 0.22 : 0.14);
  if (!isEnabled()) fill = Theme::withOpacity(fill, 0.45);
  painter.fillPath(shape, fill);
  const qreal knob = track.height() - 4;
  const qreal x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
  const QRectF knobRect(x, track.top() + 2, knob, knob);
  painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
  painter.setBrush(QColor(Qt::white));
  painter.drawEllipse(knobRect);
  if (showsFocusRing(this)) paintFocusRing(&painter, QRectF(rect()), radius + 1, pal);
}

}  // namespace tolvex
