#include "platform/FolderListing.h"

#include <algorithm>
#include <dirent.h>

namespace tolvex {

std::optional<std::vector<std::string>> folderNames(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return std::nullopt;
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tolvex
