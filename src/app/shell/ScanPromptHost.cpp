#include "app/shell/ScanPromptHost.h"

#include "app/shell/ScanPrompt.h"

namespace tolvex {

QWidget* makeScanPrompt(AppState& state, const QString& title, const QString& message, QWidget* parent) {
  return new ScanPrompt(state, title, message, parent);
}

}  // namespace tolvex
