#include <gtest/gtest.h>

#include <sys/stat.h>

#include "model/ScanArchive.h"
#include "model/SafetyVerdict.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "model/Formatting.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

PlanItem item(const std::string& path, Risk risk = Risk::safe, int64_t size = 1000, Removal removal = Removal::trash) {
  return PlanItem{path, lastPathComponent(path), size, removal, SafetyVerdict{risk, "because"}};
}

std::vector<std::string> paths(const DeletionPlan& plan) {
  std::vector<std::string> out;
  for (const auto& i : plan.items) out.push_back(i.path);
  return out;
}

// A state with a finished scan of `tree` (and its archive written).
struct ScannedState {
  AppFixture& fixture;
  AppState state;
  explicit ScannedState(AppFixture& f, const std::string& root) : fixture(f), state(f.environment()) {
    waitOrFail([&] { return !state.isRestoringScan(); }, "the last scan is restored");
    state.startScan(ScanTarget::folder(root));
    waitOrFail([&] { return state.scan().has_value() && f.archiveWrites->load() == 1; },
               "the scan has finished and its archive is written");
  }
  FileNode* node(const std::string& path) {
    std::vector<FileNode*> stack{state.scan()->root};
    while (!stack.empty()) {
      FileNode* n = stack.back();
      stack.pop_back();
      if (n->path() == path) return n;
      stack.insert(stack.end(), n->children.begin(), n->children.end());
    }
    return nullptr;
  }
  void deleteAndWait(const std::vector<PlanItem>& items, bool includeReview = false) {
    const int64_t revision = state.revision();
    state.requestDeletion(items, QStringLiteral("Delete Items"));
    ASSERT_TRUE(state.plan());
    state.confirmDeletion(*state.plan(), includeReview);
    ASSERT_TRUE(waitUntil([&] { return state.revision() > revision || state.toast().has_value(); }));
    ASSERT_TRUE(waitUntil([&] { return state.toast().has_value(); }));
  }
};

}  // namespace

TEST(AppStateDeletion, NestedItemsAreDroppedFromThePlan) {
  AppFixture f;
  AppState state(f.environment());
  state.waitForBackgroundWork();
  struct Case {
    std::vector<std::string> requested;
    std::vector<std::string> planned;
  };
  const Case cases[] = {
      {{"/a", "/a/b"}, {"/a"}},     {{"/a/b", "/a"}, {"/a"}}, {{"/a", "/ab"}, {"/a", "/ab"}},
      {{"/a", "/a"}, {"/a", "/a"}}, {{"/", "/etc/x"}, {"/"}}, {{"/a/", "/a/b"}, {"/a/"}},
      {{"/a/b/c", "/a"}, {"/a"}},
  };
  for (const Case& c : cases) {
    std::vector<PlanItem> items;
    for (const auto& p : c.requested) items.push_back(item(p));
    state.requestDeletion(items, QStringLiteral("Delete Items"));
    ASSERT_TRUE(state.plan());
    EXPECT_EQ(paths(*state.plan()), c.planned) << c.requested[0] << " " << c.requested[1];
  }
  const std::string before = state.plan()->id;
  state.requestDeletion({}, QStringLiteral("Nothing"));
  EXPECT_EQ(state.plan()->id, before);  // an empty request publishes nothing
}

TEST(AppStateDeletion, ConfirmKeepsSafeReviewOnlyWhenTickedAndNeverProtected) {
  for (bool tick : {false, true}) {
    AppFixture f;
    TreeBuilder tree(f.home / "files");
    const std::string safe = tree.file("safe.txt", 10), review = tree.file("review.txt", 10),
                      kept = tree.file("protected.txt", 10);
    AppState state(f.environment());
    state.waitForBackgroundWork();
    state.requestDeletion({item(safe), item(review, Risk::review), item(kept, Risk::protected_)},
                          QStringLiteral("Delete Items"));
    state.confirmDeletion(*state.plan(), tick);
    EXPECT_FALSE(state.plan());
    ASSERT_TRUE(waitUntil([&] { return state.toast().has_value(); }));
    EXPECT_FALSE(pathExists(safe));
    EXPECT_EQ(pathExists(review), !tick);
    EXPECT_TRUE(pathExists(kept));
    EXPECT_EQ(state.history().entries().size(), tick ? 2u : 1u);
  }
}

