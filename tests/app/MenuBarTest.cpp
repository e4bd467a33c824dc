// The menu-bar item's texts, the panel over a real application state, and the tray extra that
// shows it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include "app/ObjectNames.h"
#include "app/components/Buttons.h"
#include "app/components/DiskRing.h"
#include "app/components/SymbolView.h"
#include "shell/MainWindow.h"
#include "shell/MenuBarExtra.h"
#include "shell/MenuBarPanel.h"
#include "shell/logic/MenuBarText.h"
#include "support/qt/AppFixture.h"
#include "support/qt/FakeEngines.h"
#include "system/RemovedApp.h"
#include "views/analysis/RowButton.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kGB = 1'000'000'000;
constexpr double kDay = 86'400;

template <typename T>
T* find(QWidget* root, const char* name) {
  T* found = root->findChild<T*>(QLatin1String(name));
  if (!found) ADD_FAILURE() << "no widget named " << name;
  return found;
}

// An application state over a volume the test sets, a junk search that finds nothing, and a panel.
struct PanelFixture {
  AppFixture app;
  std::shared_ptr<std::optional<VolumeInfo>> volume =
      std::make_shared<std::optional<VolumeInfo>>(VolumeInfo{"Macintosh HD", 500 * kGB, 120 * kGB, 120 * kGB});
  std::shared_ptr<std::atomic<int>> volumeReads = std::make_shared<std::atomic<int>>(0);
  Scripted<std::vector<JunkFinding>> junk;
  std::unique_ptr<AppState> state;
  std::unique_ptr<MenuBarPanel> panel;

  PanelFixture() {
    AppEnvironment env = app.environment();
    env.makeAppWatcher = nullptr;
    auto shown = volume;
    auto reads = volumeReads;
    env.readVolume = [shown, reads] {
      ++*reads;
      return *shown;
    };
    auto search = junk;
    env.findJunk = [search](const std::vector<JunkRule>&, bool, double) { return search.take(); };
    state = std::make_unique<AppState>(env);
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
    panel = std::make_unique<MenuBarPanel>(*state);
  }
  ~PanelFixture() {
    panel.reset();
    state->waitForBackgroundWork();
    QCoreApplication::processEvents();
  }
  double now() const { return app.now->load(); }
  // Opens the panel (which reads the volume again) and lets its rows settle.
  void open() {
    panel->show();
    QCoreApplication::processEvents();
  }
  // Daily samples of the last `days` days, free space shrinking by `perDay`.
  void recordShrinkingSpace(int days, int64_t perDay) {
    for (int d = days; d >= 1; --d) {
      VolumeInfo past = **volume;
      past.available += perDay * d;
      state->trends().recordSample(past, now() - d * kDay);
    }
  }
  template <typename T>
  T* widget(const char* name) const {
    return find<T>(panel.get(), name);
  }
};

RemovedApp removedApp(const std::string& name, std::vector<int64_t> sizes) {
  RemovedApp app{name, "com.example." + name, {}};
  for (int64_t size : sizes) app.items.push_back(RelatedItem{"/Users/me/Library/Caches/" + name, "Caches", size});
  return app;
}

}  // namespace

// ---- Texts ------------------------------------------------------------------------------------------

