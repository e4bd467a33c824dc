#pragma once
// Launch agents and daemons: what starts a program with the session or keeps it running. On a Mac
// these are launchd's property lists; on Linux the desktop's autostart entries and systemd's enabled
// units (see LinuxLaunchItem.h). They are read into the same records, ordered for the Login Items
// screen, and removed: the program is told to stop starting and, where the file is the user's or the
// administrator's own, the file goes to the Trash.
//
// Everything here blocks: the loader reads folders, the removal may wait for an administrator's
// password. Run them off the user-interface thread.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "engines/DeletionHistory.h"
#include "platform/Places.h"
#include "platform/Privileged.h"
#include "platform/Process.h"

namespace tolvex {

struct LaunchItemContext;

struct LaunchItem {
  // The folder an item was found in. Declared in the order the folders are read.
  enum class Scope { userAgent, systemAgent, systemDaemon };

  std::string path;                    // absolute path of the property list, entry or unit file
  std::string label;                   // "Label", else the file name without its extension; a unit's name
  std::optional<std::string> program;  // "Program", else the first of "ProgramArguments"; the command's program
  Scope scope = Scope::userAgent;
  bool runAtLoad = false;                // "RunAtLoad" when it is a Boolean
  bool keepAlive = false;                // "KeepAlive" when a Boolean; true when a dictionary of conditions
  std::optional<std::string> ownerName;  // the owning application's bundle name without ".app"
  std::optional<std::string> ownerPath;  // the owning application bundle
  bool isOrphan = false;                 // the program is gone (see `fromPlist` and LinuxLaunchItem.h)
  std::optional<double> modified;        // the property list's modification date, seconds since 1970

  // Items are identified by their path.
  const std::string& id() const { return path; }
  bool operator==(const LaunchItem&) const = default;

  // The item described by the property list at `path`; none when the file cannot be read, is not a
  // property list, or its root is not a dictionary.
  static std::optional<LaunchItem> fromPlist(const std::string& path, Scope scope, const LaunchItemContext& context);
};

inline constexpr std::array<LaunchItem::Scope, 3> kAllLaunchItemScopes = {
    LaunchItem::Scope::userAgent, LaunchItem::Scope::systemAgent, LaunchItem::Scope::systemDaemon};

// "userAgent", "systemAgent", "systemDaemon".
const char* rawValue(LaunchItem::Scope scope);
std::optional<LaunchItem::Scope> launchItemScopeFromRaw(std::string_view raw);
// "Your login items", "Login items for all users", "Services".
const char* title(LaunchItem::Scope scope);

// Where launch items are looked for and how they are removed. Tests point the folders at fixtures and
// replace the look-up and the runners with fakes.
struct LaunchItemContext {
  std::string home;
  uid_t uid = 0;
  // The folder read for each scope, in the order of `kAllLaunchItemScopes`.
  std::array<std::string, 3> folders;
  // The application the system finds for a bundle identifier, if any.
  std::function<std::optional<std::string>(const std::string& bundleIdentifier)> applicationPath;
  // Runs launchctl and `systemctl --user`; the administrator's steps go through `runPrivileged`.
  ProcessRunner runProcess;
  PrivilegedRunner runPrivileged;

  // The Linux desktop's sources. Your login items: the user's autostart entries and the user's
  // enabled units; for all users: the shared autostart entries that no entry of the user's overrides;
  // services: enabled system units whose file lies in one of `systemUnitFolders`.
  std::string userAutostartFolder;                  // $XDG_CONFIG_HOME/autostart
  std::vector<std::string> sharedAutostartFolders;  // "autostart" of each $XDG_CONFIG_DIRS, first wins
  std::string userUnitFolder;                       // $XDG_CONFIG_HOME/systemd/user
  // /etc/systemd/system, /usr/local/lib/systemd/system. The first is the administrator's own: only
  // there does a removed unit's file go to the Trash.
  std::vector<std::string> systemUnitFolders;
  // Where the distribution's packages put their units (/usr/lib/systemd, /lib/systemd): a unit whose
  // file lies there is the system's own, whatever link in `systemUnitFolders` names it.
  std::vector<std::string> vendorUnitFolders;
  // Where installed applications' desktop entries lie, in look-up order (the first entry of an ID wins).
  std::vector<std::string> applicationFolders;
  std::vector<std::string> searchPath;            // $PATH, where a bare program name is looked for
  std::vector<std::string> flatpakInstallations;  // ~/.local/share/flatpak, /var/lib/flatpak
  // The date a removal is recorded with (seconds since 1970).
  std::function<double()> clock;

