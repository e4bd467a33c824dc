#include "views/cleanup/RevealNodeInFinder.h"

#include "model/FileNode.h"
#include "views/cleanup/CleanupPieces.h"

namespace tolvex {

void revealNodeInFinder(const FileNode& node) { revealPathInFinder(node.path()); }

}  // namespace tolvex
