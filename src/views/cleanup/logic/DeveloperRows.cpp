#include "views/cleanup/logic/DeveloperRows.h"

#include <algorithm>
#include <limits>

#include "model/Risk.h"

namespace tolvex {

namespace {

template <typename T>
int threeWay(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

DevSortOrder initialDevSortOrder() { return {DevComparator{DevKey::size, false}}; }

DevSortOrder clickedDevHeader(const DevSortOrder& order, DevKey key) {
  DevSortOrder out = order;
  if (!out.empty() && out.front().key == key) {
    out.front().ascending = !out.front().ascending;
    return out;
  }
  std::erase_if(out, [key](const DevComparator& c) { return c.key == key; });
  out.insert(out.begin(), DevComparator{key, true});
  return out;
}

int compareDevItems(const DevItem& a, const DevItem& b, DevKey key) {
  switch (key) {
    case DevKey::title: return threeWay(a.title, b.title);
    case DevKey::detail: return threeWay(a.detail, b.detail);
    case DevKey::size: return threeWay(a.size, b.size);
    case DevKey::lastTouched: return threeWay(a.lastTouched, b.lastTouched);
  }
  return 0;
}

void sortDevItems(std::vector<DevItem>& items, const DevSortOrder& order) {
  std::sort(items.begin(), items.end(), [&order](const DevItem& a, const DevItem& b) {
    for (const DevComparator& c : order) {
      const int cmp = compareDevItems(a, b, c.key);
      if (cmp != 0) return c.ascending ? cmp < 0 : cmp > 0;
    }
    return a.path < b.path;
  });
}

std::vector<DevItem> selectedDevItems(const std::vector<DevItem>& rows, const std::set<std::string>& selection) {
  std::vector<DevItem> out;
  if (selection.empty()) return out;
  for (const DevItem& row : rows)
    if (selection.contains(row.path)) out.push_back(row);
  return out;
}

int64_t totalDevSize(const std::vector<DevItem>& items) {
  int64_t total = 0;
  for (const DevItem& item : items)
    if (__builtin_add_overflow(total, item.size, &total))
      total = item.size > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
  return total;
}

std::vector<PlanItem> developerPlan(const std::vector<DevItem>& rows, const SafetyContext& safety) {
  std::vector<PlanItem> plan;
  plan.reserve(rows.size());
  for (const DevItem& row : rows)
    plan.push_back(PlanItem{row.path, row.title, row.size, row.removal, SafetyVerdict::forPath(row.path, safety)});
  return plan;
}

std::optional<std::string> revealedDevPath(const std::vector<DevItem>& rows) {
  if (rows.empty()) return std::nullopt;
  return rows.front().path;
}

}  // namespace tolvex
