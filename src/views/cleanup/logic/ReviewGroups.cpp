#include "views/cleanup/logic/ReviewGroups.h"

#include <QCoreApplication>
#include <limits>

namespace tolvex {

std::vector<ReviewColumn> buildReviewGroups(const std::vector<JunkFinding>& findings) {
  std::vector<ReviewGroup> groups;
  for (JunkGroup group : kAllJunkGroups) {
    ReviewGroup g{group, {}};
    for (size_t i = 0; i < findings.size(); ++i)
      if (findings[i].rule.group == group) g.findings.push_back(i);
    if (!g.findings.empty()) groups.push_back(std::move(g));
  }
  ReviewColumn left, right;
  double leftWeight = 0, rightWeight = 0;
  for (ReviewGroup& g : groups) {
    const double weight = static_cast<double>(g.findings.size()) + 1.5;
    if (leftWeight <= rightWeight) {
      leftWeight += weight;
      left.push_back(std::move(g));
    } else {
      rightWeight += weight;
      right.push_back(std::move(g));
    }
  }
  std::vector<ReviewColumn> columns;
  if (!left.empty()) columns.push_back(std::move(left));
  if (!right.empty()) columns.push_back(std::move(right));
  return columns;
}

int64_t saturatingAdd(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

int64_t findingTotal(const JunkFinding& finding) {
  int64_t total = 0;
  for (const JunkItem& item : finding.items) total = saturatingAdd(total, item.size);
  return total;
}

int64_t groupTotal(const std::vector<JunkFinding>& findings, const ReviewGroup& group) {
  int64_t total = 0;
  for (size_t i : group.findings)
    if (i < findings.size()) total = saturatingAdd(total, findingTotal(findings[i]));
  return total;
}

int64_t selectedSize(const std::vector<JunkFinding>& findings, const std::set<std::string>& selection) {
  int64_t total = 0;
  for (const JunkFinding& finding : findings)
    if (selection.contains(finding.rule.id)) total = saturatingAdd(total, findingTotal(finding));
  return total;
}

QString junkGroupSymbol(JunkGroup group) {
  switch (group) {
    case JunkGroup::system: return QStringLiteral("sparkles");
    case JunkGroup::trash: return QStringLiteral("trash.fill");
    case JunkGroup::mail: return QStringLiteral("paperclip");
    case JunkGroup::developer: return QStringLiteral("hammer.fill");
    case JunkGroup::devices: return QStringLiteral("iphone");
    case JunkGroup::downloads: return QStringLiteral("arrow.down.circle.fill");
  }
  return QStringLiteral("sparkles");
}

QString junkGroupTitle(JunkGroup group) { return QCoreApplication::translate("JunkGroup", title(group)); }

}  // namespace tolvex
