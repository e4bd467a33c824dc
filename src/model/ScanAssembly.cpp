#include "model/ScanAssembly.h"

#include <unordered_map>
#include <unordered_set>

namespace tolvex {

namespace {

// The sums of a folder being finished.
struct Sums {
  int64_t size = 0, length = 0, files = 0;
};

// Where each folder's linked files stand.
using LinkRanges = std::unordered_map<const FileNode*, std::pair<const LinkedFile*, const LinkedFile*>>;

LinkRanges linkRanges(const std::vector<std::vector<LinkedFile>>& linked) {
  LinkRanges ranges;
  for (const std::vector<LinkedFile>& list : linked) {
    const LinkedFile* const end = list.data() + list.size();
    for (const LinkedFile* at = list.data(); at != end;) {
      const LinkedFile* next = at + 1;
      while (next != end && next->folder == at->folder) ++next;
      ranges.emplace(at->folder, std::make_pair(at, next));
      at = next;
    }
  }
  return ranges;
}

}  // namespace

ScanResult assembleScan(std::shared_ptr<FileTree> tree, FileNode* root, const std::string& rootPath, ScanTotals totals,
                        const std::vector<std::vector<LinkedFile>>& linked) {
  ScanResult result;
  result.rootPath = rootPath;
  const LinkRanges ranges = linkRanges(linked);
  std::unordered_set<uint64_t> seenLinks;
  std::unordered_set<const FileNode*> skipped;  // large linked files met after another of their paths

  // Depth first in walk order: a folder's linked files come where the folder listed them, between
  // its child nodes; a folder is summed when left.
  struct Frame {
    FileNode* node = nullptr;
    uint32_t child = 0;
    const LinkedFile* link = nullptr;  // its linked files not met yet
    const LinkedFile* linkEnd = nullptr;
    Sums below;
    bool drops = false;  // some of its children were skipped
  };
  std::vector<Frame> stack;
  auto open = [&](FileNode* node) {
    Frame frame;
    frame.node = node;
    if (!ranges.empty())
      if (auto it = ranges.find(node); it != ranges.end()) std::tie(frame.link, frame.linkEnd) = it->second;
    stack.push_back(frame);
  };
  auto keepFile = [&](Frame& top, FileNode* file) {
    result.files.push_back(file);
    top.below.size += get(file->size);
    top.below.length += get(file->logicalSize);
    top.below.files += 1;
  };

  open(root);
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.link != top.linkEnd && top.link->position == top.child) {
      const LinkedFile& file = *top.link++;
      if (!seenLinks.insert(file.key).second) {
        ++result.hardLinksSkipped;
        if (file.node) {
          skipped.insert(file.node);
          top.drops = true;
          ++top.child;
        }
        continue;
      }
      ++totals.files;
      totals.buckets.add(file.bucket, file.size);
      totals.kindBytes.add(file.kind, file.size);
      totals.kindCounts.add(file.kind, 1);
      if (file.node) {
        keepFile(top, file.node);
        ++top.child;
      } else {
        add(top.node->smallFilesSize, file.size);
        add(top.node->smallFilesCount, 1);
        add(top.node->logicalSize, file.length);
      }
      continue;
    }
    if (top.child < top.node->children.size()) {
      FileNode* child = top.node->children[top.child++];
      if (child->isDirectory)
        open(child);  // `top` is not used past this point
      else
        keepFile(top, child);
      continue;
    }
    FileNode* node = top.node;
    const Sums sums{get(node->size) + get(node->smallFilesSize) + top.below.size,
                    get(node->logicalSize) + top.below.length, get(node->smallFilesCount) + top.below.files};
    set(node->size, sums.size);
    set(node->logicalSize, sums.length);
    set(node->fileCount, sums.files);
    if (top.drops) {
      std::vector<FileNode*> kept;
      for (FileNode* child : node->children)
        if (!skipped.contains(child)) kept.push_back(child);
      tree->keepChildren(node, kept);
    }
    stack.pop_back();
    if (!stack.empty()) {
      Sums& up = stack.back().below;
      up.size += sums.size;
      up.length += sums.length;
      up.files += sums.files;
    }
  }
  tree->seal();

  result.tree = std::move(tree);
  result.root = root;
  result.bucketTotals = totals.buckets.toMap(kAllStorageBuckets);
  result.kindTotals = totals.kindBytes.toMap(kAllFileKinds);
  result.kindCounts = totals.kindCounts.toMap(kAllFileKinds);
  result.totalFiles = totals.files;
  result.totalDirectories = totals.directories;
  result.unreadableDirectories = totals.unreadable;
  return result;
}

}  // namespace tolvex
