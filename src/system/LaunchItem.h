#pragma once
// Launch agents and daemons: the property lists that make launchd start a program at login or keep
// it running. They are read into records, ordered for the Login Items screen, and removed (launchd
// is asked to unload the job and the property list goes to the Trash).
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

#include "platform/Privileged.h"
#include "platform/Process.h"

namespace tolvex {

struct LaunchItemContext;

struct LaunchItem {
  // The folder an item was found in. Declared in the order the folders are read.
  enum class Scope { userAgent, systemAgent, systemDaemon };

  std::string path;                    // absolute path of the property list
  std::string label;                   // "Label", else the file name without its extension
  std::optional<std::string> program;  // "Program", else the first of "ProgramArguments"
  Scope scope = Scope::userAgent;
  bool runAtLoad = false;                // "RunAtLoad" when it is a Boolean
  bool keepAlive = false;                // "KeepAlive" when a Boolean; true when a dictionary of conditions
  std::optional<std::string> ownerName;  // the owning application's bundle name without ".app"
  std::optional<std::string> ownerPath;  // the owning application bundle
  bool isOrphan = false;                 // the program is an absolute path where nothing exists
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
// "Your login agents", "Agents for all users", "System daemons".
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
  ProcessRunner runProcess;
  PrivilegedRunner runPrivileged;

  // The running user's, with `home` as the home folder: ~/Library/LaunchAgents, /Library/LaunchAgents,
  // /Library/LaunchDaemons; the applications of the application folders; launchctl with a timeout;
  // pkexec.
  static LaunchItemContext forHome(const std::string& home);
  const std::string& folder(LaunchItem::Scope scope) const { return folders[static_cast<size_t>(scope)]; }
};

// Every item of the three folders, sorted by `launchItemOrder`. A folder that cannot be listed, a
// name not ending in ".plist" (case matters) and a property list that cannot be read are left out.
std::vector<LaunchItem> loadLaunchItems(const LaunchItemContext& context);

// Orphans first, then by owner name (or label when there is no owner), ignoring case.
bool launchItemOrder(const LaunchItem& a, const LaunchItem& b);

// Messages of a removal.
inline constexpr const char* kUnsupportedFileNameMessage = "Unsupported file name.";
inline constexpr const char* kCouldNotRemoveMessage = "Couldn't remove it.";
inline constexpr const char* kLaunchctlPath = "/bin/launchctl";

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
// and the move is checked before success is reported.
std::optional<std::string> removeLaunchItem(const LaunchItem& item, const LaunchItemContext& context);

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
