#pragma once
// The application inventory: the applications in the application folders and, for each, the data it
// keeps in ~/Library. Stateless operations; every one may run on any thread, and none fails: what
// cannot be read simply contributes nothing.
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Bundle.h"
#include "system/InstalledApp.h"
#include "system/InventoryContext.h"

namespace tolvex {

// One of the Library folders where applications keep data, relative to the home folder.
struct LibraryLocation {
  std::string path;   // "Library/Caches"
  std::string label;  // "Caches"
};

// The labels of the `AppInventory::libraryLocations` rows whose path is in `relativePaths`.
std::set<std::string> libraryLabelsForPaths(const std::set<std::string>& relativePaths);

namespace AppInventory {

// One name listed in a Library location.
struct LibraryEntry {
  std::string path;   // absolute path of the entry
  std::string name;   // its own file name, such as "com.example.editor.plist"
  std::string label;  // the label of the location it was found in
  bool operator==(const LibraryEntry&) const = default;
};

// The twelve Library locations, in the order they are listed. Built once; read-only.
const std::vector<LibraryLocation>& libraryLocations();

// The labels of Caches and Logs: data there is regenerable and its dates say nothing about use.
const std::set<std::string>& regenerableLocations();

// The application bundles: every ".app" item directly in a root, and in each folder directly in a
// root (except one named "Utilities", a root of its own), roots in order, each path once. Nothing
// deeper and nothing inside a bundle. Roots that cannot be listed are skipped.
std::vector<std::string> appBundlePaths(const std::vector<std::string>& applicationRoots);

// Every entry of every Library location of `context.home`, in table order. Without full disk access
// the two container locations are left out. Hidden names are included.
std::vector<LibraryEntry> libraryEntries(const InventoryContext& context);

// Whether a Library entry named `entryName` belongs to the application with `bundleID` whose bundle
// file is named `appName` (without its extension). Letter case is ignored (Unicode case folding). It
// does when the name is the identifier, the identifier with ".plist", ".savedstate",
// ".binarycookies", ".helper" or ".shipit", the identifier + "." … ".plist", or anything + "." + the
// identifier (group containers); else, for an application name of four characters or more, when the
// name is the application name. An empty or blank identifier matches nothing.
bool entryMatches(std::string_view entryName, std::string_view bundleID, std::string_view appName);

// `entryMatches` for one application against many entries: the identifier and the name are folded once.
class EntryMatcher {
 public:
  EntryMatcher(std::string_view bundleID, std::string_view appName);
  bool matches(std::string_view entryName) const;

 private:
  bool valid_ = false;
  std::string id_;       // folded identifier
  std::string appName_;  // folded application name; empty when too short to be matched
};

// The bundle's file name without its last extension ("My.Tool.app" -> "My.Tool").
std::string applicationName(const std::string& bundlePath);

// CFBundleDisplayName, else CFBundleName, else the bundle's file name without its extension.
std::string displayName(const std::optional<Bundle>& bundle, const std::string& bundlePath);

// The entries that belong to the application, each measured with `context.measure`, largest first
// (entries of equal size keep their list order).
std::vector<RelatedItem> relatedItems(const std::vector<LibraryEntry>& entries, const std::string& bundleID,
                                      const std::string& appName, const InventoryContext& context);

// One application read against the Library entries. A bundle that cannot be opened gives a record
// with its file name as name and no identifier, version or related items. Apple's applications and
// applications without an identifier get no related items.
InstalledApp readApp(const std::string& bundlePath, const std::vector<LibraryEntry>& entries,
                     const InventoryContext& context);

// The newest of: the access date of the bundle's executable, and the modification dates of the
// related items outside Caches and Logs. None when there is no such date.
std::optional<double> lastActivityDate(const std::optional<Bundle>& bundle, const std::vector<RelatedItem>& related);

// The whole inventory (the bundles, and the desktop's applications when `context.desktop` is given),
// largest total size first. Blocks while it lists and measures; the
// applications are read in parallel. Call it off the UI thread.
std::vector<InstalledApp> installedApps(const InventoryContext& context);

}  // namespace AppInventory
}  // namespace tolvex
