// The snapshot and the comparison of the removed-application watcher: plain functions of the folders,
// run on the watcher's worker thread.
#include <set>

#include "platform/Bundle.h"
#include "system/AppInventory.h"
#include "system/RemovedAppWatcher.h"

namespace tolvex {

RemovedAppWatcher::KnownApps RemovedAppWatcher::knownApps(const InventoryContext& context) {
  KnownApps known;
  for (const std::string& path : AppInventory::appBundlePaths(context.applicationRoots)) {
    const std::optional<Bundle> bundle = openBundle(path);
    if (!bundle || !bundle->identifier) continue;  // a blank identifier is none
    const std::string& identifier = *bundle->identifier;
    if (identifier.starts_with("com.apple.") || identifier == context.ownBundleIdentifier) continue;
    known.emplace(path, Known{AppInventory::displayName(bundle, path), identifier});
  }
  return known;
}

std::vector<std::pair<std::string, RemovedAppWatcher::Known>> RemovedAppWatcher::vanishedApps(
    const KnownApps& previous, const KnownApps& current, const std::function<bool(const std::string&)>& isLocatable) {
  std::set<std::string> present;
  for (const auto& [path, app] : current) present.insert(app.bundleID);
  std::vector<std::pair<std::string, Known>> vanished;
  for (const auto& [path, app] : previous) {
    if (current.contains(path) || present.contains(app.bundleID)) continue;
    if (isLocatable && isLocatable(app.bundleID)) continue;
    vanished.emplace_back(path, app);
  }
  return vanished;
}

RemovedAppWatcher::Comparison RemovedAppWatcher::compare(const KnownApps& previous, const InventoryContext& context,
                                                         const std::function<bool()>& abandoned) {
  Comparison result;
  result.current = knownApps(context);
  const ApplicationLookup locate = context.applicationLookup ? context.applicationLookup() : ApplicationLookup();
  auto locatable = [&](const std::string& bundleID) { return locate && locate(bundleID).has_value(); };
  for (const auto& [path, app] : vanishedApps(previous, result.current, locatable)) {
    if (abandoned && abandoned()) break;
    // The Library is listed afresh for each removal: it may have changed since the last one.
    const auto entries = AppInventory::libraryEntries(context);
    auto items = AppInventory::relatedItems(entries, app.bundleID, AppInventory::applicationName(path), context);
    int64_t total = 0;
    for (const RelatedItem& item : items) total += item.size;
    if (total >= kRemovedAppReportThreshold) result.removed.push_back({app.name, app.bundleID, std::move(items)});
  }
  return result;
}

}  // namespace tolvex
