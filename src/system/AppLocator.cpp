#include "system/AppLocator.h"

#include "platform/Bundle.h"
#include "platform/UnicodeText.h"
#include "system/AppInventory.h"

namespace tolvex {

AppLocator::AppLocator(std::vector<std::string> applicationRoots) : applicationRoots_(std::move(applicationRoots)) {}

std::optional<std::string> AppLocator::locate(const std::string& bundleID) const {
  if (isBlankIdentifier(bundleID)) return std::nullopt;
  std::call_once(indexed_, [this] {
    for (const std::string& path : AppInventory::appBundlePaths(applicationRoots_))
      if (auto identifier = bundleIdentifier(path)) index_.emplace(foldCase(*identifier), path);
  });
  auto found = index_.find(foldCase(bundleID));
  if (found == index_.end()) return std::nullopt;
  return found->second;
}

}  // namespace tolvex
