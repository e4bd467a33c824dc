#include "app/screen/ScanPromptHost.h"

#include "app/screen/ScanPrompt.h"

namespace tolvex {

QWidget* makeScanPrompt(AppState& state, const QString& title, const QString& message, QWidget* parent) {
  return new ScanPrompt(state, title, message, parent);
}

}  // namespace tolvex
