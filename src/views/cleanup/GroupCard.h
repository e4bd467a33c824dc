#pragma once
// One card of the Quick Clean review: a junk group's symbol, title and total (ticked or not), then a
// row per finding of the group, in the order of the reviewed list.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/components/Card.h"
#include "engines/JunkFinder.h"
#include "views/cleanup/logic/ReviewGroups.h"

namespace tolvex {

class RuleRow;

class GroupCard : public Card {
  Q_OBJECT
 public:
  using Toggle = std::function<void(const std::string& ruleID, bool on)>;
  // The card of `group`, whose findings are positions in `findings`.
  GroupCard(const std::vector<JunkFinding>& findings, const ReviewGroup& group, const Toggle& onToggle,
            QWidget* parent = nullptr);

  JunkGroup group() const { return group_; }
  const std::vector<RuleRow*>& rows() const { return rows_; }
  void showSelection(const std::set<std::string>& selection);

 private:
  JunkGroup group_;
  std::vector<RuleRow*> rows_;
};

}  // namespace tolvex
