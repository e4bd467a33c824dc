#include "engines/Deleter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

#include "model/SafetyVerdict.h"
#include "platform/Identifiers.h"
#include "platform/Paths.h"
#include "platform/Trash.h"

namespace tolvex {

DeletionRequest DeletionRequest::make(std::string path, int64_t size, Removal removal) {
  return DeletionRequest{makeUUID(), std::move(path), size, removal};
}

std::string failureReason(int error) {
  switch (error) {
    case EACCES: return "No permission. It may need Full Disk Access, or it belongs to another user.";
    case ENOENT: return "No longer exists.";
    case EPERM:
    case EBUSY:
    case ETXTBSY: return "Protected by macOS or in use.";
    default: return std::system_category().message(error);
  }
}

namespace {

// Where the path leads once the links among its folders are followed; empty when they cannot be.
std::string resolvedLocation(const std::string& path) {
  char resolved[PATH_MAX];
  if (!realpath(parentPath(path).c_str(), resolved)) return {};
  return appendPath(resolved, lastPathComponent(path));
}

}  // namespace

DeletionOutcome performDeletion(const std::vector<DeletionRequest>& requests) {
  return performDeletion(requests, SafetyContext::current());
}

DeletionOutcome performDeletion(const std::vector<DeletionRequest>& requests, const SafetyContext& context) {
  DeletionOutcome outcome;
  DeletionReport& report = outcome.report;
  for (const DeletionRequest& request : requests) {
    SafetyVerdict verdict = SafetyVerdict::forPath(request.path, context);
    // The path acted on is the one judged: "." components and extra "/" dropped, so a trailing "/."
    // can never lead through a link the verdict did not see.
    const auto path = pathForJudging(request.path);
    if (verdict.risk != Risk::protected_ && path) {
      // A folder of the path may be a link to somewhere else: that place is judged too.
      const std::string resolved = resolvedLocation(*path);
      if (!resolved.empty() && resolved != *path) {
        SafetyVerdict there = SafetyVerdict::forPath(resolved, context);
        if (there.risk == Risk::protected_) verdict = there;
      }
    }
    if (verdict.risk == Risk::protected_ || !path) {
      report.skippedProtected.push_back({makeUUID(), request.path, verdict.reason});
      continue;
    }

    int error = 0;
    std::optional<std::string> trashPath;
    double date = nowSince1970();
    if (request.removal == Removal::permanent) {
      error = removePermanently(*path);
    } else {
      TrashMove moved = moveToTrash(*path, date);
      error = moved.error;
      if (!error && !moved.trashPath.empty()) trashPath = moved.trashPath;
    }
    if (error) {
      report.failures.push_back({makeUUID(), request.path, failureReason(error)});
      continue;
    }
    if (request.removal == Removal::permanent) {
      report.freed += request.size;
      date = nowSince1970();
    } else {
      report.movedToTrash += request.size;
    }
    report.deletedPaths.push_back(request.path);
    outcome.entries.push_back(HistoryEntry{makeUUID(), date, *path, trashPath, request.size, false});
  }
  return outcome;
}

}  // namespace tolvex
