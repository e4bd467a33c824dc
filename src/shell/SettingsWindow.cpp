#include "shell/SettingsWindow.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/theme/Symbols.h"
#include "shell/AutomationSettings.h"
#include "shell/ExclusionsSettings.h"
#include "shell/GeneralSettings.h"

namespace tolvex {

SettingsWindow::SettingsWindow(AppState& state, QWidget* parent)
    : QDialog(parent),
      state_(state),
      tabs_(new QTabWidget(this)),
      general_(new GeneralSettings(state, tabs_)),
      automation_(new AutomationSettings(state, tabs_)),
      exclusions_(new ExclusionsSettings(state, tabs_)) {
  setObjectName(names::settingsWindow);
  setWindowTitle(tr("Settings"));
  setModal(false);
  setFixedSize(kWidth, kHeight);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 10, 8, 8);
  tabs_->setObjectName(QLatin1String(names::settingsTabs));
  tabs_->setDocumentMode(true);
  tabs_->setIconSize(QSize(14, 14));
  tabs_->addTab(general_, Symbols::icon(QStringLiteral("gearshape"), 14), tr("General"));
  tabs_->addTab(automation_, Symbols::icon(QStringLiteral("calendar.badge.clock"), 14), tr("Automation"));
  tabs_->addTab(exclusions_, Symbols::icon(QStringLiteral("eye.slash"), 14), tr("Exclusions"));
  layout->addWidget(tabs_);
}

}  // namespace tolvex
