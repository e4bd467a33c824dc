#include "system/LinuxLaunchItem.h"

#include <algorithm>
#include <cstdlib>
#include <cerrno>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "engines/Deleter.h"
#include "platform/FolderListing.h"
#include "platform/Identifiers.h"
#include "platform/KeyedFile.h"
#include "platform/Paths.h"
#include "platform/Trash.h"

namespace tolvex {

namespace {

using Scope = LaunchItem::Scope;

constexpr std::string_view kEntryGroup = "Desktop Entry";
constexpr std::string_view kDesktopSuffix = ".desktop";
constexpr std::string_view kServiceSuffix = ".service";
// systemctl answers at once; one that hangs must not hold the removal for ever.
constexpr double kSystemctlTimeoutSeconds = 60;
// How deep below an applications folder entries are looked for ("kde4/x.desktop" is "kde4-x.desktop").
constexpr int kApplicationFolderDepth = 3;

bool isEnvironmentAssignment(std::string_view word) {
  const auto equals = word.find('=');
  if (equals == 0 || equals == std::string_view::npos) return false;
  return std::all_of(word.begin(), word.begin() + static_cast<std::ptrdiff_t>(equals), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  });
}

// The words after `env`'s options and assignments, starting at the program.
size_t skipEnv(const std::vector<std::string>& words, size_t i) {
  ++i;  // "env" itself
  while (i < words.size()) {
    const std::string& word = words[i];
    if (word == "--") return i + 1;
    if (word == "-u" || word == "--unset" || word == "-C" || word == "--chdir") {
      i += 2;
    } else if (word.starts_with('-') || isEnvironmentAssignment(word)) {
      ++i;
    } else {
      break;
    }
  }
  return i;
}

// The id `flatpak run` starts, from the words after "run".
std::optional<std::string> flatpakRunId(const std::vector<std::string>& words, size_t i) {
  static const std::set<std::string> kTakesValue = {"--command", "--branch",  "--arch",
                                                    "--cwd",     "--runtime", "--runtime-version"};
  for (; i < words.size(); ++i) {
    if (kTakesValue.count(words[i])) {
      ++i;
    } else if (!words[i].starts_with('-')) {
      return words[i];
    }
  }
  return std::nullopt;
}

std::optional<LaunchCommand> commandOfWords(const std::vector<std::string>& words) {
  size_t i = 0;
  while (i < words.size() && isEnvironmentAssignment(words[i])) ++i;
  if (i < words.size() && lastPathComponent(words[i]) == "env") i = skipEnv(words, i);
  if (i >= words.size() || words[i].empty()) return std::nullopt;
  LaunchCommand command{words[i], std::nullopt};
  if (lastPathComponent(words[i]) == "flatpak" && i + 1 < words.size() && words[i + 1] == "run")
    command.flatpakId = flatpakRunId(words, i + 2);
  return command;
}

bool hasSuffix(std::string_view name, std::string_view suffix) {
  return name.size() > suffix.size() && name.ends_with(suffix);
}

bool isKnownFolder(const std::string& folder, const std::vector<std::string>& folders) {
  return !folder.empty() && std::find(folders.begin(), folders.end(), folder) != folders.end();
}

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The absolute folders of a ":"-separated variable, else `fallback` when it is unset or holds none.
std::vector<std::string> environmentFolders(const char* variable, std::vector<std::string> fallback) {
  std::vector<std::string> folders;
  const char* value = std::getenv(variable);
  std::string_view rest = value ? value : "";
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const std::string_view piece = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (!piece.starts_with('/')) continue;  // a relative folder would depend on where we were started
    std::string folder = withoutTrailingSlashes(piece);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(std::move(folder));
  }
  return folders.empty() ? fallback : folders;
}

// ---- Owners ---------------------------------------------------------------------------------------

struct DesktopApplication {
  std::string name;
  std::string path;
  std::optional<std::string> program;  // as its Exec resolves through the search path
};

