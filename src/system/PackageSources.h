#pragma once
// What the desktop's package sources know of an application, read from their files (no package tool
// is ever run): dpkg's database, the Flatpak installations, snapd's mounts, and AppStream metadata.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "system/DesktopSources.h"

namespace tolvex {

struct DpkgPackage {
  std::string name;
  std::optional<std::string> version;
  int64_t installedSize = 0;  // bytes: the package's own Installed-Size (KiB) × 1024
};

// dpkg's database: which package owns a desktop entry, and the packages installed. Read once, on
// first use; safe from any thread.
class DpkgDatabase {
 public:
  // `adminDir` holds "status" and "info/*.list"; the paths the lists record lie below `systemRoot`.
  DpkgDatabase(std::string adminDir, std::string systemRoot);

  // The installed package that owns the desktop entry at `path`, if any.
  std::optional<std::string> ownerOf(const std::string& path) const;
  // The package of that name when it is installed ("install ok installed").
  std::optional<DpkgPackage> installed(const std::string& name) const;

 private:
  void load() const;

  std::string adminDir_;
  std::string systemRoot_;
  mutable std::once_flag loaded_;
  mutable std::map<std::string, std::string> owners_;      // desktop entry path → package
  mutable std::map<std::string, DpkgPackage> packages_;    // installed packages by name
};

// The deploy folder ("<installation>/app/<id>") of the Flatpak `id` in the first installation that
// has it deployed (its "current/active" exists). None when no installation has it.
std::optional<std::string> flatpakDeployFolder(const DesktopSources& sources, const std::string& id);
// The ids of every Flatpak application deployed in any installation.
std::set<std::string> installedFlatpaks(const DesktopSources& sources);
// The version of a deployed Flatpak: its AppStream metadata's newest release.
std::optional<std::string> flatpakVersion(const std::string& deployFolder, const std::string& id);

// Whether snapd has the snap `name` mounted ("/snap/<name>/current").
bool isSnapInstalled(const DesktopSources& sources, const std::string& name);
// The mounted revision's "version:" from its meta/snap.yaml.
std::optional<std::string> snapVersion(const DesktopSources& sources, const std::string& name);
// The allocated bytes of the mounted revision's .snap file (0 when it cannot be found).
int64_t snapSize(const DesktopSources& sources, const std::string& name);

// The version of the first <release> of an AppStream file (releases are listed newest first).
std::optional<std::string> metainfoVersion(const std::string& path);
// The newest release of the component `id` in the data folders' metainfo (or old appdata) files.
std::optional<std::string> componentVersion(const DesktopSources& sources, const std::string& id);

}  // namespace tolvex
