#pragma once
// The deleter: the one place where reviewed items are moved to the Trash or removed for good.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engines/DeletionHistory.h"
#include "engines/JunkRule.h"
#include "platform/Identifiers.h"

namespace tolvex {

struct SafetyContext;

struct DeletionRequest {
  std::string id;  // UUID
  std::string path;
  int64_t size = 0;  // bytes the caller attributes to the item
  Removal removal = Removal::trash;

  // A request with a new identifier.
  static DeletionRequest make(std::string path, int64_t size, Removal removal);
};

struct DeletionFailure {
  std::string id;  // UUID
  std::string path;
  std::string reason;
};

struct DeletionReport {
  int64_t freed = 0;         // sizes of the requests removed for good
  int64_t movedToTrash = 0;  // sizes of the requests moved to the Trash
  std::vector<std::string> deletedPaths;
  std::vector<DeletionFailure> failures;
  std::vector<DeletionFailure> skippedProtected;
};

// `deletedPaths` and the failures hold each request's path as given; a history entry's `originalPath`
// is where the item really was when it was acted on: the request's path in its plain form (see
// `pathForJudging`) with any link of the folders the user chose resolved. For a path a scan produced
// under its own root the two are the same.
struct DeletionOutcome {
  DeletionReport report;
  std::vector<HistoryEntry> entries;  // one per deleted path, in the same order
};

// Carries out the requests in order. Each path is judged again first: a protected one is refused. Then
// the folder holding the item is opened once, without following a link below the folder the item was
// found in (`chosenFolders`: a scan's root; every junk rule's folder counts too), and judged again where
// it really is; a folder that leads to a protected place is refused, and a link below the chosen folder
// means the tree changed since it was looked at: the item is left alone (`kFolderChangedReason`). A
// safe or review item is then moved to the Trash or removed for good as asked, through that open
// folder only, so a folder of the path swapped for a link meanwhile cannot redirect the act. Every
// request ends in the report. Each history entry is dated by `clock` (seconds since 1970) when its item
// went. Blocking: run it off the user-interface thread.
[[nodiscard]] DeletionOutcome performDeletion(const std::vector<DeletionRequest>& requests,
                                              const SafetyContext& context,
                                              const std::vector<std::string>& chosenFolders = {},
                                              const std::function<double()>& clock = nowSince1970);

// The reason given to an item whose folders now run through a link that was not there when it was
// found.
inline constexpr const char* kFolderChangedReason = "The folder changed since the scan, so it was left alone.";

// The user-readable reason for a failed file operation, from its errno.
std::string failureReason(int error);

// What the permission errors mean here: EACCES is the folder's (or the file's) permission bits, EPERM
// a shared folder's sticky bit or a file locked against changes, EBUSY a mount point or a file in use.
inline constexpr const char* kNoPermissionReason =
    "No permission. Its folder can\u2019t be changed by you, or it belongs to another user.";
inline constexpr const char* kNotPermittedReason =
    "Not permitted. It belongs to another user in a shared folder, or it is locked against changes.";
inline constexpr const char* kInUseReason = "In use: a mount point, or the file of a running program.";

}  // namespace tolvex
