#include "support/JunkFixtures.h"

#include <stdexcept>

namespace tolvex::test {

JunkFinding findingOf(const std::string& ruleID, const std::vector<FoundItem>& items) {
  JunkFinding finding;
  bool found = false;
  for (const JunkRule& rule : JunkRule::all())
    if (rule.id == ruleID) {
      finding.rule = rule;
      found = true;
    }
  if (!found) throw std::invalid_argument("no junk rule " + ruleID);
  for (const FoundItem& item : items)
    finding.items.push_back(JunkItem{item.path, item.path, ruleID, item.size, 1, item.modified});
  return finding;
}

}  // namespace tolvex::test
