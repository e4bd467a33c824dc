// Deletion plans, runs, pruning of the scan tree and undo.
#include <QLocale>
#include "app/UiDispatch.h"
#include <algorithm>
#include <unordered_set>
#include <sys/stat.h>

#include "app/AppState.h"
#include "model/Formatting.h"
#include "model/SafetyVerdict.h"
#include "platform/Identifiers.h"
#include "platform/Paths.h"
#include "platform/StoreFile.h"

namespace tolvex {

namespace {

bool exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// True when another path of `paths` is a folder holding `path`.
bool isNestedInAnother(const std::string& path, const std::unordered_set<std::string>& paths) {
  for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (slash > 0 && paths.contains(path.substr(0, slash))) return true;
    if (slash + 1 < path.size() && paths.contains(path.substr(0, slash + 1))) return true;
  }
  return false;
}

QString countText(int64_t n) { return QLocale().toString(static_cast<qlonglong>(n)); }

Toast resultToast(const DeletionReport& report, const std::vector<HistoryEntry>& entries) {
  Toast toast;
  toast.id = makeUUID();
  auto bytes = [](int64_t n) { return QString::fromStdString(formatBytes(std::max<int64_t>(n, 0))); };
  if (report.deletedPaths.empty())
    toast.message = QObject::tr("Nothing was deleted");
  else if (report.freed >= 1 && report.movedToTrash >= 1)
    toast.message = QObject::tr("%1 freed · %2 in the Trash").arg(bytes(report.freed), bytes(report.movedToTrash));
  else if (report.movedToTrash < 1)
    toast.message = QObject::tr("%1 freed").arg(bytes(report.freed));
  else
    toast.message = QObject::tr("%1 moved to the Trash").arg(bytes(report.movedToTrash));
  const auto failed = static_cast<int64_t>(report.failures.size() + report.skippedProtected.size());
  if (failed >= 1)
    toast.detail = QObject::tr("%1 item(s) couldn't be deleted. Details in History.").arg(countText(failed));
  for (const HistoryEntry& entry : entries)
    if (entry.trashPath) toast.undoable.push_back(entry);
  return toast;
}

}  // namespace

void AppState::requestDeletion(const std::vector<PlanItem>& items, const QString& title) {
  if (items.empty()) return;
  std::unordered_set<std::string> paths;
  for (const PlanItem& item : items) paths.insert(item.path);
  DeletionPlan plan;
  plan.id = makeUUID();
  plan.title = title;
  for (const PlanItem& item : items)
    if (!isNestedInAnother(item.path, paths)) plan.items.push_back(item);
  plan_ = std::move(plan);
  notify(&AppState::planChanged);
}

void AppState::confirmDeletion(const DeletionPlan& plan, bool includeReview) {
  // A sheet left over from an older plan must not delete anything.
  if (!plan_ || plan_->id != plan.id) return;
  const bool permanent = permanentDelete();
  std::vector<DeletionRequest> requests;
  for (const PlanItem& item : plan.items) {
    const bool keep = item.verdict.risk == Risk::safe || (item.verdict.risk == Risk::review && includeReview);
    if (!keep) continue;
    DeletionRequest request;
    request.id = makeUUID();
    request.path = item.path;
    request.size = item.size;
    request.removal = permanent ? Removal::permanent : item.removal;
    requests.push_back(std::move(request));
  }
  plan_.reset();
  notify(&AppState::planChanged);
  runDeletion(std::move(requests), false);
}

void AppState::runDeletion(std::vector<DeletionRequest> requests, bool quiet, ReportHandler done) {
  // Links at or above the scan's root were the user's choice; below it the scanner saw none.
  std::vector<std::string> chosen;
  if (scan_) chosen.push_back(scan_->rootPath);
  startInPool(workPool_, [this, requests = std::move(requests), chosen = std::move(chosen), quiet,
                          done = std::move(done), context = safety_, clock = env_.clock] {
    auto outcome = std::make_shared<DeletionOutcome>(performDeletion(requests, context, chosen, clock));
    ui_->post([this, outcome, quiet, done] {
      applyDeletionReport(outcome->report, outcome->entries, quiet);
      if (done) done(outcome->report);
    });
  });
}

void AppState::applyDeletionReport(const DeletionReport& report, const std::vector<HistoryEntry>& entries, bool quiet) {
  recordRemovals(entries);
  pruneDeleted(std::set<std::string>(report.deletedPaths.begin(), report.deletedPaths.end()));
  refreshVolume();
  if (!quiet) {
    setToast(resultToast(report, entries));
    failures_ = report.failures;
    failures_.insert(failures_.end(), report.skippedProtected.begin(), report.skippedProtected.end());
    notify(&AppState::failuresChanged);
  }
}

void AppState::recordRemovals(const std::vector<HistoryEntry>& entries) {
  if (entries.empty()) return;
  history_->add(entries);
  // Without a saved history the items cannot be put back after a restart: the user is told, even
  // after a quiet run.
  saveHistory([this](int error) {
    if (!error) return;
    failures_.push_back(DeletionFailure{makeUUID(), env_.historyPath(), historyNotSavedReason(error)});
    notify(&AppState::failuresChanged);
  });
}

