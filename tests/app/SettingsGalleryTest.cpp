// Grabs of the settings window and the menu-bar panel for looking at them (not run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x test_app --gtest_filter='*SettingsGallery*'
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>
#include <QTabWidget>

#include "app/Settings.h"
#include "app/theme/Appearance.h"
#include "shell/MenuBarPanel.h"
#include "shell/SettingsWindow.h"
#include "support/qt/AppFixture.h"
#include "system/RemovedApp.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kGB = 1'000'000'000;

QString galleryDir() {
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-settings"));
  QDir().mkpath(dir);
  return dir;
}

void grabBothLooks(QWidget* widget, const QString& name) {
  for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
    Appearance::apply(look);
    widget->adjustSize();
    waitUntil([] { return false; }, 60);
    widget->grab().save(galleryDir() + "/" + name + "-" + rawValue(look) + ".png");
  }
  Appearance::apply(AppAppearance::light);
}

}  // namespace

TEST(SettingsGallery, GrabsEveryTabAndThePanel) {
  TOLVEX_GALLERY_ONLY();
  AppFixture f;
  f.setSetting(keys::excludedPaths, QStringLiteral("/Users/Shared/VMs\n/home/me/Projects/build-cache\n/srv/backups/"
                                                   "a-rather-long-folder-name-that-needs-more-room-than-the-list-has"));
  f.setSetting(keys::cleanSchedule, QStringLiteral("weekly"));
  f.setSetting(keys::lastAutoClean, QStringLiteral("2026-12-08T10:00:00Z"));
  f.setSetting(keys::lastAutoCleanBytes, QStringLiteral("2345678901"));
  AppEnvironment env = f.environment();
  env.makeAppWatcher = nullptr;
  env.readVolume = [] { return std::optional<VolumeInfo>(VolumeInfo{"Macintosh HD", 494 * kGB, 61 * kGB, 78 * kGB}); };
  AppState state(env);
  waitUntil([&] { return !state.isRestoringScan(); });

  SettingsWindow window(state);
  window.show();
  const char* tabs[] = {"general", "automation", "exclusions"};
  for (int i = 0; i < 3; ++i) {
    window.tabs()->setCurrentIndex(i);
    grabBothLooks(&window, QStringLiteral("settings-") + QLatin1String(tabs[i]));
  }

  // The panel with every row: a forecast, a clean that ran and a removed application.
  const double now = f.now->load();
  for (int d = 20; d >= 1; --d)
    state.trends().recordSample(VolumeInfo{"Macintosh HD", 494 * kGB, 61 * kGB + d * 2 * kGB, 0}, now - d * 86400.0);
  RemovedApp removed{"Affinity Photo 2", "com.seriflabs.affinityphoto2", {}};
  removed.items.push_back(
      RelatedItem{"/Users/me/Library/Caches/com.seriflabs.affinityphoto2", "Caches", 1'800'000'000});
  state.setRemovedApp(removed);
  MenuBarPanel panel(state);
  panel.show();
  grabBothLooks(&panel, QStringLiteral("panel-full"));

  // Without a volume only the actions remain.
  AppFixture bare;
  AppEnvironment bareEnv = bare.environment();
  bareEnv.makeAppWatcher = nullptr;
  bareEnv.readVolume = [] { return std::optional<VolumeInfo>(); };
  AppState bareState(bareEnv);
  waitUntil([&] { return !bareState.isRestoringScan(); });
  MenuBarPanel barePanel(bareState);
  barePanel.show();
  grabBothLooks(&barePanel, QStringLiteral("panel-no-volume"));
}