TEST(AppStateDeletion, AStalePlanDeletesNothing) {
  AppFixture f;
  TreeBuilder tree(f.home / "files");
  const std::string a = tree.file("a.txt", 10), b = tree.file("b.txt", 10);
  AppState state(f.environment());
  state.waitForBackgroundWork();
  state.requestDeletion({item(a)}, QStringLiteral("First"));
  const DeletionPlan first = *state.plan();
  state.requestDeletion({item(b)}, QStringLiteral("Second"));
  state.confirmDeletion(first, true);
  state.waitForBackgroundWork();
  QCoreApplication::processEvents();
  EXPECT_TRUE(pathExists(a));
  EXPECT_TRUE(state.plan());  // the second plan is still pending
  EXPECT_EQ(state.plan()->title, QStringLiteral("Second"));
}

TEST(AppStateDeletion, TrashingPrunesTheTreeTotalsAndArchiveAndOffersUndo) {
  AppFixture f;
  TreeBuilder tree(f.home / "scan");
  tree.allocatedFile("docs/report.pdf", 1024 * 1024);
  tree.allocatedFile("docs/old/archive.zip", 2 * 1024 * 1024);
  tree.allocatedFile("keep/movie.mov", 1024 * 1024);
  ScannedState s(f, tree.base());
  FileNode* root = s.state.scan()->root;
  FileNode* docs = s.node(tree.path("docs"));
  FileNode* old = s.node(tree.path("docs/old"));
  ASSERT_TRUE(docs && old);
  s.state.setExplorerStack({root, docs, old});
  const int64_t rootSize = get(root->size), oldSize = get(old->size);
  const int64_t docsTotal = s.state.scan()->bucketTotals.at(StorageBucket::documents);
  const int64_t otherTotal = s.state.scan()->bucketTotals.at(StorageBucket::other);
  const int64_t archivesTotal = s.state.scan()->bucketTotals.at(StorageBucket::archives);

  s.deleteAndWait({item(tree.path("docs/old"), Risk::safe, oldSize)});
  EXPECT_TRUE(old->deleted);
  EXPECT_EQ(get(root->size), rootSize - oldSize);
  EXPECT_EQ(get(docs->fileCount), 1);
  EXPECT_EQ(s.state.revision(), 2);
  // The zip comes off archives and the folder's own allocation off the folder's category, so the
  // category totals stay true; the documents elsewhere stay.
  EXPECT_EQ(get(old->bucket), StorageBucket::other);
  EXPECT_EQ(s.state.scan()->bucketTotals.at(StorageBucket::archives), archivesTotal - 2 * 1024 * 1024);
  EXPECT_EQ(s.state.scan()->bucketTotals.at(StorageBucket::other), otherTotal - (oldSize - 2 * 1024 * 1024));
  EXPECT_EQ(s.state.scan()->bucketTotals.at(StorageBucket::documents), docsTotal);
  // The Explorer keeps its folders up to the deleted one.
  EXPECT_EQ(s.state.explorerStack(), (std::vector<FileNode*>{root, docs}));
  ASSERT_EQ(s.state.history().entries().size(), 1u);
  EXPECT_EQ(s.state.history().entries()[0].date, f.now->load());  // the application's clock, not the wall's
  ASSERT_TRUE(s.state.toast());
  EXPECT_EQ(s.state.toast()->message, QString::fromStdString(formatBytes(oldSize)) + " moved to the Trash");
  EXPECT_FALSE(s.state.toast()->detail);
  ASSERT_EQ(s.state.toast()->undoable.size(), 1u);

  // The same report again takes nothing off a second time.
  s.state.pruneDeleted({tree.path("docs/old"), tree.path("docs/old/archive.zip")});
  EXPECT_EQ(get(root->size), rootSize - oldSize);
  EXPECT_EQ(s.state.scan()->bucketTotals.at(StorageBucket::archives), archivesTotal - 2 * 1024 * 1024);

  // The archive is rewritten after the debounce and no longer holds the deleted folder.
  ASSERT_TRUE(waitUntil([&] { return f.archiveWrites->load() == 2; }));
  auto archived = readScanArchive(f.appFolder + "/last-scan.tvxscan");
  ASSERT_TRUE(archived);
  for (FileNode* file : archived->first.files) EXPECT_EQ(file->path().find("archive.zip"), std::string::npos);

  // Undo puts it back.
  s.state.undoDeletion(s.state.toast()->undoable);
  EXPECT_TRUE(pathExists(tree.path("docs/old/archive.zip")));
  EXPECT_EQ(s.state.toast()->message, QStringLiteral("1 item(s) restored"));
  EXPECT_EQ(s.state.toast()->detail, QStringLiteral("Scan again to see updated sizes."));
  EXPECT_TRUE(s.state.toast()->undoable.empty());
}

