#include "system/AppLocator.h"

#include "platform/Bundle.h"
#include "platform/UnicodeText.h"
#include "system/AppInventory.h"

namespace tolvex {

AppLocator::AppLocator(std::vector<std::string> applicationRoots) : applicationRoots_(std::move(applicationRoots)) {}

std::optional<std::string> AppLocator::locate(const std::string& bundleID) const {
  if (isBlankIdentifier(bundleID)) return std::nullopt;
  const std::string wanted = foldCase(bundleID);
  for (const std::string& path : AppInventory::appBundlePaths(applicationRoots_)) {
    auto identifier = bundleIdentifier(path);
    if (identifier && foldCase(*identifier) == wanted) return path;
  }
  return std::nullopt;
}

}  // namespace tolvex
