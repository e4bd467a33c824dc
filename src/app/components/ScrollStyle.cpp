#include "app/components/ScrollStyle.h"

#include <QScrollArea>
#include <QScrollBar>

#include "app/theme/Theme.h"

namespace tolvex {

QScrollArea* makePageScroll(QWidget* parent, const char* objectName, Qt::ScrollBarPolicy vertical) {
  auto* scroll = new QScrollArea(parent);
  scroll->setObjectName(QLatin1String(objectName));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setVerticalScrollBarPolicy(vertical);
  scroll->viewport()->setAutoFillBackground(false);
  return scroll;
}

void styleThinScrollBar(QAbstractScrollArea* area) {
  const QColor handle = Theme::primary(area->palette(), 0.28);
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
  // Setting an equal sheet again would still restyle the bar: only a change is applied.
  if (area->verticalScrollBar()->styleSheet() != css) area->verticalScrollBar()->setStyleSheet(css);
}

}  // namespace tolvex
