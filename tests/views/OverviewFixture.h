#pragma once
// A fixture home laid out like a Mac's (a large app container, caches, movies, documents and a
// Trash), scanned by the real walk, with trend snapshots written before the state starts, and the
// Overview showing it.
#include <fstream>
#include <memory>
#include <vector>

#include "support/qt/AppFixture.h"
#include "views/ExplorerFixture.h"
#include "views/analysis/OverviewView.h"

namespace tolvex::test {

struct OverviewScreen {
  static constexpr int64_t kMiB = 1 << 20;
  AppFixture fixture;
  FakeServices services;
  TreeBuilder home{fixture.home.home()};
  std::unique_ptr<AppState> state;
  std::unique_ptr<OverviewView> view;
  std::shared_ptr<Gate> junkGate;  // when set, junk searches wait at it

  OverviewScreen() {
    // 204 MiB: each folder down to Data is just above the 200 MiB the largest-folder list asks for.
    // Files of 51 MiB fit a few extents, so the file system adds no index block to them.
    for (int part = 0; part < 4; ++part)
      home.allocatedFile("Library/Containers/com.example.Editor/Data/store" + std::to_string(part) + ".bin", 51 * kMiB);
    home.allocatedFile("Library/Caches/com.example.editor/cache.db", 60 * kMiB);
    home.allocatedFile("Movies/clip.mov", 3 * kMiB);
    home.allocatedFile("Documents/report.pdf", 1 * kMiB);
    home.allocatedFile(".local/share/Trash/files/old.zip", 2 * kMiB);
  }

  void writeSnapshots(const std::vector<ScanSnapshot>& snapshots) {
    std::ofstream out(fixture.appFolder + "/scans.json", std::ios::binary | std::ios::trunc);
    out << *encodeSnapshots(snapshots);
  }

  // Starts the state; `wholeDisk` scans the home folder as the whole disk's data volume.
  void start(bool wholeDisk = false) {
    AppEnvironment env = fixture.environment();
    if (wholeDisk) env.dataVolume = fixture.home.home();
    if (junkGate) {
      auto gate = junkGate;
      auto find = env.findJunk;
      env.findJunk = [gate, find](const std::vector<JunkRule>& rules, bool access, double now) {
        gate->wait();
        return find(rules, access, now);
      };
    }
    state = std::make_unique<AppState>(env);
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
  }
  void scan(const ScanTarget& target) {
    const int64_t before = state->revision();
    state->startScan(target);
    ASSERT_TRUE(waitUntil([&] { return state->revision() != before && !state->isScanning(); }, 20000));
  }
  void show(QSize size = {1040, 680}) {
    view = std::make_unique<OverviewView>(*state);
    view->resize(size);
    view->show();
    settle();
  }
  void waitForJunk() {
    ASSERT_TRUE(waitUntil([&] { return !state->junkLoading(); }, 20000));
    settle();
  }
  ~OverviewScreen() {
    view.reset();
    if (junkGate) junkGate->open();
    if (state) state->waitForBackgroundWork();
    QCoreApplication::processEvents();
  }

  template <typename T>
  T* find(const char* name) const {
    return view->findChild<T*>(QLatin1String(name));
  }
  template <typename T>
  QList<T*> findAll(const char* name) const {
    return view->findChildren<T*>(QLatin1String(name));
  }
};

}  // namespace tolvex::test
