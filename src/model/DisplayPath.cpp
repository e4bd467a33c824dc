#include "model/DisplayPath.h"

namespace tolvex {

std::string_view foldedPathView(std::string_view path) {
  if (path == kDataVolume) return "/";
  if (path.size() > kDataVolume.size() && path.starts_with(kDataVolume) && path[kDataVolume.size()] == '/')
    return path.substr(kDataVolume.size());
  return path;
}

std::string foldedPath(std::string_view path) { return std::string(foldedPathView(path)); }

std::string displayPath(std::string_view path, std::string_view home) {
  std::string folded = foldedPath(path);
  if (home.empty()) return folded;  // no home given: nothing is shown as "~"
  if (folded == home) return "~";
  if (folded.size() > home.size() && folded.starts_with(home) && folded[home.size()] == '/')
    return "~" + folded.substr(home.size());
  return folded;
}

}  // namespace tolvex
