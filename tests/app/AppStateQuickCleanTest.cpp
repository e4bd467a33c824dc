#include <gtest/gtest.h>

#include "support/JunkFixtures.h"
#include "support/qt/FakeEngines.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

// A store whose junk search and iCloud inspection are fakes, with a hand-driven clock.
struct Harness {
  AppFixture f;
  Scripted<std::vector<JunkFinding>> junk;
  Scripted<CloudReport> cloud;
  FakeTime time;
  std::unique_ptr<AppState> state;

  Harness() {
    AppEnvironment env = f.environment();
    env.findJunk = [junk = junk](const std::vector<JunkRule>&, bool, double) { return junk.take(); };
    env.inspectICloud = [cloud = cloud] { return cloud.take(); };
    time.install(env);
    state = std::make_unique<AppState>(env);
    waitUntil([&] { return !state->isRestoringScan(); });
  }
  ~Harness() {
    state.reset();  // waits for its background work
  }
};

std::vector<std::string> urls(const std::vector<JunkFinding>& findings) {
  std::vector<std::string> out;
  for (const auto& finding : findings)
    for (const auto& item : finding.items) out.push_back(item.url);
  return out;
}

}  // namespace

TEST(AppStateLoaders, QuickCleanStartsWithTheRulesMarkedForIt) {
  Harness h;
  EXPECT_EQ(
      h.state->smartSelection(),
      (std::set<std::string>{"user-caches", "user-logs", "saved-state", "trash", "mail-downloads", "xcode-derived",
                             "xcode-device-support", "xcode-watch-support", "simulator-caches", "ios-updates"}));
  EXPECT_EQ(h.state->smartPhase(), SmartPhase::idle);
  EXPECT_FALSE(h.state->lastReport());
}

TEST(AppStateLoaders, OnlyTheLatestJunkSearchPublishes) {
  // Whichever of two overlapping searches ends first, only the newer one's findings are ever
  // published, and loading ends with them.
  for (bool olderEndsFirst : {true, false}) {
    Harness h;
    std::vector<std::vector<std::string>> published;
    QObject::connect(h.state.get(), &AppState::junkChanged, [&] {
      if (!h.state->junkLoading()) published.push_back(urls(h.state->junk()));
    });
    auto older = h.junk.holdCall(1), newer = h.junk.holdCall(2);
    int olderDone = 0, newerDone = 0;
    h.state->loadJunk([&] { ++olderDone; });
    ASSERT_TRUE(h.state->junkLoading());
    ASSERT_TRUE(waitUntil([&] { return older->someoneWaiting(); }));
    h.state->loadJunk([&] { ++newerDone; });
    ASSERT_TRUE(waitUntil([&] { return newer->someoneWaiting(); }));
    auto finish = [&](const std::shared_ptr<Gate>& gate, const char* url) {
      h.junk.answer({findingOf("user-caches", {{url, 5}})});
      const int before = h.junk.returned();
      gate->open();
      ASSERT_TRUE(waitUntil([&] { return h.junk.returned() == before + 1; }));
    };
    if (olderEndsFirst) {
      finish(older, "/old");
      finish(newer, "/new");
    } else {
      finish(newer, "/new");
      finish(older, "/old");
    }
    h.state->waitForBackgroundWork();  // both searches have handed their findings over
    QCoreApplication::processEvents();
    EXPECT_EQ(published, std::vector<std::vector<std::string>>{{"/new"}}) << olderEndsFirst;
    EXPECT_FALSE(h.state->junkLoading());
    // The older search's caller is answered by the newer findings, once.
    EXPECT_EQ(olderDone, 1);
    EXPECT_EQ(newerDone, 1);
  }
}

TEST(AppStateLoaders, ASearchRunningDuringADeletionDoesNotBringItsItemsBack) {
  Harness h;
  auto gate = h.junk.holdCall(1);
  h.junk.answer({findingOf("user-caches", {{"/c/deleted", 5}, {"/c/kept", 5}})});
  h.state->loadJunk();
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  h.state->pruneDeleted({"/c/deleted"});
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->junkLoading(); }));
  EXPECT_EQ(urls(h.state->junk()), std::vector<std::string>{"/c/kept"});
  // The next search reads the disk afresh and lists what it finds.
  h.junk.answer({findingOf("user-caches", {{"/c/deleted", 5}})});
  h.state->loadJunk();
  ASSERT_TRUE(waitUntil([&] { return !h.state->junkLoading(); }));
  EXPECT_EQ(urls(h.state->junk()), std::vector<std::string>{"/c/deleted"});
}

