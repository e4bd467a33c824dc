#include <gtest/gtest.h>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <random>
#include <set>
#include <unordered_set>

#include "model/FolderSize.h"
#include "model/Scanner.h"
#include "support/ScanFixtures.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kBlock = 4096;

// A tree of a few thousand entries: folders at random depths, files of random allocations (many
// near the 512 KiB line) and lengths (shorter than the allocation, or sparse and longer), hard links
// to small and large files, symbolic links to files, folders and nowhere, and named pipes.
void generateTree(const std::string& top, unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  std::vector<std::string> folders{top};
  const char* folderNames[] = {"d", "Thing.app", "x.bundle", "node_modules", "Photos.photoslibrary", "caf\xe9"};
  for (int i = 0; i < 200; ++i) {
    const std::string path = folders[pick(folders.size())] + "/" + folderNames[pick(6)] + std::to_string(i);
    if (::mkdir(path.c_str(), 0755) != 0) throw std::runtime_error("mkdir " + path);
    folders.push_back(path);
  }
  const char* extensions[] = {".txt", ".JPG", ".mov", ".zip", ".swift", ".bin", "", ".dmg"};
  std::vector<std::string> files;
  for (int i = 0; i < 3000; ++i) {
    int64_t blocks;
    switch (pick(20)) {
      case 0: blocks = 130 + static_cast<int64_t>(pick(300)); break;  // large
      case 1:
      case 2: blocks = 120 + static_cast<int64_t>(pick(16)); break;  // around 128 blocks
      case 3:
      case 4:
      case 5:
      case 6:
      case 7: blocks = 4 + static_cast<int64_t>(pick(100)); break;
      default: blocks = static_cast<int64_t>(pick(4)); break;
    }
    const int64_t allocation = blocks * kBlock;
    int64_t length = allocation;
    switch (pick(3)) {
      case 0: length = allocation > 0 ? allocation - static_cast<int64_t>(pick(kBlock)) : 0; break;
      case 1: length = allocation + static_cast<int64_t>(pick(1 << 20)); break;  // sparse tail
      default: break;
    }
    const std::string path = folders[pick(folders.size())] + "/f" + std::to_string(i) + extensions[pick(8)];
    fileWithAllocation(path, allocation, length);
    files.push_back(path);
  }
  for (int i = 0; i < 200; ++i) {
    const std::string link = folders[pick(folders.size())] + "/h" + std::to_string(i) + ".bin";
    if (::link(files[pick(files.size())].c_str(), link.c_str()) != 0) throw std::runtime_error("link " + link);
  }
  for (int i = 0; i < 100; ++i) {
    std::string target;
    switch (pick(3)) {
      case 0: target = files[pick(files.size())]; break;
      case 1: target = folders[pick(folders.size())]; break;
      default: target = "missing/" + std::to_string(i); break;
    }
    const std::string link = folders[pick(folders.size())] + "/s" + std::to_string(i) + ".mov";
    if (::symlink(target.c_str(), link.c_str()) != 0) throw std::runtime_error("symlink " + link);
  }
  for (int i = 0; i < 5; ++i) {
    const std::string pipe = folders[pick(folders.size())] + "/p" + std::to_string(i);
    if (::mkfifo(pipe.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + pipe);
  }
}

// What a walk should find, worked out independently with nftw, which visits entries in the same
// order (depth first, each folder's entries as the directory lists them).
struct FolderModel {
  int64_t own = 0, smallSize = 0, smallCount = 0, smallLength = 0;
  std::multiset<std::string> folders, largeFiles;
};
struct TreeModel {
  std::map<std::string, FolderModel> folders;
  std::unordered_set<uint64_t> seen;
  int64_t files = 0, repeats = 0, unreadable = 0;
};
TreeModel* current = nullptr;

int visit(const char* cpath, const struct stat* st, int type, FTW* where) {
  TreeModel& model = *current;
  const std::string path(cpath);
  const std::string parent = where->level > 0 ? path.substr(0, static_cast<size_t>(where->base) - 1) : "";
  const std::string name = path.substr(static_cast<size_t>(where->base));
  const int64_t allocation = static_cast<int64_t>(st->st_blocks) * 512;
  switch (type) {
    case FTW_D:
      model.folders[path].own = allocation;
      if (!parent.empty()) model.folders[parent].folders.insert(name);
      break;
    case FTW_F:
    case FTW_SL:
      if (S_ISREG(st->st_mode) && st->st_nlink >= 2 && !model.seen.insert(hardLinkKey(st->st_ino, st->st_dev)).second) {
        ++model.repeats;
        break;
      }
      ++model.files;
      if (allocation < 524288) {
        FolderModel& folder = model.folders[parent];
        folder.smallSize += allocation;
        folder.smallCount += 1;
        folder.smallLength += st->st_size;
      } else {
        model.folders[parent].largeFiles.insert(name);
      }
      break;
    default: ++model.unreadable; break;
  }
  return 0;
}

}  // namespace

