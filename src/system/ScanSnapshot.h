#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "model/ScanResult.h"
#include "model/StorageBucket.h"

namespace tolvex {

// The compact record of one finished scan that the trend store keeps: totals per storage category
// and per large folder.
struct ScanSnapshot {
  std::string id;    // random UUID, upper case with hyphens
  double date = 0;   // seconds since 1970 (stored as seconds since 2001 in "scans.json")
  std::string root;  // the scanned root path, data-volume prefix folded
  int64_t total = 0;
  // Bytes per category; key = the bucket's raw value as decimal text ("0" … "11").
  std::map<std::string, int64_t> buckets;
  // Bytes per recorded folder; key = the folded folder path (bytes, as on disk). Always holds the root.
  std::map<std::string, int64_t> folders;

  bool operator==(const ScanSnapshot&) const = default;

  // Folders larger than this many bytes (and all their ancestors) are recorded.
  static constexpr int64_t kFolderThreshold = 15'999'999;
  // Recorded folders lie at most this many levels below the root.
  static constexpr int kMaxFolderDepth = 7;

  // A new snapshot of `scan`, dated `date` (seconds since 1970). Reads the tree only; safe on the
  // scan's background thread before the result is handed over.
  static ScanSnapshot fromScan(const ScanResult& scan, double date);
};

// One reading of the startup volume's capacity.
struct SpaceSample {
  double date = 0;   // seconds since 1970 (stored as seconds since 2001 in "space.json")
  int64_t used = 0;  // total capacity minus available capacity
  int64_t total = 0;
  bool operator==(const SpaceSample&) const = default;
};

// The decimal raw value of a category, as used for the keys of `ScanSnapshot::buckets`.
std::string bucketKey(StorageBucket bucket);

// A scan's category totals keyed by `bucketKey`.
std::map<std::string, int64_t> bucketSizeMap(const std::map<StorageBucket, int64_t>& bucketTotals);

}  // namespace tolvex