// A bare program's place in the search path, a path as it is.
std::optional<std::string> resolvedProgram(const std::string& program, const std::vector<std::string>& searchPath) {
  if (program.find('/') != std::string::npos) return program;
  for (const std::string& folder : searchPath) {
    const std::string candidate = appendPath(folder, program);
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// The installed applications' desktop entries by desktop ID, the first folder's winning; hidden and
// undisplayed entries are not applications a user would recognise.
class ApplicationIndex {
 public:
  explicit ApplicationIndex(const LaunchItemContext& context) : searchPath_(context.searchPath) {
    for (const std::string& folder : context.applicationFolders) add(folder, "", 0);
  }

  const DesktopApplication* byId(const std::string& desktopId) const {
    const auto found = byId_.find(desktopId);
    return found == byId_.end() ? nullptr : &found->second;
  }

  const DesktopApplication* byProgram(const std::string& program) const {
    const auto resolved = resolvedProgram(program, searchPath_);
    if (!resolved) return nullptr;
    for (const std::string& id : order_) {
      const DesktopApplication& app = byId_.at(id);
      if (app.program == resolved) return &app;
    }
    return nullptr;
  }

 private:
  void add(const std::string& folder, const std::string& prefix, int depth) {
    const auto names = folderNames(folder);
    if (!names) return;
    for (const std::string& name : *names) {
      const std::string path = appendPath(folder, name);
      struct stat st {};
      if (::stat(path.c_str(), &st) != 0) continue;
      if (S_ISDIR(st.st_mode)) {
        if (depth + 1 < kApplicationFolderDepth) add(path, prefix + name + "-", depth + 1);
        continue;
      }
      const std::string id = prefix + name;
      if (!hasSuffix(name, kDesktopSuffix) || byId_.count(id)) continue;
      const auto entry = KeyedFile::read(path);
      if (!entry || !entry->hasGroup(kEntryGroup)) continue;
      DesktopApplication app{unescapeDesktopString(entry->value(kEntryGroup, "Name").value_or("")), path, {}};
      const bool hidden = entry->boolean(kEntryGroup, "Hidden").value_or(false) ||
                          entry->boolean(kEntryGroup, "NoDisplay").value_or(false);
      // The first entry of an ID decides, even a hidden one: it hides the later ones.
      if (hidden || app.name.empty() || entry->value(kEntryGroup, "Type").value_or("") != "Application") {
        byId_.emplace(id, DesktopApplication{});
        continue;
      }
      if (const auto exec = entry->value(kEntryGroup, "Exec"))
        if (const auto command = launchCommandOfExec(*exec))
          app.program = resolvedProgram(command->program, searchPath_);
      byId_.emplace(id, std::move(app));
      order_.push_back(id);
    }
  }

  std::vector<std::string> searchPath_;
  std::map<std::string, DesktopApplication> byId_;
  std::vector<std::string> order_;  // the listed applications, in look-up order
};

// The owner of an item: the application of the same desktop ID, else of its Flatpak, else the one
// whose program this is.
void assignOwner(LaunchItem& item, const std::optional<std::string>& desktopId,
                 const std::optional<LaunchCommand>& command, const ApplicationIndex& apps) {
  const DesktopApplication* app = nullptr;
  if (desktopId) app = apps.byId(*desktopId);
  if ((!app || app->name.empty()) && command && command->flatpakId)
    app = apps.byId(*command->flatpakId + std::string(kDesktopSuffix));
  if ((!app || app->name.empty()) && command) app = apps.byProgram(command->program);
  if (!app || app->name.empty()) return;
  item.ownerName = app->name;
  item.ownerPath = app->path;
}

bool commandIsGone(const std::optional<LaunchCommand>& command, const LaunchItemContext& context) {
  if (!command) return false;
  if (command->flatpakId && !flatpakIsInstalled(*command->flatpakId, context.flatpakInstallations)) return true;
  return programIsGone(command->program, context.searchPath);
}

// ---- Autostart entries ------------------------------------------------------------------------------

std::optional<LaunchItem> autostartItem(const std::string& path, Scope scope, const LaunchItemContext& context,
                                        const ApplicationIndex& apps) {
  const auto entry = KeyedFile::read(path);
  if (!entry || !entry->hasGroup(kEntryGroup)) return std::nullopt;
  const std::string name = lastPathComponent(path);
  LaunchItem item;
  item.path = path;
  item.scope = scope;
  item.label = name.substr(0, name.size() - kDesktopSuffix.size());
  std::optional<LaunchCommand> command;
  if (const auto exec = entry->value(kEntryGroup, "Exec")) command = launchCommandOfExec(*exec);
  if (command) item.program = command->program;
  item.runAtLoad = !entry->boolean(kEntryGroup, "Hidden").value_or(false) &&
                   entry->boolean(kEntryGroup, "X-GNOME-Autostart-enabled").value_or(true);
  assignOwner(item, name, command, apps);
  const auto tryExec = entry->value(kEntryGroup, "TryExec");
  item.isOrphan = commandIsGone(command, context) ||
                  (tryExec && !tryExec->empty() && programIsGone(unescapeDesktopString(*tryExec), context.searchPath));
  item.modified = launchFileModificationDate(path);
  return item;
}

void addAutostartItems(const std::string& folder, Scope scope, const LaunchItemContext& context,
                       const ApplicationIndex& apps, std::set<std::string>& seenNames, std::vector<LaunchItem>& items) {
  if (folder.empty()) return;
  const auto names = folderNames(folder);
  if (!names) return;
  for (const std::string& name : *names) {
    if (!hasSuffix(name, kDesktopSuffix)) continue;
    // An entry of the same name earlier in the order (the user's, or an earlier shared folder's)
    // replaces this one, even where that entry is hidden or cannot be read.
    if (!seenNames.insert(name).second) continue;
    if (auto item = autostartItem(appendPath(folder, name), scope, context, apps)) items.push_back(std::move(*item));
  }
}

// ---- Units ----------------------------------------------------------------------------------------

// "foo@bar.service" -> "foo@.service"; none for a name that is not an instance.
std::optional<std::string> templateOf(const std::string& unit) {
  const auto at = unit.find('@');
  if (at == std::string::npos || !hasSuffix(unit, kServiceSuffix)) return std::nullopt;
  std::string name = unit.substr(0, at + 1) + std::string(kServiceSuffix);
  if (name == unit) return std::nullopt;
  return name;
}

bool isTemplate(std::string_view unit) { return unit.ends_with(std::string("@") + std::string(kServiceSuffix)); }

bool isDependencyFolderName(std::string_view name) {
  return hasSuffix(name, ".wants") || hasSuffix(name, ".requires") || hasSuffix(name, ".upholds");
}

struct Enablement {
  std::string name;    // the name enabled (an instance of a template included)
  std::string target;  // the link's target as written, when the entry is a link
};

// Every unit enabled in `folders`: the entries of their "*.wants", "*.requires" and "*.upholds" folders.
std::vector<Enablement> enablements(const std::vector<std::string>& folders) {
  std::vector<Enablement> found;
  for (const std::string& folder : folders) {
    const auto names = folderNames(folder);
    if (!names) continue;
    for (const std::string& dependency : *names) {
      if (!isDependencyFolderName(dependency)) continue;
      const std::string dependencyFolder = appendPath(folder, dependency);
      const auto units = folderNames(dependencyFolder);
      if (!units) continue;
      for (const std::string& unit : *units) {
        if (!hasSuffix(unit, kServiceSuffix) || isGeneratedAutostartUnit(unit)) continue;
        char target[4096];
        const ssize_t length = ::readlink(appendPath(dependencyFolder, unit).c_str(), target, sizeof target);
        found.push_back({unit, length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string()});
      }
    }
  }
  return found;
}

// The names under which a unit file is enabled: its own, or its template's instances.
std::vector<std::string> enabledNames(const std::string& unitFile, const std::vector<Enablement>& enabled) {
  std::vector<std::string> names;
  for (const Enablement& e : enabled) {
    if (e.name != unitFile && templateOf(e.name) != unitFile) continue;
    if (std::find(names.begin(), names.end(), e.name) == names.end()) names.push_back(e.name);
  }
  return names;
}

std::optional<LaunchItem> unitItem(const std::string& path, Scope scope, const LaunchItemContext& context,
                                   const ApplicationIndex& apps) {
  const auto unit = KeyedFile::read(path);
  if (!unit) return std::nullopt;
  LaunchItem item;
  item.path = path;
  item.scope = scope;
  item.label = lastPathComponent(path);
  // An empty ExecStart= clears the ones before it.
  std::optional<LaunchCommand> command;
  std::vector<std::string> starts = unit->values("Service", "ExecStart");
  if (const auto reset = std::find(starts.rbegin(), starts.rend(), std::string()); reset != starts.rend())
    starts.erase(starts.begin(), reset.base());
  if (!starts.empty()) command = launchCommandOfExecStart(starts.front());
  if (command) item.program = command->program;
  item.runAtLoad = true;  // only enabled units are listed
  const std::string restart = unit->value("Service", "Restart").value_or("no");
  item.keepAlive = !restart.empty() && restart != "no";
  assignOwner(item, std::nullopt, command, apps);
  item.isOrphan = commandIsGone(command, context);
  item.modified = launchFileModificationDate(path);
  return item;
}

// The user's enabled units: each name in the user's dependency folders, read from the user's unit
// folder when it is there, else from where the link points.
void addUserUnits(const LaunchItemContext& context, const ApplicationIndex& apps, std::vector<LaunchItem>& items) {
  if (context.userUnitFolder.empty()) return;
  std::set<std::string> seen;
  for (const Enablement& e : enablements({context.userUnitFolder})) {
    std::vector<std::string> candidates = {appendPath(context.userUnitFolder, e.name)};
    if (const auto base = templateOf(e.name)) candidates.push_back(appendPath(context.userUnitFolder, *base));
    if (e.target.starts_with('/')) candidates.push_back(e.target);
    // The first file there decides; a masked unit (a link to /dev/null) cannot be read and is left out.
    for (const std::string& candidate : candidates) {
      struct stat st {};
      if (::lstat(candidate.c_str(), &st) != 0) continue;
      if (seen.insert(candidate).second)
        if (auto item = unitItem(candidate, Scope::userAgent, context, apps)) items.push_back(std::move(*item));
      break;
    }
  }
}

// Whether a unit file's entry in a system folder is the unit itself: a regular file, or a link to a
// file outside the distribution's and these folders (a linked unit). Links to /dev/null (masked) and
// aliases of other units are not.
bool isOwnSystemUnit(const std::string& path, const LaunchItemContext& context) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (S_ISREG(st.st_mode)) return true;
  if (!S_ISLNK(st.st_mode)) return false;
  char buffer[4096];
  const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
  if (length <= 0) return false;
  std::string target(buffer, static_cast<size_t>(length));
  if (!target.starts_with('/')) target = appendPath(parentPath(path), target);
  if (target == "/dev/null") return false;
  for (const std::string& vendor : context.vendorUnitFolders)
    if (isInside(target, vendor)) return false;
  for (const std::string& folder : context.systemUnitFolders)
    if (isInside(target, folder)) return false;
  return true;
}

void addSystemUnits(const LaunchItemContext& context, const ApplicationIndex& apps, std::vector<LaunchItem>& items) {
  const std::vector<Enablement> enabled = enablements(context.systemUnitFolders);
  std::set<std::string> seenNames;
  for (const std::string& folder : context.systemUnitFolders) {
    const auto names = folderNames(folder);
    if (!names) continue;
    for (const std::string& name : *names) {
      if (!hasSuffix(name, kServiceSuffix) || isGeneratedAutostartUnit(name)) continue;
      if (!seenNames.insert(name).second) continue;  // the earlier folder's file replaces it
      const std::string path = appendPath(folder, name);
      if (!isOwnSystemUnit(path, context) || enabledNames(name, enabled).empty()) continue;
      if (auto item = unitItem(path, Scope::systemDaemon, context, apps)) items.push_back(std::move(*item));
    }
  }
}

// ---- Removal --------------------------------------------------------------------------------------

enum class Kind { none, userEntry, userUnit, sharedEntry, service };

bool isSupportedLinuxPath(std::string_view path) {
  if (path.find("..") != std::string_view::npos || !path.starts_with('/')) return false;
  if (!hasSuffix(lastPathComponent(path), kDesktopSuffix) && !hasSuffix(lastPathComponent(path), kServiceSuffix))
    return false;
  return std::all_of(path.begin(), path.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("._@+/ -:").find(c) != std::string_view::npos;
  });
}

