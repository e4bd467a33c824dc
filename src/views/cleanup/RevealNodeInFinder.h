#pragma once

namespace tolvex {

class FileNode;

// "Show in Finder" for one scanned item: its full path shown in the file manager. Nothing is shown
// or reported when the item no longer exists.
void revealNodeInFinder(const FileNode& node);

}  // namespace tolvex
