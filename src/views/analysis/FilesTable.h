#pragma once
// The table of scanned files under the Large & Old and By Type filter bars: the host hands it the
// nodes it filtered; the table sorts its own copy, lets the user select several rows, previews the
// first selected file with the space bar, reveals a row on double-click or Return, offers the node
// context menu, and deletes the selection through the reviewed deletion.
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "model/FileNode.h"
#include "views/analysis/logic/NodeSort.h"

namespace tolvex {

class AppState;
class LatestWork;
class NodeTable;
class QuickLookBinding;
class SelectionBar;

class FilesTable : public QWidget {
  Q_OBJECT
 public:
  FilesTable(AppState& state, bool showKind, QWidget* parent = nullptr);

  // The host's list. Nodes that are gone (deleted, or inside a deleted folder) are left out. The rows
  // are sorted again only when the list differs (by identity, in order) from the last one; the
  // selection then keeps only the nodes still in it.
  void setNodes(const std::vector<FileNode*>& nodes);
  // The same for a list the host shares: a long one is read off the UI thread, without a copy here.
  void setSharedNodes(std::shared_ptr<const std::vector<FileNode*>> nodes);

  // Lists longer than this are taken in and sorted off the UI thread, so a million rows never stall
  // the window; until then the rows shown before stay.
  static constexpr size_t kBackgroundRows = 20000;
  void setBackgroundRows(size_t rows) { backgroundRows_ = rows; }
  // A list is being taken in or sorted in the background.
  bool isBusy() const;

  NodeTable* table() const { return table_; }
  SelectionBar* selectionBar() const { return bar_; }
  QuickLookBinding* quickLook() const { return quickLook_; }
  // The greatest size among the nodes, 1 without nodes.
  int64_t largestSize() const { return largest_; }

 private:
  // The rows of a list: the nodes still on disk, their serials and the greatest size.
  struct Rows {
    std::vector<FileNode*> nodes;
    std::vector<uint64_t> serials;
    int64_t largest = 1;
  };
  static Rows rowsOf(const std::vector<FileNode*>& given);
  void showRows(Rows rows);
  void updateBar();
  void sort(std::shared_ptr<const std::vector<FileNode*>> nodes, const SortOrder& order,
            std::function<void(std::vector<FileNode*>)> done);
  // The scan tree a background job keeps alive while it reads nodes.
  std::shared_ptr<FileTree> shownTree() const;

  AppState& state_;
  LatestWork* taking_;
  LatestWork* sorting_;
  size_t backgroundRows_ = kBackgroundRows;
  NodeTable* table_;
  SelectionBar* bar_;
  QuickLookBinding* quickLook_;
  int64_t largest_ = 1;
};

}  // namespace tolvex
