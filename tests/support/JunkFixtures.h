#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engines/JunkFinder.h"

namespace tolvex::test {

struct FoundItem {
  FoundItem(std::string path, int64_t size, std::optional<double> modified = std::nullopt)
      : path(std::move(path)), size(size), modified(modified) {}
  std::string path;
  int64_t size = 0;
  std::optional<double> modified;
};

// A finding of the rule `ruleID` of the rule table holding `items` in the given order.
JunkFinding findingOf(const std::string& ruleID, const std::vector<FoundItem>& items);

}  // namespace tolvex::test
