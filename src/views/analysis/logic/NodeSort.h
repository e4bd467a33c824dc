#pragma once
// Multi-key ordering of scan nodes for the tables: the first comparator decides, the next ones break
// its ties, and rows still equal keep the order they came in.
#include <string_view>
#include <vector>

#include "model/FileNode.h"

namespace tolvex {

enum class NodeKey { name, size, fileCount, category, kind, modified, accessed };

struct NodeComparator {
  NodeKey key = NodeKey::size;
  bool ascending = false;
  bool operator==(const NodeComparator&) const = default;
};

using SortOrder = std::vector<NodeComparator>;

// Size, largest first: the order every table starts with.
SortOrder defaultSortOrder();

// Names compared the way a file browser lists them: letters without regard to case, runs of digits
// by their value ("file9" before "file10"), other bytes by their value. Negative, zero or positive.
int naturalCompare(std::string_view a, std::string_view b);

// One key of two nodes: negative when `a` comes first in ascending order.
int compareNodes(const FileNode& a, const FileNode& b, NodeKey key);

// Sorts in place, stable. A list longer than `partSize` is sorted in a few parts at once that are
// then merged.
inline constexpr size_t kSortPartSize = 200000;
void sortNodes(std::vector<FileNode*>& nodes, const SortOrder& order, size_t partSize = kSortPartSize);

// The order after a click on the header of `key`: when `key` already decides, its direction turns
// round; otherwise it moves to the front (names and categories A to Z, figures and dates largest or
// newest first) and the earlier comparators stay behind it as tie-breakers.
SortOrder clickedHeader(const SortOrder& order, NodeKey key);
bool startsAscending(NodeKey key);

}  // namespace tolvex
