#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "model/FolderSize.h"
#include "model/SafetyVerdict.h"
#include "model/Scanner.h"
#include "engines/JunkRule.h"
#include "platform/Paths.h"
#include "support/ScanFixtures.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kBlock = 4096;  // ext4 and tmpfs allocate whole 4,096-byte blocks

std::optional<ScanResult> scan(const std::string& root, const std::set<std::string>& excluded = {}) {
  Scanner scanner;
  return scanner.walk(root, excluded, nullptr);
}

FileNode* child(const FileNode* folder, std::string_view name) {
  for (FileNode* node : folder->children)
    if (node->name == name) return node;
  return nullptr;
}

std::vector<const FileNode*> allNodes(const FileNode* root) {
  std::vector<const FileNode*> out{root};
  for (size_t i = 0; i < out.size(); ++i)
    for (const FileNode* node : out[i]->children) out.push_back(node);
  return out;
}

template <typename Map>
int64_t sumOf(const Map& totals) {
  int64_t sum = 0;
  for (const auto& [key, value] : totals) sum += value;
  return sum;
}

// A folder's own allocation, as the scan sees it: what is left of its size without what lies below.
int64_t ownAllocation(const FileNode* folder) {
  int64_t size = get(folder->size) - get(folder->smallFilesSize);
  for (const FileNode* node : folder->children) size -= get(node->size);
  return size;
}

// One line per folder node of a scan, so that a walk run in another process can be checked:
// folder <path> <size> <unreadable> <children> <fileCount> <smallFilesCount>
std::string describeFolders(const ScanResult& result) {
  std::ostringstream out;
  out << "unreadableDirectories " << result.unreadableDirectories << "\ntotalFiles " << result.totalFiles << "\n";
  for (const FileNode* node : allNodes(result.root)) {
    if (!node->isDirectory) continue;
    out << "folder " << node->path() << " " << get(node->size) << " " << (get(node->unreadable) ? 1 : 0) << " "
        << node->children.size() << " " << get(node->fileCount) << " " << get(node->smallFilesCount) << "\n";
  }
  return out.str();
}

// When this binary is started again as another user (see UnreadableEntries below), it walks the root
// named in the environment, prints what it found and exits before any test runs.
[[maybe_unused]] const bool kOtherUserWalk = [] {
  const char* root = std::getenv("TOLVEX_SCAN_AS_OTHER_USER");
  if (!root) return false;
  Scanner scanner;
  auto result = scanner.walk(root, {}, nullptr);
  std::fputs(result ? describeFolders(*result).c_str() : "none\n", stdout);
  std::fflush(stdout);
  std::_Exit(0);
}();

}  // namespace

// ---------------------------------------------------------------------------------------------
// Sizes, nodes and totals

