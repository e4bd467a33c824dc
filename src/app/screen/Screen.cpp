#include "app/screen/Screen.h"

#include <QTimer>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/components/AmbientBackground.h"

namespace tolvex {

Screen::Screen(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
  connect(&state_, &AppState::changed, this, &Screen::scheduleRefresh);
}

void Screen::scheduleRefresh() {
  if (pending_ || !everShown_) return;
  pending_ = true;
  QTimer::singleShot(0, this, [this] {
    pending_ = false;
    refreshNow();
  });
}

void Screen::refreshNow() {
  refresh();
  shownTree_ = state_.scan() ? state_.scan()->tree : nullptr;
}

QVBoxLayout* Screen::ambientPage() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* page = new AmbientBackground(this);
  outer->addWidget(page);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}

void Screen::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (everShown_) return;
  everShown_ = true;
  refreshNow();
}

}  // namespace tolvex