TEST(ScannerInvariants, AGeneratedTreeAddsUpLikeDuAndTheFileSystem) {
  TempDir dir;
  const std::string top = dir / "top";
  ASSERT_EQ(::mkdir(top.c_str(), 0755), 0);
  generateTree(top, 20240611);

  TreeModel model;
  current = &model;
  ASSERT_EQ(nftw(top.c_str(), visit, 64, FTW_PHYS | FTW_MOUNT), 0);
  current = nullptr;
  ASSERT_EQ(model.unreadable, 0);

  Scanner scanner;
  auto result = scanner.walk(top, {}, nullptr);
  ASSERT_TRUE(result);
  const FileNode* root = result->root;

  EXPECT_EQ(get(root->size), duBytes(top));
  EXPECT_EQ(get(root->size), folderSize(top).bytes);
  EXPECT_EQ(result->totalFiles, model.files);
  EXPECT_EQ(get(root->fileCount), model.files);
  EXPECT_EQ(result->hardLinksSkipped, model.repeats);
  EXPECT_EQ(result->totalDirectories, static_cast<int64_t>(model.folders.size()));
  EXPECT_EQ(result->unreadableDirectories, 0);

  int64_t fileBytes = 0, folderBytes = 0, folders = 0;
  std::vector<const FileNode*> fileNodes;
  std::vector<const FileNode*> queue{root};
  for (size_t i = 0; i < queue.size(); ++i) {
    const FileNode* node = queue[i];
    if (!node->isDirectory) {
      fileNodes.push_back(node);
      EXPECT_GE(get(node->size), 524288);
      EXPECT_EQ(get(node->fileCount), 1);
      EXPECT_TRUE(node->children.empty());
      fileBytes += get(node->size);
      continue;
    }
    ++folders;
    const std::string path = node->path();
    SCOPED_TRACE(path);
    ASSERT_TRUE(model.folders.contains(path));
    const FolderModel& expected = model.folders.at(path);
    int64_t childSize = 0, childLength = 0, childCount = 0;
    std::multiset<std::string> childFolders, largeFiles;
    for (const FileNode* c : node->children) {
      EXPECT_EQ(c->parent, node);
      childSize += get(c->size);
      childLength += get(c->logicalSize);
      childCount += get(c->fileCount);
      (c->isDirectory ? childFolders : largeFiles).insert(c->name);
      queue.push_back(c);
    }
    // size = own allocation + small files + children; the same for counts and lengths.
    EXPECT_EQ(get(node->size), expected.own + get(node->smallFilesSize) + childSize);
    EXPECT_EQ(get(node->fileCount), get(node->smallFilesCount) + childCount);
    EXPECT_EQ(get(node->logicalSize), expected.smallLength + childLength);
    EXPECT_EQ(get(node->smallFilesSize), expected.smallSize);
    EXPECT_EQ(get(node->smallFilesCount), expected.smallCount);
    EXPECT_EQ(childFolders, expected.folders);
    EXPECT_EQ(largeFiles, expected.largeFiles);
    fileBytes += get(node->smallFilesSize);
    folderBytes += expected.own;
  }
  EXPECT_EQ(folders, result->totalDirectories);
  EXPECT_EQ(std::set<const FileNode*>(fileNodes.begin(), fileNodes.end()),
            std::set<const FileNode*>(result->files.begin(), result->files.end()));
  EXPECT_EQ(fileNodes.size(), result->files.size());

  int64_t buckets = 0, kinds = 0, counts = 0;
  for (const auto& [bucket, bytes] : result->bucketTotals) buckets += bytes;
  for (const auto& [kind, bytes] : result->kindTotals) kinds += bytes;
  for (const auto& [kind, count] : result->kindCounts) counts += count;
  EXPECT_EQ(buckets, get(root->size));
  EXPECT_EQ(kinds, fileBytes);
  EXPECT_EQ(fileBytes + folderBytes, get(root->size));
  EXPECT_EQ(counts, result->totalFiles);
}