std::function<void(std::vector<HistoryEntry>)> AppState::removalRecorder() {
  // The poster drops what arrives once the store is gone, so `this` is never reached after that.
  return [poster = ui_->poster(), this](std::vector<HistoryEntry> entries) {
    poster.post([this, entries = std::move(entries)] { recordRemovals(entries); });
  };
}

void AppState::saveHistory(std::function<void(int error)> then) {
  const std::string path = history_->fileURL();
  storeWriter_->submit(path, history_->saveTask(), [this, path, then = std::move(then)](int error) {
    if (error) logUnsavedStore(path, error);
    if (then) ui_->post([then, error] { then(error); });
  });
}

namespace {

// Marks `node` deleted and takes it off its ancestors and the category totals. Each file counts off
// its own category, each folder its own allocation and small files off the folder's category; parts
// already deleted were taken off before and are skipped.
void markDeleted(FileNode* node, std::map<StorageBucket, int64_t>& bucketTotals) {
  if (get(node->deleted)) return;
  std::map<StorageBucket, int64_t> removed;
  std::vector<FileNode*> stack{node};
  while (!stack.empty()) {
    FileNode* current = stack.back();
    stack.pop_back();
    int64_t own = get(current->size);
    for (FileNode* child : current->children) {
      if (get(child->deleted)) continue;
      own -= get(child->size);
      stack.push_back(child);
    }
    removed[get(current->bucket)] += std::max<int64_t>(own, 0);
  }
  set(node->deleted, true);
  const int64_t size = get(node->size), logical = get(node->logicalSize), count = get(node->fileCount);
  for (FileNode* ancestor = node->parent; ancestor; ancestor = ancestor->parent) {
    set(ancestor->size, std::max<int64_t>(get(ancestor->size) - size, 0));
    set(ancestor->logicalSize, std::max<int64_t>(get(ancestor->logicalSize) - logical, 0));
    set(ancestor->fileCount, std::max<int64_t>(get(ancestor->fileCount) - count, 0));
  }
  for (const auto& [bucket, bytes] : removed) {
    auto found = bucketTotals.find(bucket);
    if (found != bucketTotals.end()) found->second = std::max<int64_t>(found->second - bytes, 0);
  }
}

}  // namespace

void AppState::pruneDeleted(const std::set<std::string>& paths) {
  if (paths.empty()) return;
  if (scan_ && scan_->root) {
    std::vector<FileNode*> stack{scan_->root};
    while (!stack.empty()) {
      FileNode* node = stack.back();
      stack.pop_back();
      if (get(node->deleted)) continue;  // already taken off once
      const std::string path = node->path();
      if (paths.contains(path)) {
        markDeleted(node, scan_->bucketTotals);
      } else if (node->isDirectory &&
                 std::any_of(paths.begin(), paths.end(), [&](const std::string& p) { return isInside(p, path); })) {
        stack.insert(stack.end(), node->children.begin(), node->children.end());
      }
    }
    // The Explorer keeps its folders up to the first one that is gone, and never loses the root.
    auto gone = std::find_if(explorerStack_.begin(), explorerStack_.end(), [](FileNode* n) { return n->isGone(); });
    explorerStack_.erase(gone, explorerStack_.end());
    if (explorerStack_.empty()) explorerStack_ = {scan_->root};
    scheduleArchiveSave();
  }
  // Duplicate groups keep the files that are still there; a group of fewer than two is gone.
  for (DuplicateGroup& group : duplicates_) std::erase_if(group.files, [](FileNode* f) { return f->isGone(); });
  std::erase_if(duplicates_, [](const DuplicateGroup& group) { return group.files.size() < 2; });
  std::erase_if(apps_, [&](const InstalledApp& app) { return paths.contains(app.path); });
  std::erase_if(leftovers_, [&](const Leftover& leftover) { return paths.contains(leftover.path); });
  for (const auto& watch : pruneWatches_) watch->paths.insert(paths.begin(), paths.end());
  if (junkLoading_)
    junkPrunedDuringSearch_.insert(paths.begin(), paths.end());  // the running search may still list them
  for (JunkFinding& finding : junk_) {
    std::erase_if(finding.items, [&](const JunkItem& item) { return paths.contains(item.url); });
  }
  ++revision_;
  notify(&AppState::scanChanged);
  notify(&AppState::appsChanged);
  notify(&AppState::leftoversChanged);
  notify(&AppState::junkChanged);
  notify(&AppState::duplicatesChanged);
}

void AppState::undoDeletion(const std::vector<HistoryEntry>& entries) {
  int64_t restored = 0;
  for (const HistoryEntry& entry : entries) {
    if (entry.restored || !entry.trashPath || !exists(*entry.trashPath) || exists(entry.originalPath)) continue;
    if (!history_->restoreUnsaved(entry)) ++restored;
  }
  // A lost "restored" mark only lets a later restore find the Trash without the item and say so.
  if (restored > 0) saveHistory();
  Toast toast;
  toast.id = makeUUID();
  toast.message = tr("%1 item(s) restored").arg(countText(restored));
  toast.detail = tr("Scan again to see updated sizes.");
  setToast(std::move(toast));
  refreshVolume();
}

}  // namespace tolvex
