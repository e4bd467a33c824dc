#include "views/analysis/logic/SpaceChartScale.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

#include "model/Formatting.h"

namespace tolvex::spacechart {
namespace {
constexpr double kSecondsPerDay = 86'400;
}

std::vector<SpaceSample> thinnedSamples(const std::vector<SpaceSample>& samples) {
  const size_t n = samples.size();
  if (n == 0) return {};
  const size_t step = n < kThinningTarget ? 1 : n / kThinningTarget;
  std::vector<SpaceSample> kept;
  kept.reserve(n / step + 1);
  for (size_t i = 0; i < n; i += step) kept.push_back(samples[i]);
  if (kept.back().date != samples.back().date) kept.push_back(samples.back());
  return kept;
}

std::vector<Point> points(const std::vector<SpaceSample>& samples) {
  std::vector<Point> out;
  for (const SpaceSample& sample : thinnedSamples(samples))
    out.push_back({sample.date, static_cast<double>(sample.used)});
  return out;
}

std::vector<Point> projection(const std::optional<Point>& last, int64_t total,
                              const std::optional<SpaceForecast>& forecast) {
  if (!last || !forecast || !forecast->daysLeft) return {};
  const double horizon = std::min(std::max(1.5 * forecast->spanDays, kMinimumHorizonDays), *forecast->daysLeft);
  const double end = std::min(last->used + horizon * forecast->bytesPerDay, static_cast<double>(total));
  return {{last->date + 1, last->used}, {last->date + horizon * kSecondsPerDay, end}};
}

Scale scale(const std::vector<Point>& points, const std::vector<Point>& projection, int64_t total) {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -std::numeric_limits<double>::infinity();
  for (const auto* list : {&points, &projection}) {
    for (const Point& p : *list) {
      lo = std::min(lo, p.used);
      hi = std::max(hi, p.used);
    }
  }
  if (!std::isfinite(hi)) lo = 0, hi = 1;
  const double pad = kPadShare * std::max(hi - lo, kMinimumPad);
  // The rule marks where the projected trend meets the disk size; with no projection nothing does.
  const double full = static_cast<double>(total);
  Scale s;
  s.reachesFull = !projection.empty() && projection.back().used >= kFullShare * full;
  s.upper = s.reachesFull ? kFullHeadroom * full : hi + pad;
  s.lower = std::max(lo - pad, 0.0);
  // A disk size of zero, or samples far above it, would turn the domain over: keep the samples' band.
  if (!(s.upper > s.lower)) s.upper = hi + pad;
  if (!(s.upper > s.lower)) s.upper = s.lower + kMinimumPad;
  return s;
}

std::vector<double> valueTicks(double lower, double upper, int target) {
  const double span = upper - lower;
  if (!(span > 0) || !std::isfinite(span) || target < 1) return {};
  const double raw = span / target;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double norm = raw / magnitude;
  const double step = (norm < 1.5 ? 1 : norm < 3 ? 2 : norm < 7 ? 5 : 10) * magnitude;
  std::vector<double> ticks;
  for (double k = std::ceil(lower / step); k * step <= upper + step * 1e-9; ++k) ticks.push_back(k * step);
  return ticks;
}

std::vector<double> dateTicks(double start, double end, const QTimeZone& zone, int target) {
  if (!(end >= start) || !std::isfinite(start) || !std::isfinite(end)) return {};
  static constexpr int kSteps[] = {1, 2, 3, 7, 14, 30, 61, 91, 182, 365};
  const double spanDays = (end - start) / kSecondsPerDay;
  int step = kSteps[std::size(kSteps) - 1];
  for (int candidate : kSteps) {
    if (spanDays / candidate <= target) {
      step = candidate;
      break;
    }
  }
  const QDateTime first = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::ceil(start)), zone);
  QDate day = first.date();
  if (first.time() != QTime(0, 0)) day = day.addDays(1);
  std::vector<double> ticks;
  constexpr size_t kMaxTicks = 1000;  // dates far apart must not make a tick per day
  for (; ticks.size() < kMaxTicks; day = day.addDays(step)) {
    const double at = static_cast<double>(QDateTime(day, QTime(0, 0), zone).toSecsSinceEpoch());
    if (at > end) break;
    ticks.push_back(at);
  }
  if (ticks.empty()) ticks.push_back(start);
  return ticks;
}

QString valueLabel(double value) {
  if (std::isnan(value)) return {};
  const double clamped = std::min(value, 9.2e18);
  return QString::fromStdString(formatBytes(clamped > 0 ? static_cast<int64_t>(clamped) : 0));
}

QString dateLabel(double date, const QTimeZone& zone) {
  return QLocale().toString(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(date)), zone),
                            QStringLiteral("d MMM"));
}

}  // namespace tolvex::spacechart
