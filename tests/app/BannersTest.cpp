#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/ObjectNames.h"
#include "app/Settings.h"
#include "app/screen/StaleScanBanner.h"
#include "app/services/UiServices.h"
#include "platform/Paths.h"
#include "shell/AccessOnboardingView.h"
#include "shell/MainWindow.h"
#include "shell/RemovedAppBanner.h"
#include "support/qt/AppFixture.h"
#include "system/RemovedApp.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

template <typename T>
T* find(QWidget& root, const char* name) {
  return root.findChild<T*>(QString::fromLatin1(name));
}

// An application state with quiet notifications and no removal watcher.
AppEnvironment quietEnvironment(const AppFixture& f) {
  AppEnvironment env = f.environment();
  env.notify = [](const QString&, const QString&) {};
  env.makeAppWatcher = nullptr;
  return env;
}

RemovedApp toolApp(const AppFixture& f) {
  TreeBuilder tree(f.home.home());
  const std::string logs = tree.file("Library/Logs/Tool/log", 10);
  const std::string caches = tree.file("Library/Caches/com.e.tool/c", 10);
  return RemovedApp{"Tool",
                    "com.e.tool",
                    {{parentPath(caches), "Caches", 6'000'000},
                     {parentPath(logs), "Logs", 1'000'000},
                     {f.home.home() + "/Library/Caches/com.e.tool.helper", "Caches", 0}}};
}

}  // namespace

TEST(RemovedAppBanner, TextsCountEachLabelOnceInOrder) {
  const RemovedApp app{
      "Tool",
      "t",
      {{"/a", "Logs", 5}, {"/b", "Caches", 7'000'000}, {"/c", "Logs", -5}, {"/d", "Application Support", 0}}};
  EXPECT_EQ(RemovedAppBanner::titleText(app), QStringLiteral("Tool was removed, but left 7 MB behind"));
  EXPECT_EQ(RemovedAppBanner::labelsText(app), QStringLiteral("Application Support · Caches · Logs"));
  const RemovedApp empty{"Bare", "b", {}};
  EXPECT_EQ(RemovedAppBanner::titleText(empty), QStringLiteral("Bare was removed, but left Zero KB behind"));
  EXPECT_EQ(RemovedAppBanner::labelsText(empty), QString());
  const RemovedApp negative{"Neg", "n", {{"/a", "Caches", -500}}};
  EXPECT_EQ(RemovedAppBanner::titleText(negative), QStringLiteral("Neg was removed, but left Zero KB behind"));
}

// The window shows the banner while a removal is set; "Not Now" forgets it and touches nothing;
// "Review and Remove…" plans the leftovers' deletion.
TEST(RemovedAppBanner, ShownInTheWindowAndDismissed) {
  AppFixture f;
  AppState state(quietEnvironment(f));
  MainWindow window(state);
  window.show();
  auto* banner = find<RemovedAppBanner>(window, names::removedAppBanner);
  ASSERT_TRUE(banner);
  EXPECT_FALSE(banner->isVisible());

  const RemovedApp app = toolApp(f);
  state.services().onAppRemoved(app);
  EXPECT_TRUE(banner->isVisible());
  EXPECT_EQ(find<QLabel>(window, names::removedAppTitle)->text(),
            QStringLiteral("Tool was removed, but left 7 MB behind"));
  EXPECT_EQ(find<QLabel>(window, names::removedAppLabels)->text(), QStringLiteral("Caches · Logs"));
  EXPECT_LE(banner->width(), RemovedAppBanner::kMaxWidth);

  find<QPushButton>(window, names::removedAppNotNow)->click();
  EXPECT_FALSE(banner->isVisible());
  EXPECT_FALSE(state.removedApp());
  EXPECT_FALSE(state.plan());
  EXPECT_TRUE(pathExists(app.items[0].path));

  state.setRemovedApp(app);
  EXPECT_TRUE(banner->isVisible());
  find<QPushButton>(window, names::removedAppReview)->click();
  EXPECT_FALSE(banner->isVisible());
  ASSERT_TRUE(state.plan());
  EXPECT_EQ(state.plan()->title, QStringLiteral("Leftovers of Tool"));
  EXPECT_EQ(state.plan()->items.size(), 3u);
  state.dismissPlan();
  state.waitForBackgroundWork();
}

