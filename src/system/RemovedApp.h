#pragma once
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "system/InstalledApp.h"

namespace tolvex {

// An application that was just removed from the application folders, with the Library data it left.
struct RemovedApp {
  std::string name;  // display name from the watcher's snapshot
  std::string bundleID;
  std::vector<RelatedItem> items;  // its Library items, each measured, largest first

  const std::string& id() const { return bundleID; }
  // The sizes of its items added up; a sum past the 64-bit range stops at the range's end.
  int64_t totalSize() const {
    int64_t total = 0;
    for (const RelatedItem& item : items)
      if (__builtin_add_overflow(total, item.size, &total))
        total = item.size > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return total;
  }
  bool operator==(const RemovedApp&) const = default;
};

}  // namespace tolvex
