#include "model/ScanAssembly.h"

#include <unordered_set>
#include <vector>

namespace tolvex {

namespace {

bool isNode(const FileRecord& file) { return !file.skipped && file.size >= kLargeFileBytes; }

// Visits the folders depth first in walk order: `atFile` for each file record as the walk meets
// it, `atFolder` for each folder before its entries.
template <typename AtFolder, typename AtFile>
void inWalkOrder(FolderRecord& root, AtFolder&& atFolder, AtFile&& atFile) {
  struct Frame {
    FolderRecord* folder;
    uint32_t next;
  };
  std::vector<Frame> stack{{&root, 0}};
  atFolder(root);
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next == top.folder->itemCount) {
      stack.pop_back();
      continue;
    }
    const ScanItem& item = top.folder->items[top.next++];
    if (item.folder) {
      atFolder(*item.folder);
      stack.push_back({item.folder, 0});
    } else {
      atFile(*top.folder, *item.file);
    }
  }
}

// The sums of a folder being laid out.
struct Sums {
  int64_t size = 0, length = 0, files = 0;
};

}  // namespace

ScanResult assembleScan(FolderRecord& root, const std::string& rootPath, ScanTotals totals) {
  ScanResult result;
  result.rootPath = rootPath;

  // Hard links first, in walk order; count the nodes and their names on the way.
  std::unordered_set<uint64_t> seenLinks;
  size_t nodes = 0, nameBytes = 0, fileNodes = 0;
  inWalkOrder(
      root,
      [&](FolderRecord& folder) {
        ++nodes;
        nameBytes += FileTree::storedSize(folder.name);
      },
      [&](FolderRecord& folder, FileRecord& file) {
        if (file.linked) {
          if (!seenLinks.insert(file.linkKey).second) {
            file.skipped = true;
            ++result.hardLinksSkipped;
            return;
          }
          ++totals.files;
          totals.buckets.add(file.bucket, file.size);
          totals.kindBytes.add(file.kind, file.size);
          totals.kindCounts.add(file.kind, 1);
          if (file.size < kLargeFileBytes) {
            folder.smallSize += file.size;
            folder.smallCount += 1;
            folder.length += file.length;
          }
        }
        if (isNode(file)) {
          ++nodes;
          ++fileNodes;
          nameBytes += FileTree::storedSize(file.name);
        }
      });

  result.tree = std::make_shared<FileTree>(nodes, nameBytes);
  FileTree& tree = *result.tree;
  result.files.reserve(fileNodes);

  // Each folder's children are made together when the folder is reached; the walk then goes on
  // through them in order, so `files` keeps the walk order and folders are summed when left.
  struct Frame {
    FolderRecord* folder;
    FileNode* node;
    uint32_t next = 0;
    uint32_t child = 0;
    Sums below;
  };
  auto open = [&tree](FolderRecord& folder, FileNode* node) {
    set(node->modified, folder.modified);
    set(node->accessed, folder.accessed);
    uint32_t count = 0;
    for (uint32_t i = 0; i < folder.itemCount; ++i) {
      const ScanItem& item = folder.items[i];
      count += item.folder || isNode(*item.file);
    }
    tree.reserveChildren(node, count);
    for (uint32_t i = 0; i < folder.itemCount; ++i) {
      const ScanItem& item = folder.items[i];
      if (item.folder) {
        const FolderRecord& sub = *item.folder;
        tree.makeChild(node, sub.name, true, sub.isPackage, sub.kind, sub.bucket);
      } else if (isNode(*item.file)) {
        const FileRecord& file = *item.file;
        FileNode* child = tree.makeChild(node, file.name, false, false, file.kind, file.bucket);
        set(child->size, file.size);
        set(child->logicalSize, file.length);
        set(child->fileCount, 1);
        set(child->modified, file.modified);
        set(child->accessed, file.accessed);
      }
    }
  };

  result.root = tree.makeRoot(root.name, true, root.isPackage, root.kind, root.bucket);
  std::vector<Frame> stack;
  open(root, result.root);
  stack.push_back({&root, result.root, 0, 0, {}});
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next == top.folder->itemCount) {
      const FolderRecord& folder = *top.folder;
      FileNode* node = top.node;
      const Sums sums{folder.own + folder.smallSize + top.below.size, folder.length + top.below.length,
                      folder.smallCount + top.below.files};
      set(node->size, sums.size);
      set(node->logicalSize, sums.length);
      set(node->fileCount, sums.files);
      set(node->smallFilesSize, folder.smallSize);
      set(node->smallFilesCount, folder.smallCount);
      set(node->unreadable, folder.unreadable);
      stack.pop_back();
      if (!stack.empty()) {
        Sums& up = stack.back().below;
        up.size += sums.size;
        up.length += sums.length;
        up.files += sums.files;
      }
      continue;
    }
    const ScanItem& item = top.folder->items[top.next++];
    if (item.folder) {
      FileNode* child = top.node->children[top.child++];
      open(*item.folder, child);
      stack.push_back({item.folder, child, 0, 0, {}});
    } else if (isNode(*item.file)) {
      FileNode* child = top.node->children[top.child++];
      result.files.push_back(child);
      top.below.size += get(child->size);
      top.below.length += get(child->logicalSize);
      top.below.files += 1;
    }
  }

  result.bucketTotals = totals.buckets.toMap(kAllStorageBuckets);
  result.kindTotals = totals.kindBytes.toMap(kAllFileKinds);
  result.kindCounts = totals.kindCounts.toMap(kAllFileKinds);
  result.totalFiles = totals.files;
  result.totalDirectories = totals.directories;
  result.unreadableDirectories = totals.unreadable;
  return result;
}

}  // namespace tolvex
