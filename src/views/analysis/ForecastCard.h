#pragma once
// The first card of the Trends screen: the fill-up forecast from the free-space samples (or, while
// there are too few, how far the learning has come) and the used-space chart.
#include <optional>
#include <vector>

#include "app/components/Card.h"
#include "model/VolumeInfo.h"
#include "system/ScanSnapshot.h"
#include "system/SpaceForecast.h"

class QLabel;
class QProgressBar;

namespace tolvex {

class SpaceChart;
class SymbolTile;

class ForecastCard : public Card {
  Q_OBJECT
 public:
  explicit ForecastCard(QWidget* parent = nullptr);

  // Shows the forecast of `samples` (oldest first) for `volume` at `now` (seconds since 1970).
  void showSamples(const std::vector<SpaceSample>& samples, const std::optional<VolumeInfo>& volume, double now);

  static constexpr double kWindowDays = 30.0;
  static constexpr double kLearningDays = 2.0;
  static constexpr int kProgressSteps = 1000;

  // No forecast without volume information; otherwise the forecast over the last 30 days.
  static std::optional<SpaceForecast> forecastFor(const std::vector<SpaceSample>& samples,
                                                  const std::optional<VolumeInfo>& volume, double now);
  // Days since the oldest sample; 0 without samples.
  static double daysLearned(const std::vector<SpaceSample>& samples, double now);

  SpaceChart* chart() const { return chart_; }

 private:
  QWidget* summary_;
  SymbolTile* summaryTile_;
  QLabel* summaryTitle_;
  QLabel* summaryDetail_;
  QWidget* learning_;
  QProgressBar* learningProgress_;
  SpaceChart* chart_;
};

}  // namespace tolvex
