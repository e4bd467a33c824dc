// The scanner's own walker, on one thread and on several, against the walk it replaced (glibc fts,
// tests/support/FtsScan): the same trees must give the same result, node for node.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <sstream>

#include "model/Scanner.h"
#include "support/FtsScan.h"
#include "support/ScanFixtures.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kBlock = 4096;

// Everything a scan result holds, one line per fact, nodes in pre-order with their children in
// order, so that two results are equal exactly when their descriptions are.
std::vector<std::string> describe(const ScanResult& r) {
  std::vector<std::string> lines;
  auto line = [&](const std::ostringstream& out) { lines.push_back(out.str()); };
  std::ostringstream head;
  head << "rootPath " << r.rootPath << " files " << r.totalFiles << " folders " << r.totalDirectories << " unreadable "
       << r.unreadableDirectories << " links skipped " << r.hardLinksSkipped;
  line(head);
  for (const auto& [bucket, bytes] : r.bucketTotals)
    line(std::ostringstream() << "bucket " << title(bucket) << " " << bytes);
  for (const auto& [kind, bytes] : r.kindTotals)
    line(std::ostringstream() << "kind bytes " << title(kind) << " " << bytes);
  for (const auto& [kind, count] : r.kindCounts)
    line(std::ostringstream() << "kind count " << title(kind) << " " << count);
  for (const FileNode* file : r.files) line(std::ostringstream() << "file node " << file->path());
  std::vector<const FileNode*> stack{r.root};
  while (!stack.empty()) {
    const FileNode* n = stack.back();
    stack.pop_back();
    std::ostringstream out;
    out << "node " << n->path() << " dir " << n->isDirectory << " package " << n->isPackage << " kind "
        << title(n->kind) << " bucket " << title(get(n->bucket)) << " size " << get(n->size) << " length "
        << get(n->logicalSize) << " count " << get(n->fileCount) << " small " << get(n->smallFilesSize) << "/"
        << get(n->smallFilesCount) << " times " << get(n->modified) << "/" << get(n->accessed) << " unreadable "
        << get(n->unreadable) << " children";
    for (const FileNode* c : n->children) out << " [" << c->name << "]";
    line(out);
    for (size_t i = n->children.size(); i-- > 0;) stack.push_back(n->children[i]);
  }
  return lines;
}

// Scans `root` with fts and with our walker on 1, 2 and 8 threads, and expects the same results.
void expectSameAsFts(const std::string& root, const std::set<std::string>& excluded = {}) {
  const auto reference = ftsScan(root, excluded);
  ASSERT_TRUE(reference);
  const std::vector<std::string> expected = describe(*reference);
  for (unsigned threads : {1u, 2u, 8u}) {
    SCOPED_TRACE(std::to_string(threads) + " threads");
    Scanner scanner(std::chrono::duration<double>(0.08), threads);
    const auto ours = scanner.walk(root, excluded, nullptr);
    ASSERT_TRUE(ours);
    const std::vector<std::string> actual = describe(*ours);
    for (size_t i = 0; i < std::min(expected.size(), actual.size()); ++i)
      ASSERT_EQ(actual[i], expected[i]) << "line " << i;
    EXPECT_EQ(actual.size(), expected.size());
  }
}

// A tree where the walk order decides things: hard links to the same files from folders at every
// depth, so the path a depth-first walk meets first changes with each folder's listing order; files
// either side of the 512 KiB line; links to files, folders and nowhere; pipes; folder names that
// classify; names that are not UTF-8.
void generateTree(const std::string& top, unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  const char* folderNames[] = {"d", "Thing.app", "x.bundle", "node_modules", "Caches", "caf\xe9", ".git", "v1.2"};
  std::vector<std::string> folders{top};
  for (int i = 0; i < 120; ++i) {
    const std::string path = folders[pick(folders.size())] + "/" + folderNames[pick(8)] + std::to_string(i);
    if (::mkdir(path.c_str(), 0755) != 0) throw std::runtime_error("mkdir " + path);
    folders.push_back(path);
  }
  const char* extensions[] = {".txt", ".JPG", ".mov", ".zip", ".swift", ".bin", "", ".dmg", ".\xff"};
  std::vector<std::string> files;
  for (int i = 0; i < 900; ++i) {
    int64_t blocks;
    switch (pick(10)) {
      case 0: blocks = 128 + static_cast<int64_t>(pick(64)); break;  // large
      case 1: blocks = 127 + static_cast<int64_t>(pick(2)); break;   // at the line
      default: blocks = static_cast<int64_t>(pick(8)); break;
    }
    const std::string path = folders[pick(folders.size())] + "/f" + std::to_string(i) + extensions[pick(9)];
    fileWithAllocation(path, blocks * kBlock, std::max<int64_t>(0, blocks * kBlock - static_cast<int64_t>(pick(100))));
    files.push_back(path);
  }
  for (int i = 0; i < 300; ++i) {  // some files get many links, in folders far apart
    const std::string& target = files[pick(40)];
    const std::string link = folders[pick(folders.size())] + "/h" + std::to_string(i);
    if (::link(target.c_str(), link.c_str()) != 0) throw std::runtime_error("link " + link);
  }
  for (int i = 0; i < 40; ++i) {
    const std::string target = pick(2) ? files[pick(files.size())] : pick(2) ? folders[pick(folders.size())] : "gone";
    const std::string link = folders[pick(folders.size())] + "/s" + std::to_string(i) + ".mov";
    if (::symlink(target.c_str(), link.c_str()) != 0) throw std::runtime_error("symlink " + link);
  }
  for (int i = 0; i < 4; ++i) {
    const std::string pipe = folders[pick(folders.size())] + "/p" + std::to_string(i);
    if (::mkfifo(pipe.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + pipe);
  }
}

}  // namespace

