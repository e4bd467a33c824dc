#pragma once
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/AppEnvironment.h"
#include "app/AppSection.h"
#include "app/ArchiveWriter.h"
#include "app/DeletionPlan.h"
#include "app/Settings.h"
#include "app/UiDispatch.h"
#include "app/services/BackgroundServices.h"
#include "engines/CloudDrive.h"
#include "engines/Deleter.h"
#include "engines/DeletionHistory.h"
#include "engines/DevItem.h"
#include "engines/DuplicateFinder.h"
#include "engines/JunkFinder.h"
#include "engines/JunkRule.h"
#include "engines/Recommendation.h"
#include "engines/SpaceSharing.h"
#include "engines/VirtualDisk.h"
#include "model/DisplayPath.h"
#include "model/FileFilter.h"
#include "model/SafetyVerdict.h"
#include "model/ScanResult.h"
#include "model/Scanner.h"
#include "model/VolumeInfo.h"
#include "platform/BackgroundWriter.h"
#include "system/InstalledApp.h"
#include "system/Leftover.h"
#include "system/TrendStore.h"

namespace tolvex {

struct RemovedApp;

// The one store of the application: every screen reads it and every user action is one of its
// methods. It lives on the UI thread; long work runs on its thread pools and comes back through
// queued calls with the store as context. Every change of a published field emits `changed()` and,
// for the fields screens watch most, a signal of its own.
class AppState : public QObject {
  Q_OBJECT
 public:
  // A temporary file of ours older than this is left over from a write that never finished.
  static constexpr double kStaleTemporarySeconds = 15 * 60;

  explicit AppState(AppEnvironment environment = AppEnvironment::standard(), QObject* parent = nullptr);
  ~AppState() override;

  // ---- Published fields -----------------------------------------------------------------------
  AppSection section() const { return section_; }
  const ScanTarget& scanTarget() const { return scanTarget_; }
  bool isScanning() const { return isScanning_; }
  bool isRestoringScan() const { return isRestoringScan_; }
  const ScanProgressSnapshot& progress() const { return progress_; }
  const std::optional<ScanResult>& scan() const { return scan_; }
  // The target of the scan on screen (the toolbar and Rescan use `scanTarget`).
  const std::optional<ScanTarget>& scannedTarget() const { return scannedTarget_; }
  int64_t revision() const { return revision_; }
  const std::optional<VolumeInfo>& volume() const { return volume_; }
  const std::vector<FileNode*>& explorerStack() const { return explorerStack_; }
  const FileFilter& largeFilter() const { return largeFilter_; }
  // The installed applications in the inventory's order, and the data of removed applications.
  const std::vector<InstalledApp>& apps() const { return apps_; }
  bool appsLoading() const { return appsLoading_; }
  const std::vector<Leftover>& leftovers() const { return leftovers_; }
  bool leftoversLoading() const { return leftoversLoading_; }
  const std::vector<JunkFinding>& junk() const { return junk_; }
  bool junkLoading() const { return junkLoading_; }
  SmartPhase smartPhase() const { return smartPhase_; }
  const std::set<std::string>& smartSelection() const { return smartSelection_; }
  const std::optional<DeletionReport>& lastReport() const { return lastReport_; }
  const std::vector<DuplicateGroup>& duplicates() const { return duplicates_; }
  const std::optional<double>& duplicatesProgress() const { return duplicatesProgress_; }
  bool isSharingSpace() const { return isSharingSpace_; }
  const std::optional<CloudReport>& cloud() const { return cloud_; }
  bool cloudLoading() const { return cloudLoading_; }
  const std::optional<DeletionPlan>& plan() const { return plan_; }
  const std::optional<Toast>& toast() const { return toast_; }
  bool hasFullDiskAccess() const { return hasFullDiskAccess_; }
  bool showAccessOnboarding() const { return showAccessOnboarding_; }
  const std::vector<DeletionFailure>& failures() const { return failures_; }
  // The application whose removal the window reports, until the user dismisses or reviews it.
  const RemovedApp* removedApp() const { return removedApp_.get(); }

