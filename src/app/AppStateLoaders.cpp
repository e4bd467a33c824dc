// The loaders behind the cleanup screens, and the Quick Clean flow.
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <memory>

#include "app/AppState.h"
#include "app/UiDispatch.h"

namespace tolvex {

void AppState::loadJunk(std::function<void()> done) {
  const uint64_t generation = ++junkGeneration_;
  if (done) junkWaiters_.push_back(std::move(done));
  junkPrunedDuringSearch_.clear();  // this search reads the disk as it is now
  junkLoading_ = true;
  notify(&AppState::junkChanged);
  const bool access = hasFullDiskAccess_;
  const double now = env_.clock();
  startInPool(workPool_, [this, generation, access, now] {
    auto findings = std::make_shared<std::vector<JunkFinding>>(env_.findJunk(access, now));
    ui_->post([this, generation, findings] { publishJunk(generation, std::move(*findings)); });
  });
}

void AppState::publishJunk(uint64_t generation, std::vector<JunkFinding> findings) {
  // An older search would bring back what a newer one, or a deletion since, no longer lists.
  if (generation != junkGeneration_) return;
  for (JunkFinding& finding : findings)
    std::erase_if(finding.items, [this](const JunkItem& item) { return junkPrunedDuringSearch_.contains(item.url); });
  junkPrunedDuringSearch_.clear();
  junk_ = std::move(findings);
  junkLoading_ = false;
  notify(&AppState::junkChanged);
  for (auto& waiter : std::exchange(junkWaiters_, {})) waiter();
}

void AppState::loadOnce(bool AppState::*flag, void (AppState::*signal)(), std::function<void()> work) {
  if (this->*flag) return;
  this->*flag = true;
  notify(signal);
  work();
}

void AppState::loadCloud() {
  loadOnce(&AppState::cloudLoading_, &AppState::cloudChanged, [this] {
    startInPool(workPool_, [this] {
      auto report = std::make_shared<CloudReport>(env_.inspectICloud());
      ui_->post([this, report] {
        cloud_ = std::move(*report);
        cloudLoading_ = false;
        notify(&AppState::cloudChanged);
      });
    });
  });
}

void AppState::afterMinimum(double startedAt, int minimumMs, std::function<void()> then) {
  const int64_t elapsedMs = std::llround((env_.steadyClock() - startedAt) * 1000.0);
  const int64_t remainingMs = minimumMs - elapsedMs;
  if (remainingMs <= 0) {
    then();
    return;
  }
  QPointer<AppState> self(this);
  env_.wait(static_cast<int>(remainingMs), [self, then = std::move(then)] {
    if (self) then();
  });
}

void AppState::startSmartClean() {
  if (smartCleanRunning_) return;
  smartCleanRunning_ = true;
  smartPhase_ = SmartPhase::scanning;
  notify(&AppState::smartCleanChanged);
  const double started = env_.steadyClock();
  loadJunk([this, started] {
    afterMinimum(started, env_.timings.smartScanMinimumMs, [this] {
      smartCleanRunning_ = false;
      smartPhase_ = SmartPhase::review;
      notify(&AppState::smartCleanChanged);
    });
  });
}

void AppState::setSmartPhase(SmartPhase phase) {
  if (smartCleanRunning_ || smartPhase_ == phase) return;
  smartPhase_ = phase;
  notify(&AppState::smartCleanChanged);
}

void AppState::runSmartClean() {
  if (smartCleanRunning_) return;
  // Each rule's own removal: Quick Clean does not follow "permanentDelete".
  std::vector<DeletionRequest> requests;
  for (const JunkFinding& finding : junk_) {
    if (!smartSelection_.contains(finding.rule.id)) continue;
    for (const JunkItem& item : finding.items)
      requests.push_back(DeletionRequest::make(item.url, item.size, finding.rule.removal));
  }
  if (requests.empty()) return;
  smartCleanRunning_ = true;
  smartPhase_ = SmartPhase::cleaning;
  notify(&AppState::smartCleanChanged);
  const double started = env_.steadyClock();
  runDeletion(std::move(requests), false, [this, started](const DeletionReport& report) {
    afterMinimum(started, env_.timings.smartCleanMinimumMs, [this, report] {
      smartCleanRunning_ = false;
      lastReport_ = report;
      smartPhase_ = SmartPhase::done;
      notify(&AppState::smartCleanChanged);
      loadJunk();  // the findings show what is left
    });
  });
}

}  // namespace tolvex
