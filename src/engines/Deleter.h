#pragma once
// The deleter: the one place where reviewed items are moved to the Trash or removed for good.
#include <cstdint>
#include <string>
#include <vector>

#include "engines/DeletionHistory.h"
#include "engines/JunkRule.h"

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
// is the path acted on, the request's path in its plain form (see `pathForJudging`), which is the same
// for every path a scan produces.
struct DeletionOutcome {
  DeletionReport report;
  std::vector<HistoryEntry> entries;  // one per deleted path, in the same order
};

// Carries out the requests in order. Each path is judged again first: a protected one is refused (and
// so is one whose folders lead, through links, to a protected place); a safe or review one is moved
// to the Trash or removed for good as asked. Every request ends in the report. Blocking: run it off
// the user-interface thread.
DeletionOutcome performDeletion(const std::vector<DeletionRequest>& requests);
DeletionOutcome performDeletion(const std::vector<DeletionRequest>& requests, const SafetyContext& context);

// The user-readable reason for a failed file operation, from its errno.
std::string failureReason(int error);

}  // namespace tolvex