TEST(AppStateLoaders, CloudLoadsOnceAtATimeAndAgainWhenAsked) {
  Harness h;
  auto gate = h.cloud.holdCall(1);
  CloudReport report;
  report.isAvailable = true;
  report.folders.push_back(CloudFolder{"/icloud/Docs", "Docs", false, 7, 0, 0, {}});
  h.cloud.answer(report);
  h.state->loadCloud();
  EXPECT_TRUE(h.state->cloudLoading());
  h.state->loadCloud();  // a load is running: nothing more
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->cloudLoading(); }));
  ASSERT_TRUE(h.state->cloud());
  EXPECT_EQ(h.state->cloud()->folders.size(), 1u);
  EXPECT_EQ(h.cloud.calls(), 1);
  h.state->loadCloud();  // no cache: a finished load can run again
  ASSERT_TRUE(waitUntil([&] { return !h.state->cloudLoading(); }));
  EXPECT_EQ(h.cloud.calls(), 2);
}

TEST(AppStateQuickClean, SearchShowsTheReviewOnlyAfterTheMinimumTime) {
  struct Case {
    double searchSeconds;
    std::vector<int> wait;  // what is left of the 1.6 s minimum
  };
  for (const Case& c : {Case{0.0, {1600}}, Case{0.5, {1100}}, Case{1.6, {}}, Case{2.5, {}}}) {
    Harness h;
    auto gate = h.junk.holdCall(1);
    h.junk.answer({findingOf("user-caches", {{"/c/a", 5}})});
    h.state->startSmartClean();
    EXPECT_EQ(h.state->smartPhase(), SmartPhase::scanning);
    ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
    h.state->startSmartClean();  // already searching: nothing more
    h.time.advance(c.searchSeconds);
    gate->open();
    ASSERT_TRUE(waitUntil([&] { return !h.state->junkLoading(); }));
    EXPECT_EQ(h.time.pending(), c.wait) << c.searchSeconds;
    if (!c.wait.empty()) {
      EXPECT_EQ(h.state->smartPhase(), SmartPhase::scanning);
      EXPECT_EQ(h.state->junk().size(), 1u);  // the findings are in; the stage stays a while
      h.time.fire();
    }
    EXPECT_EQ(h.state->smartPhase(), SmartPhase::review);
    EXPECT_EQ(h.junk.calls(), 1);
  }
}

TEST(AppStateQuickClean, NothingToCleanStaysInReview) {
  struct Case {
    const char* name;
    std::vector<JunkFinding> junk;
    std::set<std::string> selection;
  };
  const Case cases[] = {
      {"no junk", {}, {"user-caches"}},
      {"empty selection", {findingOf("user-caches", {{"/c/a", 5}})}, {}},
      {"selection without findings", {findingOf("npm-cache", {{"/n/a", 5}})}, {"user-caches"}},
  };
  for (const Case& c : cases) {
    Harness h;
    h.junk.answer(c.junk);
    h.state->setSmartSelection(c.selection);
    h.state->startSmartClean();
    ASSERT_TRUE(waitUntil([&] { return !h.time.pending().empty(); })) << c.name;
    h.time.fire();
    ASSERT_EQ(h.state->smartPhase(), SmartPhase::review);
    h.state->runSmartClean();
    EXPECT_EQ(h.state->smartPhase(), SmartPhase::review) << c.name;
    h.state->waitForBackgroundWork();
    QCoreApplication::processEvents();
    EXPECT_TRUE(h.state->history().entries().empty()) << c.name;
    EXPECT_FALSE(h.state->toast()) << c.name;
  }
}

