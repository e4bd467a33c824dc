#include "system/InventoryContext.h"

#include <memory>

#include "model/FolderSize.h"
#include "platform/FullDiskAccess.h"
#include "platform/Identifiers.h"
#include "system/AppLocator.h"

namespace tolvex {

std::vector<std::string> defaultApplicationRoots(const std::string& home) {
  return {"/Applications", home + "/Applications", "/Applications/Utilities"};
}

InventoryContext InventoryContext::forPlaces(std::string home, std::vector<std::string> applicationRoots) {
  InventoryContext context;
  context.home = std::move(home);
  context.applicationRoots = std::move(applicationRoots);
  context.hasFullDiskAccess = [] { return tolvex::hasFullDiskAccess(); };
  // Linux keeps no record of when an application was last used.
  context.spotlightLastUsed = [](const std::string&) { return std::optional<double>(); };
  context.applicationLookup = [roots = context.applicationRoots]() -> ApplicationLookup {
    auto locator = std::make_shared<const AppLocator>(roots);
    return [locator](const std::string& bundleID) { return locator->locate(bundleID); };
  };
  context.measure = [](const std::string& path) { return folderSize(path).bytes; };
  context.ownBundleIdentifier = kBundleIdentifier;
  return context;
}

}  // namespace tolvex
