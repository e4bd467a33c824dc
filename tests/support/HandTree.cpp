#include "support/HandTree.h"

#include "platform/Paths.h"

namespace tolvex::test {

HandTree::HandTree(const std::string& rootPath)
    : root_(tree_->make(rootPath, nullptr, true, false, FileKind::other, StorageBucket::other)) {}

FileNode* HandTree::node(const std::string& relative, bool isDirectory, bool isPackage, bool another) {
  FileNode* parent = root_;
  const auto parts = pathComponents(relative);
  for (size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    FileNode* next = nullptr;
    for (FileNode* child : parent->children)
      if (child->name == parts[i] && child->isDirectory) next = child;
    if (next && last && isDirectory && !another) return next;
    if (!next || last)
      next = tree_->make(std::string(parts[i]), parent, last ? isDirectory : true, last && isPackage, FileKind::other,
                         StorageBucket::other);
    parent = next;
  }
  return parent;
}

FileNode* HandTree::folder(const std::string& relative, int64_t size, double modified) {
  FileNode* folder = node(relative, true, false);
  if (size >= 0) set(folder->size, size);
  if (modified >= 0) set(folder->modified, modified);
  return folder;
}

FileNode* HandTree::anotherFolder(const std::string& relative, int64_t size) {
  FileNode* folder = node(relative, true, false, true);
  set(folder->size, size);
  return folder;
}

FileNode* HandTree::package(const std::string& relative, int64_t size) {
  FileNode* package = node(relative, true, true);
  set(package->size, size);
  return package;
}

FileNode* HandTree::file(const std::string& relative, int64_t size, double modified) {
  FileNode* file = node(relative, false, false);
  set(file->size, size);
  set(file->logicalSize, size);
  set(file->fileCount, 1);
  set(file->modified, modified);
  files_.push_back(file);
  return file;
}

ScanResult HandTree::result() const {
  ScanResult result;
  result.tree = tree_;
  result.root = root_;
  result.rootPath = root_->name;
  result.files = files_;
  for (FileNode* file : files_) result.bucketTotals[get(file->bucket)] += get(file->size);
  result.totalFiles = static_cast<int64_t>(files_.size());
  result.finishedAt = 1.8e9;
  return result;
}

}  // namespace tolvex::test
