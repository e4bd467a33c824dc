#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/FileNode.h"

namespace tolvex {

// A scanned tree with its flat list of file nodes and its totals. A value: copies share the tree,
// which lives as long as any copy (a background reader keeps it alive by holding one).
struct ScanResult {
  std::shared_ptr<FileTree> tree;
  FileNode* root = nullptr;
  std::string rootPath;
  std::vector<FileNode*> files;  // every file node, in walk order
  std::map<StorageBucket, int64_t> bucketTotals;
  std::map<FileKind, int64_t> kindTotals;
  std::map<FileKind, int64_t> kindCounts;
  int64_t totalFiles = 0;
  int64_t totalDirectories = 0;
  int64_t unreadableDirectories = 0;
  int64_t hardLinksSkipped = 0;
  double duration = 0;    // seconds
  double finishedAt = 0;  // seconds since 1970
};

// Files, bytes and the folded path of the entry being visited, while a scan runs.
struct ScanProgressSnapshot {
  int64_t files = 0;
  int64_t bytes = 0;
  std::string currentPath;
  bool operator==(const ScanProgressSnapshot&) const = default;
};

// What to scan. The scan archive stores wholeDisk as 0, home as 1 and folder as 2.
struct ScanTarget {
  enum class Kind : uint8_t { folder, wholeDisk, home };
  Kind kind = Kind::wholeDisk;
  std::string folderPath;  // only for `folder`

  static ScanTarget wholeDisk() { return {Kind::wholeDisk, {}}; }
  static ScanTarget home() { return {Kind::home, {}}; }
  static ScanTarget folder(std::string path) { return {Kind::folder, std::move(path)}; }
  bool operator==(const ScanTarget&) const = default;
};

}  // namespace tolvex
