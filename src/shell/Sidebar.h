#pragma once
#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace tolvex {

class AppState;
class DiskFooter;

// The list of the fifteen sections in five groups, with the disk footer below. Clicking a row sets
// `AppState.section`; a change of the section from anywhere else moves the highlight.
class Sidebar : public QWidget {
  Q_OBJECT
 public:
  explicit Sidebar(AppState& state, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {230, 600}; }
  QListWidget* list() const { return list_; }

 private:
  void syncSelection();

  AppState& state_;
  QListWidget* list_;
  DiskFooter* footer_;
};

// The start-up volume under the sidebar: its name, the free space and a bar of the used part.
class DiskFooter : public QWidget {
  Q_OBJECT
 public:
  explicit DiskFooter(AppState& state, QWidget* parent = nullptr);
  // The bar's colour test: below a tenth free is the danger colour.
  static bool isLow(int64_t total, int64_t available);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void refresh();

  AppState& state_;
  QLabel* name_;
  QLabel* free_;
};

}  // namespace tolvex
