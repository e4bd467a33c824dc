#include "system/LaunchItem.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engines/CloudProvider.h"
#include "engines/Deleter.h"
#include "model/FileFilter.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"
#include "platform/Identifiers.h"
#include "platform/Trash.h"
#include "system/LinuxLaunchItem.h"

namespace tolvex {

namespace {

// launchctl answers at once; one that hangs must not hold the removal for ever.
constexpr double kLaunchctlTimeoutSeconds = 60;

// The last component of a path without its extension ("/a/com.x.plist" -> "com.x").
std::string nameWithoutExtension(std::string_view path) {
  std::string name = lastPathComponent(path);
  const std::string extension = pathExtension(name);
  if (!extension.empty()) name.resize(name.size() - extension.size() - 1);
  return name;
}

// The names in a folder; none when it cannot be listed.
std::vector<std::string> sortedNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
  ::closedir(dir);
  std::sort(names.begin(), names.end());  // a stable order, whatever the file system's
  return names;
}

std::u32string orderKey(const LaunchItem& item) { return lowercasedForComparison(item.ownerName.value_or(item.label)); }

LaunchItemRemoval removeSharedItem(const LaunchItem& item, const LaunchItemContext& context) {
  using Status = PrivilegedResult::Status;
  if (!context.runPrivileged) return {std::string(kCouldNotRemoveMessage), std::nullopt};
  // As in one shell running both commands, a failed unload does not stop the move; a dismissed
  // dialog stops everything.
  const auto unloaded =
      context.runPrivileged({kLaunchctlPath, "bootout", launchdDomain(item.scope, context.uid), item.path});
  if (unloaded.status == Status::cancelled) return {std::string(kCancelledMessage), std::nullopt};
  return trashLaunchFileAsAdministrator(item.path, context);
}

}  // namespace

const char* rawValue(LaunchItem::Scope scope) {
  switch (scope) {
    case LaunchItem::Scope::userAgent: return "userAgent";
    case LaunchItem::Scope::systemAgent: return "systemAgent";
    case LaunchItem::Scope::systemDaemon: return "systemDaemon";
  }
  return "";
}

std::optional<LaunchItem::Scope> launchItemScopeFromRaw(std::string_view raw) {
  for (LaunchItem::Scope scope : kAllLaunchItemScopes)
    if (raw == rawValue(scope)) return scope;
  return std::nullopt;
}

const char* title(LaunchItem::Scope scope) {
  switch (scope) {
    case LaunchItem::Scope::userAgent: return "Your login items";
    case LaunchItem::Scope::systemAgent: return "Login items for all users";
    case LaunchItem::Scope::systemDaemon: return "Services";
  }
  return "";
}

LaunchItemContext LaunchItemContext::forHome(const std::string& home) { return forPlaces(Places::forHome(home)); }

LaunchItemContext LaunchItemContext::forPlaces(const Places& places) {
  const std::string& home = places.home;
  LaunchItemContext context;
  context.home = home;
  context.uid = ::getuid();
  context.folders = {context.home + "/Library/LaunchAgents", "/Library/LaunchAgents", "/Library/LaunchDaemons"};
  context.applicationPath = [provider = LocalCloudProvider(home)](const std::string& identifier) {
    return provider.applicationPath(identifier);
  };
  context.runProcess = [](const std::vector<std::string>& argv) {
    return tolvex::runProcess(argv, ProcessOptions{.timeoutSeconds = kLaunchctlTimeoutSeconds});
  };
  context.runPrivileged = [](const std::vector<std::string>& argv) { return tolvex::runPrivileged(argv); };
  addLinuxSources(context, places);
  return context;
}

