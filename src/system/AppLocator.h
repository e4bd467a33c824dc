#pragma once
// Finding an application by its bundle identifier: this system's stand-in for asking the workspace
// where an application is.
#include <optional>
#include <string>
#include <vector>

namespace tolvex {

class AppLocator {
 public:
  // Searches the application bundles found in `applicationRoots` (the inventory's own listing).
  explicit AppLocator(std::vector<std::string> applicationRoots);

  // The path of the first bundle whose identifier equals `bundleID` regardless of letter case, in the
  // order the inventory lists bundles. None for an empty or blank identifier. The folders are listed
  // afresh on each call, so a bundle removed a moment ago is no longer found.
  std::optional<std::string> locate(const std::string& bundleID) const;

 private:
  std::vector<std::string> applicationRoots_;
};

}  // namespace tolvex
