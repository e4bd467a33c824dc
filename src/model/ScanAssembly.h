#pragma once
// Finishes the tree a walk laid out as it came: settles hard links, sums the folders, fills the result.
#include <memory>
#include <string>
#include <vector>

#include "model/ScanCollector.h"
#include "model/ScanResult.h"

namespace tolvex {

// Settles hard links in the order a sequential depth-first walk meets them (each folder's entries in
// listing order, a child folder's whole subtree where the folder lists it): the first path met keeps
// the file, later ones are skipped (a large one loses its node). Then sums each folder, lists the file
// nodes in walk order, seals the tree and fills the result. Whichever threads walked, the result is
// the same. Each list of `linked` holds each of its folders' linked files together, in listing order.
ScanResult assembleScan(std::shared_ptr<FileTree> tree, FileNode* root, const std::string& rootPath, ScanTotals totals,
                        const std::vector<std::vector<LinkedFile>>& linked);

}  // namespace tolvex
