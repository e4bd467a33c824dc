#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/StorageBucket.h"
#include "system/ScanSnapshot.h"

namespace tolvex {

// One row of the folders that grew or shrank between two snapshots of the same root.
struct FolderChange {
  std::string path;          // as in the snapshots' `folders` keys
  int64_t before = 0;        // bytes in the baseline (0 when absent); 0 for a remainder row
  int64_t after = 0;         // bytes in the latest (0 when absent); the unexplained change for a remainder row
  bool isRemainder = false;  // the part of the folder's change its listed subfolders do not explain

  bool operator==(const FolderChange&) const = default;
  // `path`, or `path` + "#rest" for a remainder row.
  std::string id() const;
  // after − before (saturating at the limits of 64 bits).
  int64_t change() const;
};

struct FolderChangeHash {
  size_t operator()(const FolderChange& change) const;
};

// The change of one storage category between two snapshots.
struct BucketChange {
  StorageBucket bucket = StorageBucket::other;
  int64_t delta = 0;  // latest bytes minus baseline bytes
  bool operator==(const BucketChange&) const = default;
  StorageBucket id() const { return bucket; }
};

// Folder path → the recorded paths directly inside it.
using FolderIndex = std::map<std::string, std::vector<std::string>>;

// The folders whose change reaches `minimumChange` bytes, explained down the folder tree: for each
// branch the deepest folders that carry the change, plus a remainder row wherever a folder changed by
// at least `minimumChange` more (or less) than its listed subfolders. Largest absolute change first,
// at most `limit` rows. Snapshots of different roots give no rows. All sums are 64-bit integers.
std::vector<FolderChange> folderChanges(const ScanSnapshot& baseline, const ScanSnapshot& latest, int64_t minimumChange,
                                        size_t limit);

// The step of `folderChanges` for one folder: appends to `rows` the rows of `folder`'s branch, in
// the order of the index. Works with its own stack, so no folder tree is too deep for it.
void collectFolderChanges(const std::string& folder, const FolderIndex& children, const ScanSnapshot& latest,
                          const ScanSnapshot& baseline, int64_t minimumChange, std::vector<FolderChange>& rows);

// The categories whose bytes changed by at least `minimumChange`, largest absolute change first,
// equal magnitudes in category order. The roots are not compared.
std::vector<BucketChange> bucketChanges(const ScanSnapshot& baseline, const ScanSnapshot& latest,
                                        int64_t minimumChange);

}  // namespace tolvex