TEST(MenuBarText, TheItemShowsTheFreeSpaceAndWarnsBelowTheThreshold) {
  struct Row {
    std::optional<VolumeInfo> volume;
    int lowSpaceGB;
    const char* symbol;
    std::optional<QString> title;
  };
  const auto free = [](int64_t bytes) {
    return std::optional<VolumeInfo>(VolumeInfo{"Disk", 500 * kGB, bytes, bytes});
  };
  const char* drive = "internaldrive";
  const char* warning = "exclamationmark.triangle.fill";
  const Row rows[] = {
      {std::nullopt, 10, drive, std::nullopt},
      {free(10 * kGB), 10, drive, QStringLiteral("10 GB")},  // equal: no warning
      {free(10 * kGB - 1), 10, warning, QStringLiteral("10 GB")},
      {free(0), 0, drive, QStringLiteral("Zero KB")},  // "Never" never warns
      {free(-5), 5, warning, QStringLiteral("Zero KB")},
      {free(400 * kGB), 50, drive, QStringLiteral("400 GB")},
      {free(49 * kGB), 50, warning, QStringLiteral("49 GB")},
  };
  for (const Row& row : rows) {
    const MenuBarLabelContent label = menuBarLabel(row.volume, row.lowSpaceGB);
    EXPECT_EQ(label.symbol, QLatin1String(row.symbol));
    EXPECT_EQ(label.title, row.title);
  }
}

