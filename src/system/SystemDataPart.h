#pragma once
// What the system keeps on the disk for itself ("System Data"): a fixed table of well-known system
// locations, each measured into a part with its explanation and advice, largest first. The table
// holds a Mac's locations and a Linux system's (with one row per swap file the kernel lists); those a
// disk lacks are left out. A location the current scan covers takes its size from the scan; the
// others are walked on disk as the user, so what the user cannot read counts zero.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/FileNode.h"
#include "model/Risk.h"
#include "model/ScanResult.h"

namespace tolvex {

struct SystemDataPart {
  // One row of the fixed table.
  struct Row {
    std::string id;
    std::string path;  // on the startup disk, as the user sees it
    std::string title;
    std::string explanation;
    std::string advice;
    Risk risk = Risk::protected_;
    std::string symbol;
  };

  std::string id;
  std::string title;
  std::string explanation;
  std::string advice;
  int64_t size = 0;                 // allocated bytes, at least 1
  std::optional<std::string> path;  // the path actually measured
  Risk risk = Risk::protected_;
  std::string symbol;
  // Some of it could not be read and counts zero, so `size` is a lower bound.
  bool partial = false;

  bool operator==(const SystemDataPart&) const = default;

  // A Mac's eight rows, in table order; built once, never changed, readable from any thread.
  static const std::vector<Row>& all();
  // A Linux system's fixed rows, in table order (swap files come from the kernel's list, see
  // `swapFileRows`). They never overlap one another nor a Mac's rows.
  static const std::vector<Row>& linuxRows();
};

// Where a measurement looks. Tests lay out a disk, with its kernel lists, in a temporary folder.
struct SystemDataSources {
  std::string root;    // the folder that stands for "/" (empty: "/" itself)
  std::string swaps;   // the kernel's list of swap areas (empty: <root>/proc/swaps)
  std::string mounts;  // the mount table (empty: <root>/proc/self/mounts)

  // A disk laid out under `root`, its kernel lists in its own proc folder.
  static SystemDataSources under(std::string root) { return {std::move(root), {}, {}}; }
};

// One row per swap file in the kernel's list of swap areas (partitions are not files on a disk), in
// the list's order: ids "swap", "swap-2", … A file listed twice gives one row.
std::vector<SystemDataPart::Row> swapFileRows(std::string_view procSwaps);

// Whether a path lies on a file system kept in memory (tmpfs, ramfs), by the mount table's text: the
// deepest mount point holding the path decides, a later line over an earlier one.
bool isOnMemoryFileSystem(std::string_view mounts, std::string_view path);

// The rows to measure: a Mac's, the Linux rows and the swap files, less any that lies on a file
// system kept in memory (it takes no disk space) and any swap file inside another row (its bytes are
// counted there already). Reads the sources' kernel lists; a missing list counts as empty.
std::vector<SystemDataPart::Row> systemDataRows(const SystemDataSources& sources);

// Finds the scan's node for a path; none when the scan does not hold it.
using SystemDataLookup = std::function<const FileNode*(const std::string& path)>;

// The node of `scan` at `path`, or none: without a scan, when `path` is not the scan's (folded) root
// or inside it, or when a component is missing or deleted. Among children of the same name, the
// first one that is not deleted is taken.
const FileNode* scannedSizeAtPath(const std::string& path, const ScanResult* scan);

// Told how many rows of how many are measured, each time one more is; called from the measuring
// threads, one call at a time.
using SystemDataProgress = std::function<void(size_t measured, size_t total)>;

// Every row of `systemDataRows` measured: the rows the lookup finds take the node's size (partial
// when a folder below it was unreadable to the scan), the others are measured on disk in parallel.
// Parts below 1 byte are left out; largest first, equal sizes in table order. Blocking: run it off
// the user-interface thread.
std::vector<SystemDataPart> measureSystemDataParts(const ScanResult* scan, const SystemDataSources& sources = {},
                                                   const SystemDataProgress& progress = {});
std::vector<SystemDataPart> measureSystemDataPartsWithLookup(const SystemDataLookup& lookup,
                                                             const SystemDataSources& sources = {},
                                                             const SystemDataProgress& progress = {});

// One row measured: the path measured is the row's path under the data volume when something exists
// there, else the plain path; the size is `knownSize` when given (partial as `knownPartial` says),
// else the allocated size of the tree at the path measured, partial when some of it was unreadable.
// `diskRoot` stands for "/". None when the size is below 1.
std::optional<SystemDataPart> measureSystemDataPart(const SystemDataPart::Row& row, std::optional<int64_t> knownSize,
                                                    const std::string& diskRoot = {}, bool knownPartial = false);

// Whether the scan could not read a folder at or below `node` (deleted ones aside).
bool holdsUnreadable(const FileNode* node);

// Largest first; the sort is stable.
void sortSystemDataParts(std::vector<SystemDataPart>& parts);

}  // namespace tolvex