TEST(Scanner, SmallFilesFoldIntoTheirFolderAndLargeOnesGetNodes) {
  // In a home folder, where `top` has no category of its own (under /tmp everything would be junk).
  TempHome home;
  TreeBuilder tree(home.home());
  tree.allocatedFile("top/movie.mov", 147 * kBlock);  // 602,112 bytes
  tree.allocatedFile("top/notes.txt", kBlock, 100);
  tree.allocatedFile("top/photo.JPG", kBlock);
  tree.allocatedFile("top/.bashrc", kBlock);
  tree.times("top/movie.mov", 1700000000.75, 1600000000.25);
  tree.times("top", 1500000000.5, 1500000001.5);

  auto result = scan(tree.path("top"));
  ASSERT_TRUE(result);
  const FileNode* root = result->root;
  EXPECT_EQ(root->name, tree.path("top"));
  EXPECT_EQ(root->parent, nullptr);
  EXPECT_EQ(result->rootPath, tree.path("top"));
  EXPECT_TRUE(root->isDirectory);
  EXPECT_EQ(get(root->modified), 1500000000.0);
  EXPECT_EQ(get(root->accessed), 1500000001.0);

  ASSERT_EQ(root->children.size(), 1u);
  const FileNode* movie = root->children[0];
  EXPECT_EQ(movie->name, "movie.mov");
  EXPECT_EQ(movie->parent, root);
  EXPECT_FALSE(movie->isDirectory);
  EXPECT_EQ(movie->kind, FileKind::video);
  EXPECT_EQ(get(movie->bucket), StorageBucket::video);  // a file in an uncategorised folder goes by its kind
  EXPECT_EQ(get(movie->size), 147 * kBlock);
  EXPECT_EQ(get(movie->logicalSize), 147 * kBlock);
  EXPECT_EQ(get(movie->fileCount), 1);
  EXPECT_EQ(get(movie->modified), 1700000000.0);  // whole seconds
  EXPECT_EQ(get(movie->accessed), 1600000000.0);
  EXPECT_EQ(result->files, std::vector<FileNode*>{root->children[0]});

  const int64_t own = allocatedSize(tree.path("top"));
  EXPECT_EQ(get(root->smallFilesCount), 3);
  EXPECT_EQ(get(root->smallFilesSize), 3 * kBlock);
  EXPECT_EQ(get(root->fileCount), 4);
  EXPECT_EQ(get(root->size), own + 150 * kBlock);
  EXPECT_EQ(get(root->logicalSize), 147 * kBlock + 100 + 2 * kBlock);

  EXPECT_EQ(result->totalFiles, 4);
  EXPECT_EQ(result->totalDirectories, 1);
  EXPECT_EQ(result->unreadableDirectories, 0);
  EXPECT_EQ(result->hardLinksSkipped, 0);
  EXPECT_EQ(result->kindCounts,
            (std::map<FileKind, int64_t>{
                {FileKind::document, 1}, {FileKind::image, 1}, {FileKind::video, 1}, {FileKind::other, 1}}));
  EXPECT_EQ(result->kindTotals, (std::map<FileKind, int64_t>{{FileKind::document, kBlock},
                                                             {FileKind::image, kBlock},
                                                             {FileKind::video, 147 * kBlock},
                                                             {FileKind::other, kBlock}}));
  EXPECT_EQ(result->bucketTotals, (std::map<StorageBucket, int64_t>{{StorageBucket::documents, kBlock},
                                                                    {StorageBucket::images, kBlock},
                                                                    {StorageBucket::video, 147 * kBlock},
                                                                    {StorageBucket::other, own + kBlock}}));
  EXPECT_GE(result->duration, 0);
  EXPECT_GT(result->finishedAt, 1700000000);
}

TEST(Scanner, AllocationAloneDecidesWhetherAFileGetsANode) {
  // 524,288 bytes (1,024 blocks of 512) is the least allocation of a file node; the file system
  // allocates 4,096 bytes at a time, so 520,192 is the largest allocation below it.
  struct Case {
    const char* name;
    int64_t allocation;
    int64_t length;
    bool node;
  };
  const Case cases[] = {
      {"exactly-1024-blocks", 524288, 524288, true},
      {"1024-blocks-short-length", 524288, 10, true},
      {"1016-blocks", 520192, 520192, false},
      {"1016-blocks-long-sparse-length", 520192, 3000000, false},
  };
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.folder("top");
  int64_t lengths = 0, allocations = 0;
  for (const Case& c : cases) {
    fileWithAllocation(tree.path(std::string("top/") + c.name), c.allocation, c.length);
    lengths += c.length;
    allocations += c.allocation;
  }
  auto result = scan(tree.path("top"));
  ASSERT_TRUE(result);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FileNode* node = child(result->root, c.name);
    EXPECT_EQ(node != nullptr, c.node);
    if (node) {
      EXPECT_EQ(get(node->size), c.allocation);
      EXPECT_EQ(get(node->logicalSize), c.length);
    }
  }
  EXPECT_EQ(get(result->root->smallFilesCount), 2);
  EXPECT_EQ(get(result->root->smallFilesSize), 2 * 520192);
  EXPECT_EQ(get(result->root->logicalSize), lengths);
  EXPECT_EQ(get(result->root->size), allocatedSize(tree.path("top")) + allocations);
}

