#include <gtest/gtest.h>

#include <sys/stat.h>

#include "model/SafetyVerdict.h"
#include "support/AppsFixture.h"
#include "support/qt/FakeEngines.h"
#include "system/AppInventory.h"
#include "system/RemovedApp.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

InstalledApp appAt(const std::string& path, std::vector<RelatedItem> related = {}) {
  InstalledApp app;
  app.path = path;
  app.name = path.substr(path.rfind('/') + 1, path.size() - path.rfind('/') - 5);
  app.bundleID = "com.example." + app.name;
  app.appSize = 1000;
  app.related = std::move(related);
  return app;
}

Leftover leftoverAt(const std::string& path) {
  return Leftover{path, path.substr(path.rfind('/') + 1), "Caches", 70000, {}};
}

std::vector<std::string> pathsOf(const std::vector<InstalledApp>& apps) {
  std::vector<std::string> out;
  for (const InstalledApp& app : apps) out.push_back(app.path);
  return out;
}

std::vector<std::string> pathsOf(const std::vector<Leftover>& leftovers) {
  std::vector<std::string> out;
  for (const Leftover& leftover : leftovers) out.push_back(leftover.path);
  return out;
}

bool exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// A store whose inventory and leftover search are fakes; the leftover search records the applications
// it was given.
struct Harness {
  AppFixture f;
  Scripted<std::vector<InstalledApp>> inventory;
  Scripted<std::vector<Leftover>> search;
  std::shared_ptr<std::mutex> givenMutex = std::make_shared<std::mutex>();
  std::shared_ptr<std::vector<std::string>> given = std::make_shared<std::vector<std::string>>();
  std::unique_ptr<AppState> state;

  Harness() {
    AppEnvironment env = f.environment();
    env.installedApps = [inventory = inventory] { return inventory.take(); };
    env.findLeftovers = [search = search, mutex = givenMutex, given = given](const std::vector<InstalledApp>& apps) {
      {
        std::lock_guard lock(*mutex);
        *given = pathsOf(apps);
      }
      return search.take();
    };
    state = std::make_unique<AppState>(env);
    waitUntil([&] { return !state->isRestoringScan(); });
  }
  std::vector<std::string> searchedApps() {
    std::lock_guard lock(*givenMutex);
    return *given;
  }
  void loadApps(std::vector<InstalledApp> apps) {
    inventory.answer(std::move(apps));
    state->loadApps(true);
    waitOrFail([&] { return !state->appsLoading(); }, "the applications are published");
  }
};

}  // namespace

TEST(AppStateApps, LoadingTheAppsIsGuardedUnlessForced) {
  Harness h;
  EXPECT_TRUE(h.state->apps().empty());
  EXPECT_FALSE(h.state->appsLoading());
  auto first = h.inventory.holdCall(1);
  h.inventory.answer({appAt("/A/Editor.app"), appAt("/A/Viewer.app")});
  h.state->loadApps();
  EXPECT_TRUE(h.state->appsLoading());
  ASSERT_TRUE(waitUntil([&] { return first->someoneWaiting(); }));
  h.state->loadApps();  // a load runs: nothing more
  first->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->appsLoading(); }));
  EXPECT_EQ(pathsOf(h.state->apps()), (std::vector<std::string>{"/A/Editor.app", "/A/Viewer.app"}));
  EXPECT_EQ(h.inventory.calls(), 1);

  // A list is shown: only a forced load measures again.
  h.state->loadApps();
  EXPECT_FALSE(h.state->appsLoading());
  h.inventory.answer({appAt("/A/Viewer.app")});
  h.state->loadApps(true);
  EXPECT_TRUE(h.state->appsLoading());
  EXPECT_EQ(pathsOf(h.state->apps()).size(), 2u);  // the old rows stay until the new ones come
  ASSERT_TRUE(waitUntil([&] { return !h.state->appsLoading(); }));
  EXPECT_EQ(pathsOf(h.state->apps()), std::vector<std::string>{"/A/Viewer.app"});
  EXPECT_EQ(h.inventory.calls(), 2);
}