  // The running user's, with `home` as the home folder: ~/Library/LaunchAgents, /Library/LaunchAgents,
  // /Library/LaunchDaemons; the applications of the application folders; launchctl with a timeout;
  // pkexec. The Linux sources as `forPlaces` gives them for the default places below `home`.
  static LaunchItemContext forHome(const std::string& home);
  // The same for the user's places: the configuration home given, $XDG_CONFIG_DIRS, $XDG_DATA_DIRS
  // (with Flatpak's and snapd's exported entries) and $PATH read now.
  static LaunchItemContext forPlaces(const Places& places);
  const std::string& folder(LaunchItem::Scope scope) const { return folders[static_cast<size_t>(scope)]; }
};

// Every item of the three launchd folders and of the Linux sources (see LinuxLaunchItem.h), sorted by
// `launchItemOrder`. A folder that cannot be listed, a name not ending in ".plist" (case matters)
// and a property list, entry or unit that cannot be read are left out.
std::vector<LaunchItem> loadLaunchItems(const LaunchItemContext& context);

// Orphans first, then by owner name (or label when there is no owner), ignoring case.
bool launchItemOrder(const LaunchItem& a, const LaunchItem& b);

// Messages of a removal.
inline constexpr const char* kUnsupportedFileNameMessage = "Unsupported file name.";
inline constexpr const char* kCouldNotRemoveMessage = "Couldn't remove it.";
inline constexpr const char* kLaunchctlPath = "/bin/launchctl";
inline constexpr const char* kSystemctlPath = "/usr/bin/systemctl";

// The text shown once an item is removed: its name in curly quotes and what became of it.
std::string launchItemRemovedMessage(const std::string& name);

// Whether a property list's path may be handed to a command: only letters, digits, ".", "_", "@",
// "+", "/", " " and "-", ending in ".plist", with no "..".
bool isSupportedLaunchItemPath(std::string_view path);

// The launchd domain an item is unloaded from: "gui/UID" for agents, "system" for daemons.
std::string launchdDomain(LaunchItem::Scope scope, uid_t uid);

// The administrator script that unloads a shared item and moves its property list to the Trash, as
// one shell command inside an AppleScript. It describes the removal; the steps themselves run as
// separate programs with argument vectors.
std::string launchItemRemovalScript(const LaunchItem& item, uid_t uid, const std::string& home);

// Unloads the item and moves its property list to the Trash. None on success, else the message to
// show. A path that `isSupportedLaunchItemPath` refuses gives "Unsupported file name." and nothing
// runs. A user agent is unloaded through launchctl (whose outcome does not matter) and trashed by the
// user; a shared item needs an administrator for both steps: a dismissed dialog gives "Cancelled.",
// and the move is checked before success is reported. Items of the Linux sources (any other path)
// are removed by `removeLinuxLaunchItem`.
std::optional<std::string> removeLaunchItem(const LaunchItem& item, const LaunchItemContext& context);

// What a removal did, for the screen and the History.
struct LaunchItemRemoval {
  std::optional<std::string> failure;   // none on success, else the message to show
  std::optional<HistoryEntry> trashed;  // the record of the file moved to the Trash, when one was
  bool operator==(const LaunchItemRemoval&) const = default;
};
// `removeLaunchItem` with its record: a success without `trashed` stopped the item and left its file.
LaunchItemRemoval performLaunchItemRemoval(const LaunchItem& item, const LaunchItemContext& context);

// The system's Login Items settings. Opening it is the caller's (it has the desktop's URL opener).
inline constexpr const char* kLoginItemsSettingsURL =
    "x-apple.systempreferences:com.apple.LoginItems-Settings.extension";
// Hands the Login Items settings URL to `openURL`; nothing happens without one.
void openLoginItemsSettings(const std::function<void(const std::string& url)>& openURL);

}  // namespace tolvex

template <>
struct std::hash<tolvex::LaunchItem> {
  size_t operator()(const tolvex::LaunchItem& item) const noexcept { return std::hash<std::string>{}(item.path); }
};