TEST(Scanner, HardLinksCountOnceWhereverTheyAre) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.allocatedFile("top/x/deep/big.bin", 256 * kBlock);
  tree.hardLink("top/x/deep/big.bin", "top/y/big-link.bin");
  tree.hardLink("top/x/deep/big.bin", "top/root-link.bin");
  tree.allocatedFile("top/x/small.txt", 2 * kBlock);
  tree.hardLink("top/x/small.txt", "top/y/z/small-link.txt");

  auto result = scan(tree.path("top"));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->hardLinksSkipped, 3);
  EXPECT_EQ(result->totalFiles, 2);
  EXPECT_EQ(get(result->root->fileCount), 2);
  EXPECT_EQ(get(result->root->size), duBytes(tree.path("top")));

  // One node, in whichever folder the walk met first; only that folder counts the file.
  ASSERT_EQ(result->files.size(), 1u);
  const FileNode* big = result->files[0];
  EXPECT_EQ(get(big->size), 256 * kBlock);
  for (const FileNode* folder = big->parent; folder; folder = folder->parent)
    EXPECT_GE(get(folder->size), 256 * kBlock) << folder->path();
  int64_t foldersHoldingIt = 0, smallFiles = 0;
  for (const FileNode* node : allNodes(result->root)) {
    if (!node->isDirectory) continue;
    smallFiles += get(node->smallFilesCount);
    bool holds = false;
    for (const FileNode* c : node->children) holds = holds || c == big;
    foldersHoldingIt += holds;
    const int64_t below = get(node->size) - ownAllocation(node);
    EXPECT_EQ(below >= 256 * kBlock, isInside(big->path(), node->path())) << node->path();
  }
  EXPECT_EQ(foldersHoldingIt, 1);
  EXPECT_EQ(smallFiles, 1);
}

TEST(Scanner, SymbolicLinksCountTheirOwnAllocationAndAreNotFollowed) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.allocatedFile("outside/huge.mov", 512 * kBlock);
  tree.allocatedFile("outside/folder/inner.bin", 256 * kBlock);
  tree.folder("top");
  tree.symlink(tree.path("outside/huge.mov"), "top/film.mov");
  tree.symlink(tree.path("outside/folder"), "top/folder-link");
  tree.symlink("nowhere/at/all", "top/dangling");

  auto result = scan(tree.path("top"));
  ASSERT_TRUE(result);
  const FileNode* root = result->root;
  EXPECT_TRUE(root->children.empty());
  EXPECT_TRUE(result->files.empty());
  EXPECT_EQ(result->totalDirectories, 1);
  EXPECT_EQ(result->totalFiles, 3);
  EXPECT_EQ(get(root->smallFilesCount), 3);
  const int64_t links = allocatedSize(tree.path("top/film.mov")) + allocatedSize(tree.path("top/folder-link")) +
                        allocatedSize(tree.path("top/dangling"));
  EXPECT_EQ(get(root->smallFilesSize), links);
  EXPECT_EQ(get(root->size), allocatedSize(tree.path("top")) + links);
  EXPECT_EQ(get(root->size), duBytes(tree.path("top")));
  // A link's length is that of its target text; its kind comes from its own name.
  EXPECT_EQ(get(root->logicalSize),
            static_cast<int64_t>(tree.path("outside/huge.mov").size() + tree.path("outside/folder").size() + 14));
  EXPECT_EQ(result->kindCounts.at(FileKind::video), 1);
}

