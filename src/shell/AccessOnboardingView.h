#pragma once
// The sheet shown when a whole-disk or home scan is asked for without full disk access: why access is
// needed, the three steps to grant it, "Open Settings" (the sheet stays) and "Scan Without Access",
// which is remembered so the sheet never comes again.
#include <QDialog>

namespace tolvex {

class AppState;

class AccessOnboardingView : public QDialog {
  Q_OBJECT
 public:
  explicit AccessOnboardingView(AppState& state, QWidget* parent = nullptr);

  static constexpr int kWidth = 540;

  // Remembers the choice, closes the sheet and scans the current target with the access there is.
  void scanWithoutAccess();

 private:
  AppState* state_ = nullptr;
};

}  // namespace tolvex
