#include "system/Leftover.h"

#include <algorithm>
#include <unordered_set>

#include "platform/Bundle.h"
#include "platform/FileDates.h"
#include "platform/UnicodeText.h"
#include "system/AppInventory.h"

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

}  // namespace

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
  std::stable_sort(leftovers.begin(), leftovers.end(),
                   [](const Leftover& a, const Leftover& b) { return a.size > b.size; });
  return leftovers;
}

}  // namespace AppInventory
}  // namespace tolvex
