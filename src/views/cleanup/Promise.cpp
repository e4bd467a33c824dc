#include "views/cleanup/Promise.h"

#include <QHBoxLayout>
#include <QPainter>

#include "app/ObjectNames.h"
#include "app/components/SymbolView.h"

namespace tolvex {

Promise::Promise(const QString& symbol, const QString& title, const ThemeColor& tint, QWidget* parent)
    : QWidget(parent), label_(new SymbolLabel(title, symbol, this)), tint_(tint) {
  setObjectName(QLatin1String(names::idlePromise));
  setAttribute(Qt::WA_TranslucentBackground);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(12, 7, 12, 7);
  row->addWidget(label_);
  label_->setTextStyle(TextStyle::callout);
  Theme::setForeground(label_, Tone::secondary);
}

QString Promise::symbol() const { return label_->symbol(); }
QString Promise::title() const { return label_->text(); }

void Promise::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Theme::withOpacity(tint_.resolve(palette()), 0.1));
  const QRectF r = rect();
  painter.drawRoundedRect(r, r.height() / 2, r.height() / 2);
}

}  // namespace tolvex
