#pragma once
// What the iCloud Drive screen derives from the iCloud report and its own selection and open
// folders, recomputed at every drawing: the body to show, the sums of the tiles, the selected files,
// each folder's check mark and caption, and the rows of the folder list.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "engines/CloudDrive.h"
#include "views/cleanup/logic/GroupCheck.h"

namespace tolvex {

enum class CloudBody { reading, notInUse, summary };
CloudBody cloudBody(const std::optional<CloudReport>& report);

struct CloudTotals {
  int64_t onThisMac = 0;     // local sizes of every folder, those without items included
  int64_t canBeFreed = 0;    // the uploaded large downloads
  int64_t onlyInICloud = 0;  // what lies only in iCloud
};
CloudTotals cloudTotals(const CloudReport& report);

// The sum of the folders' local sizes; none without a report. A change of it prunes the selection.
std::optional<int64_t> cloudDownloadedTotal(const std::optional<CloudReport>& report);

// The selected items, folders in report order and items in folder order, collapsed folders
// included; a selected path no item carries counts for nothing.
std::vector<CloudItem> cloudSelectedFiles(const std::optional<CloudReport>& report, const StringSet& selected);
int64_t cloudSelectedSize(const std::vector<CloudItem>& files);

// The selection kept to the paths of the report's items (empty without a report).
StringSet prunedCloudSelection(const std::optional<CloudReport>& report, const StringSet& selected);

// The indexes of the folders that have at least one item, in report order.
std::vector<size_t> cloudShownFolders(const CloudReport& report);

// The paths of a folder's items that iCloud holds whole; only these can be chosen.
StringSet cloudUploadedPaths(const CloudFolder& folder);

// A folder's check box: on when every uploaded file is selected, drawn faded when only some are,
// disabled when it has no uploaded file.
struct CloudFolderCheck {
  bool on = false;
  bool faded = false;
  bool enabled = false;
};
CloudFolderCheck cloudFolderCheck(const CloudFolder& folder, const StringSet& selected);
// The selection after the folder's box is turned on or off: its uploaded files added or removed,
// files still uploading never touched.
StringSet cloudFolderToggled(const CloudFolder& folder, StringSet selected, bool on);

// "%lld downloaded files", or with " · %@ more only in iCloud" when something lies only in iCloud.
QString cloudFolderCaption(const CloudFolder& folder);
// "… and %lld more".
QString cloudMoreText(int64_t count);

// An open folder lists at most this many of its items.
inline constexpr size_t kCloudShownItems = 300;

// One line of the folder list.
struct CloudRow {
  enum class Kind { folder, item, more };
  Kind kind = Kind::folder;
  size_t folder = 0;  // index in the report's folders
  size_t item = 0;    // index in the folder's items (item rows)
  int64_t more = 0;   // items not listed (the "more" row)
  bool operator==(const CloudRow&) const = default;
};
std::vector<CloudRow> cloudRows(const CloudReport& report, const StringSet& expanded);

}  // namespace tolvex
