#pragma once
#include "app/AppSection.h"
#include "app/screen/Screen.h"

class QVBoxLayout;

namespace tolvex {

// The screen of a section whose own screen is not part of this build: the section's header and, while
// there is no scan, the scan prompt. It offers nothing that would not work.
class PendingScreen : public Screen {
  Q_OBJECT
 public:
  PendingScreen(AppState& state, AppSection section, QWidget* parent = nullptr);

  // The scan prompt's headline and explanation for a section.
  static QString promptTitle(AppSection section);
  static QString promptMessage(AppSection section);

 protected:
  void refresh() override;

 private:
  AppSection section_;
  QVBoxLayout* layout_ = nullptr;
  QWidget* body_ = nullptr;
  bool showingPrompt_ = false;
};

}  // namespace tolvex
