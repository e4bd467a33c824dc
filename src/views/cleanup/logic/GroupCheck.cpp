#include "views/cleanup/logic/GroupCheck.h"

#include <algorithm>

namespace tolvex {

bool stringSetIsSuperset(const StringSet& selection, const StringSet& group) {
  if (selection.size() < group.size()) return false;
  return std::includes(selection.begin(), selection.end(), group.begin(), group.end());
}

bool stringSetIsDisjoint(const StringSet& selection, const StringSet& group) {
  if (selection.empty() || group.empty()) return true;
  const StringSet& smaller = selection.size() <= group.size() ? selection : group;
  const StringSet& larger = &smaller == &selection ? group : selection;
  return std::none_of(smaller.begin(), smaller.end(), [&](const std::string& id) { return larger.count(id) > 0; });
}

GroupCheck groupCheckState(const StringSet& selection, const StringSet& group) {
  if (stringSetIsSuperset(selection, group)) return GroupCheck::all;
  if (stringSetIsDisjoint(selection, group)) return GroupCheck::none;
  return GroupCheck::mixed;
}

}  // namespace tolvex
