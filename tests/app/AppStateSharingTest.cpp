#include <gtest/gtest.h>

#include "model/Formatting.h"
#include "support/HandTree.h"
#include "support/qt/FakeEngines.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

// The copies the fake duplicate search reports: groups of file names of the searched scan.
using NameGroups = std::vector<std::vector<std::string>>;

// A fake clone engine: records each pair and answers with `behaviour` of the duplicate's path.
struct FakeCloner {
  struct State {
    std::mutex mutex;
    std::vector<std::string> calls;
    std::function<int64_t(const std::string&)> behaviour = [](const std::string&) { return int64_t{1'500'000}; };
  };
  std::shared_ptr<State> state = std::make_shared<State>();
  Scripted<int> gate;  // holds a call where the test asks

  void behave(std::function<int64_t(const std::string&)> b) {
    std::lock_guard lock(state->mutex);
    state->behaviour = std::move(b);
  }
  std::vector<std::string> calls() {
    std::lock_guard lock(state->mutex);
    return state->calls;
  }
  std::function<int64_t(const std::string&, const std::string&)> engine() const {
    return [state = state, gate = gate](const std::string& duplicate, const std::string& keeper) {
      gate.take();
      std::function<int64_t(const std::string&)> behaviour;
      {
        std::lock_guard lock(state->mutex);
        state->calls.push_back(duplicate + ">" + keeper);
        behaviour = state->behaviour;
      }
      return behaviour(duplicate);
    };
  }
};

// A store that restores a hand-made scan at start-up, with fake duplicate, clone and iCloud engines.
struct Harness {
  AppFixture f;
  Scripted<NameGroups> search;
  std::shared_ptr<std::atomic<int64_t>> minimumSize = std::make_shared<std::atomic<int64_t>>(0);
  FakeCloner cloner;
  Scripted<EvictionReport> eviction;
  Scripted<CloudReport> inspection;
  std::shared_ptr<std::atomic<int>> inspectedAfterEviction = std::make_shared<std::atomic<int>>(0);
  std::unique_ptr<AppState> state;

  explicit Harness(const ScanResult& scan, std::optional<ScanResult> next = std::nullopt) {
    AppEnvironment env = f.environment();
    // Handed over once, so that nothing but the store holds the restored tree.
    auto restored = std::make_shared<std::optional<ScanResult>>(scan);
    env.readArchive = [restored](const std::string&) {
      std::optional<std::pair<ScanResult, ScanTarget>> result;
      if (*restored) result.emplace(**restored, ScanTarget::folder((*restored)->rootPath));
      restored->reset();
      return result;
    };
    env.walk = [next](Scanner&, const std::string&, const std::set<std::string>&, const Scanner::Progress&) {
      return next;
    };
    env.writeArchive = [](const ScanResult&, const ScanTarget&, const std::string&) {};
    env.findDuplicates = [search = search, minimum = minimumSize](const ScanResult& searched, int64_t minimumSize,
                                                                  const DuplicateProgress& progress) {
      *minimum = minimumSize;
      progress(0.5);
      std::vector<DuplicateGroup> groups;
      for (const auto& names : search.take()) {
        DuplicateGroup group;
        group.id = names.front();
        group.tree = searched.tree;
        for (const std::string& name : names)
          for (FileNode* file : searched.files)
            if (file->name == name) group.files.push_back(file);
        groups.push_back(std::move(group));
      }
      return groups;
    };
    env.replaceWithClone = cloner.engine();
    env.evictICloudItems = [eviction = eviction](const std::vector<CloudItem>&) { return eviction.take(); };
    env.inspectICloud = [inspection = inspection, eviction = eviction, after = inspectedAfterEviction] {
      if (eviction.returned() == eviction.calls()) ++*after;
      return inspection.take();
    };
    state = std::make_unique<AppState>(env);
    waitUntil([&] { return state->scan().has_value(); });
  }
  ~Harness() { state.reset(); }

  FileNode* node(const std::string& name) const {
    for (FileNode* file : state->scan()->files)
      if (file->name == name) return file;
    return nullptr;
  }
  std::vector<FileNode*> nodes(const std::vector<std::string>& names) const {
    std::vector<FileNode*> out;
    for (const auto& name : names) out.push_back(node(name));
    return out;
  }
  void findGroups(NameGroups groups) {
    search.answer(std::move(groups));
    state->searchDuplicates();
    ASSERT_TRUE(waitUntil([&] { return !state->duplicatesProgress(); }));
  }
  std::vector<std::vector<std::string>> groupNames() const {
    std::vector<std::vector<std::string>> out;
    for (const auto& group : state->duplicates()) {
      out.emplace_back();
      for (const FileNode* file : group.files) out.back().push_back(file->name);
    }
    return out;
  }
};