Kind kindOf(const LaunchItem& item, const LaunchItemContext& context) {
  const std::string folder = parentPath(item.path);
  const std::string name = lastPathComponent(item.path);
  const bool entry = hasSuffix(name, kDesktopSuffix);
  const bool unit = hasSuffix(name, kServiceSuffix);
  switch (item.scope) {
    case Scope::userAgent:
      if (entry && folder == context.userAutostartFolder && !folder.empty()) return Kind::userEntry;
      // A user's unit may be read from where its enabling link points.
      if (unit && !context.userUnitFolder.empty()) return Kind::userUnit;
      return Kind::none;
    case Scope::systemAgent:
      return entry && isKnownFolder(folder, context.sharedAutostartFolders) ? Kind::sharedEntry : Kind::none;
    case Scope::systemDaemon:
      return unit && isKnownFolder(folder, context.systemUnitFolders) ? Kind::service : Kind::none;
  }
  return Kind::none;
}

int64_t allocatedSize(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return 0;
  return static_cast<int64_t>(st.st_blocks) * 512;
}

HistoryEntry trashRecord(const std::string& path, double date, int64_t size, std::string trashPath) {
  return HistoryEntry{makeUUID(), date, path, std::move(trashPath), size, false};
}

// The names systemctl is given for a unit file: its own and, for a template, the instances enabled.
std::vector<std::string> unitNamesToStop(const std::string& unitFile, const std::vector<std::string>& folders) {
  std::vector<std::string> names = enabledNames(unitFile, enablements(folders));
  if (!isTemplate(unitFile) && std::find(names.begin(), names.end(), unitFile) == names.end())
    names.insert(names.begin(), unitFile);
  return names;
}

