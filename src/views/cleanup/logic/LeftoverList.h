#pragma once
// What the App Leftovers screen derives from the store's leftovers, without widgets: the table's
// order, the selected rows, the deletion plan and the cell texts.
#include <QString>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/DeletionPlan.h"
#include "model/SafetyVerdict.h"
#include "system/Leftover.h"

namespace tolvex {

enum class LeftoverKey { identifier, location, size };

struct LeftoverComparator {
  LeftoverKey key = LeftoverKey::size;
  bool ascending = false;
  bool operator==(const LeftoverComparator&) const = default;
};
using LeftoverSortOrder = std::vector<LeftoverComparator>;

// Largest first.
LeftoverSortOrder defaultLeftoverSortOrder();
// After a click on the header of `key`: when `key` already decides, its direction turns round;
// otherwise it moves to the front in its own ascending order and the others stay as tie-breakers.
LeftoverSortOrder clickedLeftoverHeader(const LeftoverSortOrder& order, LeftoverKey key);
// The rows in `order`; rows equal under every comparator keep the store's order. Texts compare by bytes.
std::vector<Leftover> sortedLeftovers(std::vector<Leftover> leftovers, const LeftoverSortOrder& order);

// The rows, in displayed order, whose path is selected; selected paths that match no row count nowhere.
std::vector<Leftover> selectedLeftovers(const std::vector<Leftover>& rows, const std::set<std::string>& selection);
// Their summed size, stopping at the 64-bit range's end.
int64_t summedSize(const std::vector<Leftover>& rows);

// One item per row, in order: its path, its last path component, its size, to the Trash, with the
// verdict for the path in `safety`.
std::vector<PlanItem> leftoverPlanItems(const std::vector<Leftover>& rows, const SafetyContext& safety);

// The one path "Show in Finder" reveals for `paths`: the first displayed row among them (a stable
// choice among several), or none.
std::optional<std::string> revealedLeftover(const std::vector<Leftover>& rows, const std::set<std::string>& paths);

// The "Modified" cell: an abbreviated date without time, "—" when absent or not after one day past 1970.
QString leftoverModifiedText(const std::optional<double>& modified);

}  // namespace tolvex