TEST(Scanner, ExcludedFoldersContributeNothingButTheRootCannotBeExcluded) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.allocatedFile("top/keep/a.txt", kBlock);
  tree.allocatedFile("top/skip/big.bin", 256 * kBlock);
  tree.allocatedFile("top/skip/sub/b.txt", kBlock);
  const std::string top = tree.path("top");
  const int64_t everything = duBytes(top);
  const int64_t skipped = duBytes(tree.path("top/skip"));

  auto result = scan(top, {tree.path("top/skip")});
  ASSERT_TRUE(result);
  EXPECT_EQ(child(result->root, "skip"), nullptr);
  EXPECT_NE(child(result->root, "keep"), nullptr);
  EXPECT_EQ(get(result->root->size), everything - skipped);
  EXPECT_EQ(get(result->root->fileCount), 1);
  EXPECT_EQ(result->totalFiles, 1);
  EXPECT_EQ(result->totalDirectories, 2);
  EXPECT_TRUE(result->files.empty());
  EXPECT_EQ(sumOf(result->bucketTotals), everything - skipped);
  EXPECT_EQ(result->unreadableDirectories, 0);

  // Exclusions compare the exact folded path; the root itself is never excluded.
  for (const std::set<std::string>& excluded :
       {std::set<std::string>{top}, {top + "/skip/"}, {top + "/SKIP"}, {"skip"}}) {
    auto whole = scan(top, excluded);
    ASSERT_TRUE(whole);
    EXPECT_EQ(get(whole->root->size), everything) << *excluded.begin();
    EXPECT_EQ(whole->totalFiles, 3) << *excluded.begin();
  }
}

TEST(Scanner, UnreadableEntriesAreMarkedCountedAndDoNotStopTheWalk) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.allocatedFile("top/open/a.txt", kBlock);
  tree.allocatedFile("top/locked/inner.bin", 256 * kBlock);
  tree.folder("top/locked/sub");
  tree.allocatedFile("top/nosearch/one.txt", kBlock);  // listable, but its entries cannot be examined
  tree.allocatedFile("top/nosearch/two.txt", kBlock);
  const std::string top = tree.path("top");

  std::string out;
  if (::geteuid() == 0) {
    std::string reason;
    auto prefix = otherUserPrefix(reason);
    if (!prefix) GTEST_SKIP() << reason;
    char exe[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = '\0';
    auto as = [&](std::vector<std::string> argv) {
      argv.insert(argv.begin(), prefix->begin(), prefix->end());
      return argv;
    };
    if (!runProgram(as({"test", "-x", exe}))) GTEST_SKIP() << "user 65534 cannot run " << exe;
    // Readable to the other user except `locked` (not listable) and `nosearch` (not searchable).
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    for (const char* folder : {"top", "top/open", "top/locked/sub"})
      ASSERT_EQ(::chmod(tree.path(folder).c_str(), 0755), 0);
    ASSERT_EQ(::chmod(tree.path("top/locked").c_str(), 0700), 0);
    ASSERT_EQ(::chmod(tree.path("top/nosearch").c_str(), 0744), 0);
    ::setenv("TOLVEX_SCAN_AS_OTHER_USER", top.c_str(), 1);
    auto printed = runProgram(as({exe}));
    ::unsetenv("TOLVEX_SCAN_AS_OTHER_USER");
    ASSERT_TRUE(printed) << "the walk as user 65534 failed";
    out = *printed;
  } else {
    ASSERT_EQ(::chmod(tree.path("top/locked").c_str(), 0), 0);
    ASSERT_EQ(::chmod(tree.path("top/nosearch").c_str(), 0644), 0);
    auto result = scan(top);
    ASSERT_TRUE(result);
    out = describeFolders(*result);
  }

  // folder <path> <size> <unreadable> <children> <fileCount> <smallFilesCount>
  std::map<std::string, std::vector<int64_t>> folders;
  int64_t unreadable = -1, totalFiles = -1;
  std::istringstream lines(out);
  for (std::string word; lines >> word;) {
    if (word == "unreadableDirectories")
      lines >> unreadable;
    else if (word == "totalFiles")
      lines >> totalFiles;
    else if (word == "folder") {
      std::string path;
      std::vector<int64_t> values(5);
      lines >> path;
      for (auto& v : values) lines >> v;
      folders[path] = values;
    } else
      FAIL() << "unexpected output: " << out;
  }
  EXPECT_EQ(unreadable, 3) << out;  // the locked folder and the two entries that could not be examined
  EXPECT_EQ(totalFiles, 1);
  const int64_t lockedOwn = allocatedSize(tree.path("top/locked"));
  ASSERT_TRUE(folders.contains(tree.path("top/locked"))) << out;
  EXPECT_EQ(folders[tree.path("top/locked")], (std::vector<int64_t>{lockedOwn, 1, 0, 0, 0}));
  EXPECT_EQ(folders[tree.path("top/nosearch")],
            (std::vector<int64_t>{allocatedSize(tree.path("top/nosearch")), 0, 0, 0, 0}));
  EXPECT_FALSE(folders.contains(tree.path("top/locked/sub")));
  const int64_t readable = allocatedSize(top) + allocatedSize(tree.path("top/open")) + kBlock + lockedOwn +
                           allocatedSize(tree.path("top/nosearch"));
  EXPECT_EQ(folders[top], (std::vector<int64_t>{readable, 0, 3, 1, 0}));
}

