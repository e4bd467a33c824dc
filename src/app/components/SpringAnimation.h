#pragma once
// An animation that follows a damped spring from 0 to 1 (stage changes, selections). It lasts until
// the spring settles, through the theme's durations: without animations it reports 1 at once.
#include <QVariantAnimation>
#include <functional>

#include "app/theme/Spring.h"

namespace tolvex {

class SpringAnimation : public QObject {
  Q_OBJECT
 public:
  explicit SpringAnimation(Spring spring, QObject* parent = nullptr);

  // Runs from the start; each step's spring value goes to `onValue` (above 1 while it overshoots),
  // and `onDone` runs once at the end. A running animation is stopped first (its `onDone` still runs).
  void start(std::function<void(qreal)> onValue, std::function<void()> onDone = {});
  // Jumps to the end.
  void finish();
  bool isRunning() const { return animation_.state() == QAbstractAnimation::Running; }

 private:
  Spring spring_;
  QVariantAnimation animation_;
  std::function<void(qreal)> onValue_;
  std::function<void()> onDone_;
};

}  // namespace tolvex
