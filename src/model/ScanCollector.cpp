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

ScanCollector::ScanCollector(unsigned workers, const PathClassifier& classifier,
                             const std::unordered_set<std::string_view>& excluded, ScanProgress& progress,
                             std::function<bool()> cancelled)
    : classifier_(classifier),
      excluded_(excluded),
      progress_(progress),
      cancelled_(std::move(cancelled)),
      workers_(workers == 0 ? 1 : workers) {}

FolderRecord* ScanCollector::folderRecord(Worker& w, std::string_view name, std::string_view foldedPath,
                                          const EntryStat& st, const FolderRecord* parent) {
  std::optional<StorageBucket> inherited;
  if (parent && parent->bucket != StorageBucket::other) inherited = parent->bucket;
  FolderRecord* record = w.arena.make<FolderRecord>();
  record->name = w.arena.copy(name);
  record->bucket = classifier_.classify(foldedPath, name, inherited).value_or(StorageBucket::other);
  const size_t dot = name.rfind('.');
  record->isPackage = dot != std::string_view::npos && isPackageExtension(name.substr(dot + 1));
  record->kind = name.ends_with(".app") ? FileKind::application : FileKind::other;
  record->own = st.allocated;
  record->modified = wholeSeconds(st.modified);
  record->accessed = wholeSeconds(st.accessed);
  ++w.totals.directories;
  w.totals.buckets.add(record->bucket, record->own);
  return record;
}

FolderRecord* ScanCollector::makeRoot(const std::string& root, const EntryStat& st) {
  return folderRecord(workers_[0], root, foldedPathView(root), st, nullptr);
}

bool ScanCollector::enter(WalkFolder& folder, unsigned) {
  if (cancelled_()) return false;
  progress_.atFolder(folder.path);
  return true;
}

void ScanCollector::unreadable(WalkFolder& folder, unsigned worker) {
  static_cast<FolderRecord*>(folder.data)->unreadable = true;
  ++workers_[worker].totals.unreadable;
}

void ScanCollector::leave(WalkFolder& folder, unsigned) { progress_.atFolder(folder.path); }

void ScanCollector::listed(WalkFolder& folder, const FolderReader& reader, ChildFolders& children, unsigned worker) {
  Worker& w = workers_[worker];
  FolderRecord& record = *static_cast<FolderRecord*>(folder.data);
  w.items.clear();
  w.counted.clear();
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
      FolderRecord* child = folderRecord(w, name, folded, st, &record);
      w.items.push_back({child, nullptr});
      children.enter(i, child, std::move(path));
      continue;
    }

    const FileKind kind = kindForFileName(name.data(), name.size());
    const StorageBucket bucket = record.bucket == StorageBucket::other ? bucketForKind(kind) : record.bucket;
    const bool linked = st.type == EntryType::file && st.links >= 2;
    if (linked || st.allocated >= kLargeFileBytes) {
      FileRecord* file = w.arena.make<FileRecord>();
      file->name = w.arena.copy(name);
      file->size = st.allocated;
      file->length = st.length;
      file->modified = wholeSeconds(st.modified);
      file->accessed = wholeSeconds(st.accessed);
      file->kind = kind;
      file->bucket = bucket;
      file->linked = linked;
      file->linkKey = linked ? hardLinkKey(static_cast<ino_t>(st.inode), static_cast<dev_t>(st.device)) : 0;
      w.items.push_back({nullptr, file});
      w.counted.push_back({name, st.allocated, file->linkKey, linked});
      if (linked) continue;  // counted once the walk order of its paths is known
    } else {
      record.smallSize += st.allocated;
      record.smallCount += 1;
      record.length += st.length;
      w.counted.push_back({name, st.allocated, 0, false});
    }
    ++w.totals.files;
    w.totals.buckets.add(bucket, st.allocated);
    w.totals.kindBytes.add(kind, st.allocated);
    w.totals.kindCounts.add(kind, 1);
  }
  record.items = w.arena.copy(w.items);
  record.itemCount = static_cast<uint32_t>(w.items.size());
  progress_.addFiles(folder.path, w.counted);
}

ScanTotals ScanCollector::totals() const {
  ScanTotals all;
  for (const Worker& w : workers_) all.add(w.totals);
  return all;
}

}  // namespace tolvex
