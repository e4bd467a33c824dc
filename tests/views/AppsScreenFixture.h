#pragma once
// Application folders and a Library laid out like a Mac's, the store that reads them with the real
// inventory and leftover search, a running-applications list the test sets, and the desktop services
// replaced by recorders.
#include <QApplication>
#include <QTest>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "support/AppsFixture.h"
#include "support/qt/AppFixture.h"
#include "system/AppInventory.h"
#include "views/ExplorerFixture.h"

namespace tolvex::test {

// Editor (com.example.Editor, v2.1): a bundle of 8 KiB and three Library items of 64, 16 and 8 KiB.
// Viewer (com.example.Viewer): 40 KiB, no data. Safari (com.apple.Safari): Apple's own, with a cache.
// Loose.app: no identifier. Library leftovers of removed tools: com.gone.big (160 KiB, a folder),
// com.gone.small (72 KiB), com.gone.plist.plist (80 KiB).
struct MacApps {
  AppsFixture mac;
  std::string editor, viewer, safari, loose;
  std::string editorCache, editorSupport, editorPrefs;
  std::string goneBig, goneSmall, gonePrefs;

  MacApps() {
    editor = writeApp(mac.systemApp("Editor.app"), {.identifier = "com.example.Editor", .version = "2.1"});
    mac.root.allocatedFile("Applications/Editor.app/Contents/Resources/data", 8 << 10);
    viewer = writeApp(mac.userApp("Viewer.app"), {.identifier = "com.example.Viewer"});
    mac.home.tree().allocatedFile("Applications/Viewer.app/Contents/Resources/data", 40 << 10);
    safari = writeApp(mac.systemApp("Safari.app"), {.identifier = "com.apple.Safari"});
    loose = writeApp(mac.systemApp("Loose.app"), {});
    mac.library("Caches/com.example.Editor/blob", 64 << 10);
    mac.library("Application Support/com.example.Editor/state", 16 << 10);
    mac.library("Preferences/com.example.Editor.plist", 8 << 10);
    mac.library("Caches/com.apple.Safari/cache.db", 12 << 10);
    editorCache = mac.home / "Library/Caches/com.example.Editor";
    editorSupport = mac.home / "Library/Application Support/com.example.Editor";
    editorPrefs = mac.home / "Library/Preferences/com.example.Editor.plist";
    goneBig = mac.home / "Library/Caches/com.gone.big";
    mac.library("Caches/com.gone.big/data", 160 << 10);
    goneSmall = mac.library("Application Support/com.gone.small", 72 << 10);
    gonePrefs = mac.library("Preferences/com.gone.plist.plist", 80 << 10);
  }
};

struct AppsScreen : MacApps {
  FakeServices services;
  AppFixture fixture;
  std::shared_ptr<std::mutex> runningMutex = std::make_shared<std::mutex>();
  std::shared_ptr<std::vector<std::string>> runningIDs = std::make_shared<std::vector<std::string>>();
  std::shared_ptr<std::atomic<int>> inventoryCalls = std::make_shared<std::atomic<int>>(0);
  std::shared_ptr<std::atomic<int>> leftoverCalls = std::make_shared<std::atomic<int>>(0);
  std::unique_ptr<AppState> state;

  // `inventory`: replaces the real inventory (a fake the test drives).
  explicit AppsScreen(std::function<std::vector<InstalledApp>()> inventory = {}) {
    AppEnvironment env = fixture.environment();
    const InventoryContext context = mac.context();
    if (inventory) {
      env.installedApps = [inventory, calls = inventoryCalls] {
        ++*calls;
        return inventory();
      };
    } else {
      env.installedApps = [context, calls = inventoryCalls] {
        ++*calls;
        return AppInventory::installedApps(context);
      };
    }
    env.findLeftovers = [context, calls = leftoverCalls](const std::vector<InstalledApp>& apps) {
      ++*calls;
      return AppInventory::findLeftovers(apps, context);
    };
    env.runningApplications = [mutex = runningMutex, ids = runningIDs] {
      std::lock_guard lock(*mutex);
      return *ids;
    };
    state = std::make_unique<AppState>(env);
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
  }
  ~AppsScreen() {
    state->waitForBackgroundWork();
    QCoreApplication::processEvents();
  }
  void setRunning(std::vector<std::string> ids) {
    std::lock_guard lock(*runningMutex);
    *runningIDs = std::move(ids);
  }
  // Runs the event loop until the screens have caught up with the store.
  static void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }
};

}  // namespace tolvex::test