bool allSupportedUnitNames(const std::vector<std::string>& names) {
  return !names.empty() &&
         std::all_of(names.begin(), names.end(), [](const std::string& n) { return isSupportedUnitName(n); });
}

std::vector<std::string> systemctlArguments(std::vector<std::string> command, const std::vector<std::string>& names) {
  command.insert(command.end(), {"disable", "--now", "--"});
  command.insert(command.end(), names.begin(), names.end());
  return command;
}

LaunchItemRemoval removeUserUnit(const LaunchItem& item, const LaunchItemContext& context) {
  const std::vector<std::string> names = unitNamesToStop(lastPathComponent(item.path), {context.userUnitFolder});
  if (!allSupportedUnitNames(names)) return {std::string(kUnsupportedFileNameMessage), std::nullopt};
  if (!context.runProcess) return {std::string(kCouldNotRemoveMessage), std::nullopt};
  const auto result = context.runProcess(systemctlArguments({kSystemctlPath, "--user"}, names));
  if (!result || result->exitStatus != 0) {
    std::string why = result ? result->errorOutput : std::string();
    while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
    return {why.empty() ? std::string(kCouldNotRemoveMessage) : why, std::nullopt};
  }
  if (parentPath(item.path) == context.userUnitFolder && isRegularFile(item.path))
    return trashLaunchFile(item.path, context);
  return {};
}

