#include "views/cleanup/DoneCheckmark.h"

#include <QPainter>

#include "app/ObjectNames.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"

namespace tolvex {

DoneCheckmark::DoneCheckmark(QWidget* parent) : QWidget(parent), spring_(Spring{0.6, 0.55}, this) {
  setObjectName(QLatin1String(names::doneCheckmark));
  setAttribute(Qt::WA_TranslucentBackground);
  setFixedSize(kSide, kSide);
  Symbols::tag(this, QStringLiteral("checkmark.circle.fill"));
}

void DoneCheckmark::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (appeared_) return;
  appeared_ = true;
  spring_.start([this](qreal value) {
    appear_ = value;
    update();
  });
}

void DoneCheckmark::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPointF c = QRectF(rect()).center();
  const QColor success = Theme::success(palette());

  const qreal disc = kDisc * discScale();
  painter.setPen(Qt::NoPen);
  painter.setBrush(Theme::withOpacity(success, 0.15));
  painter.drawEllipse(c, disc / 2, disc / 2);

  const qreal symbol = kSymbol * symbolScale();
  const QRectF r(c.x() - symbol / 2, c.y() - symbol / 2, symbol, symbol);
  if (symbol > 0)
    Symbols::paint(&painter, r, QStringLiteral("checkmark.circle.fill"), QBrush(Theme::gradient(success, r)));
}

}  // namespace tolvex
