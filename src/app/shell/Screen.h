#pragma once
#include <QWidget>

class QVBoxLayout;

namespace tolvex {

class AppState;

// The base of every section's screen. A screen keeps no copy of the model: it rebuilds what it shows
// from the store in `refresh()`, which runs once when the screen is first shown and again, coalesced
// into one call per turn of the event loop, after every change the store publishes.
class Screen : public QWidget {
  Q_OBJECT
 public:
  explicit Screen(AppState& state, QWidget* parent = nullptr);

 protected:
  AppState& state() const { return state_; }
  virtual void refresh() = 0;
  void scheduleRefresh();
  // Fills the screen with its page (the window colour and its glows) and returns the page's layout,
  // without margins or spacing, for the screen's content.
  QVBoxLayout* ambientPage();
  void showEvent(QShowEvent* event) override;

 private:
  AppState& state_;
  bool pending_ = false;
  bool everShown_ = false;
};

}  // namespace tolvex
