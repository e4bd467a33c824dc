#include "system/DesktopApps.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "platform/DesktopFiles.h"
#include "platform/FileDates.h"
#include "platform/FolderListing.h"
#include "platform/ParallelFor.h"
#include "platform/Paths.h"
#include "platform/UnicodeText.h"

namespace tolvex {

namespace DesktopInventory {

namespace {

// Records are measured in parallel, but each one mostly waits on the disk.
constexpr unsigned kReaderThreads = 8;
// A name shorter than this says too little to tie a folder to an application.
constexpr size_t kShortestNameKey = 4;

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string withoutDesktopSuffix(const std::string& id) {
  return id.ends_with(".desktop") ? id.substr(0, id.size() - 8) : id;
}

bool endsWithAppImage(const std::string& path) { return asciiLowercased(path).ends_with(".appimage"); }

// Interpreters and launchers run many applications: a running one says nothing about which.
bool isSharedProgram(const std::string& path) {
  static const std::set<std::string> shared = {"sh",     "bash",  "dash",  "zsh",  "env",      "python",
                                               "python3", "perl", "java",  "mono", "wine",     "flatpak",
                                               "snap",   "xdg-open", "gio", "gtk-launch", "kioclient5"};
  return shared.contains(lastPathComponent(path));
}

std::optional<std::string> realPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (!::realpath(path.c_str(), resolved)) return std::nullopt;
  return std::string(resolved);
}

void addKey(std::vector<std::string>& keys, const std::string& name) {
  if (characterCount(name) < kShortestNameKey) return;
  std::string folded = foldCase(name);
  if (std::find(keys.begin(), keys.end(), folded) == keys.end()) keys.push_back(std::move(folded));
}

DesktopApp classify(const DesktopFile& file, const std::vector<std::string>& copies, const DesktopSources& sources,
                    const DpkgDatabase& dpkg) {
  const DesktopEntry& entry = file.entry;
  DesktopApp app;
  app.desktopID = file.id;
  app.entryPath = file.path;
  const std::string stem = withoutDesktopSuffix(file.id);
  app.name = entry.localeString("Name", sources.localeCandidates).value_or("");
  if (app.name.empty()) app.name = stem;
  if (auto icon = entry.string("Icon"); icon && icon->find('/') == std::string::npos) app.icon = *icon;

  std::optional<std::string> execName;
  if (auto exec = entry.string("Exec"))
    if (auto arguments = execArguments(*exec)) execName = execProgram(*arguments);
  std::optional<std::string> resolved;
  if (execName)
    if (auto found = findProgram(*execName, sources.programPath)) resolved = realPath(*found);

  const auto exports = sources.flatpakExports();
  const std::optional<std::string> flatpakId = entry.string("X-Flatpak");
  const std::optional<std::string> snapName = entry.string("X-SnapInstanceName");
  if ((flatpakId && !flatpakId->empty()) || std::find(exports.begin(), exports.end(), file.dataDir) != exports.end()) {
    app.kind = AppKind::flatpak;
    app.source = flatpakId && !flatpakId->empty() ? *flatpakId : stem;
    app.path = flatpakDeployFolder(sources, app.source).value_or(file.path);
    app.bundleID = app.source;
  } else if ((snapName && !snapName->empty()) || file.dataDir == sources.snapDesktop()) {
    // snapd names its entries "<snap>_<app>.desktop".
    app.kind = AppKind::snap;
    app.source = snapName && !snapName->empty() ? *snapName : stem.substr(0, stem.find('_'));
    app.path = appendPath(sources.snapMount, app.source);
    app.bundleID = app.source;
  } else if ((execName && endsWithAppImage(*execName)) || entry.hasKeyWithPrefix("X-AppImage-")) {
    app.kind = AppKind::appImage;
    // The file itself even when it lost its execute permission: it is still this application.
    std::optional<std::string> image = resolved;
    if (!image && execName && execName->starts_with('/')) image = realPath(*execName);
    app.path = image && isRegularFile(*image) ? *image : file.path;
    app.bundleID = entry.string("X-AppImage-Name").value_or(stem);
    if (app.bundleID.empty()) app.bundleID = stem;
    app.version = entry.string("X-AppImage-Version");
    app.program = image;
  } else {
    // A user's copy of a packaged entry is still the package's application.
    std::optional<std::string> owner;
    for (const std::string& copy : copies)
      if (!owner) owner = dpkg.ownerOf(copy);
    app.kind = owner ? AppKind::systemPackage : AppKind::handInstalled;
    app.path = file.path;
    app.bundleID = stem;
    if (owner) {
      app.source = *owner;
      if (auto package = dpkg.installed(*owner)) app.version = package->version;
    }
    app.everyUser = !owner && !isInside(file.path, sources.home);
    if (resolved && !isSharedProgram(*resolved)) app.program = resolved;
  }

  addKey(app.nameKeys, stem);
  if (const size_t dot = stem.rfind('.'); dot != std::string::npos) addKey(app.nameKeys, stem.substr(dot + 1));
  if (auto startupClass = entry.string("StartupWMClass")) addKey(app.nameKeys, *startupClass);
  if (execName && !isSharedProgram(*execName)) {
    std::string base = lastPathComponent(*execName);
    if (endsWithAppImage(base)) base.resize(base.size() - 9);
    addKey(app.nameKeys, base);
  }
  addKey(app.nameKeys, app.icon);
  if (app.kind == AppKind::appImage) addKey(app.nameKeys, app.bundleID);
  return app;
}

// One name in a folder of the home that an application may keep data in.
struct HomeEntry {
  std::string path;
  std::string key;  // the folded name this entry stands for
  std::string label;
};

// The home's own dot folders and the desktop's: not any one application's data.
bool isStandardDotName(const std::string& folded) {
  static const std::set<std::string> names = {"local", "config", "cache", "var",  "snap",  "ssh",
                                              "gnupg", "pki",    "dbus",  "gvfs", "themes", "icons",
                                              "fonts", "profile", "bashrc", "bash_history", "bash_logout"};
  return names.contains(folded);
}

std::vector<HomeEntry> homeEntries(const DesktopSources& sources) {
  std::vector<HomeEntry> entries;
  for (const auto& [folder, label] : sources.dataFolders())
    for (const std::string& name : folderNames(folder).value_or(std::vector<std::string>{})) {
      const std::string folded = foldCase(name);
      if (isSharedFolderName(folded)) continue;
      entries.push_back({appendPath(folder, name), folded, label});
      // KDE's settings file "<name>rc" belongs to <name>.
      if (folder == sources.configHome && folded.size() > 2 && folded.ends_with("rc"))
        entries.push_back({appendPath(folder, name), folded.substr(0, folded.size() - 2), label});
    }
  for (const std::string& name : folderNames(sources.home).value_or(std::vector<std::string>{})) {
    if (name.size() < 2 || name[0] != '.') continue;
    const std::string folded = foldCase(name.substr(1));
    if (isSharedFolderName(folded) || isStandardDotName(folded)) continue;
    entries.push_back({appendPath(sources.home, name), folded, "Data"});
  }
  return entries;
}

std::vector<RelatedItem> flatpakData(const DesktopSources& sources, const std::string& id) {
  std::vector<RelatedItem> items;
  if (id.empty() || id.find('/') != std::string::npos || id.front() == '.') return items;
  const std::string folder = appendPath(sources.home, ".var/app/" + id);
  for (const std::string& name : folderNames(folder).value_or(std::vector<std::string>{})) {
    const char* label = name == "cache" ? "Cache" : name == "config" ? "Configuration" : name == "data" ? "Data" : "App data";
    items.push_back({appendPath(folder, name), label, 0});
  }
  return items;
}

void addIcons(const DesktopSources& sources, const std::string& icon, std::vector<RelatedItem>& items) {
  if (icon.empty()) return;
  const std::string theme = appendPath(sources.dataHome, "icons/hicolor");
  for (const std::string& size : folderNames(theme).value_or(std::vector<std::string>{})) {
    const std::string apps = appendPath(appendPath(theme, size), "apps");
    for (const std::string& name : folderNames(apps).value_or(std::vector<std::string>{}))
      if (name.starts_with(icon) && name.size() > icon.size() && name[icon.size()] == '.' &&
          name.find('.', icon.size() + 1) == std::string::npos)
        items.push_back({appendPath(apps, name), "Icon", 0});
  }
}

}  // namespace

bool isSharedFolderName(const std::string& foldedName) {
  static const std::set<std::string> shared = {
      "dconf",       "gtk-2.0",   "gtk-3.0",      "gtk-4.0",      "pulse",         "systemd",
      "fontconfig",  "keyrings",  "mimeapps.list", "user-dirs.dirs", "user-dirs.locale", "recently-used.xbel",
      "trash",       "applications", "icons",     "flatpak",      "gnome-shell",   "autostart",
      "menus",       "mime",      "fonts",        "themes",       "sounds",        "desktop-directories",
      "gvfs-metadata", "ibus",    "tolvex",       "wireplumber",  "pipewire",      "xorg",
      "session",     "sessions",  "thumbnails",   "environment.d", "user-tmp",     "nautilus-actions"};
  return shared.contains(foldedName) || foldedName.starts_with("plasma") || foldedName.starts_with("kde");
}

DesktopSnapshot listApps(const DesktopSources& sources, const DpkgDatabase& dpkg) {
  DesktopSnapshot snapshot;
  const DesktopFileIndex index = readDesktopFiles(sources.dataDirs);
  for (const auto& [id, paths] : index.copies) snapshot.presentIDs.insert(id);
  auto programExists = [&](const std::string& program) { return findProgram(program, sources.programPath).has_value(); };
  std::set<std::string> paths;
  for (const DesktopFile& file : index.files) {
    if (!isShownApplication(file.entry, sources.currentDesktops, programExists)) continue;
    DesktopApp app = classify(file, index.copies.find(file.id)->second, sources, dpkg);
    if (paths.insert(app.path).second) snapshot.apps.push_back(std::move(app));
  }
  // AppImages kept in ~/Applications without a launcher are applications too.
  for (const std::string& name : folderNames(sources.userApplications).value_or(std::vector<std::string>{})) {
    const std::string path = appendPath(sources.userApplications, name);
    if (!endsWithAppImage(name) || name.size() <= 9 || !isRegularFile(path) || paths.contains(path)) continue;
    DesktopApp app;
    app.kind = AppKind::appImage;
    app.path = path;
    app.name = app.bundleID = name.substr(0, name.size() - 9);
    app.program = realPath(path);
    addKey(app.nameKeys, app.name);
    paths.insert(path);
    snapshot.apps.push_back(std::move(app));
  }
  return snapshot;
}

std::vector<std::vector<RelatedItem>> relatedItems(const std::vector<DesktopApp>& apps, const DesktopSources& sources) {
  std::vector<std::vector<RelatedItem>> related(apps.size());
  // Which applications claim each folder of the home, by name.
  const std::vector<HomeEntry> entries = homeEntries(sources);
  std::multimap<std::string, size_t> entriesByKey;
  for (size_t e = 0; e < entries.size(); ++e) entriesByKey.emplace(entries[e].key, e);
  // Path → the applications that claim it and the label it was found under; by path, since KDE's
  // "<name>rc" is found under two names.
  std::map<std::string, std::pair<std::set<size_t>, std::string>> claims;
  for (size_t a = 0; a < apps.size(); ++a) {
    if (apps[a].kind == AppKind::flatpak || apps[a].kind == AppKind::snap) continue;
    for (const std::string& key : apps[a].nameKeys) {
      const auto [first, last] = entriesByKey.equal_range(key);
      for (auto it = first; it != last; ++it) {
        auto& claim = claims[entries[it->second].path];
        claim.first.insert(a);
        claim.second = entries[it->second].label;
      }
    }
  }
  for (const auto& [path, claim] : claims)
    if (claim.first.size() == 1) related[*claim.first.begin()].push_back({path, claim.second, 0});
  // A program that two entries run belongs to neither.
  std::map<std::string, size_t> programUsers;
  for (const DesktopApp& app : apps)
    if (app.program) ++programUsers[*app.program];

  for (size_t a = 0; a < apps.size(); ++a) {
    const DesktopApp& app = apps[a];
    std::vector<RelatedItem>& items = related[a];
    if (app.kind == AppKind::flatpak) {
      items = flatpakData(sources, app.source);
      continue;
    }
    if (app.kind == AppKind::snap) {
      const std::string folder = appendPath(sources.home, "snap/" + app.source);
      if (!app.source.empty() && app.source.find('/') == std::string::npos && isFolder(folder))
        items.push_back({folder, "Snap data", 0});
      continue;
    }
    if (!app.desktopID.empty()) {
      const std::string autostart = appendPath(sources.configHome, "autostart/" + app.desktopID);
      if (isRegularFile(autostart)) items.push_back({autostart, "Login item", 0});
    }
    const bool userInstalled = app.kind == AppKind::appImage || (app.kind == AppKind::handInstalled && !app.everyUser);
    if (!userInstalled) continue;
    if (app.kind == AppKind::appImage && !app.entryPath.empty() && app.entryPath != app.path &&
        isInside(app.entryPath, sources.dataHome))
      items.push_back({app.entryPath, "Launcher", 0});
    addIcons(sources, app.icon, items);
    if (app.kind == AppKind::handInstalled && app.program && isInside(*app.program, sources.home) &&
        programUsers[*app.program] == 1)
      items.push_back({*app.program, "Program", 0});
  }
  return related;
}

bool isKnownToSource(const DesktopSources& sources, const DpkgDatabase& dpkg, AppKind kind, const std::string& source) {
  switch (kind) {
    case AppKind::flatpak: return flatpakDeployFolder(sources, source).has_value();
    case AppKind::snap: return isSnapInstalled(sources, source);
    case AppKind::systemPackage: return dpkg.installed(source).has_value();
    default: return false;
  }
}

std::map<std::string, double> lastSeen(const DesktopSources& sources) {
  std::map<std::string, double> seen;
  const std::string state =
      readWholeFile(appendPath(sources.dataHome, "gnome-shell/application_state"), FileLinks::follow, 16u << 20)
          .value_or("");
  auto attribute = [](std::string_view tag, std::string_view name) -> std::optional<std::string_view> {
    const std::string key = " " + std::string(name) + "=\"";
    const size_t at = tag.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    const size_t begin = at + key.size();
    const size_t end = tag.find('"', begin);
    if (end == std::string_view::npos) return std::nullopt;
    return tag.substr(begin, end - begin);
  };
  for (size_t at = state.find("<application "); at != std::string::npos; at = state.find("<application ", at + 1)) {
    const size_t close = state.find('>', at);
    if (close == std::string::npos) break;
    const std::string_view tag = std::string_view(state).substr(at, close - at);
    const auto id = attribute(tag, "id");
    const auto lastSeenText = attribute(tag, "last-seen");
    if (!id || !lastSeenText) continue;
    const std::string text(*lastSeenText);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() && *end == '\0' && value > 0) seen[std::string(*id)] = value;
  }
  return seen;
}

