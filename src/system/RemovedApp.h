#pragma once
#include <string>
#include <vector>

#include "system/InstalledApp.h"

namespace tolvex {

// An application that was just removed from the application folders, with the Library data it left.
struct RemovedApp {
  std::string name;                // display name from the watcher's snapshot
  std::string bundleID;
  std::vector<RelatedItem> items;  // its Library items, each measured, largest first

  const std::string& id() const { return bundleID; }
  bool operator==(const RemovedApp&) const = default;
};

}  // namespace tolvex
