#pragma once
// One folder that grew or shrank between two scans: arrow badge, name with its tags, path, a bar of
// the change against the largest one shown, the signed change and the new size. A click shows the
// folder in the Explorer.
#include <QAbstractButton>

#include "system/FolderChanges.h"
#include "views/analysis/logic/ChangesComparison.h"

namespace tolvex {

class AppState;

class ChangeRow : public QAbstractButton {
  Q_OBJECT
 public:
  ChangeRow(const FolderChange& change, const ChangeRowContent& content, QWidget* parent = nullptr);

  const FolderChange& change() const { return change_; }
  const ChangeRowContent& content() const { return content_; }
  bool hovering() const { return hovering_; }

  static constexpr int kBarWidth = 110;
  static constexpr int kBarHeight = 5;

  // Opens the folder at `path` in the Explorer when the loaded scan holds it; otherwise reveals the
  // item in the file manager when something exists at that path, and else does nothing.
  static void showInExplorer(AppState& state, const std::string& path);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  FolderChange change_;
  ChangeRowContent content_;
  bool hovering_ = false;
};

}  // namespace tolvex
