#pragma once
// The "Exclusions" tab of the settings: the folders scans skip, one stored line each, added through
// the folder chooser and removed by selection. A folder whose path cannot be stored as one line of
// text is refused with a message, never stored as some other path.
#include <QWidget>
#include <optional>
#include <string>

class QLabel;
class QTreeView;
class QStringListModel;
class QToolButton;

namespace tolvex {

class AppState;

class ExclusionsSettings : public QWidget {
  Q_OBJECT
 public:
  explicit ExclusionsSettings(AppState& state, QWidget* parent = nullptr);

  // The plus button: asks for a folder and appends it.
  void addFolder();
  // The minus button: removes every entry equal to the selection. The selection stays, so a second
  // press rewrites the list unchanged.
  void removeSelected();
  // Appends a chosen folder's path (what the chooser hands back).
  void addChosen(const std::string& path);

  const std::optional<std::string>& selection() const { return selection_; }

 private:
  void build();
  void refresh();
  void select(const std::optional<std::string>& path);
  void showRefusal(bool refused);

  AppState& state_;
  QStringListModel* model_ = nullptr;
  QTreeView* list_ = nullptr;
  QToolButton* add_ = nullptr;
  QToolButton* remove_ = nullptr;
  QLabel* message_ = nullptr;
  std::optional<std::string> selection_;
};

}  // namespace tolvex