  // ---- Stored settings ------------------------------------------------------------------------
  QString excludedRaw() const;
  void setExcludedRaw(const QString& raw);
  bool permanentDelete() const;
  void setPermanentDelete(bool on);
  bool accessOnboardingSkipped() const;
  void setAccessOnboardingSkipped(bool on);
  // The non-empty lines of "excludedPaths", in stored order.
  std::vector<std::string> excludedPaths() const;

  // ---- Owned stores -----------------------------------------------------------------------------
  DeletionHistory& history() { return *history_; }
  TrendStore& trends() { return *trends_; }
  BackgroundServices& services() { return *services_; }
  Settings& settings() { return settings_; }
  const AppEnvironment& environment() const { return env_; }
  // Verdicts and path texts, judged against the user's places of the environment (never the process's).
  const SafetyContext& safety() const { return safety_; }
  SafetyVerdict verdictFor(const std::string& path) const { return SafetyVerdict::forPath(path, safety_); }
  std::string shownPath(std::string_view path) const { return displayPath(path, env_.places.home); }

  // ---- Navigation and view-driven fields ----------------------------------------------------------
  void setSection(AppSection section);
  void setExplorerStack(std::vector<FileNode*> stack);
  void setLargeFilter(const FileFilter& filter);
  void setSmartSelection(std::set<std::string> selection);
  // Moves Quick Clean back to a stage the user leads it to ("Start Over", "Done"). Nothing while a
  // Quick Clean search or clean is running: its end would move the phase on under the user's feet.
  void setSmartPhase(SmartPhase phase);
  void setHasFullDiskAccess(bool granted);
  void setShowAccessOnboarding(bool show);
  void setRemovedApp(const RemovedApp& app);
  void clearRemovedApp();
  // Turns the removed application's leftovers into a deletion plan ("Leftovers of <name>") and
  // forgets the application; nothing without one.
  void planLeftovers();
  // The deletion plan of a complete uninstall: the bundle, then its data in the Library, all to the Trash.
  void planUninstall(const InstalledApp& app);
  void dismissPlan();
  // Clears the toast if it is still the one with `id`.
  void clearToast(const std::string& id);
  // Shows a screen's own message under the window.
  void showToast(Toast toast) { setToast(std::move(toast)); }

  // ---- Scans --------------------------------------------------------------------------------------
  void startScan(std::optional<ScanTarget> target = std::nullopt);
  void cancelScan();
  void restoreLastScan();
  void scheduleArchiveSave();
  bool isScanStale() const;
  // Each category with at least 1 byte, largest first (equal sizes keep category order).
  std::vector<std::pair<StorageBucket, int64_t>> bucketBreakdown() const;
  // The virtual-machine and container disk images of the scan, largest first.
  std::vector<VirtualDisk> virtualDisks() const;

  // ---- Loaders ------------------------------------------------------------------------------------
  // Measures the installed applications: without `force` only while none are listed and no load runs.
  // Only the latest load publishes and clears `appsLoading`.
  void loadApps(bool force = false);
  // Searches the Library for data of removed applications, gathering the applications first when none
  // are listed; nothing while a search runs.
  void loadLeftovers();
  // Searches every junk rule; `done` runs once findings at least as new as this search are published.
  // Only the latest search publishes and clears `junkLoading`.
  void loadJunk(std::function<void()> done = {});
  // Inspects iCloud Drive, unless an inspection (or an eviction) is already running.
  void loadCloud();

  // ---- Quick Clean --------------------------------------------------------------------------------
  // Publishes `scanning`, searches for junk and shows the review after at least the minimum time.
  // Does nothing while a Quick Clean search or clean is running.
  void startSmartClean();
  // Cleans the items of the selected rules, each as its rule says, then shows `done` after at least
  // the minimum time and searches again. Does nothing without items or while Quick Clean is running.
  void runSmartClean();

