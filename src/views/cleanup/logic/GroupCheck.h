#pragma once
// The check mark of a group of selectable items (a junk rule's items, an iCloud folder's files),
// derived from the screen's selection of item identifiers. No Qt: tested as plain sets.
#include <set>
#include <string>

namespace tolvex {

using StringSet = std::set<std::string>;

// Every element of `group` is in `selection`. False at once when the selection is the smaller set.
bool stringSetIsSuperset(const StringSet& selection, const StringSet& group);
// `selection` and `group` share no element. True at once when either is empty; otherwise walks the
// smaller set and looks each element up in the larger.
bool stringSetIsDisjoint(const StringSet& selection, const StringSet& group);

enum class GroupCheck { none, mixed, all };

// all when the selection holds the whole group, none when it holds nothing of it, mixed otherwise.
// An empty group is both: it answers all, and each screen guards its own empty groups first.
GroupCheck groupCheckState(const StringSet& selection, const StringSet& group);

}  // namespace tolvex
