#include "app/components/SpringAnimation.h"

#include "app/theme/Anim.h"

namespace tolvex {

SpringAnimation::SpringAnimation(Spring spring, QObject* parent) : QObject(parent), spring_(spring) {
  animation_.setStartValue(0.0);
  animation_.setEndValue(1.0);
  animation_.setEasingCurve(QEasingCurve::Linear);
  connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
    if (!onValue_) return;
    const double seconds = v.toDouble() * animation_.duration() / 1000.0;
    onValue_(animation_.currentTime() >= animation_.duration() ? 1.0 : spring_.value(seconds));
  });
  connect(&animation_, &QVariantAnimation::finished, this, [this] { finish(); });
}

void SpringAnimation::start(std::function<void(qreal)> onValue, std::function<void()> onDone) {
  finish();
  onValue_ = std::move(onValue);
  onDone_ = std::move(onDone);
  const int ms = Anim::duration(spring_.settleMs());
  if (ms <= 0) {
    finish();
    return;
  }
  onValue_(0);
  animation_.setDuration(ms);
  animation_.start();
}

void SpringAnimation::finish() {
  animation_.stop();
  auto onValue = std::move(onValue_);
  auto onDone = std::move(onDone_);
  onValue_ = nullptr;
  onDone_ = nullptr;
  if (onValue) onValue(1.0);
  if (onDone) onDone();
}

}  // namespace tolvex
