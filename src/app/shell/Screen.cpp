#include "app/shell/Screen.h"

#include <QTimer>

#include "app/AppState.h"

namespace tolvex {

Screen::Screen(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
  connect(&state_, &AppState::changed, this, &Screen::scheduleRefresh);
}

void Screen::scheduleRefresh() {
  if (pending_ || !everShown_) return;
  pending_ = true;
  QTimer::singleShot(0, this, [this] {
    pending_ = false;
    refresh();
  });
}

void Screen::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (everShown_) return;
  everShown_ = true;
  refresh();
}

}  // namespace tolvex
