#pragma once
// A scanned fixture tree on disk, the application state that scanned it with the real walk, and
// the desktop services replaced by recorders.
#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/services/UiServices.h"
#include "support/qt/AppFixture.h"

namespace tolvex::test {

// Records what the screens ask of the desktop, for the life of the object.
struct FakeServices {
  UiServices saved = UiServices::shared();
  std::vector<std::string> revealed;
  std::vector<std::string> opened;
  FakeServices() {
    UiServices::shared().revealInFileManager = [this](const std::string& path) { revealed.push_back(path); };
    UiServices::shared().openFile = [this](const std::string& path) { opened.push_back(path); };
    UiServices::shared().openUrl = [](const QUrl&) { return false; };
  }
  ~FakeServices() { UiServices::shared() = saved; }
};

// scan/
//   big.bin 4 MiB · docs/ (report.pdf 1 MiB, old/archive.zip 2 MiB, old/notes.txt 600 KiB)
//   media/ (movie.mov 3 MiB, Tool.app/Contents/MacOS/tool 1 MiB)
//   a.txt, b.txt (small files folded into scan/)
struct ScannedTree {
  AppFixture fixture;
  TreeBuilder tree{fixture.home / "scan"};
  std::unique_ptr<AppState> state;

  ScannedTree() {
    tree.allocatedFile("big.bin", 4 << 20);
    tree.allocatedFile("docs/report.pdf", 1 << 20);
    tree.allocatedFile("docs/old/archive.zip", 2 << 20);
    tree.allocatedFile("docs/old/notes.txt", 600 << 10);
    tree.allocatedFile("media/movie.mov", 3 << 20);
    tree.allocatedFile("media/Tool.app/Contents/MacOS/tool", 1 << 20);
    tree.file("a.txt", 10);
    tree.file("b.txt", 20);
    state = std::make_unique<AppState>(fixture.environment());
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
    state->startScan(ScanTarget::folder(tree.base()));
    waitOrFail([&] { return state->scan().has_value(); }, "the scan has finished", 20000);
  }
  ~ScannedTree() {
    state->waitForBackgroundWork();
    QCoreApplication::processEvents();
  }

  FileNode* node(const std::string& relative) const {
    const std::string wanted = tree.path(relative);
    std::vector<FileNode*> stack{state->scan()->root};
    while (!stack.empty()) {
      FileNode* n = stack.back();
      stack.pop_back();
      if (n->path() == wanted) return n;
      stack.insert(stack.end(), n->children.begin(), n->children.end());
    }
    return nullptr;
  }
};

// Lets queued work (coalesced refreshes, layouts) run.
inline void settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

}  // namespace tolvex::test
