#include "model/ScanCollector.h"

#include "model/DisplayPath.h"
#include "model/FolderSize.h"

namespace tolvex {

double wholeSeconds(const timespec& time) {
  time_t seconds = time.tv_sec;
  if (seconds < 0 && time.tv_nsec > 0) seconds += 1;  // toward zero, as for positive times
  return static_cast<double>(seconds);
}

void ScanTotals::add(const ScanTotals& other) {
  buckets.add(other.buckets);
  kindBytes.add(other.kindBytes);
  kindCounts.add(other.kindCounts);
  files += other.files;
  directories += other.directories;
  unreadable += other.unreadable;
}

// ---------------------------------------------------------------------------------------------
// Progress

namespace {
constexpr int64_t kProgressEveryFiles = 1024;
}

ScanProgress::ScanProgress(const Report& report, std::chrono::duration<double> interval,
                           std::function<bool()> cancelled)
    : report_(report),
      interval_(interval),
      cancelled_(std::move(cancelled)),
      lastReport_(std::chrono::steady_clock::now()) {}

void ScanProgress::atFolder(std::string_view path) {
  if (!report_ || files_.load(std::memory_order_relaxed) % kProgressEveryFiles != 0) return;
  std::lock_guard<std::mutex> guard(lock_);
  maybeReport(path, {});
}

void ScanProgress::addFiles(std::string_view folderPath, const std::vector<Counted>& files) {
  if (!report_ || files.empty()) return;
  std::lock_guard<std::mutex> guard(lock_);
  int64_t count = files_.load(std::memory_order_relaxed);
  for (const Counted& file : files) {
    if (file.linked && !seenLinks_.insert(file.linkKey).second) continue;
    ++count;
    bytes_ += file.bytes;
    if (count % kProgressEveryFiles == 0) {
      files_.store(count, std::memory_order_relaxed);
      maybeReport(folderPath, file.name);
    }
  }
  files_.store(count, std::memory_order_relaxed);
}

void ScanProgress::maybeReport(std::string_view folder, std::string_view name) {
  const int64_t files = files_.load(std::memory_order_relaxed);
  if (files % kProgressEveryFiles != 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastReport_ <= interval_ || cancelled_()) return;
  lastReport_ = now;
  const std::string path = name.empty() ? std::string(folder) : joinPath(folder, name);
  report_(files, bytes_, std::string(foldedPathView(path)));
}

// ---------------------------------------------------------------------------------------------
// Collecting

ScanCollector::ScanCollector(FileTree& tree, unsigned workers, const PathClassifier& classifier,
                             const std::unordered_set<std::string_view>& excluded, ScanProgress& progress,
                             std::function<bool()> cancelled)
    : tree_(tree), classifier_(classifier), excluded_(excluded), progress_(progress), cancelled_(std::move(cancelled)) {
  for (unsigned i = 0; i < std::max(workers, 1u); ++i) workers_.push_back(std::make_unique<Worker>(tree));
}

namespace {

bool isPackageName(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot != std::string_view::npos && isPackageExtension(name.substr(dot + 1));
}

FileKind folderKind(std::string_view name) { return name.ends_with(".app") ? FileKind::application : FileKind::other; }

}  // namespace

void ScanCollector::setFolder(Worker& w, FileNode* node, const EntryStat& st) {
  set(node->size, st.allocated);  // its own allocation, for now
  set(node->modified, wholeSeconds(st.modified));
  set(node->accessed, wholeSeconds(st.accessed));
  ++w.totals.directories;
  w.totals.buckets.add(get(node->bucket), st.allocated);
}

FileNode* ScanCollector::makeRoot(const std::string& root, const EntryStat& st) {
  Worker& w = *workers_[0];
  const StorageBucket bucket =
      classifier_.classify(foldedPathView(root), root, std::nullopt).value_or(StorageBucket::other);
  FileNode* node = tree_.makeRoot(root, true, isPackageName(root), folderKind(root), bucket);
  setFolder(w, node, st);
  return node;
}

bool ScanCollector::enter(WalkFolder& folder, unsigned) {
  if (cancelled_() || overflowed()) return false;
  progress_.atFolder(folder.path);
  return true;
}

void ScanCollector::unreadable(WalkFolder& folder, unsigned worker) {
  set(static_cast<FileNode*>(folder.data)->unreadable, true);
  ++workers_[worker]->totals.unreadable;
}

void ScanCollector::leave(WalkFolder& folder, unsigned) { progress_.atFolder(folder.path); }

void ScanCollector::listed(WalkFolder& folder, const FolderReader& reader, ChildFolders& children, unsigned worker) {
  Worker& w = *workers_[worker];
  try {
    list(static_cast<FileNode*>(folder.data), reader, children, w);
  } catch (const std::exception&) {  // std::length_error, std::bad_alloc: the walk stops at its next folder
    overflowed_.store(true, std::memory_order_relaxed);
    return;
  }
  progress_.addFiles(folder.path, w.counted);
}

// First the entries that get a node are picked (and the others counted), then their nodes are made
// side by side, in listing order.
void ScanCollector::list(FileNode* folder, const FolderReader& reader, ChildFolders& children, Worker& w) {
  w.picks.clear();
  w.counted.clear();
  const StorageBucket folderBucket = get(folder->bucket);
  std::optional<StorageBucket> inherited;
  if (folderBucket != StorageBucket::other) inherited = folderBucket;
  int64_t smallSize = 0, smallCount = 0, smallLength = 0;
  const auto& entries = reader.entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    const FolderReader::Entry& entry = entries[i];
    if (entry.error != 0) {
      ++w.totals.unreadable;  // could not be examined
      continue;
    }
    const std::string_view name = reader.name(entry);
    const EntryStat& st = entry.stat;
    if (st.type == EntryType::folder) {
      if (!children.enterable(i)) continue;  // one of its own ancestors
      std::string path = children.pathOf(i);
      const std::string_view folded = foldedPathView(path);
      if (!excluded_.empty() && excluded_.contains(folded)) continue;
      const StorageBucket bucket = classifier_.classify(folded, name, inherited).value_or(StorageBucket::other);
      w.picks.push_back({i, bucket, folderKind(name), -1, std::move(path)});
      continue;
    }

    const FileKind kind = kindForFileName(name.data(), name.size());
    const StorageBucket bucket = folderBucket == StorageBucket::other ? bucketForKind(kind) : folderBucket;
    const bool linked = st.type == EntryType::file && st.links >= 2;
    const bool large = st.allocated >= kLargeFileBytes;
    if (linked) {
      const uint64_t key = hardLinkKey(static_cast<ino_t>(st.inode), static_cast<dev_t>(st.device));
      if (large) w.picks.push_back({i, bucket, kind, static_cast<int64_t>(w.linked.size()), {}});
      w.linked.push_back({folder, nullptr, static_cast<uint32_t>(w.picks.size() - (large ? 1 : 0)), key, st.allocated,
                          st.length, kind, bucket});
      w.counted.push_back({name, st.allocated, key, true});
      continue;  // counted once the walk order of its paths is known
    }
    if (large) {
      w.picks.push_back({i, bucket, kind, -1, {}});
    } else {
      smallSize += st.allocated;
      smallCount += 1;
      smallLength += st.length;
    }
    w.counted.push_back({name, st.allocated, 0, false});
    ++w.totals.files;
    w.totals.buckets.add(bucket, st.allocated);
    w.totals.kindBytes.add(kind, st.allocated);
    w.totals.kindCounts.add(kind, 1);
  }
  set(folder->smallFilesSize, smallSize);
  set(folder->smallFilesCount, smallCount);
  set(folder->logicalSize, smallLength);
  if (w.picks.empty()) return;

