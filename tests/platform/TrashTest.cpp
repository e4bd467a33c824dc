#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/Fd.h"
#include "platform/FolderHandle.h"
#include "platform/HomeFolder.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "support/FileState.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

std::string contentOf(const std::string& path) { return readWholeFile(path).value_or("<unreadable>"); }

// A small tmpfs mounted on a temporary folder for the life of the object: another file system.
class TmpfsMount {
 public:
  TmpfsMount() : point_(dir_ / "mnt") {
    ::mkdir(point_.c_str(), 0755);
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", point_.c_str(), "tmpfs", 0, "size=8m,mode=0755") == 0;
  }
  ~TmpfsMount() {
    if (mounted_) ::umount2(point_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string& path() const { return point_; }

 private:
  TempDir dir_;
  std::string point_;
  bool mounted_ = false;
};

// Sets TZ for the life of the object.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

}  // namespace

TEST(TrashPathEncoding, EncodesBytesAndDecodesThemBack) {
  struct Case {
    std::string bytes, encoded;
  };
  const Case cases[] = {
      {"/home/u/plain-name_1.0~", "/home/u/plain-name_1.0~"},
      {"/home/u/a b", "/home/u/a%20b"},
      {"/home/u/100%", "/home/u/100%25"},
      {"/home/u/caf\xC3\xA9", "/home/u/caf%C3%A9"},
      {"/home/u/latin1-caf\xE9", "/home/u/latin1-caf%E9"},
      {"/home/u/\xFF\x01#?&=+", "/home/u/%FF%01%23%3F%26%3D%2B"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(percentEncodePath(c.bytes), c.encoded) << c.encoded;
    EXPECT_EQ(percentDecodePath(c.encoded), c.bytes) << c.encoded;
  }
  EXPECT_EQ(percentDecodePath("/a%e9"), "/a\xE9");  // lower-case hex is read too
  for (const char* malformed : {"/a%", "/a%4", "/a%zz", "/a%00b", "/a%G1"})
    EXPECT_EQ(percentDecodePath(malformed), std::nullopt) << malformed;
}

TEST(TrashInfoParsing, ReadsPathAndDateOfTheTrashInfoGroup) {
  struct Case {
    const char* name;
    std::string text;
    std::optional<std::string> path;
    std::string date;
  };
  const Case cases[] = {
      {"plain", "[Trash Info]\nPath=/home/u/a%20b\nDeletionDate=2024-03-01T10:20:30\n", "/home/u/a b",
       "2024-03-01T10:20:30"},
      {"relative to topdir", "[Trash Info]\nPath=dir/file\nDeletionDate=2024-03-01T10:20:30\n", "/media/usb/dir/file",
       "2024-03-01T10:20:30"},
      {"CRLF and comments", "# note\r\n[Trash Info]\r\nPath=/x/y\r\nDeletionDate=2024-03-01T10:20:30\r\n", "/x/y",
       "2024-03-01T10:20:30"},
      {"no date", "[Trash Info]\nPath=/x/y\n", "/x/y", ""},
      {"first key wins", "[Trash Info]\nPath=/x/y\nPath=/etc/passwd\n", "/x/y", ""},
      {"keys of other groups ignored", "[Other]\nPath=/etc\n[Trash Info]\nPath=/x/y\n", "/x/y", ""},
      {"no group", "Path=/x/y\n", std::nullopt, ""},
      {"no path", "[Trash Info]\nDeletionDate=2024-03-01T10:20:30\n", std::nullopt, ""},
      {"malformed path", "[Trash Info]\nPath=/x/%zz\n", std::nullopt, ""},
      {"parent component", "[Trash Info]\nPath=../../etc/passwd\n", std::nullopt, ""},
      {"empty", "", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    auto info = parseTrashInfo(c.text, "/media/usb");
    ASSERT_EQ(info.has_value(), c.path.has_value()) << c.name;
    if (!info) continue;
    EXPECT_EQ(info->path, *c.path) << c.name;
    EXPECT_EQ(info->deletionDate, c.date) << c.name;
  }
}

TEST(TrashInfoParsing, DeletionDateIsLocalTimeWithinTolerance) {
  TimeZone zone("UTC");
  const double moment = 1700000000.4;  // 2023-11-14T22:13:20.4 UTC
  EXPECT_EQ(trashDeletionDateText(moment), "2023-11-14T22:13:20");
  EXPECT_TRUE(deletionDateMatches("2023-11-14T22:13:20", moment, 2));
  EXPECT_TRUE(deletionDateMatches("2023-11-14T22:13:22", moment, 2));
  EXPECT_FALSE(deletionDateMatches("2023-11-14T22:13:23", moment, 2));
  EXPECT_FALSE(deletionDateMatches("2023-11-14T23:13:20", moment, 2));
  for (const char* malformed : {"", "2023-11-14 22:13:20", "2023-11-14T22:13", "2023-13-14T22:13:20", "garbage"})
    EXPECT_FALSE(deletionDateMatches(malformed, moment, 2)) << malformed;
}

TEST(TrashInfoParsing, AmbiguousLocalTimeMatchesEitherMoment) {
  if (!pathExists("/usr/share/zoneinfo/Europe/Berlin")) GTEST_SKIP() << "no time zone data for Europe/Berlin";
  TimeZone zone("Europe/Berlin");
  // 29 October 2023: clocks went back from 03:00 CEST to 02:00 CET, so 02:30 happened twice.
  const double firstTime = 1698539400;   // 00:30 UTC = 02:30 CEST
  const double secondTime = 1698543000;  // 01:30 UTC = 02:30 CET
  EXPECT_EQ(trashDeletionDateText(firstTime), "2023-10-29T02:30:00");
  EXPECT_EQ(trashDeletionDateText(secondTime), "2023-10-29T02:30:00");
  EXPECT_TRUE(deletionDateMatches("2023-10-29T02:30:00", firstTime, 2));
  EXPECT_TRUE(deletionDateMatches("2023-10-29T02:30:00", secondTime, 2));
  EXPECT_FALSE(deletionDateMatches("2023-10-29T02:30:00", secondTime + 1800, 2));
}

TEST(HomeTrash, MovesFileAndFolderWithTheirInfoAndPutsThemBack) {
  TempHome home;
  TreeBuilder tree(home.home());
  tree.file("Documents/a file.txt", 10);
  tree.file("Documents/folder/inside.txt", 20);
  ASSERT_FALSE(pathExists(home.dataHome() + "/Trash"));  // created on first use
  EXPECT_EQ(homeTrashFolder(), home.dataHome() + "/Trash");
  EXPECT_EQ(trashFilesFolder(), home.dataHome() + "/Trash/files");

  const double when = static_cast<double>(std::time(nullptr));
  for (const std::string name : {"a file.txt", "folder"}) {
    const std::string original = home / ("Documents/" + name);
    TrashMove moved = moveToTrash(original, when);
    ASSERT_EQ(moved.error, 0) << name;
    EXPECT_EQ(moved.trashPath, trashFilesFolder() + "/" + name);
    EXPECT_FALSE(pathExists(original));
    EXPECT_TRUE(pathExists(moved.trashPath));
    const std::string infoPath = homeTrashFolder() + "/info/" + name + ".trashinfo";
    EXPECT_EQ(contentOf(infoPath), "[Trash Info]\nPath=" + percentEncodePath(original) +
                                       "\nDeletionDate=" + trashDeletionDateText(when) + "\n");
    auto info = readTrashInfo(moved.trashPath);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, original);
    EXPECT_TRUE(deletionDateMatches(info->deletionDate, when, 2));

    EXPECT_EQ(restoreFromTrash(moved.trashPath, original), 0);
    EXPECT_TRUE(pathExists(original));
    EXPECT_FALSE(pathExists(moved.trashPath));
    EXPECT_FALSE(pathExists(infoPath));
  }
  EXPECT_EQ(contentOf(home / "Documents/folder/inside.txt").size(), 20u);
}

TEST(HomeTrash, ClashingNamesGetUniqueNamesAndKeepTheirOrigins) {
  TempHome home;
  TreeBuilder tree(home.home());
  std::vector<std::string> trashed;
  for (const std::string folder : {"one", "two", "three"}) {
    tree.file(folder + "/report.txt", 1);
    TrashMove moved = moveToTrash(home / (folder + "/report.txt"));
    ASSERT_EQ(moved.error, 0);
    trashed.push_back(moved.trashPath);
  }
  // An item left in files/ without its info file holds a name too.
  tree.file(".local/share/Trash/files/Makefile", 1);
  tree.file("four/Makefile", 1);
  TrashMove orphanClash = moveToTrash(home / "four/Makefile");
  ASSERT_EQ(orphanClash.error, 0);
  tree.file("five/.hidden", 1);
  tree.file(".local/share/Trash/info/.hidden.trashinfo", 1);
  TrashMove hidden = moveToTrash(home / "five/.hidden");
  ASSERT_EQ(hidden.error, 0);

  const std::string files = trashFilesFolder() + "/";
  EXPECT_EQ(trashed, (std::vector<std::string>{files + "report.txt", files + "report.2.txt", files + "report.3.txt"}));
  EXPECT_EQ(orphanClash.trashPath, files + "Makefile.2");
  EXPECT_EQ(hidden.trashPath, files + ".hidden.2");
  EXPECT_FALSE(pathExists(homeTrashFolder() + "/info/Makefile.trashinfo"));  // the failed try left nothing
  EXPECT_EQ(readTrashInfo(trashed[1])->path, home / "two/report.txt");
  EXPECT_EQ(readTrashInfo(orphanClash.trashPath)->path, home / "four/Makefile");
}

TEST(HomeTrash, KeepsNameBytesAndShortensNamesTooLongForTheInfoFile) {
  TempHome home;
  TreeBuilder tree(home.home());
  const std::string latin1 = "caf\xE9 %.txt";
  tree.file(latin1, 1);
  TrashMove moved = moveToTrash(home / latin1);
  ASSERT_EQ(moved.error, 0);
  EXPECT_EQ(moved.trashPath, trashFilesFolder() + "/" + latin1);
  EXPECT_NE(contentOf(homeTrashFolder() + "/info/" + latin1 + ".trashinfo").find("caf%E9%20%25.txt"),
            std::string::npos);
  EXPECT_EQ(readTrashInfo(moved.trashPath)->path, home / latin1);

  // 250 bytes fit a folder entry, but not with ".trashinfo" after them.
  std::string longName;
  while (longName.size() < 246) longName += "\xC3\xA9";  // é, two bytes each
  longName += ".dmg";
  tree.file(longName, 1);
  TrashMove longMove = moveToTrash(home / longName);
  ASSERT_EQ(longMove.error, 0) << std::strerror(longMove.error);
  const std::string trashName = longMove.trashPath.substr(trashFilesFolder().size() + 1);
  EXPECT_LT(trashName.size() + 10, 256u);
  EXPECT_TRUE(trashName.ends_with(".dmg"));
  EXPECT_EQ(trashName.size() % 2, 0u) << "cut inside a UTF-8 sequence";
  EXPECT_EQ(readTrashInfo(longMove.trashPath)->path, home / longName);
}

TEST(HomeTrash, FailuresLeaveEverythingInPlace) {
  TempHome home;
  TreeBuilder tree(home.home());
  EXPECT_EQ(moveToTrash(home / "missing").error, ENOENT);
  // A link given with a trailing "/" goes to the Trash itself; what it names stays.
  tree.file("target/inside.txt", 1);
  tree.symlink(home / "target", "link");
  TrashMove link = moveToTrash(home / "link/");
  ASSERT_EQ(link.error, 0);
  EXPECT_EQ(link.trashPath, trashFilesFolder() + "/link");
  EXPECT_TRUE(pathExists(home / "target/inside.txt"));
  EXPECT_EQ(readTrashInfo(link.trashPath)->path, home / "link");
  EXPECT_EQ(moveToTrash("relative/path").error, EINVAL);
  EXPECT_FALSE(pathExists(homeTrashFolder() + "/info/missing.trashinfo"));

  // Restoring never replaces what is at the original path.
  tree.file("kept.txt", 3);
  TrashMove moved = moveToTrash(home / "kept.txt");
  ASSERT_EQ(moved.error, 0);
  tree.file("kept.txt", 7);
  EXPECT_EQ(restoreFromTrash(moved.trashPath, home / "kept.txt"), EEXIST);
  EXPECT_EQ(contentOf(home / "kept.txt").size(), 7u);
  EXPECT_TRUE(pathExists(moved.trashPath));
  EXPECT_TRUE(readTrashInfo(moved.trashPath));
}

TEST(PermanentRemoval, NeverFollowsLinksOutOfTheTree) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.file("outside/precious.txt", 5);
  tree.file("victim/a/b/c/file.txt", 5);
  tree.file("victim/.hidden", 5);
  tree.symlink(dir / "outside", "victim/a/link-to-outside");
  tree.symlink(dir / "outside/precious.txt", "victim/link-to-file");
  tree.symlink(dir / "outside", "top-link");

  EXPECT_EQ(removePermanently(dir / "victim"), 0);
  EXPECT_FALSE(pathExists(dir / "victim"));
  // A link given as the item itself goes, not what it names.
  EXPECT_EQ(removePermanently(dir / "top-link"), 0);
  EXPECT_FALSE(pathExists(dir / "top-link"));
  EXPECT_EQ(contentOf(dir / "outside/precious.txt").size(), 5u);

  EXPECT_EQ(removePermanently(dir / "victim"), ENOENT);
  EXPECT_EQ(removePermanently("relative"), EINVAL);
}

TEST(PermanentRemoval, EmptyingTheTrashTakesTheInfoFileAlong) {
  TempHome home;
  TreeBuilder tree(home.home());
  tree.file("Downloads/setup.dmg", 1);
  tree.file("Downloads/folder/x", 1);
  for (const char* name : {"setup.dmg", "folder"}) {
    TrashMove moved = moveToTrash(home / (std::string("Downloads/") + name));
    ASSERT_EQ(moved.error, 0);
    EXPECT_EQ(removePermanently(moved.trashPath), 0);
    EXPECT_FALSE(pathExists(moved.trashPath));
    EXPECT_FALSE(pathExists(homeTrashFolder() + "/info/" + name + ".trashinfo")) << name;
  }
  // Outside a Trash nothing else is touched.
  tree.file("files/x", 1);
  tree.file("info/x.trashinfo", 1);
  EXPECT_EQ(removePermanently(home / "files/x"), 0);
  EXPECT_TRUE(pathExists(home / "info/x.trashinfo"));
}

TEST(OtherFileSystems, UseTheirOwnTrashWithRelativePaths) {
  TmpfsMount mount;
  if (!mount.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  TempHome home;
  TreeBuilder tree(mount.path());
  tree.file("dir/file.txt", 4);
  const std::string uid = std::to_string(::getuid());

  TrashMove moved = moveToTrash(mount.path() + "/dir/file.txt");
  ASSERT_EQ(moved.error, 0) << std::strerror(moved.error);
  const std::string trash = mount.path() + "/.Trash-" + uid;
  EXPECT_EQ(moved.trashPath, trash + "/files/file.txt");
  EXPECT_EQ(contentOf(trash + "/info/file.txt.trashinfo").find("Path=dir/file.txt\n"), 13u);
  struct stat st {};
  ASSERT_EQ(::lstat(trash.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_EQ(readTrashInfo(moved.trashPath)->path, mount.path() + "/dir/file.txt");
  EXPECT_FALSE(pathExists(homeTrashFolder() + "/info/file.txt.trashinfo"));
  EXPECT_EQ(restoreFromTrash(moved.trashPath, mount.path() + "/dir/file.txt"), 0);
  EXPECT_TRUE(pathExists(mount.path() + "/dir/file.txt"));

  // An administrator's shared .Trash (sticky) holds a folder per user.
  tree.folder(".Trash");
  ::chmod((mount.path() + "/.Trash").c_str(), 01777);
  TrashMove shared = moveToTrash(mount.path() + "/dir/file.txt");
  ASSERT_EQ(shared.error, 0);
  EXPECT_EQ(shared.trashPath, mount.path() + "/.Trash/" + uid + "/files/file.txt");
  EXPECT_EQ(readTrashInfo(shared.trashPath)->path, mount.path() + "/dir/file.txt");
}

TEST(OtherFileSystems, RefuseATrashFolderThatIsALink) {
  TmpfsMount mount;
  if (!mount.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  TempHome home;
  TreeBuilder tree(mount.path());
  tree.file("file.txt", 4);
  tree.folder("elsewhere");
  tree.symlink(mount.path() + "/elsewhere", ".Trash-" + std::to_string(::getuid()));
  EXPECT_EQ(moveToTrash(mount.path() + "/file.txt").error, ENOTDIR);
  EXPECT_TRUE(pathExists(mount.path() + "/file.txt"));
  EXPECT_FALSE(pathExists(mount.path() + "/elsewhere/files"));

  // A Trash folder that belongs to someone else is not ours to fill.
  const std::string trash = mount.path() + "/.Trash-" + std::to_string(::getuid());
  ::unlink(trash.c_str());
  ASSERT_EQ(::mkdir(trash.c_str(), 0700), 0);
  ASSERT_EQ(::chown(trash.c_str(), ::getuid() + 1, ::getgid()), 0);
  EXPECT_EQ(moveToTrash(mount.path() + "/file.txt").error, EACCES);
  EXPECT_TRUE(pathExists(mount.path() + "/file.txt"));
}

TEST(PermanentRemoval, StopsAtAMountPointInsideTheTree) {
  TmpfsMount mount;
  if (!mount.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  // The tmpfs lies at …/mnt inside the temporary folder: remove that folder's parent tree.
  const std::string tree = parentPath(mount.path());
  TreeBuilder(mount.path()).file("on-the-other-fs.txt", 3);
  TreeBuilder(tree).file("plain.txt", 3);
  EXPECT_EQ(removePermanently(tree), EBUSY);
  EXPECT_TRUE(pathExists(mount.path() + "/on-the-other-fs.txt"));
  EXPECT_FALSE(pathExists(tree + "/plain.txt"));
  // The mount point itself is refused as a whole.
  EXPECT_EQ(removePermanently(mount.path()), EBUSY);
  EXPECT_TRUE(pathExists(mount.path() + "/on-the-other-fs.txt"));
}

// A tree deeper than the descriptors a process may hold open is removed all the same: the removal
// keeps only the folder it is emptying open, whatever the depth.
TEST(PermanentRemoval, RemovesATreeDeeperThanTheOpenFileLimit) {
  // On a tmpfs where one can be mounted: removing folders is slow on some disks.
  TmpfsMount mount;
  TempDir plain;
  const std::string base = mount.mounted() ? mount.path() : plain.path();
  constexpr int kDepth = 2000;
  {
    Fd folder(::open(base.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (int level = 0; level < kDepth; ++level) {
      ASSERT_EQ(::mkdirat(folder.get(), "d", 0700), 0) << level;
      if (level % 100 == 0) ::close(::openat(folder.get(), "file", O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
      folder = Fd(::openat(folder.get(), "d", O_PATH | O_DIRECTORY | O_CLOEXEC));
      ASSERT_TRUE(folder) << level;
    }
  }
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  struct rlimit low = saved;
  low.rlim_cur = 256;  // far fewer than the tree has levels
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
  const int error = removePermanently(base + "/d");
  ::setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(error, 0) << std::strerror(error);
  EXPECT_FALSE(pathExists(base + "/d"));
}

// Putting back opens the original folder without following links and checks it is really the
// recorded one: a folder that became a link (here to an autostart folder) receives nothing.
TEST(HomeTrash, RestoreNeverFollowsALinkInTheOriginalFolder) {
  TempHome home;
  TreeBuilder tree(home.home());
  tree.file("work/app/launcher.desktop", 5);
  tree.folder(".config/autostart");
  TrashMove moved = moveToTrash(home / "work/app/launcher.desktop");
  ASSERT_EQ(moved.error, 0);

  struct Case {
    const char* what;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"the folder is a link",
       [&] {
         removeTree(home / "work/app");
         tree.symlink(home / ".config/autostart", "work/app");
       }},
      {"a folder above is a link",
       [&] {
         removeTree(home / "work");
         tree.folder("elsewhere/app");
         tree.symlink(home / "elsewhere", "work");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.change();
    EXPECT_EQ(restoreFromTrash(moved.trashPath, home / "work/app/launcher.desktop"), ELOOP);
    EXPECT_TRUE(pathExists(moved.trashPath));
    EXPECT_TRUE(readTrashInfo(moved.trashPath));
    EXPECT_TRUE(folderNames(home / ".config/autostart").empty());
    EXPECT_FALSE(pathExists(home / "elsewhere/app/launcher.desktop"));
  }
  // Once the folder is a real folder again (even made anew), the item goes back.
  removeTree(home / "work");
  EXPECT_EQ(restoreFromTrash(moved.trashPath, home / "work/app/launcher.desktop"), 0);
  EXPECT_EQ(contentOf(home / "work/app/launcher.desktop").size(), 5u);
}

namespace {

// A folder of a temporary tree bound onto another folder of the same tree: one file system, two
// mounts, for the life of the object.
class BindMount {
 public:
  BindMount(const std::string& source, const std::string& target) : target_(target) {
    ::mkdir(target.c_str(), 0755);
    mounted_ = ::geteuid() == 0 && ::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0;
  }
  ~BindMount() {
    if (mounted_) ::umount2(target_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }

 private:
  std::string target_;
  bool mounted_ = false;
};

}  // namespace

// An item reached through a bind mount of the home's own file system cannot be renamed into the
// home Trash (another mount): it goes to the Trash of its own mount, and comes back from there.
TEST(OtherFileSystems, ABindMountOfTheHomesFileSystemUsesItsOwnTrash) {
  TempHome home;
  TreeBuilder tree(home.home());
  tree.file("source/dir/file.txt", 4);
  BindMount bind(home / "source", home / "bound");
  if (!bind.mounted()) GTEST_SKIP() << "making a bind mount needs root and a system that allows it";
  const std::string uid = std::to_string(::getuid());

  TrashMove moved = moveToTrash(home / "bound/dir/file.txt");
  ASSERT_EQ(moved.error, 0) << std::strerror(moved.error);
  EXPECT_EQ(moved.trashPath, home / ("bound/.Trash-" + uid + "/files/file.txt"));
  EXPECT_EQ(readTrashInfo(moved.trashPath)->path, home / "bound/dir/file.txt");
  EXPECT_FALSE(pathExists(home / "bound/dir/file.txt"));
  EXPECT_FALSE(pathExists(trashFilesFolder() + "/file.txt"));
  FolderOpen top = openFolderWithoutLinks(home / "bound");
  ASSERT_EQ(top.error, 0);
  EXPECT_EQ(folderPathByGoingUp(top.fd.get()), home / "bound");

  EXPECT_EQ(restoreFromTrash(moved.trashPath, home / "bound/dir/file.txt"), 0);
  EXPECT_EQ(contentOf(home / "bound/dir/file.txt").size(), 4u);
  EXPECT_FALSE(pathExists(home / ("bound/.Trash-" + uid + "/info/file.txt.trashinfo")));
}
