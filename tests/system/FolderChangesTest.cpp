#include <gtest/gtest.h>

#include <limits>
#include <unordered_set>

#include "system/FolderChanges.h"

using namespace tolvex;

namespace {

constexpr int64_t kMB = 1'000'000;
constexpr int64_t kMinimum = 100 * kMB;  // what the Trends screen passes

ScanSnapshot snapshotOf(const std::string& root, std::map<std::string, int64_t> folders,
                        std::map<std::string, int64_t> buckets = {}) {
  ScanSnapshot s;
  s.id = "3F2504E0-4F89-41D3-9A0C-0305E82C3301";
  s.root = root;
  s.folders = std::move(folders);
  s.buckets = std::move(buckets);
  return s;
}

FolderChange row(const std::string& path, int64_t before, int64_t after) { return {path, before, after, false}; }
FolderChange rest(const std::string& path, int64_t change) { return {path, 0, change, true}; }

}  // namespace

TEST(FolderChanges, NameTheDeepestFolderThatCarriesTheChange) {
  auto baseline = snapshotOf("/", {{"/", 1000 * kMB}, {"/Users", 800 * kMB}});
  auto latest = snapshotOf("/", {{"/", 1500 * kMB}, {"/Users", 1300 * kMB}, {"/Users/Movies", 500 * kMB}});
  EXPECT_EQ(folderChanges(baseline, latest, kMinimum, 14),
            (std::vector<FolderChange>{row("/Users/Movies", 0, 500 * kMB)}));
}

TEST(FolderChanges, ARemainderRowCarriesWhatSubfoldersDoNotExplain) {
  struct Case {
    int64_t folderGrowth;
    int64_t childGrowth;
    std::vector<FolderChange> rows;
  };
  const Case cases[] = {
      {300 * kMB, 150 * kMB, {row("/r/a/b", 100 * kMB, 250 * kMB), rest("/r/a", 150 * kMB)}},
      {250 * kMB, 150 * kMB, {row("/r/a/b", 100 * kMB, 250 * kMB), rest("/r/a", 100 * kMB)}},
      {250 * kMB - 1, 150 * kMB, {row("/r/a/b", 100 * kMB, 250 * kMB)}},  // remainder 99,999,999
      // A child below the minimum explains nothing: the folder is the row.
      {300 * kMB, 100 * kMB - 1, {row("/r/a", 1000 * kMB, 1300 * kMB)}},
      {300 * kMB, 100 * kMB, {rest("/r/a", 200 * kMB), row("/r/a/b", 100 * kMB, 200 * kMB)}},
      // A folder that shrank while its subfolder grew.
      {-200 * kMB, 150 * kMB, {rest("/r/a", -350 * kMB), row("/r/a/b", 100 * kMB, 250 * kMB)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folderGrowth);
    auto baseline = snapshotOf("/r", {{"/r", 5000 * kMB}, {"/r/a", 1000 * kMB}, {"/r/a/b", 100 * kMB}});
    auto latest = snapshotOf("/r", {{"/r", 5000 * kMB + c.folderGrowth},
                                    {"/r/a", 1000 * kMB + c.folderGrowth},
                                    {"/r/a/b", 100 * kMB + c.childGrowth}});
    EXPECT_EQ(folderChanges(baseline, latest, kMinimum, 14), c.rows);
  }
}

TEST(FolderChanges, AFolderMissingFromASnapshotCountsAsZero) {
  auto baseline = snapshotOf("/r", {{"/r", 900 * kMB}, {"/r/old", 400 * kMB}, {"/r/keep", 100 * kMB}});
  auto latest = snapshotOf("/r", {{"/r", 500 * kMB}, {"/r/keep", 100 * kMB}});
  EXPECT_EQ(folderChanges(baseline, latest, kMinimum, 14), (std::vector<FolderChange>{row("/r/old", 400 * kMB, 0)}));
}

TEST(FolderChanges, SortsByMagnitudeAndKeepsTheLimit) {
  auto baseline = snapshotOf("/r", {{"/r", 0}, {"/r/a", 500 * kMB}, {"/r/b", 0}, {"/r/c", 0}, {"/r/d", 0}});
  auto latest = snapshotOf("/r", {{"/r", 0},
                                  {"/r/a", 100 * kMB},
                                  {"/r/b", 300 * kMB},
                                  {"/r/c", 400 * kMB},
                                  {"/r/d", 400 * kMB},
                                  {"/r/e", 200 * kMB}});
  // Remainder of /r: 0 − (−400 + 300 + 400 + 400 + 200) MB = −900 MB.
  const std::vector<FolderChange> all = {rest("/r", -900 * kMB),    row("/r/a", 500 * kMB, 100 * kMB),
                                         row("/r/c", 0, 400 * kMB), row("/r/d", 0, 400 * kMB),
                                         row("/r/b", 0, 300 * kMB), row("/r/e", 0, 200 * kMB)};
  struct Case {
    size_t limit;
    size_t rows;
  };
  for (Case c : {Case{14, 6}, Case{6, 6}, Case{3, 3}, Case{1, 1}, Case{0, 0}}) {
    SCOPED_TRACE(c.limit);
    EXPECT_EQ(folderChanges(baseline, latest, kMinimum, c.limit),
              std::vector<FolderChange>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(c.rows)));
  }
}

