#pragma once
#include <QString>
#include <memory>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "app/services/Notifier.h"
#include "engines/APFSClone.h"
#include "engines/CloudDrive.h"
#include "engines/DuplicateFinder.h"
#include "engines/JunkFinder.h"
#include "model/DisplayPath.h"
#include "model/ScanResult.h"
#include "model/Scanner.h"
#include "model/VolumeInfo.h"
#include "platform/Places.h"
#include "system/InstalledApp.h"
#include "system/Leftover.h"

namespace tolvex {

class RemovedAppWatcher;

// The waits of the application, in milliseconds. Tests shorten them.
struct AppTimings {
  int archiveDebounceMs = 3000;
  int toastMs = 8000;
  int tickMs = 300000;
  int removedAppDebounceMs = 10000;
  int smartScanMinimumMs = 1600;
  int smartCleanMinimumMs = 1200;
};

// Everything the application state takes from the world outside, so that tests can replace it.
struct AppEnvironment {
  Places places;          // the user's places, read from the process environment once
  std::string appFolder;  // where the history, the archive and the trend files live
  QString settingsPath;   // the settings file
  std::string dataVolume{kDataVolume};
  std::function<bool()> accessProbe;
  std::function<double()> clock;  // seconds since 1970
  std::function<std::optional<VolumeInfo>()> readVolume;
  std::function<std::optional<ScanResult>(Scanner&, const std::string& root, const std::set<std::string>& excluded,
                                          const Scanner::Progress& progress)>
      walk;
  std::function<void(const ScanResult&, const ScanTarget&, const std::string& path)> writeArchive;
  std::function<std::optional<std::pair<ScanResult, ScanTarget>>(const std::string& path)> readArchive;
  // The engines behind the cleaning tools; tests put fakes in their place.
  std::function<std::vector<JunkFinding>(const std::vector<JunkRule>& rules, bool fullDiskAccess, double now)> findJunk;
  std::function<std::vector<DuplicateGroup>(const ScanResult&, int64_t minimumSize, const DuplicateProgress&)>
      findDuplicates;
  std::function<int64_t(const std::string& duplicate, const std::string& keeper)> replaceWithClone;
  std::function<CloudReport()> inspectICloud;
  std::function<EvictionReport(const std::vector<CloudItem>&)> evictICloudItems;
  // The application inventory and the leftover search over the user's application folders and Library,
  // and the bundle identifiers of the applications running now.
  std::function<std::vector<InstalledApp>()> installedApps;
  std::function<std::vector<Leftover>(const std::vector<InstalledApp>&)> findLeftovers;
  std::function<std::vector<std::string>()> runningApplications;
  // A steady clock in seconds, and a wait on the user-interface thread: together they hold a
  // Quick Clean stage on screen for its minimum duration.
  std::function<double()> steadyClock;
  std::function<void(int ms, std::function<void()> then)> wait;
  // Desktop notifications, and the watcher of removed applications (none: nothing is watched).
  Notifier notify;
  std::function<std::shared_ptr<RemovedAppWatcher>(int debounceMs)> makeAppWatcher;
  AppTimings timings;

  // The real world: the user's home, data and settings folders, the file system and the clock.
  static AppEnvironment standard();
  // The same with the application folder and settings file given, and the default places below `home`
  // (tests).
  static AppEnvironment forFolders(const std::string& home, const std::string& appFolder, const QString& settingsPath);
  // The same with all the user's places given.
  static AppEnvironment forPlaces(const Places& places, const std::string& appFolder, const QString& settingsPath);

  std::string archivePath() const { return appFolder + "/last-scan.tvxscan"; }
  std::string historyPath() const { return appFolder + "/history.json"; }
};

}  // namespace tolvex
