#pragma once
// A card: content padded on all edges, on the window colour at 55 % in a rounded rectangle of radius
// 14, stroked with the primary colour at 7 % and casting a faint shadow.
#include <QFrame>
#include <QPointer>

class QVBoxLayout;

namespace tolvex {

class CardShadow;

class Card : public QFrame {
  Q_OBJECT
 public:
  explicit Card(int padding, QWidget* parent = nullptr);
  ~Card() override;

  // The card's own layout: margins = padding, spacing 0. Add widgets or layouts to it.
  QVBoxLayout* body() const { return body_; }
  int padding() const { return padding_; }
  void setPadding(int padding);

  static constexpr qreal kRadius = 14;
  // The card's fill and stroke in `rect`, and its shadow (drawn outside `rect`).
  static void paintBackground(QPainter* painter, const QRectF& rect, const QPalette& palette);
  static void paintShadow(QPainter* painter, const QRectF& rect);
  // How far the shadow reaches past the card's edges.
  static QMargins shadowMargins();

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void syncShadow();
  QVBoxLayout* body_;
  int padding_;
  QPointer<CardShadow> shadow_;
};

// The shadow of a card, a sibling stacked just below it, so the shadow may fall outside the card.
class CardShadow : public QWidget {
  Q_OBJECT
 public:
  CardShadow(Card* card, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPointer<Card> card_;
};

}  // namespace tolvex
