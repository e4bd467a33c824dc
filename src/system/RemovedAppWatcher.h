#pragma once
// The removed-application watcher: notices while the program runs that an application has gone from
// the application folders and reports what it left in ~/Library.
//
// It keeps a snapshot of the installed applications, watches the application folders (inotify, on a
// thread of its own), waits until changes have settled for the debounce interval, takes a fresh
// snapshot and compares. An application whose identifier is gone from the folders and that cannot be
// located elsewhere is reported, when its Library items add up to kRemovedAppReportThreshold bytes.
//
// Threads: `start`, `stop`, `scheduleRescan` and `rescan` return at once and are meant to be called
// from one controlling thread (the UI thread). Snapshots and comparisons run one at a time on the
// watcher's worker thread; the callback runs there too, so the caller marshals it to its own thread.
// The callback must not call `start` or `stop` itself.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "system/InventoryContext.h"
#include "system/RemovedApp.h"

namespace tolvex {

// Below this many bytes of Library data a removal is not worth telling the user about.
inline constexpr int64_t kRemovedAppReportThreshold = 5'000'000;

class RemovedAppWatcher {
 public:
  // What a snapshot remembers of one application.
  struct Known {
    std::string name;      // display name, chosen as the inventory chooses it
    std::string bundleID;  // never empty or blank
    // A desktop application's kind, desktop-file ID (empty for a bare AppImage), the name its kind's
    // source knows it by, and the folded names its data may carry.
    AppKind kind = AppKind::bundle;
    std::string desktopID{};
    std::string source{};
    std::vector<std::string> nameKeys{};
    bool operator==(const Known&) const = default;
  };
  // Bundle path → what is known of the application there.
  using KnownApps = std::map<std::string, Known>;

  // One comparison's result: the new snapshot and the removals worth reporting.
  struct Comparison {
    KnownApps current;
    std::vector<RemovedApp> removed;
  };

  using Callback = std::function<void(const RemovedApp&)>;

  static constexpr std::chrono::nanoseconds kDebounce = std::chrono::seconds(10);

  // Watches `context.applicationRoots` (and, with a desktop, its entry folders and ~/Applications) and
  // reads `context.home`'s Library (and the desktop's data folders).
  explicit RemovedAppWatcher(InventoryContext context, std::chrono::nanoseconds debounce = kDebounce);
  // Stops watching and waits for the worker to finish (a running comparison stops early).
  ~RemovedAppWatcher();
  RemovedAppWatcher(const RemovedAppWatcher&) = delete;
  RemovedAppWatcher& operator=(const RemovedAppWatcher&) = delete;

  // (Re)starts watching: stops first, keeps `onRemoved`, takes the first snapshot in the background
  // and watches each application folder that can be opened.
  void start(Callback onRemoved);
  // Stops watching: a waiting rescan is dropped, the folder watches are closed, and a comparison
  // still running is abandoned and its result dropped: once this returns, no callback runs.
  void stop();
  // A change was seen in a watched folder: (re)starts the debounce wait. Ignored while not watching.
  void scheduleRescan();
  // Compares now, without waiting: the comparison runs after the one in progress, if any; requests made
  // meanwhile are merged into that one follow-up.
  void rescan();

  // How many folders are watched; 0 when stopped or when no folder could be opened.
  size_t sourceCount() const { return sourceCount_.load(); }
  // The snapshot stored last.
  KnownApps known() const;
  // Blocks until no snapshot or comparison is running or waiting to run.
  void waitUntilIdle() const;

  // The applications now in the application folders that have an identifier, except Apple's and this
  // program itself, and with a desktop every application it lists. Two copies of one application give
  // two records with the same identifier.
  static KnownApps knownApps(const InventoryContext& context);
  // The records of `previous` whose application is gone: nothing at its path in `current`, its
  // identifier nowhere in `current` (not moved or renamed inside the folders, no other copy), and
  // `isLocatable` false for it (not moved elsewhere; for a desktop application: its desktop ID has no
  // file in any folder and its kind's source no longer has it). In the order of `previous`.
  static std::vector<std::pair<std::string, Known>> vanishedApps(
      const KnownApps& previous, const KnownApps& current, const std::function<bool(const Known&)>& isLocatable);
  // The folders watched: the application folders, then the desktop's entry folders and ~/Applications.
  static std::vector<std::string> watchedFolders(const InventoryContext& context);
  // Takes a new snapshot and compares it with `previous`: each vanished application whose Library
  // items (listed afresh and measured) add up to at least the threshold is reported. `abandoned` is
  // asked before each vanished application; once it answers true the result is incomplete.
  static Comparison compare(const KnownApps& previous, const InventoryContext& context,
                            const std::function<bool()>& abandoned = {});

 private:
  void requestComparison();
  void workerLoop();
  // A folder to watch that is not there yet, and the watch on its nearest existing ancestor.
  struct Awaited {
    std::string folder;
    int ancestorWatch = -1;
    std::string nextName{};  // the component below the ancestor that leads to the folder
  };
  void eventLoop(int inotifyFd, int wakeFd, std::vector<Awaited> awaited);
  // Watches the folders of `awaited` that have appeared (true when one has) and moves the others'
  // ancestor watches as deep as their folders now exist.
  bool watchAppeared(int inotifyFd, std::vector<Awaited>& awaited);
  void runComparison(uint64_t generation, const KnownApps& previous);

  const InventoryContext context_;
  const std::chrono::nanoseconds debounce_;

  // Shared between the controlling thread and the worker; guarded by mutex_.
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  KnownApps known_;
  Callback onRemoved_;
  bool snapshotWaiting_ = false;
  bool comparisonWaiting_ = false;
  bool busy_ = false;
  bool shuttingDown_ = false;
  // Raised by every start and stop: work begun under an older value is abandoned and its result dropped.
  std::atomic<uint64_t> generation_{0};
  // Held while results are delivered, so that `stop` waits for a delivery in progress.
  std::mutex deliveryMutex_;
  std::thread worker_;

  // The folder watches; touched by the controlling thread only (the count is read from anywhere).
  std::atomic<size_t> sourceCount_{0};
  int inotifyFd_ = -1;
  int wakeFd_ = -1;
  std::atomic<bool> rescanRequested_{false};
  std::atomic<bool> stopping_{false};
  std::thread events_;
};

}  // namespace tolvex
