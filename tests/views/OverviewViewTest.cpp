// The Overview on a scanned fixture home: the prompt without a scan, the header and tiles, the
// composition card's legend, hover and clicks, the largest folder opening the Explorer, the
// recommendations loading and acting, and the trend teaser with 0, 1 and several earlier scans.
#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "app/components/PageHeader.h"
#include "app/components/SegmentedBar.h"
#include "app/components/StatTile.h"
#include "app/components/SymbolView.h"
#include "app/screen/StaleScanBanner.h"
#include "model/Formatting.h"
#include "shell/SectionRouter.h"
#include "views/OverviewFixture.h"
#include "views/analysis/BiggestFoldersCard.h"
#include "views/analysis/CompositionCard.h"
#include "views/analysis/CompositionDonut.h"
#include "views/analysis/RecommendationsCard.h"
#include "views/analysis/RowButton.h"
#include "views/analysis/TrendTeaser.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr double kDay = 86'400;

void enter(QWidget* widget) {
  QEnterEvent event(QPointF(4, 4), QPointF(4, 4), widget->mapToGlobal(QPointF(4, 4)));
  QApplication::sendEvent(widget, &event);
}
void leave(QWidget* widget) {
  QEvent event(QEvent::Leave);
  QApplication::sendEvent(widget, &event);
}
void moveMouse(QWidget* widget, QPointF at) {
  QMouseEvent event(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

RowButton* rowFor(CompositionCard* card, StorageBucket bucket) {
  for (RowButton* row : card->rows())
    if (row->property("bucket").toInt() == static_cast<int>(bucket)) return row;
  return nullptr;
}

std::vector<QString> tileTitles(const OverviewScreen& o) {
  std::vector<QString> out;
  for (StatTile* tile : o.find<QWidget>(names::overviewStats)->findChildren<StatTile*>()) out.push_back(tile->title());
  return out;
}

ScanSnapshot snapshotOf(const std::string& root, double date, int64_t total) {
  ScanSnapshot s;
  s.id = "3F2504E0-4F89-41D3-9A0C-0000000000" + std::to_string(static_cast<int>(date) % 90 + 10);
  s.date = date;
  s.root = root;
  s.total = total;
  s.folders[root] = total;
  return s;
}

}  // namespace

TEST(OverviewView, WithoutAScanOnlyThePromptIsShown) {
  OverviewScreen o;
  o.start();
  ASSERT_TRUE(o.state->volume().has_value());
  o.show();
  ASSERT_NE(o.find<QWidget>(names::overviewPrompt), nullptr);
  EXPECT_EQ(o.find<QWidget>(names::overviewContent), nullptr);
  EXPECT_EQ(o.find<QWidget>(names::statTile), nullptr);
}

TEST(OverviewView, HeaderAndTilesFollowTheScanAndTheVolume) {
  OverviewScreen o;
  o.start();
  o.scan(ScanTarget::home());
  *o.fixture.now = o.state->scan()->finishedAt + 7200;
  o.show();
  auto* header = o.find<PageHeader>(names::overviewHeader);
  ASSERT_NE(header, nullptr);
  const ScanResult& scan = *o.state->scan();
  EXPECT_EQ(header->title(), "Overview");
  EXPECT_EQ(header->subtitle(), QString::fromUtf8("Home folder · %1 files in %2 s")
                                    .arg(QLocale().toString(static_cast<qlonglong>(scan.totalFiles)))
                                    .arg(QString::asprintf("%.1f", scan.duration)));
  auto* scanned = o.find<SymbolLabel>(names::overviewScanned);
  EXPECT_EQ(scanned->text(), "Scanned 2 hours ago");
  EXPECT_EQ(scanned->symbol(), "clock");
  EXPECT_EQ(scanned->toolTip(), "Tolvex keeps the last scan between sessions. Rescan to see the latest sizes.");
  EXPECT_EQ(tileTitles(o), (std::vector<QString>{"Used", "Free", "Purgeable", "Scanned"}));
  auto* scannedTile = o.find<QWidget>(names::overviewStats)->findChildren<StatTile*>().back();
  EXPECT_EQ(scannedTile->value(), QString::fromStdString(formatBytes(get(scan.root->size))));
  EXPECT_EQ(scannedTile->caption(),
            QStringLiteral("%1 folders").arg(QLocale().toString(static_cast<qlonglong>(scan.totalDirectories))));
  // 1 TB with 400 GB available.
  EXPECT_EQ(o.find<QWidget>(names::overviewStats)->findChildren<StatTile*>().front()->caption(),
            QString::fromUtf8("of 1 TB · 60%"));
  EXPECT_EQ(o.find<StaleScanBanner>(names::staleScanBanner), nullptr);
  EXPECT_TRUE(o.find<QWidget>(names::fullDiskAccessBanner)->isHidden());

  // A day later the stale banner appears above the tiles; its Rescan scans the target again.
  *o.fixture.now = o.fixture.now->load() + kDay;
  emit o.state->changed();
  settle();
  auto* banner = o.find<StaleScanBanner>(names::staleScanBanner);
  ASSERT_NE(banner, nullptr);
  EXPECT_TRUE(o.find<QLabel>(names::staleScanTitle)->text().startsWith("This scan is from "));
  QTest::mouseClick(banner->rescanButton(), Qt::LeftButton);
  EXPECT_TRUE(o.state->isScanning());
  EXPECT_TRUE(waitUntil([&] { return !o.state->isScanning(); }, 20000));
}

TEST(OverviewView, TheHeaderKeepsTheTargetOfTheScanOnScreenWhenALaterScanIsGated) {
  OverviewScreen o;
  o.start();
  o.scan(ScanTarget::home());
  o.show();
  *o.fixture.access = false;
  o.state->startScan(ScanTarget::wholeDisk());  // stops at the access onboarding
  settle();
  EXPECT_EQ(o.state->scanTarget(), ScanTarget::wholeDisk());
  EXPECT_TRUE(o.find<PageHeader>(names::overviewHeader)->subtitle().startsWith(QString::fromUtf8("Home folder · ")));
  EXPECT_TRUE(o.view->composition()->composition().otherSize == 0);  // still the home folder's figures
  EXPECT_FALSE(o.find<QWidget>(names::fullDiskAccessBanner)->isHidden());
  EXPECT_EQ(o.find<QWidget>(names::overviewStats)->findChildren<StatTile*>().size(), 4);
}

TEST(OverviewView, LegendHoverHighlightsACategoryAndAClickOpensItsFiles) {
  OverviewScreen o;
  o.start();
  o.scan(ScanTarget::home());
  FileFilter earlier;
  earlier.query = "report";
  earlier.minSize = 5;
  earlier.modifiedOlderThanDays = 30;
  o.state->setLargeFilter(earlier);
  o.show();
  CompositionCard* card = o.view->composition();
  const auto breakdown = o.state->bucketBreakdown();
  ASSERT_EQ(card->rows().size(), breakdown.size());
  EXPECT_EQ(o.find<QWidget>(names::compositionOtherRow), nullptr);  // a home scan has no unseen slice
  EXPECT_EQ(card->bar()->total(), card->composition().total);
  for (size_t i = 0; i < breakdown.size(); ++i)
    EXPECT_EQ(card->rows()[i]->property("bucket").toInt(), static_cast<int>(breakdown[i].first));

  auto* value = o.find<QLabel>(names::compositionCentreValue);
  auto* caption = o.find<QLabel>(names::compositionCentreCaption);
  EXPECT_EQ(caption->text(), "Total");
  RowButton* video = rowFor(card, StorageBucket::video);
  RowButton* trash = rowFor(card, StorageBucket::trash);
  ASSERT_TRUE(video && trash);
  const QImage before = card->donut()->grab().toImage();
  enter(video);
  EXPECT_EQ(card->selected(), StorageBucket::video);
  EXPECT_EQ(caption->text(), "Video");
  EXPECT_EQ(value->text(), "3.1 MB");
  EXPECT_EQ(video->findChild<QLabel*>(QLatin1String(names::compositionRowPercent))->text(),
            card->composition().percent(3 * OverviewScreen::kMiB));
  // The other sectors are dimmed: the middle of the largest one is paler than before.
  const size_t largest = 0;
  ASSERT_NE(card->donut()->sectors()[largest].bucket, StorageBucket::video);
  const QPoint at = card->donut()->sectorMiddle(largest).toPoint();
  EXPECT_NE(card->donut()->grab().toImage().pixel(at), before.pixel(at));

  // Straight to the next row: its enter may come before the first row's leave.
  enter(trash);
  leave(video);
  EXPECT_EQ(card->selected(), StorageBucket::trash);
  leave(trash);
  EXPECT_EQ(card->selected(), std::nullopt);
  EXPECT_EQ(caption->text(), "Total");

  QTest::mouseClick(trash, Qt::LeftButton);
  FileFilter expected;
  expected.bucket = StorageBucket::trash;
  EXPECT_EQ(o.state->largeFilter(), expected);
  EXPECT_EQ(o.state->section(), AppSection::large);
}

TEST(OverviewView, HoveringADonutSectorHighlightsItsCategory) {
  OverviewScreen o;
  o.start(true);
  o.scan(ScanTarget::wholeDisk());
  o.show();
  CompositionCard* card = o.view->composition();
  ASSERT_GT(card->composition().otherSize, 0);
  ASSERT_NE(o.find<QWidget>(names::compositionOtherRow), nullptr);
  EXPECT_EQ(card->bar()->total(), o.state->volume()->total);
  EXPECT_EQ(card->bar()->segments().back().id, "macos");
  CompositionDonut* donut = card->donut();
  const auto& sectors = donut->sectors();
  ASSERT_EQ(sectors.size(), card->composition().rows.size() + 1);
  ASSERT_EQ(sectors.back().bucket, std::nullopt);
  // The unseen slice is most of this disk; a category sector is hovered, then the grey one.
  const size_t category = 0;
  moveMouse(donut, donut->sectorMiddle(category));
  EXPECT_EQ(card->selected(), sectors[category].bucket);
  moveMouse(donut, donut->sectorMiddle(sectors.size() - 1));
  EXPECT_EQ(card->selected(), std::nullopt);
  EXPECT_EQ(o.find<QLabel>(names::compositionCentreCaption)->text(), "Total");
  moveMouse(donut, donut->sectorMiddle(category));
  leave(donut);
  EXPECT_EQ(card->selected(), std::nullopt);
}

TEST(OverviewView, ANewRevisionClearsTheHighlight) {
  OverviewScreen o;
  o.start();
  o.scan(ScanTarget::home());
  o.show();
  enter(rowFor(o.view->composition(), StorageBucket::video));
  ASSERT_EQ(o.view->composition()->selected(), StorageBucket::video);
  o.state->pruneDeleted({o.home.path("Documents/report.pdf")});
  settle();
  ASSERT_NE(o.view->composition(), nullptr);
  EXPECT_EQ(o.view->composition()->selected(), std::nullopt);
  EXPECT_EQ(o.find<QLabel>(names::compositionCentreCaption)->text(), "Total");
}

TEST(OverviewView, ALargestFolderOpensTheExplorerAtItsChain) {
  OverviewScreen o;
  o.start();
  o.scan(ScanTarget::home());
  o.show();
  const auto& rows = o.view->biggestFolders()->rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]->text(), "Data");
  EXPECT_EQ(rows[0]->findChild<ElidedLabel*>(QLatin1String(names::biggestFolderPath))->text(),
            "~/Library/Containers/com.example.Editor/Data");
  QTest::mouseClick(rows[0], Qt::LeftButton);
  EXPECT_EQ(o.state->section(), AppSection::explorer);
  std::vector<std::string> chain;
  for (FileNode* n : o.state->explorerStack()) chain.push_back(n->path());
  EXPECT_EQ(chain, (std::vector<std::string>{o.home.path(""), o.home.path("Library"), o.home.path("Library/Containers"),
                                             o.home.path("Library/Containers/com.example.Editor"),
                                             o.home.path("Library/Containers/com.example.Editor/Data")}));
}

