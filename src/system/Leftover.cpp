#include "system/Leftover.h"

#include <algorithm>
#include <unordered_set>

#include "platform/Bundle.h"
#include "platform/FileDates.h"
#include "platform/DesktopFiles.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/UnicodeText.h"
#include "system/AppInventory.h"
#include "system/PackageSources.h"

namespace tolvex {

size_t LeftoverHash::operator()(const Leftover& leftover) const {
  size_t seed = std::hash<std::string>{}(leftover.path);
  auto mix = [&](size_t value) { seed ^= value + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2); };
  mix(std::hash<std::string>{}(leftover.identifier));
  mix(std::hash<std::string>{}(leftover.location));
  mix(std::hash<int64_t>{}(leftover.size));
  mix(leftover.modified ? std::hash<double>{}(*leftover.modified) : 0xA5A5);
  return seed;
}

namespace AppInventory {

namespace {

// The number of non-empty "."-separated parts of a key.
size_t partCount(std::string_view key) {
  size_t parts = 0;
  bool inPart = false;
  for (char c : key) {
    if (c == '.') {
      inPart = false;
    } else if (!inPart) {
      inPart = true;
      ++parts;
    }
  }
  return parts;
}

// The first two components of our own identifier followed by ".", folded ("com.tolvex."): the data of
// this program and its helpers. Empty when there is no identifier, so nothing is excluded by it.
std::string ownPrefix(const std::optional<std::string>& ownIdentifier) {
  if (!ownIdentifier || isBlankIdentifier(*ownIdentifier)) return {};
  const std::string folded = foldCase(*ownIdentifier);
  const size_t first = folded.find('.');
  const size_t second = first == std::string::npos ? std::string::npos : folded.find('.', first + 1);
  return folded.substr(0, second) + ".";
}

// The tests on the key alone, in order: enough parts, not Apple's, not a group's, not ours, no space,
// not installed, not the helper of an installed application.
bool keyMayBeLeftover(const std::string& key, const std::string& ownPrefix,
                      const std::unordered_set<std::string>& installed) {
  if (partCount(key) < 3) return false;
  if (key.starts_with("com.apple.") || key.starts_with("group.")) return false;
  if (!ownPrefix.empty() && key.starts_with(ownPrefix)) return false;
  if (key.find(' ') != std::string::npos) return false;
  if (installed.contains(key)) return false;
  for (size_t dot = key.find('.'); dot != std::string::npos; dot = key.find('.', dot + 1))
    if (installed.contains(key.substr(0, dot))) return false;
  return true;
}

// The desktop's own components keep identifier-named folders that no application claims.
bool isPlatformIdentifier(const std::string& key) {
  for (std::string_view prefix : {"org.freedesktop.", "org.gtk.", "org.gnome.shell.", "org.gnome.settingsdaemon.",
                                  "org.kde.plasma", "org.kde.kwin"})
    if (key.starts_with(prefix)) return true;
  return false;
}

// The names of the files in `folder` that end in `suffix`, without it, folded.
void addStems(const std::string& folder, std::string_view suffix, std::unordered_set<std::string>& ids) {
  for (const std::string& name : folderNames(folder).value_or(std::vector<std::string>{}))
    if (name.size() > suffix.size() && name.ends_with(suffix)) ids.insert(foldCase(name.substr(0, name.size() - suffix.size())));
}

// Every identifier something installed answers to: desktop IDs (shown or not), Flatpak ids, AppStream
// components, D-Bus services and settings schemas of the data folders.
std::unordered_set<std::string> claimedIdentifiers(const DesktopSources& sources) {
  std::unordered_set<std::string> ids;
  for (const auto& [id, paths] : readDesktopFiles(sources.dataDirs).copies)
    ids.insert(foldCase(id.ends_with(".desktop") ? id.substr(0, id.size() - 8) : id));
  for (const std::string& id : installedFlatpaks(sources)) ids.insert(foldCase(id));
  for (const std::string& dir : sources.dataDirs) {
    addStems(appendPath(dir, "metainfo"), ".metainfo.xml", ids);
    addStems(appendPath(dir, "metainfo"), ".appdata.xml", ids);
    addStems(appendPath(dir, "appdata"), ".appdata.xml", ids);
    addStems(appendPath(dir, "dbus-1/services"), ".service", ids);
    addStems(appendPath(dir, "glib-2.0/schemas"), ".gschema.xml", ids);
  }
  return ids;
}

}  // namespace

std::vector<Leftover> findDesktopLeftovers(const std::vector<InstalledApp>& apps, const InventoryContext& context) {
  std::vector<Leftover> leftovers;
  if (!context.desktop) return leftovers;
  const DesktopSources& sources = *context.desktop;
  auto take = [&](const std::string& path, const std::string& identifier, const char* location) {
    const int64_t size = context.measure ? context.measure(path) : 0;
    if (size >= kLeftoverMinimumSize)
      leftovers.push_back({path, identifier, location, size, contentModificationDate(path)});
  };
  // The sandbox data of Flatpaks and snaps no installation has any more.
  const std::set<std::string> flatpaks = installedFlatpaks(sources);
  const std::string flatpakData = appendPath(sources.home, ".var/app");
  for (const std::string& id : folderNames(flatpakData).value_or(std::vector<std::string>{}))
    if (!flatpaks.contains(id)) take(appendPath(flatpakData, id), id, "Flatpak data");
  const std::string snapData = appendPath(sources.home, "snap");
  for (const std::string& name : folderNames(snapData).value_or(std::vector<std::string>{}))
    if (!isSnapInstalled(sources, name)) take(appendPath(snapData, name), name, "Snap data");

  // Identifier-named entries of the XDG folders that nothing installed claims.
  std::unordered_set<std::string> installed = claimedIdentifiers(sources);
  for (const InstalledApp& app : apps)
    if (app.bundleID && !isBlankIdentifier(*app.bundleID)) installed.insert(foldCase(*app.bundleID));
  const std::string prefix = ownPrefix(context.ownBundleIdentifier);
  for (const auto& [folder, label] : sources.dataFolders())
    for (const std::string& name : folderNames(folder).value_or(std::vector<std::string>{})) {
      const std::string key = foldCase(name);
      if (keyMayBeLeftover(key, prefix, installed) && !isPlatformIdentifier(key)) take(appendPath(folder, name), name, label);
    }
  return leftovers;
}

const std::set<std::string>& leftoverLocations() {
  static const std::set<std::string> labels = libraryLabelsForPaths(
      {"Library/Application Support", "Library/Caches", "Library/Containers", "Library/Preferences",
       "Library/Saved Application State", "Library/HTTPStorages", "Library/WebKit", "Library/Logs"});
  return labels;
}

std::string leftoverIdentifier(const std::string& entryName) {
  std::string identifier = entryName;
  for (std::string_view suffix : {".plist", ".savedState", ".binarycookies"})
    if (identifier.ends_with(suffix)) identifier.resize(identifier.size() - suffix.size());
  return identifier;
}

std::vector<Leftover> findLeftovers(const std::vector<InstalledApp>& apps, const InventoryContext& context) {
  std::unordered_set<std::string> installed;
  for (const InstalledApp& app : apps)
    if (app.bundleID && !isBlankIdentifier(*app.bundleID)) installed.insert(foldCase(*app.bundleID));
  const std::string prefix = ownPrefix(context.ownBundleIdentifier);
  const ApplicationLookup locate = context.applicationLookup ? context.applicationLookup() : ApplicationLookup();

  std::vector<Leftover> leftovers;
  for (const LibraryEntry& entry : libraryEntries(context)) {
    if (!leftoverLocations().contains(entry.label)) continue;
    const std::string identifier = leftoverIdentifier(entry.name);
    if (!keyMayBeLeftover(foldCase(identifier), prefix, installed)) continue;
    if (locate && locate(identifier)) continue;
    const int64_t size = context.measure ? context.measure(entry.path) : 0;
    if (size < kLeftoverMinimumSize) continue;
    leftovers.push_back({entry.path, identifier, entry.label, size, contentModificationDate(entry.path)});
  }
  for (Leftover& leftover : findDesktopLeftovers(apps, context)) leftovers.push_back(std::move(leftover));
  std::stable_sort(leftovers.begin(), leftovers.end(),
                   [](const Leftover& a, const Leftover& b) { return a.size > b.size; });
  return leftovers;
}

}  // namespace AppInventory
}  // namespace tolvex