ScanResult copies(const std::string& root, const std::vector<std::string>& relative) {
  HandTree tree(root);
  for (const auto& path : relative) tree.file(path, 2'000'000);
  return tree.result();
}

}  // namespace

TEST(AppStateDuplicates, SearchReportsProgressThenItsGroups) {
  Harness h(copies("/srv", {"a", "b", "c"}));
  std::vector<std::optional<double>> progress;
  QObject::connect(h.state.get(), &AppState::duplicatesChanged,
                   [&] { progress.push_back(h.state->duplicatesProgress()); });
  auto gate = h.search.holdCall(1);
  h.search.answer({{"a", "b"}});
  h.state->searchDuplicates();
  EXPECT_EQ(h.state->duplicatesProgress(), 0.0);
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  h.state->searchDuplicates();  // a search is running: nothing more
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->duplicatesProgress(); }));
  EXPECT_EQ(*h.minimumSize, 1'048'576);
  EXPECT_EQ(h.search.calls(), 1);
  EXPECT_EQ(progress, (std::vector<std::optional<double>>{0.0, 0.5, std::nullopt}));
  EXPECT_EQ(h.groupNames(), (std::vector<std::vector<std::string>>{{"a", "b"}}));
}

TEST(AppStateDuplicates, GroupsOfAScanNoLongerShownAreDroppedAndTheTreeLivesWhileSearched) {
  Harness h(copies("/srv", {"a", "b"}), copies("/srv", {"a", "b"}));
  std::weak_ptr<FileTree> searched = h.state->scan()->tree;
  auto gate = h.search.holdCall(1);
  h.search.answer({{"a", "b"}});
  h.state->searchDuplicates();
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  h.state->startScan(ScanTarget::folder("/srv"));
  ASSERT_TRUE(waitUntil([&] { return h.state->scan()->tree != searched.lock(); }));
  EXPECT_FALSE(searched.expired());  // the search still reads it
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->duplicatesProgress(); }));
  EXPECT_TRUE(h.state->duplicates().empty());
  h.state->waitForBackgroundWork();
  QCoreApplication::processEvents();
  EXPECT_TRUE(searched.expired());
}

TEST(AppStateDuplicates, ANewScanSupersedesARunningSearchWhoseBarAndGroupsAreDropped) {
  Harness h(copies("/srv", {"a", "b"}), copies("/srv", {"a", "b"}));
  auto gate = h.search.holdCall(1);
  h.search.answer({{"a", "b"}});
  h.state->searchDuplicates();
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  ASSERT_TRUE(waitUntil([&] { return h.state->duplicatesProgress() == 0.5; }));
  std::weak_ptr<FileTree> old = h.state->scan()->tree;
  h.state->startScan(ScanTarget::folder("/srv"));
  ASSERT_TRUE(waitUntil([&] { return h.state->scan()->tree != old.lock(); }));
  // The bar of the old search goes at once, and a search of the new scan can start.
  EXPECT_FALSE(h.state->duplicatesProgress());
  h.state->searchDuplicates();
  EXPECT_EQ(h.state->duplicatesProgress(), 0.0);
  ASSERT_TRUE(waitUntil([&] { return !h.state->duplicatesProgress(); }));
  ASSERT_EQ(h.state->duplicates().size(), 1u);
  EXPECT_EQ(h.state->duplicates()[0].tree, h.state->scan()->tree);
  // The old search ends later: neither its progress nor its groups reach the store.
  std::vector<std::optional<double>> seen;
  QObject::connect(h.state.get(), &AppState::duplicatesChanged, [&] { seen.push_back(h.state->duplicatesProgress()); });
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return h.search.returned() == 2; }));
  h.state->waitForBackgroundWork();
  QCoreApplication::processEvents();
  EXPECT_TRUE(seen.empty());
  ASSERT_EQ(h.state->duplicates().size(), 1u);
  EXPECT_EQ(h.state->duplicates()[0].tree, h.state->scan()->tree);
}

