#pragma once
// The second stage of Quick Clean: what the search found, grouped into cards over two balanced
// columns, a tick per rule (the Quick Clean selection of the store), the size the ticked rules would
// free, and "Start Over", "See Details" and "Clean <size>" (also on Return while it is enabled).
// The stage keeps nothing of its own: it reads the junk list and the ticks at every refresh.
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "views/cleanup/QuickCleanStage.h"

class QLabel;
class QPushButton;
class QScrollArea;

namespace tolvex {

class AppState;
class GroupCard;
class PrimaryButton;
class SizeHeadline;

class ReviewStage : public QuickCleanStage {
  Q_OBJECT
 public:
  explicit ReviewStage(AppState& state, QWidget* parent = nullptr);

  void refresh() override;
  bool fillsHeight() const override { return true; }

  SizeHeadline* headline() const { return headline_; }
  PrimaryButton* cleanButton() const { return clean_; }
  const std::vector<GroupCard*>& cards() const { return cards_; }
  // The cards column by column, as laid out.
  std::vector<std::vector<GroupCard*>> columns() const;

 private:
  void rebuildCards();
  void toggle(const std::string& ruleID, bool on);

  using Signature = std::vector<std::tuple<std::string, size_t, int64_t>>;
  AppState& state_;
  SizeHeadline* headline_;
  QLabel* empty_;
  QScrollArea* scroll_;
  std::vector<GroupCard*> cards_;
  std::vector<QWidget*> columnWidgets_;
  QPushButton* startOver_;
  QPushButton* seeDetails_;
  PrimaryButton* clean_;
  Signature shown_;
  bool built_ = false;
};

}  // namespace tolvex
