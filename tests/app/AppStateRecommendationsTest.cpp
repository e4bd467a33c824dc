#include <gtest/gtest.h>

#include "model/SafetyVerdict.h"
#include "platform/Paths.h"
#include "support/HandTree.h"
#include "support/JunkFixtures.h"
#include "support/qt/FakeEngines.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

// A store with a scan of the home folder and junk findings that give every recommendation.
struct Harness {
  AppFixture f;
  std::string home = f.home.home();
  Scripted<std::vector<JunkFinding>> junk;
  FakeTime time;
  std::unique_ptr<AppState> state;
  FileNode* downloads = nullptr;

  Harness() {
    HandTree tree(home);
    tree.file("Movies/old.mov", 600'000'000, 0);
    downloads = tree.folder("Downloads", 3'000'000'000);
    tree.folder("code/proj", 1'600'000'000, 1.7e9);
    tree.folder("code/proj/node_modules", 1'500'000'000);
    auto restored = std::make_shared<std::optional<ScanResult>>(tree.result());
    AppEnvironment env = f.environment();
    env.readArchive = [restored](const std::string&) {
      std::optional<std::pair<ScanResult, ScanTarget>> result;
      if (*restored) result.emplace(**restored, ScanTarget::home());
      restored->reset();
      return result;
    };
    env.walk = [](Scanner&, const std::string& root, const std::set<std::string>&, const Scanner::Progress&) {
      return std::optional<ScanResult>(HandTree(root).result());
    };
    env.writeArchive = [](const ScanResult&, const ScanTarget&, const std::string&) {};
    env.findJunk = [junk = junk](const std::vector<JunkRule>&, bool, double) { return junk.take(); };
    time.install(env);
    junk.answer(
        {findingOf("user-caches", {{home + "/Library/Caches/app", 100'000'000}}),
         findingOf("trash", {{home + "/.local/share/Trash/files/a.iso", 60'000'000}}),
         findingOf("old-installers", {{home + "/Downloads/setup.dmg", 7}, {home + "/Downloads/x.pkg", 3}}),
         findingOf("ios-backups", {{home + "/Library/Application Support/MobileSync/Backup/1", 2'000'000'000}})});
    state = std::make_unique<AppState>(env);
    waitUntil([&] { return state->scan().has_value(); });
    state->loadJunk();
    waitUntil([&] { return !state->junkLoading(); });
  }
  ~Harness() { state.reset(); }

  const Recommendation& row(const std::vector<Recommendation>& list, const std::string& id) {
    for (const Recommendation& r : list)
      if (r.id == id) return r;
    throw std::runtime_error("no row " + id);
  }
};

std::vector<std::string> idsOf(const std::vector<Recommendation>& list) {
  std::vector<std::string> ids;
  for (const Recommendation& r : list) ids.push_back(r.id);
  return ids;
}

}  // namespace

TEST(AppStateRecommendations, EveryRowFromTheStoreLargestFirst) {
  Harness h;
  const auto list = h.state->buildRecommendations();
  EXPECT_EQ(idsOf(list),
            (std::vector<std::string>{"downloads", "backups", "dev", "oldbig", "junk", "trash", "installers"}));
  const auto developer = h.state->findDeveloperArtifacts();
  ASSERT_EQ(developer.size(), 1u);
  EXPECT_EQ(developer[0].title, "proj / node_modules");
  EXPECT_EQ(developer[0].lastTouched, 1.7e9);
}

TEST(AppStateRecommendations, EachActionDoesWhatItsCardSays) {
  Harness h;
  const auto list = h.state->buildRecommendations();

  h.row(list, "backups").action();
  EXPECT_EQ(h.state->section(), AppSection::junk);
  h.row(list, "dev").action();
  EXPECT_EQ(h.state->section(), AppSection::developer);

  h.row(list, "oldbig").action();
  EXPECT_EQ(h.state->section(), AppSection::large);
  FileFilter expected;
  expected.minSize = 500'000'000;
  expected.modifiedOlderThanDays = 180;
  expected.pathPrefix = h.home + "/";
  EXPECT_EQ(h.state->largeFilter(), expected);

  h.row(list, "downloads").action();
  EXPECT_EQ(h.state->section(), AppSection::explorer);
  EXPECT_EQ(h.state->explorerStack(), (std::vector<FileNode*>{h.state->scan()->root, h.downloads}));

  const int searches = h.junk.calls();
  h.row(list, "junk").action();
  EXPECT_EQ(h.state->section(), AppSection::smartClean);
  EXPECT_EQ(h.state->smartPhase(), SmartPhase::scanning);
  ASSERT_TRUE(waitUntil([&] { return !h.time.pending().empty(); }));
  EXPECT_EQ(h.junk.calls(), searches + 1);
  h.time.fire();
  EXPECT_EQ(h.state->smartPhase(), SmartPhase::review);

  // The Trash and installers plans are built from the findings the cards were built with.
  h.junk.answer({});
  h.state->loadJunk();
  ASSERT_TRUE(waitUntil([&] { return !h.state->junkLoading(); }));
  struct Plan {
    const char* id;
    QString title;
    Removal removal;
    std::vector<std::string> paths;
  };
  const Plan plans[] = {
      {"trash", "Empty the Trash", Removal::permanent, {h.home + "/.local/share/Trash/files/a.iso"}},
      {"installers",
       "Delete installers",
       Removal::trash,
       {h.home + "/Downloads/setup.dmg", h.home + "/Downloads/x.pkg"}},
  };
  for (const Plan& p : plans) {
    h.row(list, p.id).action();
    ASSERT_TRUE(h.state->plan()) << p.id;
    EXPECT_EQ(h.state->plan()->title, p.title);
    ASSERT_EQ(h.state->plan()->items.size(), p.paths.size());
    for (size_t i = 0; i < p.paths.size(); ++i) {
      const PlanItem& item = h.state->plan()->items[i];
      EXPECT_EQ(item.path, p.paths[i]);
      EXPECT_EQ(item.name, lastPathComponent(p.paths[i]));
      EXPECT_EQ(item.removal, p.removal);
      EXPECT_EQ(item.verdict, h.state->verdictFor(p.paths[i]));
    }
    h.state->dismissPlan();
  }
  EXPECT_EQ(h.state->plan(), std::nullopt);
  EXPECT_EQ(h.row(list, "installers").size, 10);
}

TEST(AppStateRecommendations, DownloadsOfAnEarlierScanAreNotRevealed) {
  Harness h;
  const auto list = h.state->buildRecommendations();
  h.state->startScan(ScanTarget::folder(h.home + "/elsewhere"));
  ASSERT_TRUE(waitUntil([&] { return !h.state->isScanning(); }));
  const auto stack = h.state->explorerStack();
  h.state->setSection(AppSection::overview);
  h.row(list, "downloads").action();
  EXPECT_EQ(h.state->section(), AppSection::overview);
  EXPECT_EQ(h.state->explorerStack(), stack);
}

TEST(AppStateRecommendations, ActionsDoNothingOnceTheStoreIsGone) {
  Harness h;
  const auto list = h.state->buildRecommendations();
  ASSERT_EQ(list.size(), 7u);
  h.state.reset();
  for (const Recommendation& r : list) r.action();  // must neither crash nor reach anything
  EXPECT_TRUE(h.time.pending().empty());
}
