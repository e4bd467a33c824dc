#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/ArchiveWriter.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

ScanResult scanOf(const std::string& root) {
  ScanResult result;
  result.rootPath = root;
  return result;
}

// The roots of the archives written, in order; the write of "/a" waits at the gate.
struct Written {
  Gate gate;
  std::mutex mutex;
  std::vector<std::string> roots;

  ArchiveWriter::Write write() {
    return [this](const ScanResult& result, const ScanTarget&) {
      if (result.rootPath == "/a") gate.wait();
      std::lock_guard lock(mutex);
      roots.push_back(result.rootPath);
    };
  }
  std::vector<std::string> taken() {
    std::lock_guard lock(mutex);
    return roots;
  }
};

// Declared after the writer, so that a failed assertion opens the gate before the writer waits for
// its write.
struct OpenOnExit {
  Gate& gate;
  ~OpenOnExit() { gate.open(); }
};

}  // namespace

// A blocks the writer; B and then C are submitted meanwhile. A finishes, then C is written: B, older
// than C, is never written, so the archive never goes back to an older tree.
TEST(ArchiveWriter, AGatedWriteIsFollowedByTheNewestOnly) {
  Written written;
  ArchiveWriter writer(written.write());
  OpenOnExit opener{written.gate};
  writer.submit(scanOf("/a"), ScanTarget::home());
  ASSERT_TRUE(waitUntil([&] { return written.gate.someoneWaiting(); }));
  writer.submit(scanOf("/b"), ScanTarget::home());
  writer.submit(scanOf("/c"), ScanTarget::home());
  EXPECT_TRUE(written.taken().empty());
  written.gate.open();
  writer.waitForIdle();
  EXPECT_EQ(written.taken(), (std::vector<std::string>{"/a", "/c"}));

  writer.submit(scanOf("/d"), ScanTarget::home());  // an idle writer takes the next one at once
  writer.waitForIdle();
  EXPECT_EQ(written.taken(), (std::vector<std::string>{"/a", "/c", "/d"}));
}

// Quitting while a write runs and another waits loses neither.
TEST(ArchiveWriter, DestructionFinishesTheWriteUnderWayAndTheOneWaiting) {
  Written written;
  {
    ArchiveWriter writer(written.write());
    OpenOnExit opener{written.gate};
    writer.submit(scanOf("/a"), ScanTarget::home());
    ASSERT_TRUE(waitUntil([&] { return written.gate.someoneWaiting(); }));
    writer.submit(scanOf("/b"), ScanTarget::home());
    written.gate.open();
  }
  EXPECT_EQ(written.taken(), (std::vector<std::string>{"/a", "/b"}));
}
