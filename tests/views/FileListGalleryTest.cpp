// Grabs of Large & Old and By Type after a real scan, for looking at them (not run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x TOLVEX_GALLERY_ROOT=/usr/share test_views
//     TOLVEX_GALLERY=1 --gtest_filter='*FileListGallery*' (or the tolvex_gallery target)
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>
#include <QTest>

#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "views/analysis/FilesTable.h"
#include "views/analysis/LargeFilesView.h"
#include "views/analysis/NodeTable.h"
#include "views/analysis/TypesView.h"

using namespace tolvex;
using namespace tolvex::test;

TEST(FileListGallery, GrabsBothScreensInLightAndDarkAtTwoSizes) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-file-lists"));
  QDir().mkpath(dir);
  const std::string root = qEnvironmentVariable("TOLVEX_GALLERY_ROOT", QStringLiteral("/usr/share")).toStdString();
  AppFixture f;
  AppState state(f.environment());
  MainWindow window(state);
  window.show();
  waitUntil([&] { return !state.isRestoringScan(); });
  state.startScan(ScanTarget::folder(root));
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }, 300000));
  auto screen = [&] { return qobject_cast<FileListScreen*>(window.router()->currentScreen()); };
  auto settleScreen = [&] {
    waitUntil([&] { return screen() && !screen()->isWorking(); }, 20000);
    waitUntil([] { return false; }, 80);
  };
  auto grab = [&](const QString& name) {
    for (QSize size : {QSize(1040, 680), QSize(1500, 950)}) {
      window.resize(size);
      for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
        Appearance::apply(look);
        settleScreen();
        window.grab().save(QStringLiteral("%1/%2-%3x%4-%5.png")
                               .arg(dir, name)
                               .arg(size.width())
                               .arg(size.height())
                               .arg(rawValue(look)));
      }
    }
  };

  state.setSection(AppSection::large);
  settleScreen();
  grab(QStringLiteral("large"));
  FileFilter filter;
  filter.minSize = 1'048'576;
  filter.kinds = {FileKind::image, FileKind::document};
  filter.pathPrefix = root;
  state.setLargeFilter(filter);
  settleScreen();
  NodeTable* table = screen()->filesTable()->table();
  if (table->rows().size() > 2) table->setSelection({table->rows()[0]->serial, table->rows()[2]->serial});
  grab(QStringLiteral("large-filtered"));

  state.setSection(AppSection::types);
  settleScreen();
  grab(QStringLiteral("types"));
  auto* types = qobject_cast<TypesView*>(screen());
  types->setKind(types->tiles().front()->kind() == FileKind::video ? types->tiles()[1]->kind()
                                                                   : types->tiles().front()->kind());
  settleScreen();
  grab(QStringLiteral("types-other-kind"));
  Appearance::apply(AppAppearance::light);
  state.waitForBackgroundWork();
}
