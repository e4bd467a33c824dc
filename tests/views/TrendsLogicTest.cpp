// The Trends screen's pure parts: the forecast summary, the used-space chart's points, projection,
// domain and ticks, and the folder changes card's root, baseline, rows and content.
#include <gtest/gtest.h>

#include <QTimeZone>
#include <cmath>
#include <ctime>
#include <limits>

#include "app/theme/Theme.h"
#include "support/TempHome.h"
#include "views/MemTree.h"
#include "views/analysis/ExplorerNavigation.h"
#include "views/analysis/logic/ChangesComparison.h"
#include "views/analysis/logic/ForecastSummary.h"
#include "views/analysis/logic/SpaceChartScale.h"

using namespace tolvex;
using namespace tolvex::spacechart;

namespace {

constexpr double kDay = 86'400;
constexpr int64_t kMB = 1'000'000;
constexpr int64_t kGB = 1'000'000'000;
// Noon UTC, 15 January 2027: the same calendar day in every time zone from UTC−11 to UTC+11.
constexpr double kNow = 1'800'000'000 - 1'800'000'000 % 86'400 + 43'200;

const QString kMinus = QStringLiteral("\u2212");

std::vector<SpaceSample> hourly(size_t count, double start = kNow - 200 * kDay) {
  std::vector<SpaceSample> out;
  for (size_t i = 0; i < count; ++i)
    out.push_back({start + 3600.0 * static_cast<double>(i), static_cast<int64_t>(i), 0});
  return out;
}

std::vector<int64_t> keptIndices(const std::vector<SpaceSample>& kept) {
  std::vector<int64_t> out;
  for (const SpaceSample& s : kept) out.push_back(s.used);  // `used` holds the sample's index
  return out;
}

// Local dates are read in UTC for the life of the object (the process's zone is restored after).
class ScopedUtc {
 public:
  ScopedUtc() : saved_(qgetenv("TZ")), had_(qEnvironmentVariableIsSet("TZ")) {
    qputenv("TZ", "UTC");
    tzset();
  }
  ~ScopedUtc() {
    if (had_)
      qputenv("TZ", saved_);
    else
      qunsetenv("TZ");
    tzset();
  }

 private:
  QByteArray saved_;
  bool had_;
};

}  // namespace

// ---- Forecast summary -----------------------------------------------------------------------

TEST(ForecastSummary, NoForecastGivesNoSummary) { EXPECT_FALSE(ForecastSummary::make(std::nullopt, kNow)); }

