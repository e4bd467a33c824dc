// The Overview's pure parts: the header texts and statistic tiles, the composition model (its
// "macOS and other" slice, bar total, centre text and donut sectors with their hit test), the
// largest-folder picks, and the trend teaser over the root's snapshots.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "support/HandTree.h"
#include "views/analysis/logic/BiggestFolders.h"
#include "views/analysis/logic/Composition.h"
#include "views/analysis/logic/OverviewStats.h"
#include "views/analysis/logic/TrendTeaserModel.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kGB = 1'000'000'000;
constexpr int64_t kMiB = 1 << 20;
constexpr double kNow = 1'800'000'000;
const QString kMinus = QStringLiteral("\u2212");

ScanResult scanOfSize(int64_t rootSize, int64_t directories = 48'210, int64_t unreadable = 0) {
  static HandTree tree("/scan");  // the node outlives the result
  ScanResult scan;
  scan.root = tree.root();
  scan.root->size = rootSize;
  scan.totalDirectories = directories;
  scan.unreadableDirectories = unreadable;
  return scan;
}

std::vector<QString> titles(const std::vector<OverviewStat>& stats) {
  std::vector<QString> out;
  for (const OverviewStat& s : stats) out.push_back(s.title);
  return out;
}

}  // namespace

// ---- Header and tiles ----------------------------------------------------------------------------

