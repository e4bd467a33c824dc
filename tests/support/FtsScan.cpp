#include "support/FtsScan.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <fts.h>

#include <array>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/DisplayPath.h"
#include "model/FolderSize.h"
#include "model/ScanCollector.h"
#include "model/StorageBucket.h"
#include "platform/HomeFolder.h"

namespace tolvex::test {

namespace {

// fts_number markers: a folder opened as a node, and a folder skipped as excluded.
constexpr long kOpened = 1;
constexpr long kExcluded = 2;

int64_t allocated(const struct stat& st) { return static_cast<int64_t>(st.st_blocks) * 512; }

struct OpenFolder {
  FileNode* node;
  StorageBucket bucket;
  int64_t size;
  int64_t logicalSize;
  int64_t fileCount;
  int64_t smallFilesSize;
  int64_t smallFilesCount;
};

void store(const OpenFolder& folder) {
  FileNode& node = *folder.node;
  set(node.size, folder.size);
  set(node.logicalSize, folder.logicalSize);
  set(node.fileCount, folder.fileCount);
  set(node.smallFilesSize, folder.smallFilesSize);
  set(node.smallFilesCount, folder.smallFilesCount);
}

void addInto(OpenFolder& parent, const OpenFolder& child) {
  parent.size += child.size;
  parent.logicalSize += child.logicalSize;
  parent.fileCount += child.fileCount;
}

struct WalkerCloser {
  void operator()(FTS* walker) const { fts_close(walker); }
};

}  // namespace

std::optional<ScanResult> ftsScan(const std::string& root, const std::set<std::string>& excluded) {
  // The walker needs a C string: a path with a NUL byte inside cannot be one.
  if (root.find('\0') != std::string::npos) return std::nullopt;
  std::string cRoot = root;
  char* roots[] = {cRoot.data(), nullptr};
  std::unique_ptr<FTS, WalkerCloser> walker(fts_open(roots, FTS_NOCHDIR | FTS_PHYSICAL | FTS_XDEV, nullptr));
  if (!walker) return std::nullopt;

  const PathClassifier classifier(foldedPath(homeFolder()), foldedPath(xdgDataHome() + "/Trash"));
  // Views into the caller's set, which outlives the walk: lookups need no string of their own.
  const std::unordered_set<std::string_view> excludedPaths(excluded.begin(), excluded.end());

  ScanResult result;
  result.tree = std::make_shared<FileTree>();
  result.rootPath = root;
  FileTree& tree = *result.tree;

  std::vector<OpenFolder> stack;
  stack.reserve(128);
  std::unordered_set<uint64_t> seenLinks;
  BucketTally bucketTotals;
  KindTally kindTotals;
  KindTally kindCounts;
  int64_t files = 0, totalDirectories = 0, unreadable = 0, hardLinksSkipped = 0;

  // Pops the innermost open folder, stores its sums and hands them to its parent.
  auto closeFolder = [&]() -> FileNode* {
    OpenFolder done = stack.back();
    stack.pop_back();
    store(done);
    if (!stack.empty()) addInto(stack.back(), done);
    return done.node;
  };

  while (FTSENT* entry = fts_read(walker.get())) {
    if (!entry->fts_path) continue;
    switch (entry->fts_info) {
      case FTS_D: {
        const std::string_view folded = foldedPathView({entry->fts_path, entry->fts_pathlen});
        std::string name;
        if (result.root) {
          if (!excludedPaths.empty() && excludedPaths.contains(folded)) {
            entry->fts_number = kExcluded;
            fts_set(walker.get(), entry, FTS_SKIP);
            continue;
          }
          name.assign(entry->fts_name, entry->fts_namelen);
        } else {
          name = root;
        }

        std::optional<StorageBucket> inherited;
        if (!stack.empty() && stack.back().bucket != StorageBucket::other) inherited = stack.back().bucket;
        const StorageBucket bucket = classifier.classify(folded, name, inherited).value_or(StorageBucket::other);
        const size_t dot = name.rfind('.');
        const bool isPackage = dot != std::string::npos && isPackageExtension(std::string_view(name).substr(dot + 1));
        const FileKind kind = name.ends_with(".app") ? FileKind::application : FileKind::other;

        const struct stat& st = *entry->fts_statp;
        const int64_t size = allocated(st);
        FileNode* node = tree.make(name, stack.empty() ? nullptr : stack.back().node, true, isPackage, kind, bucket);
        set(node->size, size);
        set(node->modified, wholeSeconds(st.st_mtim));
        set(node->accessed, wholeSeconds(st.st_atim));
        if (!result.root) result.root = node;

        entry->fts_number = kOpened;
        stack.push_back({node, bucket, size, 0, 0, 0, 0});
        ++totalDirectories;
        bucketTotals.add(bucket, size);
        break;
      }

      case FTS_DP:
        // Excluded folders come back here too (marked 2), and so does a folder on another device.
        if (entry->fts_number != kOpened || stack.empty()) continue;
        closeFolder();
        break;

      case FTS_F:
      case FTS_SL:
      case FTS_SLNONE:
      case FTS_DEFAULT: {
        if (stack.empty()) continue;
        const struct stat& st = *entry->fts_statp;
        if (entry->fts_info == FTS_F && st.st_nlink >= 2 &&
            !seenLinks.insert(hardLinkKey(st.st_ino, st.st_dev)).second) {
          ++hardLinksSkipped;  // the first path met keeps the file
          continue;
        }
        const int64_t size = allocated(st);
        const int64_t length = static_cast<int64_t>(st.st_size);
        const FileKind kind = kindForFileName(entry->fts_name, entry->fts_namelen);
        OpenFolder& parent = stack.back();
        const StorageBucket bucket = parent.bucket == StorageBucket::other ? bucketForKind(kind) : parent.bucket;

        parent.size += size;
        parent.logicalSize += length;
        parent.fileCount += 1;
        ++files;
        bucketTotals.add(bucket, size);
        kindTotals.add(kind, size);
        kindCounts.add(kind, 1);
        if (size < kLargeFileBytes) {
          parent.smallFilesSize += size;
          parent.smallFilesCount += 1;
        } else {
          FileNode* node =
              tree.make(std::string(entry->fts_name, entry->fts_namelen), parent.node, false, false, kind, bucket);
          set(node->size, size);
          set(node->logicalSize, length);
          set(node->fileCount, 1);
          set(node->modified, wholeSeconds(st.st_mtim));
          set(node->accessed, wholeSeconds(st.st_atim));
          result.files.push_back(node);
        }
        break;
      }

      case FTS_DNR:
      case FTS_NS:
      case FTS_ERR:
        ++unreadable;
        if (entry->fts_number == kOpened && !stack.empty()) {
          // A folder that was opened but could not be listed: keep what it holds (nothing).
          set(closeFolder()->unreadable, true);
        } else if (entry->fts_info == FTS_DNR && !stack.empty()) {
          FileNode* node = tree.make(std::string(entry->fts_name, entry->fts_namelen), stack.back().node, true, false,
                                     FileKind::other, stack.back().bucket);
          set(node->unreadable, true);
        }
        break;

      default:  // cycles and the like
        break;
    }
  }

  if (!result.root) return std::nullopt;

  // The walker stops early only on a failure of its own (out of memory). The folders still open
  // then miss part of their contents: keep what was counted, consistent up the tree, and mark them
  // as not fully read.
  while (!stack.empty()) {
    ++unreadable;
    set(closeFolder()->unreadable, true);
  }

  result.bucketTotals = bucketTotals.toMap(kAllStorageBuckets);
  result.kindTotals = kindTotals.toMap(kAllFileKinds);
  result.kindCounts = kindCounts.toMap(kAllFileKinds);
  result.totalFiles = files;
  result.totalDirectories = totalDirectories;
  result.unreadableDirectories = unreadable;
  result.hardLinksSkipped = hardLinksSkipped;
  return result;
}

}  // namespace tolvex::test