TEST(ForecastSummary, EachRangeOfDaysLeftHasItsTitleDetailSymbolAndTint) {
  ScopedUtc utc;
  const QString triangle = QStringLiteral("exclamationmark.triangle.fill");
  const QString calendar = QStringLiteral("calendar.badge.clock");
  const QString seal = QStringLiteral("checkmark.seal.fill");
  struct Case {
    double bytesPerDay;
    double spanDays;
    std::optional<double> daysLeft;
    QString title;
    QString detail;
    QString symbol;
    ThemeColor tint;
  };
  const QString grows = QStringLiteral("Used space grows by %1 a day (last %2 days). ");
  auto runsOut = [&](const char* rate, const char* days, const char* date) {
    return grows.arg(QLatin1String(rate), QLatin1String(days)) +
           QStringLiteral("At that pace free space runs out around %1. Purgeable space isn’t counted.")
               .arg(QLatin1String(date));
  };
  const Case cases[] = {
      // Shrinking: the change reads with the minus sign.
      {-2'500'000'000.7, 12.4, std::nullopt, "Your disk isn’t filling up",
       "Used space changed by " + kMinus + "2.5 GB a day over the last 12 days.", seal, Theme::success()},
      {5'000'000, 2.5, std::nullopt, "Your disk isn’t filling up",
       "Used space changed by +5 MB a day over the last 3 days.", seal, Theme::success()},
      {3 * kGB, 2.4, 0.4, "Your disk is about to fill up", runsOut("3 GB", "2", "Jan 15, 2027"), triangle,
       Theme::danger()},
      {3 * kGB, 7, 1, "Full in about 1 days", runsOut("3 GB", "7", "Jan 16, 2027"), triangle, Theme::danger()},
      {1'234'567'890.9, 30, 13.9, "Full in about 14 days", runsOut("1.23 GB", "30", "Jan 29, 2027"), triangle,
       Theme::danger()},
      {kGB, 30, 14, "Full in about 14 days", runsOut("1 GB", "30", "Jan 29, 2027"), calendar, Theme::warning()},
      {kGB, 30, 59.9, "Full in about 60 days", runsOut("1 GB", "30", "Mar 16, 2027"), calendar, Theme::warning()},
      {kGB, 30, 60, "Full in about 2 months", runsOut("1 GB", "30", "Mar 16, 2027"), calendar, Theme::success()},
      {kGB, 30, 729, "Full in about 24 months", runsOut("1 GB", "30", "Jan 13, 2029"), calendar, Theme::success()},
      {25'000'000, 1234.5, 730, "Full in more than 2 years",
       grows.arg(QStringLiteral("25 MB"), QStringLiteral("1,235")) + "At that pace there is room for years.", calendar,
       Theme::success()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title.toStdString() + " " + std::to_string(c.daysLeft.value_or(-1)));
    const auto summary = ForecastSummary::make(SpaceForecast{c.bytesPerDay, c.spanDays, c.daysLeft}, kNow);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->title, c.title);
    EXPECT_EQ(summary->detail, c.detail);
    EXPECT_EQ(summary->symbol, c.symbol);
    EXPECT_EQ(summary->tint, c.tint);
  }
}

// ---- Thinning, projection, domain ---------------------------------------------------------------