TEST(OverviewStats, SubtitleGroupsTheFilesAndShowsOneDecimalOfSeconds) {
  struct Case {
    int64_t files;
    double duration;
    const char* expected;
  } cases[] = {
      {1'234'567, 42.3, "Entire disk · 1,234,567 files in 42.3 s"},
      {0, 0.04, "Entire disk · 0 files in 0.0 s"},
      {12, 125.37, "Entire disk · 12 files in 125.4 s"},
      {5, std::nan(""), "Entire disk · 5 files in 0.0 s"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(overviewSubtitle(QStringLiteral("Entire disk"), c.files, c.duration), QString::fromUtf8(c.expected));
  EXPECT_EQ(scannedText(kNow - 7200, kNow), QStringLiteral("Scanned 2 hours ago"));
}

TEST(OverviewStats, VolumeTilesComeFirstAndNegativeFiguresShowAsZero) {
  const ScanResult scan = scanOfSize(300 * kGB);
  std::vector<OverviewStat> tiles = overviewStats(VolumeInfo{"Disk", 500 * kGB, 150 * kGB, 180 * kGB}, scan);
  ASSERT_EQ(titles(tiles), (std::vector<QString>{"Used", "Free", "Purgeable", "Scanned"}));
  EXPECT_EQ(tiles[0].value, "350 GB");
  EXPECT_EQ(tiles[0].caption, QString::fromUtf8("of 500 GB · 70%"));
  EXPECT_EQ(tiles[0].symbol, "internaldrive.fill");
  EXPECT_EQ(tiles[1].value, "150 GB");
  EXPECT_EQ(tiles[1].caption, "Available right now");
  EXPECT_EQ(tiles[2].value, "30 GB");
  EXPECT_EQ(tiles[2].symbol, "icloud.and.arrow.down.fill");
  EXPECT_EQ(tiles[3].value, "300 GB");
  EXPECT_EQ(tiles[3].caption, "48,210 folders");

  // Important-usage space below the available space, and more available than total.
  tiles = overviewStats(VolumeInfo{"Disk", 100 * kGB, 120 * kGB, 90 * kGB}, scan);
  EXPECT_EQ(tiles[0].value, "Zero KB");
  EXPECT_EQ(tiles[2].value, "Zero KB");
}

TEST(OverviewStats, WithoutVolumeOnlyTheScannedTileAndUnreadableFoldersCaptionIt) {
  const std::vector<OverviewStat> tiles = overviewStats(std::nullopt, scanOfSize(-5, 10, 3));
  ASSERT_EQ(titles(tiles), (std::vector<QString>{"Scanned"}));
  EXPECT_EQ(tiles[0].value, "Zero KB");
  EXPECT_EQ(tiles[0].caption, "3 folders without access");
  EXPECT_EQ(tiles[0].symbol, "magnifyingglass");
}

// ---- Composition ---------------------------------------------------------------------------------

TEST(Composition, WholeDiskScanAddsTheUsedSpaceItCouldNotSee) {
  const VolumeInfo volume{"Disk", 500 * kGB, 150 * kGB, 150 * kGB};
  const std::vector<std::pair<StorageBucket, int64_t>> breakdown{{StorageBucket::video, 200 * kGB},
                                                                 {StorageBucket::documents, 100 * kGB}};
  struct Case {
    std::optional<VolumeInfo> volume;
    std::optional<ScanTarget> target;
    int64_t scanned;
    int64_t other, total, barTotal;
  } cases[] = {
      {volume, ScanTarget::wholeDisk(), 300 * kGB, 50 * kGB, 350 * kGB, 500 * kGB},
      {volume, ScanTarget::home(), 300 * kGB, 0, 300 * kGB, 300 * kGB},
      {volume, ScanTarget::folder("/data"), 300 * kGB, 0, 300 * kGB, 300 * kGB},
      {volume, ScanTarget::wholeDisk(), 400 * kGB, 0, 300 * kGB, 500 * kGB},  // more scanned than used
      {std::nullopt, ScanTarget::wholeDisk(), 300 * kGB, 0, 300 * kGB, 300 * kGB},
      {volume, std::nullopt, 300 * kGB, 0, 300 * kGB, 300 * kGB},
  };
  for (const Case& c : cases) {
    const Composition comp = Composition::make(breakdown, c.volume, c.target, c.scanned);
    EXPECT_EQ(comp.otherSize, c.other);
    EXPECT_EQ(comp.total, c.total);
    EXPECT_EQ(comp.barTotal, c.barTotal);
    const std::vector<Segment> segments = comp.segments();
    ASSERT_EQ(segments.size(), c.other > 0 ? 3u : 2u);
    EXPECT_EQ(segments[0].id, "Video");
    EXPECT_EQ(segments[0].value, 200 * kGB);
    if (c.other > 0) {
      EXPECT_EQ(segments[2].id, "macos");
      EXPECT_EQ(segments[2].title, "macOS and other");
      EXPECT_EQ(segments[2].value, c.other);
    }
  }
}

TEST(Composition, CentreAndPercentagesAreOfTheTotalWithTheOtherSlice) {
  const Composition comp =
      Composition::make({{StorageBucket::video, 200 * kGB}, {StorageBucket::documents, 100 * kGB}},
                        VolumeInfo{"Disk", 500 * kGB, 100 * kGB, 100 * kGB}, ScanTarget::wholeDisk(), 300 * kGB);
  EXPECT_EQ(comp.total, 400 * kGB);
  EXPECT_EQ(comp.percent(200 * kGB), "50%");  // of 400 GB, not of the 500 GB volume
  EXPECT_EQ(comp.centre(std::nullopt), (CompositionCentre{"400 GB", "Total"}));
  EXPECT_EQ(comp.centre(StorageBucket::video), (CompositionCentre{"200 GB", "Video"}));
  EXPECT_EQ(comp.centre(StorageBucket::trash), (CompositionCentre{"400 GB", "Trash"}));
}

TEST(Composition, SectorsGoRoundOnceInOrderAndTheHitTestFindsEach) {
  const Composition comp =
      Composition::make({{StorageBucket::video, 50}, {StorageBucket::documents, 25}, {StorageBucket::audio, 5}},
                        VolumeInfo{"Disk", 200, 100, 100}, ScanTarget::wholeDisk(), 80);
  const std::vector<DonutSector> sectors = comp.sectors();
  ASSERT_EQ(sectors.size(), 4u);
  EXPECT_EQ(sectors[0].bucket, StorageBucket::video);
  EXPECT_EQ(sectors[3].bucket, std::nullopt);  // "macOS and other" last
  EXPECT_DOUBLE_EQ(sectors[0].startAngle, 90);
  double sum = 0;
  for (size_t i = 0; i < sectors.size(); ++i) {
    sum += sectors[i].spanAngle;
    if (i > 0) {
      EXPECT_DOUBLE_EQ(sectors[i].startAngle, sectors[i - 1].startAngle + sectors[i - 1].spanAngle);
    }
  }
  EXPECT_NEAR(sum, -360, 1e-9);

  const QPointF centre(100, 100);
  constexpr double outer = 100, ratio = 0.62;
  for (size_t i = 0; i < sectors.size(); ++i) {
    const double angle = (sectors[i].startAngle + sectors[i].spanAngle / 2) * std::numbers::pi / 180;
    const QPointF p = centre + QPointF(81 * std::cos(angle), -81 * std::sin(angle));
    EXPECT_EQ(sectorAt(sectors, centre, outer, ratio, p), i) << i;
  }
  EXPECT_EQ(sectorAt(sectors, centre, outer, ratio, QPointF(102, 15)), 0u);  // just right of twelve o'clock: video
  EXPECT_EQ(sectorAt(sectors, centre, outer, ratio, QPointF(100, 100)), std::nullopt);  // the hole
  EXPECT_EQ(sectorAt(sectors, centre, outer, ratio, QPointF(100, 45)), std::nullopt);   // still the hole (r 55 < 62)
  EXPECT_EQ(sectorAt(sectors, centre, outer, ratio, QPointF(199, 199)), std::nullopt);  // outside the ring
  EXPECT_TRUE(Composition{}.sectors().empty());
}

// ---- Largest folders -------------------------------------------------------------------------------

namespace {

constexpr int64_t kLimit = BiggestFolders::kMinimumSize;

std::vector<std::string> picked(const HandTree& tree) {
  std::vector<std::string> out;
  for (FileNode* n : BiggestFolders::folders(tree.root())) out.push_back(n->path());
  return out;
}

}  // namespace

TEST(BiggestFolders, OnlyFoldersBelowTheRootsChildrenAndAboveTheThreshold) {
  HandTree tree("/r");
  tree.folder("", 100 * kGB);
  tree.folder("a", 50 * kGB);  // depth 1: never listed
  tree.folder("b", 40 * kGB);
  tree.folder("a/exact", kLimit);  // not listed, not entered
  tree.folder("a/exact/inner", kLimit);
  tree.folder("a/over", kLimit + 1);
  EXPECT_EQ(picked(tree), (std::vector<std::string>{"/r/a/over"}));

  HandTree shallow("/r");
  shallow.folder("", 10 * kGB);
  shallow.folder("a", 5 * kGB);
  shallow.folder("b", 5 * kGB);
  EXPECT_TRUE(picked(shallow).empty());
  EXPECT_TRUE(BiggestFolders::folders(nullptr).empty());
}

TEST(BiggestFolders, ASubfolderHoldingMostOfAListedFolderTakesItsPlace) {
  for (int64_t containers : {30 * kGB, 27 * kGB}) {
    HandTree tree("/");
    tree.folder("", 400 * kGB);
    tree.folder("Users", 300 * kGB);
    tree.folder("Users/me", 100 * kGB);
    tree.folder("Users/me/Library", 40 * kGB);
    tree.folder("Users/me/Library/Containers", containers);
    tree.folder("Users/me/Movies", 5 * kGB);
    tree.folder("Users/other", 50 * kGB);
    // me (100) is listed; other (50) too; Library (40 > 70 % of 100? no) is dropped, so Containers
    // never has a listed ancestor it could replace other than "me".
    const std::vector<std::string> got = picked(tree);
    EXPECT_EQ(got, (std::vector<std::string>{"/Users/me", "/Users/other"})) << containers;
  }
  for (int64_t containers : {30 * kGB, 27 * kGB}) {
    HandTree tree("/");
    tree.folder("", 400 * kGB);
    tree.folder("Users", 300 * kGB);
    tree.folder("Users/me", 50 * kGB);
    tree.folder("Users/me/Library", 40 * kGB);  // more than 35: replaces the home folder
    tree.folder("Users/me/Library/Containers", containers);
    tree.folder("Users/me/Movies", 5 * kGB);
    const std::vector<std::string> expected =
        containers > 28 * kGB ? std::vector<std::string>{"/Users/me/Library/Containers", "/Users/me/Movies"}
                              : std::vector<std::string>{"/Users/me/Library", "/Users/me/Movies"};
    EXPECT_EQ(picked(tree), expected) << containers;
  }
}

TEST(BiggestFolders, ReplacementKeepsThePlaceSoALaterRowMayBeLarger) {
  HandTree tree("/r");
  tree.folder("", 100 * kGB);
  tree.folder("top", 90 * kGB);
  tree.folder("top/a", 30 * kGB);
  tree.folder("top/a/inner", 25 * kGB);
  tree.folder("top/b", 28 * kGB);
  const std::vector<std::string> got = picked(tree);
  EXPECT_EQ(got, (std::vector<std::string>{"/r/top/a/inner", "/r/top/b"}));
}

TEST(BiggestFolders, PackagesAreListedButNotEnteredAndDeletedFoldersAreSkipped) {
  HandTree tree("/r");
  tree.folder("", 100 * kGB);
  tree.folder("Applications", 50 * kGB);
  tree.package("Applications/Big.app", 10 * kGB);
  tree.folder("Applications/Big.app/Contents", 10 * kGB);
  FileNode* gone = tree.folder("Applications/Old", 20 * kGB);
  tree.folder("Applications/Old/Inner", 20 * kGB);
  gone->deleted = true;
  EXPECT_EQ(picked(tree), (std::vector<std::string>{"/r/Applications/Big.app"}));
}

TEST(BiggestFolders, StopsAtNineAndNeverLooksBelowDepthSix) {
  HandTree tree("/r");
  tree.folder("", 100 * kGB);
  tree.folder("p", 99 * kGB);
  for (int i = 0; i < 12; ++i) tree.folder("p/f" + std::to_string(i), (20 - i) * kGB);
  EXPECT_EQ(picked(tree).size(), 9u);
  EXPECT_EQ(picked(tree).front(), "/r/p/f0");
  EXPECT_EQ(picked(tree).back(), "/r/p/f8");

  HandTree deep("/r");
  std::string path;
  for (int depth = 1; depth <= 8; ++depth) {
    path += (path.empty() ? "" : "/") + std::string("d") + std::to_string(depth);
    deep.folder(path, 50 * kGB);  // all equal: each deeper one holds all of its parent
  }
  deep.folder("", 50 * kGB);
  // Equal sizes keep pop order (shallow first); each deeper one replaces its parent, down to depth 6.
  EXPECT_EQ(picked(deep), (std::vector<std::string>{"/r/d1/d2/d3/d4/d5/d6"}));
}

// ---- Trend teaser ------------------------------------------------------------------------------------

TEST(TrendTeaserModel, NeedsTwoSnapshotsAndSignsTheChange) {
  auto snap = [](double date, int64_t total) {
    ScanSnapshot s;
    s.date = date;
    s.root = "/";
    s.total = total;
    return s;
  };
  EXPECT_FALSE(TrendTeaserModel::make({}, kNow));
  EXPECT_FALSE(TrendTeaserModel::make({snap(kNow, 5)}, kNow));
  struct Case {
    int64_t latest, previous;
    QString text;
  } cases[] = {
      {12'100'000'000, 10'000'000'000, QStringLiteral("Since the scan 3 days ago: +2.1 GB")},
      {10'000'000'000, 12'100'000'000, QStringLiteral("Since the scan 3 days ago: ") + kMinus + "2.1 GB"},
      {7, 7, QStringLiteral("Since the scan 3 days ago: +Zero KB")},
  };
  for (const Case& c : cases) {
    const auto model =
        TrendTeaserModel::make({snap(kNow, c.latest), snap(kNow - 3 * 86'400, c.previous), snap(0, 1)}, kNow);
    ASSERT_TRUE(model);
    EXPECT_EQ(model->delta, c.latest - c.previous);
    EXPECT_EQ(model->text, c.text);
  }
  // A damaged store's totals never overflow the difference.
  const auto extreme = TrendTeaserModel::make({snap(kNow, INT64_MAX), snap(kNow - 86'400, -5)}, kNow);
  EXPECT_EQ(extreme->delta, INT64_MAX);
}

TEST(TrendTeaserModel, WholeDiskRootsFoldToTheSameKey) {
  EXPECT_EQ(TrendTeaserModel::rootKey("/System/Volumes/Data"), "/");
  EXPECT_EQ(TrendTeaserModel::rootKey("/System/Volumes/Data/Users/me"), "/Users/me");
  EXPECT_EQ(TrendTeaserModel::rootKey("/"), "/");
  EXPECT_EQ(TrendTeaserModel::rootKey("/home/me"), "/home/me");
  EXPECT_EQ(TrendTeaserModel::rootKey("/System/Volumes/Database"), "/System/Volumes/Database");
}
