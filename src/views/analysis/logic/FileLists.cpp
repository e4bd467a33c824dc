#include "views/analysis/logic/FileLists.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>

#include "model/Formatting.h"
#include "platform/ParallelFor.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

bool GoneFiles::operator()(const FileNode& node) {
  if (get(node.deleted)) return true;
  if (node.parent != lastParent_) {
    lastParent_ = node.parent;
    lastGone_ = node.parent && node.parent->isGone();
  }
  return lastGone_;
}

namespace {

// Full paths of files met in walk order: the folder's path is made once for all its files.
class FolderPaths {
 public:
  // Valid until the next call.
  std::string_view fullPath(const FileNode& node) {
    if (!node.parent) return node.name;
    if (node.parent != folder_) {
      folder_ = node.parent;
      path_ = folder_->path();
      if (path_.empty() || path_.back() != '/') path_ += '/';
      folderLength_ = path_.size();
    }
    path_.resize(folderLength_);
    path_ += node.name;
    return path_;
  }

 private:
  const FileNode* folder_ = nullptr;
  std::string path_;  // the folder's path and "/", then the file's name
  size_t folderLength_ = 0;
};

}  // namespace

namespace {

using FileIterator = std::vector<FileNode*>::const_iterator;

FileList filterRange(FileIterator begin, FileIterator end, const FileFilter& filter, double now,
                     std::optional<FileKind> kind) {
  FileList list;
  // Room for every file: pages a short list never touches cost nothing, and a long one grows
  // without copies.
  list.nodes.reserve(static_cast<size_t>(end - begin));
  GoneFiles gone;
  FolderPaths paths;
  for (auto it = begin; it != end; ++it) {
    FileNode* node = *it;
    // The kind is the cheapest test, so it runs first.
    if (kind && node->kind != *kind) continue;
    if (gone(*node) || !filter.matches(*node, now, [&] { return paths.fullPath(*node); })) continue;
    list.nodes.push_back(node);
    list.totalSize += get(node->size);
  }
  return list;
}

constexpr unsigned kMostParts = 4;

}  // namespace

FileList filteredFiles(const std::vector<FileNode*>& files, const FileFilter& filter, double now,
                       std::optional<FileKind> kind, size_t partSize) {
  const size_t parts =
      std::min<size_t>({files.size() / std::max<size_t>(partSize, 1), kMostParts, size_t{usableProcessors()}});
  if (parts <= 1) return filterRange(files.begin(), files.end(), filter, now, kind);
  std::vector<FileList> lists(parts);
  auto bounds = [&](size_t part) { return files.begin() + static_cast<std::ptrdiff_t>(files.size() * part / parts); };
  parallelFor(parts, kMostParts,
              [&](size_t part) { lists[part] = filterRange(bounds(part), bounds(part + 1), filter, now, kind); });

  size_t total = 0;
  for (const FileList& list : lists) total += list.nodes.size();
  FileList joined = std::move(lists[0]);
  joined.nodes.reserve(total);
  for (size_t part = 1; part < parts; ++part) {
    joined.nodes.insert(joined.nodes.end(), lists[part].nodes.begin(), lists[part].nodes.end());
    joined.totalSize += lists[part].totalSize;
  }
  return joined;
}

const std::vector<SizeOption>& sizeOptions() {
  static const std::vector<SizeOption> options = {
      {QT_TRANSLATE_NOOP("FilterBar", "Any size"), 0},
      {"> 1 MB", 1'048'576},
      {"> 10 MB", 10'485'760},
      {"> 100 MB", 104'857'600},
      {"> 500 MB", 524'288'000},
      {"> 1 GB", 1'073'741'824},
      {"> 5 GB", 5'368'709'120},
  };
  return options;
}

QString sizePickerText(int64_t minSize) {
  return QStringLiteral("> ") + QString::fromStdString(formatBytes(std::max<int64_t>(minSize, 0)));
}

const std::vector<AgeOption>& ageOptions() {
  static const std::vector<AgeOption> options = {
      {QT_TRANSLATE_NOOP("FilterBar", "Any date"), std::nullopt},
      {QT_TRANSLATE_NOOP("FilterBar", "Unchanged > 1 month"), 30},
      {QT_TRANSLATE_NOOP("FilterBar", "> 3 months"), 90},
      {QT_TRANSLATE_NOOP("FilterBar", "> 6 months"), 180},
      {QT_TRANSLATE_NOOP("FilterBar", "> 1 year"), 365},
      {QT_TRANSLATE_NOOP("FilterBar", "> 2 years"), 730},
  };
  return options;
}

int64_t kindTotal(const ScanResult& scan, FileKind kind) {
  const auto it = scan.kindTotals.find(kind);
  return it == scan.kindTotals.end() ? 0 : it->second;
}

int64_t kindCount(const ScanResult& scan, FileKind kind) {
  const auto it = scan.kindCounts.find(kind);
  return it == scan.kindCounts.end() ? 0 : it->second;
}

std::vector<FileKind> kindTileOrder(const ScanResult& scan) {
  std::vector<FileKind> kinds(kAllFileKinds.begin(), kAllFileKinds.end());
  std::stable_sort(kinds.begin(), kinds.end(),
                   [&](FileKind a, FileKind b) { return kindTotal(scan, a) > kindTotal(scan, b); });
  return kinds;
}

std::optional<int64_t> unlistedSmallFiles(const ScanResult& scan, FileKind kind, const FileFilter& filter,
                                          size_t listed) {
  const auto it = scan.kindCounts.find(kind);
  if (it == scan.kindCounts.end() || filter != FileFilter{}) return std::nullopt;
  const int64_t counted = it->second;
  if (static_cast<int64_t>(listed) >= counted) return std::nullopt;
  return counted - static_cast<int64_t>(listed);
}

QString smallFilesNoteText(int64_t unlisted) {
  return QCoreApplication::translate(
             "TypesView",
             "Only files over 512 KB are listed. The remaining %1 smaller files still count toward the totals.")
      .arg(QLocale().toString(static_cast<qlonglong>(unlisted)));
}

QString resultLineText(int64_t count, int64_t bytes) {
  return QCoreApplication::translate("FilterBar", "%1 files · %2")
      .arg(QLocale().toString(static_cast<qlonglong>(count)), bytesText(bytes));
}

QString kindTitle(FileKind kind) { return QCoreApplication::translate("FileKind", title(kind)); }

}  // namespace tolvex
