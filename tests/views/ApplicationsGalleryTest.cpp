// Grabs of the Applications and App Leftovers screens in the main window, for looking at them (not
// run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x test_views --gtest_filter='*ApplicationsGallery*'
// The applications and leftovers are those of a typical Mac; the inspector shows the selected one.
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>

#include "app/ObjectNames.h"
#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "views/cleanup/AppLeftoversView.h"
#include "views/cleanup/ApplicationsView.h"
#include "views/cleanup/RecordTable.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr double kNow = 1.8e9;

InstalledApp macApp(const std::string& name, const std::string& id, const char* version, int64_t appSize,
                    std::vector<std::pair<std::string, int64_t>> data, std::optional<double> daysAgo) {
  InstalledApp app;
  app.path = "/Applications/" + name + ".app";
  app.name = name;
  app.bundleID = id;
  if (version) app.version = version;
  app.appSize = appSize;
  for (const auto& [where, size] : data)
    app.related.push_back(RelatedItem{"/Users/anna/Library/" + where + "/" + id, where, size});
  if (daysAgo) app.lastUsed = kNow - *daysAgo * 86'400;
  app.isApple = id.starts_with("com.apple.");
  return app;
}

std::vector<InstalledApp> typicalApps() {
  std::vector<InstalledApp> apps = {
      macApp("Xcode", "com.apple.dt.Xcode", "15.2", 11'800'000'000, {{"Caches", 2'100'000'000}}, 2),
      macApp("Docker", "com.docker.docker", "4.27.1", 2'050'000'000,
             {{"Containers", 34'400'000'000}, {"Application Support", 410'000'000}, {"Logs", 52'000'000}}, 0.2),
      macApp("Adobe Photoshop 2024", "com.adobe.Photoshop", "25.4", 4'900'000'000,
             {{"Application Support", 1'300'000'000}, {"Caches", 640'000'000}, {"Preferences", 1'200'000}}, 130),
      macApp("Spotify", "com.spotify.client", "1.2.31", 310'000'000,
             {{"Caches", 3'900'000'000}, {"Application Support", 120'000'000}}, 1),
      macApp("Slack", "com.tinyspeck.slackmacgap", "4.36.140", 420'000'000,
             {{"Containers", 1'100'000'000}, {"Saved Application State", 90'000}}, 0.5),
      macApp("Visual Studio Code", "com.microsoft.VSCode", "1.86.0", 580'000'000,
             {{"Application Support", 760'000'000}, {"Caches", 210'000'000}}, 3),
      macApp("Zoom", "us.zoom.xos", "5.17.5", 260'000'000, {{"Logs", 12'000'000}}, 200),
      macApp("The Unarchiver", "com.macpaw.site.theunarchiver", "4.3.6", 48'000'000, {}, std::nullopt),
      macApp("Pages", "com.apple.iWork.Pages", "14.0", 620'000'000, {{"Containers", 45'000'000}}, 40),
  };
  apps[7].isAppStore = true;
  return apps;
}

std::vector<Leftover> typicalLeftovers() {
  auto at = [](const std::string& location, const std::string& folder, const std::string& id, int64_t size,
               std::optional<double> daysAgo) {
    return Leftover{"/Users/anna/Library/" + folder + "/" + id, id, location, size,
                    daysAgo ? std::optional<double>(kNow - *daysAgo * 86'400) : std::nullopt};
  };
  return {at("Application Support", "Application Support", "com.getdropbox.dropbox", 2'300'000'000, 240),
          at("Caches", "Caches", "com.skype.skype", 640'000'000, 410),
          at("Container", "Containers", "com.evernote.Evernote", 410'000'000, 700),
          at("Logs", "Logs", "com.parallels.desktop.console", 88'000'000, 35),
          at("Preferences", "Preferences", "com.teamviewer.TeamViewer", 70'000, std::nullopt),
          at("WebKit", "WebKit", "com.readdle.smartemail-Mac", 12'500'000, 90)};
}

}  // namespace

TEST(ApplicationsGallery, GrabsTheScreensInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-apps"));
  QDir().mkpath(dir);
  AppFixture fixture;
  fixture.now->store(kNow);
  AppEnvironment env = fixture.environment();
  env.installedApps = [] { return typicalApps(); };
  env.findLeftovers = [](const std::vector<InstalledApp>&) { return typicalLeftovers(); };
  env.runningApplications = [] { return std::vector<std::string>{"com.docker.docker", "com.tinyspeck.slackmacgap"}; };
  AppState state(env);
  waitUntil([&] { return !state.isRestoringScan(); }, 60000);
  MainWindow window(state);
  window.resize(1280, 760);
  window.show();

  for (AppSection section : {AppSection::apps, AppSection::leftovers}) {
    state.setSection(section);
    waitUntil([&] { return !state.appsLoading() && !state.leftoversLoading(); }, 10000);
    waitUntil([] { return false; }, 100);
    QWidget* screen = window.router()->currentScreen();
    if (auto* apps = qobject_cast<ApplicationsView*>(screen)) {
      apps->table()->setSelection({"/Applications/Docker.app"});
    } else if (auto* leftovers = qobject_cast<AppLeftoversView*>(screen)) {
      leftovers->table()->setSelection(
          {"/Users/anna/Library/Caches/com.skype.skype", "/Users/anna/Library/Logs/com.parallels.desktop.console"});
    }
    for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
      Appearance::apply(look);
      waitUntil([] { return false; }, 150);
      window.grab().save(dir + "/" + rawValue(section) + "-" + rawValue(look) + ".png");
    }
    Appearance::apply(AppAppearance::light);
  }
  // The inspector of an Apple application and of a running one.
  state.setSection(AppSection::apps);
  waitUntil([] { return false; }, 100);
  auto* apps = qobject_cast<ApplicationsView*>(window.router()->currentScreen());
  ASSERT_TRUE(apps);
  for (const char* path : {"/Applications/Xcode.app", "/Applications/Slack.app"}) {
    apps->table()->setSelection({path});
    for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
      Appearance::apply(look);
      waitUntil([] { return false; }, 150);
      window.grab().save(dir + "/inspector-" + QString::fromUtf8(path).section('/', -1).section('.', 0, 0) + "-" +
                         rawValue(look) + ".png");
    }
  }
  Appearance::apply(AppAppearance::light);
  state.waitForBackgroundWork();
}
