#pragma once
// What macOS lumps into "System Data": a fixed table of well-known system locations, each measured
// into a part with its explanation and advice, largest first. A location the current scan covers
// takes its size from the scan; the others are walked on disk.
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

  bool operator==(const SystemDataPart&) const = default;

  // The eight rows, in table order; built once, never changed, readable from any thread.
  static const std::vector<Row>& all();
};

// Finds the scan's node for a path; none when the scan does not hold it.
using SystemDataLookup = std::function<const FileNode*(const std::string& path)>;

// The node of `scan` at `path`, or none: without a scan, when `path` is not the scan's (folded) root
// or inside it, or when a component is missing or deleted. Among children of the same name, the
// first one that is not deleted is taken.
const FileNode* scannedSizeAtPath(const std::string& path, const ScanResult* scan);

// Every row measured: the rows the lookup finds take the node's size, the others are measured on
// disk in parallel. Parts below 1 byte are left out; largest first, equal sizes in table order.
// `diskRoot` is the folder that stands for "/" on disk (empty: "/" itself); tests lay out a Mac's
// disk in a temporary folder. Blocking: run it off the user-interface thread.
std::vector<SystemDataPart> measureSystemDataParts(const ScanResult* scan, const std::string& diskRoot = {});
std::vector<SystemDataPart> measureSystemDataPartsWithLookup(const SystemDataLookup& lookup,
                                                             const std::string& diskRoot = {});

// One row measured: the path measured is the row's path under the data volume when something exists
// there, else the plain path; the size is `knownSize` when given, else the allocated size of the tree
// at the path measured. None when the size is below 1.
std::optional<SystemDataPart> measureSystemDataPart(const SystemDataPart::Row& row, std::optional<int64_t> knownSize,
                                                    const std::string& diskRoot = {});

// Largest first; the sort is stable.
void sortSystemDataParts(std::vector<SystemDataPart>& parts);

}  // namespace tolvex