TEST(OverviewView, RecommendationsLoadTheJunkOnceAndTheirActionsLeadOn) {
  OverviewScreen o;
  o.junkGate = std::make_shared<Gate>();
  o.start();
  o.scan(ScanTarget::home());
  ASSERT_TRUE(o.state->junk().empty());
  o.show();
  RecommendationsCard* card = o.view->recommendations();
  EXPECT_TRUE(o.state->junkLoading());
  EXPECT_FALSE(o.find<QWidget>(names::recommendationsSpinner)->isHidden());
  EXPECT_TRUE(o.find<QWidget>(names::recommendationsEmpty)->isHidden());
  o.junkGate->open();
  o.waitForJunk();
  EXPECT_TRUE(o.find<QWidget>(names::recommendationsSpinner)->isHidden());
  ASSERT_FALSE(card->rows().empty());
  RowButton* junk = nullptr;
  for (RowButton* row : card->rows())
    if (row->property("recommendation").toString() == "junk") junk = row;
  ASSERT_NE(junk, nullptr);
  EXPECT_TRUE(o.find<QWidget>(names::recommendationsEmpty)->isHidden());

  // Showing the Overview again while findings exist starts no second search.
  o.view = std::make_unique<OverviewView>(*o.state);
  o.view->show();
  settle();
  EXPECT_FALSE(o.state->junkLoading());
  card = o.view->recommendations();
  junk = nullptr;
  for (RowButton* row : card->rows())
    if (row->property("recommendation").toString() == "junk") junk = row;
  ASSERT_NE(junk, nullptr);
  QTest::mouseClick(junk, Qt::LeftButton);
  EXPECT_EQ(o.state->section(), AppSection::smartClean);
  EXPECT_TRUE(waitUntil([&] { return o.state->smartPhase() != SmartPhase::scanning; }, 20000));
}

