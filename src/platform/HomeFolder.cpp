#include "platform/HomeFolder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <pwd.h>

#include "platform/Paths.h"

namespace tolvex {

namespace {

std::string envHome() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string xdgFolder(const char* variable, const char* fallbackBelowHome) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return value;
  return appendPath(homeFolder(), fallbackBelowHome);
}

}  // namespace

std::string homeFolder() {
  std::string home = envHome();
  char resolved[PATH_MAX];
  if (realpath(home.c_str(), resolved)) home = resolved;
  return withoutTrailingSlashes(home);
}

std::string xdgDataHome() { return xdgFolder("XDG_DATA_HOME", ".local/share"); }
std::string xdgConfigHome() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }
std::string ownCacheFolder() { return appendPath(xdgFolder("XDG_CACHE_HOME", ".cache"), "Tolvex"); }

std::string resolvedFolder(const std::string& path) {
  std::string existing = path, rest;
  char resolved[PATH_MAX];
  while (!realpath(existing.c_str(), resolved)) {
    if (existing == "/" || existing.empty() || existing == ".") return withoutTrailingSlashes(path);
    rest = rest.empty() ? lastPathComponent(existing) : appendPath(lastPathComponent(existing), rest);
    existing = parentPath(existing);
  }
  return rest.empty() ? std::string(resolved) : appendPath(resolved, rest);
}

bool makeFolders(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  if (path.empty() || path == "/") return false;
  std::string parent = parentPath(path);
  if (parent != path && parent != "." && !makeFolders(parent)) return false;
  if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  return false;
}

std::string appSupportFolder() {
  std::string folder = appendPath(xdgDataHome(), "Tolvex");
  // A folder that cannot be made fails the first write into it, which reports it.
  [[maybe_unused]] const bool made = makeFolders(folder);
  return folder;
}

}  // namespace tolvex
