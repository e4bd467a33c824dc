#pragma once
// A fixture home holding junk that the real junk search finds, a store whose Quick Clean minimum
// durations wait on a hand-fired clock, and the Quick Clean screen showing it.
//   Library/Caches/com.example.editor/        3 MiB   user-caches    (system, safe, ticked)
//   Library/Logs/editor.log                   1 MiB   user-logs      (system, safe, ticked)
//   <Trash>/files/old.zip                     2 MiB   trash          (trash, safe, ticked)
//   Library/Developer/Xcode/DerivedData/App/  4 MiB   xcode-derived  (developer, safe, ticked)
//   Downloads/Setup.dmg, 10 days old          5 MiB   old-installers (downloads, review, not ticked)
#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "app/AppState.h"
#include "support/JunkFixtures.h"
#include "support/qt/AppFixture.h"
#include "support/qt/FakeEngines.h"
#include "views/cleanup/QuickCleanStage.h"
#include "views/cleanup/QuickCleanView.h"

namespace tolvex::test {

struct QuickCleanScreen {
  static constexpr int64_t kMiB = 1 << 20;
  AppFixture fixture;
  TreeBuilder home{fixture.home.home()};
  FakeTime time;
  std::shared_ptr<std::atomic<int>> searches = std::make_shared<std::atomic<int>>(0);
  std::unique_ptr<AppState> state;
  std::unique_ptr<QuickCleanView> view;
  std::string cache, log, trashed, derived, installer;
  // When set, the junk search answers this instead of looking at the home.
  std::optional<std::vector<JunkFinding>> fakeJunk;

  explicit QuickCleanScreen(bool junk = true) {
    if (!junk) return;
    cache = home.folder("Library/Caches/com.example.editor");
    home.allocatedFile("Library/Caches/com.example.editor/cache.db", 3 * kMiB - 4096);
    log = home.allocatedFile("Library/Logs/editor.log", 1 * kMiB);
    trashed = home.allocatedFile(".local/share/Trash/files/old.zip", 2 * kMiB);
    derived = home.folder("Library/Developer/Xcode/DerivedData/App");
    home.allocatedFile("Library/Developer/Xcode/DerivedData/App/build.o", 4 * kMiB - 4096);
    installer = home.allocatedFile("Downloads/Setup.dmg", 5 * kMiB);
    const double tenDaysAgo = fixture.now->load() - 10 * 86'400;
    home.times("Downloads/Setup.dmg", tenDaysAgo, tenDaysAgo);
  }

  // `volume` false: the store knows no volume figures.
  void start(bool volume = true) {
    AppEnvironment env = fixture.environment();
    if (!volume) env.readVolume = [] { return std::optional<VolumeInfo>(); };
    env.dataVolume = fixture.home.home();  // a whole-disk scan walks the fixture home
    time.install(env);
    auto count = searches;
    auto find = env.findJunk;
    env.findJunk = [count, find, fake = fakeJunk](const std::vector<JunkRule>& rules, bool access, double now) {
      ++*count;
      return fake ? *fake : find(rules, access, now);
    };
    state = std::make_unique<AppState>(env);
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
  }
  void show(QSize size = {1040, 680}) {
    view = std::make_unique<QuickCleanView>(*state);
    view->resize(size);
    view->show();
    view->activateWindow();
    waitOrFail([&] { return view->stage() != nullptr && QApplication::activeWindow() == view.get(); },
               "the first stage is shown in the active window");
  }
  ~QuickCleanScreen() {
    view.reset();
    if (state) state->waitForBackgroundWork();
    QCoreApplication::processEvents();
  }

  // Waits until the screen shows the stage of `phase`.
  bool showsPhase(SmartPhase phase) {
    return waitUntil([&] { return view->stagePhase() == phase && view->stage() && view->stage()->isVisible(); });
  }
  // Ends the wait that holds a stage for its minimum time, once the work has asked for it.
  void fireMinimumWait() {
    waitOrFail([&] { return !time.pending().empty(); }, "the work asks for its minimum time");
    time.fire();
  }
  // From the start stage to the review: the Scan button, the search, the minimum time.
  void reachReview() {
    click(names::idleScanButton);
    fireMinimumWait();
    waitOrFail([&] { return showsPhase(SmartPhase::review); }, "the review is shown");
  }
  // From the review to the result.
  void reachResult() {
    click(names::reviewClean);
    fireMinimumWait();
    waitOrFail([&] { return showsPhase(SmartPhase::done); }, "the result is shown");
    waitOrFail([&] { return !state->junkLoading(); }, "the junk is searched again");
  }

  template <typename T = QWidget>
  T* find(const char* name) const {
    return view->findChild<T*>(QLatin1String(name));
  }
  template <typename T = QWidget>
  QList<T*> findAll(const char* name) const {
    return view->findChildren<T*>(QLatin1String(name));
  }
  void click(const char* name) {
    auto* button = find<QAbstractButton>(name);
    if (!button) throw std::runtime_error(std::string("no button ") + name);
    button->click();
  }
};

}  // namespace tolvex::test