TEST(OverviewView, WithNothingToSuggestTheCardSaysSo) {
  OverviewScreen o;
  std::remove(o.home.path("Library/Caches/com.example.editor/cache.db").c_str());
  o.start();
  o.scan(ScanTarget::home());
  o.show();
  o.waitForJunk();
  EXPECT_TRUE(o.view->recommendations()->rows().empty());
  EXPECT_FALSE(o.find<QWidget>(names::recommendationsEmpty)->isHidden());
  EXPECT_EQ(o.find<QLabel>(names::recommendationsEmpty)->text(), "Nothing urgent. Nice work!");
}

TEST(OverviewView, TheTeaserComparesWithThePreviousScanOfTheSameRoot) {
  struct Case {
    std::vector<double> earlierDaysAgo;  // snapshots of the home folder written before the start
    bool shown;
  } cases[] = {{{}, false}, {{3}, true}, {{3, 10, 20}, true}};
  for (const Case& c : cases) {
    OverviewScreen o;
    const double now = o.fixture.now->load();
    std::vector<ScanSnapshot> earlier;
    for (double days : c.earlierDaysAgo) earlier.push_back(snapshotOf(o.home.path(""), now - days * kDay, 1000));
    earlier.push_back(snapshotOf("/", now - kDay, 5));  // another root never counts
    o.writeSnapshots(earlier);
    o.start();
    o.scan(ScanTarget::home());
    o.show();
    TrendTeaser* teaser = o.view->teaser();
    EXPECT_EQ(!teaser->isHidden(), c.shown) << c.earlierDaysAgo.size();
    if (!c.shown) continue;
    const int64_t total = o.state->trends().snapshotsForRoot(o.home.path(""))[0].total;
    EXPECT_EQ(teaser->text(),
              QStringLiteral("Since the scan 3 days ago: +%1").arg(QString::fromStdString(formatBytes(total - 1000))));
    QTest::mouseClick(o.find<QWidget>(names::trendTeaserButton), Qt::LeftButton);
    EXPECT_EQ(o.state->section(), AppSection::trends);
  }
}