  // ---- Duplicates, space sharing and iCloud ---------------------------------------------------------
  // Searches the scan for duplicates of at least 1 MiB; nothing while a search runs.
  void searchDuplicates();
  // Makes the selected copies share storage with the first unselected copy of their group; nothing
  // while a batch runs.
  void shareSpace(const std::vector<FileNode*>& selected);
  // Removes the local copies of downloaded iCloud files, then inspects iCloud Drive again.
  void evictCloudDownloads(const std::vector<CloudItem>& items);

  // ---- Developer artefacts and recommendations ---------------------------------------------------------
  std::vector<DevItem> findDeveloperArtifacts() const;
  // The Overview's cards; every action does nothing once the store is gone.
  std::vector<Recommendation> buildRecommendations();
  // Opens the Explorer at `node` (its folder when it is a file); nothing when the node is gone or
  // not part of the scan on screen.
  void revealInExplorer(FileNode* node);

  // ---- Deletions ----------------------------------------------------------------------------------
  void requestDeletion(const std::vector<PlanItem>& items, const QString& title);
  void confirmDeletion(const DeletionPlan& plan, bool includeReview);
  using ReportHandler = std::function<void(const DeletionReport&)>;
  void runDeletion(std::vector<DeletionRequest> requests, bool quiet, ReportHandler done = {});
  void pruneDeleted(const std::set<std::string>& paths);
  void undoDeletion(const std::vector<HistoryEntry>& entries);
  // Writes the history as it is now, off the UI thread (a failure is logged); `then`, when given, is
  // told the errno (0 on success) back on the UI thread.
  void saveHistory(std::function<void(int error)> then = {});
  // Puts entries of removals in front of the history and saves it; a failed save is reported as a
  // deletion's is. UI thread only.
  void recordRemovals(const std::vector<HistoryEntry>& entries);
  // For removals made off the UI thread outside a deletion plan (a login item's file moved to the
  // Trash): callable from any thread, it hands the entries to the UI thread's `recordRemovals`, even
  // when the screen that started the removal is gone by then.
  std::function<void(std::vector<HistoryEntry>)> removalRecorder();

  // Reads the start-up volume's figures again (none when they cannot be read).
  void refreshVolume();

  // Waits for every background task of the store (tests).
  void waitForBackgroundWork();

 signals:
  void changed();
  void sectionChanged();
  void scanChanged();      // scan, revision, explorerStack
  void scanningChanged();  // isScanning, isRestoringScan, progress, scanTarget
  void planChanged();
  void toastChanged();
  void failuresChanged();
  void volumeChanged();
  void accessChanged();      // hasFullDiskAccess, showAccessOnboarding
  void appsChanged();        // apps, appsLoading
  void leftoversChanged();   // leftovers, leftoversLoading
  void junkChanged();        // junk, junkLoading
  void smartCleanChanged();  // smartPhase, smartSelection, lastReport
  void duplicatesChanged();  // duplicates, duplicatesProgress, isSharingSpace
  void cloudChanged();       // cloud, cloudLoading
  void historyChanged();     // the entries of `history()`
  void removedAppChanged();
  void scanArchived();  // an archive write finished (tests)

