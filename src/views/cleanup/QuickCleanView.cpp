#include "views/cleanup/QuickCleanView.h"

#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/theme/Anim.h"
#include "views/cleanup/DoneStage.h"
#include "views/cleanup/IdleStage.h"
#include "views/cleanup/ReviewStage.h"
#include "views/cleanup/StageTransition.h"
#include "views/cleanup/StepIndicator.h"
#include "views/cleanup/WorkingStage.h"

namespace tolvex {

QuickCleanView::QuickCleanView(AppState& state, QWidget* parent) : Screen(state, parent) {
  setObjectName(QLatin1String(names::quickCleanView));
  QVBoxLayout* column = ambientPage();
  QWidget* page = column->parentWidget();
  column->setContentsMargins(32, 20, 32, 24);
  column->setSpacing(20);

  indicator_ = new StepIndicator(state.smartPhase(), page);
  column->addWidget(indicator_, 0, Qt::AlignHCenter);

  host_ = new QWidget(page);
  host_->setObjectName(QLatin1String(names::quickCleanStage));
  hostLayout_ = new QVBoxLayout(host_);
  hostLayout_->setContentsMargins(0, 0, 0, 0);
  column->addWidget(host_, 1);
  transition_ = new StageTransition(host_);
}

QuickCleanStage* QuickCleanView::makeStage(SmartPhase phase) {
  switch (phase) {
    case SmartPhase::idle: return new IdleStage(state(), host_);
    case SmartPhase::scanning:
      return new WorkingStage(tr("Looking for files you don’t need…"),
                              tr("Caches, logs, Trash, Xcode leftovers, Mail attachments…"), host_);
    case SmartPhase::review: return new ReviewStage(state(), host_);
    case SmartPhase::cleaning:
      return new WorkingStage(tr("Cleaning…"), tr("Only the safe items you selected are removed."), host_);
    case SmartPhase::done: return new DoneStage(state(), host_);
  }
  return new IdleStage(state(), host_);
}

QRect QuickCleanView::stageGeometry(QuickCleanStage* stage) const {
  // Where the layout will put the stage once it is shown: the whole area, or centred at its size.
  const QRect area = host_->rect();
  if (stage->fillsHeight()) return area;
  QSize size = stage->sizeHint();
  if (stage->hasHeightForWidth()) size.setHeight(stage->heightForWidth(std::min(size.width(), area.width())));
  return QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, size.boundedTo(area.size()), area);
}

void QuickCleanView::showStage(SmartPhase phase) {
  transition_->finish();
  QPointer<QuickCleanStage> old = stage_;
  const bool animate = old && isVisible() && Anim::duration(1) > 0;
  const QPixmap from = animate ? StageTransition::picture(old) : QPixmap();
  if (old) {
    old->hide();
    hostLayout_->removeWidget(old);
    old->deleteLater();
  }
  stagePhase_ = phase;
  stage_ = makeStage(phase);
  stage_->hide();
  hostLayout_->addWidget(stage_, 1, stage_->fillsHeight() ? Qt::Alignment() : Qt::AlignCenter);
  if (!animate) {
    stage_->show();
    return;
  }
  // The coming stage is pictured where it will stand and shown once the change has played.
  stage_->setGeometry(stageGeometry(stage_));
  const QPixmap to = StageTransition::picture(stage_);
  QPointer<QuickCleanStage> coming = stage_;
  transition_->run(from, to, [coming] {
    if (coming) coming->show();
  });
}

void QuickCleanView::refresh() {
  const SmartPhase phase = state().smartPhase();
  indicator_->setPhase(phase);
  if (!stage_ || phase != stagePhase_) {
    showStage(phase);
    return;
  }
  stage_->refresh();
}

}  // namespace tolvex
