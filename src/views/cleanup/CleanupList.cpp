#include "views/cleanup/CleanupList.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <cmath>

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
                                const QWidget* widget) {
  QStyleOptionButton option;
  option.rect = box;
  option.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
  if (widget) option.palette = widget->palette();
  painter->save();
  painter->setOpacity(painter->opacity() * opacity);
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter, widget);
  painter->restore();
}

void CleanupList::changeEvent(QEvent* event) {
  QListView::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) styleThinScrollBar(this);
}

}  // namespace tolvex
