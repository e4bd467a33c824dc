#include "views/cleanup/StageTransition.h"

#include <QPainter>
#include <algorithm>

#include "app/ObjectNames.h"

namespace tolvex {

StageTransition::StageTransition(QWidget* parent) : QWidget(parent), spring_(Spring{0.45, 1.0}, this) {
  setObjectName(QLatin1String(names::stageTransition));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_TranslucentBackground);
  hide();
}

QPixmap StageTransition::picture(QWidget* stage) {
  QWidget* area = stage->parentWidget();
  const qreal dpr = area->devicePixelRatioF();
  QPixmap pixmap(area->size() * dpr);
  pixmap.setDevicePixelRatio(dpr);
  pixmap.fill(Qt::transparent);
  stage->render(&pixmap, stage->pos(), QRegion(), QWidget::DrawChildren);
  return pixmap;
}

void StageTransition::run(const QPixmap& from, const QPixmap& to, std::function<void()> done) {
  from_ = from;
  to_ = to;
  setGeometry(parentWidget()->rect());
  raise();
  show();
  spring_.start(
      [this](qreal value) {
        progress_ = value;
        update();
      },
      [this, done = std::move(done)] {
        hide();
        from_ = QPixmap();
        to_ = QPixmap();
        if (done) done();
      });
}

void StageTransition::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const qreal t = std::clamp<qreal>(progress_, 0, 1);
  if (!from_.isNull()) {
    painter.setOpacity(1 - t);
    painter.drawPixmap(0, 0, from_);
  }
  if (!to_.isNull()) {
    const QPointF centre = QRectF(rect()).center();
    const qreal scale = 0.96 + 0.04 * progress_;
    painter.setOpacity(t);
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    painter.drawPixmap(0, 0, to_);
  }
}

}  // namespace tolvex
