#include "platform/RunningApps.h"

#include <algorithm>
#include <climits>
#include <dirent.h>
#include <map>
#include <unistd.h>

#include "platform/Bundle.h"
#include "platform/Paths.h"

namespace tolvex {

std::optional<std::string> bundleOfExecutable(std::string_view executablePath) {
  constexpr std::string_view deleted = " (deleted)";
  if (executablePath.ends_with(deleted)) executablePath.remove_suffix(deleted.size());
  if (executablePath.empty() || executablePath.front() != '/') return std::nullopt;
  // The last ".app" component before the executable's own name.
  auto components = pathComponents(executablePath);
  if (components.size() < 2) return std::nullopt;
  for (size_t i = components.size() - 1; i-- > 0;) {
    if (components[i].size() > 4 && components[i].ends_with(".app")) {
      std::string bundle;
      for (size_t j = 0; j <= i; ++j) {
        bundle += '/';
        bundle += components[j];
      }
      return bundle;
    }
  }
  return std::nullopt;
}

std::vector<std::string> runningApplicationIdentifiers(const std::string& procRoot) {
  std::vector<std::string> identifiers;
  DIR* dir = ::opendir(procRoot.c_str());
  if (!dir) return identifiers;
  std::map<std::string, std::optional<std::string>> bundles;  // each bundle is read once
  while (dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    const std::string link = appendPath(appendPath(procRoot, name), "exe");
    char target[PATH_MAX];
    ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof target) continue;
    auto bundle = bundleOfExecutable(std::string_view(target, static_cast<size_t>(length)));
    if (!bundle) continue;
    auto found = bundles.find(*bundle);
    if (found == bundles.end()) found = bundles.emplace(*bundle, bundleIdentifier(*bundle)).first;
    if (found->second) identifiers.push_back(*found->second);
  }
  ::closedir(dir);
  std::sort(identifiers.begin(), identifiers.end());
  identifiers.erase(std::unique(identifiers.begin(), identifiers.end()), identifiers.end());
  return identifiers;
}

}  // namespace tolvex
