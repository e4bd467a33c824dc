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
    auto findings = std::make_shared<std::vector<JunkFinding>>(env_.findJunk(JunkRule::all(), access, now));
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

void AppState::loadApps(bool force) {
  if (!force && (!apps_.empty() || appsLoading_)) return;
  const uint64_t generation = ++appsGeneration_;
  appsLoading_ = true;
  notify(&AppState::appsChanged);
  auto watch = watchPrunes();
  startInPool(workPool_, [this, generation, watch] {
    auto apps = std::make_shared<std::vector<InstalledApp>>(env_.installedApps());
    ui_->post([this, generation, watch, apps] { publishApps(generation, watch, std::move(*apps)); });
  });
}

void AppState::publishApps(uint64_t generation, const std::shared_ptr<PruneWatch>& watch,
                           std::vector<InstalledApp> apps) {
  endWatch(watch);
  // A load that a newer one overtook would put back what that one, or a deletion since, no longer lists.
  if (generation != appsGeneration_) return;
  std::erase_if(apps, [&](const InstalledApp& app) { return watch->paths.contains(app.path); });
  apps_ = std::move(apps);
  appsLoading_ = false;
  notify(&AppState::appsChanged);
}

void AppState::loadLeftovers() {
  loadOnce(&AppState::leftoversLoading_, &AppState::leftoversChanged, [this] {
    auto watch = watchPrunes();
    // Without a list the applications are gathered too: the search needs to know what is installed.
    std::optional<std::vector<InstalledApp>> known;
    if (!apps_.empty()) known = apps_;
    startInPool(workPool_, [this, watch, known = std::move(known)] {
      const std::vector<InstalledApp> apps = known ? *known : env_.installedApps();
      // The gathered list shows at once; the leftover search can take a while longer.
      if (!known) {
        auto gathered = std::make_shared<std::vector<InstalledApp>>(apps);
        ui_->post([this, watch, gathered] { publishGatheredApps(watch, std::move(*gathered)); });
      }
      auto leftovers = std::make_shared<std::vector<Leftover>>(env_.findLeftovers(apps));
      ui_->post([this, watch, leftovers] { publishLeftovers(watch, std::move(*leftovers)); });
    });
  });
}

void AppState::publishGatheredApps(const std::shared_ptr<PruneWatch>& watch, std::vector<InstalledApp> gathered) {
  // Published only where no other list is, or is on its way (`appsLoading`). What is deleted after
  // this goes from `apps` as from any list.
  if (!apps_.empty() || appsLoading_) return;
  std::erase_if(gathered, [&](const InstalledApp& app) { return watch->paths.contains(app.path); });
  apps_ = std::move(gathered);
  notify(&AppState::appsChanged);
}

void AppState::publishLeftovers(const std::shared_ptr<PruneWatch>& watch, std::vector<Leftover> leftovers) {
  endWatch(watch);
  std::erase_if(leftovers, [&](const Leftover& leftover) { return watch->paths.contains(leftover.path); });
  leftovers_ = std::move(leftovers);
  leftoversLoading_ = false;
  notify(&AppState::leftoversChanged);
}

std::shared_ptr<AppState::PruneWatch> AppState::watchPrunes() {
  auto watch = std::make_shared<PruneWatch>();
  pruneWatches_.push_back(watch);
  return watch;
}

void AppState::endWatch(const std::shared_ptr<PruneWatch>& watch) { std::erase(pruneWatches_, watch); }

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
