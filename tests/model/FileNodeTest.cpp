#include <gtest/gtest.h>

#include <unordered_set>

#include "model/DisplayPath.h"
#include "model/FileNode.h"
#include "model/ScanResult.h"

using namespace tolvex;

namespace {
FileNode* folder(FileTree& tree, const std::string& name, FileNode* parent) {
  return tree.make(name, parent, true, false, FileKind::other, StorageBucket::other);
}
}  // namespace

TEST(FileNode, PathJoinsNamesBelowTheRoot) {
  FileTree tree;
  FileNode* slash = folder(tree, "/", nullptr);
  FileNode* users = folder(tree, "Users", slash);
  FileNode* x = folder(tree, "x", users);
  EXPECT_EQ(slash->path(), "/");
  EXPECT_EQ(x->path(), "/Users/x");

  FileTree tree2;
  FileNode* home = folder(tree2, "/Users/x", nullptr);
  FileNode* music = folder(tree2, "Music", home);
  EXPECT_EQ(home->path(), "/Users/x");
  EXPECT_EQ(music->path(), "/Users/x/Music");

  FileTree tree3;
  FileNode* data = folder(tree3, "/System/Volumes/Data", nullptr);
  FileNode* dx = folder(tree3, "x", folder(tree3, "Users", data));
  EXPECT_EQ(dx->path(), "/System/Volumes/Data/Users/x");
}

TEST(FileNode, IdentityAndSerials) {
  FileTree tree;
  FileNode* root = folder(tree, "/r", nullptr);
  FileNode* a = folder(tree, "same", root);
  FileNode* b = folder(tree, "same", root);
  std::unordered_set<const FileNode*> set{a, b};
  EXPECT_EQ(set.size(), 2u);
  EXPECT_NE(a->serial, b->serial);
  EXPECT_EQ(root->children.size(), 2u);
  EXPECT_EQ(a->parent, root);
}

TEST(FileNode, GoneWhenItOrAnAncestorIsDeleted) {
  FileTree tree;
  FileNode* root = folder(tree, "/r", nullptr);
  FileNode* mid = folder(tree, "mid", root);
  FileNode* leaf = tree.make("big.bin", mid, false, false, FileKind::other, StorageBucket::other);
  EXPECT_FALSE(leaf->isGone());
  set(mid->deleted, true);
  EXPECT_TRUE(leaf->isGone());
  EXPECT_FALSE(leaf->deleted);
  EXPECT_FALSE(root->isGone());
}

TEST(FileNode, AVeryDeepTreeIsFreedWithoutRecursion) {
  auto tree = std::make_shared<FileTree>();
  FileNode* node = folder(*tree, "/deep", nullptr);
  for (int i = 0; i < 100000; ++i) node = folder(*tree, "d", node);
  EXPECT_EQ(tree->nodeCount(), 100001u);
  ScanResult result;
  result.tree = tree;
  tree.reset();
  result = ScanResult{};  // the last owner frees every node
  SUCCEED();
}

TEST(DisplayPath, FoldsTheDataVolumeAndShowsHomeAsTilde) {
  EXPECT_EQ(foldedPath("/System/Volumes/Data"), "/");
  EXPECT_EQ(foldedPath("/System/Volumes/Data/Users/x"), "/Users/x");
  EXPECT_EQ(foldedPath("/System/Volumes/DataX"), "/System/Volumes/DataX");
  EXPECT_EQ(foldedPath("/system/volumes/data/a"), "/system/volumes/data/a");
  struct Case {
    const char* path;
    const char* shown;
  };
  const Case cases[] = {
      {"/System/Volumes/Data", "/"},
      {"/System/Volumes/Data/Users/x/Desktop", "~/Desktop"},
      {"/Users/xy", "/Users/xy"},
      {"/Users/x", "~"},
      {"/Users/x/Documents/a.pdf", "~/Documents/a.pdf"},
      {"/tmp", "/tmp"},
  };
  for (const auto& c : cases) EXPECT_EQ(displayPath(c.path, "/Users/x"), c.shown) << c.path;
}
