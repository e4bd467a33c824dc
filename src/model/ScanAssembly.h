#pragma once
// Turns the records of a finished walk into the scan's tree and result.
#include <string>

#include "model/ScanCollector.h"
#include "model/ScanResult.h"

namespace tolvex {

// Settles hard links in the order a sequential depth-first walk meets them (each folder's entries in
// listing order, a child folder's whole subtree where the folder lists it): the first path met keeps
// the file, later ones are skipped. Then lays the tree out whole, every folder's children side by
// side, sums each folder, and fills the result. Whichever threads gathered the records, the result
// is the same.
ScanResult assembleScan(FolderRecord& root, const std::string& rootPath, ScanTotals totals);

}  // namespace tolvex
