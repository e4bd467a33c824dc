#include "views/analysis/RowDivider.h"

#include <QPainter>

#include "app/theme/Theme.h"

namespace tolvex {

RowDivider::RowDivider(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

void RowDivider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Theme::primary(palette(), 0.1 * 0.4));
}

}  // namespace tolvex
