#pragma once
// "Where your space goes": the scan's categories as a segmented bar, a donut with the total in its
// hole and a legend. Hovering a legend row (or its sector) highlights the category; clicking a row
// opens Large & Old filtered to it. A whole-disk scan adds the used space it could not see.
#include <optional>
#include <vector>

#include "app/components/Card.h"
#include "views/analysis/logic/Composition.h"

namespace tolvex {

class AppState;
class CompositionDonut;
class RowButton;
class SegmentedBar;

class CompositionCard : public Card {
  Q_OBJECT
 public:
  explicit CompositionCard(AppState& state, QWidget* parent = nullptr);

  // Reads the scan, the volume and the scan's target again; the legend is rebuilt only when what it
  // shows changed, so the highlighted category stays.
  void refresh();

  const Composition& composition() const { return composition_; }
  std::optional<StorageBucket> selected() const { return selected_; }
  CompositionDonut* donut() const { return donut_; }
  SegmentedBar* bar() const { return bar_; }
  // The legend rows of the categories, in order (the "macOS and other" row is not a button).
  const std::vector<RowButton*>& rows() const { return rows_; }

 private:
  void rebuildLegend();
  void select(std::optional<StorageBucket> bucket);
  void enter(StorageBucket bucket);
  void leave(StorageBucket bucket);
  void open(StorageBucket bucket);

  AppState& state_;
  Composition composition_;
  bool built_ = false;
  std::optional<StorageBucket> selected_;
  SegmentedBar* bar_;
  CompositionDonut* donut_;
  QWidget* legend_;
  std::vector<RowButton*> rows_;
};

}  // namespace tolvex