TEST(Scanner, AFolderOnAnotherDeviceIsANodeWithOnlyItsOwnAllocation) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.folder("images");
  tree.allocatedFile("top/here.txt", kBlock);
  tree.folder("top/mnt");
  ScopedMount mount(tree.path("top/mnt"), tree.path("images"));
  if (!mount.mounted()) GTEST_SKIP() << mount.skipReason();
  SCOPED_TRACE(mount.kind());
  TreeBuilder(tree.path("top/mnt")).file("on-the-other-volume.bin", 1 << 20);
  TreeBuilder(tree.path("top/mnt")).folder("inner");

  auto result = scan(tree.path("top"));
  ASSERT_TRUE(result);
  const FileNode* mnt = child(result->root, "mnt");
  ASSERT_NE(mnt, nullptr);
  EXPECT_TRUE(mnt->isDirectory);
  EXPECT_TRUE(mnt->children.empty());
  EXPECT_FALSE(get(mnt->unreadable));
  EXPECT_EQ(get(mnt->size), allocatedSize(tree.path("top/mnt")));
  EXPECT_EQ(get(mnt->fileCount), 0);
  EXPECT_EQ(result->totalFiles, 1);
  EXPECT_EQ(result->totalDirectories, 2);
  EXPECT_EQ(result->unreadableDirectories, 0);
  // folderSize stays on the device too.
  EXPECT_EQ(folderSize(tree.path("top")), (FolderSize{get(result->root->size), 1}));
}

TEST(Scanner, ARootThatIsNotAFolderGivesNone) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.allocatedFile("file.txt", kBlock);
  tree.folder("folder");
  tree.symlink(tree.path("folder"), "link-to-folder");  // links are never followed, the root's neither
  const std::string cases[] = {tree.path("file.txt"),
                               tree.path("missing"),
                               tree.path("missing/below"),
                               tree.path("link-to-folder"),
                               "",
                               tree.path("folder") + std::string(1, '\0') + "x"};
  for (const std::string& root : cases) EXPECT_FALSE(scan(root)) << root;
  EXPECT_TRUE(scan(tree.path("folder")));
}

// ---------------------------------------------------------------------------------------------
// Progress and cancellation

namespace {

// `top` holding `files` files of one block in `top/sub`, and an empty `top/sub2`.
std::string progressTree(TreeBuilder& tree, int files) {
  for (int i = 0; i < files; ++i) tree.allocatedFile("top/sub/f" + std::to_string(i), kBlock);
  tree.folder("top/sub2");
  return tree.path("top");
}

struct Report {
  int64_t files, bytes;
  std::string path;
};

}  // namespace

TEST(Scanner, ProgressComesEvery1024FilesWithBytesAndThePathBeingVisited) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  const std::string top = progressTree(tree, 2048);
  Scanner scanner(std::chrono::duration<double>(0));  // report whenever the count allows it
  std::vector<Report> reports;
  auto result = scanner.walk(top, {}, [&](int64_t files, int64_t bytes, const std::string& path) {
    reports.push_back({files, bytes, path});
  });
  ASSERT_TRUE(result);
  ASSERT_FALSE(reports.empty());
  bool saw1024 = false, saw2048 = false;
  for (const Report& r : reports) {
    EXPECT_EQ(r.files % 1024, 0);
    EXPECT_EQ(r.bytes, r.files * kBlock);
    EXPECT_TRUE(r.path == top || isInside(r.path, top)) << r.path;
    saw1024 = saw1024 || r.files == 1024;
    saw2048 = saw2048 || r.files == 2048;
  }
  EXPECT_TRUE(saw1024);
  EXPECT_TRUE(saw2048);
  EXPECT_EQ(reports.front().path, top);  // the root, before any file
  EXPECT_EQ(reports.back().files, 2048);

  // Reports wait for the interval, however many files pass.
  int late = 0;
  Scanner patient(std::chrono::hours(1));
  ASSERT_TRUE(patient.walk(top, {}, [&](int64_t, int64_t, const std::string&) { ++late; }));
  EXPECT_EQ(late, 0);
}

