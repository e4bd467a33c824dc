// The life of a scan: start behind the access gate, progress, cancel, publish, restore, archive.
#include "app/UiDispatch.h"
#include <algorithm>

#include "app/AppState.h"
#include "app/ScanTargetInfo.h"
#include "system/ScanSnapshot.h"

namespace tolvex {

void AppState::startScan(std::optional<ScanTarget> target) {
  if (target) {
    scanTarget_ = *target;
    notify(&AppState::scanningChanged);
  }
  if (scanTarget_.kind != ScanTarget::Kind::folder) {
    hasFullDiskAccess_ = env_.accessProbe();
    if (!hasFullDiskAccess_ && !accessOnboardingSkipped()) {
      showAccessOnboarding_ = true;
      notify(&AppState::accessChanged);
      return;
    }
  }
  if (scanner_) scanner_->cancel();
  auto scanner = std::make_shared<Scanner>();
  scanner->usePlaces(env_.places);
  scanner_ = scanner;
  isScanning_ = true;
  progress_ = {};
  hasFullDiskAccess_ = env_.accessProbe();
  notify(&AppState::scanningChanged);

  const std::string root = rootPath(scanTarget_, env_.places.home, env_.dataVolume);
  const std::vector<std::string> excludedList = excludedPaths();
  const std::set<std::string> excluded(excludedList.begin(), excludedList.end());
  const ScanTarget scanned = scanTarget_;
  startInPool(workPool_, [this, scanner, root, excluded, scanned] {
    auto report = [this, scanner](int64_t files, int64_t bytes, const std::string& path) {
      ui_->post([this, scanner, snapshot = ScanProgressSnapshot{files, bytes, path}] {
        if (scanner_ != scanner) return;  // a superseded or cancelled scan
        progress_ = snapshot;
        notify(&AppState::scanningChanged);
      });
    };
    auto result = std::make_shared<std::optional<ScanResult>>(env_.walk(*scanner, root, excluded, report));
    auto snapshot = std::make_shared<std::optional<ScanSnapshot>>();
    if (*result) *snapshot = ScanSnapshot::fromScan(**result, env_.clock());
    ui_->post([this, scanner, result, snapshot, scanned] {
      publishScanResult(scanner, std::move(*result), std::move(*snapshot), scanned);
    });
  });
}

void AppState::publishScanResult(const std::shared_ptr<Scanner>& scanner, std::optional<ScanResult> result,
                                 std::optional<ScanSnapshot> snapshot, const ScanTarget& target) {
  if (scanner_ != scanner) return;
  isScanning_ = false;
  const bool published = result.has_value();
  if (published) {
    scan_ = std::move(result);
    scannedTarget_ = target;
    explorerStack_ = {scan_->root};
    duplicates_.clear();
    // A duplicate search over the previous scan is superseded: its bar goes, and a new one may start.
    if (duplicatesProgress_) {
      ++duplicatesSearch_;
      duplicatesProgress_.reset();
    }
    ++revision_;
    if (snapshot) trends_->recordSnapshot(std::move(*snapshot));
  }
  refreshVolume();
  trends_->recordSample(volume_, env_.clock());
  notify(&AppState::scanningChanged);
  if (!published) return;
  notify(&AppState::scanChanged);
  notify(&AppState::duplicatesChanged);
  // Submitted here, on the UI thread, where this scan is known to be the current one: a superseded
  // scan can never overwrite the archive of a newer one.
  if (!scanner->isCancelled()) archiveWriter_->submit(*scan_, target);
}

void AppState::cancelScan() {
  if (scanner_) scanner_->cancel();
  scanner_.reset();
  isScanning_ = false;
  notify(&AppState::scanningChanged);
}

void AppState::restoreLastScan() {
  isRestoringScan_ = true;
  notify(&AppState::scanningChanged);
  startInPool(workPool_, [this] {
    auto restored =
        std::make_shared<std::optional<std::pair<ScanResult, ScanTarget>>>(env_.readArchive(env_.archivePath()));
    ui_->post([this, restored] { applyRestoredScan(std::move(*restored)); });
  });
}

void AppState::applyRestoredScan(std::optional<std::pair<ScanResult, ScanTarget>> restored) {
  isRestoringScan_ = false;
  if (scan_ || isScanning_ || !restored) {
    notify(&AppState::scanningChanged);
    return;
  }
  scan_ = std::move(restored->first);
  scanTarget_ = restored->second;
  scannedTarget_ = restored->second;
  explorerStack_ = {scan_->root};
  ++revision_;
  notify(&AppState::scanningChanged);
  notify(&AppState::scanChanged);
}

void AppState::scheduleArchiveSave() { archiveTimer_.start(env_.timings.archiveDebounceMs); }

bool AppState::isScanStale() const { return scan_ && !isScanning_ && env_.clock() - scan_->finishedAt > 86400.0; }

std::vector<std::pair<StorageBucket, int64_t>> AppState::bucketBreakdown() const {
  std::vector<std::pair<StorageBucket, int64_t>> rows;
  if (!scan_) return rows;
  for (StorageBucket bucket : kAllStorageBuckets) {
    auto found = scan_->bucketTotals.find(bucket);
    if (found != scan_->bucketTotals.end() && found->second >= 1) rows.emplace_back(bucket, found->second);
  }
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  return rows;
}

}  // namespace tolvex
