#pragma once
// One rule of the Quick Clean review: a check box that puts the rule into the Quick Clean selection
// or takes it out, the rule's title (with a compact risk badge unless it is safe), its explanation on
// one line (whole in the tooltip) and what its items add up to. A click anywhere on the row toggles.
#include <QWidget>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;

namespace tolvex {

struct JunkFinding;

class RuleRow : public QWidget {
  Q_OBJECT
 public:
  // `onToggle` receives the state the user asked for.
  RuleRow(const JunkFinding& finding, std::function<void(bool)> onToggle, QWidget* parent = nullptr);

  const std::string& ruleID() const { return ruleID_; }
  QCheckBox* checkBox() const { return check_; }
  // Shows the tick without telling anyone.
  void setTicked(bool ticked);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::string ruleID_;
  QCheckBox* check_;
};

}  // namespace tolvex
