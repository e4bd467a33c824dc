#pragma once
// What the Junk screen derives from the findings and its two sets of identifiers (ticked items,
// open rules): the rows it lists, the check mark of each rule, the ticked items and the plan that
// cleans them. No widgets: tested as tables.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/DeletionPlan.h"
#include "engines/JunkFinder.h"
#include "engines/JunkRule.h"
#include "model/SafetyVerdict.h"
#include "views/cleanup/logic/GroupCheck.h"

namespace tolvex {

// An open rule lists at most this many of its items; one line counts the rest.
inline constexpr size_t kJunkShownItems = 300;

// One line of the Junk list. Rows refer to the findings by position, so they are rebuilt whenever
// the findings change.
struct JunkRow {
  enum class Kind { section, rule, item, more };
  Kind kind = Kind::section;
  JunkGroup group = JunkGroup::system;  // section
  size_t finding = 0;                   // rule, item, more
  size_t item = 0;                      // item
  int64_t more = 0;                     // more: the items not listed
  bool operator==(const JunkRow&) const = default;
};

// The sections in category order (a category without findings has none); under each header its
// findings in the given order, and under each open rule its first 300 items, then the "more" line.
std::vector<JunkRow> junkRows(const std::vector<JunkFinding>& junk, const StringSet& expanded);

// The identifiers of every item of a finding (also those beyond the ones listed).
StringSet junkItemIds(const JunkFinding& finding);

// The check mark of a rule: `all` only for a rule with items that are all ticked; a rule without
// items is `none` (its box stays unticked at full opacity).
GroupCheck junkRuleCheck(const StringSet& selected, const StringSet& ruleIds);
// The box's opacity: 0.6 while some but not all of the rule's items are ticked.
double junkRuleOpacity(GroupCheck check);

// Ticking a rule ticks every one of its items; unticking removes them all.
void setJunkRuleSelected(StringSet& selected, const StringSet& ruleIds, bool on);

// The items whose identifier is ticked, finding after finding, each in its own order. Identifiers
// that match no item count for nothing.
std::vector<const JunkItem*> selectedJunkItems(const std::vector<JunkFinding>& junk, const StringSet& selected);
int64_t junkItemsSize(const std::vector<const JunkItem*>& items);

// The ticked identifiers that still name an item of the findings.
StringSet prunedJunkSelection(const StringSet& selected, const std::vector<JunkFinding>& junk);

// One planned item per item, in order: its path, its name, its size, the removal of its rule in
// `rules`, and the verdict of its path in `safety`. An item whose rule is not in `rules` is left out: without its
// rule nothing says how it may go, and it must never be removed for good by default.
std::vector<PlanItem> junkPlanItems(const std::vector<const JunkItem*>& items, const SafetyContext& safety,
                                    const std::vector<JunkRule>& rules = JunkRule::all());

// "%lld items" and "… and %lld more".
QString junkItemCountText(int64_t count);
QString junkMoreText(int64_t count);

}  // namespace tolvex
