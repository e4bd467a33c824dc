#pragma once
// The scanner's side of a walk: turns each folder's listing into the tree's nodes as it comes (each
// folder's child folders and large files, side by side, in listing order), counts files and sizes,
// and reports progress. Safe for a walk on several threads: each thread keeps its own writer into the
// tree and its own totals; progress and cancellation go through one lock each. Files with more than
// one link are noted, to be settled once the walk is over (ScanAssembly.h).
#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/FileNode.h"
#include "model/StorageBucket.h"
#include "platform/TreeWalk.h"

namespace tolvex {

inline constexpr int64_t kLargeFileBytes = 524288;  // files below this are folded into their folder

// Whole seconds since 1970, the fraction dropped.
double wholeSeconds(const timespec& time);

// Totals per category or kind, with a note of which ones were ever touched (an untouched one is
// absent from the result's map).
template <size_t N, typename Key>
struct Tally {
  std::array<int64_t, N> value{};
  std::array<bool, N> touched{};
  void add(Key key, int64_t amount) {
    auto i = static_cast<size_t>(key);
    value[i] += amount;
    touched[i] = true;
  }
  void add(const Tally& other) {
    for (size_t i = 0; i < N; ++i) {
      value[i] += other.value[i];
      touched[i] = touched[i] || other.touched[i];
    }
  }
  template <typename All>
  std::map<Key, int64_t> toMap(const All& all) const {
    std::map<Key, int64_t> out;
    for (Key key : all)
      if (touched[static_cast<size_t>(key)]) out.emplace(key, value[static_cast<size_t>(key)]);
    return out;
  }
};

using BucketTally = Tally<kAllStorageBuckets.size(), StorageBucket>;
using KindTally = Tally<kAllFileKinds.size(), FileKind>;

// What the walk counted; files with more than one link are added after the walk, once it is known
// which of their paths a sequential walk meets first.
struct ScanTotals {
  BucketTally buckets;
  KindTally kindBytes;
  KindTally kindCounts;
  int64_t files = 0;
  int64_t directories = 0;
  int64_t unreadable = 0;
  void add(const ScanTotals& other);
};

// Progress reports: at most one per 1024 files and per interval, never two at once, none once the
// scan is cancelled. Files are counted in the order each folder lists them; a hard-linked file
// counts at the first of its paths that the walk reaches.
class ScanProgress {
 public:
  using Report = std::function<void(int64_t files, int64_t bytes, const std::string& currentPath)>;
  ScanProgress(const Report& report, std::chrono::duration<double> interval, std::function<bool()> cancelled);

  // A folder's pre-order or post-order visit.
  void atFolder(std::string_view path);
  // The files a folder counted, in listing order.
  struct Counted {
    std::string_view name;
    int64_t bytes;  // allocated
    uint64_t linkKey;
    bool linked;  // counts only at the first path of the file that reaches progress
  };
  void addFiles(std::string_view folderPath, const std::vector<Counted>& files);

 private:
  void maybeReport(std::string_view folder, std::string_view name);  // with `lock_` held

  const Report& report_;
  const std::chrono::duration<double> interval_;
  const std::function<bool()> cancelled_;
  std::mutex lock_;
  std::atomic<int64_t> files_{0};  // written under `lock_`, read without it for a quick test
  int64_t bytes_ = 0;
  std::chrono::steady_clock::time_point lastReport_;
  std::unordered_set<uint64_t> seenLinks_;
};

// A file with two or more links, as a folder listed it. Whether it counts, and whether a large one
// keeps its node, depends on the first of its paths that a sequential walk meets.
struct LinkedFile {
  FileNode* folder = nullptr;
  FileNode* node = nullptr;  // a large file's node (one of the folder's children), else null
  uint32_t position = 0;     // the folder's child nodes listed before it (a large file's own index)
  uint64_t key = 0;
  int64_t size = 0;    // allocated bytes
  int64_t length = 0;  // byte length
  FileKind kind = FileKind::other;
  StorageBucket bucket = StorageBucket::other;
};

// While the walk runs, a folder's node holds its own allocation as its size, and its small files
// (those without a node, not linked) as its small files and its logical size; ScanAssembly adds
// what lies below.
class ScanCollector final : public WalkVisitor {
 public:
  ScanCollector(FileTree& tree, unsigned workers, const PathClassifier& classifier,
                const std::unordered_set<std::string_view>& excluded, ScanProgress& progress,
                std::function<bool()> cancelled);

  // The node of the walk's root folder, examined as `st`.
  FileNode* makeRoot(const std::string& root, const EntryStat& st);

  bool enter(WalkFolder& folder, unsigned worker) override;
  void unreadable(WalkFolder& folder, unsigned worker) override;
  void listed(WalkFolder& folder, const FolderReader& reader, ChildFolders& children, unsigned worker) override;
  void leave(WalkFolder& folder, unsigned worker) override;

  // After the walk: every thread's totals together, and the linked files each thread noted (each
  // folder's together, in listing order).
  ScanTotals totals() const;
  std::vector<std::vector<LinkedFile>> takeLinkedFiles();
  // The tree could not take every node (beyond its room, or out of memory): the walk was stopped.
  bool overflowed() const { return overflowed_.load(std::memory_order_relaxed); }

 private:
  // An entry of the folder being listed that gets a node.
  struct Pick {
    size_t index;
    StorageBucket bucket;
    FileKind kind;
    int64_t linked;    // its entry in `linked`, or -1
    std::string path;  // a folder's
  };
  struct alignas(64) Worker {
    explicit Worker(FileTree& tree) : writer(tree) {}
    FileTree::Writer writer;
    ScanTotals totals;
    std::vector<Pick> picks;  // scratch for one folder
    std::vector<ScanProgress::Counted> counted;
    std::vector<LinkedFile> linked;
  };
  void list(FileNode* folder, const FolderReader& reader, ChildFolders& children, Worker& w);
  void setFolder(Worker& w, FileNode* node, const EntryStat& st);

  FileTree& tree_;
  const PathClassifier& classifier_;
  const std::unordered_set<std::string_view>& excluded_;
  ScanProgress& progress_;
  const std::function<bool()> cancelled_;
  std::vector<std::unique_ptr<Worker>> workers_;
  std::atomic<bool> overflowed_{false};
};

}  // namespace tolvex
