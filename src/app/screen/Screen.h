#pragma once
#include <QWidget>
#include <memory>

class QVBoxLayout;

namespace tolvex {

class AppState;
struct FileTree;

// The base of every section's screen. A screen keeps no copy of the model: it rebuilds what it shows
// from the store in `refresh()`, which runs once when the screen is first shown and again, coalesced
// into one call per turn of the event loop, after every change the store publishes.
//
// What a screen shows points into the scan tree it last refreshed from. A new scan replaces the
// store's tree at once, but a screen catches up only at its next refresh, and events (a hover, a
// paint, a finished sort) can reach it in between: so the screen holds the tree of its last refresh
// and lets go of it only after the next one has moved every pointer over.
class Screen : public QWidget {
  Q_OBJECT
 public:
  explicit Screen(AppState& state, QWidget* parent = nullptr);

 protected:
  AppState& state() const { return state_; }
  virtual void refresh() = 0;
  // Runs `refresh()` now, then holds the tree it drew from. Screens call this, never `refresh()`.
  void refreshNow();
  void scheduleRefresh();
  // Fills the screen with its page (the window colour and its glows) and returns the page's layout,
  // without margins or spacing, for the screen's content.
  QVBoxLayout* ambientPage();
  void showEvent(QShowEvent* event) override;

 private:
  AppState& state_;
  bool pending_ = false;
  bool everShown_ = false;
  std::shared_ptr<FileTree> shownTree_;
};

}  // namespace tolvex
