#include "app/components/SymbolTile.h"

#include <QPainter>
#include <QPainterPath>

#include "app/ObjectNames.h"
#include "app/theme/Symbols.h"

namespace tolvex {

SymbolTile::SymbolTile(const QString& symbol, const ThemeColor& tint, int symbolPx, int side, qreal radius,
                       QWidget* parent)
    : QWidget(parent), symbol_(symbol), tint_(tint), symbolPx_(symbolPx), radius_(radius) {
  setObjectName(QLatin1String(names::symbolTile));
  setAttribute(Qt::WA_TranslucentBackground);
  setFixedSize(side, side);
  Symbols::tag(this, symbol_);
}

void SymbolTile::setSymbol(const QString& symbol, const ThemeColor& tint) {
  symbol_ = symbol;
  tint_ = tint;
  Symbols::tag(this, symbol_);
  update();
}

void SymbolTile::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor tint = tint_.resolve(palette());
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()), radius_, radius_);
  painter.fillPath(shape, Theme::withOpacity(tint, kFillOpacity));
  const QRectF glyph(QRectF(rect()).center() - QPointF(symbolPx_ / 2.0, symbolPx_ / 2.0), QSizeF(symbolPx_, symbolPx_));
  Symbols::paint(&painter, glyph, symbol_, tint);
}

}  // namespace tolvex