LaunchItemRemoval removeService(const LaunchItem& item, const LaunchItemContext& context) {
  const std::vector<std::string> names = unitNamesToStop(lastPathComponent(item.path), context.systemUnitFolders);
  if (!allSupportedUnitNames(names)) return {std::string(kUnsupportedFileNameMessage), std::nullopt};
  if (!context.runPrivileged) return {std::string(kCouldNotRemoveMessage), std::nullopt};
  const auto stopped = privilegedOutcomeMessage(context.runPrivileged(systemctlArguments({kSystemctlPath}, names)),
                                                kCouldNotRemoveMessage);
  if (stopped) return {stopped, std::nullopt};
  const bool administratorsOwn = parentPath(item.path) == context.systemUnitFolders.front();
  if (administratorsOwn && isRegularFile(item.path)) return trashLaunchFileAsAdministrator(item.path, context);
  return {};
}

}  // namespace

bool nothingExistsAt(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return false;
  return errno == ENOENT || errno == ENOTDIR;
}

std::optional<double> launchFileModificationDate(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<double>(st.st_mtim.tv_sec) + static_cast<double>(st.st_mtim.tv_nsec) / 1e9;
}

std::optional<LaunchCommand> launchCommandOfExec(std::string_view exec) {
  const auto words = splitCommandLine(unescapeDesktopString(exec));
  if (!words) return std::nullopt;
  return commandOfWords(*words);
}

