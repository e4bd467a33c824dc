#pragma once
// Scan trees built in memory for the view tests: folders and files with exact sizes, each size also
// added to every ancestor, as a scan leaves them.
#include <string>

#include "model/FileNode.h"

namespace tolvex::test {

struct MemTree {
  FileTree tree;
  FileNode* root;

  explicit MemTree(const std::string& rootPath = "/scan")
      : root(tree.make(rootPath, nullptr, true, false, FileKind::other, StorageBucket::other)) {}

  FileNode* folder(FileNode* parent, const std::string& name, StorageBucket bucket = StorageBucket::other,
                   bool package = false) {
    return tree.make(name, parent, true, package, FileKind::other, bucket);
  }
  FileNode* file(FileNode* parent, const std::string& name, int64_t size, StorageBucket bucket = StorageBucket::other) {
    FileNode* n = tree.make(name, parent, false, false, kindForFileName(name), bucket);
    grow(n, size, 1);
    return n;
  }
  // Bytes that belong to a folder itself (its own allocation, its small files).
  void own(FileNode* folder, int64_t size) { grow(folder, size, 0); }

  static void grow(FileNode* node, int64_t size, int64_t files) {
    for (FileNode* n = node; n; n = n->parent) {
      add(n->size, size);
      if (n != node || !n->isDirectory) add(n->fileCount, files);
    }
  }
};

}  // namespace tolvex::test
