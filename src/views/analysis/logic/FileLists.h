#pragma once
// The lists of scanned files that the Large & Old and By Type screens show, and what those screens
// derive from them: the option tables of the filter bar, the order of the kind tiles and the note on
// the small files a list cannot show. Pure functions of the scan, the filter and the time given.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/FileFilter.h"
#include "model/FileKind.h"
#include "model/FileNode.h"
#include "model/ScanResult.h"

namespace tolvex {

// A filtered list in scan order, with its total size.
struct FileList {
  std::vector<FileNode*> nodes;
  int64_t totalSize = 0;
};

// Whether file nodes are gone: deleted themselves, or inside a deleted folder. Files come in walk
// order, so neighbours mostly share their folder: the folder's answer is kept for the next file
// instead of climbing the same chain again. Use one per pass over a list.
class GoneFiles {
 public:
  bool operator()(const FileNode& node);

 private:
  const FileNode* lastParent_ = nullptr;
  bool lastGone_ = false;
};

// The files of `files` (scan order kept) that are still on disk, are of `kind` when one is given,
// and pass `filter` at `now` (seconds since 1970). A file inside a deleted folder counts as deleted.
// A list longer than `partSize` is filtered in a few parts at once, joined in order.
inline constexpr size_t kFilterPartSize = 250000;
FileList filteredFiles(const std::vector<FileNode*>& files, const FileFilter& filter, double now,
                       std::optional<FileKind> kind = std::nullopt, size_t partSize = kFilterPartSize);

// One entry of the size picker: the minimum size it sets.
struct SizeOption {
  const char* title;  // "Any size" is translated; the others are fixed texts
  int64_t bytes;
};
// One entry of the age picker: the number of days it sets (none: any date).
struct AgeOption {
  const char* title;
  std::optional<int64_t> days;
};
const std::vector<SizeOption>& sizeOptions();
// The size picker's text for a minimum size it doesn't offer ("> 500 MB"), as its own are written.
QString sizePickerText(int64_t minSize);
const std::vector<AgeOption>& ageOptions();

// The nine kinds ordered by their total in the scan, largest first; equal totals (a missing total
// is 0) keep the declared order.
std::vector<FileKind> kindTileOrder(const ScanResult& scan);
int64_t kindTotal(const ScanResult& scan, FileKind kind);
int64_t kindCount(const ScanResult& scan, FileKind kind);

// How many files of `kind` the scan counted but the list of `listed` files does not show: only
// while the filter is the empty one and the scan counted the kind, and only when some are missing.
std::optional<int64_t> unlistedSmallFiles(const ScanResult& scan, FileKind kind, const FileFilter& filter,
                                          size_t listed);

// Texts.
QString smallFilesNoteText(int64_t unlisted);          // "Only files over 512 KB are listed. …"
QString resultLineText(int64_t count, int64_t bytes);  // "N files · size"
QString kindTitle(FileKind kind);                      // the translated title

}  // namespace tolvex