std::optional<LaunchCommand> launchCommandOfExecStart(std::string_view execStart) {
  auto words = splitCommandLine(execStart);
  if (!words || words->empty()) return std::nullopt;
  std::string& first = words->front();
  const auto start = first.find_first_not_of("@-:+!");
  if (start == std::string::npos) return std::nullopt;
  first.erase(0, start);
  return commandOfWords(*words);
}

bool programIsGone(const std::string& program, const std::vector<std::string>& searchPath) {
  if (program.empty()) return false;
  if (program.find('/') != std::string::npos) return nothingExistsAt(program);
  if (searchPath.empty()) return false;  // nowhere to look: nothing can be said
  return std::all_of(searchPath.begin(), searchPath.end(),
                     [&](const std::string& folder) { return nothingExistsAt(appendPath(folder, program)); });
}

bool flatpakIsInstalled(const std::string& id, const std::vector<std::string>& installations) {
  if (id.empty() || id.find('/') != std::string::npos || id == "." || id == "..") return false;
  return std::any_of(installations.begin(), installations.end(), [&](const std::string& installation) {
    return !nothingExistsAt(installation + "/app/" + id + "/current/active");
  });
}

std::vector<LaunchItem> loadLinuxLaunchItems(const LaunchItemContext& context) {
  std::vector<LaunchItem> items;
  const ApplicationIndex apps(context);
  // Your login items.
  std::set<std::string> userNames;
  addAutostartItems(context.userAutostartFolder, Scope::userAgent, context, apps, userNames, items);
  addUserUnits(context, apps, items);
  // Login items for all users: the user's entries (their names are in `userNames` now) replace the
  // shared ones of the same name, even those that could not be read.
  for (const std::string& folder : context.sharedAutostartFolders)
    addAutostartItems(folder, Scope::systemAgent, context, apps, userNames, items);
  // Services.
  addSystemUnits(context, apps, items);
  return items;
}

