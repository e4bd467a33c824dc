#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/ScanTargetInfo.h"
#include "model/ScanArchive.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

// A small scanned folder: two large files and a nested folder.
void buildTree(TreeBuilder& tree) {
  tree.allocatedFile("docs/report.pdf", 1024 * 1024);
  tree.allocatedFile("docs/old/archive.zip", 2 * 1024 * 1024);
  tree.allocatedFile("notes.txt", 4096);
}

}  // namespace

TEST(AppState, StartsWithDefaultsAndRestoresNothingWithoutAnArchive) {
  AppFixture f;
  AppState state(f.environment());
  EXPECT_EQ(state.section(), AppSection::smartClean);
  EXPECT_EQ(state.scanTarget(), ScanTarget::wholeDisk());
  EXPECT_TRUE(state.isRestoringScan());
  ASSERT_TRUE(waitUntil([&] { return !state.isRestoringScan(); }));
  EXPECT_FALSE(state.scan());
  EXPECT_EQ(state.revision(), 0);
  EXPECT_TRUE(state.volume());
  EXPECT_FALSE(state.smartSelection().empty());
}

TEST(AppState, InitialSectionAcceptsOnlyRawValues) {
  struct Case {
    const char* stored;
    AppSection expected;
  };
  for (const Case& c : {Case{"history", AppSection::history}, Case{"History", AppSection::smartClean},
                        Case{"explorer", AppSection::explorer}}) {
    AppFixture f;
    f.setSetting(keys::initialSection, QString::fromLatin1(c.stored));
    AppState state(f.environment());
    EXPECT_EQ(state.section(), c.expected) << c.stored;
    state.waitForBackgroundWork();
  }
}

TEST(AppState, AutoScanFormsStartAScanOrRestore) {
  AppFixture f;
  TreeBuilder tree(f.home / "target");
  buildTree(tree);
  struct Case {
    QString value;
    bool scans;
    ScanTarget::Kind kind;
    std::string folder = {};
  };
  const Case cases[] = {
      {QStringLiteral("home"), true, ScanTarget::Kind::home},
      {QStringLiteral("disk"), true, ScanTarget::Kind::wholeDisk},
      {QString::fromStdString(tree.base()), true, ScanTarget::Kind::folder, tree.base()},
      {QString::fromStdString(tree.base() + "/"), true, ScanTarget::Kind::folder, tree.base()},
      {QString::fromStdString(tree.base() + "//"), true, ScanTarget::Kind::folder, tree.base()},
      {QStringLiteral("/"), true, ScanTarget::Kind::folder, "/"},
      {QStringLiteral("Documents"), false, ScanTarget::Kind::wholeDisk},
  };
  for (const Case& c : cases) {
    f.setSetting(keys::autoScan, c.value);
    auto env = f.environment();
    std::atomic<int> walks{0};
    env.walk = [&walks](Scanner&, const std::string&, const std::set<std::string>&, const Scanner::Progress&) {
      ++walks;
      return std::optional<ScanResult>();
    };
    AppState state(env);
    EXPECT_EQ(state.isScanning(), c.scans) << c.value.toStdString();
    EXPECT_EQ(state.isRestoringScan(), !c.scans) << c.value.toStdString();
    EXPECT_EQ(state.scanTarget().kind, c.kind) << c.value.toStdString();
    EXPECT_EQ(state.scanTarget().folderPath, c.folder) << c.value.toStdString();
    state.waitForBackgroundWork();
    EXPECT_EQ(walks.load(), c.scans ? 1 : 0);
    // The start-up keys are read, never written.
    EXPECT_EQ(Settings(f.settingsPath).stringValue(keys::autoScan), c.value);
  }
}

TEST(AppState, AccessGateShowsOnboardingForDiskAndHomeOnly) {
  AppFixture f;
  f.access->store(false);
  AppState state(f.environment());
  state.waitForBackgroundWork();
  waitUntil([&] { return !state.isRestoringScan(); });
  state.startScan(ScanTarget::home());
  EXPECT_TRUE(state.showAccessOnboarding());
  EXPECT_EQ(state.scanTarget(), ScanTarget::home());
  EXPECT_FALSE(state.isScanning());

  TreeBuilder tree(f.home / "folder");
  buildTree(tree);
  state.setShowAccessOnboarding(false);
  state.startScan(ScanTarget::folder(tree.base()));
  EXPECT_FALSE(state.showAccessOnboarding());
  EXPECT_TRUE(state.isScanning());
  ASSERT_TRUE(waitUntil([&] { return !state.isScanning(); }));

  state.setAccessOnboardingSkipped(true);
  state.startScan(ScanTarget::home());
  EXPECT_TRUE(state.isScanning());
  EXPECT_FALSE(state.showAccessOnboarding());
  state.cancelScan();
  state.waitForBackgroundWork();
}

