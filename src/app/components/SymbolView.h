#pragma once
// A symbol shown on its own, and a label made of a symbol and a title.
#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

#include "app/theme/Theme.h"

namespace tolvex {

// Draws one symbol, `px` square, in a colour resolved at paint time (or, when none is set, in the
// widget's text colour, so it follows the tone of its parent). Carries the "sfSymbol" property.
class SymbolView : public QWidget {
  Q_OBJECT
 public:
  explicit SymbolView(const QString& symbol, int px = 16, QWidget* parent = nullptr);
  SymbolView(const QString& symbol, const ThemeColor& color, int px, QWidget* parent = nullptr);

  QString symbol() const { return symbol_; }
  void setSymbol(const QString& symbol);
  ThemeColor color() const { return color_; }
  void setColor(const ThemeColor& color);
  // Fills the glyph with the gradient of its colour, or with the brand gradient, in place of the
  // plain colour.
  void setGradientFill(bool on);
  void setBrandGradient(bool on);
  int pixelSize() const { return px_; }
  void setPixelSize(int px);

  QSize sizeHint() const override { return {px_, px_}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString symbol_;
  ThemeColor color_;
  int px_;
  bool gradient_ = false;
  bool brand_ = false;
};

// A row of a symbol and a title (spacing 6). The title is a QLabel (objectName "symbolLabelText");
// the row carries the "sfSymbol" property.
class SymbolLabel : public QWidget {
  Q_OBJECT
 public:
  SymbolLabel(const QString& title, const QString& symbol, QWidget* parent = nullptr);

  QString text() const { return label_->text(); }
  void setText(const QString& text) { label_->setText(text); }
  QString symbol() const { return symbolView_->symbol(); }
  void setSymbol(const QString& symbol);
  QLabel* label() const { return label_; }
  SymbolView* symbolView() const { return symbolView_; }
  // Title font; the symbol is sized to match it.
  void setTextStyle(TextStyle style, QFont::Weight weight);
  void setTextStyle(TextStyle style);
  // Colour of symbol and title together (default: the inherited text colour).
  void setColor(const ThemeColor& color);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void syncSymbolSize();
  SymbolView* symbolView_;
  QLabel* label_;
};

// A label of a title and a symbol. The title is the caller's translated text.
SymbolLabel* labelWithSymbol(const QString& title, const QString& symbol, QWidget* parent = nullptr);
// The same on a button: its text, an icon of the symbol in the button's text colour, and the
// "sfSymbol" property (the capsule buttons draw that symbol in white).
void labelWithSymbol(QAbstractButton* button, const QString& title, const QString& symbol);

}  // namespace tolvex
