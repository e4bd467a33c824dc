#include <gtest/gtest.h>

#include "model/FolderSize.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

TEST(FolderSize, CountsFilesOnceAndFoldersOwnAllocation) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.allocatedFile("top/ten-blocks.bin", 10 * 4096);
  tree.folder("top/sub");
  const int64_t folders = allocatedSize(tree.path("top")) + allocatedSize(tree.path("top/sub"));
  EXPECT_EQ(folderSize(tree.path("top")), (FolderSize{10 * 4096 + folders, 1}));

  // A second hard link adds nothing; a symbolic link counts its own allocation and is not followed.
  tree.hardLink("top/ten-blocks.bin", "top/sub/again.bin");
  tree.symlink(tree.path("top/ten-blocks.bin"), "top/sub/link");
  const FolderSize withLinks = folderSize(tree.path("top"));
  EXPECT_EQ(withLinks.count, 2);
  EXPECT_EQ(withLinks.bytes, 10 * 4096 + folders + allocatedSize(tree.path("top/sub/link")));

  EXPECT_EQ(folderSize(dir / "missing"), (FolderSize{0, 0}));
}
