// Grabs of the Applications and App Leftovers screens over a Linux desktop built in a temporary
// folder, read by the real inventory and leftover search, for looking at them (not run by default):
//   TOLVEX_GALLERY=1 TOLVEX_GALLERY_DIR=/tmp/x test_views --gtest_filter='*DesktopAppsGallery*'
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>

#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "app/theme/Appearance.h"
#include "support/LinuxDesktop.h"
#include "support/qt/AppFixture.h"
#include "system/AppInventory.h"
#include "views/cleanup/AppLeftoversView.h"
#include "views/cleanup/ApplicationsView.h"
#include "views/cleanup/RecordTable.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr double kNow = 1.8e9;

// Sizes as a real desktop has them, without writing gigabytes: each path gets a steady made-up size.
int64_t madeUpSize(const std::string& path) {
  return 200'000 + static_cast<int64_t>(std::hash<std::string>{}(path) % 2400) * 1'000'000;
}

struct Desktop : LinuxDesktop {
  std::string gimp, krita;

  Desktop() {
    for (const char* program : {"firefox-esr", "libreoffice", "gnome-maps"}) this->program(inRoot(std::string("usr/bin/") + program));
    dpkgApp("firefox-esr", "firefox-esr.desktop", entry("Firefox ESR", "firefox-esr", "StartupWMClass=firefox-esr\n"),
            "115.7.0esr-1~deb12u1", 248'000);
    dpkgApp("libreoffice-writer", "libreoffice-writer.desktop", entry("LibreOffice Writer", "libreoffice --writer"),
            "4:7.4.7-1", 31'000);
    dpkgApp("gnome-maps", "org.gnome.Maps.desktop", entry("Maps", "gnome-maps"), "43.4-1", 6'900);
    homeTree().folder(".mozilla");
    homeTree().folder(".cache/mozilla");
    homeTree().folder(".config/libreoffice");
    gimp = flatpak("org.gimp.GIMP", "GNU Image Manipulation Program", 4096, "2.10.36");
    flatpak("com.spotify.Client", "Spotify", 4096, "1.2.31.1205");
    flatpak("org.telegram.desktop", "Telegram Desktop", 4096, "4.14.9");
    for (const char* id : {"org.gimp.GIMP", "com.spotify.Client", "org.telegram.desktop"})
      for (const char* part : {"cache", "config", "data"}) homeTree().folder(std::string(".var/app/") + id + "/" + part);
    snap("code", "151", 4096, "1.86.0");
    snap("slack", "132", 4096, "4.36.140");
    homeTree().folder("snap/code/151");
    homeTree().folder("snap/slack/common");
    krita = appImage("krita-5.2.2-x86_64.AppImage", "Krita", 4096, "X-AppImage-Version=5.2.2\nIcon=krita\n");
    appImage("Obsidian-1.5.3.AppImage", "Obsidian", 4096, "X-AppImage-Version=1.5.3\n");
    homeTree().folder(".config/krita");
    homeTree().folder(".local/share/krita");
    homeTree().folder(".config/obsidian");
    program(inHome(".local/bin/backup-tool"));
    userEntry("backup-tool.desktop", entry("Backup Tool", inHome(".local/bin/backup-tool")));
    homeTree().folder(".config/backup-tool");
    // Left behind by applications no longer installed.
    homeTree().folder(".var/app/com.skype.Client/data");
    homeTree().folder("snap/zoom-client/common");
    homeTree().folder(".config/com.example.OldTool");
    homeTree().folder(".cache/io.github.retired.Viewer");
    write(inHome(".local/share/gnome-shell/application_state"),
          "<application-state><context id=\"\">"
          "<application id=\"firefox-esr.desktop\" last-seen=\"1799990000\"/>"
          "<application id=\"org.gimp.GIMP.desktop\" last-seen=\"1790000000\"/>"
          "<application id=\"slack_slack.desktop\" last-seen=\"1780000000\"/>"
          "</context></application-state>");
  }
};

}  // namespace

TEST(DesktopAppsGallery, GrabsTheScreensOfALinuxDesktopInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-apps"));
  QDir().mkpath(dir);
  Desktop desktop;
  AppFixture fixture;
  fixture.now->store(kNow);
  AppEnvironment env = fixture.environment();
  InventoryContext context = desktop.context();
  context.measure = madeUpSize;
  env.installedApps = [context] { return AppInventory::installedApps(context); };
  env.findLeftovers = [context](const std::vector<InstalledApp>& apps) { return AppInventory::findLeftovers(apps, context); };
  env.runningApplications = [] { return std::vector<std::string>{"org.gimp.GIMP"}; };
  AppState state(env);
  waitUntil([&] { return !state.isRestoringScan(); }, 60000);
  MainWindow window(state);
  window.resize(1280, 760);
  window.show();

  for (AppSection section : {AppSection::apps, AppSection::leftovers}) {
    state.setSection(section);
    waitUntil([&] { return !state.appsLoading() && !state.leftoversLoading(); }, 20000);
    waitUntil([] { return false; }, 100);
    if (auto* apps = qobject_cast<ApplicationsView*>(window.router()->currentScreen()))
      apps->table()->setSelection({desktop.gimp});
    for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
      Appearance::apply(look);
      waitUntil([] { return false; }, 150);
      window.grab().save(dir + "/linux-" + rawValue(section) + "-" + rawValue(look) + ".png");
    }
    Appearance::apply(AppAppearance::light);
  }
  // The inspector of an AppImage, which Tolvex uninstalls.
  state.setSection(AppSection::apps);
  waitUntil([] { return false; }, 100);
  auto* apps = qobject_cast<ApplicationsView*>(window.router()->currentScreen());
  ASSERT_TRUE(apps);
  apps->table()->setSelection({desktop.krita});
  for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
    Appearance::apply(look);
    waitUntil([] { return false; }, 150);
    window.grab().save(dir + "/linux-inspector-appimage-" + rawValue(look) + ".png");
  }
  Appearance::apply(AppAppearance::light);
  state.waitForBackgroundWork();
}
