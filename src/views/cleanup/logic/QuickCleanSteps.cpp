#include "views/cleanup/logic/QuickCleanSteps.h"

#include <QCoreApplication>

namespace tolvex {

QString quickCleanStepTitle(int index) {
  static const char* const kTitles[kQuickCleanStepCount] = {QT_TRANSLATE_NOOP("QuickClean", "Scan"),
                                                            QT_TRANSLATE_NOOP("QuickClean", "Review"),
                                                            QT_TRANSLATE_NOOP("QuickClean", "Clean")};
  if (index < 0 || index >= kQuickCleanStepCount) return {};
  return QCoreApplication::translate("QuickClean", kTitles[index]);
}

int currentQuickCleanStep(SmartPhase phase) {
  switch (phase) {
    case SmartPhase::idle:
    case SmartPhase::scanning: return 0;
    case SmartPhase::review: return 1;
    case SmartPhase::cleaning:
    case SmartPhase::done: return 2;
  }
  return 0;
}

StepLook stepLook(int index, SmartPhase phase) {
  const int current = currentQuickCleanStep(phase);
  StepLook look;
  look.filled = index <= current;
  look.checkmark = phase == SmartPhase::done || index < current;
  look.mark = look.checkmark ? QStringLiteral("checkmark") : QString::number(index + 1);
  look.markWhite = look.checkmark || index <= current;
  look.semibold = index == current;
  look.titleSecondary = index > current;
  return look;
}

bool connectorFilled(int index, SmartPhase phase) { return index < currentQuickCleanStep(phase); }

}  // namespace tolvex
