#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/FullDiskAccess.h"
#include "platform/HomeFolder.h"
#include "platform/Identifiers.h"
#include "platform/Places.h"
#include "platform/VolumeQuery.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using tolvex::test::TempDir;
using tolvex::test::TempHome;
using tolvex::test::TreeBuilder;

TEST(HomeFolder, IsTheResolvedHomeWithoutTrailingSlash) {
  TempHome home;
  setenv("HOME", (home.home() + "/").c_str(), 1);
  EXPECT_EQ(homeFolder(), home.home());
  TreeBuilder tree(home.home());
  tree.folder("real");
  tree.symlink(home.home() + "/real", "link");
  setenv("HOME", (home.home() + "/link").c_str(), 1);
  EXPECT_EQ(homeFolder(), home.home() + "/real");
  setenv("HOME", "/nonexistent/home", 1);
  EXPECT_EQ(homeFolder(), "/nonexistent/home");
}

TEST(HomeFolder, AppSupportFolderIsCreatedUnderXdgDataHome) {
  TempHome home;
  ::rmdir((home.dataHome()).c_str());
  std::string folder = appSupportFolder();
  EXPECT_EQ(folder, home.dataHome() + "/Tolvex");
  struct stat st {};
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(appSupportFolder(), home.home() + "/.local/share/Tolvex");
}

// The user's places follow the XDG variables, resolved; one unset or relative falls back below home.
TEST(Places, FollowTheXdgVariablesAndFallBackBelowTheHome) {
  TempHome home;
  TreeBuilder tree(home.home());
  tree.folder("cfg");
  tree.symlink(home.home() + "/cfg", "cfg-link");
  setenv("XDG_CONFIG_HOME", (home.home() + "/cfg-link").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home.home() + "/cache").c_str(), 1);
  Places places = Places::current();
  EXPECT_EQ(places.home, home.home());
  EXPECT_EQ(places.configHome, home.home() + "/cfg");
  EXPECT_EQ(places.ownCache, home.home() + "/cache/Tolvex");
  EXPECT_EQ(places.dataHome, home.dataHome());
  EXPECT_EQ(places.trashFiles, home.dataHome() + "/Trash/files");
  setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
  unsetenv("XDG_CACHE_HOME");
  places = Places::current();
  EXPECT_EQ(places.configHome, home.home() + "/.config");
  EXPECT_EQ(places.ownCache, home.home() + "/.cache/Tolvex");
  // The defaults below a home are what the variables' absence gives.
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
  const Places defaults = Places::forHome(home.home());
  places = Places::current();
  EXPECT_EQ(defaults.configHome, places.configHome);
  EXPECT_EQ(defaults.dataHome, places.dataHome);
  EXPECT_EQ(defaults.trashFiles, places.trashFiles);
  EXPECT_EQ(defaults.ownCache, places.ownCache);
}

TEST(AtomicFile, WritesWholeFilesAndKeepsTheOldOneOnFailure) {
  TempDir dir;
  std::string path = dir / "store.json";
  ASSERT_EQ(writeFileAtomically(path, "first"), 0);
  EXPECT_EQ(readWholeFile(path), "first");
  ASSERT_EQ(writeFileAtomically(path, std::string(100000, 'z')), 0);
  EXPECT_EQ(readWholeFile(path)->size(), 100000u);
  // A folder that does not exist fails with its errno and leaves nothing behind.
  EXPECT_EQ(writeFileAtomically(dir / "missing/store.json", "x"), ENOENT);
  EXPECT_FALSE(readWholeFile(dir / "missing/store.json"));
  EXPECT_FALSE(readWholeFile(dir.path()));  // a folder is not a file
  // No temporary files are left beside the target.
  int entries = 0;
  for (auto* d = opendir(dir.path().c_str()); d;) {
    dirent* e = readdir(d);
    if (!e) {
      closedir(d);
      break;
    }
    if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(Identifiers, UuidsAreRandomUpperCaseVersion4) {
  const std::regex shape("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    std::string id = makeUUID();
    EXPECT_TRUE(std::regex_match(id, shape)) << id;
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), 200u);
}

TEST(Identifiers, ReferenceDateIsFirstOfJanuary2001) {
  EXPECT_DOUBLE_EQ(toReferenceDate(978307200.0), 0.0);
  EXPECT_DOUBLE_EQ(fromReferenceDate(86400.5), 978307200.0 + 86400.5);
}

TEST(VolumeQuery, ReadsTheVolumeOfAPath) {
  auto volume = queryVolume("/");
  ASSERT_TRUE(volume);
  EXPECT_GT(*volume->total, 0);
  EXPECT_GE(*volume->total, *volume->available);
  ASSERT_TRUE(volume->name);
  EXPECT_FALSE(volume->name->empty());
  EXPECT_NE(*volume->name, "Macintosh HD");
  EXPECT_FALSE(queryVolume("/no/such/path"));
}

TEST(FullDiskAccess, ProbeTriesTheDatabaseThenTheFolder) {
  TempHome home;
  TreeBuilder tree(home.home());
  const std::string db = tree.file("TCC/TCC.db", 10);
  const std::string safari = tree.folder("Library/Safari");
  // Neither exists: false.
  EXPECT_FALSE(probeFullDiskAccess({home / "none/TCC.db", home / "none/Safari"}));
  // The database readable, the folder missing: true.
  EXPECT_TRUE(probeFullDiskAccess({db, home / "none/Safari"}));
  // Only the folder: true.
  EXPECT_TRUE(probeFullDiskAccess({home / "none/TCC.db", safari}));
  EXPECT_EQ(fullDiskAccessCandidates(home.home())[1], home.home() + "/Library/Safari");
  EXPECT_TRUE(hasFullDiskAccess());
  if (geteuid() == 0) GTEST_SKIP() << "root reads everything; the unreadable cases need another user";
  ::chmod(db.c_str(), 0);
  ::chmod(safari.c_str(), 0);
  EXPECT_FALSE(probeFullDiskAccess({db, safari}));
}
