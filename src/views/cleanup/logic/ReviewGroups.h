#pragma once
// The review of Quick Clean as plain data: findings grouped by junk group, the groups spread over
// two balanced columns, and the byte sums the stage shows. No Qt widgets.
#include <QString>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "engines/JunkFinder.h"

namespace tolvex {

// One card: a group and the positions, in the reviewed list, of its findings (in list order).
struct ReviewGroup {
  JunkGroup group = JunkGroup::system;
  std::vector<size_t> findings;

  bool operator==(const ReviewGroup&) const = default;
};

using ReviewColumn = std::vector<ReviewGroup>;

// The groups in group order, each with its findings, spread over at most two columns: a group goes
// left while the left column weighs no more than the right, and adds its finding count + 1.5 to the
// weight of its column. Columns without a group are left out.
std::vector<ReviewColumn> buildReviewGroups(const std::vector<JunkFinding>& findings);

// Sizes are added saturating, so a damaged size cannot wrap a sum around to a small or negative one.
int64_t saturatingAdd(int64_t a, int64_t b);
// The sizes of all of a finding's items.
int64_t findingTotal(const JunkFinding& finding);
// The sizes of every finding of a group, ticked or not.
int64_t groupTotal(const std::vector<JunkFinding>& findings, const ReviewGroup& group);
// What the ticked rules would free: the totals of the findings whose rule is in `selection`.
int64_t selectedSize(const std::vector<JunkFinding>& findings, const std::set<std::string>& selection);

// The symbol on a group's card: "sparkles", "trash.fill", "paperclip", "hammer.fill", "iphone",
// "arrow.down.circle.fill".
QString junkGroupSymbol(JunkGroup group);
// The group's title, translated.
QString junkGroupTitle(JunkGroup group);

}  // namespace tolvex
