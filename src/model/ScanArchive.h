#pragma once
// The scan archive: the last scan, saved so it survives a restart ("last-scan.tvxscan" in the
// application folder). An LZFSE stream of a little-endian binary record: header, totals, then the
// tree in depth-first pre-order, one fixed-width record plus the name's bytes per node. Names and
// paths are stored and restored as their exact bytes. Nodes marked deleted, with everything below
// them, are left out.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "model/ScanResult.h"

namespace tolvex {

// Writes `result` and `target` to `path` atomically (a reader sees the old file or the new one).
// Throws std::runtime_error when the file cannot be written, or when `result` has no tree; the file
// at `path` is then left as it was. Only reads the tree; safe to run on a background thread while
// the tree is alive.
void writeScanArchive(const ScanResult& result, const ScanTarget& target, const std::string& path);

// Reads an archive back; none for anything that is not a complete, valid archive (missing file,
// data that does not decompress, wrong magic or version, unknown target, a count that the data
// cannot hold, a record cut short). Never throws for bad data. The `files` list is rebuilt as the
// file nodes in pre-order.
std::optional<std::pair<ScanResult, ScanTarget>> readScanArchive(const std::string& path);

// The uncompressed archive stream (what `writeScanArchive` compresses), and its reader.
std::string scanArchiveBytes(const ScanResult& result, const ScanTarget& target);
std::optional<std::pair<ScanResult, ScanTarget>> readScanArchiveBytes(std::string_view bytes);

// Reading refuses a table with more entries than this; a key that appears twice keeps its last value.
inline constexpr uint32_t kScanArchiveMaxTableEntries = 999;

}  // namespace tolvex
