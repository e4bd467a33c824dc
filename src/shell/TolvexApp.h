#pragma once
#include <memory>

class QApplication;

namespace tolvex {

class AppState;
class MainWindow;

// The application: one store for the life of the process and the main window over it. At start-up
// it applies the stored appearance and the locale's number separators.
class TolvexApp {
 public:
  TolvexApp();
  ~TolvexApp();
  AppState& state() { return *state_; }
  MainWindow& window() { return *window_; }

  // Applies the stored "appearance" (an unknown value is the system's).
  static void applyAppearance(const class Settings& settings);
  // The application font in pixels (13 px body text), so that controls keep their designed sizes.
  static void applyFont();
  // The byte and percent texts take the locale's separators.
  static void applyLocale();

 private:
  std::unique_ptr<AppState> state_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace tolvex
