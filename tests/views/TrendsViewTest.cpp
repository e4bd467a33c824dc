// The Trends screen on an application state whose trend store is loaded from files written before
// it starts: no samples, a few, 120 days of hourly samples; scan snapshots against a real scan.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <fstream>

#include "app/ObjectNames.h"
#include "app/components/SymbolTile.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "views/ExplorerFixture.h"
#include "views/analysis/ChangeRow.h"
#include "views/analysis/ChangesCard.h"
#include "views/analysis/ForecastCard.h"
#include "views/analysis/SpaceChart.h"
#include "views/analysis/TrendsView.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr double kDay = 86'400;
constexpr int64_t kMB = 1'000'000;
constexpr int64_t kGB = 1'000'000'000;
constexpr int64_t kDisk = 1000 * kGB;

std::string uuid(int n) {
  char text[40];
  std::snprintf(text, sizeof text, "3F2504E0-4F89-41D3-9A0C-%012d", n);
  return text;
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Hourly samples over `days` up to `now`, used space growing by `perDay` to `lastUsed`.
std::vector<SpaceSample> hourlySamples(double now, int days, int64_t lastUsed, int64_t perDay) {
  std::vector<SpaceSample> out;
  const int count = days * 24;
  for (int i = count - 1; i >= 0; --i) {
    const double hoursAgo = i;
    out.push_back({now - hoursAgo * 3600, lastUsed - static_cast<int64_t>(perDay * hoursAgo / 24), kDisk});
  }
  return out;
}

template <typename T>
T* find(QWidget* root, const char* name) {
  return root->findChild<T*>(QLatin1String(name));
}

// An application state started on trend files written beforehand, and its Trends screen.
struct TrendsScreen {
  AppFixture fixture;
  FakeServices services;
  std::optional<VolumeInfo> volume = VolumeInfo{"Disk", kDisk, 400 * kGB, 400 * kGB};
  std::unique_ptr<AppState> state;
  std::unique_ptr<TrendsView> view;
  std::shared_ptr<Gate> gate;  // when set, a scan's walk waits at it and finds nothing

  double now() const { return fixture.now->load(); }
  void writeSamples(const std::vector<SpaceSample>& samples) {
    writeText(fixture.appFolder + "/space.json", *encodeSamples(samples));
  }
  void writeSnapshots(const std::vector<ScanSnapshot>& snapshots) {
    writeText(fixture.appFolder + "/scans.json", *encodeSnapshots(snapshots));
  }

  void start() {
    AppEnvironment env = fixture.environment();
    auto shown = volume;
    env.readVolume = [shown] { return shown; };
    if (gate) {
      auto g = gate;
      env.walk = [g](Scanner&, const std::string&, const std::set<std::string>&, const Scanner::Progress&) {
        g->wait();
        return std::optional<ScanResult>();
      };
    }
    state = std::make_unique<AppState>(env);
    waitUntil([&] { return !state->isRestoringScan(); });
  }
  void show(QSize size = {1040, 680}) {
    view = std::make_unique<TrendsView>(*state);
    view->resize(size);
    view->show();
    settle();
  }
  ~TrendsScreen() {
    view.reset();
    if (gate) gate->open();
    if (state) state->waitForBackgroundWork();
  }

  ForecastCard* forecast() const { return view->forecastCard(); }
  ChangesCard* changes() const { return view->changesCard(); }
  bool summaryShown() const { return !find<QWidget>(forecast(), names::forecastSummary)->isHidden(); }
  bool learningShown() const { return !find<QWidget>(forecast(), names::forecastLearning)->isHidden(); }
  bool chartShown() const { return !forecast()->chart()->isHidden(); }
  QString summaryTitle() const { return find<QLabel>(forecast(), names::forecastTitle)->text(); }
  QString summarySymbol() const {
    return find<SymbolTile>(find<QWidget>(forecast(), names::forecastSummary), names::symbolTile)->symbol();
  }
  int learnedSteps() const { return find<QProgressBar>(forecast(), names::forecastLearningProgress)->value(); }
};

}  // namespace

// ---- Forecast card -----------------------------------------------------------------------------

TEST(TrendsView, WithoutSamplesTheCardIsLearningAndHasNoChart) {
  TrendsScreen t;
  t.start();
  t.show();
  EXPECT_TRUE(t.learningShown());
  EXPECT_FALSE(t.summaryShown());
  EXPECT_EQ(t.learnedSteps(), 0);
  EXPECT_FALSE(t.chartShown());
  EXPECT_EQ(find<QLabel>(t.view.get(), names::pageHeaderTitle)->text(), QStringLiteral("Trends"));
}