TEST(AppStateApps, OnlyTheLatestOfOverlappingLoadsPublishes) {
  // A forced load overtakes a running one; whichever ends first, only the newer list is published and
  // loading ends with it.
  for (bool olderEndsFirst : {true, false}) {
    Harness h;
    std::vector<std::vector<std::string>> published;
    QObject::connect(h.state.get(), &AppState::appsChanged, [&] {
      if (!h.state->appsLoading()) published.push_back(pathsOf(h.state->apps()));
    });
    auto older = h.inventory.holdCall(1), newer = h.inventory.holdCall(2);
    h.state->loadApps();
    ASSERT_TRUE(waitUntil([&] { return older->someoneWaiting(); }));
    h.state->loadApps(true);
    ASSERT_TRUE(waitUntil([&] { return newer->someoneWaiting(); }));
    auto finish = [&](const std::shared_ptr<Gate>& gate, const char* path) {
      h.inventory.answer({appAt(path)});
      const int before = h.inventory.returned();
      gate->open();
      ASSERT_TRUE(waitUntil([&] { return h.inventory.returned() == before + 1; }));
    };
    if (olderEndsFirst) {
      finish(older, "/A/Old.app");
      EXPECT_TRUE(h.state->appsLoading());
      finish(newer, "/A/New.app");
    } else {
      finish(newer, "/A/New.app");
      finish(older, "/A/Old.app");
    }
    h.state->waitForBackgroundWork();  // both loads have handed their lists over
    QCoreApplication::processEvents();
    EXPECT_EQ(published, std::vector<std::vector<std::string>>{{"/A/New.app"}}) << olderEndsFirst;
    EXPECT_FALSE(h.state->appsLoading());
  }
}

TEST(AppStateApps, LeftoverSearchGathersTheAppsItselfWhenNoneAreListed) {
  Harness h;
  std::vector<bool> appsLoadingSeen;
  QObject::connect(h.state.get(), &AppState::appsChanged, [&] { appsLoadingSeen.push_back(h.state->appsLoading()); });
  h.inventory.answer({appAt("/A/Editor.app")});
  h.search.answer({leftoverAt("/L/Caches/com.gone.big"), leftoverAt("/L/Caches/com.gone.small")});
  auto searching = h.search.holdCall(1);
  h.state->loadLeftovers();
  EXPECT_TRUE(h.state->leftoversLoading());
  // The gathered applications show while the leftover search still runs.
  ASSERT_TRUE(waitUntil([&] { return !h.state->apps().empty(); }));
  EXPECT_TRUE(h.state->leftoversLoading());
  searching->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->leftoversLoading(); }));
  EXPECT_EQ(h.searchedApps(), std::vector<std::string>{"/A/Editor.app"});
  EXPECT_EQ(pathsOf(h.state->apps()), std::vector<std::string>{"/A/Editor.app"});
  EXPECT_EQ(appsLoadingSeen, std::vector<bool>{false});  // published, never shown as loading
  EXPECT_EQ(pathsOf(h.state->leftovers()),
            (std::vector<std::string>{"/L/Caches/com.gone.big", "/L/Caches/com.gone.small"}));

  // With a list the search uses it and gathers nothing; every call that finds no search running searches.
  h.loadApps({appAt("/A/Editor.app"), appAt("/A/Viewer.app")});
  const int inventoryCalls = h.inventory.calls();
  h.search.answer({});
  h.state->loadLeftovers();
  ASSERT_TRUE(waitUntil([&] { return !h.state->leftoversLoading(); }));
  EXPECT_EQ(h.inventory.calls(), inventoryCalls);
  EXPECT_EQ(h.searchedApps(), (std::vector<std::string>{"/A/Editor.app", "/A/Viewer.app"}));
  EXPECT_TRUE(h.state->leftovers().empty());
  EXPECT_EQ(h.search.calls(), 2);
}

