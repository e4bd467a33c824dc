#pragma once
// The Explorer: one folder of the scan at a time with its direct children, largest first, as a
// sortable table (list) or as a sunburst map (map), under the breadcrumbs. The folder chain lives in
// AppState; the screen keeps only its own view state: the selection (node serials), the sort order,
// the preview and the node the pointer is over on the map.
#include <QAbstractButton>
#include <QPointer>
#include <optional>

#include "app/screen/Screen.h"
#include "model/FileNode.h"

class QLabel;
class QStackedWidget;
class QVBoxLayout;

namespace tolvex {

class Breadcrumbs;
class ElidedLabel;
class MapSidePanel;
class NodeTable;
class QuickLookBinding;
class SegmentedBar;
class SelectionBar;
class SunburstView;

enum class ExplorerMode { list, map };
QString rawValue(ExplorerMode mode);
// "list" and "map"; anything else is list.
ExplorerMode explorerModeFromRaw(const QString& raw);

// One segment of the mode picker.
class PickerSegment : public QAbstractButton {
  Q_OBJECT
 public:
  PickerSegment(const QString& text, const QString& symbol, QWidget* parent = nullptr);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString symbol_;
};

class ExplorerView : public Screen {
  Q_OBJECT
 public:
  explicit ExplorerView(AppState& state, QWidget* parent = nullptr);

  static constexpr int kMapDepth = 5;

  ExplorerMode mode() const { return mode_; }
  // The user's choice: remembered in "explorerMode".
  void setMode(ExplorerMode mode);

  // Opens a child folder: clears the selection and the map focus, appends it to the stack.
  void open(FileNode* folder);
  // Goes up one folder (not above the scan root) and clears the map focus.
  void goUp();
  // Asks for the reviewed deletion of the selected rows.
  void deleteSelection();
  // The selected rows of the current folder, in row order.
  std::vector<FileNode*> selectedNodes() const;
  FileNode* mapFocus() const { return mapFocus_; }

  NodeTable* table() const { return table_; }
  SunburstView* map() const { return map_; }
  MapSidePanel* sidePanel() const { return sidePanel_; }
  Breadcrumbs* breadcrumbs() const { return breadcrumbs_; }
  SelectionBar* selectionBar() const { return selectionBar_; }
  QuickLookBinding* quickLook() const { return quickLook_; }

 protected:
  void refresh() override;

 private:
  void buildContent();
  void showPrompt();
  void showContent();
  bool spacePressed();
  void primaryAction(const std::vector<FileNode*>& nodes);
  void contextMenu(const std::vector<FileNode*>& nodes, const QPoint& globalPos);
  void setMapFocus(FileNode* node);
  void updateSelectionBar();
  void applyMode();

  ExplorerMode mode_;
  QVBoxLayout* pageLayout_ = nullptr;
  QStackedWidget* faces_ = nullptr;
  QPointer<QWidget> prompt_;
  QWidget* content_ = nullptr;

  Breadcrumbs* breadcrumbs_ = nullptr;
  PickerSegment* listButton_ = nullptr;
  PickerSegment* mapButton_ = nullptr;
  ElidedLabel* title_ = nullptr;
  QLabel* size_ = nullptr;
  QLabel* files_ = nullptr;
  SegmentedBar* segments_ = nullptr;
  QStackedWidget* modes_ = nullptr;
  QWidget* listPage_ = nullptr;
  NodeTable* table_ = nullptr;
  QLabel* smallFiles_ = nullptr;
  QWidget* mapPage_ = nullptr;
  SunburstView* map_ = nullptr;
  MapSidePanel* sidePanel_ = nullptr;
  SelectionBar* selectionBar_ = nullptr;
  QuickLookBinding* quickLook_ = nullptr;

  FileNode* mapFocus_ = nullptr;
  int64_t shownRevision_ = -1;
  uint64_t shownRoot_ = 0;  // serial of the scan root the fields above belong to
  bool focusedOnce_ = false;
};

}  // namespace tolvex
