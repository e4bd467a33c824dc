#include "app/services/BackgroundServices.h"

#include <QDebug>
#include <limits>

#include "app/AppState.h"
#include "app/Settings.h"
#include "app/UiDispatch.h"
#include "app/UiText.h"
#include "engines/Deleter.h"
#include "platform/Paths.h"
#include "system/RemovedApp.h"
#include "system/RemovedAppWatcher.h"

namespace tolvex {

namespace {

constexpr int kDefaultLowSpaceGB = 10;
constexpr int64_t kBytesPerGB = 1'000'000'000;

}  // namespace

BackgroundServices::BackgroundServices(Settings& settings, Hooks hooks, QObject* parent)
    : QObject(parent), settings_(settings), hooks_(std::move(hooks)), ui_(new UiTaskQueue(this)) {
  volume_ = hooks_.readVolume ? hooks_.readVolume() : std::nullopt;
  lastAutoClean_ = settings_.dateValue(keys::lastAutoClean);
  lastAutoCleanBytes_ = settings_.int64Value(keys::lastAutoCleanBytes, 0);
}

BackgroundServices::~BackgroundServices() {
  // Once stop returns no removal is reported, so the callback's `this` never outlives us.
  if (hooks_.watcher) hooks_.watcher->stop();
}

void BackgroundServices::start(AppState* state) {
  state_ = state;
  tick();
  delete timer_;
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &BackgroundServices::tick);
  timer_->start(hooks_.tickMs);
  applyWatcherSetting();
}

void BackgroundServices::adoptVolume(const std::optional<VolumeInfo>& volume) {
  volume_ = volume;
  emit changed();
}

void BackgroundServices::tick() {
  volume_ = hooks_.readVolume ? hooks_.readVolume() : std::nullopt;
  emit changed();
  if (state_) {
    state_->trends().recordSample(volume_, hooks_.clock());
    const bool stale = state_->isScanStale();
    if (stale != scanWasStale_) {
      scanWasStale_ = stale;
      emit state_->changed();
    }
  }
  checkLowSpace();
  checkSchedule();
}

// ---- Settings --------------------------------------------------------------------------------------

bool BackgroundServices::watchRemovedApps() const { return settings_.boolValue(keys::watchRemovedApps, true); }

void BackgroundServices::setWatchRemovedApps(bool on) {
  settings_.setBool(keys::watchRemovedApps, on);
  emit changed();
  applyWatcherSetting();
}

CleanSchedule BackgroundServices::cleanSchedule() const {
  return cleanScheduleFromRaw(settings_.stringValue(keys::cleanSchedule)).value_or(CleanSchedule::off);
}

void BackgroundServices::setCleanSchedule(CleanSchedule schedule) {
  settings_.setString(keys::cleanSchedule, rawValue(schedule));
  emit changed();
}

int BackgroundServices::lowSpaceGB() const { return settings_.intValue(keys::lowSpaceGB, kDefaultLowSpaceGB); }

void BackgroundServices::setLowSpaceGB(int gigabytes) {
  settings_.setInt(keys::lowSpaceGB, gigabytes);
  emit changed();
}

bool BackgroundServices::menuBarEnabled() const { return settings_.boolValue(keys::menuBar, true); }

void BackgroundServices::setMenuBarEnabled(bool on) {
  settings_.setBool(keys::menuBar, on);
  emit changed();
}

bool BackgroundServices::launchAtLogin() const { return hooks_.launchAtLogin.isEnabled(); }

void BackgroundServices::setLaunchAtLogin(bool on) {
  QString error;
  if (!hooks_.launchAtLogin.setEnabled(on, &error)) qWarning().noquote() << "Launch at login: " + error;
  emit changed();
}

void BackgroundServices::applyWatcherSetting() {
  if (!hooks_.watcher) return;
  if (!watchRemovedApps()) {
    hooks_.watcher->stop();
    return;
  }
  if (hooks_.watcher->sourceCount() > 0) return;
  // The watcher reports on its worker thread; the removal is handled on ours.
  hooks_.watcher->start([this](const RemovedApp& app) {
    QMetaObject::invokeMethod(
        this, [this, app] { onAppRemoved(app); }, Qt::QueuedConnection);
  });
}

// ---- Low space --------------------------------------------------------------------------------------

