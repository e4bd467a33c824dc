#pragma once
// The scan as glibc's fts walks it (no chdir, physical, one device), building the tree node by
// node: the reference that the scanner's own walker must match, node for node.
#include <optional>
#include <set>
#include <string>

#include "model/ScanResult.h"

namespace tolvex::test {

std::optional<ScanResult> ftsScan(const std::string& root, const std::set<std::string>& excluded = {});

}  // namespace tolvex::test
