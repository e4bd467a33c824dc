#include "app/AppState.h"

#include "app/UiDispatch.h"
#include <algorithm>

#include "app/ScanTargetInfo.h"
#include "app/StoreNotice.h"
#include "app/services/BackgroundServices.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/StoreFile.h"
#include "system/RemovedApp.h"
#include "system/ScanSnapshot.h"

namespace tolvex {

AppState::AppState(AppEnvironment environment, QObject* parent)
    : QObject(parent),
      env_(std::move(environment)),
      safety_(SafetyContext::forPlaces(env_.places)),
      settings_(env_.settingsPath) {
  archiveTimer_.setSingleShot(true);
  connect(&archiveTimer_, &QTimer::timeout, this, [this] {
    if (scan_ && scannedTarget_) archiveWriter_->submit(*scan_, *scannedTarget_);
  });
  archiveWriter_ = std::make_unique<ArchiveWriter>([this](const ScanResult& result, const ScanTarget& target) {
    env_.writeArchive(result, target, env_.archivePath());
    ui_->post([this] { emit scanArchived(); });
  });
  startUp();
  services_ = new BackgroundServices(settings_, servicesHooks(), this);
}

BackgroundServices::Hooks AppState::servicesHooks() {
  BackgroundServices::Hooks hooks;
  hooks.clock = env_.clock;
  hooks.readVolume = env_.readVolume;
  // Only the given rules are searched, with access as it is now (the user may have granted it since
  // the start). The filter holds a finder that answers with more than it was asked to its rules.
  hooks.findJunk = [find = env_.findJunk, clock = env_.clock,
                    probe = env_.accessProbe](const std::vector<JunkRule>& rules) {
    std::vector<JunkFinding> kept;
    for (JunkFinding& finding : find(rules, probe && probe(), clock()))
      if (std::any_of(rules.begin(), rules.end(), [&](const JunkRule& rule) { return rule.id == finding.rule.id; }))
        kept.push_back(std::move(finding));
    return kept;
  };
  hooks.notify = env_.notify;
  if (env_.makeAppWatcher) hooks.watcher = env_.makeAppWatcher(env_.timings.removedAppDebounceMs);
  hooks.launchAtLogin = LaunchAtLogin::standard(env_.places.configHome);
  hooks.tickMs = env_.timings.tickMs;
  return hooks;
}

AppState::~AppState() {
  delete services_;  // before the settings it reads go
  if (scanner_) scanner_->cancel();
  workPool_.clear();
  workPool_.waitForDone();
  archiveWriter_.reset();
  storeWriter_.reset();  // the last changes of the history and trends reach their files
}

void AppState::startUp() {
  volume_ = env_.readVolume();
  hasFullDiskAccess_ = env_.accessProbe();
  for (const JunkRule& rule : JunkRule::all())
    if (rule.inSmartClean) smartSelection_.insert(rule.id);
  // A write cut short by a kill leaves its temporary file behind: ours are swept before anything loads.
  sweepTemporaryFiles(env_.appFolder,
                      {lastPathComponent(env_.archivePath()), lastPathComponent(env_.historyPath()),
                       TrendStore::kScansFileName, TrendStore::kSpaceFileName},
                      env_.clock(), kStaleTemporarySeconds);
  history_ = std::make_unique<DeletionHistory>(env_.historyPath());
  history_->setObserver([this] { notify(&AppState::historyChanged); });
  trends_ = std::make_unique<TrendStore>(env_.appFolder);
  trends_->setWriter([this](const std::string& path, std::function<int()> write) {
    storeWriter_->submit(path, std::move(write), [path](int error) {
      if (error) logUnsavedStore(path, error);
    });
  });
  tellOfSetAsideFiles();

  if (auto raw = settings_.optionalString(keys::initialSection))
    if (auto section = appSectionFromRaw(*raw)) section_ = *section;

  const QString autoScan = settings_.stringValue(keys::autoScan);
  if (autoScan == QLatin1String("home"))
    startScan(ScanTarget::home());
  else if (autoScan == QLatin1String("disk"))
    startScan(ScanTarget::wholeDisk());
  // The folder as a path names it: "/x/proj/" is the folder "/x/proj".
  else if (autoScan.startsWith(QLatin1Char('/')))
    startScan(ScanTarget::folder(withoutTrailingSlashes(autoScan.toStdString())));
  else
    restoreLastScan();
}

void AppState::tellOfSetAsideFiles() {
  std::vector<std::string> paths = trends_->setAsidePaths();
  if (history_->setAsidePath()) paths.insert(paths.begin(), *history_->setAsidePath());
  if (settings_.setAsidePath()) paths.push_back(*settings_.setAsidePath());
  if (auto toast = setAsideToast(paths)) setToast(std::move(*toast));
}

void AppState::notify(void (AppState::*signal)()) {
  emit(this->*signal)();
  emit changed();
}

// ---- Settings ---------------------------------------------------------------------------------------

QString AppState::excludedRaw() const { return settings_.stringValue(keys::excludedPaths); }
void AppState::setExcludedRaw(const QString& raw) {
  settings_.setString(keys::excludedPaths, raw);
  emit changed();
}
bool AppState::permanentDelete() const { return settings_.boolValue(keys::permanentDelete, false); }
void AppState::setPermanentDelete(bool on) {
  settings_.setBool(keys::permanentDelete, on);
  emit changed();
}
bool AppState::accessOnboardingSkipped() const { return settings_.boolValue(keys::accessOnboardingSkipped, false); }
void AppState::setAccessOnboardingSkipped(bool on) {
  settings_.setBool(keys::accessOnboardingSkipped, on);
  emit changed();
}

std::vector<std::string> AppState::excludedPaths() const {
  std::vector<std::string> paths;
  for (const QString& line : excludedRaw().split(QLatin1Char('\n')))
    if (!line.isEmpty()) paths.push_back(line.toStdString());
  return paths;
}

// ---- Navigation -------------------------------------------------------------------------------------

void AppState::setSection(AppSection section) {
  if (section_ == section) return;
  section_ = section;
  notify(&AppState::sectionChanged);
}

void AppState::setExplorerStack(std::vector<FileNode*> stack) {
  explorerStack_ = std::move(stack);
  notify(&AppState::scanChanged);
}

void AppState::setLargeFilter(const FileFilter& filter) {
  largeFilter_ = filter;
  emit changed();
}

void AppState::setSmartSelection(std::set<std::string> selection) {
  smartSelection_ = std::move(selection);
  notify(&AppState::smartCleanChanged);
}

void AppState::setHasFullDiskAccess(bool granted) {
  hasFullDiskAccess_ = granted;
  notify(&AppState::accessChanged);
}

void AppState::setShowAccessOnboarding(bool show) {
  showAccessOnboarding_ = show;
  notify(&AppState::accessChanged);
}

void AppState::setRemovedApp(const RemovedApp& app) {
  removedApp_ = std::make_unique<RemovedApp>(app);
  notify(&AppState::removedAppChanged);
}

namespace {

// An application's item in the Library, named by its location so that the sheet tells "Caches · x"
// from "Preferences · x".
PlanItem relatedPlanItem(const RelatedItem& item, const SafetyContext& safety) {
  return PlanItem{item.path, item.label + " \u00B7 " + lastPathComponent(item.path), item.size, Removal::trash,
                  SafetyVerdict::forPath(item.path, safety)};
}

}  // namespace

void AppState::planUninstall(const InstalledApp& app) {
  if (app.isUninstallRefused()) return;  // only its package tool removes it
  std::vector<PlanItem> items;
  items.push_back(PlanItem{app.path, app.name, app.appSize, Removal::trash, verdictFor(app.path)});
  for (const RelatedItem& item : app.related) items.push_back(relatedPlanItem(item, safety_));
  requestDeletion(items, tr("Uninstall %1").arg(QString::fromStdString(app.name)));
}

void AppState::planLeftovers() {
  if (!removedApp_) return;
  std::vector<PlanItem> items;
  for (const RelatedItem& item : removedApp_->items) items.push_back(relatedPlanItem(item, safety_));
  const QString title = tr("Leftovers of %1").arg(QString::fromStdString(removedApp_->name));
  clearRemovedApp();
  requestDeletion(items, title);
}

void AppState::clearRemovedApp() {
  if (!removedApp_) return;
  removedApp_.reset();
  notify(&AppState::removedAppChanged);
}

void AppState::dismissPlan() {
  if (!plan_) return;
  plan_.reset();
  notify(&AppState::planChanged);
}

void AppState::setToast(Toast toast) {
  toast_ = std::move(toast);
  notify(&AppState::toastChanged);
}

void AppState::clearToast(const std::string& id) {
  if (!toast_ || toast_->id != id) return;
  toast_.reset();
  notify(&AppState::toastChanged);
}

void AppState::refreshVolume() {
  volume_ = env_.readVolume();
  if (services_) services_->adoptVolume(volume_);
  notify(&AppState::volumeChanged);
}

void AppState::waitForBackgroundWork() {
  workPool_.waitForDone();
  archiveWriter_->waitForIdle();
  storeWriter_->waitForIdle();
}

}  // namespace tolvex
