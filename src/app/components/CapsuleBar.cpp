#include "app/components/CapsuleBar.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/theme/Theme.h"

namespace tolvex {

CapsuleBar::CapsuleBar(qreal trackOpacity, QWidget* parent) : QProgressBar(parent), trackOpacity_(trackOpacity) {
  setTextVisible(false);
}

void CapsuleBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF track(rect());
  const qreal radius = track.height() / 2;
  QPainterPath back;
  back.addRoundedRect(track, radius, radius);
  painter.fillPath(back, Theme::primary(palette(), trackOpacity_));
  const int span = std::max(maximum() - minimum(), 1);
  const qreal share = std::clamp(static_cast<qreal>(value() - minimum()) / span, 0.0, 1.0);
  if (share <= 0) return;
  QPainterPath bar;
  bar.addRoundedRect(QRectF(track.left(), track.top(), std::max(track.width() * share, track.height()), track.height()),
                     radius, radius);
  painter.fillPath(bar, Theme::indigo());
}

}  // namespace tolvex
