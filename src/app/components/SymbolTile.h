#pragma once
// A symbol in its tint, centred on the same tint at opacity 0.14 in a rounded square (the headline
// tiles of the cards) or, with a radius of half the side, in a circle (badges).
#include <QWidget>

#include "app/theme/Theme.h"

namespace tolvex {

class SymbolTile : public QWidget {
  Q_OBJECT
 public:
  SymbolTile(const QString& symbol, const ThemeColor& tint, int symbolPx, int side = 54, qreal radius = 14,
             QWidget* parent = nullptr);

  QString symbol() const { return symbol_; }
  ThemeColor tint() const { return tint_; }
  void setSymbol(const QString& symbol, const ThemeColor& tint);

  static constexpr qreal kFillOpacity = 0.14;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString symbol_;
  ThemeColor tint_;
  int symbolPx_;
  qreal radius_;
};

}  // namespace tolvex
