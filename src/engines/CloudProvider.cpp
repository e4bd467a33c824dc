#include "engines/CloudProvider.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/Bundle.h"
#include "platform/Paths.h"

namespace tolvex {

LocalCloudProvider::LocalCloudProvider(const std::string& home)
    : applicationFolders_{"/Applications", home + "/Applications", "/Applications/Utilities"} {}

LocalCloudProvider::LocalCloudProvider(std::vector<std::string> applicationFolders)
    : applicationFolders_(std::move(applicationFolders)) {}

std::optional<CloudResourceValues> LocalCloudProvider::resourceValues(const std::string& path) const {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  CloudResourceValues values;
  values.isRegularFile = S_ISREG(st.st_mode);
  values.fileSize = static_cast<int64_t>(st.st_size);
  values.totalFileAllocatedSize = static_cast<int64_t>(st.st_blocks) * 512;
  return values;
}

std::optional<std::string> LocalCloudProvider::evictUbiquitousItem(const std::string&) const {
  return std::string(kNotInICloudReason);
}

std::optional<std::string> LocalCloudProvider::applicationPath(const std::string& identifier) const {
  if (identifier.empty()) return std::nullopt;
  for (const std::string& folder : applicationFolders_) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) continue;
    std::optional<std::string> found;
    while (dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() <= 4 || !name.ends_with(".app")) continue;
      const std::string bundle = appendPath(folder, name);
      struct stat st {};
      if (::stat(bundle.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
      if (tolvex::bundleIdentifier(bundle) == identifier) {
        found = bundle;
        break;
      }
    }
    ::closedir(dir);
    if (found) return found;
  }
  return std::nullopt;
}

}  // namespace tolvex
