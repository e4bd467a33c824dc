#include "views/analysis/RowButton.h"

#include <QLayout>
#include <QPainter>
#include <QPainterPath>

namespace tolvex {

RowButton::RowButton(QWidget* parent) : QAbstractButton(parent) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  setAttribute(Qt::WA_Hover);
  // A button's own policy keeps it at its preferred width; a row shrinks with its card (its labels
  // elide) and grows in height as its wrapped texts need.
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void RowButton::setFill(std::optional<ThemeColor> color, qreal opacity, qreal radius) {
  fill_ = std::move(color);
  opacity_ = opacity;
  radius_ = radius;
  update();
}

void RowButton::passMouseThroughChildren() {
  for (QWidget* child : findChildren<QWidget*>()) child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RowButton::paintEvent(QPaintEvent*) {
  if (!fill_ && !hasFocus()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()), radius_, radius_);
  if (fill_) painter.fillPath(shape, Theme::withOpacity(fill_->resolve(palette()), opacity_));
  if (hasFocus()) painter.fillPath(shape, Theme::primary(palette(), 0.05));
}

void RowButton::enterEvent(QEnterEvent* event) {
  QAbstractButton::enterEvent(event);
  emit entered();
}

void RowButton::leaveEvent(QEvent* event) {
  QAbstractButton::leaveEvent(event);
  emit left();
}

void removeRows(QLayout* rows) {
  while (QLayoutItem* item = rows->takeAt(0)) {
    if (QWidget* widget = item->widget()) widget->deleteLater();
    delete item;
  }
}

}  // namespace tolvex