TEST(Scanner, CancellationStopsTheWalkAtTheNextFolder) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  const std::string top = progressTree(tree, 1024);

  {  // cancelled before it starts: nothing, not even the root
    Scanner scanner;
    scanner.cancel();
    EXPECT_TRUE(scanner.isCancelled());
    EXPECT_FALSE(scanner.walk(top, {}, nullptr));
  }
  {  // cancelled from the first report (at the root): the next folder ends the walk
    Scanner scanner(std::chrono::duration<double>(0));
    int reports = 0;
    EXPECT_FALSE(scanner.walk(top, {}, [&](int64_t, int64_t, const std::string&) {
      ++reports;
      scanner.cancel();
    }));
    EXPECT_EQ(reports, 1);
  }
  {  // cancelled after the last folder was visited (at the root's last report): the result stands
    Scanner scanner(std::chrono::duration<double>(0));
    bool cancelled = false;
    auto result = scanner.walk(top, {}, [&](int64_t files, int64_t, const std::string& path) {
      if (path == top && files == 1024) {
        scanner.cancel();
        cancelled = true;
      }
    });
    EXPECT_TRUE(cancelled);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->totalFiles, 1024);
    EXPECT_EQ(result->totalDirectories, 3);
  }
}

// ---------------------------------------------------------------------------------------------
// Names and classification

TEST(Scanner, NamesThatAreNotUtf8KeepTheirExactBytes) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  const std::string folder = "caf\xe9 \xff";       // Latin-1 é and a byte that is never UTF-8
  const std::string large = "clip\xc3\x28.MP4";    // an invalid two-byte sequence
  const std::string small = "\x80\x81 notes.txt";  // lone continuation bytes
  tree.allocatedFile("top/" + folder + "/" + large, 256 * kBlock);
  tree.allocatedFile("top/" + folder + "/" + small, kBlock);

  auto result = scan(tree.path("top"));
  ASSERT_TRUE(result);
  const FileNode* node = child(result->root, folder);
  ASSERT_NE(node, nullptr);
  ASSERT_EQ(node->children.size(), 1u);
  const FileNode* clip = node->children[0];
  EXPECT_EQ(clip->name, large);
  EXPECT_EQ(clip->path(), tree.path("top/" + folder + "/" + large));
  EXPECT_EQ(clip->kind, FileKind::video);
  EXPECT_EQ(get(node->smallFilesCount), 1);
  EXPECT_EQ(result->kindCounts.at(FileKind::document), 1);
  struct stat st {};
  EXPECT_EQ(::lstat(clip->path().c_str(), &st), 0);  // the path still names the file
}

