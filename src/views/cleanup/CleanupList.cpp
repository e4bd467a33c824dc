#include "views/cleanup/CleanupList.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <cmath>

#include "app/components/FocusRing.h"
#include "app/components/ScrollStyle.h"
#include "app/theme/Theme.h"

namespace tolvex {

CleanupList::CleanupList(QWidget* parent) : QListView(parent) {
  setFrameShape(QFrame::NoFrame);
  viewport()->setAutoFillBackground(false);
  setAutoFillBackground(false);
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setUniformItemSizes(false);
  setResizeMode(QListView::Adjust);
  setMouseTracking(true);
  setContextMenuPolicy(Qt::CustomContextMenu);
  verticalScrollBar()->setSingleStep(12);
  styleThinScrollBar(this);
}

int CleanupList::textWidth(const QFont& font, const QString& text) {
  return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(text))) + 2;
}

int CleanupList::checkBoxSide() { return 14; }

QRect CleanupList::checkBoxRect(const QRect& row, int left) {
  const int side = checkBoxSide();
  return {left, row.center().y() - side / 2 + 1, side, side};
}

void CleanupList::paintCheckBox(QPainter* painter, const QRect& box, bool checked, double opacity,
                                const QWidget* widget, bool enabled) {
  QStyleOptionButton option;
  option.rect = box;
  option.state =
      (enabled ? QStyle::State_Enabled : QStyle::State_None) | (checked ? QStyle::State_On : QStyle::State_Off);
  if (widget) option.palette = widget->palette();
  if (!enabled) option.palette.setCurrentColorGroup(QPalette::Disabled);
  painter->save();
  painter->setOpacity(painter->opacity() * opacity * (enabled ? 1.0 : kDisabledOpacity));
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter, widget);
  painter->restore();
}

bool CleanupList::event(QEvent* event) {
  // Seen before the screens' own key handling, which may take a key without passing it on.
  if (event->type() == QEvent::KeyPress) {
    movedByKeys_ = true;
    viewport()->update();
  }
  return QListView::event(event);
}

void CleanupList::paintEvent(QPaintEvent* event) {
  QListView::paintEvent(event);
  const QModelIndex current = currentIndex();
  if (!current.isValid() || !hasFocus() || !(movedByKeys_ || showsFocusRing(this))) return;
  const QRect row = visualRect(current).adjusted(kInset - 8, 1, -(kInset - 8), -1);
  if (!row.intersects(event->rect())) return;
  QPainter painter(viewport());
  paintFocusRing(&painter, QRectF(row), 6, palette());
}

void CleanupList::focusInEvent(QFocusEvent* event) {
  QListView::focusInEvent(event);
  viewport()->update();
}

void CleanupList::focusOutEvent(QFocusEvent* event) {
  QListView::focusOutEvent(event);
  viewport()->update();
}

void CleanupList::mousePressEvent(QMouseEvent* event) {
  movedByKeys_ = false;
  QListView::mousePressEvent(event);
}

void CleanupList::changeEvent(QEvent* event) {
  QListView::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) styleThinScrollBar(this);
}

}  // namespace tolvex