  tree_.reserveChildren(folder, w.picks.size());
  for (Pick& pick : w.picks) {
    const FolderReader::Entry& entry = entries[pick.index];
    const std::string_view name = reader.name(entry);
    const EntryStat& st = entry.stat;
    if (st.type == EntryType::folder) {
      FileNode* child = tree_.makeChild(w.writer, folder, name, true, isPackageName(name), pick.kind, pick.bucket);
      setFolder(w, child, st);
      children.enter(pick.index, child, std::move(pick.path));
      continue;
    }
    FileNode* child = tree_.makeChild(w.writer, folder, name, false, false, pick.kind, pick.bucket);
    set(child->size, st.allocated);
    set(child->logicalSize, st.length);
    set(child->fileCount, 1);
    set(child->modified, wholeSeconds(st.modified));
    set(child->accessed, wholeSeconds(st.accessed));
    if (pick.linked >= 0) w.linked[static_cast<size_t>(pick.linked)].node = child;
  }
}

ScanTotals ScanCollector::totals() const {
  ScanTotals all;
  for (const auto& w : workers_) all.add(w->totals);
  return all;
}

std::vector<std::vector<LinkedFile>> ScanCollector::takeLinkedFiles() {
  std::vector<std::vector<LinkedFile>> all;
  for (const auto& w : workers_) all.push_back(std::move(w->linked));
  return all;
}

}  // namespace tolvex
