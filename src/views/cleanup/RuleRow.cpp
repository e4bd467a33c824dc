#include "views/cleanup/RuleRow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/ElidedLabel.h"
#include "app/components/RiskBadge.h"
#include "app/theme/Theme.h"
#include "engines/JunkFinder.h"
#include "views/cleanup/logic/ReviewGroups.h"

namespace tolvex {

RuleRow::RuleRow(const JunkFinding& finding, std::function<void(bool)> onToggle, QWidget* parent)
    : QWidget(parent), ruleID_(finding.rule.id), check_(new QCheckBox(this)) {
  setObjectName(QLatin1String(names::reviewRuleRow));
  setProperty("ruleID", QString::fromStdString(ruleID_));
  const QString explanation = QString::fromStdString(finding.rule.explanation);
  setToolTip(explanation);
  setCursor(Qt::PointingHandCursor);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(6);
  check_->setObjectName(QLatin1String(names::reviewRuleCheck));
  check_->setAccessibleName(QString::fromStdString(finding.rule.title));
  connect(check_, &QCheckBox::clicked, this, [onToggle = std::move(onToggle)](bool on) { onToggle(on); });
  row->addWidget(check_, 0, Qt::AlignTop);

  auto* text = new QVBoxLayout;
  text->setSpacing(1);
  auto* line = new QHBoxLayout;
  line->setSpacing(6);
  auto* title = new QLabel(QString::fromStdString(finding.rule.title), this);
  title->setObjectName(QLatin1String(names::reviewRuleTitle));
  Theme::setTextStyle(title, TextStyle::body);
  line->addWidget(title);
  if (finding.rule.risk != Risk::safe) line->addWidget(new RiskBadge(finding.rule.risk, true, this));
  line->addStretch(1);
  line->addSpacing(8);
  auto* total = new QLabel(bytesText(findingTotal(finding)), this);
  total->setObjectName(QLatin1String(names::reviewRuleTotal));
  total->setFont(Theme::monospacedDigitFont(TextStyle::body));
  Theme::setForeground(total, Tone::secondary);
  line->addWidget(total);
  text->addLayout(line);

  auto* detail = new ElidedLabel(explanation, this);
  detail->setObjectName(QLatin1String(names::reviewRuleExplanation));
  Theme::setTextStyle(detail, TextStyle::caption);
  Theme::setForeground(detail, Tone::secondary);
  detail->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  text->addWidget(detail);
  row->addLayout(text, 1);
}

void RuleRow::setTicked(bool ticked) {
  const QSignalBlocker block(check_);
  check_->setChecked(ticked);
}

void RuleRow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void RuleRow::mouseReleaseEvent(QMouseEvent* event) {
  // The label is part of the toggle: a click on it acts like a click on the box.
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    check_->click();
    event->accept();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}

}  // namespace tolvex
