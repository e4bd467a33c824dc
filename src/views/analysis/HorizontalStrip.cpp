#include "views/analysis/HorizontalStrip.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QWheelEvent>

namespace tolvex {

HorizontalStrip::HorizontalStrip(int spacing, QWidget* parent) : QScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setWidgetResizable(true);
  // The items take the focus; the strip itself would be a Tab stop that shows nothing.
  setFocusPolicy(Qt::NoFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  // The content shows what lies behind it.
  viewport()->setAutoFillBackground(false);
  auto* content = new QWidget(this);
  content->setAutoFillBackground(false);
  row_ = new QHBoxLayout(content);
  row_->setContentsMargins(0, 0, 0, 0);
  row_->setSpacing(spacing);
  row_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setWidget(content);
  // Items added or removed later change the strip's height: the layout around it is told.
  content->installEventFilter(this);
}

bool HorizontalStrip::eventFilter(QObject* watched, QEvent* event) {
  if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
  return QScrollArea::eventFilter(watched, event);
}

QSize HorizontalStrip::sizeHint() const {
  const QSize content = widget()->sizeHint();
  return {content.width(), content.height()};
}

QSize HorizontalStrip::minimumSizeHint() const { return {0, widget()->sizeHint().height()}; }

void HorizontalStrip::wheelEvent(QWheelEvent* event) {
  const QPoint delta = event->angleDelta();
  const int step = delta.x() != 0 ? delta.x() : delta.y();
  QScrollBar* bar = horizontalScrollBar();
  if (step == 0 || bar->maximum() == 0) {
    event->ignore();
    return;
  }
  bar->setValue(bar->value() - step / 2);
  event->accept();
}

}  // namespace tolvex