std::optional<LaunchItem> LaunchItem::fromPlist(const std::string& path, Scope scope,
                                                const LaunchItemContext& context) {
  const auto plist = PropertyList::readFile(path);
  if (!plist) return std::nullopt;
  LaunchItem item;
  item.path = path;
  item.scope = scope;
  item.label = plist->string("Label").value_or(nameWithoutExtension(path));
  item.program = plist->string("Program");
  if (!item.program) {
    auto arguments = plist->strings("ProgramArguments");
    if (arguments && !arguments->empty()) item.program = std::move(arguments->front());
  }
  item.runAtLoad = plist->boolean("RunAtLoad").value_or(false);
  item.keepAlive = plist->boolean("KeepAlive").value_or(plist->hasDictionary("KeepAlive"));

  if (const auto app = item.program ? item.program->find(".app/") : std::string::npos; app != std::string::npos)
    item.ownerPath = item.program->substr(0, app) + ".app";
  else if (context.applicationPath)
    item.ownerPath = context.applicationPath(item.label);
  if (item.ownerPath) item.ownerName = nameWithoutExtension(*item.ownerPath);

  item.isOrphan = item.program && item.program->starts_with('/') && nothingExistsAt(*item.program);
  item.modified = launchFileModificationDate(path);
  return item;
}

std::vector<LaunchItem> loadLaunchItems(const LaunchItemContext& context) {
  std::vector<LaunchItem> items;
  for (LaunchItem::Scope scope : kAllLaunchItemScopes) {
    const std::string& folder = context.folder(scope);
    for (const std::string& name : sortedNames(folder)) {
      if (!name.ends_with(".plist")) continue;
      if (auto item = LaunchItem::fromPlist(appendPath(folder, name), scope, context))
        items.push_back(std::move(*item));
    }
  }
  for (LaunchItem& item : loadLinuxLaunchItems(context)) items.push_back(std::move(item));
  std::stable_sort(items.begin(), items.end(), launchItemOrder);
  return items;
}

bool launchItemOrder(const LaunchItem& a, const LaunchItem& b) {
  if (a.isOrphan != b.isOrphan) return a.isOrphan;
  return orderKey(a) < orderKey(b);
}

std::string launchItemRemovedMessage(const std::string& name) {
  return "\u201C" + name + "\u201D won't start automatically any more. Its file is in the Trash.";
}

bool isSupportedLaunchItemPath(std::string_view path) {
  constexpr std::string_view kSuffix = ".plist";
  if (path.size() <= kSuffix.size() || !path.ends_with(kSuffix)) return false;
  if (path.find("..") != std::string_view::npos) return false;
  return std::all_of(path.begin(), path.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("._@+/ -").find(c) != std::string_view::npos;
  });
}

std::string launchdDomain(LaunchItem::Scope scope, uid_t uid) {
  if (scope == LaunchItem::Scope::systemDaemon) return "system";
  return "gui/" + std::to_string(uid);
}

std::string launchItemRemovalScript(const LaunchItem& item, uid_t uid, const std::string& home) {
  const std::string command = std::string(kLaunchctlPath) + " bootout " + launchdDomain(item.scope, uid) + " '" +
                              item.path + "'; /bin/mv '" + item.path + "' '" + home + "/.Trash/" + "'";
  return "do shell script \"" + command + "\" with administrator privileges";
}

std::optional<std::string> removeLaunchItem(const LaunchItem& item, const LaunchItemContext& context) {
  return performLaunchItemRemoval(item, context).failure;
}

LaunchItemRemoval performLaunchItemRemoval(const LaunchItem& item, const LaunchItemContext& context) {
  if (!item.path.ends_with(".plist")) return removeLinuxLaunchItem(item, context);
  if (!isSupportedLaunchItemPath(item.path)) return {std::string(kUnsupportedFileNameMessage), std::nullopt};
  if (item.scope != LaunchItem::Scope::userAgent) return removeSharedItem(item, context);
  // Whether the job was loaded at all does not matter: the file goes either way.
  if (context.runProcess)
    context.runProcess({kLaunchctlPath, "bootout", launchdDomain(item.scope, context.uid), item.path});
  return trashLaunchFile(item.path, context);
}

void openLoginItemsSettings(const std::function<void(const std::string& url)>& openURL) {
  if (openURL) openURL(kLoginItemsSettingsURL);
}

}  // namespace tolvex
