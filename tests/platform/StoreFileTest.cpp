#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/Identifiers.h"
#include "platform/StoreFile.h"
#include "support/FileState.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

std::string todaysSuffix() {
  const time_t t = static_cast<time_t>(std::floor(nowSince1970()));
  struct tm local {};
  localtime_r(&t, &local);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%d", &local);
  return std::string(".unreadable-") + date;
}

}  // namespace

TEST(ReadRegularFile, ReadsOnlyRegularFilesAndNeverWaits) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  writeBytes(dir / "plain", "bytes");
  tree.symlink(dir / "plain", "link");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  tree.folder("folder");
  struct Case {
    std::string path;
    FileLinks links;
    size_t limit;
    int error;
  };
  const Case cases[] = {
      {dir / "plain", FileLinks::refuse, SIZE_MAX, 0},
      {dir / "link", FileLinks::follow, SIZE_MAX, 0},
      {dir / "link", FileLinks::refuse, SIZE_MAX, ELOOP},
      {dir / "fifo", FileLinks::follow, SIZE_MAX, EINVAL},  // opened without waiting for a writer
      {dir / "folder", FileLinks::follow, SIZE_MAX, EINVAL},
      {dir / "missing", FileLinks::refuse, SIZE_MAX, ENOENT},
      {dir / "plain", FileLinks::refuse, 4, EFBIG},
      {dir / "plain", FileLinks::refuse, 5, 0},
  };
  for (const Case& c : cases) {
    const FileRead read = readRegularFile(c.path, c.links, c.limit);
    EXPECT_EQ(read.error, c.error) << c.path;
    EXPECT_EQ(read.bytes, c.error ? "" : "bytes") << c.path;
  }
}

TEST(StoreFile, AnUnreadableFileIsMovedAsideAndNeverOverwritten) {
  TempDir dir;
  const std::string path = dir / "store.json";
  StoreFile missing(path);
  EXPECT_EQ(missing.read(), std::nullopt);
  EXPECT_EQ(missing.setAsidePath(), std::nullopt);  // nothing there: nothing to tell

  writeBytes(path, "good");
  StoreFile good(path);
  EXPECT_EQ(good.read(), "good");
  good.reject();  // the bytes did not decode
  EXPECT_EQ(good.setAsidePath(), path + todaysSuffix());
  EXPECT_EQ(readWholeFile(path + todaysSuffix()), "good");
  EXPECT_EQ(good.write("new"), 0);
  EXPECT_EQ(readWholeFile(path), "new");

  // A FIFO is set aside by its read; the next name of the day is taken.
  ::unlink(path.c_str());
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  StoreFile fifo(path);
  EXPECT_EQ(fifo.read(), std::nullopt);
  EXPECT_EQ(fifo.setAsidePath(), path + todaysSuffix() + "-2");
  struct stat st {};
  ASSERT_EQ(::lstat((path + todaysSuffix() + "-2").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(StoreFile, WhenTheFileCannotBeMovedAsideNothingIsWritten) {
  TempDir dir;
  const std::string path = dir / "store.json";
  writeBytes(path, "damaged");
  // Every name it could be moved to is taken.
  writeBytes(path + todaysSuffix(), "");
  for (int i = 2; i <= 1000; ++i) writeBytes(path + todaysSuffix() + "-" + std::to_string(i), "");
  StoreFile store(path);
  EXPECT_EQ(store.read(), "damaged");
  store.reject();
  EXPECT_EQ(store.setAsidePath(), std::nullopt);
  EXPECT_EQ(store.write("new"), EEXIST);
  EXPECT_EQ(readWholeFile(path), "damaged");
}
