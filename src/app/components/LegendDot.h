#pragma once
// A 9 × 9 circle filled with the gradient of a colour.
#include <QWidget>

#include "app/theme/Theme.h"

namespace tolvex {

class LegendDot : public QWidget {
  Q_OBJECT
 public:
  explicit LegendDot(const ThemeColor& color, QWidget* parent = nullptr);

  ThemeColor color() const { return color_; }
  void setColor(const ThemeColor& color);

  static constexpr int kSize = 9;
  // The dot centred in `rect`.
  static void paint(QPainter* painter, const QRectF& rect, const QColor& color);

  QSize sizeHint() const override { return {kSize, kSize}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ThemeColor color_;
};

}  // namespace tolvex