TEST(TrendsView, AFewSamplesShowTheLearningProgressAndTheChartWithoutProjection) {
  struct Case {
    std::vector<double> ages;  // days before now
    int steps;                 // of 1000
    bool chart;
  };
  const Case cases[] = {
      {{0.5}, 250, false},             // one sample: no chart yet
      {{1, 0.5, 0}, 500, true},        // a day: half way
      {{2.5, 2, 1.5}, 1000, true},     // full from two days on, still too few samples to forecast
      {{3, 2.5, 2, 1.6}, 1000, true},  // four samples, but spanning less than two days
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.steps);
    TrendsScreen t;
    std::vector<SpaceSample> samples;
    for (double age : c.ages) samples.push_back({t.now() - age * kDay, 600 * kGB, kDisk});
    t.writeSamples(samples);
    t.start();
    t.show();
    EXPECT_TRUE(t.learningShown());
    EXPECT_EQ(t.learnedSteps(), c.steps);
    EXPECT_EQ(t.chartShown(), c.chart);
    if (c.chart) {
      EXPECT_TRUE(t.forecast()->chart()->projection().empty());
      EXPECT_FALSE(t.forecast()->chart()->showsFullRule());
    }
  }
}

TEST(TrendsView, OneHundredTwentyDaysGiveAForecastTheChartAndItsProjection) {
  struct Case {
    int64_t available;
    int64_t perDay;
    QString title;
    QString symbol;
    ThemeColor tint;
    bool rule;
  };
  const Case cases[] = {
      {400 * kGB, 1 * kGB, QStringLiteral("Full in about 13 months"), QStringLiteral("calendar.badge.clock"),
       Theme::success(), false},
      {5 * kGB, 1 * kGB, QStringLiteral("Full in about 5 days"), QStringLiteral("exclamationmark.triangle.fill"),
       Theme::danger(), true},
      {400 * kGB, -1 * kGB, QStringLiteral("Your disk isn’t filling up"), QStringLiteral("checkmark.seal.fill"),
       Theme::success(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title.toStdString());
    TrendsScreen t;
    t.volume = VolumeInfo{"Disk", kDisk, c.available, c.available};
    const auto samples = hourlySamples(t.now(), 120, kDisk - c.available, c.perDay);
    t.writeSamples(samples);
    t.start();
    ASSERT_EQ(t.state->trends().samples().size(), 2880u);
    t.show();
    EXPECT_TRUE(t.summaryShown());
    EXPECT_FALSE(t.learningShown());
    EXPECT_EQ(t.summaryTitle(), c.title);
    EXPECT_EQ(t.summarySymbol(), c.symbol);
    EXPECT_EQ(find<SymbolTile>(find<QWidget>(t.forecast(), names::forecastSummary), names::symbolTile)->tint(), c.tint);
    ASSERT_TRUE(t.chartShown());
    SpaceChart* chart = t.forecast()->chart();
    EXPECT_EQ(chart->points().size(), 153u);  // every 19th of 2,880 and the newest
    EXPECT_EQ(chart->projection().size(), c.perDay > 0 ? 2u : 0u);
    EXPECT_EQ(chart->showsFullRule(), c.rule);
    if (c.rule) {
      EXPECT_DOUBLE_EQ(chart->scale().upper, 1.03 * kDisk);
    }
    EXPECT_FALSE(chart->valueLabels().isEmpty());
    EXPECT_GE(chart->dateLabels().size(), 3);
  }
}

TEST(TrendsView, WithoutVolumeInformationThereIsNoForecastAndNoChart) {
  TrendsScreen t;
  t.volume.reset();
  t.writeSamples(hourlySamples(t.now(), 120, 600 * kGB, kGB));
  t.start();
  t.show();
  EXPECT_TRUE(t.learningShown());
  EXPECT_EQ(t.learnedSteps(), 1000);
  EXPECT_FALSE(t.chartShown());
}

TEST(TrendsView, NewSamplesInTheStoreRedrawTheCard) {
  TrendsScreen t;
  t.start();
  t.show();
  ASSERT_FALSE(t.chartShown());
  t.state->trends().recordSample(t.volume, t.now() - 3 * 3600);
  t.state->trends().recordSample(t.volume, t.now());
  EXPECT_TRUE(waitUntil([&] { return t.chartShown(); }));
  EXPECT_EQ(t.forecast()->chart()->points().size(), 2u);
}

// ---- Folder changes card -----------------------------------------------------------------------

TEST(TrendsView, WithoutSnapshotsTheChangesCardOffersAWholeDiskScanDisabledWhileScanning) {
  TrendsScreen t;
  t.gate = std::make_shared<Gate>();
  t.start();
  t.show();
  auto* text = find<QLabel>(t.changes(), names::changesFirstText);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->text(), QStringLiteral("Tolvex remembers each scan. After the second one you’ll see exactly which "
                                         "folders grew in between."));
  auto* scan = find<QPushButton>(t.changes(), names::changesScanDisk);
  ASSERT_TRUE(scan);
  EXPECT_EQ(scan->text(), QStringLiteral("Scan Entire Disk"));
  EXPECT_TRUE(scan->isEnabled());
  t.state->startScan(ScanTarget::folder(t.fixture.home.home()));  // another target first
  ASSERT_TRUE(waitUntil([&] { return t.gate->someoneWaiting(); }));
  settle();
  EXPECT_FALSE(scan->isEnabled());
  t.gate->open();
  ASSERT_TRUE(waitUntil([&] { return !t.state->isScanning(); }));
  settle();
  scan = find<QPushButton>(t.changes(), names::changesScanDisk);
  ASSERT_TRUE(scan && scan->isEnabled());
  QTest::mouseClick(scan, Qt::LeftButton);
  EXPECT_EQ(t.state->scanTarget(), ScanTarget::wholeDisk());
  EXPECT_TRUE(t.state->isScanning());
}

