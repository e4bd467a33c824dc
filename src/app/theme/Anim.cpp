#include "app/theme/Anim.h"

#include <QByteArray>
#include <QVariantAnimation>
#include <QtGlobal>

namespace tolvex::Anim {

bool disabled() { return qgetenv("TOLVEX_NO_ANIMATIONS") == "1"; }

int duration(int ms) { return disabled() ? 0 : (ms < 0 ? 0 : ms); }

void makeTurn(QVariantAnimation& animation, QWidget* widget, std::function<void(qreal)> onAngle) {
  animation.setStartValue(0.0);
  animation.setEndValue(360.0);
  animation.setEasingCurve(QEasingCurve::Linear);
  animation.setLoopCount(-1);
  QObject::connect(&animation, &QVariantAnimation::valueChanged, widget,
                   [widget, onAngle = std::move(onAngle)](const QVariant& value) {
                     onAngle(value.toReal());
                     widget->update();
                   });
}

}  // namespace tolvex::Anim
