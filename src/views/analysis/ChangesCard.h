#pragma once
// "What changed": the newest scan of the current root against an earlier one the user may pick:
// the change of the total, the categories that changed most and the folders that grew or shrank by
// at least 100 MB. Before there are two scans of the root it explains itself and offers a scan.
#include <optional>
#include <string>

#include "app/components/Card.h"
#include "views/analysis/logic/ChangesComparison.h"

class QPushButton;
class QToolButton;

namespace tolvex {

class AppState;
class ChangeRow;

class ChangesCard : public Card {
  Q_OBJECT
 public:
  explicit ChangesCard(AppState& state, QWidget* parent = nullptr);

  // Reads the scan and the trend store again; widgets are rebuilt only when what they show changed.
  void refresh();

  // The earlier scan the user picked (kept for the life of the card, even when it is gone).
  const std::optional<std::string>& baselineID() const { return baselineID_; }
  void chooseBaseline(const std::string& id);

  const ChangesCardContent& content() const { return content_; }
  std::vector<ChangeRow*> rows() const;

 private:
  void rebuild();
  QWidget* buildFirstScan();
  QWidget* buildComparison();
  QWidget* buildHeader();
  QWidget* buildTotals();
  QWidget* buildChips();
  QWidget* buildRows();

  AppState& state_;
  std::optional<std::string> baselineID_;
  ChangesCardContent content_;
  bool built_ = false;
  QWidget* face_ = nullptr;
  QPushButton* scanButton_ = nullptr;
};

}  // namespace tolvex
