#include "shell/AutomationSettings.h"

#include <QComboBox>
#include <algorithm>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/services/UiServices.h"
#include "app/theme/Theme.h"
#include "shell/FormSection.h"
#include "shell/logic/SettingsChoices.h"

namespace tolvex {

namespace {

void askToNotify() {
  if (auto& ask = UiServices::shared().requestNotificationPermission) ask();
}

}  // namespace

AutomationSettings::AutomationSettings(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QLatin1String(names::settingsAutomation));
  build();
  refresh();
  connect(&state_.services(), &BackgroundServices::changed, this, &AutomationSettings::refresh);
}

void AutomationSettings::build() {
  QVBoxLayout* page = formPage(this);
  auto* cleaning = new FormSection(this);
  page->addWidget(cleaning);

  schedule_ = new QComboBox;
  schedule_->setObjectName(QLatin1String(names::settingsSchedule));
  for (CleanSchedule schedule : kCleanSchedules) schedule_->addItem(title(schedule));
  cleaning->addRow(tr("Clean safe junk automatically"), schedule_);
  cleaning->addCaption(
      tr("Only caches, logs, saved window state and Xcode build data — files that regenerate on "
         "their own. Never the Trash, Downloads or anything marked Review. Runs while Tolvex is "
         "open or in the menu bar."));
  connect(schedule_, &QComboBox::activated, this, &AutomationSettings::chooseSchedule);

  lastRun_ = new QLabel;
  lastRun_->setObjectName(QLatin1String(names::settingsLastRun));
  Theme::setForeground(lastRun_, Tone::secondary);
  lastRunRow_ = cleaning->addRow(tr("Last run"), lastRun_);

  runNow_ = new QPushButton;
  runNow_->setObjectName(QLatin1String(names::settingsRunNow));
  runNow_->setAutoDefault(false);
  cleaning->addRow(runNow_, Qt::AlignLeft);
  connect(runNow_, &QPushButton::clicked, this, &AutomationSettings::runNow);

  auto* warning = new FormSection(this);
  page->addWidget(warning);
  page->addStretch();
  lowSpace_ = new QComboBox;
  lowSpace_->setObjectName(QLatin1String(names::settingsLowSpace));
  for (int gigabytes : kLowSpaceChoices) lowSpace_->addItem(lowSpaceTitle(gigabytes));
  warning->addRow(tr("Warn me when free space drops below"), lowSpace_);
  connect(lowSpace_, &QComboBox::activated, this, &AutomationSettings::chooseLowSpace);
}

void AutomationSettings::chooseSchedule(int index) {
  if (index < 0 || index >= static_cast<int>(kCleanSchedules.size())) return;
  const CleanSchedule schedule = kCleanSchedules[static_cast<size_t>(index)];
  state_.services().setCleanSchedule(schedule);
  if (schedule != CleanSchedule::off) askToNotify();
}

void AutomationSettings::chooseLowSpace(int index) {
  if (index < 0 || index >= static_cast<int>(kLowSpaceChoices.size())) return;
  const int gigabytes = kLowSpaceChoices[static_cast<size_t>(index)];
  state_.services().setLowSpaceGB(gigabytes);
  if (gigabytes > 0) askToNotify();
}

void AutomationSettings::runNow() {
  if (running_ || state_.services().isCleaning()) return;
  running_ = true;
  // The clean goes on when the window closes; only a tab still there hears that it ended.
  QPointer<AutomationSettings> self(this);
  state_.services().runAutoClean([self] {
    if (!self) return;
    self->running_ = false;
    self->refresh();
  });
  refresh();
}

void AutomationSettings::refresh() {
  BackgroundServices& services = state_.services();
  {
    const QSignalBlocker block(schedule_);
    const auto at = std::find(kCleanSchedules.begin(), kCleanSchedules.end(), services.cleanSchedule());
    schedule_->setCurrentIndex(static_cast<int>(at - kCleanSchedules.begin()));
  }
  {
    const QSignalBlocker block(lowSpace_);
    lowSpace_->setCurrentIndex(lowSpaceIndex(services.lowSpaceGB()).value_or(-1));
  }
  const auto& last = services.lastAutoClean();
  lastRunRow_->setVisible(last.has_value());
  if (last) lastRun_->setText(lastRunText(*last, services.lastAutoCleanBytes(), state_.environment().clock()));
  const bool cleaning = running_ || services.isCleaning();
  runNow_->setText(cleaning ? tr("Cleaning…") : tr("Run Now"));
  runNow_->setEnabled(!cleaning);
}

}  // namespace tolvex
