#include "views/cleanup/logic/LeftoverList.h"

#include <algorithm>
#include <limits>

#include "model/SafetyVerdict.h"
#include "platform/Paths.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

namespace {

template <typename T>
int compareValues(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int compareLeftovers(const Leftover& a, const Leftover& b, LeftoverKey key) {
  switch (key) {
    case LeftoverKey::identifier: return compareValues(a.identifier, b.identifier);
    case LeftoverKey::location: return compareValues(a.location, b.location);
    case LeftoverKey::size: return compareValues(a.size, b.size);
  }
  return 0;
}

}  // namespace

LeftoverSortOrder defaultLeftoverSortOrder() { return {LeftoverComparator{LeftoverKey::size, false}}; }

LeftoverSortOrder clickedLeftoverHeader(const LeftoverSortOrder& order, LeftoverKey key) {
  LeftoverSortOrder out = order;
  if (!out.empty() && out.front().key == key) {
    out.front().ascending = !out.front().ascending;
    return out;
  }
  std::erase_if(out, [key](const LeftoverComparator& c) { return c.key == key; });
  out.insert(out.begin(), LeftoverComparator{key, true});
  return out;
}

std::vector<Leftover> sortedLeftovers(std::vector<Leftover> leftovers, const LeftoverSortOrder& order) {
  std::stable_sort(leftovers.begin(), leftovers.end(), [&](const Leftover& a, const Leftover& b) {
    for (const LeftoverComparator& c : order) {
      const int r = compareLeftovers(a, b, c.key);
      if (r != 0) return c.ascending ? r < 0 : r > 0;
    }
    return false;
  });
  return leftovers;
}

std::vector<Leftover> selectedLeftovers(const std::vector<Leftover>& rows, const std::set<std::string>& selection) {
  std::vector<Leftover> out;
  if (selection.empty()) return out;
  for (const Leftover& row : rows)
    if (selection.contains(row.path)) out.push_back(row);
  return out;
}

int64_t summedSize(const std::vector<Leftover>& rows) {
  int64_t sum = 0;
  for (const Leftover& row : rows)
    if (__builtin_add_overflow(sum, row.size, &sum))
      sum = row.size > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
  return sum;
}

std::vector<PlanItem> leftoverPlanItems(const std::vector<Leftover>& rows, const SafetyContext& safety) {
  std::vector<PlanItem> items;
  for (const Leftover& row : rows)
    items.push_back(PlanItem{row.path, lastPathComponent(row.path), row.size, Removal::trash,
                             SafetyVerdict::forPath(row.path, safety)});
  return items;
}

std::optional<std::string> revealedLeftover(const std::vector<Leftover>& rows, const std::set<std::string>& paths) {
  for (const Leftover& row : rows)
    if (paths.contains(row.path)) return row.path;
  return std::nullopt;
}

QString leftoverModifiedText(const std::optional<double>& modified) { return shortDateText(modified.value_or(0)); }

}  // namespace tolvex
