#pragma once
// The banner that reports an application removed while Tolvex ran: what it left behind, "Not Now"
// (forget it, touch nothing) and "Review and Remove…" (a deletion plan of the leftovers). It floats
// over the top of the window on the window's background, framed and shadowed.
#include <QFrame>

class QLabel;

namespace tolvex {

class AppState;
struct RemovedApp;

class RemovedAppBanner : public QFrame {
  Q_OBJECT
 public:
  explicit RemovedAppBanner(AppState& state, QWidget* parent = nullptr);

  static constexpr int kMaxWidth = 760;
  // "<name> was removed, but left <size> behind".
  static QString titleText(const RemovedApp& app);
  // The items' labels, each once, in ascending order, joined with " · ".
  static QString labelsText(const RemovedApp& app);

  // Shows the store's removed application, or hides when there is none; centred at the top of `area`.
  void refresh();
  void placeIn(const QRect& area);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  AppState& state_;
  QLabel* title_;
  QLabel* labels_;
};

}  // namespace tolvex
