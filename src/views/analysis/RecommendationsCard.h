#pragma once
// "Recommendations": what the user can do to get space back, each row a button that carries the
// suggestion out. Showing the card loads the junk findings the list depends on, once; while they
// load a spinner turns in the header and the empty text is withheld.
#include <vector>

#include "app/components/Card.h"
#include "engines/Recommendation.h"

class QLabel;

namespace tolvex {

class ActivitySpinner;
class AppState;
class RowButton;

class RecommendationsCard : public Card {
  Q_OBJECT
 public:
  explicit RecommendationsCard(AppState& state, QWidget* parent = nullptr);

  // Builds the list again; rows are rebuilt only when what they show changed.
  void refresh();

  const std::vector<RowButton*>& rows() const { return rows_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Shown {
    std::string id, symbol, title, detail;
    RecommendationTint tint;
    int64_t size;
    bool operator==(const Shown&) const = default;
  };
  void rebuild();
  void loadJunkOnce();

  AppState& state_;
  std::vector<Recommendation> list_;  // the latest list: its actions are bound to the latest findings
  std::vector<Shown> shown_;
  bool built_ = false;
  bool loadAsked_ = false;
  ActivitySpinner* spinner_;
  QLabel* empty_;
  QWidget* rowsBox_;
  std::vector<RowButton*> rows_;
};

}  // namespace tolvex
