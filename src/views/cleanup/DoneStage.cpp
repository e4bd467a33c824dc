#include "views/cleanup/DoneStage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Buttons.h"
#include "app/theme/Theme.h"
#include "views/cleanup/DoneCheckmark.h"
#include "views/cleanup/logic/QuickCleanTexts.h"

namespace tolvex {
namespace {

QLabel* line(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setAlignment(Qt::AlignCenter);
  return label;
}

void showLine(QLabel* label, const std::optional<QString>& text) {
  label->setVisible(text.has_value());
  label->setText(text.value_or(QString()));
}

}  // namespace

DoneStage::DoneStage(AppState& state, QWidget* parent) : QuickCleanStage(parent), state_(state) {
  setObjectName(QLatin1String(names::doneStage));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(18);

  checkmark_ = new DoneCheckmark(this);
  column->addWidget(checkmark_, 0, Qt::AlignHCenter);

  cleaned_ = line(names::doneCleaned, this);
  cleaned_->setFont(Theme::systemFont(38, QFont::Bold));
  column->addWidget(cleaned_, 0, Qt::AlignHCenter);
  inTrash_ = line(names::doneInTrash, this);
  Theme::setTextStyle(inTrash_, TextStyle::body);
  Theme::setForeground(inTrash_, Tone::secondary);
  column->addWidget(inTrash_, 0, Qt::AlignHCenter);
  untouched_ = line(names::doneUntouched, this);
  Theme::setTextStyle(untouched_, TextStyle::callout);
  Theme::setForeground(untouched_, Tone::secondary);
  column->addWidget(untouched_, 0, Qt::AlignHCenter);
  freeSpace_ = line(names::doneFreeSpace, this);
  Theme::setTextStyle(freeSpace_, TextStyle::title3);
  column->addWidget(freeSpace_, 0, Qt::AlignHCenter);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 8, 0, 0);
  buttons->setSpacing(8);
  buttons->addStretch(1);
  auto* seeMore = new QPushButton(tr("See What Else Is Using Space"), this);
  seeMore->setObjectName(QLatin1String(names::doneSeeMore));
  seeMore->setAutoDefault(false);
  connect(seeMore, &QPushButton::clicked, this, &DoneStage::seeMore);
  buttons->addWidget(seeMore, 0, Qt::AlignVCenter);
  auto* finish = new PrimaryButton(tr("Done"), false, this);
  finish->setObjectName(QLatin1String(names::doneFinish));
  connect(finish, &QPushButton::clicked, this, [this] { state_.setSmartPhase(SmartPhase::idle); });
  buttons->addWidget(finish, 0, Qt::AlignVCenter);
  buttons->addStretch(1);
  column->addLayout(buttons);
  refresh();
}

void DoneStage::refresh() {
  const DoneTexts texts = doneTexts(state_.lastReport(), state_.volume());
  showLine(cleaned_, texts.cleaned);
  showLine(inTrash_, texts.inTrash);
  showLine(untouched_, texts.untouched);
  showLine(freeSpace_, texts.freeSpace);
}

void DoneStage::seeMore() {
  // Changing the section removes this screen (later); the store stays.
  AppState& state = state_;
  state.setSection(AppSection::overview);
  // A scan on its way (running, or being restored from the last session) is not started over.
  if (!state.scan() && !state.isScanning() && !state.isRestoringScan()) state.startScan(ScanTarget::wholeDisk());
}

}  // namespace tolvex
