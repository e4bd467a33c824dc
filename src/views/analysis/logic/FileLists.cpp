#include "views/analysis/logic/FileLists.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>

#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

namespace {

// Files come in walk order, so neighbours mostly share their folder: the folder's answer is kept
// for the next file instead of climbing the same chain again.
class GoneTest {
 public:
  bool operator()(const FileNode& node) {
    if (get(node.deleted)) return true;
    if (node.parent != lastParent_) {
      lastParent_ = node.parent;
      lastGone_ = node.parent && node.parent->isGone();
    }
    return lastGone_;
  }

 private:
  const FileNode* lastParent_ = nullptr;
  bool lastGone_ = false;
};

}  // namespace

FileList filteredFiles(const std::vector<FileNode*>& files, const FileFilter& filter, double now,
                       std::optional<FileKind> kind) {
  FileList list;
  GoneTest gone;
  for (FileNode* node : files) {
    // The kind is the cheapest test, so it runs first.
    if (kind && node->kind != *kind) continue;
    if (gone(*node) || !filter.matches(*node, now)) continue;
    list.nodes.push_back(node);
    list.totalSize += get(node->size);
  }
  return list;
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
             "TypesView", "Only files over 512 KB are listed. The remaining %1 smaller files still count toward the totals.")
      .arg(QLocale().toString(static_cast<qlonglong>(unlisted)));
}

QString resultLineText(int64_t count, int64_t bytes) {
  return QCoreApplication::translate("FilterBar", "%1 files · %2")
      .arg(QLocale().toString(static_cast<qlonglong>(count)), bytesText(bytes));
}

QString kindTitle(FileKind kind) { return QCoreApplication::translate("FileKind", title(kind)); }

}  // namespace tolvex
