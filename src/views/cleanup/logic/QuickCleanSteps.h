#pragma once
// How the Quick Clean step indicator looks for each phase: which steps are behind, current or ahead.
#include <QString>
#include <array>

#include "app/AppSection.h"

namespace tolvex {

inline constexpr int kQuickCleanStepCount = 3;

// "Scan", "Review", "Clean" (translated), by index.
QString quickCleanStepTitle(int index);

// The step the phase belongs to: 0 while idle or scanning, 1 in review, 2 while cleaning and done.
int currentQuickCleanStep(SmartPhase phase);

struct StepLook {
  bool filled = false;          // circle on the brand gradient (else the faint neutral fill)
  bool checkmark = false;       // a check mark in place of the number
  QString mark;                 // "checkmark", or the step number "1"…"3"
  bool markWhite = false;       // white mark (else secondary)
  bool semibold = false;        // the title of the current step
  bool titleSecondary = false;  // the title of a step still ahead

  bool operator==(const StepLook&) const = default;
};

StepLook stepLook(int index, SmartPhase phase);
// The connector after step `index` (0 or 1) is drawn with the gradient once that step is behind.
bool connectorFilled(int index, SmartPhase phase);

}  // namespace tolvex
