#pragma once
// Durations of animations. Every animation takes its duration from here, so that tests and grabs
// (TOLVEX_NO_ANIMATIONS=1) see the end state at once.
#include <QWidget>
#include <functional>

class QVariantAnimation;

namespace tolvex::Anim {

// True when TOLVEX_NO_ANIMATIONS is set to "1".
bool disabled();
// `ms`, or 0 when animations are disabled.
int duration(int ms);

// Makes `animation` an endless clockwise turn from 0 to 360 degrees at constant speed; each angle
// goes to `onAngle` and `widget` repaints (spinners and the scanning ring).
void makeTurn(QVariantAnimation& animation, QWidget* widget, std::function<void(qreal)> onAngle);

}  // namespace tolvex::Anim