TEST(SpaceChartScale, ThinningKeepsEveryStepthSampleAndTheNewest) {
  auto range = [](int64_t from, int64_t to, int64_t step) {
    std::vector<int64_t> out;
    for (int64_t i = from; i <= to; i += step) out.push_back(i);
    return out;
  };
  struct Case {
    size_t count;
    std::vector<int64_t> kept;
  };
  std::vector<int64_t> of300 = range(0, 298, 2);
  of300.push_back(299);
  std::vector<int64_t> of1000 = range(0, 996, 6);
  of1000.push_back(999);
  const Case cases[] = {
      {0, {}},
      {1, {0}},
      {149, range(0, 148, 1)},
      {299, range(0, 298, 1)},
      {300, of300},  // 150 plus the newest
      {1000, of1000},
      {2880,
       [&] {  // 120 days of hourly samples: step 19, the stride ends on 2869
         auto v = range(0, 2869, 19);
         v.push_back(2879);
         return v;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    EXPECT_EQ(keptIndices(thinnedSamples(hourly(c.count))), c.kept);
  }
  EXPECT_EQ(thinnedSamples(hourly(300)).size(), 151u);
}

TEST(SpaceChartScale, TheNewestIsNotAddedTwiceWhenTheStrideEndsOnItsDate) {
  auto samples = hourly(302);
  samples[301].date = samples[300].date;  // the stride (step 2) ends on index 300, dated like the final one
  EXPECT_EQ(keptIndices(thinnedSamples(samples)).back(), 300);
  EXPECT_EQ(thinnedSamples(samples).size(), 151u);
}

TEST(SpaceChartScale, ProjectionLooksAheadAtMostToTheFillUpDayAndNeverAboveTheDisk) {
  const Point last{kNow, 400.0 * kGB};
  const int64_t total = 1000 * kGB;
  struct Case {
    std::optional<Point> last;
    std::optional<SpaceForecast> forecast;
    std::vector<Point> expected;
  };
  const Case cases[] = {
      {std::nullopt, SpaceForecast{1e9, 5, 100.0}, {}},
      {last, std::nullopt, {}},
      {last, SpaceForecast{1e9, 5, std::nullopt}, {}},
      // 1.5 × 5 days is below 14: two weeks ahead.
      {last, SpaceForecast{1e9, 5, 100.0}, {{kNow + 1, 400.0 * kGB}, {kNow + 14 * kDay, 414.0 * kGB}}},
      // 1.5 × 20 days = 30 days ahead.
      {last, SpaceForecast{2e9, 20, 300.0}, {{kNow + 1, 400.0 * kGB}, {kNow + 30 * kDay, 460.0 * kGB}}},
      // Never past the fill-up day; the end is held at the disk size.
      {last, SpaceForecast{100e9, 20, 6.0}, {{kNow + 1, 400.0 * kGB}, {kNow + 6 * kDay, 1000.0 * kGB}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.size());
    EXPECT_EQ(projection(c.last, total, c.forecast), c.expected);
  }
}

TEST(SpaceChartScale, DomainPadsTheValuesAndReachesTheDiskSizeOnlyWithAFullProjection) {
  const int64_t total = 1000 * kGB;
  const std::vector<Point> flat{{kNow - kDay, 500.0 * kGB}, {kNow, 500.0 * kGB}};
  struct Case {
    const char* name;
    std::vector<Point> points;
    std::vector<Point> projected;
    int64_t total;
    Scale expected;
  };
  const Case cases[] = {
      {"flat history: 350 MB each side", flat, {}, total, {500.0 * kGB - 350e6, 500.0 * kGB + 350e6, false}},
      {"near zero: cut at zero", {{kNow, 0.1 * kGB}, {kNow + 1, 0.1 * kGB}}, {}, total, {0, 0.45 * kGB, false}},
      {"wide range: 35 % of it",
       {{kNow, 100.0 * kGB}, {kNow + 1, 300.0 * kGB}},
       {},
       total,
       {30.0 * kGB, 370.0 * kGB, false}},
      {"projection below 99.9 %",
       flat,
       {{kNow + 1, 500.0 * kGB}, {kNow + 14 * kDay, 998.0 * kGB}},
       total,
       {500.0 * kGB - 174.3 * kGB, 998.0 * kGB + 174.3 * kGB, false}},
      {"projection at the disk size",
       flat,
       {{kNow + 1, 500.0 * kGB}, {kNow + 6 * kDay, 1000.0 * kGB}},
       total,
       {500.0 * kGB - 175.0 * kGB, 1030.0 * kGB, true}},
      {"no values", {}, {}, total, {0, 1 + 0.35e9, false}},
      // A zero disk size: a projection ends at 0 and "reaches" it; the domain still spans the samples.
      {"zero disk size", {{kNow, 0}, {kNow + 1, 0}}, {{kNow + 2, 0}, {kNow + 3, 0}}, 0, {0, 0.35e9, true}},
      {"no projection, zero disk size: no rule", flat, {}, 0, {500.0 * kGB - 350e6, 500.0 * kGB + 350e6, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Scale s = scale(c.points, c.projected, c.total);
    EXPECT_NEAR(s.lower, c.expected.lower, 1e3);
    EXPECT_NEAR(s.upper, c.expected.upper, 1e3);
    EXPECT_EQ(s.reachesFull, c.expected.reachesFull);
    EXPECT_GT(s.upper, s.lower);
  }
}

TEST(SpaceChartScale, SamplesFarAboveTheDiskSizeStillGetAValidDomain) {
  const std::vector<Point> points{{kNow, 900.0 * kGB}, {kNow + 1, 950.0 * kGB}};
  const auto projected = projection(points.back(), 100 * kGB, SpaceForecast{1e9, 3, 1.0});
  const Scale s = scale(points, projected, 100 * kGB);
  EXPECT_TRUE(s.reachesFull);
  EXPECT_GT(s.upper, s.lower);
}

// ---- Ticks and labels ---------------------------------------------------------------------------

TEST(SpaceChartScale, ValueTicksAreRoundStepsInsideTheDomain) {
  struct Case {
    double lower, upper;
    std::vector<double> ticks;
    QStringList labels;
  };
  const Case cases[] = {
      {0, 1000, {0, 200, 400, 600, 800, 1000}, {"Zero KB", "1 KB", "1 KB", "1 KB", "1 KB", "1 KB"}},
      {499.65e9, 500.35e9, {499.8e9, 500e9, 500.2e9}, {"499.8 GB", "500 GB", "500.2 GB"}},
      {30e9, 370e9, {100e9, 200e9, 300e9}, {"100 GB", "200 GB", "300 GB"}},
      {0,
       1.03e12,
       {0, 0.2e12, 0.4e12, 0.6e12, 0.8e12, 1e12},
       {"Zero KB", "200 GB", "400 GB", "600 GB", "800 GB", "1 TB"}},
      {5, 5, {}, {}},
      {6, 5, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.upper);
    const auto ticks = valueTicks(c.lower, c.upper);
    ASSERT_EQ(ticks.size(), c.ticks.size());
    QStringList labels;
    for (size_t i = 0; i < ticks.size(); ++i) {
      EXPECT_NEAR(ticks[i], c.ticks[i], c.ticks[i] * 1e-9 + 1e-9);
      labels << valueLabel(ticks[i]);
    }
    EXPECT_EQ(labels, c.labels);
  }
  EXPECT_EQ(valueLabel(-3e9), QStringLiteral("Zero KB"));
  EXPECT_EQ(valueLabel(std::nan("")), QString());
}

TEST(SpaceChartScale, DateTicksFallOnMidnightsADayCountApart) {
  const QTimeZone utc = QTimeZone::utc();
  const double midnight = kNow - 43'200;  // 15 January 2027, 00:00 UTC
  struct Case {
    double start, end;
    std::vector<double> ticks;
    QStringList labels;
  };
  const Case cases[] = {
      // Three hours inside one day: no midnight, the start stands alone.
      {kNow, kNow + 3 * 3600, {kNow}, {"15 Jan"}},
      {midnight,
       midnight + 4 * kDay,
       {midnight, midnight + kDay, midnight + 2 * kDay, midnight + 3 * kDay, midnight + 4 * kDay},
       {"15 Jan", "16 Jan", "17 Jan", "18 Jan", "19 Jan"}},
      // Ten days: every second day from the first midnight.
      {kNow,
       kNow + 10 * kDay,
       {midnight + kDay, midnight + 3 * kDay, midnight + 5 * kDay, midnight + 7 * kDay, midnight + 9 * kDay},
       {"16 Jan", "18 Jan", "20 Jan", "22 Jan", "24 Jan"}},
      // 120 days: a month apart.
      {kNow - 120 * kDay, kNow, {}, {"18 Sep", "18 Oct", "17 Nov", "17 Dec"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.labels.join(' ').toStdString());
    const auto ticks = dateTicks(c.start, c.end, utc);
    if (!c.ticks.empty()) {
      EXPECT_EQ(ticks, c.ticks);
    }
    QStringList labels;
    for (double t : ticks) labels << dateLabel(t, utc);
    EXPECT_EQ(labels, c.labels);
  }
}

// ---- Folder changes -----------------------------------------------------------------------------

namespace {

ScanSnapshot snapshot(const std::string& id, double date, const std::string& root, int64_t total = 0,
                      std::map<std::string, int64_t> folders = {}, std::map<std::string, int64_t> buckets = {}) {
  ScanSnapshot s;
  s.id = id;
  s.date = date;
  s.root = root;
  s.total = total;
  s.folders = std::move(folders);
  s.folders.emplace(root, total);
  s.buckets = std::move(buckets);
  return s;
}

}  // namespace

TEST(ChangesComparison, RootIsTheScansFoldedPathElseTheNewestSnapshots) {
  const std::vector<ScanSnapshot> stored{snapshot("A", kNow - 10, "/a"), snapshot("B", kNow, "/b"),
                                         snapshot("C", kNow, "/c"), snapshot("D", kNow - 5, "/d")};
  struct Case {
    std::optional<std::string> scanRoot;
    std::vector<ScanSnapshot> stored;
    std::optional<std::string> root;
  };
  const Case cases[] = {
      {"/System/Volumes/Data", stored, "/"},
      {"/System/Volumes/Data/Users/ann", stored, "/Users/ann"},
      {"/System/Volumes/Database", stored, "/System/Volumes/Database"},
      {"/home/ann", {}, "/home/ann"},
      {std::nullopt, stored, "/b"},  // newest date; the first of equal dates in store order
      {std::nullopt, {}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scanRoot.value_or("(none)"));
    EXPECT_EQ(changesRoot(c.scanRoot, c.stored), c.root);
  }
}

TEST(ChangesComparison, BaselineIsTheChosenEarlierScanElseTheOneBeforeTheLatest) {
  const std::vector<ScanSnapshot> newestFirst{snapshot("L", kNow, "/r"), snapshot("E1", kNow - kDay, "/r"),
                                              snapshot("E2", kNow - 2 * kDay, "/r")};
  struct Case {
    std::optional<std::string> chosen;
    std::string baseline;
  };
  const Case cases[] = {{std::nullopt, "E1"}, {"E2", "E2"}, {"E1", "E1"}, {"pruned", "E1"}, {"L", "E1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen.value_or("(none)"));
    const auto comparison = ChangesComparison::make(newestFirst, c.chosen);
    ASSERT_TRUE(comparison);
    EXPECT_EQ(comparison->latest.id, "L");
    EXPECT_EQ(comparison->earlier.size(), 2u);
    EXPECT_EQ(comparison->baseline.id, c.baseline);
  }
  EXPECT_FALSE(ChangesComparison::make({snapshot("L", kNow, "/r")}, std::nullopt));
}

TEST(ChangesComparison, RowsNameTheFolderTagItAndScaleItsBar) {
  struct Case {
    FolderChange change;
    int64_t largest;
    ChangeRowContent row;
  };
  auto content = [](QString id, QString title, bool isNew, bool isRemoved, QString path, QString delta, QString size,
                    bool grew, double share) {
    return ChangeRowContent{
        id,   title, isNew, isRemoved,
        path, delta, size,  grew ? QStringLiteral("arrow.up.right") : QStringLiteral("arrow.down.right"),
        grew, share};
  };
  const std::string kHome = "/home/me";  // shown as "~"
  const Case cases[] = {
      {{"/home/me/Movies", 1 * kGB, 3 * kGB, false},
       2 * kGB,
       content("/home/me/Movies", "Movies", false, false, "~/Movies", "+2 GB", "3 GB", true, 1.0)},
      {{"/data/Movies", 1 * kGB, 3 * kGB, false},
       2 * kGB,
       content("/data/Movies", "Movies", false, false, "/data/Movies", "+2 GB", "3 GB", true, 1.0)},
      {{"/data/Cache", 500 * kMB, 250 * kMB, false},
       2 * kGB,
       content("/data/Cache", "Cache", false, false, "/data/Cache", kMinus + "250 MB", "250 MB", false, 0.125)},
      {{"/data/New", 0, 400 * kMB, false},
       2 * kGB,
       content("/data/New", "New", true, false, "/data/New", "+400 MB", "400 MB", true, 0.2)},
      {{"/data/Gone", 300 * kMB, 0, false},
       2 * kGB,
       content("/data/Gone", "Gone", false, true, "/data/Gone", kMinus + "300 MB", "Zero KB", false, 0.15)},
      // A remainder: before is 0 but it is not new; no size of its own.
      {{"/data/Library", 0, 150 * kMB, true},
       2 * kGB,
       content("/data/Library#rest", "Other items in Library", false, false, "/data/Library", "+150 MB", "", true,
               0.075)},
      {{"/data/Library", 0, -150 * kMB, true},
       2 * kGB,
       content("/data/Library#rest", "Other items in Library", false, false, "/data/Library", kMinus + "150 MB", "",
               false, 0.075)},
      {{"/", 1 * kGB, 2 * kGB, false}, 1 * kGB, content("/", "/", false, false, "/", "+1 GB", "2 GB", true, 1.0)},
      {{"/System/Volumes/Data/x", 1 * kGB, 2 * kGB, false},
       1 * kGB,
       content("/System/Volumes/Data/x", "x", false, false, "/x", "+1 GB", "2 GB", true, 1.0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change.path);
    EXPECT_EQ(changeRowContent(c.change, c.largest, kHome), c.row);
  }
}

TEST(ChangesComparison, LargestChangeAndBarWidths) {
  EXPECT_EQ(largestChange({}), 1);
  EXPECT_EQ(largestChange({{"/a", 0, 5, false}, {"/b", 10, 2, false}, {"/c", 0, -3, true}}), 8);
  EXPECT_EQ(largestChange({{"/a", std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min(), false}}),
            std::numeric_limits<int64_t>::max());
  EXPECT_DOUBLE_EQ(changeBarWidth(1.0, 110), 110);
  EXPECT_DOUBLE_EQ(changeBarWidth(0.5, 110), 55);
  EXPECT_DOUBLE_EQ(changeBarWidth(0.001, 110), 3);  // a tiny change still shows
  EXPECT_DOUBLE_EQ(changeBarWidth(std::nan(""), 110), 3);
}

TEST(ChangesComparison, CardContentForNoneOneAndSeveralSnapshots) {
  // The store keeps only well-formed ids.
  const std::string kE2 = "3F2504E0-4F89-41D3-9A0C-000000000002", kE1 = "3F2504E0-4F89-41D3-9A0C-000000000001";
  const std::string kL = "3F2504E0-4F89-41D3-9A0C-00000000000A", kL2 = "3F2504E0-4F89-41D3-9A0C-00000000000B";
  const std::string kX = "3F2504E0-4F89-41D3-9A0C-00000000000C";
  ScopedUtc utc;
  test::TempDir dir;
  TrendStore trends(dir.path());
  const std::string root = "/r";
  auto content = [&](std::optional<std::string> baseline = std::nullopt) {
    return changesCardContent(root, trends, baseline, kNow, "/home/me");
  };
  EXPECT_EQ(content().face, ChangesCardContent::Face::noSnapshot);
  EXPECT_EQ(content().firstText,
            QStringLiteral("Tolvex remembers each scan. After the second one you’ll see exactly which "
                           "folders grew in between."));

  trends.recordSnapshot(snapshot(kE2, kNow - 9 * kDay, root, 10 * kGB));
  EXPECT_EQ(content().face, ChangesCardContent::Face::oneSnapshot);
  EXPECT_EQ(content().firstText, QStringLiteral("First measurement saved last week. Scan again another day and Tolvex "
                                                "will show exactly which folders grew."));
  // Another root's snapshot does not count for this one.
  trends.recordSnapshot(snapshot(kX, kNow - kDay, "/other", 1));
  EXPECT_EQ(content().face, ChangesCardContent::Face::oneSnapshot);

  // Eight categories changed by at least 50 MB; folders: more than 14 qualify.
  std::map<std::string, int64_t> before, after, bucketsBefore, bucketsAfter;
  for (int i = 0; i < 20; ++i) {
    const std::string path = root + "/f" + std::to_string(i);
    before[path] = 1 * kGB;
    after[path] = 1 * kGB + (i + 1) * 100 * kMB;
  }
  for (int b = 0; b < 8; ++b) {
    bucketsBefore[std::to_string(b)] = 1 * kGB;
    bucketsAfter[std::to_string(b)] = 1 * kGB + (b % 2 ? 1 : -1) * (b + 1) * 50 * kMB;
  }
  trends.recordSnapshot(snapshot(kE1, kNow - 3 * kDay, root, 10 * kGB, before, bucketsBefore));
  trends.recordSnapshot(snapshot(kL, kNow - 1800, root, 10 * kGB + 21 * kGB, after, bucketsAfter));

  const ChangesCardContent c = content();
  EXPECT_EQ(c.face, ChangesCardContent::Face::comparison);
  EXPECT_EQ(c.baselineID, kE1);
  EXPECT_EQ(c.sinceText, QStringLiteral("Since 3 days ago"));
  ASSERT_EQ(c.baselines.size(), 2u);
  EXPECT_EQ(c.baselines[0].first, kE1);
  EXPECT_EQ(c.baselines[1].first, kE2);
  EXPECT_TRUE(c.baselines[0].second.startsWith(QStringLiteral("Jan 12, 2027 at ")));
  EXPECT_EQ(c.totalText, QStringLiteral("+21 GB"));
  EXPECT_TRUE(c.totalGrew);
  EXPECT_EQ(c.fromToText, QStringLiteral("from 10 GB to 31 GB scanned"));
  ASSERT_EQ(c.chips.size(), 6u);  // of 8, the 6 largest, largest first
  EXPECT_EQ(c.chips.front().bucket, StorageBucket::appData);
  EXPECT_EQ(c.chips.front().delta, 400 * kMB);
  EXPECT_EQ(c.chips.back().bucket, StorageBucket::images);
  ASSERT_EQ(c.rows.size(), 14u);
  EXPECT_EQ(c.rows.front().title, QStringLiteral("f19"));
  EXPECT_EQ(c.rows.front().deltaText, QStringLiteral("+2 GB"));
  EXPECT_EQ(c.rows.back().title, QStringLiteral("f6"));

  // The older baseline: the same total both times reads "+" and zero, not grown.
  const ChangesCardContent older = content(kE2);
  EXPECT_EQ(older.baselineID, kE2);
  EXPECT_EQ(older.sinceText, QStringLiteral("Since last week"));
  EXPECT_EQ(older.totalText, QStringLiteral("+21 GB"));
  trends.recordSnapshot(snapshot(kL2, kNow, root, 10 * kGB));  // within the hour: replaces L
  const ChangesCardContent same = content(kE2);
  EXPECT_EQ(same.totalText, QStringLiteral("+Zero KB"));
  EXPECT_FALSE(same.totalGrew);
  EXPECT_TRUE(same.chips.empty());
}

// ---- Finding a changed folder in the loaded tree --------------------------------------------------

TEST(ExplorerNavigation, APathIsFoundNameByNameBelowTheRootPassingOverDeletedNodes) {
  struct Case {
    std::string rootName;  // the scan root node's name (its path)
    std::string rootPath;  // as the snapshots write it
    std::string path;
    std::string found;  // the node's path; empty for none
  };
  const Case cases[] = {
      {"/scan", "/scan", "/scan", "/scan"},
      {"/scan", "/scan", "/scan/a/b", "/scan/a/b"},
      {"/scan", "/scan", "/scan/a/b/", "/scan/a/b"},
      {"/scan", "/scan", "/scan/a/gone", ""},      // deleted since the scan
      {"/scan", "/scan", "/scan/a/b/deeper", ""},  // below the loaded tree
      {"/scan", "/scan", "/scanner/a", ""},        // a text prefix is not a folder prefix
      {"/scan", "/scan", "/other", ""},
      {"/", "/", "/a/b", "/a/b"},  // a scan of the whole disk
      {"/System/Volumes/Data", "/", "/a/b", "/System/Volumes/Data/a/b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    test::MemTree t(c.rootName);
    FileNode* a = t.folder(t.root, "a");
    t.folder(a, "b");
    FileNode* gone = t.folder(a, "gone");
    gone->deleted = true;
    t.file(a, "file.bin", 1 << 20);
    FileNode* node = nodeAtPath(t.root, c.rootPath, c.path);
    EXPECT_EQ(node ? node->path() : std::string(), c.found);
  }
}
