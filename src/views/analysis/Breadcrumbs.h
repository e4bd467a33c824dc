#pragma once
// The path bar of the Explorer: a back button (Ctrl+[), the chain of folders from the scan root to
// the current folder as clickable crumbs, and a button that reveals the current folder.
#include <QAbstractButton>
#include <QWidget>
#include <vector>

class QHBoxLayout;
class QScrollArea;
class QShortcut;
class QToolButton;

namespace tolvex {

class AppState;

// One crumb: its label on a rounded tint when it is the current folder.
class CrumbButton : public QAbstractButton {
  Q_OBJECT
 public:
  CrumbButton(const QString& text, bool current, QWidget* parent = nullptr);
  bool isCurrent() const { return current_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool current_;
};

class Breadcrumbs : public QWidget {
  Q_OBJECT
 public:
  explicit Breadcrumbs(AppState& state, QWidget* parent = nullptr);

  // Rebuilds the crumbs when the stack changed.
  void refresh();
  // Drops the last folder when there is more than one.
  void goBack();
  // Keeps the first `index` + 1 folders.
  void jumpTo(size_t index);

  QToolButton* backButton() const { return back_; }
  QToolButton* revealButton() const { return reveal_; }
  std::vector<CrumbButton*> crumbs() const;

 private:
  AppState& state_;
  QToolButton* back_;
  QToolButton* reveal_;
  QScrollArea* scroll_;
  QWidget* row_;
  QHBoxLayout* rowLayout_;
  QShortcut* shortcut_;
  std::vector<uint64_t> shown_;
};

}  // namespace tolvex