TEST(TrendsView, OneSnapshotTellsWhenTheFirstMeasurementWasSaved) {
  TrendsScreen t;
  ScanSnapshot only;
  only.id = uuid(1);
  only.date = t.now() - 3 * kDay;
  only.root = "/data";
  only.total = 5 * kGB;
  only.folders = {{"/data", 5 * kGB}};
  t.writeSnapshots({only});
  t.start();
  t.show();
  EXPECT_EQ(
      find<QLabel>(t.changes(), names::changesFirstText)->text(),
      QStringLiteral("First measurement saved 3 days ago. Scan again another day and Tolvex will show exactly which "
                     "folders grew."));
  EXPECT_FALSE(find<QPushButton>(t.changes(), names::changesScanDisk));
}

namespace {

// A real scan of a small tree (one folder excluded) and two earlier snapshots of the same root in
// which three folders were much larger.
struct ComparedScan : TrendsScreen {
  TreeBuilder tree{fixture.home / "scan"};
  std::string root = tree.base();

  ComparedScan() {
    tree.allocatedFile("docs/big.bin", 20 << 20);
    tree.allocatedFile("media/movie.mov", 3 << 20);
    tree.allocatedFile("skip/kept.bin", 1 << 20);
    auto earlier = [&](int n, double daysAgo, int64_t scale) {
      ScanSnapshot s;
      s.id = uuid(n);
      s.date = now() - daysAgo * kDay;
      s.root = root;
      s.total = 900 * kMB * scale;
      s.folders = {{root, 900 * kMB * scale},
                   {root + "/docs", 200 * kMB * scale},
                   {root + "/gone", 300 * kMB * scale},
                   {root + "/skip", 250 * kMB * scale}};
      s.buckets = {{"1", 700 * kMB * scale}};
      return s;
    };
    writeSnapshots({earlier(2, 5, 2), earlier(1, 2, 1)});
    start();
    state->setExcludedRaw(QString::fromStdString(tree.path("skip")));
    state->startScan(ScanTarget::folder(root));
    waitUntil([&] { return state->scan().has_value(); }, 20000);
    state->setSection(AppSection::trends);
    show({1500, 950});
  }

  ChangeRow* row(const QString& title) const {
    for (ChangeRow* r : changes()->rows())
      if (r->content().title == title) return r;
    return nullptr;
  }
  QString text(const char* name) const { return find<QLabel>(changes(), name)->text(); }
};

}  // namespace

