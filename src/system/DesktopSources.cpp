#include "system/DesktopSources.h"

#include <algorithm>
#include <cstdlib>

#include "platform/DesktopEntry.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {

std::vector<std::string> splitPath(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!part.empty()) parts.push_back(std::move(part));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// A variable's value when set to an absolute path, else `fallback`.
std::string folderVariable(const DesktopSources::Variable& variable, const char* name, const std::string& fallback) {
  const std::optional<std::string> value = variable(name);
  return value && value->starts_with('/') ? *value : fallback;
}

void addOnce(std::vector<std::string>& folders, const std::string& folder) {
  std::string trimmed = folder;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  if (std::find(folders.begin(), folders.end(), trimmed) == folders.end()) folders.push_back(trimmed);
}

}  // namespace

std::vector<std::string> DesktopSources::flatpakExports() const {
  std::vector<std::string> exports;
  for (const std::string& installation : flatpakInstallations) exports.push_back(appendPath(installation, "exports/share"));
  return exports;
}

std::vector<DesktopSources::DataFolder> DesktopSources::dataFolders() const {
  return {{configHome, "Configuration"}, {dataHome, "Data"}, {cacheHome, "Cache"}, {stateHome, "State"}};
}

DesktopSources DesktopSources::forUser(const Places& places, const Variable& variable, const std::string& systemRoot) {
  DesktopSources sources;
  sources.home = places.home;
  sources.dataHome = places.dataHome;
  sources.configHome = places.configHome;
  sources.cacheHome = folderVariable(variable, "XDG_CACHE_HOME", appendPath(places.home, ".cache"));
  sources.stateHome = folderVariable(variable, "XDG_STATE_HOME", appendPath(places.home, ".local/state"));
  sources.systemRoot = systemRoot;
  sources.flatpakInstallations = {appendPath(places.dataHome, "flatpak"), systemRoot + "/var/lib/flatpak"};
  sources.snapMount = systemRoot + "/snap";
  sources.snapState = systemRoot + "/var/lib/snapd";
  sources.dpkgAdmin = systemRoot + "/var/lib/dpkg";
  sources.procRoot = systemRoot + "/proc";
  sources.runtimeDir = variable("XDG_RUNTIME_DIR").value_or("");
  sources.userApplications = appendPath(places.home, "Applications");

  addOnce(sources.dataDirs, places.dataHome);
  std::vector<std::string> system;
  for (const std::string& dir : splitPath(variable("XDG_DATA_DIRS").value_or(""), ':'))
    if (dir.starts_with('/')) system.push_back(dir);
  if (system.empty()) system = {systemRoot + "/usr/local/share", systemRoot + "/usr/share"};
  for (const std::string& dir : system) addOnce(sources.dataDirs, dir);
  // A program started from a launcher may have a short XDG_DATA_DIRS: these are always searched.
  for (const std::string& dir : sources.flatpakExports()) addOnce(sources.dataDirs, dir);
  addOnce(sources.dataDirs, sources.snapDesktop());

  sources.currentDesktops = splitPath(variable("XDG_CURRENT_DESKTOP").value_or(""), ':');
  sources.programPath = splitPath(variable("PATH").value_or("/usr/local/bin:/usr/bin:/bin"), ':');
  std::string locale = variable("LC_ALL").value_or("");
  if (locale.empty()) locale = variable("LC_MESSAGES").value_or("");
  if (locale.empty()) locale = variable("LANG").value_or("");
  sources.localeCandidates = tolvex::localeCandidates(locale);
  return sources;
}

DesktopSources DesktopSources::current(const Places& places) {
  return forUser(places, [](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
  });
}

}  // namespace tolvex
