#include "views/cleanup/logic/DuplicateSelection.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>

#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("DuplicatesView", text); }
QString countText(int64_t n) { return QLocale().toString(static_cast<qlonglong>(n)); }
}  // namespace

std::vector<DuplicateRow> duplicateRows(const std::vector<DuplicateGroup>& groups) {
  std::vector<DuplicateRow> rows;
  for (size_t g = 0; g < groups.size(); ++g) {
    rows.push_back({true, g, 0});
    for (size_t f = 0; f < groups[g].files.size(); ++f) rows.push_back({false, g, f});
  }
  return rows;
}

std::vector<FileNode*> selectedDuplicateFiles(const std::vector<DuplicateGroup>& groups, const SerialSet& selected) {
  std::vector<FileNode*> files;
  if (selected.empty()) return files;
  for (const DuplicateGroup& group : groups)
    for (FileNode* file : group.files)
      if (selected.contains(file->serial)) files.push_back(file);
  return files;
}

int64_t duplicateFilesSize(const std::vector<FileNode*>& files) {
  int64_t total = 0;
  for (const FileNode* file : files) total += get(file->size);
  return total;
}

bool groupKeepsCopy(const DuplicateGroup& group, const SerialSet& selected) {
  return std::any_of(group.files.begin(), group.files.end(),
                     [&](const FileNode* file) { return !selected.contains(file->serial); });
}

bool everyGroupKeepsCopy(const std::vector<DuplicateGroup>& groups, const SerialSet& selected) {
  return std::all_of(groups.begin(), groups.end(),
                     [&](const DuplicateGroup& group) { return groupKeepsCopy(group, selected); });
}

SerialSet allDuplicateCopies(const std::vector<DuplicateGroup>& groups) {
  SerialSet copies;
  for (const DuplicateGroup& group : groups)
    for (size_t i = 1; i < group.files.size(); ++i) copies.insert(group.files[i]->serial);
  return copies;
}

int64_t recoverableTotal(const std::vector<DuplicateGroup>& groups) {
  int64_t total = 0;
  for (const DuplicateGroup& group : groups) total += group.reclaimable();
  return std::max<int64_t>(total, 0);
}

std::vector<PlanItem> duplicatePlanItems(const std::vector<FileNode*>& files, const SafetyContext& safety) {
  return deletionItems(files, safety);
}

QString duplicateSummaryText(int64_t groups, int64_t recoverable) {
  return tr("%1 groups \u00b7 %2 recoverable").arg(countText(groups), bytesText(recoverable));
}

QString duplicateGroupCaption(const DuplicateGroup& group) {
  return tr("%1 copies \u00b7 %2 each").arg(countText(static_cast<int64_t>(group.files.size())), bytesText(group.size));
}

}  // namespace tolvex
