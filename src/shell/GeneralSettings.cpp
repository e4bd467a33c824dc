#include "shell/GeneralSettings.h"

#include <QHBoxLayout>
#include <algorithm>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/Settings.h"
#include "app/components/SegmentedPicker.h"
#include "app/components/SymbolView.h"
#include "app/components/ToggleSwitch.h"
#include "app/services/UiServices.h"
#include "platform/FullDiskAccess.h"
#include "shell/FormSection.h"

namespace tolvex {

namespace {

ToggleSwitch* toggle(const char* name, const QString& title) {
  auto* toggle = new ToggleSwitch;
  toggle->setObjectName(QLatin1String(name));
  toggle->setAccessibleName(title);
  return toggle;
}

}  // namespace

GeneralSettings::GeneralSettings(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QLatin1String(names::settingsGeneral));
  build();
  refresh();
  connect(&state_, &AppState::changed, this, &GeneralSettings::refresh);
  connect(&state_.services(), &BackgroundServices::changed, this, &GeneralSettings::refresh);
}

void GeneralSettings::build() {
  QVBoxLayout* page = formPage(this);
  auto* form = new FormSection(this);
  page->addWidget(form);
  page->addStretch();

  QStringList titles;
  for (AppAppearance look : kAllAppAppearances) titles << title(look);
  appearance_ = new SegmentedPicker(titles);
  appearance_->setObjectName(QLatin1String(names::settingsAppearance));
  form->addRow(tr("Appearance"), appearance_);
  form->addCaption(tr("System follows your Mac: with macOS set to Auto, Tolvex is light by day and dark at night."));
  connect(appearance_, &SegmentedPicker::activated, this, [this](int index) {
    const AppAppearance chosen = kAllAppAppearances[static_cast<size_t>(index)];
    if (chosen != appAppearanceOrSystem(state_.settings().stringValue(keys::appearance))) applyAppearance(chosen);
  });

  const QString permanentTitle = tr("Delete permanently instead of using the Trash");
  permanentDelete_ = toggle(names::settingsPermanentDelete, permanentTitle);
  form->addRow(permanentTitle, permanentDelete_);
  form->addCaption(tr("Recommended off: anything in the Trash can be restored."));
  connect(permanentDelete_, &QAbstractButton::clicked, this, [this](bool on) { state_.setPermanentDelete(on); });

  auto* access = new QWidget;
  auto* accessLayout = new QHBoxLayout(access);
  accessLayout->setContentsMargins(0, 0, 0, 0);
  granted_ = labelWithSymbol(tr("Granted"), QStringLiteral("checkmark.circle.fill"), access);
  granted_->setObjectName(QLatin1String(names::settingsAccessGranted));
  granted_->symbolView()->setColor(Theme::success());
  grant_ = new QPushButton(tr("Grant…"), access);
  grant_->setObjectName(QLatin1String(names::settingsAccessGrant));
  grant_->setAutoDefault(false);
  accessLayout->addWidget(granted_);
  accessLayout->addWidget(grant_);
  form->addRow(tr("Full Disk Access"), access);
  connect(grant_, &QPushButton::clicked, this, [] {
    if (auto& open = UiServices::shared().openUrl) open(QUrl(QString::fromLatin1(kFullDiskAccessSettingsURL)));
  });

  const QString loginTitle = tr("Open Tolvex at login");
  launchAtLogin_ = toggle(names::settingsLaunchAtLogin, loginTitle);
  form->addRow(loginTitle, launchAtLogin_);
  connect(launchAtLogin_, &QAbstractButton::clicked, this, [this](bool on) { state_.services().setLaunchAtLogin(on); });

  const QString menuBarTitle = tr("Show free space in the menu bar");
  menuBar_ = toggle(names::settingsMenuBar, menuBarTitle);
  form->addRow(menuBarTitle, menuBar_);
  connect(menuBar_, &QAbstractButton::clicked, this, [this](bool on) { state_.services().setMenuBarEnabled(on); });

  const QString watchTitle = tr("Tell me when an app I remove leaves files behind");
  watchRemovedApps_ = toggle(names::settingsWatchRemovedApps, watchTitle);
  form->addRow(watchTitle, watchRemovedApps_);
  connect(watchRemovedApps_, &QAbstractButton::clicked, this,
          [this](bool on) { state_.services().setWatchRemovedApps(on); });
}

void GeneralSettings::applyAppearance(AppAppearance appearance) {
  state_.settings().setString(keys::appearance, rawValue(appearance));
  Appearance::apply(appearance);
  refresh();
}

void GeneralSettings::refresh() {
  BackgroundServices& services = state_.services();
  const AppAppearance look = appAppearanceOrSystem(state_.settings().stringValue(keys::appearance));
  const auto position = std::find(kAllAppAppearances.begin(), kAllAppAppearances.end(), look);
  {
    const QSignalBlocker block(appearance_);
    appearance_->setCurrentIndex(static_cast<int>(position - kAllAppAppearances.begin()));
  }
  // The switches report only the user's clicks, so setting them here writes nothing back.
  permanentDelete_->setChecked(state_.permanentDelete());
  launchAtLogin_->setChecked(services.launchAtLogin());
  menuBar_->setChecked(services.menuBarEnabled());
  watchRemovedApps_->setChecked(services.watchRemovedApps());
  const bool granted = state_.hasFullDiskAccess();
  granted_->setVisible(granted);
  grant_->setVisible(!granted);
}

}  // namespace tolvex