TEST(StaleScanBanner, DateTextAndRescanFollowingTheScan) {
  AppFixture f;
  {
    AppState state(quietEnvironment(f));
    StaleScanBanner early(state, 86400.0);
    EXPECT_EQ(find<QLabel>(early, names::staleScanTitle)->text(), QStringLiteral("This scan is from —"));
    state.waitForBackgroundWork();
  }
  AppState state(quietEnvironment(f));
  StaleScanBanner banner(state, f.now->load() - 3 * 86400);
  banner.show();
  auto* rescan = find<QPushButton>(banner, names::staleScanRescan);
  ASSERT_TRUE(rescan);
  EXPECT_TRUE(rescan->isEnabled());
  state.startScan(ScanTarget::folder(f.home.home()));
  if (state.isScanning()) {
    EXPECT_FALSE(rescan->isEnabled());
  }
  ASSERT_TRUE(waitUntil([&] { return !state.isScanning(); }));
  EXPECT_TRUE(rescan->isEnabled());
  state.waitForBackgroundWork();
}

// Reachable when the access probe says no: the sheet comes with the store's request and "Scan Without
// Access" is remembered.
TEST(AccessOnboarding, PresentedWithoutAccessAndSkippedForGood) {
  AppFixture f;
  *f.access = false;
  AppState state(quietEnvironment(f));
  MainWindow window(state);
  window.show();
  EXPECT_FALSE(find<AccessOnboardingView>(window, names::accessOnboarding));
  state.startScan(ScanTarget::home());
  ASSERT_TRUE(state.showAccessOnboarding());
  EXPECT_FALSE(state.isScanning());
  auto* sheet = find<AccessOnboardingView>(window, names::accessOnboarding);
  ASSERT_TRUE(sheet);
  EXPECT_TRUE(sheet->isVisible());

  // "Open Settings" leaves the sheet open.
  QUrl opened;
  UiServices saved = UiServices::shared();
  UiServices::shared().openUrl = [&](const QUrl& url) {
    opened = url;
    return true;
  };
  find<QPushButton>(*sheet, names::accessOnboardingOpenSettings)->click();
  EXPECT_FALSE(opened.isEmpty());
  EXPECT_TRUE(sheet->isVisible());
  UiServices::shared() = saved;

  find<QPushButton>(*sheet, names::accessOnboardingSkip)->click();
  EXPECT_TRUE(state.accessOnboardingSkipped());
  EXPECT_FALSE(state.showAccessOnboarding());
  EXPECT_TRUE(Settings(f.settingsPath).boolValue(keys::accessOnboardingSkipped, false));
  ASSERT_TRUE(waitUntil([&] { return !find<AccessOnboardingView>(window, names::accessOnboarding); }));
  ASSERT_TRUE(waitUntil([&] { return !state.isScanning(); }));
  state.waitForBackgroundWork();

  // Later home scans start at once.
  state.startScan(ScanTarget::home());
  EXPECT_FALSE(state.showAccessOnboarding());
  ASSERT_TRUE(waitUntil([&] { return !state.isScanning(); }));
  state.waitForBackgroundWork();
}

// Access granted while the sheet is up: coming back to the window closes it and scans.
TEST(AccessOnboarding, ClosedWhenAccessTurnsUp) {
  AppFixture f;
  *f.access = false;
  AppState state(quietEnvironment(f));
  MainWindow window(state);
  window.show();
  state.startScan(ScanTarget::home());
  ASSERT_TRUE(find<AccessOnboardingView>(window, names::accessOnboarding));
  state.setShowAccessOnboarding(false);
  ASSERT_TRUE(waitUntil([&] { return !find<AccessOnboardingView>(window, names::accessOnboarding); }));
  state.waitForBackgroundWork();
}

// The services start with the window's first appearance, once.
TEST(MainWindowServices, StartWhenTheWindowFirstShows) {
  AppFixture f;
  AppState state(quietEnvironment(f));
  MainWindow window(state);
  EXPECT_FALSE(state.services().findChild<QTimer*>());
  window.show();
  EXPECT_EQ(state.services().findChildren<QTimer*>().size(), 1u);
  window.hide();
  window.show();
  EXPECT_EQ(state.services().findChildren<QTimer*>().size(), 1u);
  EXPECT_TRUE(state.services().volume());
  state.waitForBackgroundWork();
}