TEST(OverviewView, TheRouterShowsTheOverviewAndRebuildsItOnANewRevision) {
  OverviewScreen o;
  o.start();
  o.scan(ScanTarget::home());
  o.state->setSection(AppSection::overview);
  SectionRouter router(*o.state);
  router.resize(1040, 680);
  static_cast<QWidget&>(router).show();
  settle();
  QPointer<OverviewView> first = router.findChild<OverviewView*>();
  ASSERT_TRUE(first);
  o.state->pruneDeleted({o.home.path("Movies/clip.mov")});
  settle();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(first);
  EXPECT_NE(router.findChild<OverviewView*>(), nullptr);
}

TEST(OverviewView, FitsTheNarrowestWindowWithoutScrollingSideways) {
  OverviewScreen o;
  o.start(true);
  o.scan(ScanTarget::wholeDisk());
  o.show({800, 680});  // a 1040-wide window less the sidebar
  auto* scroll = o.find<QScrollArea>(names::overviewScroll);
  ASSERT_NE(scroll, nullptr);
  ASSERT_NE(o.find<QWidget>(names::compositionOtherRow), nullptr);
  EXPECT_LE(scroll->widget()->minimumSizeHint().width(), scroll->viewport()->width());
  EXPECT_EQ(scroll->widget()->width(), scroll->viewport()->width());
}