TEST(ScannerDifferential, GeneratedTreesGiveTheSameResultAsFts) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TempDir dir;
    const std::string top = dir / "top";
    ASSERT_EQ(::mkdir(top.c_str(), 0755), 0);
    generateTree(top, seed);
    expectSameAsFts(top);
    expectSameAsFts(top + "/");  // a root given with a trailing "/"
  }
}

TEST(ScannerDifferential, AHomeWithExclusionsGivesTheSameResultAsFts) {
  TempHome home;
  TreeBuilder tree(home.home());
  tree.allocatedFile(".cache/thumbnails/large/a.png", 256 * kBlock);
  tree.allocatedFile("Library/Caches/com.example/blob", kBlock);
  tree.allocatedFile("Documents/talk.mov", 256 * kBlock);
  tree.allocatedFile("Documents/Plugin.bundle/Contents/x", kBlock);
  tree.allocatedFile("Movies/skip/me.mov", 256 * kBlock);
  tree.allocatedFile("Projects/web/node_modules/pkg/index.js", kBlock);
  tree.allocatedFile(".local/share/Trash/files/old.iso", 256 * kBlock);
  tree.hardLink("Documents/talk.mov", "Projects/web/talk-again.mov");
  tree.folder(".config/tool");
  generateTree(tree.folder("Projects/generated"), 7);
  expectSameAsFts(home.home(), {home / "Movies/skip", home / "Projects/generated/d1", home.home()});
}

TEST(ScannerDifferential, UnreadableFoldersAndEntriesGiveTheSameResultAsFts) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.allocatedFile("top/open/a.txt", kBlock);
  tree.allocatedFile("top/locked/inner.bin", 256 * kBlock);  // not listable
  tree.allocatedFile("top/nosearch/one.txt", kBlock);        // listable, entries not examinable
  tree.allocatedFile("top/nosearch/sub/two.txt", kBlock);
  tree.allocatedFile("top/noread/three.txt", kBlock);  // searchable, not listable
  tree.allocatedFile("top/open/deeper/locked-too/x.bin", 256 * kBlock);
  ASSERT_EQ(::chmod(tree.path("top/locked").c_str(), 0), 0);
  ASSERT_EQ(::chmod(tree.path("top/nosearch").c_str(), 0644), 0);
  ASSERT_EQ(::chmod(tree.path("top/noread").c_str(), 0311), 0);
  ASSERT_EQ(::chmod(tree.path("top/open/deeper/locked-too").c_str(), 0), 0);
  {
    PermissionsEnforced enforced;
    if (!enforced.active()) GTEST_SKIP() << enforced.skipReason();
    expectSameAsFts(tree.path("top"));
    Scanner scanner;
    auto result = scanner.walk(tree.path("top"), {}, nullptr);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->unreadableDirectories, 5);  // locked, noread, locked-too, and two entries of nosearch
  }
  for (const char* folder : {"top/locked", "top/nosearch", "top/noread", "top/open/deeper/locked-too"})
    ::chmod(tree.path(folder).c_str(), 0755);
}

TEST(ScannerDifferential, AnotherDeviceAndAFolderThatIsItsOwnAncestorGiveTheSameResultAsFts) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.folder("images");
  tree.allocatedFile("top/here.txt", kBlock);
  tree.allocatedFile("top/a/b/big.bin", 256 * kBlock);
  tree.folder("top/mnt");
  tree.folder("top/a/loop");
  ScopedMount mount(tree.path("top/mnt"), tree.path("images"));
  if (!mount.mounted()) GTEST_SKIP() << mount.skipReason();
  TreeBuilder(tree.path("top/mnt")).file("on-the-other-volume.bin", 1 << 20);
  // The tree's own top, mounted again inside it: the same folder as one of its ancestors.
  ASSERT_EQ(::mount(tree.path("top").c_str(), tree.path("top/a/loop").c_str(), nullptr, MS_BIND, nullptr), 0)
      << std::strerror(errno);
  expectSameAsFts(tree.path("top"));
  ::umount2(tree.path("top/a/loop").c_str(), MNT_DETACH);
}
