#include "app/components/Card.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "app/ObjectNames.h"
#include "app/components/Shadow.h"
#include "app/theme/Theme.h"

namespace tolvex {
namespace {
constexpr qreal kShadowBlur = 10;
constexpr qreal kShadowOffsetY = 4;
constexpr qreal kShadowOpacity = 0.06;
}  // namespace

Card::Card(int padding, QWidget* parent) : QFrame(parent), body_(new QVBoxLayout(this)), padding_(padding) {
  setObjectName(QLatin1String(names::card));
  setAttribute(Qt::WA_TranslucentBackground);
  body_->setContentsMargins(padding, padding, padding, padding);
  body_->setSpacing(0);
  syncShadow();
}

Card::~Card() { delete shadow_.data(); }

void Card::setPadding(int padding) {
  padding_ = padding;
  body_->setContentsMargins(padding, padding, padding, padding);
}

QMargins Card::shadowMargins() {
  const int blur = static_cast<int>(kShadowBlur);
  return {blur, blur - static_cast<int>(kShadowOffsetY), blur, blur + static_cast<int>(kShadowOffsetY)};
}

void Card::paintBackground(QPainter* painter, const QRectF& rect, const QPalette& palette) {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(rect, kRadius, kRadius);
  painter->fillPath(shape, Theme::withOpacity(palette.color(QPalette::Window), 0.55));
  // Stroked inside the border: a 1-pixel line centred half a pixel in.
  painter->setPen(QPen(Theme::primary(palette, 0.07), 1.0));
  painter->setBrush(Qt::NoBrush);
  painter->drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), kRadius - 0.5, kRadius - 0.5);
  painter->restore();
}

void Card::paintShadow(QPainter* painter, const QRectF& rect) {
  paintRoundedShadow(painter, rect, kRadius, kShadowBlur, QColor(0, 0, 0, static_cast<int>(255 * kShadowOpacity)),
                     QPointF(0, kShadowOffsetY));
}

void Card::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintBackground(&painter, QRectF(rect()), palette());
}

bool Card::event(QEvent* event) {
  const bool result = QFrame::event(event);
  switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ShowToParent:  // sent even while the parent is not visible yet
    case QEvent::HideToParent:
    case QEvent::ZOrderChange: syncShadow(); break;
    default: break;
  }
  return result;
}

void Card::syncShadow() {
  QWidget* parent = parentWidget();
  if (shadow_ && shadow_->parentWidget() != parent) delete shadow_.data();
  if (!parent) return;
  if (!shadow_) {
    shadow_ = new CardShadow(this, parent);
  }
  shadow_->setGeometry(geometry().marginsAdded(shadowMargins()));
  shadow_->setVisible(!isHidden() && !isWindow());
  shadow_->stackUnder(this);
}

CardShadow::CardShadow(Card* card, QWidget* parent) : QWidget(parent), card_(card) {
  setObjectName(QLatin1String(names::cardShadow));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_TranslucentBackground);
  setFocusPolicy(Qt::NoFocus);
}

void CardShadow::paintEvent(QPaintEvent*) {
  if (!card_) return;
  QPainter painter(this);
  const QMargins m = Card::shadowMargins();
  Card::paintShadow(&painter, QRectF(rect().marginsRemoved(m)));
}

}  // namespace tolvex