TEST(AppStateDeletion, PermanentDeletionToastAndFailures) {
  AppFixture f;
  TreeBuilder tree(f.home / "files");
  const std::string a = tree.file("a.txt", 10);
  AppState state(f.environment());
  state.waitForBackgroundWork();
  state.setPermanentDelete(true);
  state.requestDeletion({item(a, Risk::safe, 1500000), item(tree.path("gone.txt"), Risk::safe, 5)},
                        QStringLiteral("Delete Items"));
  state.confirmDeletion(*state.plan(), false);
  ASSERT_TRUE(waitUntil([&] { return state.toast().has_value(); }));
  EXPECT_FALSE(pathExists(a));
  EXPECT_EQ(state.toast()->message, QStringLiteral("1.5 MB freed"));
  EXPECT_EQ(state.toast()->detail, QStringLiteral("1 item(s) couldn't be deleted. Details in History."));
  EXPECT_TRUE(state.toast()->undoable.empty());
  ASSERT_EQ(state.failures().size(), 1u);
  EXPECT_EQ(state.failures()[0].reason, "No longer exists.");
}

// A deletion whose history cannot be written still happens, and the user is told in the failure list
// that its items cannot be put back after a restart. The history is written off the UI thread; its
// failure comes back after the deletion's toast, and after a quiet run too.
TEST(AppStateDeletion, AHistoryThatCannotBeSavedIsAFailureTheUserSees) {
  AppFixture f;
  TreeBuilder tree(f.home / "files");
  const std::string a = tree.file("a.txt", 10);
  AppState state(f.environment());
  state.waitForBackgroundWork();
  // A folder where the file belongs: the atomic replace cannot put the new history there.
  ASSERT_TRUE(makeFolders(f.appFolder + "/history.json/in-the-way"));
  state.requestDeletion({item(a, Risk::safe, 10)}, QStringLiteral("Delete Items"));
  state.confirmDeletion(*state.plan(), false);
  ASSERT_TRUE(waitUntil([&] { return state.toast().has_value(); }));
  EXPECT_FALSE(pathExists(a));
  ASSERT_TRUE(waitUntil([&] { return !state.failures().empty(); }));
  ASSERT_EQ(state.failures().size(), 1u);
  EXPECT_EQ(state.failures()[0].path, f.appFolder + "/history.json");
  EXPECT_TRUE(state.failures()[0].reason.starts_with("The history could not be saved: ")) << state.failures()[0].reason;
  EXPECT_EQ(state.history().entries().size(), 1u);  // still listed, and restorable, until Tolvex quits

  bool done = false;
  state.runDeletion({DeletionRequest::make(tree.file("quiet.txt", 1), 1, Removal::permanent)}, true,
                    [&](const DeletionReport&) { done = true; });
  ASSERT_TRUE(waitUntil([&] { return done && state.failures().size() == 2; }));
  EXPECT_TRUE(state.failures()[1].reason.starts_with("The history could not be saved: ")) << state.failures()[1].reason;
}