TEST(Scanner, FoldersOfAHomeAreClassifiedByTheirPlace) {
  TempHome home;
  TreeBuilder tree(home.home());
  tree.allocatedFile(".cache/thumbnails/large/a.png", 256 * kBlock);
  tree.allocatedFile("Library/Caches/com.example/blob", kBlock);
  tree.folder("Library/Preferences");
  tree.allocatedFile("Documents/talk.mov", 256 * kBlock);
  tree.allocatedFile("Documents/Plugin.bundle/Contents/x", kBlock);
  tree.allocatedFile("Applications/Tool.app/Contents/Info.plist", kBlock);
  tree.allocatedFile("Projects/web/node_modules/pkg/index.js", kBlock);
  tree.allocatedFile(".local/share/Trash/files/old.iso", 256 * kBlock);
  tree.folder(".config/tool");

  auto result = scan(home.home());
  ASSERT_TRUE(result);
  auto at = [&](const std::string& relative) -> const FileNode* {
    const FileNode* node = result->root;
    for (auto part : pathComponents(relative)) {
      node = node ? child(node, part) : nullptr;
    }
    return node;
  };
  struct Expect {
    const char* path;
    StorageBucket bucket;
  };
  const Expect expected[] = {
      {".cache", StorageBucket::junk},
      {".cache/thumbnails/large", StorageBucket::junk},
      {".cache/thumbnails/large/a.png", StorageBucket::junk},  // a file takes its folder's category
      {"Library", StorageBucket::appData},
      {"Library/Caches", StorageBucket::junk},
      {"Library/Caches/com.example", StorageBucket::junk},
      {"Library/Preferences", StorageBucket::appData},
      {"Documents", StorageBucket::other},
      {"Documents/talk.mov", StorageBucket::video},
      {"Applications/Tool.app", StorageBucket::applications},
      {"Projects/web/node_modules", StorageBucket::developer},
      {"Projects/web/node_modules/pkg", StorageBucket::developer},
      {".local/share/Trash", StorageBucket::trash},
      {".local/share/Trash/files/old.iso", StorageBucket::trash},
      {".config/tool", StorageBucket::appData},
  };
  EXPECT_EQ(get(result->root->bucket), StorageBucket::other);
  for (const Expect& e : expected) {
    const FileNode* node = at(e.path);
    ASSERT_NE(node, nullptr) << e.path;
    EXPECT_EQ(get(node->bucket), e.bucket) << e.path;
  }
  const FileNode* app = at("Applications/Tool.app");
  EXPECT_TRUE(app->isPackage);
  EXPECT_EQ(app->kind, FileKind::application);
  const FileNode* bundle = at("Documents/Plugin.bundle");
  EXPECT_TRUE(bundle->isPackage);
  EXPECT_EQ(bundle->kind, FileKind::other);
  EXPECT_FALSE(at("Documents")->isPackage);
  EXPECT_EQ(result->bucketTotals.at(StorageBucket::trash), 256 * kBlock +
                                                               allocatedSize(tree.path(".local/share/Trash")) +
                                                               allocatedSize(tree.path(".local/share/Trash/files")));
}

// The Trash is one folder however $XDG_DATA_HOME is written: the scan's category, the Trash junk rule
// and the safety verdicts all see the resolved folder the walk reaches.
TEST(Scanner, TheTrashIsTrashHoweverTheDataFolderIsSpelled) {
  TempHome home;
  TreeBuilder tree(home.home());
  const std::string item = tree.allocatedFile(".local/share/Trash/files/old.iso", 256 * kBlock);
  tree.symlink(home.dataHome(), "data-link");
  const std::string spellings[] = {home.dataHome(),
                                   home.dataHome() + "/",
                                   home.dataHome() + "//",
                                   home.home() + "/./.local/share",
                                   home.home() + "/data-link",
                                   home.home() + "/data-link/"};
  const std::string files = home.dataHome() + "/Trash/files";
  // Judged in the places read from the environment as it is at each call.
  const auto verdict = [](const std::string& path) {
    return SafetyVerdict::forPath(path, SafetyContext::forPlaces(Places::current()));
  };
  const SafetyVerdict inTrash = verdict(item), trashFolder = verdict(files);
  EXPECT_EQ(inTrash.risk, Risk::safe);
  EXPECT_EQ(trashFolder.risk, Risk::protected_);
  for (const std::string& spelling : spellings) {
    SCOPED_TRACE(spelling);
    ::setenv("XDG_DATA_HOME", spelling.c_str(), 1);
    auto result = scan(home.home());
    ASSERT_TRUE(result);
    const FileNode* trash = child(child(child(result->root, ".local"), "share"), "Trash");
    ASSERT_NE(trash, nullptr);
    EXPECT_EQ(get(trash->bucket), StorageBucket::trash);
    const FileNode* old = child(child(trash, "files"), "old.iso");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(get(old->bucket), StorageBucket::trash);
    EXPECT_EQ(JunkPlaces::current().trashFiles, files);
    EXPECT_EQ(verdict(item), inTrash);
    EXPECT_EQ(verdict(files), trashFolder);
  }
}
