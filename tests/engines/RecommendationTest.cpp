#include <gtest/gtest.h>

#include "engines/Recommendation.h"
#include "support/HandTree.h"
#include "support/JunkFixtures.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

const std::string kHome = "/Users/me";
constexpr double kNow = 1.8e9;
constexpr double kDay = 86400;

struct Row {
  std::string id;
  int64_t size;
  bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.id << ":" << row.size; }

std::vector<Row> rowsOf(const std::vector<Recommendation>& list) {
  std::vector<Row> rows;
  for (const Recommendation& r : list) rows.push_back({r.id, r.size});
  return rows;
}

std::vector<Recommendation> build(const std::vector<JunkFinding>& junk, const ScanResult* scan = nullptr,
                                  const std::vector<DevItem>& developer = {}, RecommendationActions actions = {}) {
  return buildRecommendations(RecommendationInputs{junk, scan, developer, kHome, kNow}, actions);
}

const Recommendation* byID(const std::vector<Recommendation>& list, const std::string& id) {
  for (const Recommendation& r : list)
    if (r.id == id) return &r;
  return nullptr;
}

DevItem devItem(int64_t size, Removal removal) {
  return DevItem{"/p/" + std::to_string(size), "p / node_modules", "", size, 0, removal};
}

}  // namespace