TEST(AppStateDuplicates, FilesDeletedDuringTheSearchLeaveTheirGroups) {
  Harness h(copies("/srv", {"a", "b", "c", "d", "e"}));
  auto gate = h.search.holdCall(1);
  h.search.answer({{"a", "b"}, {"c", "d", "e"}});
  h.state->searchDuplicates();
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  h.state->pruneDeleted({"/srv/a", "/srv/d"});
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->duplicatesProgress(); }));
  EXPECT_EQ(h.groupNames(), (std::vector<std::vector<std::string>>{{"c", "e"}}));
}

TEST(AppStateSharing, PairsKeepTheFirstUnselectedCopyAndAProtectedCopyNeverReachesTheCloneEngine) {
  Harness h(copies("/", {"srv/keep.bin", "usr/lib/dup.bin", "srv/dup2.bin", "srv/x1", "srv/x2", "srv/y1", "srv/y2"}));
  h.findGroups({{"keep.bin", "dup.bin", "dup2.bin"}, {"x1", "x2"}, {"y1", "y2"}});
  // Every copy of the second group selected (no keeper), none of the third.
  h.state->shareSpace(h.nodes({"dup.bin", "dup2.bin", "x1", "x2"}));
  EXPECT_TRUE(h.state->isSharingSpace());
  ASSERT_TRUE(waitUntil([&] { return !h.state->isSharingSpace(); }));
  EXPECT_EQ(h.cloner.calls(), std::vector<std::string>{"/srv/dup2.bin>/srv/keep.bin"});
  ASSERT_EQ(h.state->failures().size(), 1u);
  EXPECT_EQ(h.state->failures()[0].path, "/usr/lib/dup.bin");
  EXPECT_EQ(h.state->failures()[0].reason, h.state->verdictFor("/usr/lib/dup.bin").reason);
  const DuplicateGroup& group = h.state->duplicates()[0];
  EXPECT_EQ(group.shared, (std::unordered_set<const FileNode*>{h.node("dup2.bin"), h.node("keep.bin")}));
  EXPECT_TRUE(h.state->duplicates()[1].shared.empty());
  ASSERT_TRUE(h.state->toast());
  EXPECT_EQ(h.state->toast()->message, QStringLiteral("1.5 MB reclaimed"));
  EXPECT_EQ(h.state->toast()->detail, QStringLiteral("1 item(s) couldn't be converted. Details in History."));
  EXPECT_TRUE(h.state->toast()->undoable.empty());
}

TEST(AppStateSharing, ReportToasts) {
  struct Case {
    const char* name;
    std::function<int64_t(const std::string&)> behaviour;
    QString message, detail;
  };
  const Case cases[] = {
      {"all converted", [](const std::string&) { return int64_t{1'500'000}; }, "3 MB reclaimed",
       "2 copies now share space with their original. Every file is still where it was."},
      {"one converted, one already shared",
       [](const std::string& p) -> int64_t {
         if (p.ends_with("d2")) throw APFSClone::Failure::alreadyShared();
         return 1'500'000;
       },
       "1.5 MB reclaimed", "1 copies now share space with their original. Every file is still where it was."},
      {"none could be converted", [](const std::string&) -> int64_t { throw APFSClone::Failure::differentVolumes(); },
       "Zero KB reclaimed", "2 item(s) couldn't be converted. Details in History."},
      {"all already shared", [](const std::string&) -> int64_t { throw APFSClone::Failure::alreadyShared(); },
       "These copies already share space", "macOS stores them only once, so there is nothing to reclaim."},
  };
  for (const Case& c : cases) {
    Harness h(copies("/srv", {"keep", "d1", "d2"}));
    h.findGroups({{"keep", "d1", "d2"}});
    h.cloner.behave(c.behaviour);
    h.state->shareSpace(h.nodes({"d1", "d2"}));
    ASSERT_TRUE(waitUntil([&] { return !h.state->isSharingSpace(); })) << c.name;
    ASSERT_TRUE(h.state->toast()) << c.name;
    EXPECT_EQ(h.state->toast()->message, c.message) << c.name;
    EXPECT_EQ(h.state->toast()->detail, c.detail) << c.name;
  }
}