TEST(FolderChanges, NoRowsForDifferentRootsOrTheSameSnapshot) {
  auto a = snapshotOf("/r", {{"/r", 0}, {"/r/x", 0}}, {{"1", 0}});
  auto b = snapshotOf("/s", {{"/s", 900 * kMB}, {"/r/x", 900 * kMB}}, {{"1", 900 * kMB}});
  EXPECT_TRUE(folderChanges(a, b, kMinimum, 14).empty());
  EXPECT_EQ(bucketChanges(a, b, 50 * kMB), (std::vector<BucketChange>{{StorageBucket::documents, 900 * kMB}}))
      << "categories are compared whatever the roots";
  EXPECT_TRUE(folderChanges(b, b, kMinimum, 14).empty());
  EXPECT_TRUE(bucketChanges(b, b, 50 * kMB).empty());
}

TEST(FolderChanges, FindsTheFoldersOfARootGivenWithATrailingSlash) {
  auto baseline = snapshotOf("/home/ann/", {{"/home/ann/", 0}});
  auto latest = snapshotOf("/home/ann/", {{"/home/ann/", 300 * kMB}, {"/home/ann/Videos", 300 * kMB}});
  EXPECT_EQ(folderChanges(baseline, latest, kMinimum, 14),
            (std::vector<FolderChange>{row("/home/ann/Videos", 0, 300 * kMB)}));
}

TEST(FolderChanges, IgnoresKeysOutsideTheRoot) {
  // Keys no scan would record (edited files): "/" would be its own parent, "x" has no folder.
  auto baseline = snapshotOf("/r", {{"/r", 0}});
  auto latest = snapshotOf("/r", {{"/r", 200 * kMB}, {"/", 900 * kMB}, {"x", 900 * kMB}, {"/q/r", 900 * kMB}});
  EXPECT_EQ(folderChanges(baseline, latest, kMinimum, 14), (std::vector<FolderChange>{row("/r", 0, 200 * kMB)}));
}

TEST(FolderChanges, SaturatesInsteadOfOverflowing) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max(), kMin = std::numeric_limits<int64_t>::min();
  auto baseline = snapshotOf("/r", {{"/r", kMin}, {"/r/a", kMin}, {"/r/b", kMin}}, {{"0", kMin}});
  auto latest = snapshotOf("/r", {{"/r", kMax}, {"/r/a", kMax}, {"/r/b", kMax}}, {{"0", kMax}});
  auto rows = folderChanges(baseline, latest, kMinimum, 14);
  EXPECT_EQ(rows, (std::vector<FolderChange>{row("/r/a", kMin, kMax), row("/r/b", kMin, kMax)}));
  EXPECT_EQ(rows[0].change(), kMax);
  EXPECT_EQ(bucketChanges(baseline, latest, kMinimum),
            (std::vector<BucketChange>{{StorageBucket::applications, kMax}}));
}

TEST(FolderChanges, RowsAreIdentifiedByPathAndKind) {
  EXPECT_EQ(row("/a", 1, 5).id(), "/a");
  EXPECT_EQ(rest("/a", 5).id(), "/a#rest");
  EXPECT_EQ(row("/a", 7, 2).change(), -5);
  std::unordered_set<FolderChange, FolderChangeHash> set = {row("/a", 1, 5), rest("/a", 5), row("/a", 1, 5)};
  EXPECT_EQ(set.size(), 2u);
  EXPECT_FALSE(row("/a", 0, 5) == rest("/a", 5));
}

TEST(BucketChanges, KeepsCategoriesThatChangedByTheMinimumLargestFirst) {
  constexpr int64_t kMin = 50 * kMB;
  auto baseline = snapshotOf("/r", {}, {{"0", 100 * kMB}, {"3", 900 * kMB}, {"8", 10 * kMB}, {"9", 70 * kMB}});
  auto latest = snapshotOf("/r", {},
                           {{"0", 150 * kMB},
                            {"3", 500 * kMB},
                            {"8", 10 * kMB + kMin - 1},
                            {"11", 400 * kMB},
                            {"9", 20 * kMB},
                            {"6", 50 * kMB},
                            {"junk", 999 * kMB}});
  EXPECT_EQ(bucketChanges(baseline, latest, kMin), (std::vector<BucketChange>{{StorageBucket::video, -400 * kMB},
                                                                              {StorageBucket::other, 400 * kMB},
                                                                              {StorageBucket::applications, 50 * kMB},
                                                                              {StorageBucket::developer, 50 * kMB},
                                                                              {StorageBucket::trash, -50 * kMB}}));
}
