#pragma once
// Developer artefacts: regenerable folders inside the user's projects (dependencies, virtual
// environments, build outputs) and the developer-group junk the junk rules found.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engines/JunkFinder.h"
#include "engines/JunkRule.h"
#include "model/ScanResult.h"
#include "platform/FileDates.h"  // kDistantPast

namespace tolvex {

// One developer artefact. Identified by its path, which is unique in a list.
struct DevItem {
  std::string path;   // full path of the folder or junk item (not folded)
  std::string title;  // "myapp / node_modules", or "Xcode · DerivedData · Build"
  std::string detail;
  int64_t size = 0;        // allocated bytes
  double lastTouched = 0;  // seconds since 1970: the project folder's modification, or the item's
  Removal removal = Removal::permanent;

  const std::string& id() const { return path; }
  bool operator==(const DevItem&) const = default;
};

// A folder is listed only when it holds more than this many bytes.
inline constexpr int64_t kDeveloperFolderMinimum = 20'000'000;

// The detail of a folder name of the developer folder table ("node_modules", ".venv", …), compared
// exactly; none for any other name.
std::optional<std::string_view> developerFolderDetail(std::string_view name);

// Scan items first, in the order a depth-first walk meets them, then the items of every
// developer-group junk finding. A matching folder is not searched further, and neither are
// packages; folders inside `home`/Library are left to the junk rules. Deleted folders, and
// everything under them, are skipped. A path is listed once (the data volume's prefix folded away):
// a junk item that is also a scanned folder keeps the scan's row. Not sorted.
std::vector<DevItem> findDeveloperArtifacts(const ScanResult* scan, const std::vector<JunkFinding>& junk,
                                            const std::string& home);

}  // namespace tolvex