 private:
  void startUp();
  BackgroundServices::Hooks servicesHooks();
  // Tells the user once about stored files that could not be read and were moved aside.
  void tellOfSetAsideFiles();
  void publishScanResult(const std::shared_ptr<Scanner>& scanner, std::optional<ScanResult> result,
                         std::optional<ScanSnapshot> snapshot, const ScanTarget& target);
  void applyRestoredScan(std::optional<std::pair<ScanResult, ScanTarget>> restored);
  void applyDeletionReport(const DeletionReport& report, const std::vector<HistoryEntry>& entries, bool quiet);
  void setToast(Toast toast);
  void writeArchiveNow(const ScanResult& result, const ScanTarget& target);
  void notify(void (AppState::*signal)());
  void publishJunk(uint64_t generation, std::vector<JunkFinding> findings);
  // The paths pruned while a load runs, so that its result, read from the disk before, leaves them out.
  struct PruneWatch {
    std::set<std::string> paths;
  };
  std::shared_ptr<PruneWatch> watchPrunes();
  void endWatch(const std::shared_ptr<PruneWatch>& watch);
  void publishApps(uint64_t generation, const std::shared_ptr<PruneWatch>& watch, std::vector<InstalledApp> apps);
  void publishGatheredApps(const std::shared_ptr<PruneWatch>& watch, std::vector<InstalledApp> gathered);
  void publishLeftovers(const std::shared_ptr<PruneWatch>& watch, std::vector<Leftover> leftovers);
  void loadOnce(bool AppState::*flag, void (AppState::*signal)(), std::function<void()> work);
  void afterMinimum(double startedAt, int minimumMs, std::function<void()> then);
  void publishDuplicates(uint64_t search, const std::shared_ptr<FileTree>& searched,
                         std::vector<DuplicateGroup> groups);
  void reportShareSpace(const CloneReport& report, const NodeSelection& selection);
  void reportEviction(const EvictionReport& eviction, CloudReport cloud);

  AppEnvironment env_;
  SafetyContext safety_;
  Settings settings_;

  AppSection section_ = AppSection::smartClean;
  ScanTarget scanTarget_ = ScanTarget::wholeDisk();
  bool isScanning_ = false;
  bool isRestoringScan_ = false;
  QTimer archiveTimer_;
  ScanProgressSnapshot progress_;
  std::optional<ScanResult> scan_;
  std::optional<ScanTarget> scannedTarget_;
  int64_t revision_ = 0;
  std::optional<VolumeInfo> volume_;
  std::vector<FileNode*> explorerStack_;
  FileFilter largeFilter_;
  std::shared_ptr<Scanner> scanner_;
  std::vector<InstalledApp> apps_;
  bool appsLoading_ = false;
  uint64_t appsGeneration_ = 0;  // the latest load of the applications
  std::vector<Leftover> leftovers_;
  bool leftoversLoading_ = false;
  std::vector<std::shared_ptr<PruneWatch>> pruneWatches_;
  std::vector<JunkFinding> junk_;
  bool junkLoading_ = false;
  uint64_t junkGeneration_ = 0;                     // the latest junk search
  std::vector<std::function<void()>> junkWaiters_;  // run when the latest search publishes
  std::set<std::string> junkPrunedDuringSearch_;    // deleted while the latest search ran
  bool smartCleanRunning_ = false;                  // a Quick Clean search or clean is under way
  SmartPhase smartPhase_ = SmartPhase::idle;
  std::set<std::string> smartSelection_;
  std::optional<DeletionReport> lastReport_;
  std::vector<DuplicateGroup> duplicates_;
  std::optional<double> duplicatesProgress_;
  uint64_t duplicatesSearch_ = 0;  // the latest duplicate search; an older one publishes nothing
  bool isSharingSpace_ = false;
  std::optional<CloudReport> cloud_;
  bool cloudLoading_ = false;
  std::optional<DeletionPlan> plan_;
  std::optional<Toast> toast_;
  bool hasFullDiskAccess_ = false;
  std::unique_ptr<DeletionHistory> history_;
  std::unique_ptr<TrendStore> trends_;
  bool showAccessOnboarding_ = false;
  std::vector<DeletionFailure> failures_;
  std::unique_ptr<RemovedApp> removedApp_;

  UiTaskQueue* ui_ = new UiTaskQueue(this);  // results of background work come back through it
  QThreadPool workPool_;                     // file-system work: scans, restores, deletions
  std::unique_ptr<ArchiveWriter> archiveWriter_;
  std::unique_ptr<BackgroundWriter> storeWriter_ = std::make_unique<BackgroundWriter>();  // history, trends
  BackgroundServices* services_ = nullptr;  // a child: inert until the window starts it
};

}  // namespace tolvex
