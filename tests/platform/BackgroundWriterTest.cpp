#include <gtest/gtest.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/BackgroundWriter.h"

using namespace tolvex;

namespace {

// Records what was written and holds a write at the gate until it is opened.
struct Log {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> written;
  std::vector<std::pair<std::string, int>> told;  // submitter → result it was told
  bool gateOpen = true;
  bool atGate = false;

  BackgroundWriter::Write write(std::string name, int result = 0, bool gated = false) {
    return [this, name, result, gated] {
      std::unique_lock lock(mutex);
      if (gated) {
        atGate = true;
        changed.notify_all();
        changed.wait(lock, [&] { return gateOpen; });
      }
      written.push_back(name);
      return result;
    };
  }
  BackgroundWriter::Done done(std::string submitter) {
    return [this, submitter](int error) {
      std::lock_guard lock(mutex);
      told.emplace_back(submitter, error);
    };
  }
  void waitAtGate() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return atGate; });
  }
  void open() {
    std::lock_guard lock(mutex);
    gateOpen = true;
    changed.notify_all();
  }
};

}  // namespace

// While A is being written, B and then C of the same file wait: C replaces B, so the file never goes
// back to B after C, and B's submitter learns the result of C, which carried its state.
TEST(BackgroundWriter, AWaitingWriteIsReplacedByTheNewestOfItsFile) {
  Log log;
  log.gateOpen = false;
  BackgroundWriter writer;
  writer.submit("history", log.write("A", 0, true), log.done("A"));
  log.waitAtGate();
  writer.submit("history", log.write("B"), log.done("B"));
  writer.submit("history", log.write("C", ENOSPC), log.done("C"));
  log.open();
  writer.waitForIdle();
  EXPECT_EQ(log.written, (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(log.told, (std::vector<std::pair<std::string, int>>{{"A", 0}, {"B", ENOSPC}, {"C", ENOSPC}}));
}

// Other files are not replaced: each is written once, in the order first submitted.
TEST(BackgroundWriter, WritesOfOtherFilesKeepTheirTurn) {
  Log log;
  log.gateOpen = false;
  BackgroundWriter writer;
  writer.submit("archive", log.write("archive", 0, true));
  log.waitAtGate();
  writer.submit("scans", log.write("scans 1"));
  writer.submit("space", log.write("space"));
  writer.submit("scans", log.write("scans 2"));
  log.open();
  writer.waitForIdle();
  EXPECT_EQ(log.written, (std::vector<std::string>{"archive", "scans 2", "space"}));
}

// Quitting loses nothing: the writer finishes every write submitted before it goes.
TEST(BackgroundWriter, DestructionFinishesEveryWaitingWrite) {
  Log log;
  log.gateOpen = false;
  {
    BackgroundWriter writer;
    writer.submit("a", log.write("a", 0, true));
    log.waitAtGate();
    writer.submit("b", log.write("b"), log.done("b"));
    writer.submit("c", log.write("c"));
    log.open();
  }
  EXPECT_EQ(log.written, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(log.told, (std::vector<std::pair<std::string, int>>{{"b", 0}}));
}
