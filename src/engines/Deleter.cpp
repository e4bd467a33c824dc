#include "engines/Deleter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

#include "model/SafetyVerdict.h"
#include "platform/FolderHandle.h"
#include "platform/Identifiers.h"
#include "platform/Paths.h"
#include "platform/Trash.h"

namespace tolvex {

DeletionRequest DeletionRequest::make(std::string path, int64_t size, Removal removal) {
  return DeletionRequest{makeUUID(), std::move(path), size, removal};
}

std::string failureReason(int error) {
  switch (error) {
    case EACCES: return kNoPermissionReason;
    case ENOENT: return "No longer exists.";
    case EPERM: return kNotPermittedReason;
    case EBUSY:
    case ETXTBSY: return kInUseReason;
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

// The folder among `chosen` that holds `folder` most closely (its own path may run through links the
// user chose), or none.
std::string chosenFolderFor(const std::string& folder, const std::vector<std::string>& chosen) {
  std::string best;
  for (const std::string& candidate : chosen) {
    const auto plain = pathForJudging(candidate);
    if (plain && isSameOrInside(folder, *plain) && plain->size() > best.size()) best = *plain;
  }
  return best;
}

// The folders whose own paths may run through links: the ones given and every junk rule's folder
// (the finder lists what is inside a rule's folder wherever that folder leads).
std::vector<std::string> foldersChosenWith(const SafetyContext& context, std::vector<std::string> chosen) {
  for (const JunkRule& rule : JunkRule::all()) chosen.push_back(rule.folder(context.places));
  return chosen;
}

// Where one request is to be carried out: the folder holding the item, open, and the item's real
// path; or why it is refused.
struct Target {
  FolderOpen folder;
  std::string name;
  std::string realPath;
  std::optional<SafetyVerdict> refused;  // protected once its real place is judged
  std::string failure;                   // a reason the item cannot be reached
};

Target locate(const std::string& path, const SafetyContext& context, const std::vector<std::string>& chosen) {
  Target target;
  target.name = lastPathComponent(path);
  const std::string folder = parentPath(path);
  target.folder = openFolderWithoutLinks(folder, chosenFolderFor(folder, chosen));
  if (target.folder.error == ELOOP) {
    // A link where the scan saw a folder: the tree changed. What it leads to only decides the words.
    const std::string resolved = resolvedLocation(path);
    SafetyVerdict there =
        resolved.empty() ? SafetyVerdict{Risk::review, ""} : SafetyVerdict::forPath(resolved, context);
    if (there.risk == Risk::protected_)
      target.refused = there;
    else
      target.failure = kFolderChangedReason;
    return target;
  }
  if (target.folder.error) {
    target.failure = failureReason(target.folder.error);
    return target;
  }
  // The folder is judged where it really is now, and the act happens on that very folder.
  const auto realFolder = descriptorPath(target.folder.fd.get());
  if (!realFolder) {
    target.failure = failureReason(ENOENT);
    return target;
  }
  target.realPath = appendPath(*realFolder, target.name);
  if (target.realPath != path) {
    SafetyVerdict there = SafetyVerdict::forPath(target.realPath, context);
    if (there.risk == Risk::protected_) target.refused = there;
  }
  return target;
}

}  // namespace

DeletionOutcome performDeletion(const std::vector<DeletionRequest>& requests, const SafetyContext& context,
                                const std::vector<std::string>& chosenFolders, const std::function<double()>& clock) {
  const std::vector<std::string> chosen = foldersChosenWith(context, chosenFolders);
  DeletionOutcome outcome;
  DeletionReport& report = outcome.report;
  for (const DeletionRequest& request : requests) {
    const SafetyVerdict verdict = SafetyVerdict::forPath(request.path, context);
    // The path acted on is the one judged: "." components and extra "/" dropped, so a trailing "/."
    // can never lead through a link the verdict did not see.
    const auto path = pathForJudging(request.path);
    if (verdict.risk == Risk::protected_ || !path) {
      report.skippedProtected.push_back({makeUUID(), request.path, verdict.reason});
      continue;
    }
    Target target = locate(*path, context, chosen);
    if (target.refused) {
      report.skippedProtected.push_back({makeUUID(), request.path, target.refused->reason});
      continue;
    }
    if (!target.failure.empty()) {
      report.failures.push_back({makeUUID(), request.path, target.failure});
      continue;
    }

    int error = 0;
    std::optional<std::string> trashPath;
    double date = clock();
    if (request.removal == Removal::permanent) {
      error = removePermanentlyAt(target.folder.fd.get(), target.name);
    } else {
      TrashMove moved = moveToTrashAt(target.folder.fd.get(), target.name, date);
      error = moved.error;
      if (!error && !moved.trashPath.empty()) trashPath = moved.trashPath;
    }
    if (error) {
      report.failures.push_back({makeUUID(), request.path, failureReason(error)});
      continue;
    }
    if (request.removal == Removal::permanent) {
      report.freed += request.size;
      date = clock();
    } else {
      report.movedToTrash += request.size;
    }
    report.deletedPaths.push_back(request.path);
    outcome.entries.push_back(HistoryEntry{makeUUID(), date, target.realPath, trashPath, request.size, false});
  }
  return outcome;
}

}  // namespace tolvex
