#include "app/components/GradientTile.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"

namespace tolvex {

GradientTile::GradientTile(const QString& symbol, int symbolPx, int side, qreal radius, QWidget* parent)
    : QWidget(parent), radius_(radius) {
  setFixedSize(side, side);
  if (symbol.isEmpty()) return;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new SymbolView(symbol, QColor(Qt::white), symbolPx, this), 0, Qt::AlignCenter);
}

GradientTile* GradientTile::badge(const QString& text, int side, QWidget* parent) {
  auto* tile = new GradientTile(QString(), 0, side, side / 2.0, parent);
  tile->text_ = text;
  return tile;
}

void GradientTile::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()), radius_, radius_);
  painter.fillPath(shape, Theme::brandGradient(QRectF(rect()), layoutDirection()));
  if (text_.isEmpty()) return;
  QFont font = Theme::font(TextStyle::callout);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(rect(), Qt::AlignCenter, text_);
}

}  // namespace tolvex
