#pragma once
// iCloud Drive: how much of each iCloud folder is downloaded and how much lives only in iCloud, the
// large downloads, and the eviction of chosen downloads (the file stays in iCloud).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engines/CloudProvider.h"
#include "engines/Deleter.h"

namespace tolvex {

// A downloaded file of at least 1,000,000 allocated bytes.
struct CloudItem {
  std::string path;
  std::string name;
  int64_t size = 0;         // allocated bytes on this computer
  bool isUploaded = false;  // iCloud holds the whole file
  bool operator==(const CloudItem&) const = default;
};

// One measured iCloud folder.
struct CloudFolder {
  std::string path;
  std::string title;
  bool isApp = false;            // an application's container, not one of iCloud Drive's own folders
  int64_t localSize = 0;         // allocated bytes of the downloaded regular files
  int64_t cloudOnlySize = 0;     // logical bytes of the files held only in iCloud
  int64_t cloudOnlyCount = 0;    // files held only in iCloud, placeholders included
  std::vector<CloudItem> items;  // the large downloads, largest first

  // Bytes that evicting the uploaded large downloads would give back.
  int64_t evictableSize() const;
};

struct CloudReport {
  std::vector<CloudFolder> folders;  // largest local use first
  bool isAvailable = false;          // false when the home folder's "Library/Mobile Documents" cannot be listed
};

struct EvictionReport {
  int64_t freed = 0;
  std::vector<std::string> evicted;       // in the order given
  std::vector<DeletionFailure> failures;  // one per item not evicted
};

// The "Can be freed" figure: evictable bytes over all folders.
int64_t totalEvictableSize(const std::vector<CloudFolder>& folders);

// The reason given for an item iCloud does not yet hold whole.
inline constexpr const char* kNotUploadedReason = "Not uploaded to iCloud yet.";

// Measures the iCloud folders under `home`'s "Library/Mobile Documents": iCloud Drive's own folders,
// its loose files, and every application's container. Unreadable parts are skipped.
CloudReport inspectICloud(const std::string& home, const CloudProvider& provider);
// The same with this system's provider, looking applications up below `home`.
CloudReport inspectICloud(const std::string& home);

// Evicts each item in order; an item iCloud does not hold whole is never touched. Never stops at a
// failure: every item ends evicted or as a failure.
[[nodiscard]] EvictionReport evictICloudItems(const std::vector<CloudItem>& items, const CloudProvider& provider);
// The same with this system's provider.
[[nodiscard]] EvictionReport evictICloudItems(const std::vector<CloudItem>& items);

// The title of an application's iCloud container ("iCloud~com~example~notes" gives the installed
// application's name, else "Notes").
std::string cloudFolderTitle(const std::string& containerName, const CloudProvider& provider);

// Adds one enumerated file to a folder's figures.
void accountCloudFile(const std::string& path, CloudFolder& folder, const CloudProvider& provider);

}  // namespace tolvex

template <>
struct std::hash<tolvex::CloudItem> {
  size_t operator()(const tolvex::CloudItem& item) const noexcept { return std::hash<std::string>()(item.path); }
};
