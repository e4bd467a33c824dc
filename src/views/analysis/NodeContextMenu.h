#pragma once
// The context menu of every table of scanned items: Quick Look, Show in Finder, Open, Open in
// Explorer, Copy Path, Exclude from Scans and Delete. Every item but Delete acts on the first node;
// Delete asks for the reviewed deletion of all of them.
//
// The menu keeps what it needs of each node from the moment it was built (paths, sizes, flags), so
// it stays safe to use when the tree changes while it is open; Open in Explorer acts only while the
// tree it was built on is still the one on screen.
#include <QMenu>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/FileNode.h"
#include "views/analysis/QuickLook.h"

namespace tolvex {

class AppState;

class NodeContextMenu : public QMenu {
  Q_OBJECT
 public:
  using PreviewSetter = std::function<void(const PreviewTarget&)>;

  // A menu for `nodes` (in the host's row order). With no nodes the menu has no items. `preview` is
  // the host's Quick Look binding; without one there is no "Quick Look" item.
  NodeContextMenu(AppState& state, const std::vector<FileNode*>& nodes, PreviewSetter preview,
                  QWidget* parent = nullptr);

  // The folded path of a node's full path: what Copy Path and Exclude from Scans use.
  static std::string foldedPathOf(const FileNode& node);
  // Asks for the reviewed deletion of `nodes` ("Delete Items").
  static void requestDeletion(AppState& state, const std::vector<FileNode*>& nodes);

 private:
  struct Item {
    std::string path;
    int64_t size = 0;
    bool isDirectory = false;
    bool isPackage = false;
  };
  AppState& state_;
};

}  // namespace tolvex
