#pragma once
// What the Overview's composition card shows: the categories of the scan, largest first, and for a
// whole-disk scan the used space the scan could not see ("macOS and other"), with the bar's total,
// the legend's percentages, the text in the donut's hole and the donut's sectors.
#include <QPointF>
#include <QString>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "app/components/SegmentedBar.h"
#include "model/ScanResult.h"
#include "model/StorageBucket.h"
#include "model/VolumeInfo.h"

namespace tolvex {

struct CompositionRow {
  StorageBucket bucket;
  int64_t bytes = 0;
  bool operator==(const CompositionRow&) const = default;
};

struct CompositionCentre {
  QString value;    // byte text
  QString caption;  // "Total" or the category's title
  bool operator==(const CompositionCentre&) const = default;
};

// One sector of the donut: angles in degrees, counter-clockwise from three o'clock as Qt draws arcs.
// `bucket` is none for the "macOS and other" sector.
struct DonutSector {
  std::optional<StorageBucket> bucket;
  double startAngle = 0;
  double spanAngle = 0;
  bool operator==(const DonutSector&) const = default;
};

struct Composition {
  std::vector<CompositionRow> rows;  // the breakdown, largest first
  int64_t otherSize = 0;             // "macOS and other"; 0 when absent
  int64_t total = 0;                 // rows plus otherSize
  int64_t barTotal = 0;              // the volume for a whole-disk scan with volume figures, else total

  bool operator==(const Composition&) const = default;

  // The used space a whole-disk scan could not see: max(0, used − scanned); 0 without volume
  // figures or for any other scan target.
  static int64_t otherSizeFor(const std::optional<VolumeInfo>& volume, const std::optional<ScanTarget>& target,
                              int64_t scannedSize);
  static Composition make(std::vector<std::pair<StorageBucket, int64_t>> breakdown,
                          const std::optional<VolumeInfo>& volume, const std::optional<ScanTarget>& target,
                          int64_t scannedSize);

  // The bar's segments: one per row (id and title the category's title), then "macOS and other".
  std::vector<Segment> segments() const;
  // The value and caption in the donut's hole for a selected category (or none).
  CompositionCentre centre(std::optional<StorageBucket> selected) const;
  // "12.5%" of `total`.
  QString percent(int64_t bytes) const;
  // The donut's sectors in drawing order, the first starting at twelve o'clock and going clockwise.
  std::vector<DonutSector> sectors() const;
};

// The sector under `point` of a donut centred at `centre` with the given outer radius and inner
// radius ratio; none in the hole, outside the ring or over no sector.
std::optional<size_t> sectorAt(const std::vector<DonutSector>& sectors, QPointF centre, double outerRadius,
                               double innerRatio, QPointF point);

}  // namespace tolvex
