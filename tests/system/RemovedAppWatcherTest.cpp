#include <gtest/gtest.h>

#include <condition_variable>
#include <dirent.h>
#include <memory>
#include <mutex>

#include "platform/Paths.h"
#include "support/AppsFixture.h"
#include "support/RemovedAppReports.h"
#include "system/Debounce.h"
#include "system/RemovedAppWatcher.h"

using namespace tolvex;
using namespace tolvex::test;
using Known = RemovedAppWatcher::Known;
using KnownApps = RemovedAppWatcher::KnownApps;

namespace {

using Reports = RemovedAppReports;

// Holds every measurement until it is opened, so a comparison can be caught while it runs.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  int entered = 0;

  int64_t pass(int64_t size) {
    std::unique_lock lock(mutex);
    ++entered;
    changed.notify_all();
    changed.wait(lock, [&] { return open; });
    return size;
  }
  void waitEntered(int count) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return entered >= count; });
  }
  void release() {
    std::lock_guard lock(mutex);
    open = true;
    changed.notify_all();
  }
};

size_t openDescriptors() {
  size_t count = 0;
  DIR* dir = ::opendir("/proc/self/fd");
  while (dirent* entry = dir ? ::readdir(dir) : nullptr) count += entry->d_name[0] != '.';
  if (dir) ::closedir(dir);
  return count;
}

}  // namespace

TEST(RemovedAppWatcher, OnlyApplicationsGoneFromEverywhereHaveVanished) {
  const KnownApps previous = {
      {"/A/Editor.app", {"Editor", "com.e.editor"}}, {"/A/Gone.app", {"Gone", "com.e.gone"}},
      {"/A/Moved.app", {"Moved", "com.e.moved"}},    {"/A/Renamed.app", {"Renamed", "com.e.renamed"}},
      {"/A/Copy 1.app", {"Copy", "com.e.copy"}},     {"/A/Copy 2.app", {"Copy", "com.e.copy"}},
      {"/A/Twin.app", {"Twin", "com.e.twin"}},
  };
  const KnownApps current = {
      {"/A/Editor.app", {"Editor", "com.e.editor"}},                 // still there
      {"/Home/Applications/Renamed 2.app", {"R", "com.e.renamed"}},  // renamed or moved between the folders
      {"/A/Copy 2.app", {"Copy", "com.e.copy"}},                     // one copy of two remains
      {"/A/Twin.app", {"Twin", "com.e.other"}},                      // the same path holds another application now
  };
  std::vector<std::string> asked;
  auto locatable = [&](const Known& app) {
    asked.push_back(app.bundleID);
    return app.bundleID == "com.e.moved";  // moved out of the folders, still known to the system
  };
  auto vanished = RemovedAppWatcher::vanishedApps(previous, current, locatable);
  ASSERT_EQ(vanished.size(), 1u);
  EXPECT_EQ(vanished[0].first, "/A/Gone.app");
  EXPECT_EQ(vanished[0].second, (Known{"Gone", "com.e.gone"}));
  // The system is asked only about applications the folders no longer hold.
  EXPECT_EQ(asked, (std::vector<std::string>{"com.e.gone", "com.e.moved"}));
  // Nothing was known: nothing can vanish. Everything was known and the folders are empty: all go.
  EXPECT_TRUE(RemovedAppWatcher::vanishedApps({}, current, locatable).empty());
  EXPECT_EQ(RemovedAppWatcher::vanishedApps(previous, {}, [](const Known&) { return false; }).size(), 7u);
}

TEST(RemovedAppWatcher, SnapshotLeavesOutAppleOurselvesAndBundlesWithoutIdentifier) {
  AppsFixture f;
  writeApp(f.systemApp("Editor.app"), {.identifier = "com.e.editor", .displayName = "Fancy Editor"});
  writeApp(f.userApp("Editor Copy.app"), {.identifier = "com.e.editor"}, true);
  writeApp(f.systemApp("Utilities/Tool.app"), {.identifier = "com.e.tool", .name = "The Tool"});
  writeApp(f.systemApp("Safari.app"), {.identifier = "com.apple.Safari"});
  writeApp(f.systemApp("Tolvex.app"), {.identifier = "com.tolvex.Tolvex"});
  writeApp(f.systemApp("NoId.app"), {.name = "NoId"});
  writeApp(f.systemApp("Blank.app"), {.identifier = ""});
  writeApp(f.systemApp("Spaces.app"), {.identifier = "  "});
  f.root.file("Applications/File.app", 10);
  EXPECT_EQ(RemovedAppWatcher::knownApps(f.context()),
            (KnownApps{{f.systemApp("Editor.app"), {"Fancy Editor", "com.e.editor"}},
                       {f.userApp("Editor Copy.app"), {"Editor Copy", "com.e.editor"}},
                       {f.systemApp("Utilities/Tool.app"), {"The Tool", "com.e.tool"}}}));
}