TEST(Recommendations, JunkRowsAtTheirThresholds) {
  struct Case {
    const char* name;
    std::vector<JunkFinding> junk;
    std::vector<Row> rows;
  };
  const Case cases[] = {
      {"nothing", {}, {}},
      {"safe junk at the line", {findingOf("user-caches", {{"/c/a", 30'000'000}, {"/c/b", 20'000'000}})}, {}},
      {"safe junk over the line",
       {findingOf("user-caches", {{"/c/a", 30'000'000}}), findingOf("saved-state", {{"/s/a", 20'000'001}})},
       {{"junk", 50'000'001}}},
      // The Trash, review rules and rules not marked for Quick Clean never count as safe junk.
      {"what safe junk leaves out",
       {findingOf("trash", {{"/t/a", 40'000'000}}), findingOf("dot-cache", {{"/d/a", 900'000'000}}),
        findingOf("npm-cache", {{"/n/a", 900'000'000}}), findingOf("user-logs", {{"/l/a", 20'000'000}})},
       {}},
      {"trash at the line", {findingOf("trash", {{"/t/a", 50'000'000}})}, {}},
      {"trash over the line", {findingOf("trash", {{"/t/a", 50'000'001}})}, {{"trash", 50'000'001}}},
      {"trash without items", {findingOf("trash", {})}, {}},
      {"installers adding up to nothing", {findingOf("old-installers", {{"/i/a.dmg", 0}, {"/i/b.pkg", 0}})}, {}},
      {"one installer byte", {findingOf("old-installers", {{"/i/a.dmg", 1}})}, {{"installers", 1}}},
      {"backups at the line", {findingOf("ios-backups", {{"/b/1", 1'000'000'000}})}, {}},
      {"backups over the line",
       {findingOf("ios-backups", {{"/b/1", 600'000'000}, {"/b/2", 400'000'001}})},
       {{"backups", 1'000'000'001}}},
      // Equal sizes keep the build order; otherwise the largest comes first.
      {"ties in build order",
       {findingOf("ios-backups", {{"/b/1", 2'000'000'000}}), findingOf("trash", {{"/t/a", 2'000'000'000}}),
        findingOf("old-installers", {{"/i/a.dmg", 3'000'000'000}}),
        findingOf("user-caches", {{"/c/a", 2'000'000'000}})},
       {{"installers", 3'000'000'000}, {"junk", 2'000'000'000}, {"trash", 2'000'000'000}, {"backups", 2'000'000'000}}},
  };
  for (const Case& c : cases) EXPECT_EQ(rowsOf(build(c.junk)), c.rows) << c.name;
}

TEST(Recommendations, TextsOfEveryRow) {
  HandTree tree("/Users/me");
  tree.file("Movies/a.mov", 600'000'000, 0);
  tree.file("Movies/b.mov", 600'000'000, 0);
  tree.folder("Downloads", 3'000'000'000);
  const ScanResult scan = tree.result();
  const auto list = build({findingOf("user-caches", {{"/c/a", 60'000'000}}), findingOf("trash", {{"/t/a", 60'000'000}}),
                           findingOf("old-installers", {{"/i/a.dmg", 1}, {"/i/b.dmg", 1}}),
                           findingOf("ios-backups", {{"/b/1", 2'000'000'000}})},
                          &scan, {devItem(1'500'000'000, Removal::permanent)});
  struct Expected {
    const char *id, *symbol, *title, *detail;
    RecommendationTint tint;
  };
  const Expected rows[] = {
      {"junk", "sparkles", "Safe junk", "Caches, logs and leftovers that regenerate on their own. One click to clean.",
       RecommendationTint::green},
      {"trash", "trash.fill", "Empty the Trash", "Whatever is in the Trash still takes up space.",
       RecommendationTint::tan},
      {"installers", "shippingbox.fill", "Forgotten installers", "2 .dmg/.pkg files in Downloads older than a week.",
       RecommendationTint::orange},
      {"backups", "iphone", "iPhone/iPad backups",
       "1 local backup(s). If you back up to iCloud, you may not need them.", RecommendationTint::purple},
      {"oldbig", "clock.badge.exclamationmark.fill", "Forgotten large files",
       "2 file(s) over 500 MB unchanged for 6 months.", RecommendationTint::warning},
      {"dev", "hammer.fill", "Developer artifacts",
       "node_modules, virtual environments and builds that can be regenerated.", RecommendationTint::cyan},
      {"downloads", "arrow.down.circle.fill", "Downloads folder", "Review what you no longer need, sorted by size.",
       RecommendationTint::accent},
  };
  ASSERT_EQ(list.size(), 7u);
  for (const Expected& e : rows) {
    const Recommendation* r = byID(list, e.id);
    ASSERT_TRUE(r) << e.id;
    EXPECT_EQ(r->symbol, e.symbol);
    EXPECT_EQ(r->title, e.title);
    EXPECT_EQ(r->detail, e.detail);
    EXPECT_EQ(r->tint, e.tint) << e.id;
  }
}

TEST(Recommendations, ForgottenLargeFiles) {
  struct Case {
    const char* name;
    std::string path;
    int64_t size;
    double modified;
    bool counted;
  };
  const double cutOff = kNow - 180 * kDay;
  const Case cases[] = {
      {"500 MB, 181 days, in ~/Movies", "Users/me/Movies/a.mov", 500'000'000, kNow - 181 * kDay, true},
      {"one byte short", "Users/me/Movies/a.mov", 499'999'999, kNow - 181 * kDay, false},
      {"exactly at the cut-off", "Users/me/Movies/a.mov", 600'000'000, cutOff, false},
      {"a second before it", "Users/me/Movies/a.mov", 600'000'000, cutOff - 1, true},
      {"in ~/Library", "Users/me/Library/a.mov", 600'000'000, 0, false},
      {"outside the home folder", "opt/a.mov", 600'000'000, 0, false},
      {"in a folder whose name starts like the home's", "Users/me2/a.mov", 600'000'000, 0, false},
  };
  for (const Case& c : cases) {
    HandTree tree("/System/Volumes/Data");
    tree.file(c.path, c.size, c.modified);
    const ScanResult scan = tree.result();
    const auto list = build({}, &scan);
    const Recommendation* row = byID(list, "oldbig");
    EXPECT_EQ(row != nullptr, c.counted) << c.name;
    if (row) {
      EXPECT_EQ(row->size, c.size);
    }
  }
  // Deleted files, and files inside a deleted folder, are gone.
  HandTree tree("/");
  tree.file("Users/me/Movies/kept.mov", 700'000'000, 0);
  set(tree.file("Users/me/Movies/deleted.mov", 700'000'000, 0)->deleted, true);
  tree.file("Users/me/Old/inside.mov", 700'000'000, 0);
  set(tree.folder("Users/me/Old")->deleted, true);
  const ScanResult scan = tree.result();
  EXPECT_EQ(rowsOf(build({}, &scan)), (std::vector<Row>{{"oldbig", 700'000'000}}));
}

TEST(Recommendations, DeveloperArtifactsCountOnlyWhatIsRemovedForGood) {
  struct Case {
    std::vector<DevItem> items;
    std::vector<Row> rows;
  };
  const Case cases[] = {
      {{devItem(600'000'000, Removal::permanent), devItem(400'000'000, Removal::permanent),
        devItem(5'000'000'000, Removal::trash)},
       {}},
      {{devItem(600'000'000, Removal::permanent), devItem(400'000'001, Removal::permanent)}, {{"dev", 1'000'000'001}}},
  };
  for (const Case& c : cases) EXPECT_EQ(rowsOf(build({}, nullptr, c.items)), c.rows);
}

TEST(Recommendations, DownloadsFolderFoundFromTheFoldedRoot) {
  struct Case {
    const char* name;
    std::string root;
    std::string downloads;  // below the root; empty for the root itself
    int64_t size;
    bool listed;
  };
  const Case cases[] = {
      {"whole data volume", "/System/Volumes/Data", "Users/me/Downloads", 2'000'000'001, true},
      {"at the line", "/System/Volumes/Data", "Users/me/Downloads", 2'000'000'000, false},
      {"scan of the home folder", "/Users/me", "Downloads", 3'000'000'000, true},
      {"scan of Downloads itself", "/Users/me/Downloads", "", 3'000'000'000, true},
      {"scan of another folder", "/Users/me/code", "Downloads", 3'000'000'000, false},
      {"scan of a folder named like the start of Downloads", "/Users/me/Down", "loads", 3'000'000'000, false},
  };
  for (const Case& c : cases) {
    HandTree tree(c.root);
    FileNode* folder = c.downloads.empty() ? tree.root() : tree.folder(c.downloads);
    set(folder->size, c.size);
    const ScanResult scan = tree.result();
    const auto list = build({}, &scan);
    const Recommendation* row = byID(list, "downloads");
    EXPECT_EQ(row != nullptr, c.listed) << c.name;
    if (row) {
      EXPECT_EQ(row->size, c.size);
    }
  }
  // A deleted Downloads folder is passed over for a later one of the same name.
  HandTree tree("/Users/me");
  set(tree.folder("Downloads", 9'000'000'000)->deleted, true);
  FileNode* second = tree.anotherFolder("Downloads", 3'000'000'000);
  const ScanResult scan = tree.result();
  FileNode* revealed = nullptr;
  RecommendationActions actions;
  actions.revealInExplorer = [&](FileNode* node) { revealed = node; };
  const auto list = build({}, &scan, {}, actions);
  ASSERT_EQ(rowsOf(list), (std::vector<Row>{{"downloads", 3'000'000'000}}));
  list[0].action();
  EXPECT_EQ(revealed, second);
}

TEST(Recommendations, ActionsCarryTheSnapshotOfTheirRow) {
  HandTree tree("/Users/me");
  tree.file("Movies/a.mov", 800'000'000, 0);
  const ScanResult scan = tree.result();
  const JunkFinding trash = findingOf("trash", {{"/t/a", 70'000'000}});
  const JunkFinding installers = findingOf("old-installers", {{"/i/a.dmg", 5}});
  std::vector<std::string> calls;
  RecommendationActions actions;
  actions.startQuickClean = [&] { calls.push_back("quick clean"); };
  actions.emptyTrash = [&](const JunkFinding& f) { calls.push_back("trash " + f.items[0].url); };
  actions.deleteInstallers = [&](const JunkFinding& f) { calls.push_back("installers " + f.items[0].url); };
  actions.openJunk = [&] { calls.push_back("junk"); };
  actions.showLargeFiles = [&](const std::string& home) { calls.push_back("large " + home); };
  actions.openDeveloper = [&] { calls.push_back("developer"); };
  std::vector<JunkFinding> junk = {findingOf("user-caches", {{"/c/a", 90'000'000}}), trash, installers,
                                   findingOf("ios-backups", {{"/b/1", 2'000'000'000}})};
  const auto list = build(junk, &scan, {devItem(1'500'000'000, Removal::permanent)}, actions);
  junk.clear();  // the cards keep what they were built with
  for (const Recommendation& r : list) r.action();
  EXPECT_EQ(calls, (std::vector<std::string>{"junk", "developer", "large /Users/me", "quick clean", "trash /t/a",
                                             "installers /i/a.dmg"}));
  // Without callbacks the cards do nothing.
  for (const Recommendation& r : build({trash, installers}, &scan)) r.action();
}
