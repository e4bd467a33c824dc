#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/VolumeInfo.h"
#include "platform/StoreFile.h"
#include "system/ScanSnapshot.h"

namespace tolvex {

// The history behind the trend screens: one `ScanSnapshot` per scan (at most 30 per root) and one
// `SpaceSample` of the startup volume at most every hour (kept for 120 days). Both lists live in
// memory and are written whole, atomically, to "scans.json" and "space.json" in `directory()` on every
// change (through `setWriter`'s writer when one is set). Not thread-safe: one owner thread calls
// every operation.
//
// Dates passed in are seconds since 1970; the files hold seconds since 2001. There is no clock
// inside: callers pass the date of each record, so tests control time exactly.
class TrendStore {
 public:
  enum class Change { snapshots, samples };
  using Observer = std::function<void(Change)>;

  static constexpr double kSnapshotReplaceSeconds = 3600;  // a newer scan this close replaces the latest
  static constexpr size_t kMaxSnapshotsPerRoot = 30;
  static constexpr double kSampleIntervalSeconds = 3600;
  static constexpr double kSampleRetentionSeconds = 10'368'000;  // 120 days

  static constexpr const char* kScansFileName = "scans.json";
  static constexpr const char* kSpaceFileName = "space.json";

  // Keeps its files in `directory`, created with any missing parents (a failure is ignored). Each file
  // is loaded on its own; a missing file gives an empty list, and so does a defective one, which is
  // first set aside (see `StoreFile`) so that the next change of that list does not overwrite it.
  explicit TrendStore(std::string directory);
  TrendStore(const TrendStore&) = delete;
  TrendStore& operator=(const TrendStore&) = delete;

  // Every snapshot of every root, in the order they were appended.
  const std::vector<ScanSnapshot>& snapshots() const { return snapshots_; }
  // Every sample, in stored order (chronological).
  const std::vector<SpaceSample>& samples() const { return samples_; }
  const std::string& directory() const { return directory_; }
  std::string scansFilePath() const;
  std::string spaceFilePath() const;
  // Where defective files were moved at load, if any were.
  std::vector<std::string> setAsidePaths() const;

  // Appends `snapshot`; it replaces its root's latest snapshot when dated less than an hour after it
  // (or before it), and the root keeps only its 30 newest. Rewrites "scans.json".
  // A snapshot whose date is not finite is ignored (it could not be written as JSON).
  void recordSnapshot(ScanSnapshot snapshot);

  // Appends a sample of `volume` dated `date` unless the newest sample not dated after `date` is
  // less than an hour older; samples dated after `date` are then dropped (a clock that was once
  // ahead must not stop sampling), and so are samples more than 120 days older. Rewrites
  // "space.json" only when a sample was appended. Without a volume nothing happens.
  void recordSample(const std::optional<VolumeInfo>& volume, double date);

  // The snapshots whose root equals `root` exactly, newest first (stable for equal dates).
  std::vector<ScanSnapshot> snapshotsForRoot(std::string_view root) const;

  // How a list's file is written: `write` holds the encoded list and returns 0 or the errno of the
  // failure; `path` is the file it writes. Without a writer it runs at once, on the calling thread,
  // and a failure is logged (the list stays in memory, the file keeps its previous content). The
  // application hands it to its background writer instead.
  using Writer = std::function<void(const std::string& path, std::function<int()> write)>;
  void setWriter(Writer writer) { writer_ = std::move(writer); }

  // Observers are called after each change of a list, on the thread that made it.
  int addObserver(Observer observer);
  void removeObserver(int token);

 private:
  void publish(Change change);
  void writeSnapshots() const;
  void writeSamples() const;
  void write(const StoreFile& file, std::optional<std::string> bytes) const;

  std::string directory_;
  StoreFile scansFile_;
  StoreFile spaceFile_;
  std::vector<ScanSnapshot> snapshots_;
  std::vector<SpaceSample> samples_;
  std::vector<std::pair<int, Observer>> observers_;
  Writer writer_;
  int nextToken_ = 1;
};

// The file formats. Encoding gives none only when the list cannot be written as JSON; decoding gives
// none for any defect (not JSON, not an array, a missing key, a wrong type, a malformed "id", a
// number out of range, a path text that is not the canonical form below).
std::optional<std::string> encodeSnapshots(const std::vector<ScanSnapshot>& snapshots);
std::optional<std::vector<ScanSnapshot>> decodeSnapshots(std::string_view json);
std::optional<std::string> encodeSamples(const std::vector<SpaceSample>& samples);
std::optional<std::vector<SpaceSample>> decodeSamples(std::string_view json);

// Paths are bytes, JSON strings are UTF-8. A path is stored as its bytes where they are valid UTF-8;
// every byte that is not part of a valid UTF-8 sequence (and a NUL byte) is stored as a NUL followed
// by its two upper-case hexadecimal digits. No real path holds a NUL, so every UTF-8 path is stored
// unchanged and distinct paths never share a text. `pathFromJsonText` accepts only that canonical
// form, so no two texts of a file can name the same path.
std::string jsonTextForPath(std::string_view path);
std::optional<std::string> pathFromJsonText(std::string_view text);

}  // namespace tolvex