std::vector<InstalledApp> installedApps(const DesktopSources& sources,
                                        const std::function<int64_t(const std::string&)>& measure) {
  const DpkgDatabase dpkg(sources.dpkgAdmin, sources.systemRoot);
  const DesktopSnapshot snapshot = listApps(sources, dpkg);
  const std::vector<std::vector<RelatedItem>> related = relatedItems(snapshot.apps, sources);
  const std::map<std::string, double> seen = lastSeen(sources);
  auto size = [&](const std::string& path) { return measure ? measure(path) : int64_t{0}; };

  std::vector<InstalledApp> records(snapshot.apps.size());
  parallelFor(records.size(), kReaderThreads, [&](size_t index) {
    const DesktopApp& app = snapshot.apps[index];
    InstalledApp& record = records[index];
    record.path = app.path;
    record.name = app.name;
    record.bundleID = app.bundleID;
    record.kind = app.kind;
    record.desktopID = app.desktopID;
    record.program = app.program;
    record.isApple = app.kind == AppKind::systemPackage || app.everyUser;
    record.isAppStore = app.kind == AppKind::flatpak || app.kind == AppKind::snap;
    record.version = app.version;
    switch (app.kind) {
      case AppKind::flatpak:
        if (app.path != app.entryPath) {
          record.version = flatpakVersion(app.path, app.source);
          // The walk follows no link: the active deploy is measured where it really is.
          if (auto active = realPath(appendPath(app.path, "current/active"))) record.appSize = size(*active);
        }
        break;
      case AppKind::snap:
        record.version = snapVersion(sources, app.source);
        record.appSize = snapSize(sources, app.source);
        break;
      case AppKind::appImage: record.appSize = size(app.path); break;
      case AppKind::systemPackage:
        if (auto package = dpkg.installed(app.source)) record.appSize = package->installedSize;
        break;
      default: break;
    }
    if (!record.version && !app.desktopID.empty())
      record.version = componentVersion(sources, withoutDesktopSuffix(app.desktopID));
    record.related = related[index];
    for (RelatedItem& item : record.related) item.size = size(item.path);
    std::stable_sort(record.related.begin(), record.related.end(),
                     [](const RelatedItem& a, const RelatedItem& b) { return a.size > b.size; });
    if (auto found = seen.find(app.desktopID); found != seen.end()) {
      record.lastUsed = found->second;
    } else {
      // The program's last access and the last change of data that is not a cache.
      auto consider = [&](std::optional<double> date) {
        if (date && (!record.lastUsed || *date > *record.lastUsed)) record.lastUsed = date;
      };
      if (app.program) consider(contentAccessDate(*app.program));
      for (const RelatedItem& item : record.related)
        if (item.label != "Cache") consider(contentModificationDate(item.path));
    }
  });
  return records;
}

}  // namespace DesktopInventory
}  // namespace tolvex