// Quitting right after a deletion and its undo loses neither: the state waits for its writes.
TEST(AppStateDeletion, TheHistoryIsWrittenBeforeTheStateGoes) {
  AppFixture f;
  TreeBuilder tree(f.home / "files");
  const std::string a = tree.file("a.txt", 10), b = tree.file("b.txt", 10);
  {
    AppState state(f.environment());
    state.waitForBackgroundWork();
    state.requestDeletion({item(a), item(b)}, QStringLiteral("Delete Items"));
    state.confirmDeletion(*state.plan(), false);
    ASSERT_TRUE(waitUntil([&] { return state.toast().has_value(); }));
    ASSERT_EQ(state.toast()->undoable.size(), 2u);
    state.undoDeletion({state.toast()->undoable[0]});
  }
  const std::vector<HistoryEntry> stored = DeletionHistory(f.appFolder + "/history.json").entries();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].restored + stored[1].restored, 1);
}

TEST(AppStateDeletion, ResultToastTexts) {
  AppFixture f;
  TreeBuilder tree(f.home / "files");
  AppState state(f.environment());
  state.waitForBackgroundWork();
  auto run = [&](std::vector<DeletionRequest> requests) {
    bool done = false;
    state.runDeletion(std::move(requests), false, [&](const DeletionReport&) { done = true; });
    EXPECT_TRUE(waitUntil([&] { return done; }));
    return state.toast()->message;
  };
  EXPECT_EQ(run({DeletionRequest::make(tree.path("missing"), 10, Removal::trash)}),
            QStringLiteral("Nothing was deleted"));
  EXPECT_EQ(run({DeletionRequest::make(tree.file("t", 1), 2000000000, Removal::trash),
                 DeletionRequest::make(tree.file("p", 1), 1500000, Removal::permanent)}),
            QStringLiteral("1.5 MB freed · 2 GB in the Trash"));
  EXPECT_EQ(run({DeletionRequest::make(tree.file("only", 1), 2000000000, Removal::trash)}),
            QStringLiteral("2 GB moved to the Trash"));
  // A quiet run records and prunes but leaves the toast and the failures alone.
  const auto before = state.toast();
  bool done = false;
  state.runDeletion({DeletionRequest::make(tree.file("q", 1), 1, Removal::permanent)}, true,
                    [&](const DeletionReport&) { done = true; });
  ASSERT_TRUE(waitUntil([&] { return done; }));
  EXPECT_EQ(state.toast(), before);
  EXPECT_EQ(state.history().entries().size(), 4u);
}

TEST(AppStateDeletion, UndoSkipsItemsWhosePlaceIsTaken) {
  AppFixture f;
  TreeBuilder tree(f.home / "files");
  std::vector<PlanItem> items;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) items.push_back(item(tree.file(name, 10)));
  AppState state(f.environment());
  state.waitForBackgroundWork();
  state.requestDeletion(items, QStringLiteral("Delete Items"));
  state.confirmDeletion(*state.plan(), false);
  ASSERT_TRUE(waitUntil([&] { return state.toast().has_value(); }));
  ASSERT_EQ(state.toast()->undoable.size(), 3u);
  tree.file("b.txt", 3);  // a new file where one used to be
  state.undoDeletion(state.toast()->undoable);
  EXPECT_EQ(state.toast()->message, QStringLiteral("2 item(s) restored"));
  EXPECT_EQ(*readWholeFile(tree.path("b.txt")), "xxx");  // never overwritten
  EXPECT_TRUE(pathExists(tree.path("a.txt")));
  EXPECT_TRUE(pathExists(tree.path("c.txt")));
}