TEST(AppStateApps, LeftoverSearchRunsOnceAtATime) {
  Harness h;
  h.loadApps({appAt("/A/Editor.app")});
  auto gate = h.search.holdCall(1);
  h.state->loadLeftovers();
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  h.state->loadLeftovers();
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->leftoversLoading(); }));
  h.state->waitForBackgroundWork();
  QCoreApplication::processEvents();
  EXPECT_EQ(h.search.calls(), 1);
}

TEST(AppStateApps, PruningDropsDeletedAppsAndLeftoversAndKeepsTheOrder) {
  Harness h;
  h.loadApps({appAt("/A/One.app"), appAt("/A/Two.app"), appAt("/A/Three.app")});
  h.search.answer({leftoverAt("/L/a"), leftoverAt("/L/b"), leftoverAt("/L/c")});
  h.state->loadLeftovers();
  ASSERT_TRUE(waitUntil([&] { return !h.state->leftoversLoading(); }));
  int appsSignals = 0, leftoverSignals = 0;
  QObject::connect(h.state.get(), &AppState::appsChanged, [&] { ++appsSignals; });
  QObject::connect(h.state.get(), &AppState::leftoversChanged, [&] { ++leftoverSignals; });
  const int64_t revision = h.state->revision();
  // Exact paths only: a folder holding an app, or a path with a trailing "/", takes nothing.
  h.state->pruneDeleted({"/A/Two.app", "/L/b", "/A", "/L/c/"});
  EXPECT_EQ(pathsOf(h.state->apps()), (std::vector<std::string>{"/A/One.app", "/A/Three.app"}));
  EXPECT_EQ(pathsOf(h.state->leftovers()), (std::vector<std::string>{"/L/a", "/L/c"}));
  EXPECT_EQ(h.state->revision(), revision + 1);
  EXPECT_EQ(appsSignals, 1);
  EXPECT_EQ(leftoverSignals, 1);
}

TEST(AppStateApps, LoadsRunningDuringADeletionDoNotBringItsItemsBack) {
  Harness h;
  auto appsGate = h.inventory.holdCall(1);
  auto searchGate = h.search.holdCall(1);
  h.inventory.answer({appAt("/A/Gone.app"), appAt("/A/Kept.app")});
  h.search.answer({leftoverAt("/L/gone"), leftoverAt("/L/kept")});
  h.state->loadApps();
  ASSERT_TRUE(waitUntil([&] { return appsGate->someoneWaiting(); }));
  h.state->loadLeftovers();  // no list yet: it gathers its own, held at the second inventory call
  h.state->pruneDeleted({"/A/Gone.app", "/L/gone"});
  appsGate->open();
  ASSERT_TRUE(waitUntil([&] { return searchGate->someoneWaiting(); }));
  searchGate->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->appsLoading() && !h.state->leftoversLoading(); }));
  EXPECT_EQ(pathsOf(h.state->apps()), std::vector<std::string>{"/A/Kept.app"});
  EXPECT_EQ(pathsOf(h.state->leftovers()), std::vector<std::string>{"/L/kept"});
  // The next load reads the disk afresh and lists what it finds.
  h.loadApps({appAt("/A/Gone.app")});
  EXPECT_EQ(pathsOf(h.state->apps()), std::vector<std::string>{"/A/Gone.app"});
}

