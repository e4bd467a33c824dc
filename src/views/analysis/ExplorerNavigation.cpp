#include "views/analysis/ExplorerNavigation.h"

#include "app/AppState.h"
#include "model/DisplayPath.h"
#include "platform/Paths.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

FileNode* nodeAtPath(FileNode* scanRoot, const std::string& rootPath, const std::string& path) {
  if (!scanRoot || !isSameOrInside(path, rootPath)) return nullptr;
  FileNode* node = scanRoot;
  for (std::string_view part : pathComponents(std::string_view(path).substr(rootPath.size()))) {
    FileNode* next = nullptr;
    for (FileNode* child : node->children) {
      if (child->name == part && !get(child->deleted)) {
        next = child;
        break;
      }
    }
    if (!next) return nullptr;
    node = next;
  }
  return node;
}

void openInExplorer(AppState& state, FileNode* node) {
  if (!node) return;
  FileNode* folder = node->isDirectory || !node->parent ? node : node->parent;
  state.setExplorerStack(ancestorChain(folder));
  state.setSection(AppSection::explorer);
}

bool showPathInExplorer(AppState& state, const std::string& path) {
  if (!state.scan() || !state.scan()->root) return false;
  FileNode* root = state.scan()->root;
  FileNode* node = nodeAtPath(root, foldedPath(root->path()), path);
  if (!node) return false;
  openInExplorer(state, node);
  return true;
}

}  // namespace tolvex