TEST(TrendsView, TheComparisonShowsTotalsCategoriesAndTheFoldersThatChanged) {
  ComparedScan t;
  ASSERT_TRUE(t.state->scan());
  ASSERT_EQ(t.state->trends().snapshotsForRoot(t.root).size(), 3u);
  const ChangesCardContent& content = t.changes()->content();
  ASSERT_EQ(content.face, ChangesCardContent::Face::comparison);
  EXPECT_EQ(content.baselineID, uuid(1));  // the scan before the latest
  EXPECT_EQ(find<QToolButton>(t.changes(), names::changesBaselineMenu)->text(), QStringLiteral("Since 2 days ago"));
  auto* total = find<QLabel>(t.changes(), names::changesTotal);
  EXPECT_TRUE(total->text().startsWith(QStringLiteral("\u2212")));
  EXPECT_EQ(total->palette().color(QPalette::WindowText), Theme::success(total->palette()));  // it shrank
  EXPECT_TRUE(t.text(names::changesFromTo).startsWith(QStringLiteral("from 900 MB to ")));
  EXPECT_EQ(t.changes()->findChildren<QWidget*>(QLatin1String(names::changesChip)).size(), 1);

  QStringList titles;
  for (ChangeRow* r : t.changes()->rows()) titles << r->content().title;
  EXPECT_EQ(titles, (QStringList{"gone", "skip", "docs", "Other items in scan"}));
  ChangeRow* gone = t.row("gone");
  EXPECT_TRUE(find<QWidget>(gone, names::changeRowRemovedTag));
  EXPECT_FALSE(find<QWidget>(gone, names::changeRowNewTag));
  auto* goneDelta = find<QLabel>(gone, names::changeRowDelta);
  EXPECT_EQ(goneDelta->text(), QStringLiteral("\u2212300 MB"));
  EXPECT_EQ(goneDelta->palette().color(QPalette::WindowText), Theme::success(goneDelta->palette()));
  EXPECT_EQ(find<QLabel>(gone, names::changeRowSize)->text(), QStringLiteral("Zero KB"));
  EXPECT_EQ(find<QLabel>(t.row("docs"), names::changeRowSize)->text().isEmpty(), false);
  ChangeRow* rest = t.row("Other items in scan");
  EXPECT_FALSE(find<QWidget>(rest, names::changeRowRemovedTag));
  EXPECT_TRUE(find<QLabel>(rest, names::changeRowSize)->text().isEmpty());
  EXPECT_EQ(gone->toolTip(), QStringLiteral("Show in Explorer"));
}

TEST(TrendsView, AChangedFolderOpensInTheExplorerOrFallsBackToTheFileManager) {
  ComparedScan t;
  struct Case {
    const char* title;
    std::string explorerFolder;  // empty: the Explorer is not opened
    std::vector<std::string> revealed;
  };
  const Case cases[] = {
      {"docs", t.tree.path("docs"), {}},
      {"Other items in scan", t.root, {}},  // a remainder opens its folder
      {"gone", "", {}},                     // not in the tree, not on disk: nothing
      {"skip", "", {t.tree.path("skip")}},  // not in the tree, but on disk: revealed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    t.state->setSection(AppSection::trends);
    t.state->setExplorerStack({t.state->scan()->root});
    t.services.revealed.clear();
    settle();
    ChangeRow* row = t.row(QString::fromUtf8(c.title));
    ASSERT_TRUE(row);
    QTest::mouseClick(row, Qt::LeftButton);
    if (c.explorerFolder.empty()) {
      EXPECT_EQ(t.state->section(), AppSection::trends);
      EXPECT_EQ(t.state->explorerStack().size(), 1u);
    } else {
      EXPECT_EQ(t.state->section(), AppSection::explorer);
      ASSERT_FALSE(t.state->explorerStack().empty());
      EXPECT_EQ(t.state->explorerStack().front(), t.state->scan()->root);
      EXPECT_EQ(t.state->explorerStack().back()->path(), c.explorerFolder);
    }
    EXPECT_EQ(t.services.revealed, c.revealed);
  }
}

TEST(TrendsView, TheBaselineMenuChoosesAnEarlierScanAndAPrunedChoiceFallsBack) {
  ComparedScan t;
  auto* menuButton = find<QToolButton>(t.changes(), names::changesBaselineMenu);
  ASSERT_TRUE(menuButton && menuButton->menu());
  EXPECT_EQ(menuButton->toolTip(), QStringLiteral("Choose the earlier scan to compare with"));
  const auto actions = menuButton->menu()->actions();
  ASSERT_EQ(actions.size(), 2);  // the two earlier scans, newest first
  actions[1]->trigger();
  settle();
  EXPECT_EQ(t.changes()->baselineID(), uuid(2));
  EXPECT_EQ(t.changes()->content().baselineID, uuid(2));
  EXPECT_EQ(find<QToolButton>(t.changes(), names::changesBaselineMenu)->text(), QStringLiteral("Since 5 days ago"));
  EXPECT_TRUE(t.text(names::changesFromTo).startsWith(QStringLiteral("from 1.8 GB to ")));

  t.changes()->chooseBaseline("0A0A0A0A-0000-4000-8000-000000000000");  // no such snapshot (pruned)
  EXPECT_EQ(t.changes()->baselineID(), "0A0A0A0A-0000-4000-8000-000000000000");
  EXPECT_EQ(t.changes()->content().baselineID, uuid(1));
}

TEST(TrendsView, TheRouterShowsTheTrendsScreenForItsSection) {
  TrendsScreen t;
  t.start();
  t.state->setSection(AppSection::trends);
  SectionRouter router(*t.state);
  EXPECT_TRUE(qobject_cast<TrendsView*>(router.currentScreen()));
}
