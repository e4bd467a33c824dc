#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "system/ScanSnapshot.h"

namespace tolvex {

// How fast the startup volume fills, fitted by least squares over recent samples.
struct SpaceForecast {
  double bytesPerDay = 0;  // growth of used bytes per day; negative while the disk empties
  double spanDays = 0;     // days between the oldest and the newest sample used
  // Days until the available bytes are used up at that rate; only for a growth of at least
  // 20,000,000 bytes a day.
  std::optional<double> daysLeft;
  bool operator==(const SpaceForecast&) const = default;
};

inline constexpr size_t kForecastMinimumSamples = 4;
inline constexpr double kForecastMinimumSpanDays = 2.0;
inline constexpr double kForecastMinimumBytesPerDay = 20'000'000;

// The forecast from the samples whose age at `now` (seconds since 1970) is at most `windowDays`
// (samples dated after `now` count too). None with fewer than 4 such samples, a span below 2 days, or
// no spread of dates. `available` is the volume's available bytes; below 0 it counts as 0.
std::optional<SpaceForecast> forecastSpace(const std::vector<SpaceSample>& samples, int64_t available, double now,
                                           double windowDays);

}  // namespace tolvex