TEST(RemovedAppWatcher, ReportsARemovalWhoseDataReachesTheThreshold) {
  struct Case {
    int64_t total;
    bool reported;
  };
  const Case cases[] = {{4'999'999, false}, {5'000'000, true}, {20'000'000, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.total);
    AppsFixture f;
    writeApp(f.systemApp("Editor.app"), {.identifier = "com.e.Editor", .displayName = "Fancy Editor"});
    writeApp(f.systemApp("Small.app"), {.identifier = "com.e.small"});
    const std::string caches = f.library("Caches/com.e.editor/c", 4096);
    const std::string prefs = f.library("Preferences/com.e.editor.plist", 4096);
    const std::string support = f.library("Application Support/Editor/x", 4096);  // by the bundle's name
    f.library("Caches/com.e.small/c", 4096);
    InventoryContext context = f.context();
    // Sizes chosen by the test: the caches hold most, the preferences the exact rest.
    context.measure = [&](const std::string& path) -> int64_t {
      if (path == parentPath(caches)) return c.total - 1000;
      if (path == prefs) return 1000;
      if (path == parentPath(support)) return 0;
      return 6'000'000;  // the small app's data: reported only if it were gone
    };
    const KnownApps before = RemovedAppWatcher::knownApps(context);
    removeTree(f.systemApp("Editor.app"));
    const auto result = RemovedAppWatcher::compare(before, context);
    EXPECT_EQ(result.current, (KnownApps{{f.systemApp("Small.app"), {"Small", "com.e.small"}}}));
    if (!c.reported) {
      EXPECT_TRUE(result.removed.empty());
      continue;
    }
    ASSERT_EQ(result.removed.size(), 1u);
    const RemovedApp& app = result.removed[0];
    EXPECT_EQ(app.name, "Fancy Editor");
    EXPECT_EQ(app.bundleID, "com.e.Editor");
    EXPECT_EQ(app.items, (std::vector<RelatedItem>{{parentPath(caches), "Caches", c.total - 1000},
                                                   {prefs, "Preferences", 1000},
                                                   {parentPath(support), "Application Support", 0}}));
  }
}

// A started watcher over applications "<X>.app" (identifier com.e.<x>) with Library data, whose
// measurements wait at the gate.
struct GatedWatch {
  AppsFixture f;
  Gate gate;
  Reports reports;
  std::unique_ptr<RemovedAppWatcher> watcher;

  explicit GatedWatch(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      writeApp(f.systemApp(name + ".app"), {.identifier = "com.e." + name});
      f.library("Caches/com.e." + name + "/c", 4096);
    }
    InventoryContext context = f.context();
    context.measure = [this](const std::string&) { return gate.pass(6'000'000); };
    // Folder events would start comparisons of their own: the wait is longer than any test.
    watcher = std::make_unique<RemovedAppWatcher>(context, std::chrono::hours(1));
    watcher->start(reports.callback());
    watcher->waitUntilIdle();
  }
  void remove(const std::string& name) { removeTree(f.systemApp(name + ".app")); }
};

TEST(RemovedAppWatcher, ComparisonsRunOneAtATimeFromTheStoredSnapshot) {
  GatedWatch w({"a", "b"});
  ASSERT_EQ(w.watcher->known().size(), 2u);
  w.remove("a");
  w.watcher->rescan();
  w.gate.waitEntered(1);  // the first comparison is measuring a's data
  w.remove("b");
  w.watcher->rescan();
  w.watcher->rescan();  // merged into the same follow-up
  w.gate.release();
  w.watcher->waitUntilIdle();
  // a once (not again from a stale snapshot), then b from the snapshot the first comparison stored.
  EXPECT_EQ(w.reports.ids(), (std::vector<std::string>{"com.e.a", "com.e.b"}));
  EXPECT_EQ(w.gate.entered, 2);
  EXPECT_TRUE(w.watcher->known().empty());
}

