#pragma once
// A Linux desktop in a temporary folder: a home with its XDG folders and a system root holding
// /usr/share/applications, dpkg's database, the system Flatpak installation, snapd's folders and
// /proc. Builders put applications of each kind there; `sources()` points every source at it.
#include <string>
#include <vector>

#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "system/DesktopSources.h"
#include "system/InventoryContext.h"

namespace tolvex::test {

class LinuxDesktop {
 public:
  LinuxDesktop();

  const std::string& home() const { return home_.home(); }
  const std::string& root() const { return root_.path(); }
  TreeBuilder& homeTree() { return homeTree_; }
  TreeBuilder& rootTree() { return rootTree_; }
  std::string inHome(const std::string& relative) const { return home_ / relative; }
  std::string inRoot(const std::string& relative) const { return root_ / relative; }

  // Every source below this desktop; XDG_CURRENT_DESKTOP is `desktops`.
  DesktopSources sources(const std::string& desktops = "GNOME") const;
  // An inventory context that reads this desktop (and no application bundles).
  InventoryContext context() const;

  // Writes a text file (and its folders).
  void write(const std::string& path, const std::string& text);
  // An executable program file.
  std::string program(const std::string& path);
  // A desktop entry of an application named `name` running `exec`, with `extra` lines.
  static std::string entry(const std::string& name, const std::string& exec, const std::string& extra = "");

  // A package installed by dpkg, owning the desktop entry `entryName` in /usr/share/applications.
  std::string dpkgApp(const std::string& package, const std::string& entryName, const std::string& text,
                      const std::string& version, int64_t installedKiB);
  // A Flatpak deployed in the system installation, its app folder of `appBytes` allocated bytes, its
  // exported entry, and its metainfo with the newest release `version`.
  std::string flatpak(const std::string& id, const std::string& name, int64_t appBytes, const std::string& version);
  // A snap mounted at revision `revision`, its .snap file of `snapBytes`, and its exported entry.
  std::string snap(const std::string& name, const std::string& revision, int64_t snapBytes, const std::string& version);
  // An AppImage in ~/Applications with a launcher in the data home (as the integration tools write it).
  std::string appImage(const std::string& fileName, const std::string& appName, int64_t bytes,
                       const std::string& extra = "");
  // An entry in the data home running `exec`.
  std::string userEntry(const std::string& id, const std::string& text);

 private:
  void finishDpkgStatus();

  TempHome home_;
  TempDir root_;
  TreeBuilder homeTree_;
  TreeBuilder rootTree_;
  std::string status_;
};

}  // namespace tolvex::test
