#pragma once
// The lists and texts the Explorer and the file tables derive from the scan tree, without widgets.
#include <QString>
#include <QTime>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/DeletionPlan.h"
#include "model/FileNode.h"
#include "model/SafetyVerdict.h"
#include "model/ScanResult.h"

namespace tolvex {

// The children of `folder` still on disk, in stored order (none when the folder itself is gone).
std::vector<FileNode*> shownChildren(const FileNode& folder);

// The children still on disk, largest first (equal sizes keep stored order), at most `limit`;
// with `positiveOnly`, children of size 0 or less are left out.
std::vector<FileNode*> largestChildren(const FileNode& folder, size_t limit, bool positiveOnly);

// The heading of a folder: its name, or the scan target's title at the scan root.
QString folderTitle(const FileNode& folder, const ScanTarget& target);

// The label of crumb `index` of a folder chain: the display path of the root (under `home`), then
// folder names.
QString crumbLabel(const FileNode& folder, size_t index, std::string_view home);

// The folders from the scan root down to `node` (root first, `node` last).
std::vector<FileNode*> ancestorChain(FileNode* node);

// One planned item per node: full path, its last component, size, to the Trash, with the verdict
// for the path in `safety`.
PlanItem planItemFor(const std::string& path, int64_t size, const SafetyContext& safety);
std::vector<PlanItem> deletionItems(const std::vector<FileNode*>& nodes, const SafetyContext& safety);

// The nodes of `all`, in their order, whose serial is in `serials` (sorted ascending).
std::vector<FileNode*> nodesWithSerials(const std::vector<FileNode*>& all, const std::vector<uint64_t>& serials);

// Exclusions are stored as one folded path per line: a path holding a line break, or bytes that are
// not UTF-8 text, cannot be stored faithfully and would exclude some other folder.
bool canStoreExclusion(const std::string& foldedPath);
// The stored list with `foldedPath` appended (no check for a path already there).
QString exclusionsWith(const std::vector<std::string>& current, const std::string& foldedPath);

// size / total in floating point; 0 when the result is not finite or total is below 1.
double shareOf(int64_t size, int64_t total);

// Cell texts.
QString filesText(const FileNode& node);         // grouped file count of a folder, "—" for a file
QString shortDateText(double secondsSince1970);  // abbreviated date, "—" up to one day after 1970
// Abbreviated date and short time ("Jan 15, 2024 at 10:15 AM"), "—" up to one day after 1970: the one
// form of a moment wherever one is listed (history, snapshots, the baseline menu, the preview).
QString shortDateTimeText(double secondsSince1970);
// The locale's short time, never with seconds (some locales' short form, C's among them, has them).
QString shortTimeText(const QTime& time);
QString kindText(const FileNode& node);          // upper-case extension, else the kind's title
QString smallFilesText(const FileNode& folder);  // "Also: N small files directly in this folder · size"
QString fileCountText(int64_t count);            // "N files"
QString selectedText(int count);                 // "N selected"
QString bytesText(int64_t bytes);                // the byte text of max(bytes, 0)

// Column widths for `available` pixels: each column gets its ideal width while they all fit; when
// they do not, the column `stretch` (the one that elides best, the name) gives up room first, down to
// its minimum, and what is still missing is taken from the other columns in proportion to what they
// have above their minimums. The column `stretch` also takes whatever room is left over.
std::vector<int> fitColumns(int available, const std::vector<int>& minimum, const std::vector<int>& ideal,
                            size_t stretch);

}  // namespace tolvex
