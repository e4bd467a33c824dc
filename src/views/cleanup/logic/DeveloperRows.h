#pragma once
// The rows of the Developer screen as plain functions of the artefacts and the screen's own state
// (sort order, selection of paths): ordering, what a selection stands for, and the deletion plan it
// becomes. No widgets; tested as tables.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/DeletionPlan.h"
#include "engines/DevItem.h"
#include "model/SafetyVerdict.h"

namespace tolvex {

enum class DevKey { title, detail, size, lastTouched };

struct DevComparator {
  DevKey key = DevKey::size;
  bool ascending = false;
  bool operator==(const DevComparator&) const = default;
};

using DevSortOrder = std::vector<DevComparator>;

// Size, largest first: the order the screen starts with.
DevSortOrder initialDevSortOrder();

// The order after a click on the header of `key`: when `key` already decides, its direction turns
// round; otherwise it moves to the front in its own ascending order (texts by their bytes, not by
// the locale) and the earlier comparators stay behind it as tie-breakers.
DevSortOrder clickedDevHeader(const DevSortOrder& order, DevKey key);

// One key of two items: negative when `a` comes first in ascending order.
int compareDevItems(const DevItem& a, const DevItem& b, DevKey key);

// Sorted by `order`; items equal under every comparator are ordered by path, so a redraw never
// shuffles them.
void sortDevItems(std::vector<DevItem>& items, const DevSortOrder& order);

// The rows whose path is in `selection`, in row order. A selected path that matches no row counts
// for nothing.
std::vector<DevItem> selectedDevItems(const std::vector<DevItem>& rows, const std::set<std::string>& selection);

// The sum of the items' sizes (signed 64-bit, held at its limits instead of wrapping).
int64_t totalDevSize(const std::vector<DevItem>& items);

// One plan item per row, in the given order: path, title as name, size, the row's removal and the
// verdict of its path in `safety`.
std::vector<PlanItem> developerPlan(const std::vector<DevItem>& rows, const SafetyContext& safety);

// The path "Show in Finder" reveals for the rows a menu or a double-click acts on: the first of them
// in row order; none for no rows.
std::optional<std::string> revealedDevPath(const std::vector<DevItem>& rows);

}  // namespace tolvex
