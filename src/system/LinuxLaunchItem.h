#pragma once
// What starts with a Linux session, read into launch items: XDG autostart entries (the user's and the
// shared ones) and systemd units that are enabled (the user's, and the local system services), and
// their removal. The folders, the program search path, the Flatpak installations and the runners all
// come from the `LaunchItemContext`, so tests read fixtures and run fakes.
//
// An item's program is "gone" (an orphan) when its command's program is found nowhere: a path where
// nothing exists, a bare name found in no folder of the search path, a `TryExec` program that is
// missing, or `flatpak run` of an application no Flatpak installation holds any more. A folder that
// cannot be looked into may hold the program: it is not called gone.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/LaunchItem.h"

namespace tolvex {

// True only when the system says nothing is there. A path that cannot be checked (no permission to
// look into a folder, for one) may well hold the program, so it is not called missing.
bool nothingExistsAt(const std::string& path);
// The modification date of the file at `path` (links followed), seconds since 1970.
std::optional<double> launchFileModificationDate(const std::string& path);

// The program of a command line and, for `flatpak run`, the application it runs.
struct LaunchCommand {
  std::string program;                   // the first word after environment assignments and `env`
  std::optional<std::string> flatpakId;  // the application of `flatpak run [options] ID`
  bool operator==(const LaunchCommand&) const = default;
};

// The program of an autostart entry's `Exec` (desktop-entry escapes and quoting) or of a unit's
// `ExecStart` (its "@", "-", ":", "+" and "!" prefixes dropped). None when the line holds no program.
std::optional<LaunchCommand> launchCommandOfExec(std::string_view exec);
std::optional<LaunchCommand> launchCommandOfExecStart(std::string_view execStart);

// True when `program` is found nowhere: a path with "/" where nothing exists, or a bare name that no
// folder of `searchPath` holds. A folder that cannot be checked counts as holding it.
bool programIsGone(const std::string& program, const std::vector<std::string>& searchPath);

// True when an installation holds the Flatpak application `id` (its current deployment is active).
bool flatpakIsInstalled(const std::string& id, const std::vector<std::string>& installations);

// Fills the Linux sources of `context` for the user's `places`: $XDG_CONFIG_DIRS, $XDG_DATA_DIRS
// (with Flatpak's and snapd's exported entries, which a program started from a launcher may lack)
// and $PATH are read now.
void addLinuxSources(LaunchItemContext& context, const Places& places);

// Moves a launch file to the Trash as the user, or through the administrator's step, and gives the
// History's record of it, dated by the context's clock.
LaunchItemRemoval trashLaunchFile(const std::string& path, const LaunchItemContext& context);
LaunchItemRemoval trashLaunchFileAsAdministrator(const std::string& path, const LaunchItemContext& context);

// The items of the Linux sources, scope by scope, in folder and name order (the caller sorts).
std::vector<LaunchItem> loadLinuxLaunchItems(const LaunchItemContext& context);

// systemd's generated units for autostart entries ("app-…@autostart.service"), listed as entries.
bool isGeneratedAutostartUnit(std::string_view unitName);

// A unit name that may be handed to systemctl: letters, digits, ":", "_", ".", "@" and "-", not
// starting with "-" or ".", ending in ".service".
bool isSupportedUnitName(std::string_view name);

// Whether `item` is one of the Linux sources' items, by where its file lies and what it is named.
bool isLinuxLaunchItem(const LaunchItem& item, const LaunchItemContext& context);

// Removes a Linux item: a user's autostart entry goes to the Trash; a user's unit is disabled and
// stopped (`systemctl --user`), and its file goes to the Trash when it lies in the user's unit folder;
// a shared autostart entry is moved to the Trash by an administrator; a service is disabled and
// stopped by an administrator, and its file goes to the Trash when it is a regular file in the
// administrator's unit folder. Every piece is checked before it is passed on ("Unsupported file
// name." otherwise, nothing run). Nothing goes to the Trash once stopping the item failed.
LaunchItemRemoval removeLinuxLaunchItem(const LaunchItem& item, const LaunchItemContext& context);

}  // namespace tolvex
