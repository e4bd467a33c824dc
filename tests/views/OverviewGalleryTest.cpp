// Grabs of the Overview with real data, for looking at it (not run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x TOLVEX_GALLERY=1 test_views --gtest_filter='*OverviewGallery*' (or the tolvex_gallery
//   target)
// "disk" scans a real folder (TOLVEX_GALLERY_ROOT, /usr by default) as the whole disk on this
// machine's real volume, with an earlier scan of it three days before; "folder" scans it as a folder,
// a day and more ago, without full disk access (both banners show).
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDateTime>
#include <QDir>
#include <QScrollArea>
#include <fstream>

#include "app/ObjectNames.h"
#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "support/TreeBuilder.h"
#include "support/qt/AppFixture.h"
#include "views/analysis/OverviewView.h"

using namespace tolvex;
using namespace tolvex::test;

TEST(OverviewGallery, GrabsTheScreenInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-overview"));
  QDir().mkpath(dir);
  const std::string root = qEnvironmentVariable("TOLVEX_GALLERY_ROOT", QStringLiteral("/usr")).toStdString();
  const std::optional<VolumeInfo> volume = VolumeInfo::read("/");
  ASSERT_TRUE(volume);

  for (const bool wholeDisk : {true, false}) {
    AppFixture fixture;
    TreeBuilder(fixture.home.home()).allocatedFile("Library/Caches/com.example.editor/cache.db", 80 << 20);
    const double now = static_cast<double>(QDateTime::currentSecsSinceEpoch());
    fixture.now->store(wholeDisk ? now : now + 3 * 86'400);
    *fixture.access = wholeDisk;
    AppEnvironment env = fixture.environment();
    env.readVolume = [volume] { return volume; };
    env.dataVolume = root;
    if (wholeDisk) {
      ScanSnapshot earlier;
      earlier.id = "3F2504E0-4F89-41D3-9A0C-000000000001";
      earlier.date = now - 3 * 86'400;
      earlier.root = root;
      earlier.total = 1;
      earlier.folders[root] = 1;
      std::ofstream(fixture.appFolder + "/scans.json", std::ios::binary) << *encodeSnapshots({earlier});
    }
    AppState state(env);
    waitUntil([&] { return !state.isRestoringScan(); }, 60000);
    MainWindow window(state);
    window.show();
    state.setSection(AppSection::overview);
    state.startScan(wholeDisk ? ScanTarget::wholeDisk() : ScanTarget::folder(root));
    ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }, 300000));
    waitUntil([&] { return !state.junkLoading() && !state.junk().empty(); }, 60000);
    auto* screen = qobject_cast<OverviewView*>(window.router()->currentScreen());
    ASSERT_TRUE(screen);
    for (QSize size : {QSize(1040, 680), QSize(1500, 950)}) {
      window.resize(size);
      for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
        Appearance::apply(look);
        waitUntil([] { return false; }, 150);
        screen = qobject_cast<OverviewView*>(window.router()->currentScreen());
        const QString stem =
            dir + "/" + (wholeDisk ? "disk-" : "folder-") + QString::number(size.width()) + "-" + rawValue(look);
        window.grab().save(stem + ".png");
        auto* scroll = screen->findChild<QScrollArea*>(QLatin1String(names::overviewScroll));
        scroll->widget()->grab().save(stem + "-full.png");
      }
    }
    Appearance::apply(AppAppearance::light);
    state.waitForBackgroundWork();
  }
}