TEST(AppState, ScanIsPublishedRecordedAndArchived) {
  AppFixture f;
  TreeBuilder tree(f.home / "target");
  buildTree(tree);
  AppState state(f.environment());
  waitUntil([&] { return !state.isRestoringScan(); });
  state.startScan(ScanTarget::folder(tree.base() + "/./docs/.."));
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value() && f.archiveWrites->load() == 1; }));
  EXPECT_FALSE(state.isScanning());
  EXPECT_EQ(state.scan()->rootPath, tree.base());  // made canonical before the walk
  EXPECT_EQ(state.revision(), 1);
  ASSERT_EQ(state.explorerStack().size(), 1u);
  EXPECT_EQ(state.explorerStack()[0], state.scan()->root);
  EXPECT_EQ(state.trends().snapshots().size(), 1u);
  EXPECT_EQ(state.trends().samples().size(), 1u);
  auto archived = readScanArchive(f.appFolder + "/last-scan.tvxscan");
  ASSERT_TRUE(archived);
  EXPECT_EQ(archived->first.rootPath, tree.base());
  EXPECT_EQ(archived->second.kind, ScanTarget::Kind::folder);
}

// The trend files are written off the UI thread; quitting right after a scan still leaves them whole.
TEST(AppState, TheTrendsOfAScanAreWrittenBeforeTheStateGoes) {
  AppFixture f;
  TreeBuilder tree(f.home / "target");
  buildTree(tree);
  {
    AppState state(f.environment());
    waitUntil([&] { return !state.isRestoringScan(); });
    state.startScan(ScanTarget::folder(tree.base()));
    ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }));
  }
  TrendStore stored(f.appFolder);
  ASSERT_EQ(stored.snapshots().size(), 1u);
  EXPECT_EQ(stored.snapshots()[0].root, tree.base());
  EXPECT_EQ(stored.samples().size(), 1u);
}

TEST(AppState, OnlyTheSecondOfTwoScansIsPublishedAndArchived) {
  AppFixture f;
  TreeBuilder first(f.home / "first"), second(f.home / "second");
  buildTree(first);
  buildTree(second);
  auto env = f.environment();
  auto gate = std::make_shared<Gate>();
  auto walk = env.walk;
  env.walk = [gate, walk, firstRoot = first.base()](Scanner& s, const std::string& root,
                                                    const std::set<std::string>& ex, const Scanner::Progress& p) {
    if (root == firstRoot) gate->wait();  // the first scan finishes only after the second
    return walk(s, root, ex, p);
  };
  AppState state(env);
  waitUntil([&] { return !state.isRestoringScan(); });
  state.startScan(ScanTarget::folder(first.base()));
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  state.startScan(ScanTarget::folder(second.base()));
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }));
  gate->open();
  state.waitForBackgroundWork();
  QCoreApplication::processEvents();
  EXPECT_EQ(state.scan()->rootPath, second.base());
  EXPECT_EQ(state.revision(), 1);
  EXPECT_EQ(f.archiveWrites->load(), 1);
  EXPECT_EQ(readScanArchive(f.appFolder + "/last-scan.tvxscan")->first.rootPath, second.base());
}

TEST(AppState, CancelKeepsThePreviousScanAndArchive) {
  AppFixture f;
  TreeBuilder tree(f.home / "target");
  buildTree(tree);
  auto env = f.environment();
  auto gate = std::make_shared<Gate>();
  auto walk = env.walk;
  std::atomic<int> calls{0};
  env.walk = [gate, walk, &calls](Scanner& s, const std::string& root, const std::set<std::string>& ex,
                                  const Scanner::Progress& p) {
    if (++calls == 2) gate->wait();
    return walk(s, root, ex, p);
  };
  AppState state(env);
  waitUntil([&] { return !state.isRestoringScan(); });
  state.startScan(ScanTarget::folder(tree.base()));
  ASSERT_TRUE(waitUntil([&] { return f.archiveWrites->load() == 1; }));
  FileNode* firstRoot = state.scan()->root;
  state.startScan();
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  state.cancelScan();
  EXPECT_FALSE(state.isScanning());
  gate->open();
  state.waitForBackgroundWork();
  QCoreApplication::processEvents();
  EXPECT_EQ(state.scan()->root, firstRoot);
  EXPECT_EQ(state.revision(), 1);
  EXPECT_EQ(f.archiveWrites->load(), 1);
}

