// Duplicates, space sharing by shared copies, iCloud eviction and the read-only queries over the scan.
#include <algorithm>
#include <memory>

#include "app/AppState.h"
#include "app/UiDispatch.h"
#include "app/UiText.h"
#include "platform/Identifiers.h"

namespace tolvex {

namespace {

constexpr int64_t kDuplicateMinimumSize = 1'048'576;

Toast shareSpaceToast(const CloneReport& report) {
  Toast toast;
  toast.id = makeUUID();
  if (report.converted.empty() && report.failures.empty()) {
    toast.message = QObject::tr("These copies already share space");
    toast.detail = QObject::tr("macOS stores them only once, so there is nothing to reclaim.");
    return toast;
  }
  toast.message = QObject::tr("%1 reclaimed").arg(bytesText(report.reclaimed));
  if (!report.failures.empty())
    toast.detail = QObject::tr("%1 item(s) couldn't be converted. Details in History.")
                       .arg(countText(static_cast<int64_t>(report.failures.size())));
  else
    toast.detail = QObject::tr("%1 copies now share space with their original. Every file is still where it was.")
                       .arg(countText(static_cast<int64_t>(report.converted.size())));
  return toast;
}

Toast evictionToast(const EvictionReport& report) {
  Toast toast;
  toast.id = makeUUID();
  toast.warning = report.evicted.empty();
  toast.message = report.evicted.empty() ? QObject::tr("Nothing was removed")
                                         : QObject::tr("%1 freed").arg(bytesText(report.freed));
  if (!report.failures.empty())
    toast.detail = QObject::tr("%1 file(s) couldn't be removed from this Mac. Details in History.")
                       .arg(countText(static_cast<int64_t>(report.failures.size())));
  else
    toast.detail = QObject::tr("The files are still in iCloud and download again when you open them.");
  return toast;
}

}  // namespace

void AppState::searchDuplicates() {
  if (!scan_ || duplicatesProgress_) return;  // no scan, or a search is already running
  const uint64_t search = ++duplicatesSearch_;
  duplicatesProgress_ = 0.0;
  notify(&AppState::duplicatesChanged);
  // The search reads its own copy of the scan, which keeps the tree alive whatever the store does.
  auto searched = std::make_shared<const ScanResult>(*scan_);
  startInPool(workPool_, [this, searched, search] {
    auto progress = [this, search](double fraction) {
      ui_->post([this, search, fraction] {
        // A search that has ended, or that a new scan has superseded, no longer moves the bar.
        if (search != duplicatesSearch_ || !duplicatesProgress_) return;
        duplicatesProgress_ = fraction;
        notify(&AppState::duplicatesChanged);
      });
    };
    auto groups =
        std::make_shared<std::vector<DuplicateGroup>>(env_.findDuplicates(*searched, kDuplicateMinimumSize, progress));
    ui_->post([this, search, searched, groups] { publishDuplicates(search, searched->tree, std::move(*groups)); });
  });
}

void AppState::publishDuplicates(uint64_t search, const std::shared_ptr<FileTree>& searched,
                                 std::vector<DuplicateGroup> groups) {
  if (search != duplicatesSearch_) return;  // superseded: the bar and the groups belong to a newer search
  duplicatesProgress_.reset();
  // Groups of a tree that is no longer on screen are dropped; files deleted meanwhile leave their group.
  if (scan_ && scan_->tree == searched) {
    for (DuplicateGroup& group : groups) std::erase_if(group.files, [](FileNode* f) { return f->isGone(); });
    std::erase_if(groups, [](const DuplicateGroup& group) { return group.files.size() < 2; });
    duplicates_ = std::move(groups);
  }
  notify(&AppState::duplicatesChanged);
}

void AppState::shareSpace(const std::vector<FileNode*>& selected) {
  if (isSharingSpace_) return;  // one batch at a time
  const NodeSelection selection(selected.begin(), selected.end());
  const std::vector<SharePair> pairs = sharePairs(duplicates_, selection);
  if (pairs.empty()) return;
  isSharingSpace_ = true;
  notify(&AppState::duplicatesChanged);
  std::vector<std::pair<std::string, std::string>> paths;
  for (const SharePair& pair : pairs) paths.emplace_back(pair.duplicate->path(), pair.keeper->path());
  // The groups' trees stay alive until the report is applied, so the selection's nodes keep their identity.
  std::vector<std::shared_ptr<const FileTree>> trees;
  for (const DuplicateGroup& group : duplicates_) trees.push_back(group.tree);
  startInPool(workPool_, [this, paths = std::move(paths), selection, trees = std::move(trees)] {
    auto report = std::make_shared<CloneReport>(shareSpaceItems(paths, env_.replaceWithClone, safety_));
    ui_->post([this, report, selection, trees] { reportShareSpace(*report, selection); });
  });
}

void AppState::reportShareSpace(const CloneReport& report, const NodeSelection& selection) {
  applyCloneReport(duplicates_, report, selection);
  isSharingSpace_ = false;
  notify(&AppState::duplicatesChanged);
  refreshVolume();
  failures_ = report.failures;
  notify(&AppState::failuresChanged);
  setToast(shareSpaceToast(report));
}

void AppState::evictCloudDownloads(const std::vector<CloudItem>& items) {
  if (items.empty()) return;
  cloudLoading_ = true;
  notify(&AppState::cloudChanged);
  startInPool(workPool_, [this, items] {
    auto eviction = std::make_shared<EvictionReport>(env_.evictICloudItems(items));
    ui_->post([this, eviction] {
      failures_ = eviction->failures;
      notify(&AppState::failuresChanged);
      // The fresh inspection starts only once the eviction has ended.
      startInPool(workPool_, [this, eviction] {
        auto cloud = std::make_shared<CloudReport>(env_.inspectICloud());
        ui_->post([this, eviction, cloud] { reportEviction(*eviction, std::move(*cloud)); });
      });
    });
  });
}

void AppState::reportEviction(const EvictionReport& eviction, CloudReport cloud) {
  cloud_ = std::move(cloud);
  cloudLoading_ = false;
  notify(&AppState::cloudChanged);
  refreshVolume();
  setToast(evictionToast(eviction));
}

std::vector<VirtualDisk> AppState::virtualDisks() const {
  if (!scan_) return {};
  return findVirtualDisks(scan_->files);
}

}  // namespace tolvex
