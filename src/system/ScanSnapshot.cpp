#include "system/ScanSnapshot.h"

#include <utility>
#include <vector>

#include "model/DisplayPath.h"
#include "platform/Identifiers.h"

namespace tolvex {

std::string bucketKey(StorageBucket bucket) { return std::to_string(static_cast<unsigned>(bucket)); }

std::map<std::string, int64_t> bucketSizeMap(const std::map<StorageBucket, int64_t>& bucketTotals) {
  std::map<std::string, int64_t> out;
  for (const auto& [bucket, bytes] : bucketTotals) out[bucketKey(bucket)] = bytes;
  return out;
}

ScanSnapshot ScanSnapshot::fromScan(const ScanResult& scan, double date) {
  ScanSnapshot snapshot;
  snapshot.id = makeUUID();
  snapshot.date = date;
  snapshot.buckets = bucketSizeMap(scan.bucketTotals);
  if (!scan.root) {
    // No tree at all: the root is still recorded, with nothing in it.
    snapshot.root = foldedPath(scan.rootPath);
    snapshot.folders[snapshot.root] = 0;
    return snapshot;
  }
  const FileNode* root = scan.root;
  snapshot.root = foldedPath(root->name);
  snapshot.total = get(root->size);

  // Depth-first with an explicit stack; each entry carries the node's full path, built the way
  // FileNode::path() builds it, so no path is rebuilt from the parent chain.
  struct Entry {
    const FileNode* node;
    int depth;
    std::string path;
  };
  std::vector<Entry> stack;
  stack.push_back({root, 0, root->name});
  while (!stack.empty()) {
    Entry entry = std::move(stack.back());
    stack.pop_back();
    snapshot.folders[foldedPath(entry.path)] = get(entry.node->size);
    if (entry.depth >= kMaxFolderDepth || entry.node->isPackage) continue;
    for (const FileNode* child : entry.node->children) {
      if (!child->isDirectory || get(child->deleted) || get(child->size) <= kFolderThreshold) continue;
      std::string path = entry.path;
      if (path.empty() || path.back() != '/') path += '/';
      path += child->name;
      stack.push_back({child, entry.depth + 1, std::move(path)});
    }
  }
  return snapshot;
}

}  // namespace tolvex
