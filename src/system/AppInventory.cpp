#include "system/AppInventory.h"

#include <algorithm>
#include <sys/stat.h>
#include <unordered_set>

#include "platform/FileDates.h"
#include "platform/FolderListing.h"
#include "platform/ParallelFor.h"
#include "platform/Paths.h"
#include "platform/UnicodeText.h"
#include "system/DesktopApps.h"

namespace tolvex {

namespace {

// Bundles are read in parallel, but each one mostly waits on the disk: a few threads are enough.
constexpr unsigned kReaderThreads = 8;

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool isAppBundleName(std::string_view path) { return pathExtension(path) == "app"; }

}  // namespace

std::set<std::string> libraryLabelsForPaths(const std::set<std::string>& relativePaths) {
  std::set<std::string> labels;
  for (const LibraryLocation& location : AppInventory::libraryLocations())
    if (relativePaths.contains(location.path)) labels.insert(location.label);
  return labels;
}

namespace AppInventory {

const std::vector<LibraryLocation>& libraryLocations() {
  static const std::vector<LibraryLocation> locations = {
      {"Library/Application Support", "Application Support"},
      {"Library/Caches", "Caches"},
      {"Library/Containers", "Container"},
      {"Library/Group Containers", "Group Container"},
      {"Library/Preferences", "Preferences"},
      {"Library/Saved Application State", "Window State"},
      {"Library/Logs", "Logs"},
      {"Library/HTTPStorages", "Web Storage"},
      {"Library/WebKit", "WebKit"},
      {"Library/Cookies", "Cookies"},
      {"Library/LaunchAgents", "Launch Agent"},
      {"Library/Application Scripts", "Scripts"},
  };
  return locations;
}

const std::set<std::string>& regenerableLocations() {
  static const std::set<std::string> labels = libraryLabelsForPaths({"Library/Caches", "Library/Logs"});
  return labels;
}

std::vector<std::string> appBundlePaths(const std::vector<std::string>& applicationRoots) {
  std::unordered_set<std::string> seen;
  std::vector<std::string> bundles;
  auto take = [&](const std::string& path) {
    if (seen.insert(path).second) bundles.push_back(path);
  };
  for (const std::string& root : applicationRoots) {
    auto names = folderNames(root);
    if (!names) continue;
    for (const std::string& name : *names) {
      const std::string path = appendPath(root, name);
      if (isAppBundleName(path)) {
        take(path);
        continue;
      }
      // "Utilities" is a root of its own; any other folder is looked into one level deep.
      if (!isFolder(path) || name == "Utilities") continue;
      for (const std::string& inner : folderNames(path).value_or(std::vector<std::string>{}))
        if (isAppBundleName(inner)) take(appendPath(path, inner));
    }
  }
  return bundles;
}

std::vector<LibraryEntry> libraryEntries(const InventoryContext& context) {
  const bool fullAccess = context.hasFullDiskAccess ? context.hasFullDiskAccess() : true;
  std::vector<LibraryEntry> entries;
  for (const LibraryLocation& location : libraryLocations()) {
    if (!fullAccess && location.path.find("Containers") != std::string::npos) continue;
    const std::string folder = appendPath(context.home, location.path);
    for (const std::string& name : folderNames(folder).value_or(std::vector<std::string>{}))
      entries.push_back({appendPath(folder, name), name, location.label});
  }
  return entries;
}

EntryMatcher::EntryMatcher(std::string_view bundleID, std::string_view appName)
    : valid_(!isBlankIdentifier(bundleID)), id_(foldCase(bundleID)) {
  if (characterCount(appName) >= 4) appName_ = foldCase(appName);
}

bool EntryMatcher::matches(std::string_view entryName) const {
  if (!valid_) return false;
  const std::string name = foldCase(entryName);
  if (name == id_) return true;
  if (name.starts_with(id_)) {
    const std::string_view rest = std::string_view(name).substr(id_.size());
    for (std::string_view suffix : {".plist", ".savedstate", ".binarycookies", ".helper", ".shipit"})
      if (rest == suffix) return true;
    if (rest.starts_with(".") && rest.ends_with(".plist")) return true;
  }
  // Group containers carry a team or "group" prefix before the identifier.
  const size_t dot = name.find('.');
  if (dot != std::string::npos && std::string_view(name).substr(dot + 1) == id_) return true;
  return !appName_.empty() && name == appName_;
}

bool entryMatches(std::string_view entryName, std::string_view bundleID, std::string_view appName) {
  return EntryMatcher(bundleID, appName).matches(entryName);
}

std::string applicationName(const std::string& bundlePath) {
  std::string name = lastPathComponent(bundlePath);
  const std::string extension = pathExtension(name);
  if (!extension.empty()) name.resize(name.size() - extension.size() - 1);
  return name;
}

std::string displayName(const std::optional<Bundle>& bundle, const std::string& bundlePath) {
  if (bundle) {
    if (auto name = bundle->infoString("CFBundleDisplayName")) return *name;
    if (auto name = bundle->infoString("CFBundleName")) return *name;
  }
  return applicationName(bundlePath);
}

std::vector<RelatedItem> relatedItems(const std::vector<LibraryEntry>& entries, const std::string& bundleID,
                                      const std::string& appName, const InventoryContext& context) {
  const EntryMatcher matcher(bundleID, appName);
  std::vector<RelatedItem> items;
  for (const LibraryEntry& entry : entries)
    if (matcher.matches(entry.name))
      items.push_back({entry.path, entry.label, context.measure ? context.measure(entry.path) : 0});
  std::stable_sort(items.begin(), items.end(),
                   [](const RelatedItem& a, const RelatedItem& b) { return a.size > b.size; });
  return items;
}

InstalledApp readApp(const std::string& bundlePath, const std::vector<LibraryEntry>& entries,
                     const InventoryContext& context) {
  const std::optional<Bundle> bundle = openBundle(bundlePath);
  InstalledApp app;
  app.path = bundlePath;
  app.name = displayName(bundle, bundlePath);
  if (bundle) {
    app.bundleID = bundle->identifier;
    app.version = bundle->infoString("CFBundleShortVersionString");
  }
  app.appSize = context.measure ? context.measure(bundlePath) : 0;
  app.isApple = app.bundleID && app.bundleID->starts_with("com.apple.");
  if (app.bundleID && !app.isApple)
    app.related = relatedItems(entries, *app.bundleID, applicationName(bundlePath), context);
  app.isAppStore = exists(appendPath(bundlePath, "Contents/_MASReceipt"));
  if (context.spotlightLastUsed) app.lastUsed = context.spotlightLastUsed(bundlePath);
  if (!app.lastUsed) app.lastUsed = lastActivityDate(bundle, app.related);
  return app;
}

std::optional<double> lastActivityDate(const std::optional<Bundle>& bundle, const std::vector<RelatedItem>& related) {
  std::optional<double> newest;
  auto consider = [&](std::optional<double> date) {
    if (date && (!newest || *date > *newest)) newest = date;
  };
  if (bundle)
    if (auto executable = bundle->executablePath()) consider(contentAccessDate(*executable));
  for (const RelatedItem& item : related)
    if (!regenerableLocations().contains(item.label)) consider(contentModificationDate(item.path));
  return newest;
}

std::vector<InstalledApp> installedApps(const InventoryContext& context) {
  const std::vector<std::string> bundles = appBundlePaths(context.applicationRoots);
  const std::vector<LibraryEntry> entries = libraryEntries(context);  // shared, read-only while apps are read
  std::vector<InstalledApp> apps(bundles.size());
  parallelFor(bundles.size(), kReaderThreads,
              [&](size_t index) { apps[index] = readApp(bundles[index], entries, context); });
  if (context.desktop)
    for (InstalledApp& app : DesktopInventory::installedApps(*context.desktop, context.measure)) apps.push_back(std::move(app));
  std::stable_sort(apps.begin(), apps.end(),
                   [](const InstalledApp& a, const InstalledApp& b) { return a.totalSize() > b.totalSize(); });
  return apps;
}

}  // namespace AppInventory
}  // namespace tolvex
