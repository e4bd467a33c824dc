#pragma once
// A statistic on a card: a symbol in its tint and a secondary title, the value in large figures, and
// an optional two-line caption (its two lines always reserved).
#include <optional>

#include "app/components/Card.h"
#include "app/theme/Theme.h"

class QLabel;

namespace tolvex {

class ElidedLabel;
class SymbolView;

class StatTile : public Card {
  Q_OBJECT
 public:
  StatTile(const QString& title, const QString& value, const std::optional<QString>& caption, const QString& symbol,
           const ThemeColor& tint, QWidget* parent = nullptr);

  QString title() const;
  QString value() const;
  std::optional<QString> caption() const;
  QString symbol() const;
  void setTitle(const QString& title);
  void setValue(const QString& value);
  void setCaption(const std::optional<QString>& caption);
  void setSymbol(const QString& symbol, const ThemeColor& tint);

 private:
  SymbolView* symbol_;
  QLabel* title_;
  QLabel* value_;
  ElidedLabel* caption_;
};

}  // namespace tolvex
