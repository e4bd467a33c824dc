#pragma once
// The duplicate finder: groups of files with identical contents among the file nodes of a scan.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "model/FileNode.h"
#include "model/ScanResult.h"

namespace tolvex {

// Files whose contents are identical.
struct DuplicateGroup {
  std::string id;                              // SHA-256 of the shared content, 64 lowercase hex digits
  int64_t size = 0;                            // allocated bytes of one copy (the first file met)
  std::vector<FileNode*> files;                // two or more, oldest first
  std::unordered_set<const FileNode*> shared;  // files whose storage is already almost all shared
  // The tree the files belong to when the group came from a scan result: it keeps the nodes alive
  // for as long as the group lives, and tells a receiver which scan the group was computed for.
  std::shared_ptr<const FileTree> tree;

  // What removing (or sharing) the extra copies gives back. Copies that already share their storage
  // count together as one copy.
  int64_t reclaimable() const;
};

using DuplicateProgress = std::function<void(double fraction)>;

// Groups the files of at least `minimumSize` logical bytes by content, largest saving first. Files
// inside application bundles (".app/") and photo libraries (".photoslibrary/") are never offered,
// nor deleted nodes. Contents are read only where logical sizes collide: the first 64 KiB, then the
// whole file for the files that still match. A file that cannot be read, or that is no longer a
// regular file, joins no group. `progress` (may be empty) is called on the calling thread with the
// fraction of size groups taken up, every 20 groups and once with 1.0 at the end. Blocking; a few
// size groups are read at once on helper threads that end before it returns, which changes neither
// the groups, nor their order, nor the progress calls.
std::vector<DuplicateGroup> findDuplicates(const std::vector<FileNode*>& files, int64_t minimumSize,
                                           const DuplicateProgress& progress);
// The same over a scan's files; every group holds the scan's tree.
std::vector<DuplicateGroup> findDuplicates(const ScanResult& scan, int64_t minimumSize,
                                           const DuplicateProgress& progress);

using Sha256Digest = std::array<unsigned char, 32>;

// The SHA-256 of the first `limit` bytes of the file (all of it without a limit), as lowercase hex.
// None when the path is not a regular file (a link, a pipe or a device is never followed, waited on
// or read) or cannot be read to the end. Reading leaves the file's access time alone where the
// system allows it.
std::optional<std::string> hashFile(const std::string& path, std::optional<int64_t> limit = std::nullopt);

// Each byte of a digest as two lowercase hex digits.
std::vector<std::string> hexString(const Sha256Digest& digest);

}  // namespace tolvex