TEST(MenuBarText, SpaceLeftoversAndAutoCleanTexts) {
  VolumeInfo volume{"Disk", 500 * kGB, 120 * kGB, 120 * kGB};
  EXPECT_EQ(freeOfText(volume), QStringLiteral("120 GB free of 500 GB"));
  EXPECT_EQ(usedPercentText(volume), QStringLiteral("76%"));
  EXPECT_EQ(purgeableText(volume), std::nullopt);
  volume.availableForImportantUsage += 1;
  EXPECT_EQ(purgeableText(volume), QStringLiteral("+ 1 KB purgeable"));
  volume.availableForImportantUsage = volume.available - 1;
  EXPECT_EQ(purgeableText(volume), std::nullopt);
  volume.available = std::numeric_limits<int64_t>::min();  // no overflow into a huge purgeable figure
  EXPECT_EQ(purgeableText(volume), std::nullopt);
  EXPECT_EQ(usedPercentText(VolumeInfo{"Disk", 0, 0, 0}), QStringLiteral("0%"));

  EXPECT_EQ(leftoversText(removedApp("Sketch", {})), QStringLiteral("Sketch left Zero KB behind"));
  EXPECT_EQ(leftoversText(removedApp("Sketch", {1 * kGB, 500'000'000})), QStringLiteral("Sketch left 1.5 GB behind"));

  const double now = 1.8e9;
  const QDateTime twoDaysAgo = QDateTime::fromMSecsSinceEpoch(qint64((now - 2 * kDay - 60) * 1000), Qt::UTC);
  EXPECT_EQ(autoCleanText(twoDaysAgo, 2'300'000'000, now), QStringLiteral("Auto-clean 2 days ago: 2.3 GB"));
  EXPECT_EQ(autoCleanText(twoDaysAgo, -1, now), QStringLiteral("Auto-clean 2 days ago: Zero KB"));
}

TEST(MenuBarText, ThePopupOpensBesideTheIconInsideTheScreen) {
  const QRect screen(0, 0, 1920, 1080);
  const QSize panel(290, 300);
  struct Row {
    QRect icon;
    QPoint cursor;
    QPoint at;
  };
  const Row rows[] = {
      {QRect(1000, 0, 24, 24), {}, QPoint(1011 - 145, 28)},      // top bar: centred under the icon
      {QRect(1000, 1056, 24, 24), {}, QPoint(1011 - 145, 752)},  // bottom panel: over it
      {QRect(1900, 0, 20, 24), {}, QPoint(1920 - 290, 28)},      // at the right edge: pulled in
      {QRect(0, 0, 20, 24), {}, QPoint(0, 28)},                  // at the left edge
      {QRect(), QPoint(500, 10), QPoint(500 - 145, 14)},         // place unknown: at the cursor
      {QRect(), QPoint(500, 1070), QPoint(500 - 145, 1070 - 4 - 300)},
  };
  for (const Row& row : rows) EXPECT_EQ(popupPosition(row.icon, panel, screen, row.cursor), row.at) << row.at.x();
  // A screen that does not start at the origin.
  EXPECT_EQ(popupPosition(QRect(), panel, QRect(1920, 0, 1280, 800), QPoint(3190, 5)), QPoint(3200 - 290, 9));
}

// ---- Panel ------------------------------------------------------------------------------------------

TEST(MenuBarPanel, ShowsTheVolumeItsFillStateAndPurgeableSpace) {
  PanelFixture f;
  **f.volume = VolumeInfo{"Macintosh HD", 500 * kGB, 120 * kGB, 135 * kGB};
  f.open();
  EXPECT_EQ(f.panel->width(), 290);
  EXPECT_TRUE(f.widget<QWidget>(names::menuBarSpace)->isVisible());
  EXPECT_EQ(f.widget<QLabel>(names::menuBarVolumeName)->text(), QStringLiteral("Macintosh HD"));
  EXPECT_EQ(f.widget<QLabel>(names::menuBarFree)->text(), QStringLiteral("120 GB free of 500 GB"));
  EXPECT_EQ(f.widget<QLabel>(names::menuBarPercent)->text(), QStringLiteral("76%"));
  auto* purgeable = f.widget<QLabel>(names::menuBarPurgeable);
  EXPECT_TRUE(purgeable->isVisible());
  EXPECT_EQ(purgeable->text(), QStringLiteral("+ 15 GB purgeable"));
  auto* ring = f.widget<DiskRing>(names::menuBarRing);
  EXPECT_EQ(ring->used(), 380 * kGB);
  EXPECT_EQ(ring->total(), 500 * kGB);
  EXPECT_EQ(ring->size(), QSize(54, 54));
  // Nothing else to tell: no forecast, no clean yet, no removed application.
  EXPECT_FALSE(f.widget<QWidget>(names::menuBarForecast)->isVisible());
  EXPECT_FALSE(f.widget<QWidget>(names::menuBarAutoClean)->isVisible());
  EXPECT_FALSE(f.widget<QWidget>(names::menuBarLeftovers)->isVisible());

  // The same space for important use: the purgeable line goes.
  **f.volume = VolumeInfo{"Macintosh HD", 500 * kGB, 120 * kGB, 120 * kGB};
  f.panel->hide();
  f.open();
  EXPECT_FALSE(purgeable->isVisible());
}

TEST(MenuBarPanel, WithoutAVolumeOnlyTheActionsRemain) {
  PanelFixture f;
  *f.volume = std::nullopt;
  f.recordShrinkingSpace(10, 5 * kGB);
  f.open();
  EXPECT_FALSE(f.widget<QWidget>(names::menuBarSpace)->isVisible());
  EXPECT_FALSE(f.widget<QWidget>(names::menuBarForecast)->isVisible());
  EXPECT_TRUE(f.widget<QWidget>(names::menuBarQuickClean)->isVisible());
  EXPECT_TRUE(f.widget<QPushButton>(names::menuBarOpen)->isVisible());
  EXPECT_TRUE(f.widget<QPushButton>(names::menuBarQuit)->isVisible());
  EXPECT_EQ(f.widget<QPushButton>(names::menuBarQuickClean)->text(), QStringLiteral("Quick Clean…"));
}

TEST(MenuBarPanel, EachOpeningReadsTheVolumeAgain) {
  PanelFixture f;
  const int before = f.volumeReads->load();
  f.open();
  EXPECT_EQ(f.volumeReads->load(), before + 1);
  **f.volume = VolumeInfo{"Macintosh HD", 500 * kGB, 90 * kGB, 90 * kGB};
  f.panel->hide();
  f.open();
  EXPECT_EQ(f.volumeReads->load(), before + 2);
  EXPECT_EQ(f.widget<QLabel>(names::menuBarFree)->text(), QStringLiteral("90 GB free of 500 GB"));
}

TEST(MenuBarPanel, AForecastOpensTrends) {
  PanelFixture f;
  f.recordShrinkingSpace(10, 10 * kGB);  // 120 GB left at 10 GB a day
  f.open();
  auto* forecast = f.widget<RowButton>(names::menuBarForecast);
  ASSERT_TRUE(forecast->isVisible());
  auto* title = forecast->findChild<SymbolLabel*>();
  EXPECT_EQ(title->text(), QStringLiteral("Full in about 12 days"));
  EXPECT_EQ(title->symbol(), QStringLiteral("exclamationmark.triangle.fill"));
  EXPECT_EQ(forecast->toolTip(), QStringLiteral("Open Trends"));

  QSignalSpy shown(f.panel.get(), &MenuBarPanel::mainWindowRequested);
  f.state->setSection(AppSection::overview);
  QTest::mouseClick(forecast, Qt::LeftButton);
  EXPECT_EQ(f.state->section(), AppSection::trends);
  EXPECT_EQ(shown.count(), 1);
}

TEST(MenuBarPanel, TooFewSamplesShowNoForecast) {
  PanelFixture f;
  f.recordShrinkingSpace(2, 10 * kGB);
  f.open();
  EXPECT_FALSE(f.widget<QWidget>(names::menuBarForecast)->isVisible());
}

TEST(MenuBarPanel, TheLastScheduledCleanIsShownOnceOneRan) {
  PanelFixture f;
  f.open();
  auto* autoClean = f.widget<SymbolLabel>(names::menuBarAutoClean);
  EXPECT_FALSE(autoClean->isVisible());
  f.state->services().start(f.state.get());
  bool done = false;
  f.state->services().runAutoClean([&] { done = true; });
  ASSERT_TRUE(waitUntil([&] { return done; }));
  ASSERT_TRUE(waitUntil([&] { return autoClean->isVisible(); }));
  EXPECT_EQ(autoClean->text(), QStringLiteral("Auto-clean now: Zero KB"));
  EXPECT_EQ(autoClean->symbol(), QStringLiteral("calendar.badge.clock"));
}

TEST(MenuBarPanel, ARemovedApplicationsLeftoversOpenTheMainWindowAsItWas) {
  PanelFixture f;
  f.open();
  f.state->setSection(AppSection::explorer);
  f.state->setRemovedApp(removedApp("Sketch", {}));
  auto* leftovers = f.widget<RowButton>(names::menuBarLeftovers);
  ASSERT_TRUE(waitUntil([&] { return leftovers->isVisible(); }));
  auto* title = leftovers->findChild<SymbolLabel*>();
  EXPECT_EQ(title->text(), QStringLiteral("Sketch left Zero KB behind"));
  EXPECT_EQ(title->symbol(), QStringLiteral("puzzlepiece.extension.fill"));
  QSignalSpy shown(f.panel.get(), &MenuBarPanel::mainWindowRequested);
  QTest::mouseClick(leftovers, Qt::LeftButton);
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(f.state->section(), AppSection::explorer);
  EXPECT_NE(f.state->removedApp(), nullptr);  // the window's banner takes it from here
  f.state->clearRemovedApp();
  ASSERT_TRUE(waitUntil([&] { return !leftovers->isVisible(); }));
}

TEST(MenuBarPanel, QuickCleanOpenTolvexAndQuit) {
  PanelFixture f;
  f.open();
  QSignalSpy shown(f.panel.get(), &MenuBarPanel::mainWindowRequested);
  QSignalSpy quit(f.panel.get(), &MenuBarPanel::quitRequested);
  f.state->setSection(AppSection::overview);
  QTest::mouseClick(f.widget<QPushButton>(names::menuBarOpen), Qt::LeftButton);
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(f.state->section(), AppSection::overview);

  auto gate = f.junk.holdCall(1);
  QTest::mouseClick(f.widget<QPushButton>(names::menuBarQuickClean), Qt::LeftButton);
  EXPECT_EQ(shown.count(), 2);
  EXPECT_EQ(f.state->section(), AppSection::smartClean);
  EXPECT_EQ(f.state->smartPhase(), SmartPhase::scanning);
  // A second press while the search runs starts no second search.
  QTest::mouseClick(f.widget<QPushButton>(names::menuBarQuickClean), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return f.junk.calls() == 1; }));
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return f.state->smartPhase() == SmartPhase::review; }));
  EXPECT_EQ(f.junk.calls(), 1);

  QTest::mouseClick(f.widget<QPushButton>(names::menuBarQuit), Qt::LeftButton);
  EXPECT_EQ(quit.count(), 1);
}