TEST(AppStateApps, UninstallPlansTheBundleThenItsDataInOrder) {
  Harness h;
  InstalledApp app =
      appAt("/Applications/Editor.app", {{"/h/Library/Caches/com.example.Editor", "Caches", 300},
                                         {"/h/Library/Preferences/com.example.Editor.plist", "Preferences", 20},
                                         {"/h/Library/Logs/Editor", "Logs", 10}});
  app.name = "Editor Pro";
  app.appSize = 5000;
  h.state->planUninstall(app);
  ASSERT_TRUE(h.state->plan());
  EXPECT_EQ(h.state->plan()->title, QStringLiteral("Uninstall Editor Pro"));
  struct Row {
    std::string path, name;
    int64_t size;
  };
  const std::vector<Row> expected = {
      {"/Applications/Editor.app", "Editor Pro", 5000},
      {"/h/Library/Caches/com.example.Editor", "Caches \u00B7 com.example.Editor", 300},
      {"/h/Library/Preferences/com.example.Editor.plist", "Preferences \u00B7 com.example.Editor.plist", 20},
      {"/h/Library/Logs/Editor", "Logs \u00B7 Editor", 10},
  };
  const auto& items = h.state->plan()->items;
  ASSERT_EQ(items.size(), expected.size());
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].path, expected[i].path);
    EXPECT_EQ(items[i].name, expected[i].name);
    EXPECT_EQ(items[i].size, expected[i].size);
    EXPECT_EQ(items[i].removal, Removal::trash);
    EXPECT_EQ(items[i].verdict, h.state->verdictFor(items[i].path)) << items[i].path;
  }
  // The leftovers of a removed application are named the same way.
  RemovedApp removed{"Tool", "com.example.Tool", {{"/h/Library/Caches/com.example.Tool", "Caches", 9}}};
  h.state->setRemovedApp(removed);
  h.state->planLeftovers();
  ASSERT_TRUE(h.state->plan());
  EXPECT_EQ(h.state->plan()->title, QStringLiteral("Leftovers of Tool"));
  ASSERT_EQ(h.state->plan()->items.size(), 1u);
  EXPECT_EQ(h.state->plan()->items[0].name, "Caches \u00B7 com.example.Tool");
}

TEST(AppStateApps, UninstallOfAFixtureAppEndsInTheTrashAndLeavesTheList) {
  // The real inventory over Mac-like folders: the application and its data go to the Trash, the list
  // loses it at once, and Undo puts everything back.
  AppsFixture mac;
  const std::string editor = writeApp(mac.userApp("Editor.app"), {.identifier = "com.example.Editor"});
  writeApp(mac.systemApp("Viewer.app"), {.identifier = "com.example.Viewer"});
  const std::string cache = mac.library("Caches/com.example.Editor/blob", 8192);
  AppFixture f;
  AppEnvironment env = f.environment();
  const InventoryContext context = mac.context();
  env.installedApps = [context] { return AppInventory::installedApps(context); };
  AppState state(env);
  waitUntil([&] { return !state.isRestoringScan(); });
  state.loadApps();
  ASSERT_TRUE(waitUntil([&] { return !state.appsLoading(); }));
  ASSERT_EQ(state.apps().size(), 2u);
  auto found = std::find_if(state.apps().begin(), state.apps().end(),
                            [&](const InstalledApp& app) { return app.path == editor; });
  ASSERT_NE(found, state.apps().end());
  ASSERT_EQ(found->related.size(), 1u);

  state.planUninstall(*found);
  ASSERT_TRUE(state.plan());
  ASSERT_EQ(state.plan()->items.size(), 2u);
  const std::string cacheFolder = mac.home / "Library/Caches/com.example.Editor";
  EXPECT_EQ(state.plan()->items[1].path, cacheFolder);
  state.confirmDeletion(*state.plan(), true);
  ASSERT_TRUE(waitUntil([&] { return state.toast().has_value() && !state.toast()->undoable.empty(); }));
  EXPECT_FALSE(exists(editor));
  EXPECT_FALSE(exists(cache));
  EXPECT_EQ(pathsOf(state.apps()), std::vector<std::string>{mac.systemApp("Viewer.app")});
  EXPECT_EQ(state.toast()->undoable.size(), 2u);
  EXPECT_EQ(state.history().entries().size(), 2u);

  state.undoDeletion(state.toast()->undoable);
  EXPECT_TRUE(exists(editor));
  EXPECT_TRUE(exists(cache));
  EXPECT_EQ(state.toast()->message, QStringLiteral("2 item(s) restored"));
}