TEST(AppStateSharing, NothingToPairOrABatchAlreadyRunningDoesNothing) {
  Harness h(copies("/srv", {"keep", "d1", "d2"}));
  h.findGroups({{"keep", "d1", "d2"}});
  h.state->shareSpace(h.nodes({"keep", "d1", "d2"}));  // no keeper left
  EXPECT_FALSE(h.state->isSharingSpace());
  auto gate = h.cloner.gate.holdCall(1);
  h.state->shareSpace(h.nodes({"d1", "d2"}));
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  h.state->shareSpace(h.nodes({"d1", "d2"}));  // a batch is running
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->isSharingSpace(); }));
  h.state->waitForBackgroundWork();
  QCoreApplication::processEvents();
  EXPECT_EQ(h.cloner.calls(), (std::vector<std::string>{"/srv/d1>/srv/keep", "/srv/d2>/srv/keep"}));
}

TEST(AppStateCloud, EvictionThenAFreshInspectionThenItsToast) {
  auto failure = [](const char* path) { return DeletionFailure{path, path, "Not uploaded to iCloud yet."}; };
  struct Case {
    const char* name;
    EvictionReport report;
    QString message, detail;
  };
  const Case cases[] = {
      {"all evicted",
       {3'000'000, {"/i/a", "/i/b"}, {}},
       "3 MB freed",
       "The files are still in iCloud and download again when you open them."},
      {"some failed",
       {1'000'000, {"/i/a"}, {failure("/i/b")}},
       "1 MB freed",
       "1 file(s) couldn't be removed from this Mac. Details in History."},
      {"none evicted",
       {0, {}, {failure("/i/a"), failure("/i/b")}},
       "Nothing was removed",
       "2 file(s) couldn't be removed from this Mac. Details in History."},
  };
  for (const Case& c : cases) {
    Harness h(copies("/srv", {"a"}));
    auto gate = h.inspection.holdCall(1);
    h.eviction.answer(c.report);
    CloudReport fresh;
    fresh.isAvailable = true;
    h.inspection.answer(fresh);
    h.state->evictCloudDownloads({CloudItem{"/i/a", "a", 1'000'000, true}, CloudItem{"/i/b", "b", 2'000'000, true}});
    EXPECT_TRUE(h.state->cloudLoading());
    ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
    EXPECT_TRUE(h.state->cloudLoading());  // loading lasts through the fresh inspection
    EXPECT_EQ(h.state->failures().size(), c.report.failures.size()) << c.name;
    gate->open();
    ASSERT_TRUE(waitUntil([&] { return !h.state->cloudLoading(); }));
    EXPECT_EQ(*h.inspectedAfterEviction, 1);
    ASSERT_TRUE(h.state->cloud());
    EXPECT_TRUE(h.state->cloud()->isAvailable);
    ASSERT_TRUE(h.state->toast());
    EXPECT_EQ(h.state->toast()->message, c.message) << c.name;
    EXPECT_EQ(h.state->toast()->detail, c.detail) << c.name;
  }
  Harness h(copies("/srv", {"a"}));
  h.state->evictCloudDownloads({});
  EXPECT_FALSE(h.state->cloudLoading());
  EXPECT_EQ(h.eviction.calls(), 0);
}

TEST(AppStateQueries, BucketBreakdownLeavesOutEmptyCategoriesAndKeepsTiesInCategoryOrder) {
  ScanResult scan = copies("/srv", {"a"});
  scan.bucketTotals = {{StorageBucket::other, 1},     {StorageBucket::audio, 10},  {StorageBucket::video, 0},
                       {StorageBucket::documents, 5}, {StorageBucket::images, 10}, {StorageBucket::junk, 30}};
  Harness h(scan);
  EXPECT_EQ(h.state->bucketBreakdown(), (std::vector<std::pair<StorageBucket, int64_t>>{{StorageBucket::junk, 30},
                                                                                        {StorageBucket::images, 10},
                                                                                        {StorageBucket::audio, 10},
                                                                                        {StorageBucket::documents, 5},
                                                                                        {StorageBucket::other, 1}}));
}

TEST(AppStateQueries, VirtualDisksOfTheScan) {
  HandTree tree("/Users/me");
  tree.file("VMs/disk.vmdk", 600'000'000);
  tree.file("VMs/small.vmdk", 400'000'000);
  Harness h(tree.result());
  const auto disks = h.state->virtualDisks();
  ASSERT_EQ(disks.size(), 1u);
  EXPECT_EQ(disks[0].path, "/Users/me/VMs/disk.vmdk");
}