void addLinuxSources(LaunchItemContext& context, const Places& places) {
  context.userAutostartFolder = appendPath(places.configHome, "autostart");
  for (const std::string& folder : environmentFolders("XDG_CONFIG_DIRS", {"/etc/xdg"}))
    context.sharedAutostartFolders.push_back(appendPath(folder, "autostart"));
  context.userUnitFolder = appendPath(places.configHome, "systemd/user");
  context.systemUnitFolders = {"/etc/systemd/system", "/usr/local/lib/systemd/system"};
  context.vendorUnitFolders = {"/usr/lib/systemd", "/lib/systemd"};
  std::vector<std::string> dataFolders = {places.dataHome};
  for (std::string& folder : environmentFolders("XDG_DATA_DIRS", {"/usr/local/share", "/usr/share"}))
    dataFolders.push_back(std::move(folder));
  for (const std::string& known :
       {appendPath(places.dataHome, "flatpak/exports/share"), std::string("/var/lib/flatpak/exports/share"),
        std::string("/var/lib/snapd/desktop")})
    if (std::find(dataFolders.begin(), dataFolders.end(), known) == dataFolders.end()) dataFolders.push_back(known);
  for (const std::string& folder : dataFolders)
    context.applicationFolders.push_back(appendPath(folder, "applications"));
  context.searchPath = environmentFolders("PATH", {"/usr/local/bin", "/usr/bin", "/bin"});
  context.flatpakInstallations = {appendPath(places.dataHome, "flatpak"), "/var/lib/flatpak"};
  context.clock = nowSince1970;
}

LaunchItemRemoval trashLaunchFile(const std::string& path, const LaunchItemContext& context) {
  const double date = context.clock ? context.clock() : nowSince1970();
  const int64_t size = allocatedSize(path);
  const TrashMove moved = moveToTrash(path, date);
  if (moved.error) return {failureReason(moved.error), std::nullopt};
  return {std::nullopt, trashRecord(path, date, size, moved.trashPath)};
}

LaunchItemRemoval trashLaunchFileAsAdministrator(const std::string& path, const LaunchItemContext& context) {
  if (!context.runPrivileged) return {std::string(kCouldNotRemoveMessage), std::nullopt};
  // The administrator's move dates its .trashinfo itself, at this moment.
  const double date = context.clock ? context.clock() : nowSince1970();
  const int64_t size = allocatedSize(path);
  std::string trashPath;
  auto failure = privilegedOutcomeMessage(moveToTrashAsAdministrator(path, context.runPrivileged, &trashPath),
                                          kCouldNotRemoveMessage);
  if (failure) return {std::move(failure), std::nullopt};
  return {std::nullopt, trashRecord(path, date, size, trashPath)};
}

bool isGeneratedAutostartUnit(std::string_view unitName) {
  return unitName.starts_with("app-") && unitName.find("@autostart.") != std::string_view::npos;
}

bool isSupportedUnitName(std::string_view name) {
  if (!hasSuffix(name, kServiceSuffix) || name.size() > 255 || name.starts_with('-') || name.starts_with('.'))
    return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view(":_.@-").find(c) != std::string_view::npos;
  });
}

bool isLinuxLaunchItem(const LaunchItem& item, const LaunchItemContext& context) {
  return kindOf(item, context) != Kind::none;
}

LaunchItemRemoval removeLinuxLaunchItem(const LaunchItem& item, const LaunchItemContext& context) {
  const Kind kind = kindOf(item, context);
  if (kind == Kind::none || !isSupportedLinuxPath(item.path))
    return {std::string(kUnsupportedFileNameMessage), std::nullopt};
  switch (kind) {
    case Kind::userEntry: return trashLaunchFile(item.path, context);
    case Kind::userUnit: return removeUserUnit(item, context);
    case Kind::sharedEntry: return trashLaunchFileAsAdministrator(item.path, context);
    case Kind::service: return removeService(item, context);
    case Kind::none: break;
  }
  return {std::string(kUnsupportedFileNameMessage), std::nullopt};
}

}  // namespace tolvex
