#include "system/SpaceForecast.h"

#include <algorithm>

namespace tolvex {

namespace {
constexpr double kSecondsPerDay = 86'400;
}

std::optional<SpaceForecast> forecastSpace(const std::vector<SpaceSample>& samples, int64_t available, double now,
                                           double windowDays) {
  std::vector<SpaceSample> used;
  for (const SpaceSample& sample : samples)
    if (now - sample.date <= windowDays * kSecondsPerDay) used.push_back(sample);
  std::stable_sort(used.begin(), used.end(),
                   [](const SpaceSample& a, const SpaceSample& b) { return a.date < b.date; });
  if (used.size() < kForecastMinimumSamples) return std::nullopt;

  const double oldest = used.front().date;
  const double spanDays = (used.back().date - oldest) / kSecondsPerDay;
  if (!(spanDays >= kForecastMinimumSpanDays)) return std::nullopt;

  const double n = static_cast<double>(used.size());
  double sumX = 0, sumY = 0;
  for (const SpaceSample& sample : used) {
    sumX += (sample.date - oldest) / kSecondsPerDay;
    sumY += static_cast<double>(sample.used);
  }
  const double mx = sumX / n, my = sumY / n;
  double sxx = 0, sxy = 0;
  for (const SpaceSample& sample : used) {
    double dx = (sample.date - oldest) / kSecondsPerDay - mx;
    double dy = static_cast<double>(sample.used) - my;
    sxx += dx * dx;
    sxy += dx * dy;
  }
  if (!(sxx > 0)) return std::nullopt;

  SpaceForecast forecast;
  forecast.bytesPerDay = sxy / sxx;
  forecast.spanDays = spanDays;
  if (forecast.bytesPerDay >= kForecastMinimumBytesPerDay)
    forecast.daysLeft = static_cast<double>(std::max<int64_t>(available, 0)) / forecast.bytesPerDay;
  return forecast;
}

}  // namespace tolvex
