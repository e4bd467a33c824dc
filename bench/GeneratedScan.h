#pragma once
// The scan tree the archive benchmarks read and write: about `target` nodes, generated the same way
// every time.
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/ScanResult.h"

namespace tolvex::bench {

// A tree shaped like a home folder or a whole disk: folders with a spread of fan-outs, names from a
// vocabulary mixed with numbers and hashes, large files with extensions, plausible sizes and dates.
inline ScanResult generatedScan(size_t target) {
  static const char* const folderWords[] = {
      "src",    "lib",        "node_modules",  "Library",     "Caches", "cache",    "share",   "include",
      "build",  "dist",       "Documents",     "Pictures",    "Music",  "Projects", "objects", "pack",
      "tmp",    "logs",       "config",        "data",        "assets", "images",   "test",    "tests",
      "vendor", "python3.11", "site-packages", "__pycache__", ".git",   "bin"};
  static const char* const fileWords[] = {"IMG_", "video-", "backup-", "archive-", "dump-", "photo-", "track-"};
  static const char* const extensions[] = {".jpg", ".mp4", ".tar.gz", ".zip", ".iso",
                                           ".mov", ".pdf", ".pack",   ".bin", ".db"};
  std::mt19937_64 random(42);
  auto pick = [&](uint64_t n) { return static_cast<size_t>(random() % n); };

  ScanResult result;
  result.tree = std::make_shared<FileTree>();
  result.rootPath = "/";
  std::vector<FileNode*> nodes;
  nodes.reserve(target + 64);
  FileNode* root = result.tree->make("/", nullptr, true, false, FileKind::other, StorageBucket::other);
  result.root = root;
  nodes.push_back(root);
  size_t next = 0;  // breadth first: folders get children in creation order
  while (nodes.size() < target && next < nodes.size()) {
    FileNode* folder = nodes[next++];
    if (!folder->isDirectory) continue;
    const size_t children = next < 50 ? 8 : pick(10) == 0 ? 20 + pick(60) : pick(6);
    for (size_t i = 0; i < children && nodes.size() < target; ++i) {
      const bool isFolder = pick(100) < 78;
      std::string name;
      FileKind kind = FileKind::other;
      if (isFolder) {
        switch (pick(4)) {
          case 0: name = folderWords[pick(std::size(folderWords))]; break;
          case 1:
            name = std::string(folderWords[pick(std::size(folderWords))]) + "-" + std::to_string(pick(1000));
            break;
          case 2: {
            char hex[17];
            std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(random()));
            name = std::string(hex, 2 + pick(14));
            break;
          }
          default:
            name = "v" + std::to_string(pick(10)) + "." + std::to_string(pick(30)) + "." + std::to_string(pick(100));
        }
      } else {
        const size_t e = pick(std::size(extensions));
        name = std::string(fileWords[pick(std::size(fileWords))]) + std::to_string(pick(100000)) + extensions[e];
        static const FileKind kinds[] = {FileKind::image,     FileKind::video, FileKind::archive,  FileKind::archive,
                                         FileKind::diskImage, FileKind::video, FileKind::document, FileKind::other,
                                         FileKind::other,     FileKind::other};
        kind = kinds[e];
      }
      FileNode* node = result.tree->make(std::move(name), folder, isFolder, false, kind,
                                         isFolder ? get(folder->bucket) : kAllStorageBuckets[pick(12)]);
      const double modified = 1.5e9 + static_cast<double>(pick(200000000));
      set(node->modified, modified);
      set(node->accessed, modified + static_cast<double>(pick(10000000)));
      if (isFolder) {
        set(node->size, 4096);
        const int64_t small = static_cast<int64_t>(pick(40));
        const int64_t smallBytes = small * (4096 + static_cast<int64_t>(pick(100000)));
        set(node->smallFilesCount, small);
        set(node->smallFilesSize, smallBytes);
        set(node->fileCount, small);
        set(node->logicalSize, smallBytes - small * 1000);
        if (pick(1000) == 0) set(node->unreadable, true);
      } else {
        const int64_t bytes = static_cast<int64_t>(std::exp2(19.0 + static_cast<double>(pick(1100)) / 100.0));
        set(node->logicalSize, bytes);
        set(node->size, (bytes + 4095) / 4096 * 4096);
        set(node->fileCount, 1);
        result.files.push_back(node);
      }
      nodes.push_back(node);
    }
  }
  // Folder totals, children before parents (every child was made after its parent).
  for (size_t i = nodes.size(); i-- > 1;) {
    FileNode* node = nodes[i];
    add(node->parent->size, get(node->size));
    add(node->parent->logicalSize, get(node->logicalSize));
    add(node->parent->fileCount, get(node->fileCount));
  }
  for (FileNode* node : nodes) {
    result.bucketTotals[get(node->bucket)] += get(node->size);
    if (!node->isDirectory) {
      result.kindTotals[node->kind] += get(node->size);
      result.kindCounts[node->kind] += 1;
    } else {
      ++result.totalDirectories;
    }
  }
  result.totalFiles = get(root->fileCount);
  result.duration = 12.5;
  result.finishedAt = 1733800000;
  return result;
}

}  // namespace tolvex::bench
