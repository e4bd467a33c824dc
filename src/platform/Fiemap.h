#pragma once
// How much of a file's storage is its own, read from the file system's extent map (FIEMAP).
#include <cstdint>
#include <optional>
#include <string>

namespace tolvex {

struct ExtentUsage {
  int64_t privateBytes = 0;  // extents that only this file uses
  int64_t sharedBytes = 0;   // extents the file system reports as shared with another file
  bool operator==(const ExtentUsage&) const = default;
};

// The extents of the regular file at `path` (a final symbolic link is followed), summed by whether
// they are shared. None when the path is not a regular file or the file system has no extent map.
// Opening never waits: a path replaced by a pipe or a device gives none.
std::optional<ExtentUsage> extentUsage(const std::string& path);
std::optional<ExtentUsage> extentUsage(int fd);

// The bytes that only this file holds: what deleting it would give back. None when the file system
// cannot tell.
std::optional<int64_t> privateSize(const std::string& path);

}  // namespace tolvex
