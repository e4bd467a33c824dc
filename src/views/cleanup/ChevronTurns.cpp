#include "views/cleanup/ChevronTurns.h"

#include <QWidget>

#include "app/theme/Anim.h"

namespace tolvex {

double ChevronTurns::angle(const std::string& key, bool open) const {
  auto turn = turns_.find(key);
  if (turn != turns_.end() && turn->second->state() == QAbstractAnimation::Running)
    return turn->second->currentValue().toDouble();
  return open ? 90.0 : 0.0;
}

void ChevronTurns::turn(const std::string& key, bool open) {
  const double from = angle(key, !open);
  auto& turn = turns_[key];
  if (!turn) {
    turn = std::make_unique<QVariantAnimation>();
    QObject::connect(turn.get(), &QVariantAnimation::valueChanged, viewport_, qOverload<>(&QWidget::update));
  }
  turn->stop();
  turn->setDuration(Anim::duration(150));
  turn->setEasingCurve(QEasingCurve::OutCubic);
  turn->setStartValue(from);
  turn->setEndValue(open ? 90.0 : 0.0);
  if (turn->duration() > 0) turn->start();
  viewport_->update();
}

}  // namespace tolvex