TEST(AppStateDeletion, ATreeRootedAtSlashIsPruned) {
  AppFixture f;
  // A restored scan of "/" (built by hand) stands in for a whole-disk scan.
  auto tree = std::make_shared<FileTree>();
  FileNode* root = tree->make("/", nullptr, true, false, FileKind::other, StorageBucket::other);
  FileNode* var = tree->make("var", root, true, false, FileKind::other, StorageBucket::other);
  FileNode* big = tree->make("big.iso", var, false, false, FileKind::diskImage, StorageBucket::archives);
  set(big->size, 5000000);
  set(big->fileCount, 1);
  set(var->size, 5004096);
  set(var->fileCount, 1);
  set(root->size, 5008192);
  set(root->fileCount, 1);
  ScanResult result;
  result.tree = tree;
  result.root = root;
  result.rootPath = "/";
  result.files = {big};
  result.bucketTotals = {{StorageBucket::archives, 5000000}, {StorageBucket::other, 8192}};
  result.finishedAt = 1.7e9;
  writeScanArchive(result, ScanTarget::wholeDisk(), f.appFolder + "/last-scan.tvxscan");
  AppState state(f.environment());
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }));
  state.pruneDeleted({"/var/big.iso"});
  FileNode* restoredRoot = state.scan()->root;
  EXPECT_EQ(get(restoredRoot->size), 8192);
  EXPECT_EQ(get(restoredRoot->children[0]->size), 4096);
  EXPECT_TRUE(restoredRoot->children[0]->children[0]->deleted);
  EXPECT_EQ(state.scan()->bucketTotals.at(StorageBucket::archives), 0);
}

TEST(AppStateDeletion, PruningWhileArchiveWritesRun) {
  AppFixture f;
  TreeBuilder tree(f.home / "scan");
  for (int i = 0; i < 40; ++i)
    for (int j = 0; j < 5; ++j)
      tree.allocatedFile("d" + std::to_string(i) + "/f" + std::to_string(j) + ".bin", 1024 * 1024);
  auto env = f.environment();
  env.timings.archiveDebounceMs = 0;
  AppState state(env);
  waitUntil([&] { return !state.isRestoringScan(); });
  state.startScan(ScanTarget::folder(tree.base()));
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }));
  const int64_t rootSize = get(state.scan()->root->size);
  for (int i = 0; i < 40; ++i) {
    state.pruneDeleted(
        {tree.path("d" + std::to_string(i) + "/f0.bin"), tree.path("d" + std::to_string(i) + "/f1.bin")});
    QCoreApplication::processEvents();  // lets the debounced saves start while the next prune runs
  }
  state.waitForBackgroundWork();
  EXPECT_EQ(get(state.scan()->root->size), rootSize - 80 * 1024 * 1024);
  auto archived = readScanArchive(f.appFolder + "/last-scan.tvxscan");
  ASSERT_TRUE(archived);
  // The debounced save after the last prune writes the pruned tree.
  EXPECT_TRUE(waitUntil([&] {
    state.waitForBackgroundWork();
    archived = readScanArchive(f.appFolder + "/last-scan.tvxscan");
    return archived && archived->first.files.size() == 120u;
  }));
}

// The scan's root is where the user chose to look: when a link now stands at the root itself, its
// items are still reached through it; a folder below the root that became a link is a changed tree,
// and its items are left alone.
TEST(AppStateDeletion, LinksAtTheScansRootAreFollowedAndBelowItRefused) {
  AppFixture f;
  TreeBuilder tree(f.home / "scan");
  tree.allocatedFile("docs/report.pdf", 1024 * 1024);
  tree.allocatedFile("sub/inner/file.bin", 1024 * 1024);
  ScannedState s(f, tree.base());
  // The root moves elsewhere and a link takes its place; a folder under it becomes a link home.
  ASSERT_EQ(::rename(tree.base().c_str(), (f.home / "moved").c_str()), 0);
  TreeBuilder(f.home.home()).symlink(f.home / "moved", "scan");
  removeTree(f.home / "moved/sub");
  TreeBuilder(f.home.home()).symlink(f.home.home(), "moved/sub");
  TreeBuilder(f.home.home()).file("inner/file.bin", 5);  // what "sub/inner/file.bin" now leads to

  s.deleteAndWait({item(tree.path("docs/report.pdf")), item(tree.path("sub/inner/file.bin"))});
  EXPECT_FALSE(pathExists(f.home / "moved/docs/report.pdf"));
  EXPECT_TRUE(pathExists(f.home / "inner/file.bin"));
  ASSERT_EQ(s.state.failures().size(), 1u);
  EXPECT_EQ(s.state.failures()[0].reason, kFolderChangedReason);
  ASSERT_EQ(s.state.history().entries().size(), 1u);
  EXPECT_EQ(s.state.history().entries()[0].originalPath, f.home / "moved/docs/report.pdf");
}
