#pragma once
// Keyboard focus made visible on the controls we paint ourselves: a ring in the highlight colour,
// drawn while the control has the focus and the window's last focus change came from the keyboard,
// so a click leaves no ring behind while Tab always shows where the keys go.
#include <QPalette>
#include <QRectF>

class QPainter;
class QWidget;

namespace tolvex {

bool showsFocusRing(const QWidget* widget);

// A 2-pixel ring just inside `rect`, with corners of `radius`.
void paintFocusRing(QPainter* painter, const QRectF& rect, qreal radius, const QPalette& palette);

}  // namespace tolvex
