#pragma once
// A row of a card that is one button: its whole rectangle takes clicks and hover (the labels inside
// let the mouse through), optionally over a rounded fill, and it tells when the pointer enters and
// leaves.
#include <QAbstractButton>
#include <optional>

#include "app/theme/Theme.h"

namespace tolvex {

class RowButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit RowButton(QWidget* parent = nullptr);

  // The fill behind the row (none: nothing drawn).
  void setFill(std::optional<ThemeColor> color, qreal opacity = 1, qreal radius = 8);
  // Call once the row's content is laid in: its labels let clicks and hover reach the row.
  void passMouseThroughChildren();

 signals:
  void entered();
  void left();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  std::optional<ThemeColor> fill_;
  qreal opacity_ = 1;
  qreal radius_ = 8;
};

// Takes every item out of a card's list of rows; the widgets go at the next turn of the event loop
// (a row may be removed from inside its own click).
void removeRows(QLayout* rows);

}  // namespace tolvex
