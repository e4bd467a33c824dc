#pragma once
// The Linux desktop's applications: every desktop entry the desktop would list, of a kind (Flatpak,
// Snap, AppImage, hand-installed, system package), with the data it keeps in the home folder. The
// same records as the application bundles give, for the same screens and flows. Stateless; every
// operation may run on any thread, and none fails: what cannot be read contributes nothing.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "system/DesktopSources.h"
#include "system/InstalledApp.h"
#include "system/PackageSources.h"

namespace tolvex {

// One application of the desktop's list, before anything is measured.
struct DesktopApp {
  AppKind kind = AppKind::handInstalled;
  std::string path;       // the record's identity (see `InstalledApp::path`)
  std::string desktopID;  // empty for an AppImage that no entry names
  std::string entryPath;  // the entry that won; empty without one
  std::string name;       // in the current locale
  std::string bundleID;   // Flatpak id, snap name, X-AppImage-Name, else the ID without ".desktop"
  std::string source;     // what its kind's own source knows it by: Flatpak id, snap name, package
  std::optional<std::string> program;  // the program its entry runs, resolved
  std::optional<std::string> version;  // where the entry or the package tells it
  std::string icon;                    // the entry's Icon when it is a name, not a path
  std::vector<std::string> nameKeys;   // folded names its data may carry: ID, its last part, …
  bool everyUser = false;              // hand-installed outside the home folder
};

// The applications and every desktop ID that still has a file in some folder.
struct DesktopSnapshot {
  std::vector<DesktopApp> apps;
  std::set<std::string> presentIDs;
};

namespace DesktopInventory {

// Folders of the home that belong to the desktop or to many programs, never to one application
// (folded names: "dconf", "gtk-3.0", "pulse", …, and every "plasma…" and "kde…").
bool isSharedFolderName(const std::string& foldedName);

// The applications the desktop lists, one per record path, in search order; AppImages in
// ~/Applications that no entry names come last. `dpkg` tells which entries a package owns.
DesktopSnapshot listApps(const DesktopSources& sources, const DpkgDatabase& dpkg);

// The related items of each application, unmeasured (size 0), in the order of `apps`. Flatpak and Snap
// data by id; the others' by name in the XDG folders, ~/.K and ~/.config/Krc (a folder two
// applications claim goes to neither; shared folders to none), their login item, and for
// AppImages and hand-installed applications their launcher, icons and (inside the home folder, used by
// no other entry) their program.
std::vector<std::vector<RelatedItem>> relatedItems(const std::vector<DesktopApp>& apps, const DesktopSources& sources);

// Whether the kind's own source still has the application: the Flatpak deployed, the snap mounted,
// the package installed. AppImages and hand-installed applications have no such source: false.
bool isKnownToSource(const DesktopSources& sources, const DpkgDatabase& dpkg, AppKind kind, const std::string& source);

// When the desktop last saw each application in use (GNOME Shell's application_state), by desktop ID,
// in seconds since 1970.
std::map<std::string, double> lastSeen(const DesktopSources& sources);

// The whole list as records, each measured with `measure` (allocated bytes; 0 when unreadable).
// Blocks; call it off the UI thread.
std::vector<InstalledApp> installedApps(const DesktopSources& sources,
                                        const std::function<int64_t(const std::string&)>& measure);

}  // namespace DesktopInventory
}  // namespace tolvex