TEST(AppState, RestoreIsDroppedWhenAScanStartedMeanwhile) {
  AppFixture f;
  TreeBuilder tree(f.home / "target");
  buildTree(tree);
  // Leave an archive from an earlier run.
  {
    AppState earlier(f.environment());
    waitUntil([&] { return !earlier.isRestoringScan(); });
    earlier.startScan(ScanTarget::folder(tree.base()));
    ASSERT_TRUE(waitUntil([&] { return f.archiveWrites->load() == 1; }));
  }
  // The restore finds it when nothing else happened.
  {
    AppState state(f.environment());
    ASSERT_TRUE(waitUntil([&] { return !state.isRestoringScan(); }));
    ASSERT_TRUE(state.scan());
    EXPECT_EQ(state.scanTarget(), ScanTarget::folder(tree.base()));
    EXPECT_EQ(state.revision(), 1);
    EXPECT_TRUE(state.trends().samples().size() <= 1u);
  }
  // A scan started while the archive is read wins, running or finished.
  TreeBuilder other(f.home / "other");
  buildTree(other);
  auto env = f.environment();
  auto gate = std::make_shared<Gate>();
  auto read = env.readArchive;
  env.readArchive = [gate, read](const std::string& path) {
    gate->wait();
    return read(path);
  };
  AppState state(env);
  state.startScan(ScanTarget::folder(other.base()));
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }));
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return !state.isRestoringScan(); }));
  EXPECT_EQ(state.scan()->rootPath, other.base());
  EXPECT_EQ(state.revision(), 1);
}

TEST(AppState, StaleAfterOneDayAndExcludedPathLines) {
  AppFixture f;
  TreeBuilder tree(f.home / "target");
  buildTree(tree);
  f.setSetting(keys::excludedPaths, QStringLiteral("/a\n\n/b\n"));
  AppState state(f.environment());
  EXPECT_EQ(state.excludedPaths(), (std::vector<std::string>{"/a", "/b"}));
  waitUntil([&] { return !state.isRestoringScan(); });
  EXPECT_FALSE(state.isScanStale());
  state.startScan(ScanTarget::folder(tree.base()));
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }));
  const double finished = state.scan()->finishedAt;
  f.now->store(finished + 86400);
  EXPECT_FALSE(state.isScanStale());
  f.now->store(finished + 86401);
  EXPECT_TRUE(state.isScanStale());
  state.waitForBackgroundWork();
}

TEST(AppState, ArchiveSavesAreDebounced) {
  AppFixture f;
  TreeBuilder tree(f.home / "target");
  buildTree(tree);
  auto env = f.environment();
  env.timings.archiveDebounceMs = 300;
  AppState state(env);
  waitUntil([&] { return !state.isRestoringScan(); });
  state.startScan(ScanTarget::folder(tree.base()));
  ASSERT_TRUE(waitUntil([&] { return f.archiveWrites->load() == 1; }));
  for (int i = 0; i < 3; ++i) {
    state.scheduleArchiveSave();
    waitUntil([] { return false; }, 100);
  }
  EXPECT_EQ(f.archiveWrites->load(), 1);
  ASSERT_TRUE(waitUntil([&] { return f.archiveWrites->load() == 2; }));
  waitUntil([] { return false; }, 400);
  EXPECT_EQ(f.archiveWrites->load(), 2);
}

TEST(ScanTargetInfo, RootPathsAndTitles) {
  TempDir dir;
  EXPECT_EQ(rootPath(ScanTarget::wholeDisk(), "/home/x", dir / "missing"), "/");
  EXPECT_EQ(rootPath(ScanTarget::wholeDisk(), "/home/x", dir.path()), dir.path());
  EXPECT_EQ(rootPath(ScanTarget::home(), "/home/x"), "/home/x");
  EXPECT_EQ(rootPath(ScanTarget::folder(dir.path() + "/."), "/home/x"), dir.path());
  EXPECT_EQ(title(ScanTarget::wholeDisk()), QStringLiteral("Entire disk"));
  EXPECT_EQ(title(ScanTarget::home()), QStringLiteral("Home folder"));
  EXPECT_EQ(title(ScanTarget::folder("/a/Projects")), QStringLiteral("Projects"));
}
