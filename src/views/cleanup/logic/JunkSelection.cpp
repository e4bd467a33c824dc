#include "views/cleanup/logic/JunkSelection.h"

#include <QCoreApplication>
#include <algorithm>
#include <unordered_map>

#include "app/UiText.h"
#include "model/Risk.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("JunkView", text); }
}  // namespace

std::vector<JunkRow> junkRows(const std::vector<JunkFinding>& junk, const StringSet& expanded) {
  std::vector<JunkRow> rows;
  for (JunkGroup group : kAllJunkGroups) {
    bool headed = false;
    for (size_t f = 0; f < junk.size(); ++f) {
      const JunkFinding& finding = junk[f];
      if (finding.rule.group != group) continue;
      if (!headed) rows.push_back({JunkRow::Kind::section, group});
      headed = true;
      rows.push_back({JunkRow::Kind::rule, group, f});
      if (!expanded.contains(finding.rule.id)) continue;
      const size_t shown = std::min(finding.items.size(), kJunkShownItems);
      for (size_t i = 0; i < shown; ++i) rows.push_back({JunkRow::Kind::item, group, f, i});
      if (finding.items.size() > shown)
        rows.push_back({JunkRow::Kind::more, group, f, 0, static_cast<int64_t>(finding.items.size() - shown)});
    }
  }
  return rows;
}

StringSet junkItemIds(const JunkFinding& finding) {
  StringSet ids;
  for (const JunkItem& item : finding.items) ids.insert(ids.end(), item.id);
  return ids;
}

GroupCheck junkRuleCheck(const StringSet& selected, const StringSet& ruleIds) {
  if (ruleIds.empty()) return GroupCheck::none;
  return groupCheckState(selected, ruleIds);
}

double junkRuleOpacity(GroupCheck check) { return check == GroupCheck::mixed ? 0.6 : 1.0; }

void setJunkRuleSelected(StringSet& selected, const StringSet& ruleIds, bool on) {
  if (on) {
    selected.insert(ruleIds.begin(), ruleIds.end());
    return;
  }
  for (const std::string& id : ruleIds) selected.erase(id);
}

std::vector<const JunkItem*> selectedJunkItems(const std::vector<JunkFinding>& junk, const StringSet& selected) {
  std::vector<const JunkItem*> items;
  if (selected.empty()) return items;
  for (const JunkFinding& finding : junk)
    for (const JunkItem& item : finding.items)
      if (selected.contains(item.id)) items.push_back(&item);
  return items;
}

int64_t junkItemsSize(const std::vector<const JunkItem*>& items) {
  int64_t total = 0;
  for (const JunkItem* item : items) total += item->size;
  return total;
}

StringSet prunedJunkSelection(const StringSet& selected, const std::vector<JunkFinding>& junk) {
  StringSet kept;
  for (const JunkItem* item : selectedJunkItems(junk, selected)) kept.insert(item->id);
  return kept;
}

std::vector<PlanItem> junkPlanItems(const std::vector<const JunkItem*>& items, const SafetyContext& safety,
                                    const std::vector<JunkRule>& rules) {
  std::unordered_map<std::string, Removal> removals;
  for (const JunkRule& rule : rules) removals.emplace(rule.id, rule.removal);
  std::vector<PlanItem> plan;
  plan.reserve(items.size());
  for (const JunkItem* item : items) {
    auto rule = removals.find(item->ruleID);
    if (rule == removals.end()) continue;
    PlanItem planned;
    planned.path = item->url;
    planned.name = lastPathComponent(item->url);
    planned.size = item->size;
    planned.removal = rule->second;
    planned.verdict = SafetyVerdict::forPath(item->url, safety);
    plan.push_back(std::move(planned));
  }
  return plan;
}

QString junkItemCountText(int64_t count) { return tr("%1 items").arg(countText(count)); }

QString junkMoreText(int64_t count) { return tr("\u2026 and %1 more").arg(countText(count)); }

}  // namespace tolvex