TEST(AppStateQuickClean, CleansEachRuleAsItSaysThenSearchesAgain) {
  // "permanentDelete" is not consulted: the caches rule removes for good, the installers rule trashes.
  for (bool permanentSetting : {false, true}) {
    Harness h;
    h.state->setPermanentDelete(permanentSetting);
    TreeBuilder files(h.f.home / "junk");
    const std::string cache = files.file("cache.bin", 3000), installer = files.file("old.dmg", 2000),
                      unselected = files.file("log.txt", 10);
    h.junk.answer({findingOf("user-caches", {{cache, 3000}}), findingOf("old-installers", {{installer, 2000}}),
                   findingOf("user-logs", {{unselected, 10}})});
    h.state->setSmartSelection({"user-caches", "old-installers"});
    h.state->startSmartClean();
    ASSERT_TRUE(waitUntil([&] { return !h.time.pending().empty(); }));
    h.time.fire();

    h.state->runSmartClean();
    EXPECT_EQ(h.state->smartPhase(), SmartPhase::cleaning);
    h.state->runSmartClean();  // a clean is running: nothing more
    h.time.advance(0.2);       // the deletion takes 0.2 s
    ASSERT_TRUE(waitUntil([&] { return !h.time.pending().empty(); }));
    EXPECT_EQ(h.time.pending(), std::vector<int>{1000});
    EXPECT_EQ(h.state->smartPhase(), SmartPhase::cleaning);
    EXPECT_FALSE(h.state->lastReport());
    const int searches = h.junk.calls();
    h.time.fire();

    EXPECT_EQ(h.state->smartPhase(), SmartPhase::done);
    ASSERT_TRUE(h.state->lastReport());
    EXPECT_EQ(h.state->lastReport()->freed, 3000);
    EXPECT_EQ(h.state->lastReport()->movedToTrash, 2000);
    EXPECT_FALSE(pathExists(cache));
    EXPECT_FALSE(pathExists(installer));
    EXPECT_TRUE(pathExists(unselected));
    ASSERT_EQ(h.state->history().entries().size(), 2u);  // one run only
    for (const HistoryEntry& entry : h.state->history().entries())
      EXPECT_EQ(entry.trashPath.has_value(), entry.originalPath == installer) << entry.originalPath;
    ASSERT_TRUE(h.state->toast());  // the usual result toast, with Undo for the trashed item
    EXPECT_EQ(h.state->toast()->undoable.size(), 1u);
    EXPECT_TRUE(h.state->failures().empty());
    EXPECT_TRUE(h.state->junkLoading());  // the findings are searched again
    ASSERT_TRUE(waitUntil([&] { return !h.state->junkLoading(); }));
    EXPECT_EQ(h.junk.calls(), searches + 1);
    EXPECT_EQ(h.state->smartPhase(), SmartPhase::done);  // the search after cleaning keeps the phase
  }
}

TEST(AppStateQuickClean, StartingAgainWhileCleaningDoesNothing) {
  Harness h;
  TreeBuilder files(h.f.home / "junk");
  const std::string cache = files.file("cache.bin", 10);
  h.junk.answer({findingOf("user-caches", {{cache, 10}})});
  h.state->startSmartClean();
  ASSERT_TRUE(waitUntil([&] { return !h.time.pending().empty(); }));
  h.time.fire();
  h.state->runSmartClean();
  const int searches = h.junk.calls();
  h.state->startSmartClean();
  EXPECT_EQ(h.state->smartPhase(), SmartPhase::cleaning);
  ASSERT_TRUE(waitUntil([&] { return !h.time.pending().empty(); }));
  h.time.fire();
  EXPECT_EQ(h.state->smartPhase(), SmartPhase::done);
  ASSERT_TRUE(waitUntil([&] { return !h.state->junkLoading(); }));
  EXPECT_EQ(h.junk.calls(), searches + 1);  // only the search that follows the clean
  // Once done, Quick Clean starts again.
  h.state->startSmartClean();
  EXPECT_EQ(h.state->smartPhase(), SmartPhase::scanning);
}

TEST(AppStateQuickClean, NoStageIsShownOnceTheStoreIsGone) {
  Harness h;
  h.state->startSmartClean();
  ASSERT_TRUE(waitUntil([&] { return !h.time.pending().empty(); }));
  h.state.reset();
  h.time.fire();  // the wait ends after the store: nothing happens
}

TEST(AppStateQuickClean, TheUserMovesThePhaseBackOnlyWhileNothingRuns) {
  Harness h;
  TreeBuilder files(h.f.home / "junk");
  h.junk.answer({findingOf("user-caches", {{files.file("cache.bin", 10), 10}})});
  h.state->startSmartClean();
  h.state->setSmartPhase(SmartPhase::idle);  // the search runs: its end shows the review
  EXPECT_EQ(h.state->smartPhase(), SmartPhase::scanning);
  ASSERT_TRUE(waitUntil([&] { return !h.time.pending().empty(); }));
  h.time.fire();
  ASSERT_EQ(h.state->smartPhase(), SmartPhase::review);

  h.state->runSmartClean();
  h.state->setSmartPhase(SmartPhase::idle);  // the clean runs: its end shows the result
  EXPECT_EQ(h.state->smartPhase(), SmartPhase::cleaning);
  ASSERT_TRUE(waitUntil([&] { return !h.time.pending().empty(); }));
  h.time.fire();
  ASSERT_EQ(h.state->smartPhase(), SmartPhase::done);

  int changes = 0;
  QObject::connect(h.state.get(), &AppState::smartCleanChanged, [&] { ++changes; });
  h.state->setSmartPhase(SmartPhase::idle);
  EXPECT_EQ(h.state->smartPhase(), SmartPhase::idle);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(h.state->lastReport());  // the last result stays known
  h.state->waitForBackgroundWork();
}
