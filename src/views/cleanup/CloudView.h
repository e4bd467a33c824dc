#pragma once
// The iCloud Drive screen: which files iCloud keeps downloaded here, by folder, with their totals,
// and the removal of the downloads of chosen files after a confirmation (the files stay in iCloud).
// The report, its loading and the eviction belong to the application state; the screen owns only its
// selection (file paths), its open folders and its confirmation.
#include <optional>

#include "app/screen/Screen.h"
#include "views/cleanup/logic/CloudSelection.h"

class QLabel;
class QMessageBox;
class QPushButton;
class QStackedWidget;

namespace tolvex {

class CloudList;
class SelectionBar;
class StatTile;
class SymbolView;

class CloudView : public Screen {
  Q_OBJECT
 public:
  explicit CloudView(AppState& state, QWidget* parent = nullptr);

  const StringSet& selected() const { return selected_; }
  const StringSet& expanded() const { return expanded_; }
  CloudList* list() const { return list_; }
  SelectionBar* selectionBar() const { return bar_; }
  // The removal confirmation while it is shown.
  QMessageBox* confirmation() const { return confirmation_; }

  // The actions of the screen, also reached from its controls.
  void load();
  void toggleFolder(const std::string& folderPath);
  void setFolderSelected(const CloudFolder& folder, bool on);
  void setFileSelected(const std::string& path, bool on);
  void confirmRemoval();
  void removeDownloads();

 protected:
  void refresh() override;

 private:
  QWidget* makeReading(QWidget* parent);
  QWidget* makeEmptyState(QWidget* parent);
  QWidget* makeSummary(QWidget* parent);
  void showEmptyState(const QString& symbol, const QString& title, const QString& message);
  void pruneSelection();
  void updateBar();

  StringSet selected_;
  StringSet expanded_;
  std::optional<std::optional<int64_t>> shownTotal_;  // the downloaded total last drawn
  bool appeared_ = false;

  QPushButton* refresh_;
  QStackedWidget* body_;
  QWidget* reading_;
  QWidget* summary_;
  QWidget* emptyState_;
  SymbolView* emptySymbol_;
  QLabel* emptyTitle_;
  QLabel* emptyMessage_;
  QWidget* tiles_;
  StatTile* onThisMac_;
  StatTile* canBeFreed_;
  StatTile* onlyInICloud_;
  QStackedWidget* summaryBody_;
  CloudList* list_;
  SelectionBar* bar_;
  QMessageBox* confirmation_ = nullptr;
};

}  // namespace tolvex
