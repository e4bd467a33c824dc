#pragma once
// What the Duplicates screen derives from the groups and its selection (a set of node serials): the
// rows it lists, the selected copies, the keep-one rule both actions apply, the bytes that could be
// given back and the texts that carry numbers. No widgets: tested as tables.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "app/DeletionPlan.h"
#include "engines/DuplicateFinder.h"
#include "model/SafetyVerdict.h"

namespace tolvex {

using SerialSet = std::unordered_set<uint64_t>;

// One line of the group list: a group's caption, or one of its files. Rows refer to the groups by
// position, so they are rebuilt whenever the groups change.
struct DuplicateRow {
  bool header = false;
  size_t group = 0;
  size_t file = 0;  // a file row: its position in the group (0 is the suggested original)
  bool operator==(const DuplicateRow&) const = default;
};
std::vector<DuplicateRow> duplicateRows(const std::vector<DuplicateGroup>& groups);

// The selected files, group after group, each group's files in order. Serials that name no file of
// the groups count for nothing.
std::vector<FileNode*> selectedDuplicateFiles(const std::vector<DuplicateGroup>& groups, const SerialSet& selected);
int64_t duplicateFilesSize(const std::vector<FileNode*>& files);

// A group keeps a copy when at least one of its files is not selected (a group without files does
// not); the actions go ahead only when every group keeps one.
bool groupKeepsCopy(const DuplicateGroup& group, const SerialSet& selected);
bool everyGroupKeepsCopy(const std::vector<DuplicateGroup>& groups, const SerialSet& selected);

// Every file of every group but the first of each.
SerialSet allDuplicateCopies(const std::vector<DuplicateGroup>& groups);

// What deleting the extra copies would give back, over all groups (copies already sharing count as
// one); never below 0.
int64_t recoverableTotal(const std::vector<DuplicateGroup>& groups);

// One planned item per file, in order, to the Trash, each with its own path's verdict in `safety`.
std::vector<PlanItem> duplicatePlanItems(const std::vector<FileNode*>& files, const SafetyContext& safety);

// "%lld groups · %@ recoverable" and "%lld copies · %@ each".
QString duplicateSummaryText(int64_t groups, int64_t recoverable);
QString duplicateGroupCaption(const DuplicateGroup& group);

}  // namespace tolvex
