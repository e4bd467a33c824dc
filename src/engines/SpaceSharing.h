#pragma once
// Space sharing over duplicate groups: which copies share with which kept copy, the batch that
// turns them into shared copies, and what the groups look like afterwards.
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engines/APFSClone.h"
#include "engines/DuplicateFinder.h"
#include "model/SafetyVerdict.h"

namespace tolvex {

// A selected copy and the copy of its group it will share storage with.
struct SharePair {
  FileNode* duplicate = nullptr;
  FileNode* keeper = nullptr;
  bool operator==(const SharePair&) const = default;
};

using NodeSelection = std::unordered_set<const FileNode*>;

// For each group in order: the keeper is its first file not selected; each selected file, in the
// group's order, pairs with it. A group whose files are all selected, or none, gives nothing.
std::vector<SharePair> sharePairs(const std::vector<DuplicateGroup>& groups, const NodeSelection& selection);

// Makes a duplicate share the storage of its keeper; returns the bytes given back or throws.
using CloneFunction = std::function<int64_t(const std::string& duplicate, const std::string& keeper)>;

// The text under which a failed replacement is reported.
std::string cloneFailureReason(const std::exception& error);

// Runs each (duplicate path, keeper path) pair in order. A duplicate whose verdict in `safety` is
// protected never reaches `replace`; it fails with the verdict's reason. Copies already sharing are
// counted, not failed. A failure never stops the rest.
[[nodiscard]] CloneReport shareSpaceItems(const std::vector<std::pair<std::string, std::string>>& pairs,
                                          const CloneFunction& replace, const SafetyContext& safety);

// Marks as shared, in each group, the files the report converted and, with them, the group's keeper.
void applyCloneReport(std::vector<DuplicateGroup>& groups, const CloneReport& report, const NodeSelection& selection);

}  // namespace tolvex
