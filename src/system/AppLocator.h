#pragma once
// Finding an application by its bundle identifier: this system's stand-in for asking the workspace
// where an application is.
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tolvex {

class AppLocator {
 public:
  // Searches the application bundles found in `applicationRoots` (the inventory's own listing).
  explicit AppLocator(std::vector<std::string> applicationRoots);

  // The path of the first bundle whose identifier equals `bundleID` regardless of letter case, in the
  // order the inventory lists bundles. None for an empty or blank identifier. The first call reads the
  // identifier of every bundle; later calls answer from that, so a search that looks up many
  // identifiers reads each bundle once. A new locator sees later changes. Safe from any thread.
  std::optional<std::string> locate(const std::string& bundleID) const;

 private:
  std::vector<std::string> applicationRoots_;
  mutable std::once_flag indexed_;
  mutable std::unordered_map<std::string, std::string> index_;  // folded identifier → first bundle
};

}  // namespace tolvex
