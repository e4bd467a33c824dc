#include "views/cleanup/CleanupList.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <cmath>

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
  styleScrollBar();
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
  if (event->type() == QEvent::PaletteChange) styleScrollBar();
}

void CleanupList::styleScrollBar() {
  const QColor handle = Theme::primary(palette(), 0.28);
  const QString css =
      QStringLiteral(
          "QScrollBar:vertical { background: transparent; width: 11px; margin: 6px 3px 6px 0; }"
          "QScrollBar::handle:vertical { background: rgba(%1,%2,%3,%4); border-radius: 4px; min-height: 28px; }"
          "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; }"
          "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
          .arg(handle.red())
          .arg(handle.green())
          .arg(handle.blue())
          .arg(handle.alpha());
  if (verticalScrollBar()->styleSheet() != css) verticalScrollBar()->setStyleSheet(css);
}

}  // namespace tolvex
