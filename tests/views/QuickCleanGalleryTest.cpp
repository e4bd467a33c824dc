// Grabs of every Quick Clean stage in the main window, light and dark, for looking at them (not run
// by default):
//   TOLVEX_GALLERY_DIR=/tmp/x test_views --gtest_filter='*QuickCleanGallery*'
// The findings claim the sizes a well-used Mac shows; their items are small real files, so the clean
// really runs (one item is gone before it, and is reported as left untouched).
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>

#include "app/ObjectNames.h"
#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "views/QuickCleanFixture.h"
#include "views/cleanup/StageTransition.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kMB = 1'000'000;

std::vector<JunkFinding> realisticJunk(TreeBuilder& home) {
  auto item = [&](const std::string& relative, int64_t size) { return FoundItem(home.file(relative, 10), size); };
  return {
      findingOf("user-caches",
                {item("Library/Caches/com.spotify.client", 1'840 * kMB), item("Library/Caches/Google", 912 * kMB),
                 item("Library/Caches/com.apple.Safari", 233 * kMB)}),
      findingOf("xcode-derived", {item("Library/Developer/Xcode/DerivedData/Tolvex-abc", 6'420 * kMB)}),
      findingOf("trash", {item(".local/share/Trash/files/Old Project.zip", 2'310 * kMB)}),
      findingOf("xcode-device-support", {item("Library/Developer/Xcode/iOS DeviceSupport/17.2", 3'900 * kMB)}),
      findingOf("old-installers", {item("Downloads/Figma.dmg", 310 * kMB), item("Downloads/Zoom.pkg", 98 * kMB)}),
      findingOf("mail-downloads",
                {item("Library/Containers/com.apple.mail/Data/Library/Mail Downloads/A1", 145 * kMB)}),
      findingOf("user-logs",
                {item("Library/Logs/DiagnosticReports", 48 * kMB), item("Library/Logs/editor.log", 3 * kMB)}),
      findingOf("simulator-caches", {item("Library/Developer/CoreSimulator/Caches/dyld", 1'120 * kMB)}),
      findingOf("ios-updates", {item("Library/iTunes/iPhone Software Updates/iPhone15.ipsw", 7'200 * kMB)}),
      findingOf("saved-state", {item("Library/Saved Application State/com.apple.Preview.savedState", 2 * kMB)}),
  };
}

}  // namespace

TEST(QuickCleanGallery, GrabsEveryStageInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-quickclean"));
  QDir().mkpath(dir);
  for (bool empty : {false, true}) {
    QuickCleanScreen q(false);
    q.fakeJunk = empty ? std::vector<JunkFinding>{} : realisticJunk(q.home);
    q.start();
    MainWindow window(*q.state);
    window.show();
    q.state->setSection(AppSection::smartClean);
    auto screen = [&] { return qobject_cast<QuickCleanView*>(window.router()->currentScreen()); };
    auto grab = [&](const QString& name, std::vector<QSize> sizes = {QSize(1040, 680)}) {
      for (QSize size : sizes) {
        window.resize(size);
        for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
          Appearance::apply(look);
          waitUntil([] { return false; }, 120);
          window.grab().save(dir + "/" + name + "-" + QString::number(size.width()) + "-" + rawValue(look) + ".png");
        }
      }
      Appearance::apply(AppAppearance::light);
    };
    auto reach = [&](SmartPhase phase) {
      ASSERT_TRUE(waitUntil([&] { return screen() && screen()->stagePhase() == phase; }));
    };
    reach(SmartPhase::idle);
    if (!empty) grab("1-start", {QSize(1040, 680), QSize(1500, 950)});
    q.state->startSmartClean();
    reach(SmartPhase::scanning);
    if (!empty) grab("2-scanning");
    q.fireMinimumWait();
    reach(SmartPhase::review);
    if (empty) {
      grab("3-review-empty");
      continue;
    }
    q.state->setSmartSelection({"user-caches", "xcode-derived", "trash", "xcode-device-support", "user-logs",
                                "simulator-caches", "old-installers", "mail-downloads"});
    grab("3-review", {QSize(1040, 680), QSize(1500, 950)});
    removeTree(q.home.path("Library/Logs/editor.log"));  // gone before the clean: left untouched
    q.state->runSmartClean();
    reach(SmartPhase::cleaning);
    grab("4-cleaning");
    q.fireMinimumWait();
    reach(SmartPhase::done);
    waitUntil([&] { return !q.state->junkLoading(); });
    grab("5-result", {QSize(1040, 680), QSize(1500, 950)});
  }
}

TEST(QuickCleanGallery, GrabsAStageChangeOnItsWay) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-quickclean"));
  QDir().mkpath(dir);
  const QByteArray saved = qgetenv("TOLVEX_NO_ANIMATIONS");
  qputenv("TOLVEX_NO_ANIMATIONS", "0");
  {
    QuickCleanScreen q(false);
    q.fakeJunk = realisticJunk(q.home);
    q.start();
    q.show();
    q.state->startSmartClean();
    ASSERT_TRUE(waitUntil([&] { return q.view->transition()->isVisible(); }));
    for (int i = 0; i < 3; ++i) {
      waitUntil([] { return false; }, 90);  // a moment further on, for the picture only
      q.view->grab().save(dir + "/6-change-" + QString::number(i) + ".png");
    }
    q.fireMinimumWait();
    ASSERT_TRUE(q.showsPhase(SmartPhase::review));
  }
  qputenv("TOLVEX_NO_ANIMATIONS", saved);
}
