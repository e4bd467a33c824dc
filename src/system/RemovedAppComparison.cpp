// The snapshot and the comparison of the removed-application watcher: plain functions of the folders,
// run on the watcher's worker thread.
#include <algorithm>
#include <set>

#include "platform/Bundle.h"
#include "system/AppInventory.h"
#include "system/DesktopApps.h"
#include "system/RemovedAppWatcher.h"

namespace tolvex {

namespace {

RemovedAppWatcher::Known knownOf(const DesktopApp& app) {
  return {app.name, app.bundleID, app.kind, app.desktopID, app.source, app.nameKeys};
}

DesktopApp desktopAppOf(const std::string& path, const RemovedAppWatcher::Known& known) {
  DesktopApp app;
  app.kind = known.kind;
  app.path = path;
  app.desktopID = known.desktopID;
  app.name = known.name;
  app.bundleID = known.bundleID;
  app.source = known.source;
  app.nameKeys = known.nameKeys;
  return app;
}

// The data a removed desktop application left: found as the inventory finds it, against the
// applications still installed, so that a folder one of them also claims is not offered.
std::vector<RelatedItem> desktopLeftItems(const std::string& path, const RemovedAppWatcher::Known& known,
                                          const std::vector<DesktopApp>& installed, const InventoryContext& context) {
  std::vector<DesktopApp> apps{desktopAppOf(path, known)};
  apps.insert(apps.end(), installed.begin(), installed.end());
  std::vector<RelatedItem> items = DesktopInventory::relatedItems(apps, *context.desktop).front();
  for (RelatedItem& item : items) item.size = context.measure ? context.measure(item.path) : 0;
  std::stable_sort(items.begin(), items.end(), [](const RelatedItem& a, const RelatedItem& b) { return a.size > b.size; });
  return items;
}

}  // namespace

RemovedAppWatcher::KnownApps RemovedAppWatcher::knownApps(const InventoryContext& context) {
  KnownApps known;
  for (const std::string& path : AppInventory::appBundlePaths(context.applicationRoots)) {
    const std::optional<Bundle> bundle = openBundle(path);
    if (!bundle || !bundle->identifier) continue;  // a blank identifier is none
    const std::string& identifier = *bundle->identifier;
    if (identifier.starts_with("com.apple.") || identifier == context.ownBundleIdentifier) continue;
    known.emplace(path, Known{AppInventory::displayName(bundle, path), identifier});
  }
  if (context.desktop) {
    const DpkgDatabase dpkg(context.desktop->dpkgAdmin, context.desktop->systemRoot);
    for (const DesktopApp& app : DesktopInventory::listApps(*context.desktop, dpkg).apps)
      if (app.bundleID != context.ownBundleIdentifier) known.emplace(app.path, knownOf(app));
  }
  return known;
}

std::vector<std::pair<std::string, RemovedAppWatcher::Known>> RemovedAppWatcher::vanishedApps(
    const KnownApps& previous, const KnownApps& current, const std::function<bool(const Known&)>& isLocatable) {
  std::set<std::string> present;
  for (const auto& [path, app] : current) present.insert(app.bundleID);
  std::vector<std::pair<std::string, Known>> vanished;
  for (const auto& [path, app] : previous) {
    if (current.contains(path) || present.contains(app.bundleID)) continue;
    if (isLocatable && isLocatable(app)) continue;
    vanished.emplace_back(path, app);
  }
  return vanished;
}

RemovedAppWatcher::Comparison RemovedAppWatcher::compare(const KnownApps& previous, const InventoryContext& context,
                                                         const std::function<bool()>& abandoned) {
  Comparison result;
  result.current = knownApps(context);
  const ApplicationLookup locate = context.applicationLookup ? context.applicationLookup() : ApplicationLookup();
  // The desktop as it is now: which IDs still have a file (a user's hidden copy counts: the
  // application is still installed), and which applications remain.
  std::optional<DpkgDatabase> dpkg;
  DesktopSnapshot desktop;
  if (context.desktop) {
    dpkg.emplace(context.desktop->dpkgAdmin, context.desktop->systemRoot);
    desktop = DesktopInventory::listApps(*context.desktop, *dpkg);
  }
  auto locatable = [&](const Known& app) {
    if (app.kind == AppKind::bundle) return locate && locate(app.bundleID).has_value();
    if (!context.desktop) return false;
    // An update or a move is never a removal: the ID still has a file, or the kind's source has it.
    if (!app.desktopID.empty() && desktop.presentIDs.contains(app.desktopID)) return true;
    return DesktopInventory::isKnownToSource(*context.desktop, *dpkg, app.kind, app.source);
  };
  for (const auto& [path, app] : vanishedApps(previous, result.current, locatable)) {
    if (abandoned && abandoned()) break;
    std::vector<RelatedItem> items;
    if (app.kind == AppKind::bundle) {
      // The Library is listed afresh for each removal: it may have changed since the last one.
      const auto entries = AppInventory::libraryEntries(context);
      items = AppInventory::relatedItems(entries, app.bundleID, AppInventory::applicationName(path), context);
    } else {
      items = desktopLeftItems(path, app, desktop.apps, context);
    }
    int64_t total = 0;
    for (const RelatedItem& item : items) total += item.size;
    if (total >= kRemovedAppReportThreshold) result.removed.push_back({app.name, app.bundleID, std::move(items)});
  }
  return result;
}

}  // namespace tolvex
