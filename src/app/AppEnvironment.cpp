#include "app/AppEnvironment.h"

#include "app/Settings.h"
#include "model/ScanArchive.h"
#include "platform/FullDiskAccess.h"
#include "platform/HomeFolder.h"
#include "platform/Identifiers.h"

namespace tolvex {

AppEnvironment AppEnvironment::forFolders(const std::string& home, const std::string& appFolder,
                                          const QString& settingsPath) {
  AppEnvironment env;
  env.home = home;
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
    } catch (...) {
      // A failed write leaves the previous archive in place; the next save tries again.
    }
  };
  env.readArchive = [](const std::string& path) { return readScanArchive(path); };
  return env;
}

AppEnvironment AppEnvironment::standard() {
  return forFolders(homeFolder(), appSupportFolder(), Settings::defaultPath());
}

}  // namespace tolvex
