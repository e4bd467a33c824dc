#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <unordered_set>
#include <vector>

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

TEST(FileNode, NamesKeepTheirExactBytesAtEveryLength) {
  // Names below 255 bytes store their length in one byte, longer ones in five: both sides of the line.
  std::vector<std::string> names = {"",
                                    "a",
                                    "caf\xe9 \xff",
                                    std::string(254, 'x'),
                                    std::string(255, 'y'),
                                    std::string(256, 'z'),
                                    std::string(70000, 'w')};
  names.push_back(std::string("nul\0inside", 10));
  FileTree growing;
  FileNode* root = folder(growing, "/r", nullptr);
  size_t nameBytes = FileTree::storedSize("/r");
  for (const std::string& name : names) nameBytes += FileTree::storedSize(name);
  FileTree whole(names.size() + 1, nameBytes);
  FileNode* wholeRoot = whole.makeRoot("/r", true, false, FileKind::other, StorageBucket::other);
  whole.reserveChildren(wholeRoot, names.size());
  for (const std::string& name : names) {
    EXPECT_EQ(std::string(folder(growing, name, root)->name), name) << name.size();
    const FileNode* made = whole.makeChild(wholeRoot, name, false, false, FileKind::other, StorageBucket::other);
    EXPECT_EQ(made->name.view(), name) << name.size();
    EXPECT_EQ(made->path(), "/r/" + name);
  }
  EXPECT_EQ(whole.memoryBytes(), (names.size() + 1) * sizeof(FileNode) + nameBytes);
}

TEST(FileNode, ChildrenKeepTheirOrderHoweverTheTreeIsBuilt) {
  // Node by node, with folders filled in turns (each list grows past 4, 8, 16… while others grow);
  // laid out whole, with each folder's children side by side.
  FileTree growing;
  FileNode* root = folder(growing, "/r", nullptr);
  std::vector<FileNode*> folders;
  for (int f = 0; f < 3; ++f) folders.push_back(folder(growing, "f" + std::to_string(f), root));
  for (int i = 0; i < 40; ++i)
    for (FileNode* f : folders) folder(growing, std::string(f->name) + "-" + std::to_string(i), f);

  FileTree whole(1 + 3 + 3 * 40, 4096);
  FileNode* wholeRoot = whole.makeRoot("/r", true, false, FileKind::other, StorageBucket::other);
  whole.reserveChildren(wholeRoot, 3);
  for (int f = 0; f < 3; ++f)
    whole.makeChild(wholeRoot, "f" + std::to_string(f), true, false, FileKind::other, StorageBucket::other);
  for (FileNode* f : wholeRoot->children) {
    whole.reserveChildren(f, 40);
    for (int i = 0; i < 40; ++i)
      whole.makeChild(f, std::string(f->name) + "-" + std::to_string(i), true, false, FileKind::other,
                      StorageBucket::other);
  }

  for (const FileNode* top : {root, wholeRoot}) {
    ASSERT_EQ(top->children.size(), 3u);
    for (size_t f = 0; f < 3; ++f) {
      const FileNode* sub = top->children[f];
      EXPECT_EQ(sub->parent, top);
      ASSERT_EQ(sub->children.size(), 40u);
      size_t i = 0;
      for (const FileNode* leaf : sub->children) {
        EXPECT_EQ(leaf->name, "f" + std::to_string(f) + "-" + std::to_string(i));
        EXPECT_EQ(leaf->parent, sub);
        EXPECT_EQ(sub->children.at(i), leaf);
        ++i;
      }
      EXPECT_EQ(sub->children.end() - sub->children.begin(), 40);
      EXPECT_EQ(sub->children.back(), sub->children[39]);
      EXPECT_THROW(sub->children.at(40), std::out_of_range);
    }
  }
  EXPECT_EQ(growing.nodeCount(), whole.nodeCount());
  // Serials stay unique across both ways of building.
  std::unordered_set<uint64_t> serials;
  for (const FileNode* top : {root, wholeRoot})
    for (const FileNode* sub : top->children)
      for (const FileNode* leaf : sub->children) EXPECT_TRUE(serials.insert(leaf->serial).second);
}

