#pragma once
// The used-space chart without widgets: which samples are plotted, the dashed projection of the
// current trend, the vertical domain with its full-disk rule, and the axis ticks and labels.
// Dates are seconds since 1970, values bytes.
#include <QString>
#include <QTimeZone>
#include <cstdint>
#include <optional>
#include <vector>

#include "system/ScanSnapshot.h"
#include "system/SpaceForecast.h"

namespace tolvex::spacechart {

// Samples are plotted every `step`-th from this many on (`step` = count / kThinningTarget).
inline constexpr size_t kThinningTarget = 150;
inline constexpr double kMinimumPad = 1'000'000'000;  // a flat history still gets a band
inline constexpr double kPadShare = 0.35;
inline constexpr double kFullShare = 0.999;  // a projection this close to the disk size reaches it
inline constexpr double kFullHeadroom = 1.03;
inline constexpr double kMinimumHorizonDays = 14;
inline constexpr int kValueTickTarget = 4;
inline constexpr int kDateTickTarget = 5;

// One plotted point, identified by its date.
struct Point {
  double date = 0;
  double used = 0;
  bool operator==(const Point&) const = default;
};

// Every sample below 150 of them; from 150 on every (count / 150)-th, plus the newest one when the
// stride missed it. Stored order (oldest first) is kept.
std::vector<SpaceSample> thinnedSamples(const std::vector<SpaceSample>& samples);

// The thinned samples as points.
std::vector<Point> points(const std::vector<SpaceSample>& samples);

// The two points of the dashed projection from `last`: one second after it at the same value, then
// `horizon` days on at the value the trend reaches, never above `total`. The horizon is 1.5 × the
// sampled span, at least 14 days, but never past the expected fill-up day. Empty without a last
// point, a forecast or an expected fill-up day.
std::vector<Point> projection(const std::optional<Point>& last, int64_t total,
                              const std::optional<SpaceForecast>& forecast);

// The vertical domain: the plotted values padded by 35 % of their range (at least 1 GB of range)
// above and below, never below zero; up to 103 % of the disk size when the projection reaches it.
struct Scale {
  double lower = 0;
  double upper = 1;
  bool reachesFull = false;  // draw the "Disk size" rule
  bool operator==(const Scale&) const = default;
};
// `upper` is always above `lower`, also for a disk size of zero or samples far above the disk size.
Scale scale(const std::vector<Point>& points, const std::vector<Point>& projection, int64_t total);

// Round values (1, 2 or 5 times a power of ten) between `lower` and `upper` inclusive, about
// `target` of them.
std::vector<double> valueTicks(double lower, double upper, int target = kValueTickTarget);

// Midnights of `zone` between `start` and `end` inclusive, a whole number of days apart (1, 2, 3, 7,
// 14, 30, 61, 91, 182 or 365), about `target` of them; the start itself when no midnight lies between.
std::vector<double> dateTicks(double start, double end, const QTimeZone& zone, int target = kDateTickTarget);

// The byte text of a tick (negative values read as 0); empty for a value that is not a number.
QString valueLabel(double value);
// The day and abbreviated month of a date in `zone` ("5 Mar").
QString dateLabel(double date, const QTimeZone& zone);

}  // namespace tolvex::spacechart