// ---- Tray -------------------------------------------------------------------------------------------

TEST(MenuBarExtra, WithoutATrayThereIsNoIconAndClosingTheWindowQuits) {
  PanelFixture f;
  QWidget window;
  MenuBarExtra extra(*f.state, &window, false);
  EXPECT_EQ(extra.icon(), nullptr);
  EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
  f.state->services().setMenuBarEnabled(true);
  EXPECT_EQ(extra.icon(), nullptr);
}

TEST(MenuBarExtra, FollowsTheSettingAndTheLowSpaceThreshold) {
  PanelFixture f;
  QWidget window;
  window.show();
  MenuBarExtra extra(*f.state, &window, true);
  ASSERT_NE(extra.icon(), nullptr);
  EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
  EXPECT_EQ(extra.icon()->property("sfSymbol").toString(), QStringLiteral("internaldrive"));
  EXPECT_EQ(extra.icon()->toolTip(), QStringLiteral("Tolvex: 120 GB free"));

  f.state->services().setLowSpaceGB(200);
  EXPECT_EQ(extra.icon()->property("sfSymbol").toString(), QStringLiteral("exclamationmark.triangle.fill"));
  f.state->services().setLowSpaceGB(0);
  EXPECT_EQ(extra.icon()->property("sfSymbol").toString(), QStringLiteral("internaldrive"));

  f.state->services().setMenuBarEnabled(false);
  EXPECT_EQ(extra.icon(), nullptr);
  EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
  f.state->services().setMenuBarEnabled(true);
  ASSERT_NE(extra.icon(), nullptr);
  EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
}

