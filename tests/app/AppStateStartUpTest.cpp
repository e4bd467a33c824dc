#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "app/StoreNotice.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "support/FileState.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

// The names in `folder` that begin with `prefix`.
std::vector<std::string> namesStartingWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  for (const std::string& name : folderNames(folder))
    if (name.starts_with(prefix)) names.push_back(name);
  return names;
}

void setModified(const std::string& path, double secondsSince1970) {
  const struct timespec times[2] = {{static_cast<time_t>(secondsSince1970), 0},
                                    {static_cast<time_t>(secondsSince1970), 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

}  // namespace

// A FIFO in place of any file read at start-up must not hold the start: every one is opened without
// waiting and refused as not a regular file. The stores and the settings set theirs aside (and say
// so once); the archive simply gives no restored scan.
TEST(AppStateStartUp, AFifoInPlaceOfAnyFileReadAtStartDoesNotBlock) {
  AppFixture f;
  ASSERT_TRUE(makeFolders(parentPath(f.settingsPath.toStdString())));
  const std::string fifos[] = {f.appFolder + "/history.json", f.appFolder + "/scans.json", f.appFolder + "/space.json",
                               f.appFolder + "/last-scan.tvxscan", f.settingsPath.toStdString()};
  for (const std::string& path : fifos) ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;

  AppState state(f.environment());
  ASSERT_TRUE(waitUntil([&] { return !state.isRestoringScan(); }));
  EXPECT_FALSE(state.scan());
  EXPECT_TRUE(state.history().entries().empty());
  EXPECT_TRUE(state.trends().snapshots().empty());
  EXPECT_FALSE(state.permanentDelete());
  ASSERT_TRUE(state.toast());
  for (const char* name :
       {"history.json.unreadable-", "scans.json.unreadable-", "space.json.unreadable-", "Tolvex.conf.unreadable-"})
    EXPECT_NE(state.toast()->detail->indexOf(QLatin1String(name)), -1) << name;

  // The settings start afresh and are written as a regular file again.
  state.setPermanentDelete(true);
  EXPECT_TRUE(Settings(f.settingsPath).boolValue(keys::permanentDelete, false));
  state.waitForBackgroundWork();
}

// A damaged history or trend file is moved aside once, the user is told once, and the next start
// finds nothing to tell.
TEST(AppStateStartUp, DamagedStoresAreSetAsideAndToldOnce) {
  AppFixture f;
  ASSERT_EQ(writeFileAtomically(f.appFolder + "/history.json", "[{\"id\":1}]"), 0);
  ASSERT_EQ(writeFileAtomically(f.appFolder + "/space.json", "not json"), 0);
  {
    AppState state(f.environment());
    ASSERT_TRUE(state.toast());
    EXPECT_EQ(state.toast()->message, QStringLiteral("Some of Tolvex’s records couldn’t be read"));
    const auto history = namesStartingWith(f.appFolder, "history.json.unreadable-");
    const auto space = namesStartingWith(f.appFolder, "space.json.unreadable-");
    ASSERT_EQ(history.size(), 1u);
    ASSERT_EQ(space.size(), 1u);
    EXPECT_EQ(state.toast()->detail, QStringLiteral("Kept as %1, %2 in Tolvex’s folder. New records start now.")
                                         .arg(QString::fromStdString(history[0]), QString::fromStdString(space[0])));
    EXPECT_EQ(readWholeFile(f.appFolder + "/" + history[0]), "[{\"id\":1}]");
    state.waitForBackgroundWork();
  }
  AppState again(f.environment());
  EXPECT_FALSE(again.toast());
  again.waitForBackgroundWork();
  EXPECT_EQ(setAsideToast({}), std::nullopt);
}

// A kill between writing and renaming leaves our temporary file behind; the next start removes the
// stale ones of our own files, and nothing else (a young one may belong to a write going on).
TEST(AppStateStartUp, StaleTemporaryFilesOfOurOwnAreSwept) {
  AppFixture f;
  const double now = f.now->load();
  const double stale = now - AppState::kStaleTemporarySeconds - 60, young = now - 10;
  struct Case {
    std::string name;
    double modified;
    bool swept;
  };
  const Case cases[] = {
      {".last-scan.tvxscan.a1B2c3", stale, true},  {".history.json.Zz9yY8", stale, true},
      {".scans.json.q1w2e3", stale, true},         {".space.json.XXXXXX", stale, true},
      {".last-scan.tvxscan.d4E5f6", young, false},  // a write of another start still going on
      {".notes.txt.a1B2c3", stale, false},          // not one of ours
      {".history.json.toolong1", stale, false},    {"last-scan.tvxscan.a1B2c3", stale, false},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(writeFileAtomically(f.appFolder + "/" + c.name, "partial"), 0);
    setModified(f.appFolder + "/" + c.name, c.modified);
  }
  AppState state(f.environment());
  state.waitForBackgroundWork();
  for (const Case& c : cases) EXPECT_EQ(pathExists(f.appFolder + "/" + c.name), !c.swept) << c.name;
}
