#pragma once
// The transient message at the bottom of the main window: a check mark, the message and its detail,
// Undo when the toast carries undoable entries, and a close button, on a rounded floating panel.
//
// It follows AppState::toast: shown while a toast is set, hidden otherwise. Each toast is dismissed
// after the configured time (8 s) counted from when that toast appeared; a newer toast gets its own
// full time, and a wait that ends after its toast was replaced or cleared changes nothing.
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>
#include <string>

class QLabel;
class QPushButton;
class QToolButton;

namespace tolvex {

class AppState;
class SymbolView;

class ToastView : public QWidget {
  Q_OBJECT
 public:
  explicit ToastView(AppState& state, QWidget* parent = nullptr);

  // Places the panel at the bottom centre of `area` (in the parent's coordinates), 20 from its bottom
  // edge, and keeps it there as the content changes. The widget is larger than the panel by the
  // shadow's reach.
  void placeIn(const QRect& area);
  // The panel itself, in the widget's coordinates.
  QRect panelRect() const;
  // The id of the toast whose dismissal is pending ("" when none).
  const std::string& pendingDismissal() const { return timerFor_; }
  // The wait of the pending dismissal, and what its end does: clears the toast it was started for
  // (nothing when that toast is no longer the one shown). Tests end the wait here instead of waiting.
  const QTimer& dismissTimer() const { return dismissTimer_; }
  void dismissPending();

  static constexpr int kBottomDistance = 20;
  static constexpr qreal kRadius = 14;
  static constexpr int kMaxTextWidth = 460;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void refresh();
  void reposition();
  // Slides the toast up into place while it fades in, or down and out; at once without animations.
  void animate(bool in);

  AppState& state_;
  SymbolView* symbol_;
  QLabel* message_;
  QLabel* detail_;
  QPushButton* undo_;
  QToolButton* close_;
  QTimer dismissTimer_;
  std::string shownId_;
  std::string timerFor_;
  QRect area_;
  bool placed_ = false;
  QPointer<QVariantAnimation> motion_;
};

}  // namespace tolvex