TEST(MenuBarExtra, TurnedOffWhileTheWindowIsClosedTheWindowComesBack) {
  PanelFixture f;
  QWidget window;
  MenuBarExtra extra(*f.state, &window, true);
  EXPECT_FALSE(window.isVisible());
  f.state->services().setMenuBarEnabled(false);
  EXPECT_TRUE(window.isVisible());
}

TEST(MenuBarExtra, QuickCleanWithTheWindowClosedOpensItScanning) {
  PanelFixture f;
  MainWindow window(*f.state);
  window.show();
  MenuBarExtra extra(*f.state, &window, true);
  window.close();
  ASSERT_FALSE(window.isVisible());
  extra.togglePanel();
  ASSERT_NE(extra.panel(), nullptr);
  ASSERT_TRUE(extra.panel()->isVisible());
  EXPECT_TRUE(extra.panel()->isWindow());
  auto gate = f.junk.holdCall(1);
  QTest::mouseClick(find<QPushButton>(extra.panel(), names::menuBarQuickClean), Qt::LeftButton);
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(extra.panel()->isVisible());
  EXPECT_EQ(f.state->section(), AppSection::smartClean);
  EXPECT_EQ(f.state->smartPhase(), SmartPhase::scanning);
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return f.state->smartPhase() == SmartPhase::review; }));
}

TEST(MenuBarExtra, ActivationTogglesThePanel) {
  PanelFixture f;
  QWidget window;
  MenuBarExtra extra(*f.state, &window, true);
  extra.togglePanel();
  ASSERT_TRUE(extra.panel() && extra.panel()->isVisible());
  extra.togglePanel();
  EXPECT_FALSE(extra.panel()->isVisible());
}
