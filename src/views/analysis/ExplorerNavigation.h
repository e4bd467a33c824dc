#pragma once
// Opening a place of the loaded scan in the Explorer from another screen. The Explorer shows the
// last folder of AppState's stack, so a screen sets the whole chain from the scan root first and
// then switches the section.
#include <string>

#include "model/FileNode.h"

namespace tolvex {

class AppState;

// The node of the tree under `scanRoot` at `path`, found name by name below `rootPath` (the scan
// root's path as `path` writes it), passing over deleted nodes. `scanRoot` itself for `rootPath`;
// none for a path outside the root, a part that is missing (deleted since, or deeper than the
// tree) or no root.
FileNode* nodeAtPath(FileNode* scanRoot, const std::string& rootPath, const std::string& path);

// Shows `node` in the Explorer: the node when it is a folder, else the folder holding it.
void openInExplorer(AppState& state, FileNode* node);

// Shows the folder at `path` (folded as the trend snapshots record paths) in the Explorer when the
// loaded scan holds it. False when there is no scan or the scan does not hold it.
bool showPathInExplorer(AppState& state, const std::string& path);

}  // namespace tolvex
