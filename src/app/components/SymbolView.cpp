#include "app/components/SymbolView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <cmath>

#include "app/ObjectNames.h"
#include "app/theme/Symbols.h"

namespace tolvex {

SymbolView::SymbolView(const QString& symbol, int px, QWidget* parent) : SymbolView(symbol, ThemeColor(), px, parent) {}

SymbolView::SymbolView(const QString& symbol, const ThemeColor& color, int px, QWidget* parent)
    : QWidget(parent), symbol_(symbol), color_(color), px_(std::max(px, 1)) {
  setObjectName(QLatin1String(names::symbolView));
  setAttribute(Qt::WA_TranslucentBackground);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  Symbols::tag(this, symbol_);
}

void SymbolView::setSymbol(const QString& symbol) {
  if (symbol == symbol_) return;
  symbol_ = symbol;
  Symbols::tag(this, symbol_);
  update();
}

void SymbolView::setColor(const ThemeColor& color) {
  color_ = color;
  update();
}

void SymbolView::setGradientFill(bool on) {
  gradient_ = on;
  update();
}

void SymbolView::setBrandGradient(bool on) {
  brand_ = on;
  update();
}

void SymbolView::setPixelSize(int px) {
  px_ = std::max(px, 1);
  updateGeometry();
  update();
}

void SymbolView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!isEnabled()) painter.setOpacity(0.4);
  const QRectF r = rect();
  const qreal side = std::min(r.width(), r.height());
  const QRectF square(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
  if (brand_) {
    Symbols::paint(&painter, r, symbol_, QBrush(Theme::brandGradient(square, layoutDirection())));
  } else if (gradient_) {
    Symbols::paint(&painter, r, symbol_, QBrush(Theme::gradient(color_.resolve(palette()), square)));
  } else {
    Symbols::paint(&painter, r, symbol_, color_.resolve(palette()));
  }
}

SymbolLabel::SymbolLabel(const QString& title, const QString& symbol, QWidget* parent)
    : QWidget(parent), symbolView_(new SymbolView(symbol, 14, this)), label_(new QLabel(title, this)) {
  setObjectName(QLatin1String(names::symbolLabel));
  label_->setObjectName(QLatin1String(names::symbolLabelText));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(6);
  row->addWidget(symbolView_, 0, Qt::AlignVCenter);
  row->addWidget(label_, 1, Qt::AlignVCenter);
  Symbols::tag(this, symbol);
  syncSymbolSize();
}

void SymbolLabel::setSymbol(const QString& symbol) {
  symbolView_->setSymbol(symbol);
  Symbols::tag(this, symbol);
}

void SymbolLabel::setTextStyle(TextStyle style, QFont::Weight weight) {
  label_->setFont(Theme::font(style, weight));
  syncSymbolSize();
}

void SymbolLabel::setTextStyle(TextStyle style) { setTextStyle(style, Theme::weight(style)); }

void SymbolLabel::setColor(const ThemeColor& color) { Theme::setForeground(this, color); }

void SymbolLabel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) syncSymbolSize();
  QWidget::changeEvent(event);
}

void SymbolLabel::syncSymbolSize() {
  // A symbol sits a little larger than the capital height of its text, as symbols set in text do.
  const QFontInfo info(label_->font());
  const int px = info.pixelSize() > 0 ? info.pixelSize() : 13;
  symbolView_->setPixelSize(static_cast<int>(std::lround(px * 1.15)));
}

SymbolLabel* labelWithSymbol(const QString& title, const QString& symbol, QWidget* parent) {
  return new SymbolLabel(title, symbol, parent);
}

void labelWithSymbol(QAbstractButton* button, const QString& title, const QString& symbol) {
  if (!button) return;
  button->setText(title);
  button->setIcon(Symbols::icon(symbol));
  Symbols::tag(button, symbol);
}

}  // namespace tolvex
