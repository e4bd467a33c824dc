#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/FileKind.h"
#include "model/StorageBucket.h"

namespace tolvex {

// One folder, or one file of at least 512 KiB, of a scanned tree. Nodes are compared and hashed by
// identity (their address); `serial` is a process-unique number, never reused, that selections hold
// instead of pointers.
//
// The tree is built by one thread and then handed over. Afterwards only the fields marked "mutable"
// change (on the UI thread, when items are deleted), while background readers may still walk the
// tree: those fields are atomics, read and written with relaxed ordering. `children` never changes
// once the tree has been handed over.
class FileNode {
 public:
  FileNode(std::string name, FileNode* parent, bool isDirectory, bool isPackage, FileKind kind,
           StorageBucket bucket);
  FileNode(const FileNode&) = delete;
  FileNode& operator=(const FileNode&) = delete;

  std::string name;     // last component; for the root, the whole root path as given
  FileNode* parent;     // weak: the tree owns every node
  const uint64_t serial;
  const bool isDirectory;
  const bool isPackage;
  const FileKind kind;

  // Mutable after the scan.
  std::atomic<StorageBucket> bucket;
  std::atomic<int64_t> size{0};         // allocated bytes; a folder's own allocation plus everything below
  std::atomic<int64_t> logicalSize{0};  // byte length; a folder's is the sum of the files below
  std::atomic<int64_t> fileCount{0};
  std::atomic<double> modified{0};      // whole seconds since 1970
  std::atomic<double> accessed{0};
  std::atomic<int64_t> smallFilesSize{0};
  std::atomic<int64_t> smallFilesCount{0};
  std::atomic<bool> unreadable{false};
  std::atomic<bool> deleted{false};

  std::vector<FileNode*> children;  // in the order the walk met them

  // The full path, built from the names up the parent chain.
  std::string path() const;
  // The node or one of its ancestors was deleted after the scan.
  bool isGone() const;
};

// Owns every node of one tree. Nodes live in fixed chunks, so their addresses never change and a
// tree of any depth is freed without recursion.
class FileTree {
 public:
  FileTree() = default;
  FileTree(const FileTree&) = delete;
  FileTree& operator=(const FileTree&) = delete;
  ~FileTree();

  // Creates a node and, when `parent` is given, appends it to the parent's children.
  FileNode* make(std::string name, FileNode* parent, bool isDirectory, bool isPackage, FileKind kind,
                 StorageBucket bucket);

  size_t nodeCount() const { return count_; }

 private:
  static constexpr size_t kChunk = 4096;
  std::vector<FileNode*> chunks_;  // raw storage for kChunk nodes each
  size_t count_ = 0;
};

// Relaxed loads and stores of the atomic fields, to keep call sites short.
template <typename T>
inline T get(const std::atomic<T>& field) {
  return field.load(std::memory_order_relaxed);
}
template <typename T, typename U>
inline void set(std::atomic<T>& field, U value) {
  field.store(static_cast<T>(value), std::memory_order_relaxed);
}
template <typename U>
inline void add(std::atomic<int64_t>& field, U delta) {
  field.fetch_add(static_cast<int64_t>(delta), std::memory_order_relaxed);
}

}  // namespace tolvex
