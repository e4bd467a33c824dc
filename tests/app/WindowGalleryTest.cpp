// Grabs of the main window for looking at it (not run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x TOLVEX_GALLERY=1 test_app --gtest_filter='*WindowGallery*' (or the tolvex_gallery target)
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>

#include "app/ObjectNames.h"
#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

TEST(WindowGallery, GrabsTheWindowBeforeDuringAndAfterAScan) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-window"));
  QDir().mkpath(dir);
  const std::string root = qEnvironmentVariable("TOLVEX_GALLERY_ROOT", QStringLiteral("/usr")).toStdString();
  AppFixture f;
  auto env = f.environment();
  auto gate = std::make_shared<Gate>();
  auto walk = env.walk;
  env.walk = [gate, walk](Scanner& s, const std::string& r, const std::set<std::string>& ex,
                          const Scanner::Progress& progress) {
    progress(48213, 2345678901, r + "/share/locale/de/LC_MESSAGES");
    gate->wait();
    return walk(s, r, ex, progress);
  };
  AppState state(env);
  MainWindow window(state);
  auto grab = [&](const QString& name) {
    for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
      Appearance::apply(look);
      for (QSize size : {QSize(1040, 680), QSize(1500, 950)}) {
        window.resize(size);
        waitUntil([] { return false; }, 60);
        window.grab().save(dir + "/" + name + "-" + rawValue(look) + "-" + QString::number(size.width()) + ".png");
      }
    }
  };
  window.show();
  waitUntil([&] { return !state.isRestoringScan(); });
  state.setSection(AppSection::overview);
  grab(QStringLiteral("before"));
  state.startScan(ScanTarget::folder(root));
  waitUntil([&] { return state.progress().files > 0; });
  grab(QStringLiteral("during"));
  gate->open();
  waitUntil([&] { return state.scan().has_value(); }, 60000);
  grab(QStringLiteral("after"));
  window.showAbout();
  for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
    Appearance::apply(look);
    waitUntil([] { return false; }, 60);
    if (auto* about = window.findChild<QWidget*>(QString::fromLatin1(names::aboutDialog)))
      about->grab().save(dir + "/about-" + rawValue(look) + ".png");
  }
  Appearance::apply(AppAppearance::light);
}
