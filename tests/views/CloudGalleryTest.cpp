// Grabs of the iCloud Drive screen, for looking at it (not run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x test_views --gtest_filter='*CloudGallery*'
// Each body state; the list over a report laid out as a Mac's iCloud Drive would give it (this system
// has no iCloud, so its own provider shows the not-in-use state).
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>
#include <QMessageBox>

#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "support/qt/FakeEngines.h"
#include "views/cleanup/CloudList.h"
#include "views/cleanup/CloudView.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

QString galleryDir() {
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-cloud"));
  QDir().mkpath(dir);
  return dir;
}

void grabBoth(MainWindow& window, const QString& stem) {
  for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
    Appearance::apply(look);
    waitUntil([] { return false; }, 150);
    window.grab().save(stem + "-" + rawValue(look) + ".png");
  }
  Appearance::apply(AppAppearance::light);
}

CloudItem cloudItem(const std::string& path, int64_t size, bool uploaded = true) {
  return {path, path.substr(path.rfind('/') + 1), size, uploaded};
}

CloudReport macLikeReport(const std::string& home) {
  const std::string drive = home + "/Library/Mobile Documents/com~apple~CloudDocs";
  auto folderOf = [](std::string path, std::string title, bool isApp, int64_t cloudOnly, std::vector<CloudItem> items,
                     int64_t extraLocal) {
    CloudFolder f{std::move(path), std::move(title), isApp, extraLocal, cloudOnly, 0, std::move(items)};
    for (const CloudItem& i : f.items) f.localSize += i.size;
    return f;
  };
  std::vector<CloudItem> photos;
  for (int i = 0; i < 340; ++i)
    photos.push_back(cloudItem(drive + "/Photos Export/IMG_" + std::to_string(4100 + i) + ".HEIC",
                               9'800'000 - i * 17'000, i % 41 != 7));
  photos.front() = cloudItem(drive + "/Photos Export/Holiday 2026 – Lisbon.mov", 2'140'000'000);
  CloudReport report;
  report.isAvailable = true;
  report.folders = {
      folderOf(drive + "/Photos Export", "Photos Export", false, 12'400'000'000, photos, 180'000'000),
      folderOf(drive + "/Projects", "Projects", false, 0,
               {cloudItem(drive + "/Projects/renders/final-cut-v12.mp4", 1'320'000'000),
                cloudItem(drive + "/Projects/renders/preview.mp4", 412'000'000, false),
                cloudItem(drive + "/Projects/assets.zip", 96'500'000)},
               24'000'000),
      folderOf(
          home + "/Library/Mobile Documents/com~apple~Keynote", "Keynote", true, 0,
          {cloudItem(home + "/Library/Mobile Documents/com~apple~Keynote/Documents/Quarterly Review.key", 238'000'000)},
          3'100'000),
      folderOf(
          home + "/Library/Mobile Documents/iCloud~com~example~notes", "Notes", true, 5'600'000,
          {cloudItem(home + "/Library/Mobile Documents/iCloud~com~example~notes/Documents/notes.sqlite", 18'200'000)},
          900'000),
      folderOf(drive, "Files at the top of iCloud Drive", false, 410'000'000, {}, 640'000),
  };
  return report;
}

}  // namespace

TEST(CloudGallery, GrabsTheICloudScreenInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = galleryDir();
  // This system's own provider: not in use.
  {
    AppFixture fixture;
    AppState state(fixture.environment());
    MainWindow window(state);
    window.show();
    state.setSection(AppSection::cloud);
    waitUntil([&] { return state.cloud().has_value(); });
    window.resize(1040, 680);
    grabBoth(window, dir + "/cloud-not-in-use");
    state.waitForBackgroundWork();
  }
  AppFixture fixture;
  Scripted<CloudReport> inspection;
  auto reading = inspection.holdCall(1);
  auto refreshing = inspection.holdCall(3);
  inspection.answer(CloudReport{{CloudFolder{fixture.home / "Library/Mobile Documents/com~apple~CloudDocs",
                                             "Files at the top of iCloud Drive",
                                             false,
                                             540'000,
                                             2'300'000'000,
                                             41,
                                             {}}},
                                true});
  AppEnvironment env = fixture.environment();
  env.inspectICloud = [inspection] { return inspection.take(); };
  AppState state(env);
  MainWindow window(state);
  window.show();
  window.resize(1040, 680);
  state.setSection(AppSection::cloud);
  waitUntil([&] { return inspection.calls() == 1; });
  grabBoth(window, dir + "/cloud-reading");
  reading->open();
  waitUntil([&] { return state.cloud().has_value() && !state.cloudLoading(); });
  grabBoth(window, dir + "/cloud-nothing-big");

  inspection.answer(macLikeReport(fixture.home.home()));
  state.loadCloud();
  waitUntil([&] { return !state.cloudLoading(); });
  auto* screen = qobject_cast<CloudView*>(window.router()->currentScreen());
  ASSERT_TRUE(screen);
  const CloudReport& report = *state.cloud();
  screen->toggleFolder(report.folders[1].path);
  screen->toggleFolder(report.folders[0].path);
  screen->setFolderSelected(report.folders[1], true);
  screen->setFileSelected(report.folders[0].items[0].path, true);
  for (QSize size : {QSize(1040, 680), QSize(1500, 950)}) {
    window.resize(size);
    grabBoth(window, dir + "/cloud-list-" + QString::number(size.width()));
  }
  window.resize(1040, 680);
  screen->list()->scrollToBottom();
  grabBoth(window, dir + "/cloud-list-end");
  state.loadCloud();
  waitUntil([&] { return inspection.calls() == 3; });
  grabBoth(window, dir + "/cloud-refreshing");
  refreshing->open();
  waitUntil([&] { return !state.cloudLoading(); });
  screen->confirmRemoval();
  ASSERT_TRUE(screen->confirmation());
  for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
    Appearance::apply(look);
    waitUntil([] { return false; }, 150);
    screen->confirmation()->grab().save(dir + "/cloud-confirm-" + rawValue(look) + ".png");
  }
  Appearance::apply(AppAppearance::light);
  screen->confirmation()->reject();
  state.waitForBackgroundWork();
}
