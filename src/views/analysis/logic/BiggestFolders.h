#pragma once
// The Overview's "Largest folders": at most nine big folders of the scan, never a folder beside one
// of its own subfolders. A subfolder holding more than 70 % of a listed folder takes its place; any
// other subfolder of a listed folder is left out.
#include <cstdint>
#include <vector>

#include "model/FileNode.h"

namespace tolvex {

struct BiggestFolders {
  static constexpr int64_t kMinimumSize = 209'715'200;  // a folder must be strictly larger
  static constexpr int kMinimumDepth = 2;               // the root's children are never listed
  static constexpr int kDeepestEntered = 5;             // so the deepest listed folders are at depth 6
  static constexpr double kTakeOverRatio = 0.7;
  static constexpr size_t kLimit = 9;

  // The list for the tree under `root` (none for no root). Reads the tree, changes nothing.
  static std::vector<FileNode*> folders(FileNode* root);
};

}  // namespace tolvex
