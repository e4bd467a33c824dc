#pragma once
// Where the Linux desktop keeps its applications and their data: the desktop-entry search path, the
// Flatpak installations, snapd's folders, dpkg's database, /proc and the user's data folders. The
// program reads them from the environment; tests put every one of them into a fixture folder.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Places.h"

namespace tolvex {

struct DesktopSources {
  std::string home;
  std::string dataHome;    // $XDG_DATA_HOME (~/.local/share)
  std::string configHome;  // $XDG_CONFIG_HOME (~/.config)
  std::string cacheHome;   // $XDG_CACHE_HOME (~/.cache)
  std::string stateHome;   // $XDG_STATE_HOME (~/.local/state)
  // The data folders searched for "applications", best first: the data home, $XDG_DATA_DIRS, then
  // Flatpak's and snapd's exports when the variable leaves them out.
  std::vector<std::string> dataDirs;
  // Flatpak installations, the user's first: each holds "app/<id>" and "exports/share".
  std::vector<std::string> flatpakInstallations;
  std::string snapMount;        // "/snap": <name>/current is the mounted revision
  std::string snapState;        // "/var/lib/snapd": snaps/<name>_<revision>.snap and desktop/
  std::string dpkgAdmin;        // "/var/lib/dpkg": status and info/*.list
  std::string systemRoot;       // prefixed to the paths dpkg records ("" on the running system)
  std::string procRoot;         // "/proc"
  std::string runtimeDir;       // $XDG_RUNTIME_DIR: Flatpak's record of running instances
  std::string userApplications; // ~/Applications, where AppImages are kept
  std::vector<std::string> currentDesktops;  // $XDG_CURRENT_DESKTOP, split at ":"
  std::vector<std::string> programPath;      // $PATH
  std::vector<std::string> localeCandidates; // for localised names, best first

  // The folder snapd exports desktop entries to (a data folder: its "applications" holds them).
  std::string snapDesktop() const { return snapState + "/desktop"; }
  // Each Flatpak installation's exported data folder.
  std::vector<std::string> flatpakExports() const;

  // A folder of the home where applications keep their data, with the label its items show.
  struct DataFolder {
    std::string path;
    const char* label;
  };
  // ~/.config ("Configuration"), ~/.local/share ("Data"), ~/.cache ("Cache"), ~/.local/state ("State").
  std::vector<DataFolder> dataFolders() const;

  // Reads a variable of the environment; none when it is unset.
  using Variable = std::function<std::optional<std::string>(const char* name)>;
  // The sources of the user whose places are given. Every system folder lies below `systemRoot`
  // ("" on the running system, a fixture folder in tests); the variables come from `variable`.
  static DesktopSources forUser(const Places& places, const Variable& variable, const std::string& systemRoot = "");
  // The running user's, from the process environment.
  static DesktopSources current(const Places& places);
};

}  // namespace tolvex
