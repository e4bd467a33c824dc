#include "views/analysis/logic/BiggestFolders.h"

#include <algorithm>
#include <utility>

namespace tolvex {
namespace {

bool isProperAncestor(const FileNode* ancestor, const FileNode* node) {
  for (const FileNode* n = node->parent; n; n = n->parent)
    if (n == ancestor) return true;
  return false;
}

// Folders larger than the minimum at depth 2 or more, each before its descendants; packages are
// listed but never entered, and nothing below depth 6 is looked at.
std::vector<FileNode*> candidates(FileNode* root) {
  std::vector<FileNode*> found;
  std::vector<std::pair<FileNode*, int>> stack{{root, 0}};
  while (!stack.empty()) {
    auto [node, depth] = stack.back();
    stack.pop_back();
    if (depth >= BiggestFolders::kMinimumDepth && get(node->size) > BiggestFolders::kMinimumSize) found.push_back(node);
    if (depth > BiggestFolders::kDeepestEntered || node->isPackage) continue;
    for (FileNode* child : node->children)
      if (child->isDirectory && !get(child->deleted) && get(child->size) > BiggestFolders::kMinimumSize)
        stack.emplace_back(child, depth + 1);
  }
  return found;
}

}  // namespace

std::vector<FileNode*> BiggestFolders::folders(FileNode* root) {
  std::vector<FileNode*> result;
  if (!root) return result;
  std::vector<FileNode*> sorted = candidates(root);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const FileNode* a, const FileNode* b) { return get(a->size) > get(b->size); });
  for (FileNode* candidate : sorted) {
    const bool related = std::any_of(result.begin(), result.end(), [&](const FileNode* kept) {
      return isProperAncestor(kept, candidate) || isProperAncestor(candidate, kept);
    });
    if (!related) {
      result.push_back(candidate);
      if (result.size() == kLimit) break;
      continue;
    }
    // A subfolder holding most of a listed folder stands in its place.
    auto ancestor = std::find_if(result.begin(), result.end(),
                                 [&](const FileNode* kept) { return isProperAncestor(kept, candidate); });
    if (ancestor != result.end() &&
        static_cast<double>(get(candidate->size)) > kTakeOverRatio * static_cast<double>(get((*ancestor)->size)))
      *ancestor = candidate;
  }
  return result;
}

}  // namespace tolvex
