#include "engines/SpaceSharing.h"

#include <algorithm>
#include <unordered_set>

#include "model/Risk.h"
#include "platform/Identifiers.h"

namespace tolvex {

namespace {

FileNode* firstUnselected(const DuplicateGroup& group, const NodeSelection& selection) {
  auto keeper = std::find_if(group.files.begin(), group.files.end(),
                             [&](const FileNode* file) { return !selection.contains(file); });
  return keeper == group.files.end() ? nullptr : *keeper;
}

DeletionFailure failure(const std::string& path, std::string reason) {
  return DeletionFailure{makeUUID(), path, std::move(reason)};
}

}  // namespace

std::vector<SharePair> sharePairs(const std::vector<DuplicateGroup>& groups, const NodeSelection& selection) {
  std::vector<SharePair> pairs;
  for (const DuplicateGroup& group : groups) {
    FileNode* keeper = firstUnselected(group, selection);
    if (!keeper) continue;
    for (FileNode* file : group.files)
      if (selection.contains(file)) pairs.push_back({file, keeper});
  }
  return pairs;
}

std::string cloneFailureReason(const std::exception& error) {
  if (const auto* failure = dynamic_cast<const APFSClone::Failure*>(&error)) return failure->reason();
  return error.what();
}

CloneReport shareSpaceItems(const std::vector<std::pair<std::string, std::string>>& pairs, const CloneFunction& replace,
                            const SafetyContext& safety) {
  CloneReport report;
  for (const auto& [duplicate, keeper] : pairs) {
    const SafetyVerdict verdict = SafetyVerdict::forPath(duplicate, safety);
    if (verdict.risk == Risk::protected_) {
      report.failures.push_back(failure(duplicate, verdict.reason));
      continue;
    }
    try {
      report.reclaimed += replace(duplicate, keeper);
      report.converted.push_back(duplicate);
    } catch (const APFSClone::Failure& error) {
      if (error.kind() == APFSClone::Failure::Kind::alreadyShared)
        ++report.alreadyShared;
      else
        report.failures.push_back(failure(duplicate, cloneFailureReason(error)));
    } catch (const std::exception& error) {
      report.failures.push_back(failure(duplicate, cloneFailureReason(error)));
    }
  }
  return report;
}

void applyCloneReport(std::vector<DuplicateGroup>& groups, const CloneReport& report, const NodeSelection& selection) {
  const std::unordered_set<std::string> converted(report.converted.begin(), report.converted.end());
  for (DuplicateGroup& group : groups) {
    bool changed = false;
    for (const FileNode* file : group.files)
      if (converted.contains(file->path())) {
        group.shared.insert(file);
        changed = true;
      }
    if (!changed) continue;
    if (const FileNode* keeper = firstUnselected(group, selection)) group.shared.insert(keeper);
  }
}

}  // namespace tolvex
