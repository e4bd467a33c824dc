#pragma once
// The Trends screen: when the disk would fill up at the current pace (the forecast card with the
// used-space chart) and what grew since an earlier scan (the folder changes card). Everything is
// read from AppState and its trend store whenever either changes.
#include "app/screen/Screen.h"

class QScrollArea;

namespace tolvex {

class ChangesCard;
class ForecastCard;

class TrendsView : public Screen {
  Q_OBJECT
 public:
  explicit TrendsView(AppState& state, QWidget* parent = nullptr);
  ~TrendsView() override;

  ForecastCard* forecastCard() const { return forecast_; }
  ChangesCard* changesCard() const { return changes_; }

 protected:
  void refresh() override;

 private:
  QScrollArea* scroll_;
  ForecastCard* forecast_;
  ChangesCard* changes_;
  int trendsObserver_ = 0;
};

}  // namespace tolvex
