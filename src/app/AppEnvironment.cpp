#include "app/AppEnvironment.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>

#include "app/Settings.h"
#include "model/ScanArchive.h"
#include "platform/FullDiskAccess.h"
#include "platform/HomeFolder.h"
#include "platform/Identifiers.h"
#include "platform/StoreFile.h"
#include "platform/RunningApps.h"
#include "system/AppInventory.h"
#include "system/InventoryContext.h"
#include "system/RemovedAppWatcher.h"

namespace tolvex {

AppEnvironment AppEnvironment::forFolders(const std::string& home, const std::string& appFolder,
                                          const QString& settingsPath) {
  return forPlaces(Places::forHome(home), appFolder, settingsPath);
}

AppEnvironment AppEnvironment::forPlaces(const Places& places, const std::string& appFolder,
                                         const QString& settingsPath) {
  AppEnvironment env;
  env.places = places;
  env.appFolder = appFolder;
  env.settingsPath = settingsPath;
  env.accessProbe = [] { return hasFullDiskAccess(); };
  env.clock = [] { return nowSince1970(); };
  env.readVolume = [] { return VolumeInfo::read("/"); };
  env.walk = [](Scanner& scanner, const std::string& root, const std::set<std::string>& excluded,
                const Scanner::Progress& progress) { return scanner.walk(root, excluded, progress); };
  env.writeArchive = [](const ScanResult& result, const ScanTarget& target, const std::string& path) {
    try {
      writeScanArchive(result, target, path);
    } catch (const std::exception& error) {
      // A failed write leaves the previous archive in place; the next save tries again.
      logUnsavedStore(path, error.what());
    }
  };
  env.readArchive = [](const std::string& path) { return readScanArchive(path); };
  env.findJunk = [places](const std::vector<JunkRule>& rules, bool fullDiskAccess, double now) {
    return tolvex::findJunk(rules, places, fullDiskAccess, now);
  };
  env.findDuplicates = [](const ScanResult& scan, int64_t minimumSize, const DuplicateProgress& progress) {
    return tolvex::findDuplicates(scan, minimumSize, progress);
  };
  env.replaceWithClone = [](const std::string& duplicate, const std::string& keeper) {
    return APFSClone::replaceWithClone(duplicate, keeper);
  };
  env.inspectICloud = [home = places.home] { return tolvex::inspectICloud(home); };
  env.evictICloudItems = [](const std::vector<CloudItem>& items) { return tolvex::evictICloudItems(items); };
  InventoryContext inventory = InventoryContext::forPlaces(places.home, defaultApplicationRoots(places.home));
  inventory.desktop = DesktopSources::current(places);
  env.installedApps = [inventory] { return AppInventory::installedApps(inventory); };
  env.findLeftovers = [inventory](const std::vector<InstalledApp>& apps) {
    return AppInventory::findLeftovers(apps, inventory);
  };
  env.runningApplications = [desktop = *inventory.desktop] {
    std::vector<std::string> running = runningApplicationIdentifiers();
    for (std::string& item : runningDesktopApplications(desktop.procRoot, desktop.runtimeDir)) running.push_back(std::move(item));
    return running;
  };
  env.steadyClock = [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  };
  env.wait = [](int ms, std::function<void()> then) {
    QTimer::singleShot(ms, QCoreApplication::instance(), std::move(then));
  };
  env.notify = postNotification;
  env.makeAppWatcher = [inventory](int debounceMs) {
    return std::make_shared<RemovedAppWatcher>(inventory, std::chrono::milliseconds(debounceMs));
  };
  return env;
}

AppEnvironment AppEnvironment::standard() {
  return forPlaces(Places::current(), appSupportFolder(), Settings::defaultPath());
}

}  // namespace tolvex
