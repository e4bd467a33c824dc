#include "app/components/ActivitySpinner.h"

#include <QPainter>

#include "app/theme/Anim.h"
#include "app/theme/Theme.h"

namespace tolvex {

ActivitySpinner::ActivitySpinner(int side, QWidget* parent) : QWidget(parent), side_(side) {
  setAttribute(Qt::WA_TranslucentBackground);
  setFixedSize(side, side);
  Anim::makeTurn(spin_, this, [this](qreal angle) { angle_ = angle; });
}

void ActivitySpinner::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  const int ms = Anim::duration(kTurnMs);
  if (ms <= 0) return;
  if (spin_.state() == QAbstractAnimation::Paused) {
    spin_.resume();
  } else if (spin_.state() == QAbstractAnimation::Stopped) {
    spin_.setDuration(ms);
    spin_.start();
  }
}

void ActivitySpinner::hideEvent(QHideEvent* event) {
  if (spin_.state() == QAbstractAnimation::Running) spin_.pause();  // no work for a hidden spinner
  QWidget::hideEvent(event);
}

void ActivitySpinner::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal line = std::max(2.0, side_ / 8.0);
  const QRectF circle = QRectF(rect()).adjusted(line / 2 + 0.5, line / 2 + 0.5, -line / 2 - 0.5, -line / 2 - 0.5);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Theme::primary(palette(), 0.12), line));
  painter.drawEllipse(circle);
  painter.setPen(QPen(Theme::indigo(), line, Qt::SolidLine, Qt::RoundCap));
  // Qt's angles run counter-clockwise in sixteenths of a degree: start at 12 o'clock, turned clockwise.
  const int start = static_cast<int>((90.0 - angle_) * 16);
  painter.drawArc(circle, start, static_cast<int>(-kArcFraction * 360 * 16));
}

}  // namespace tolvex
