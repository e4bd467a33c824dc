#pragma once
// The Quick Clean screen: the step indicator above the stage of the store's Quick Clean phase (start,
// searching, review, cleaning, result). It holds nothing of its own and acts on nothing; the stages
// do the work. A change of phase swaps the stage with a short transition; any other change of the
// store only refreshes the stage on screen.
#include <QPointer>

#include "app/AppSection.h"
#include "app/screen/Screen.h"
#include "views/cleanup/QuickCleanStage.h"

class QVBoxLayout;

namespace tolvex {

class StageTransition;
class StepIndicator;

class QuickCleanView : public Screen {
  Q_OBJECT
 public:
  explicit QuickCleanView(AppState& state, QWidget* parent = nullptr);

  StepIndicator* indicator() const { return indicator_; }
  // The stage on screen (none before the screen is first shown), and the phase it belongs to.
  QuickCleanStage* stage() const { return stage_; }
  SmartPhase stagePhase() const { return stagePhase_; }
  StageTransition* transition() const { return transition_; }

 protected:
  void refresh() override;

 private:
  QuickCleanStage* makeStage(SmartPhase phase);
  void showStage(SmartPhase phase);
  QRect stageGeometry(QuickCleanStage* stage) const;

  StepIndicator* indicator_;
  QWidget* host_;
  QVBoxLayout* hostLayout_;
  StageTransition* transition_;
  QPointer<QuickCleanStage> stage_;
  SmartPhase stagePhase_ = SmartPhase::idle;
};

}  // namespace tolvex
