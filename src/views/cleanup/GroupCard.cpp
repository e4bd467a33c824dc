#include "views/cleanup/GroupCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "views/cleanup/RuleRow.h"
#include "views/cleanup/logic/ReviewGroups.h"

namespace tolvex {

GroupCard::GroupCard(const std::vector<JunkFinding>& findings, const ReviewGroup& group, const Toggle& onToggle,
                     QWidget* parent)
    : Card(14, parent), group_(group.group) {
  setObjectName(QLatin1String(names::reviewGroupCard));
  setProperty("group", QString::fromLatin1(rawValue(group_)));
  body()->setSpacing(8);

  auto* header = new QHBoxLayout;
  header->setSpacing(8);
  const QFont headline = Theme::font(TextStyle::headline);
  auto* symbol = new SymbolView(junkGroupSymbol(group_), QFontMetrics(headline).height(), this);
  symbol->setBrandGradient(true);
  header->addWidget(symbol);
  auto* title = new QLabel(junkGroupTitle(group_), this);
  title->setObjectName(QLatin1String(names::reviewGroupTitle));
  title->setFont(headline);
  header->addWidget(title);
  header->addStretch(1);
  auto* totalLabel = new QLabel(bytesText(groupTotal(findings, group)), this);
  totalLabel->setObjectName(QLatin1String(names::reviewGroupTotal));
  totalLabel->setFont(Theme::monospacedDigitFont(headline));
  header->addWidget(totalLabel);
  body()->addLayout(header);

  for (size_t i : group.findings) {
    if (i >= findings.size()) continue;
    const std::string id = findings[i].rule.id;
    auto* row = new RuleRow(
        findings[i], [onToggle, id](bool on) { onToggle(id, on); }, this);
    rows_.push_back(row);
    body()->addWidget(row);
  }
}

void GroupCard::showSelection(const std::set<std::string>& selection) {
  for (RuleRow* row : rows_) row->setTicked(selection.contains(row->ruleID()));
}

}  // namespace tolvex
