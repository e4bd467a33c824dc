// Grabs of the History screen, for looking at it (not run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x test_views --gtest_filter='*HistoryGallery*'
// Files of a temporary home really deleted over three days (to the Trash and for good), one put
// back since, and a last run with failures.
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDateTime>
#include <QDir>

#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "views/cleanup/HistoryView.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

QString galleryDir() {
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-history"));
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

void deleteRun(AppState& state, const std::vector<std::pair<std::string, int64_t>>& items, Removal removal) {
  std::vector<DeletionRequest> requests;
  for (const auto& [path, size] : items) requests.push_back(DeletionRequest::make(path, size, removal));
  bool done = false;
  state.runDeletion(requests, false, [&](const DeletionReport&) { done = true; });
  waitOrFail([&] { return done; }, "the deletion run ends");
}

}  // namespace

TEST(HistoryGallery, GrabsTheHistoryScreenInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = galleryDir();
  AppFixture fixture;
  const double now = static_cast<double>(QDateTime::currentSecsSinceEpoch());
  TreeBuilder home(fixture.home.home());
  const std::vector<std::pair<std::string, int64_t>> old = {
      {home.file("Downloads/Xcode_15.4.xip", 10), 3'400'000'000},
      {home.file("Downloads/node-v20.11.1-linux-x64.tar.xz", 10), 24'700'000},
      {home.file("Library/Caches/com.example.browser/Cache.db", 10), 812'000'000},
  };
  const std::vector<std::pair<std::string, int64_t>> logs = {
      {home.file("Library/Logs/DiagnosticReports/editor-2026-12-01-101112.ips", 10), 1'200'000},
      {home.file("Library/Logs/editor/editor.log", 10), 640'000},
  };
  const std::vector<std::pair<std::string, int64_t>> recent = {
      {home.file("Movies/Screen Recording 2026-12-08 at 14.02.11.mov", 10), 1'870'000'000},
      {home.folder("Projects/website/node_modules"), 412'000'000},
      {home.file("Documents/Archive/Tax Return 2019 (scanned copy, all pages, final version).pdf", 10), 18'300'000},
  };
  home.file("Projects/website/node_modules/react/index.js", 10);

  fixture.now->store(now - 3 * 86'400 - 4000);
  AppState state(fixture.environment());
  state.waitForBackgroundWork();
  deleteRun(state, old, Removal::trash);
  fixture.now->store(now - 86'400 - 9000);
  deleteRun(state, logs, Removal::permanent);
  fixture.now->store(now - 600);
  auto withMissing = recent;
  withMissing.emplace_back(fixture.home / "Library/Application Support/com.example.sync/locked/state.db", 5'000'000);
  withMissing.emplace_back(fixture.home / "Library/Containers/com.example.mail/Data/Library/Mail Downloads",
                           12'000'000);
  deleteRun(state, withMissing, Removal::trash);
  // One item put back since.
  for (const HistoryEntry& e : state.history().entries())
    if (e.originalPath.ends_with("Cache.db")) (void)state.history().restore(e);

  MainWindow window(state);
  window.show();
  state.setSection(AppSection::history);
  ASSERT_TRUE(qobject_cast<HistoryView*>(window.router()->currentScreen()));
  for (QSize size : {QSize(1040, 680), QSize(1500, 950)}) {
    window.resize(size);
    grabBoth(window, dir + "/history-" + QString::number(size.width()));
  }
  state.history().setEntries({});
  grabBoth(window, dir + "/history-empty");
  state.waitForBackgroundWork();
}