void BackgroundServices::checkLowSpace() {
  if (!volume_) return;
  // Read wide: a stored figure too large for a byte count is out of range and warns of nothing.
  const long long gigabytes = settings_.int64Value(keys::lowSpaceGB, kDefaultLowSpaceGB);
  if (gigabytes < 1) return;
  if (gigabytes > std::numeric_limits<int64_t>::max() / kBytesPerGB) return;
  const int64_t threshold = gigabytes * kBytesPerGB;
  const int64_t available = volume_->available;
  if (available >= threshold) {
    // Measured as a difference, so that a threshold near the top of the range cannot overflow.
    if (available - threshold > kLowSpaceRearmBytes) settings_.setBool(keys::lowSpaceNotified, false);
    return;
  }
  if (settings_.boolValue(keys::lowSpaceNotified, false)) return;
  settings_.setBool(keys::lowSpaceNotified, true);
  if (hooks_.notify)
    hooks_.notify(tr("Your Mac is running out of space"),
                  tr("Only %1 free. Open Tolvex to see what's taking up space.").arg(bytesText(available)));
}

// ---- Scheduled clean ----------------------------------------------------------------------------------

void BackgroundServices::checkSchedule() {
  if (!state_) return;
  const auto every = interval(cleanSchedule());
  if (!every) return;
  if (lastAutoClean_) {
    const double elapsed = hooks_.clock() - double(lastAutoClean_->toMSecsSinceEpoch()) / 1000.0;
    if (elapsed < *every) return;
  }
  runAutoClean();
}

std::vector<JunkRule> BackgroundServices::autoCleanRules() {
  std::vector<JunkRule> rules;
  for (const JunkRule& rule : JunkRule::all())
    if (rule.risk == Risk::safe && rule.removal == Removal::permanent && rule.inSmartClean && rule.id != "trash")
      rules.push_back(rule);
  return rules;
}

void BackgroundServices::runAutoClean(std::function<void()> done) {
  // One clean at a time: a tick during a "Run Now" (or the reverse) starts nothing.
  if (!state_ || cleaning_ || !hooks_.findJunk) {
    if (done) done();
    return;
  }
  cleaning_ = true;
  emit changed();
  // The search may end after the services are gone: its findings then go with the poster.
  startInPool(*QThreadPool::globalInstance(), [this, done, find = hooks_.findJunk, back = ui_->poster()] {
    auto findings = std::make_shared<const std::vector<JunkFinding>>(find(autoCleanRules()));
    back.post([this, done, findings] {
      std::vector<DeletionRequest> requests;
      for (const JunkFinding& finding : *findings)
        for (const JunkItem& item : finding.items)
          requests.push_back(DeletionRequest::make(item.url, item.size, Removal::permanent));
      if (!state_) {
        cleaning_ = false;
        emit changed();
        if (done) done();
        return;
      }
      QPointer<BackgroundServices> self(this);
      state_->runDeletion(std::move(requests), true, [self, done](const DeletionReport& report) {
        if (self)
          self->finishAutoClean(report.freed, done);
        else if (done)
          done();
      });
    });
  });
}

void BackgroundServices::finishAutoClean(int64_t freed, std::function<void()> done) {
  lastAutoClean_ = QDateTime::fromMSecsSinceEpoch(qint64(hooks_.clock() * 1000.0), Qt::UTC);
  lastAutoCleanBytes_ = freed;
  settings_.setDate(keys::lastAutoClean, *lastAutoClean_);
  settings_.setInt(keys::lastAutoCleanBytes, freed);
  volume_ = hooks_.readVolume ? hooks_.readVolume() : std::nullopt;
  cleaning_ = false;
  emit changed();
  if (freed > kCleanNotificationBytes && hooks_.notify)
    hooks_.notify(tr("Tolvex cleaned %1").arg(bytesText(freed)),
                  tr("Caches, logs and other regenerable files. Everything else was left untouched."));
  if (done) done();
}

// ---- Removed applications --------------------------------------------------------------------------------

void BackgroundServices::onAppRemoved(const RemovedApp& app) {
  if (state_) state_->setRemovedApp(app);
  if (hooks_.notify)
    hooks_.notify(tr("%1 left %2 behind").arg(QString::fromStdString(app.name), bytesText(app.totalSize())),
                  tr("Open Tolvex to review and remove what it left on your Mac."));
}

}  // namespace tolvex
