#pragma once
// One promise of Quick Clean under the Scan button: a symbol and a short text in the secondary
// style, on a capsule of its tint at 10 %.
#include <QWidget>

#include "app/theme/Theme.h"

namespace tolvex {

class SymbolLabel;

class Promise : public QWidget {
  Q_OBJECT
 public:
  Promise(const QString& symbol, const QString& title, const ThemeColor& tint, QWidget* parent = nullptr);

  QString symbol() const;
  QString title() const;
  ThemeColor tint() const { return tint_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  SymbolLabel* label_;
  ThemeColor tint_;
};

}  // namespace tolvex
