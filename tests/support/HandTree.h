#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/ScanResult.h"

namespace tolvex::test {

// A scanned tree made by hand: folders and files at paths below a root, with the sizes and dates a
// test sets. Sizes are not added up; each node holds what it is given.
class HandTree {
 public:
  explicit HandTree(const std::string& rootPath);

  // The folder at `relative` (made with its missing parents); `size` and `modified` are set when given.
  FileNode* folder(const std::string& relative, int64_t size = -1, double modified = -1);
  // One more folder named as the last part of `relative`, beside any of that name already there.
  FileNode* anotherFolder(const std::string& relative, int64_t size);
  // A package folder (an application bundle, a library).
  FileNode* package(const std::string& relative, int64_t size);
  // A file node, listed in the result's files.
  FileNode* file(const std::string& relative, int64_t size, double modified = 0);

  FileNode* root() const { return root_; }
  // A result holding the tree: its files in the order made, a bucket total of each file's size.
  ScanResult result() const;

 private:
  FileNode* parentOf(const std::string& relative);
  FileNode* node(const std::string& relative, bool isDirectory, bool isPackage, bool another = false);

  std::shared_ptr<FileTree> tree_ = std::make_shared<FileTree>();
  FileNode* root_;
  std::vector<FileNode*> files_;
};

}  // namespace tolvex::test
