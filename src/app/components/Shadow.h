#pragma once
// Soft shadows of rounded rectangles, painted from a cached nine-slice image.
#include <QColor>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace tolvex {

// Paints the shadow that a rounded rectangle `shape` (corner radius `radius`) casts: `color` blurred
// by `blurRadius` and moved by `offset`. It spreads `blurRadius` beyond the moved shape.
void paintRoundedShadow(QPainter* painter, const QRectF& shape, qreal radius, qreal blurRadius, const QColor& color,
                        const QPointF& offset);

}  // namespace tolvex