TEST(RemovedAppWatcher, ResultsArrivingAfterStopAreDropped) {
  GatedWatch w({"a"});
  w.remove("a");
  w.watcher->rescan();
  w.gate.waitEntered(1);
  w.watcher->stop();  // returns while the comparison still runs
  w.gate.release();
  w.watcher->waitUntilIdle();
  EXPECT_TRUE(w.reports.ids().empty());
  EXPECT_EQ(w.watcher->known().size(), 1u);  // the stale result was not stored either
}

TEST(RemovedAppWatcher, DebounceWaitsForTheLastEventOfABurst) {
  using namespace std::chrono_literals;
  const auto t0 = Debounce::Clock::time_point{} + 1h;
  Debounce debounce(10s);
  EXPECT_FALSE(debounce.fire(t0));
  for (int i = 0; i < 10; ++i) debounce.event(t0 + i * 500ms);
  EXPECT_EQ(debounce.due(), t0 + 4500ms + 10s);
  EXPECT_FALSE(debounce.fire(t0 + 14s));
  EXPECT_TRUE(debounce.fire(t0 + 14500ms));
  EXPECT_FALSE(debounce.fire(t0 + 30s));  // one action per burst
  EXPECT_EQ(debounce.due(), std::nullopt);
}

TEST(RemovedAppWatcher, NoticesARemovalInTheWatchedFolders) {
  AppsFixture f;  // the home has no Applications folder: it is not watched
  writeApp(f.systemApp("Utilities/Tool.app"), {.identifier = "com.e.tool", .name = "Tool"});
  writeApp(f.systemApp("Keep.app"), {.identifier = "com.e.keep"});
  f.library("Caches/com.e.tool/c", 4096);
  InventoryContext context = f.context();
  context.measure = [](const std::string&) -> int64_t { return 6'000'000; };
  const size_t descriptors = openDescriptors();
  Reports reports;
  {
    RemovedAppWatcher watcher(context, std::chrono::milliseconds(50));
    watcher.start(reports.callback());
    watcher.start(reports.callback());  // a restart keeps one watch per folder
    EXPECT_EQ(watcher.sourceCount(), 2u);
    watcher.waitUntilIdle();

    // A burst of changes, the removal among them.
    for (int i = 0; i < 10; ++i) f.root.file("Applications/download-" + std::to_string(i));
    removeTree(f.systemApp("Utilities/Tool.app"));
    for (int i = 0; i < 10; ++i) ::unlink(f.systemApp("download-" + std::to_string(i)).c_str());
    ASSERT_TRUE(reports.waitFor(1));
    watcher.waitUntilIdle();
    EXPECT_EQ(reports.ids(), (std::vector<std::string>{"com.e.tool"}));
    EXPECT_EQ(reports.apps[0].name, "Tool");
    EXPECT_EQ(reports.apps[0].items,
              (std::vector<RelatedItem>{{f.home / "Library/Caches/com.e.tool", "Caches", 6'000'000}}));

    watcher.stop();
    EXPECT_EQ(watcher.sourceCount(), 0u);
    EXPECT_EQ(openDescriptors(), descriptors);  // every watch and wake-up descriptor is closed
    watcher.start(reports.callback());
    EXPECT_EQ(watcher.sourceCount(), 2u);
  }
  EXPECT_EQ(openDescriptors(), descriptors);
}

TEST(RemovedAppWatcher, StopDuringTheWaitCancelsTheRescan) {
  AppsFixture f;
  writeApp(f.systemApp("Tool.app"), {.identifier = "com.e.tool"});
  f.home.tree().folder("Applications");
  f.root.folder("Applications/Utilities");
  f.library("Caches/com.e.tool/c", 4096);
  InventoryContext context = f.context();
  context.measure = [](const std::string&) -> int64_t { return 6'000'000; };
  Reports reports;
  RemovedAppWatcher watcher(context, std::chrono::hours(1));
  watcher.start(reports.callback());
  EXPECT_EQ(watcher.sourceCount(), 3u);
  watcher.waitUntilIdle();
  removeTree(f.systemApp("Tool.app"));
  watcher.scheduleRescan();
  watcher.stop();  // returns at once, not an hour later
  watcher.waitUntilIdle();
  EXPECT_TRUE(reports.ids().empty());
  EXPECT_EQ(watcher.known().size(), 1u);
  watcher.scheduleRescan();  // not watching: nothing is scheduled
  watcher.waitUntilIdle();
  EXPECT_TRUE(reports.ids().empty());
}
