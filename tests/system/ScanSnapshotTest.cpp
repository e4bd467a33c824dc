#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>

#include "model/ScanResult.h"
#include "system/ScanSnapshot.h"

using namespace tolvex;

namespace {

// A scan result built node by node, without the scanner.
class TreeScan {
 public:
  explicit TreeScan(const std::string& rootName, int64_t rootSize = 10, bool rootIsPackage = false) {
    scan.tree = std::make_shared<FileTree>();
    scan.rootPath = rootName;
    scan.root = folder(rootName, nullptr, rootSize, rootIsPackage);
  }
  FileNode* folder(const std::string& name, FileNode* parent, int64_t size, bool package = false) {
    FileNode* node = scan.tree->make(name, parent, true, package, FileKind::other, StorageBucket::other);
    set(node->size, size);
    return node;
  }
  FileNode* file(const std::string& name, FileNode* parent, int64_t size) {
    FileNode* node = scan.tree->make(name, parent, false, false, FileKind::other, StorageBucket::other);
    set(node->size, size);
    return node;
  }
  ScanSnapshot snapshot(double date = 700'000'000) const { return ScanSnapshot::fromScan(scan, date); }

  ScanResult scan;
};

constexpr int64_t kBig = 1'000'000'000;

}  // namespace

TEST(ScanSnapshot, CarriesIdDateRootTotalAndBuckets) {
  TreeScan tree("/home/ann", 123'456'789);
  tree.scan.bucketTotals = {{StorageBucket::applications, 5}, {StorageBucket::other, 7}, {StorageBucket::junk, 0}};
  ScanSnapshot s = tree.snapshot(1'700'000'000.25);
  EXPECT_TRUE(std::regex_match(s.id, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}")));
  EXPECT_NE(tree.snapshot().id, s.id);
  EXPECT_EQ(s.date, 1'700'000'000.25);
  EXPECT_EQ(s.root, "/home/ann");
  EXPECT_EQ(s.total, 123'456'789);
  // Only the categories the scan has, keyed by their decimal raw value.
  EXPECT_EQ(s.buckets, (std::map<std::string, int64_t>{{"0", 5}, {"11", 7}, {"8", 0}}));
  EXPECT_EQ(s.folders, (std::map<std::string, int64_t>{{"/home/ann", 123'456'789}}));
}

TEST(ScanSnapshot, BucketSizeMapKeysEveryCategoryByItsRawValue) {
  std::map<StorageBucket, int64_t> totals;
  for (StorageBucket bucket : kAllStorageBuckets) totals[bucket] = 100 + static_cast<int>(bucket);
  auto map = bucketSizeMap(totals);
  ASSERT_EQ(map.size(), 12u);
  for (int raw = 0; raw < 12; ++raw) EXPECT_EQ(map.at(std::to_string(raw)), 100 + raw) << raw;
}

TEST(ScanSnapshot, FoldsTheDataVolumeRootAndItsFolders) {
  TreeScan tree("/System/Volumes/Data", kBig);
  FileNode* users = tree.folder("Users", tree.scan.root, kBig);
  tree.folder("ann", users, kBig);
  EXPECT_EQ(tree.snapshot().root, "/");
  EXPECT_EQ(tree.snapshot().folders,
            (std::map<std::string, int64_t>{{"/", kBig}, {"/Users", kBig}, {"/Users/ann", kBig}}));

  TreeScan slash("/", kBig);
  slash.folder("home", slash.scan.root, kBig);
  EXPECT_EQ(slash.snapshot().folders, (std::map<std::string, int64_t>{{"/", kBig}, {"/home", kBig}}));

  TreeScan near("/System/Volumes/DataX", kBig);
  near.folder("a", near.scan.root, kBig);
  EXPECT_EQ(near.snapshot().root, "/System/Volumes/DataX");
  EXPECT_TRUE(near.snapshot().folders.contains("/System/Volumes/DataX/a"));
}

TEST(ScanSnapshot, RecordsFoldersAboveTheSizeThreshold) {
  struct Case {
    int64_t size;
    bool recorded;
  };
  const Case cases[] = {{15'999'999, false}, {16'000'000, true}, {0, false}, {kBig, true}};
  for (const Case& c : cases) {
    TreeScan tree("/r", 10);  // a tiny root is still recorded
    FileNode* child = tree.folder("child", tree.scan.root, c.size);
    tree.folder("inner", child, kBig);
    ScanSnapshot s = tree.snapshot();
    EXPECT_EQ(s.folders.at("/r"), 10) << c.size;
    EXPECT_EQ(s.folders.contains("/r/child"), c.recorded) << c.size;
    // Nothing below an unrecorded folder, however large.
    EXPECT_EQ(s.folders.contains("/r/child/inner"), c.recorded) << c.size;
  }
}

TEST(ScanSnapshot, RecordsAtMostSevenLevelsBelowTheRoot) {
  TreeScan tree("/r", kBig);
  FileNode* node = tree.scan.root;
  std::string path = "/r";
  std::vector<std::string> paths;
  for (int depth = 1; depth <= 9; ++depth) {
    node = tree.folder("d" + std::to_string(depth), node, kBig);
    path += "/d" + std::to_string(depth);
    paths.push_back(path);
  }
  ScanSnapshot s = tree.snapshot();
  for (int depth = 1; depth <= 9; ++depth)
    EXPECT_EQ(s.folders.contains(paths[depth - 1]), depth <= 7) << "depth " << depth;
  EXPECT_EQ(s.folders.size(), 8u);
}

TEST(ScanSnapshot, RecordsAPackageButNothingInsideIt) {
  TreeScan tree("/r", kBig);
  FileNode* app = tree.folder("Big.app", tree.scan.root, kBig, /*package=*/true);
  tree.folder("Contents", app, kBig);
  ScanSnapshot s = tree.snapshot();
  EXPECT_TRUE(s.folders.contains("/r/Big.app"));
  EXPECT_FALSE(s.folders.contains("/r/Big.app/Contents"));

  // A package root is recorded alone too.
  TreeScan package("/r/Big.app", kBig, /*rootIsPackage=*/true);
  package.folder("Contents", package.scan.root, kBig);
  EXPECT_EQ(package.snapshot().folders, (std::map<std::string, int64_t>{{"/r/Big.app", kBig}}));
}

TEST(ScanSnapshot, SkipsDeletedFoldersAndFiles) {
  TreeScan tree("/r", kBig);
  FileNode* gone = tree.folder("gone", tree.scan.root, kBig);
  tree.folder("below", gone, kBig);
  set(gone->deleted, true);
  tree.file("big.iso", tree.scan.root, kBig);
  tree.folder("kept", tree.scan.root, kBig);
  EXPECT_EQ(tree.snapshot().folders, (std::map<std::string, int64_t>{{"/r", kBig}, {"/r/kept", kBig}}));
}

TEST(ScanSnapshot, KeepsPathBytesThatAreNotUtf8) {
  TreeScan tree("/r", kBig);
  FileNode* latin1 = tree.folder("caf\xE9", tree.scan.root, kBig);
  tree.folder("x\xFF", latin1, kBig);
  ScanSnapshot s = tree.snapshot();
  EXPECT_TRUE(s.folders.contains("/r/caf\xE9"));
  EXPECT_TRUE(s.folders.contains("/r/caf\xE9/x\xFF"));
}

TEST(ScanSnapshot, AScanWithoutATreeRecordsItsRootPath) {
  ScanResult scan;
  scan.rootPath = "/System/Volumes/Data/Users";
  ScanSnapshot s = ScanSnapshot::fromScan(scan, 5);
  EXPECT_EQ(s.root, "/Users");
  EXPECT_EQ(s.total, 0);
  EXPECT_EQ(s.folders, (std::map<std::string, int64_t>{{"/Users", 0}}));
}
