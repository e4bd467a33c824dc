#include "views/analysis/logic/Composition.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/theme/Theme.h"
#include "model/Formatting.h"

namespace tolvex {
namespace {

QString tr(const char* text) { return QCoreApplication::translate("CompositionCard", text); }

QString bytes(int64_t count) { return QString::fromStdString(formatBytes(std::max<int64_t>(count, 0))); }

QString bucketTitle(StorageBucket bucket) { return QCoreApplication::translate("StorageBucket", title(bucket)); }

}  // namespace

int64_t Composition::otherSizeFor(const std::optional<VolumeInfo>& volume, const std::optional<ScanTarget>& target,
                                  int64_t scannedSize) {
  if (!volume || !target || target->kind != ScanTarget::Kind::wholeDisk) return 0;
  return std::max<int64_t>(0, (volume->total - volume->available) - scannedSize);
}

Composition Composition::make(std::vector<std::pair<StorageBucket, int64_t>> breakdown,
                              const std::optional<VolumeInfo>& volume, const std::optional<ScanTarget>& target,
                              int64_t scannedSize) {
  Composition c;
  for (const auto& [bucket, size] : breakdown) {
    c.rows.push_back({bucket, size});
    c.total += size;
  }
  c.otherSize = otherSizeFor(volume, target, scannedSize);
  c.total += c.otherSize;
  const bool wholeDisk = volume && target && target->kind == ScanTarget::Kind::wholeDisk;
  c.barTotal = wholeDisk ? volume->total : c.total;
  return c;
}

std::vector<Segment> Composition::segments() const {
  std::vector<Segment> out;
  for (const CompositionRow& row : rows) {
    const QString name = bucketTitle(row.bucket);
    out.push_back({name, name, row.bytes, Theme::colorFor(row.bucket)});
  }
  if (otherSize > 0)
    out.push_back(
        {QStringLiteral("macos"), tr("macOS and other"), otherSize, Theme::withOpacity(Theme::graphite(), 0.5)});
  return out;
}

CompositionCentre Composition::centre(std::optional<StorageBucket> selected) const {
  if (selected) {
    for (const CompositionRow& row : rows)
      if (row.bucket == *selected) return {bytes(row.bytes), bucketTitle(*selected)};
    return {bytes(total), bucketTitle(*selected)};
  }
  return {bytes(total), tr("Total")};
}

QString Composition::percent(int64_t part) const { return QString::fromStdString(percentText(part, total)); }

std::vector<DonutSector> Composition::sectors() const {
  std::vector<DonutSector> out;
  if (total < 1) return out;
  double start = 90;  // twelve o'clock; clockwise is a negative span
  auto add = [&](std::optional<StorageBucket> bucket, int64_t size) {
    const double span = -360.0 * static_cast<double>(size) / static_cast<double>(total);
    out.push_back({bucket, start, span});
    start += span;
  };
  for (const CompositionRow& row : rows) add(row.bucket, row.bytes);
  if (otherSize > 0) add(std::nullopt, otherSize);
  return out;
}

std::optional<size_t> sectorAt(const std::vector<DonutSector>& sectors, QPointF centre, double outerRadius,
                               double innerRatio, QPointF point) {
  const double dx = point.x() - centre.x();
  const double dy = centre.y() - point.y();  // up is positive, as the angles count
  const double distance = std::hypot(dx, dy);
  if (distance > outerRadius || distance < outerRadius * innerRatio) return std::nullopt;
  double angle = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
  for (size_t i = 0; i < sectors.size(); ++i) {
    const DonutSector& s = sectors[i];
    const double low = std::min(s.startAngle, s.startAngle + s.spanAngle);
    const double high = std::max(s.startAngle, s.startAngle + s.spanAngle);
    // The angle once turned into the sector's range of degrees, if it can be.
    double a = angle;
    while (a < low) a += 360;
    while (a >= low + 360) a -= 360;
    if (a >= low && a < high) return i;
  }
  return std::nullopt;
}

}  // namespace tolvex
