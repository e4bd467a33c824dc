#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FolderHandle.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

TEST(FolderHandle, OpensOnlyPathsFreeOfLinksBelowTheChosenFolder) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.folder("real/a/b");
  tree.file("real/file", 1);
  tree.symlink(dir / "real", "link");
  tree.symlink(dir / "real/a", "real/link-to-a");

  struct Case {
    std::string path;
    std::string chosen;
    int error;
    std::string opened;  // where the descriptor really is, on success
  };
  const Case cases[] = {
      {dir / "real/a/b", "", 0, dir / "real/a/b"},
      {dir.path(), "", 0, dir.path()},
      {"/", "", 0, "/"},
      {dir / "link/a", "", ELOOP, ""},          // a link on the way
      {dir / "real/link-to-a", "", ELOOP, ""},  // the folder itself is a link
      {dir / "real/file/x", "", ENOTDIR, ""},
      {dir / "real/missing", "", ENOENT, ""},
      {dir / "real/a/../a", "", EINVAL, ""},
      {dir / "real/./a", "", EINVAL, ""},
      {"relative/path", "", EINVAL, ""},
      {dir / std::string("real\0/a", 7), "", EINVAL, ""},
      // A chosen folder's own path may run through links; below it, none may.
      {dir / "link/a/b", dir / "link", 0, dir / "real/a/b"},
      {dir / "link", dir / "link", 0, dir / "real"},
      {dir / "link/link-to-a/b", dir / "link", ELOOP, ""},
      {dir / "real/a", dir / "other", EINVAL, ""},  // not inside the chosen folder
  };
  for (const Case& c : cases) {
    FolderOpen open = openFolderWithoutLinks(c.path, c.chosen);
    EXPECT_EQ(open.error, c.error) << c.path << " chosen " << c.chosen;
    EXPECT_EQ(bool(open.fd), c.error == 0) << c.path;
    if (open.fd) {
      EXPECT_EQ(descriptorPath(open.fd.get()), c.opened) << c.path;
    }
  }
}

TEST(FolderHandle, TheDescriptorStaysWithTheFolderWhereverItGoes) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.folder("before/inner");
  FolderOpen open = openFolderWithoutLinks(dir / "before/inner");
  ASSERT_EQ(open.error, 0);
  ASSERT_EQ(std::rename((dir / "before").c_str(), (dir / "after").c_str()), 0);
  // A link now stands where the folder was: the descriptor still names the real folder.
  tree.symlink("/", "before");
  EXPECT_EQ(descriptorPath(open.fd.get()), dir / "after/inner");
  ASSERT_EQ(::rmdir((dir / "after/inner").c_str()), 0);
  EXPECT_EQ(descriptorPath(open.fd.get()), std::nullopt);  // removed: no path to act on
}

TEST(FolderHandle, WithoutProcThePathIsFoundByGoingUp) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.folder("a/b c/\xFF");
  for (const std::string& path : {std::string("/"), dir.path(), dir / "a/b c/\xFF"}) {
    FolderOpen open = openFolderWithoutLinks(path);
    ASSERT_EQ(open.error, 0) << path;
    EXPECT_EQ(folderPathByGoingUp(open.fd.get()), path);
  }
}

TEST(FolderHandle, MakesMissingFoldersButNeverThroughALink) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.folder("elsewhere");
  tree.symlink(dir / "elsewhere", "link");

  FolderOpen made = makeFoldersWithoutLinks(dir / "new/deeper/still");
  ASSERT_EQ(made.error, 0);
  EXPECT_EQ(descriptorPath(made.fd.get()), dir / "new/deeper/still");
  EXPECT_TRUE(pathExists(dir / "new/deeper/still"));

  EXPECT_EQ(makeFoldersWithoutLinks(dir / "link/made").error, ELOOP);
  EXPECT_FALSE(pathExists(dir / "elsewhere/made"));
}

TEST(FolderHandle, RenamesNeverReplaceAnything) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.file("a", 1);
  tree.file("b", 2);
  tree.folder("c");
  EXPECT_EQ(renameNoReplace(AT_FDCWD, (dir / "a").c_str(), AT_FDCWD, (dir / "b").c_str()), EEXIST);
  EXPECT_EQ(renameNoReplace(AT_FDCWD, (dir / "c").c_str(), AT_FDCWD, (dir / "b").c_str()), EEXIST);
  EXPECT_EQ(renameNoReplace(AT_FDCWD, (dir / "a").c_str(), AT_FDCWD, (dir / "d").c_str()), 0);
  EXPECT_TRUE(pathExists(dir / "d"));
  EXPECT_FALSE(pathExists(dir / "a"));
}

TEST(FolderHandle, TellsMountsApartEvenOnOneFileSystem) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.folder("a");
  tree.folder("b");
  FolderOpen a = openFolderWithoutLinks(dir / "a"), b = openFolderWithoutLinks(dir / "b");
  const auto idA = mountIdAt(a.fd.get(), ""), idB = mountIdAt(b.fd.get(), "");
  if (!idA) GTEST_SKIP() << "this kernel does not report mount identifiers";
  EXPECT_EQ(idA, idB);
  EXPECT_EQ(mountIdAt(AT_FDCWD, (dir / "a").c_str()), idA);
}
