#include "app/shell/SettingsWindow.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/theme/Theme.h"

namespace tolvex {

SettingsWindow::SettingsWindow(AppState& state, QWidget* parent) : QDialog(parent), state_(state) {
  setObjectName(names::settingsWindow);
  setWindowTitle(tr("Settings"));
  setModal(false);
  setMinimumSize(480, 320);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 24, 24, 24);
  auto* heading = new QLabel(tr("Settings"), this);
  heading->setFont(Theme::font(TextStyle::title2, QFont::Bold));
  layout->addWidget(heading);
  layout->addStretch();
}

}  // namespace tolvex
