#pragma once
// The junk finder: lists every rule's folder one level deep, several at once, and measures what it finds.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engines/JunkRule.h"

namespace tolvex {

// One direct entry of a rule's folder that the rule counts.
struct JunkItem {
  std::string id;   // the item's full path
  std::string url;  // the item's path (the same bytes as `id`)
  std::string ruleID;
  int64_t size = 0;                // allocated bytes of the item and everything in it
  int64_t fileCount = 0;           // items counted inside it
  std::optional<double> modified;  // content modification, seconds since 1970

  bool operator==(const JunkItem&) const = default;
};

// What one rule found: never empty when the finder makes it; items largest first.
struct JunkFinding {
  JunkRule rule;
  std::vector<JunkItem> items;

  const std::string& id() const { return rule.id; }
  int64_t totalSize() const;
};

// The work of one rule: its folder's direct entries that the rule counts, largest first (equal sizes
// in byte order of their paths). None when the folder cannot be listed. Entries older than the
// rule's minimum age are judged against `now` (seconds since 1970).
std::optional<JunkFinding> scanRule(const JunkRule& rule, const JunkPlaces& places, double now);

// Runs `scanRule` for every rule, several at once (on at most 8 threads, never more than the
// processors), and returns the findings that hold at least one item, largest total first (equal
// totals in the order of the rules). Without full disk access the rules inside the Mail container
// are left out. Never fails: a folder that cannot be listed gives no finding.
std::vector<JunkFinding> findJunk(const std::vector<JunkRule>& rules, const JunkPlaces& places, bool fullDiskAccess,
                                  double now);

}  // namespace tolvex