// Laid out as it comes, on four threads at once, each with its own writer: every folder gets enough
// children, and long enough names, that the threads keep taking new room for nodes and names while
// the others write. Then a few children are dropped, as the scanner drops a hard link met again.
TEST(FileNode, ATreeLaidOutAsItComesOnSeveralThreads) {
  constexpr int kFolders = 4, kChildren = 9000;
  auto tree = std::make_shared<FileTree>(FileTree::AsItComes{});
  FileNode* root = tree->makeRoot("/r", true, false, FileKind::other, StorageBucket::other);
  tree->reserveChildren(root, kFolders);
  for (int f = 0; f < kFolders; ++f)
    tree->makeChild(root, "f" + std::to_string(f), true, false, FileKind::other, StorageBucket::other);
  auto leafName = [](size_t f, size_t i) {
    return "f" + std::to_string(f) + "-" + std::string(i % 40, 'x') + std::to_string(i);
  };
  std::vector<std::thread> threads;
  for (size_t f = 0; f < kFolders; ++f)
    threads.emplace_back([&, f] {
      FileTree::Writer writer(*tree);
      FileNode* sub = root->children[f];
      // In pieces, as a walk reserves each folder's children when it lists the folder.
      tree->reserveChildren(sub, kChildren);
      for (size_t i = 0; i < kChildren; ++i) {
        FileNode* leaf =
            tree->makeChild(writer, sub, leafName(f, i), false, false, FileKind::other, StorageBucket::other);
        set(leaf->size, static_cast<int64_t>(i));
      }
    });
  for (std::thread& t : threads) t.join();

  std::vector<FileNode*> kept;
  FileNode* thinned = root->children[1];
  for (size_t i = 0; i < kChildren; ++i)
    if (i % 1000 != 7) kept.push_back(thinned->children[i]);
  tree->keepChildren(thinned, kept);
  tree->keepChildren(root->children[2], {});
  tree->seal();

  EXPECT_EQ(tree->nodeCount(), 1u + kFolders + 2 * kChildren + kept.size());
  std::unordered_set<uint64_t> serials;
  for (size_t f = 0; f < kFolders; ++f) {
    const FileNode* sub = root->children[f];
    EXPECT_EQ(sub->parent, root);
    EXPECT_EQ(sub->path(), "/r/f" + std::to_string(f));
    EXPECT_TRUE(serials.insert(sub->serial).second);
    if (f == 2) {
      EXPECT_TRUE(sub->children.empty());
      continue;
    }
    ASSERT_EQ(sub->children.size(), f == 1 ? kept.size() : size_t{kChildren});
    size_t i = 0;
    for (const FileNode* leaf : sub->children) {
      if (f == 1 && i % 1000 == 7) ++i;
      EXPECT_EQ(leaf->name, leafName(f, i));
      EXPECT_EQ(get(leaf->size), static_cast<int64_t>(i));
      EXPECT_EQ(leaf->parent, sub);
      EXPECT_TRUE(serials.insert(leaf->serial).second);
      ++i;
    }
  }
  EXPECT_GE(tree->memoryBytes(), tree->nodeCount() * sizeof(FileNode));
}

TEST(FileNode, ATreeLaidOutWholeRefusesWhatItHasNoRoomFor) {
  FileTree whole(2, 16);
  EXPECT_THROW(whole.make("x", nullptr, true, false, FileKind::other, StorageBucket::other), std::logic_error);
  FileNode* root = whole.makeRoot("/r", true, false, FileKind::other, StorageBucket::other);
  EXPECT_THROW(whole.makeChild(root, "a", true, false, FileKind::other, StorageBucket::other), std::logic_error);
  EXPECT_THROW(whole.reserveChildren(root, 2), std::logic_error);
  whole.reserveChildren(root, 1);
  whole.makeChild(root, "a", true, false, FileKind::other, StorageBucket::other);
  EXPECT_THROW(whole.makeChild(root, "b", true, false, FileKind::other, StorageBucket::other), std::logic_error);
  EXPECT_THROW(FileTree(size_t{1} << 40, 0), std::length_error);
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
  // Without a home nothing is "~".
  EXPECT_EQ(displayPath("/System/Volumes/Data/etc/x", ""), "/etc/x");
}
