// Grabs of the Explorer after a real scan, for looking at it (not run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x TOLVEX_GALLERY=1 test_views --gtest_filter='*ExplorerGallery*' (or the tolvex_gallery
//   target)
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>
#include <QTest>

#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "views/analysis/Breadcrumbs.h"
#include "views/analysis/ExplorerView.h"
#include "views/analysis/NodeTable.h"
#include "views/analysis/SunburstView.h"

using namespace tolvex;
using namespace tolvex::test;

TEST(ExplorerGallery, GrabsTheListAndTheMapInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-explorer"));
  QDir().mkpath(dir);
  const std::string root = qEnvironmentVariable("TOLVEX_GALLERY_ROOT", QStringLiteral("/usr")).toStdString();
  AppFixture f;
  AppState state(f.environment());
  MainWindow window(state);
  window.resize(1400, 900);
  window.show();
  waitUntil([&] { return !state.isRestoringScan(); });
  state.startScan(ScanTarget::folder(root));
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }, 300000));
  state.setSection(AppSection::explorer);
  auto explorer = [&] { return qobject_cast<ExplorerView*>(window.router()->currentScreen()); };
  ASSERT_TRUE(waitUntil([&] { return explorer() != nullptr; }));

  QApplication::setActiveWindow(&window);
  auto grab = [&](const QString& name) {
    for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
      Appearance::apply(look);
      for (QSize size : {QSize(1040, 680), QSize(1500, 950)}) {
        window.resize(size);
        waitUntil([] { return false; }, 80);
        window.grab().save(dir + "/" + name + "-" + rawValue(look) + "-" + QString::number(size.width()) + ".png");
      }
    }
  };
  explorer()->setMode(ExplorerMode::list);
  waitUntil([] { return false; }, 80);
  explorer()->table()->setSelection({explorer()->table()->rows()[1]->serial, explorer()->table()->rows()[2]->serial});
  grab(QStringLiteral("list-root"));
  // Keyboard focus: on the table's current row, then on a crumb.
  explorer()->table()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(explorer()->table(), Qt::Key_Down);
  grab(QStringLiteral("focus-table"));
  for (int i = 0; i < 3; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);  // picker, reveal, crumb
  grab(QStringLiteral("focus-crumb"));
  explorer()->table()->clearNodeSelection();
  explorer()->open(explorer()->table()->rows()[0]);
  waitUntil([] { return false; }, 80);
  grab(QStringLiteral("list-child"));
  explorer()->goUp();
  explorer()->setMode(ExplorerMode::map);
  waitUntil([] { return false; }, 80);
  grab(QStringLiteral("map"));
  SunburstView* map = explorer()->map();
  ASSERT_FALSE(map->arcs().empty());
  // Hover a second-ring arc, last: resizing the window after a synthetic mouse move crashes Qt's
  // offscreen platform, so this grab is taken once, at the last size.
  for (const auto& arc : map->arcs()) {
    if (arc.depth != 2) continue;
    QTest::mouseMove(map, SunburstView::pointIn(arc, map->mapGeometry()).toPoint());
    break;
  }
  waitUntil([] { return false; }, 80);
  window.grab().save(dir + "/map-hover.png");
  Appearance::apply(AppAppearance::light);
  state.waitForBackgroundWork();
}
