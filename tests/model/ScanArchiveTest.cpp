#include <gtest/gtest.h>

#include <bit>
#include <csignal>
#include <dirent.h>
#include <sys/resource.h>

#include <random>
#include <string>
#include <vector>

#include "model/ScanArchive.h"
#include "model/Scanner.h"
#include "support/TreeBuilder.h"
#include "platform/AtomicFile.h"
#include "platform/lzfse/Lzfse.h"
#include "support/TempHome.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

// ---------------------------------------------------------------------------------------------
// Building trees

struct NodeValues {
  int64_t size = 0, logicalSize = 0, fileCount = 0, smallFilesSize = 0, smallFilesCount = 0;
  double modified = 0, accessed = 0;
  bool unreadable = false;
};

FileNode* add(ScanResult& r, FileNode* parent, std::string name, bool directory, NodeValues v, bool package = false,
              FileKind kind = FileKind::other, StorageBucket bucket = StorageBucket::other) {
  FileNode* node = r.tree->make(std::move(name), parent, directory, package, kind, bucket);
  set(node->size, v.size);
  set(node->logicalSize, v.logicalSize);
  set(node->fileCount, v.fileCount);
  set(node->smallFilesSize, v.smallFilesSize);
  set(node->smallFilesCount, v.smallFilesCount);
  set(node->modified, v.modified);
  set(node->accessed, v.accessed);
  set(node->unreadable, v.unreadable);
  if (!r.root) r.root = node;
  if (!directory) r.files.push_back(node);
  return node;
}

ScanResult emptyResult(const std::string& rootPath) {
  ScanResult r;
  r.tree = std::make_shared<FileTree>();
  r.rootPath = rootPath;
  return r;
}

// A small tree with every kind of node and a value in every field.
ScanResult sampleResult() {
  ScanResult r = emptyResult("/home/u\xff");
  FileNode* root = add(r, nullptr, "/home/u\xff", true, {9000, 8000, 7, 100, 2, 1.7e9, 1.7e9 + 1});
  FileNode* docs = add(r, root, "Documents", true, {5000, 4000, 3, 0, 0, 1.6e9, 1.6e9}, false, FileKind::other,
                       StorageBucket::documents);
  add(r, docs, "report.pdf", false, {4096, 4000, 1, 0, 0, 1.5e9, 1.55e9}, false, FileKind::document,
      StorageBucket::documents);
  add(r, docs, "bad\xC3\x28name\x80.mov", false, {1 << 20, (1 << 20) - 7, 1, 0, 0, -86400, 0}, false, FileKind::video,
      StorageBucket::video);
  FileNode* app = add(r, root, "Tool.app", true, {3000, 2500, 1, 300, 1, 1e9, 1e9}, true, FileKind::application,
                      StorageBucket::applications);
  add(r, app, "Contents", true, {2700, 2200, 0, 0, 0, 1e9, 1e9}, false);
  add(r, root, "locked", true, {0, 0, 0, 0, 0, 0, 0, true}, false, FileKind::other, StorageBucket::system);
  // A deleted folder with a subtree, and a deleted file: left out of the archive.
  FileNode* gone =
      add(r, root, "old-cache", true, {700, 600, 2, 0, 0, 1, 1}, false, FileKind::other, StorageBucket::junk);
  set(gone->deleted, true);
  add(r, add(r, gone, "inner", true, {1, 1, 1, 0, 0, 1, 1}), "deep.bin", false, {1, 1, 1, 0, 0, 1, 1});
  FileNode* goneFile = add(r, root, "big.iso", false, {1 << 30, 1 << 30, 1, 0, 0, 2, 2}, false, FileKind::diskImage,
                           StorageBucket::other);
  set(goneFile->deleted, true);
  add(r, root, "extremes", false, {INT64_MAX, INT64_MIN, -1, 0, 0, 1e300, -0.5});  // extremes survive too

  r.bucketTotals = {{StorageBucket::documents, 5000}, {StorageBucket::junk, -3}, {StorageBucket::other, 9}};
  r.kindTotals = {{FileKind::document, 4096}, {FileKind::video, 1 << 20}};
  r.kindCounts = {{FileKind::document, 1}, {FileKind::video, 1}, {FileKind::other, 12}};
  r.totalFiles = 17;
  r.totalDirectories = 6;
  r.unreadableDirectories = 1;
  r.hardLinksSkipped = 4;
  r.duration = 2.25;
  r.finishedAt = 1733800000.5;
  return r;
}

// Compares two trees node by node (iteratively), skipping nodes of `original` marked deleted.
void expectSameTree(const FileNode* original, const FileNode* loaded) {
  std::vector<std::pair<const FileNode*, const FileNode*>> stack{{original, loaded}};
  size_t compared = 0;
  while (!stack.empty()) {
    auto [a, b] = stack.back();
    stack.pop_back();
    ++compared;
    SCOPED_TRACE("node " + std::to_string(compared) + " named " + a->name);
    ASSERT_EQ(a->name, b->name);
    EXPECT_EQ(a->isDirectory, b->isDirectory);
    EXPECT_EQ(a->isPackage, b->isPackage);
    EXPECT_EQ(a->kind, b->kind);
    EXPECT_EQ(get(a->bucket), get(b->bucket));
    EXPECT_EQ(get(a->size), get(b->size));
    EXPECT_EQ(get(a->logicalSize), get(b->logicalSize));
    EXPECT_EQ(get(a->fileCount), get(b->fileCount));
    EXPECT_EQ(std::bit_cast<uint64_t>(get(a->modified)), std::bit_cast<uint64_t>(get(b->modified)));
    EXPECT_EQ(std::bit_cast<uint64_t>(get(a->accessed)), std::bit_cast<uint64_t>(get(b->accessed)));
    EXPECT_EQ(get(a->smallFilesSize), get(b->smallFilesSize));
    EXPECT_EQ(get(a->smallFilesCount), get(b->smallFilesCount));
    EXPECT_EQ(get(a->unreadable), get(b->unreadable));
    EXPECT_FALSE(get(b->deleted));
    std::vector<const FileNode*> kept;
    for (const FileNode* child : a->children)
      if (!get(child->deleted)) kept.push_back(child);
    ASSERT_EQ(kept.size(), b->children.size());
    for (size_t i = 0; i < kept.size(); ++i) {
      ASSERT_EQ(b->children[i]->parent, b);
      stack.emplace_back(kept[i], b->children[i]);
    }
  }
  EXPECT_GT(compared, 0u);
}

// The file nodes of a tree in pre-order, leaving out deleted subtrees.
std::vector<const FileNode*> filesInPreOrder(const FileNode* root) {
  std::vector<const FileNode*> files, stack{root};
  while (!stack.empty()) {
    const FileNode* node = stack.back();
    stack.pop_back();
    if (get(node->deleted)) continue;
    if (!node->isDirectory) files.push_back(node);
    for (size_t i = node->children.size(); i-- > 0;) stack.push_back(node->children[i]);
  }
  return files;
}

void expectSameResult(const ScanResult& a, const ScanResult& b) {
  expectSameTree(a.root, b.root);
  EXPECT_EQ(b.root->parent, nullptr);
  EXPECT_EQ(a.rootPath, b.rootPath);
  EXPECT_EQ(a.bucketTotals, b.bucketTotals);
  EXPECT_EQ(a.kindTotals, b.kindTotals);
  EXPECT_EQ(a.kindCounts, b.kindCounts);
  EXPECT_EQ(a.totalFiles, b.totalFiles);
  EXPECT_EQ(a.totalDirectories, b.totalDirectories);
  EXPECT_EQ(a.unreadableDirectories, b.unreadableDirectories);
  EXPECT_EQ(a.hardLinksSkipped, b.hardLinksSkipped);
  EXPECT_EQ(a.duration, b.duration);
  EXPECT_EQ(a.finishedAt, b.finishedAt);
  // `files` is rebuilt from the tree: the loaded counterparts of the original's live files.
  const auto expectedFiles = filesInPreOrder(a.root);
  ASSERT_EQ(b.files.size(), expectedFiles.size());
  for (size_t i = 0; i < b.files.size(); ++i) EXPECT_EQ(b.files[i]->path(), expectedFiles[i]->path());
}

// ---------------------------------------------------------------------------------------------
// Writing streams by hand

struct Bytes {
  std::string s;
  Bytes& u8(uint8_t v) {
    s.push_back(static_cast<char>(v));
    return *this;
  }
  Bytes& u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  Bytes& i64(int64_t v) {
    for (int i = 0; i < 8; ++i) u8(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
    return *this;
  }
  Bytes& f64(double v) { return i64(std::bit_cast<int64_t>(v)); }
  Bytes& str(std::string_view v) {
    u32(static_cast<uint32_t>(v.size()));
    s.append(v);
    return *this;
  }
  Bytes& table(const std::vector<std::pair<uint8_t, int64_t>>& entries) {
    u32(static_cast<uint32_t>(entries.size()));
    for (auto [k, v] : entries) u8(k).i64(v);
    return *this;
  }
  Bytes& record(std::string_view name, uint8_t flags, uint8_t kind, uint8_t bucket, uint32_t children,
                int64_t size = 0) {
    str(name).u8(flags).u8(kind).u8(bucket);
    i64(size).i64(size / 2).i64(1).f64(100).f64(200).i64(3).i64(4);
    return u32(children);
  }
};

// Header and totals with the given target and tables; nodes follow.
Bytes head(uint8_t target = 0, std::string_view folder = "",
           std::vector<std::pair<uint8_t, int64_t>> buckets = {{1, 10}},
           std::vector<std::pair<uint8_t, int64_t>> kinds = {{0, 20}}) {
  Bytes b;
  b.u32(0x54565831).u8(1).u8(target).str(folder).str("/r");
  b.table(buckets).table(kinds).table({{0, 1}});
  b.i64(5).i64(6).i64(7).i64(8).f64(1.5).f64(1e9);
  return b;
}

}  // namespace

TEST(ScanArchive, RoundTripKeepsEveryField) {
  TempDir dir;
  const ScanResult original = sampleResult();
  for (const ScanTarget& target :
       {ScanTarget::wholeDisk(), ScanTarget::home(), ScanTarget::folder("/media/disk/\xE9t\xE9")}) {
    writeScanArchive(original, target, dir / "last-scan.tvxscan");
    const auto loaded = readScanArchive(dir / "last-scan.tvxscan");
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->second, target);
    expectSameResult(original, loaded->first);
  }
  // The deleted folder, its subtree and the deleted file are gone; the parents' sizes are kept as they were.
  const auto loaded = readScanArchive(dir / "last-scan.tvxscan");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->first.tree->nodeCount(), 8u);
  EXPECT_EQ(get(loaded->first.root->size), 9000);
  EXPECT_EQ(loaded->first.root->children[0]->children[1]->path(), "/home/u\xff/Documents/bad\xC3\x28name\x80.mov");
}

// A real scan of a fixture tree (large and small files, a package, a hard link, an odd name) survives
// the round trip field for field.
TEST(ScanArchive, RoundTripOfAScannedTree) {
  TempDir dir;
  TreeBuilder tree(dir / "root");
  tree.allocatedFile("Movies/clip.mov", 2 * 1024 * 1024);
  tree.allocatedFile("Movies/small.txt", 4096);
  tree.allocatedFile("Apps/Tool.app/Contents/MacOS/tool", 1024 * 1024);
  tree.allocatedFile("odd/na\xffme.bin", 1024 * 1024);
  tree.hardLink("Movies/clip.mov", "odd/again.mov");
  tree.symlink("/etc", "odd/link");
  Scanner scanner;
  const auto scanned = scanner.walk(tree.base(), {}, [](int64_t, int64_t, const std::string&) {});
  ASSERT_TRUE(scanned);
  writeScanArchive(*scanned, ScanTarget::folder(tree.base()), dir / "last-scan.tvxscan");
  const auto loaded = readScanArchive(dir / "last-scan.tvxscan");
  ASSERT_TRUE(loaded);
  expectSameResult(*scanned, loaded->first);
  EXPECT_EQ(loaded->second, ScanTarget::folder(tree.base()));
}

// A chain 100,000 folders deep: writing, reading, comparing and freeing all work without recursion.
TEST(ScanArchive, DeepChain) {
  TempDir dir;
  ScanResult original = emptyResult("/");
  FileNode* node = add(original, nullptr, "/", true, {1, 1, 0, 0, 0, 0, 0});
  for (int i = 0; i < 100000; ++i)
    node = add(original, node, "d" + std::to_string(i % 10), true, {i, i, 0, 0, 0, 0, 0});
  add(original, node, "leaf.bin", false, {1 << 20, 1 << 20, 1, 0, 0, 0, 0});
  writeScanArchive(original, ScanTarget::wholeDisk(), dir / "deep.tvxscan");
  const auto loaded = readScanArchive(dir / "deep.tvxscan");
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(loaded->first.tree->nodeCount(), 100002u);
  expectSameResult(original, loaded->first);
  ASSERT_EQ(loaded->first.files.size(), 1u);
  EXPECT_EQ(loaded->first.files[0]->path().size(), 1 + 100000 * 3 + 8);
}

// The exact layout of the smallest archive: header, totals and one record with no children.
TEST(ScanArchive, StreamLayout) {
  ScanResult r = emptyResult("/r");
  add(r, nullptr, "/r", true, {1000, 500, 1, 3, 4, 100, 200}, false, FileKind::other, StorageBucket::developer);
  r.bucketTotals = {{StorageBucket::images, 10}};
  r.kindTotals = {{FileKind::document, 20}};
  r.kindCounts = {{FileKind::document, 1}};
  r.totalFiles = 5, r.totalDirectories = 6, r.unreadableDirectories = 7, r.hardLinksSkipped = 8;
  r.duration = 1.5, r.finishedAt = 1e9;

  Bytes expected = head(0, "", {{2, 10}}, {{0, 20}});
  expected.str("/r").u8(1).u8(8).u8(6).i64(1000).i64(500).i64(1).f64(100).f64(200).i64(3).i64(4).u32(0);
  const std::string bytes = scanArchiveBytes(r, ScanTarget::wholeDisk());
  EXPECT_EQ(bytes, expected.s);
  EXPECT_EQ(bytes.substr(0, 6), std::string("1XVT\x01\x00", 6));
  EXPECT_EQ(bytes.substr(6, 4), std::string(4, '\0'));  // no folder path: an empty str

  // Reading stops after the root's record: what follows does not matter.
  const auto loaded = readScanArchiveBytes(bytes + "trailing bytes");
  ASSERT_TRUE(loaded);
  expectSameResult(r, loaded->first);
  EXPECT_TRUE(loaded->first.root->children.empty());
}

TEST(ScanArchive, ReadsHandMadeStreams) {
  auto tree = [](Bytes b) {
    b.record("/r", 1, 0, 0, 2).record("a", 0, 200, 12, 0).record("b", 1, 1, 1, 0);
    return b.s;
  };
  // Unknown kind and bucket bytes become `other`.
  auto loaded = readScanArchiveBytes(tree(head()));
  ASSERT_TRUE(loaded);
  const FileNode* a = loaded->first.root->children.at(0);
  EXPECT_EQ(a->kind, FileKind::other);
  EXPECT_EQ(get(a->bucket), StorageBucket::other);
  ASSERT_EQ(loaded->first.files.size(), 1u);
  EXPECT_EQ(loaded->first.files[0], a);
  EXPECT_EQ(loaded->second, ScanTarget::wholeDisk());

  // Targets: the folder path only counts for `folder`.
  EXPECT_EQ(readScanArchiveBytes(tree(head(1, "/ignored")))->second, ScanTarget::home());
  EXPECT_EQ(readScanArchiveBytes(tree(head(2, "/mnt/\xFF")))->second, ScanTarget::folder("/mnt/\xFF"));
  EXPECT_FALSE(readScanArchiveBytes(tree(head(3))));

  // Table keys out of range are dropped; a key given twice keeps its last value.
  loaded = readScanArchiveBytes(tree(head(0, "", {{12, 1}, {3, 30}, {255, 2}, {3, 31}}, {{9, 5}, {8, 6}})));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->first.bucketTotals, (std::map<StorageBucket, int64_t>{{StorageBucket::video, 31}}));
  EXPECT_EQ(loaded->first.kindTotals, (std::map<FileKind, int64_t>{{FileKind::other, 6}}));

  // 999 table entries are fine, 1000 are not.
  std::vector<std::pair<uint8_t, int64_t>> many(999, {1, 1});
  EXPECT_TRUE(readScanArchiveBytes(tree(head(0, "", many))));
  many.push_back({1, 1});
  EXPECT_FALSE(readScanArchiveBytes(tree(head(0, "", many))));
}

TEST(ScanArchive, RefusesCorruptStreams) {
  const std::string valid = [] {
    Bytes b = head();
    b.record("/r", 1, 0, 0, 2).record("a", 1, 0, 0, 1).record("x", 0, 0, 0, 0).record("b", 0, 0, 0, 0);
    return b.s;
  }();
  ASSERT_TRUE(readScanArchiveBytes(valid));

  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string badMagic = valid, badVersion = valid;
  badMagic[3] = 'U';
  badVersion[4] = 2;
  const Case cases[] = {
      {"empty", ""},
      {"wrong magic", badMagic},
      {"version 2", badVersion},
      {"table count 1000 with its entries missing", head().s.substr(0, 16) + Bytes().u32(1000).s},
      {"table count of 4 billion", head().s.substr(0, 16) + Bytes().u32(0xFFFFFFFF).s},
      {"folder path longer than the data", Bytes().u32(0x54565831).u8(1).u8(2).u32(0xFFFFFFF0).s},
      {"child count larger than the records that follow", head().record("/r", 1, 0, 0, 3).record("a", 0, 0, 0, 0).s},
      {"child count of 4 billion", head().record("/r", 1, 0, 0, 0xFFFFFFFF).s},
      {"every node promising 4 billion children",
       [] {
         Bytes b = head();
         for (int i = 0; i < 1000; ++i) b.record("n", 1, 0, 0, 0xFFFFFFFF);
         return b.s;
       }()},
      {"name longer than the data", head().record("/r", 1, 0, 0, 1).u32(0x7FFFFFFF).s},
      // A name must be one entry of its folder: the system calls would stop at a NUL byte, "/" would
      // reach into another folder, and "", "." or ".." would name a folder above the node.
      {"a NUL byte in a name", head().record("/r", 1, 0, 0, 1).record(std::string("a\0b", 3), 0, 0, 0, 0).s},
      {"a \"/\" in a name", head().record("/r", 1, 0, 0, 1).record("a/b", 0, 0, 0, 0).s},
      {"an empty name", head().record("/r", 1, 0, 0, 1).record("", 0, 0, 0, 0).s},
      {"a name \".\"", head().record("/r", 1, 0, 0, 1).record(".", 0, 0, 0, 0).s},
      {"a name \"..\"", head().record("/r", 1, 0, 0, 1).record("..", 0, 0, 0, 0).s},
      {"a NUL byte in the root's name", head().record(std::string("/r\0x", 4), 1, 0, 0, 0).s},
      {"a NUL byte in the folder path", head(2, std::string("/mnt\0x", 6)).record("/r", 1, 0, 0, 0).s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(readScanArchiveBytes(c.bytes));
  }
  // Cut anywhere before the end of the last record: none.
  for (size_t n = 0; n < valid.size(); ++n) ASSERT_FALSE(readScanArchiveBytes(valid.substr(0, n))) << n;
}

TEST(ScanArchive, RefusesBadFiles) {
  TempDir dir;
  EXPECT_FALSE(readScanArchive(dir / "missing.tvxscan"));
  EXPECT_FALSE(readScanArchive(dir.path()));  // a folder
  ASSERT_EQ(writeFileAtomically(dir / "plain", "1XVT\x01\x00"), 0);
  EXPECT_FALSE(readScanArchive(dir / "plain"));  // not compressed
  ASSERT_EQ(writeFileAtomically(dir / "garbage", lzfseEncode(std::string(5000, 'x'))), 0);
  EXPECT_FALSE(readScanArchive(dir / "garbage"));
  // Never waited on, never followed: a FIFO or a link in the archive's place reads as no archive.
  writeScanArchive(sampleResult(), ScanTarget::home(), dir / "real.tvxscan");
  ASSERT_TRUE(readScanArchive(dir / "real.tvxscan"));
  ASSERT_EQ(::symlink((dir / "real.tvxscan").c_str(), (dir / "link.tvxscan").c_str()), 0);
  EXPECT_FALSE(readScanArchive(dir / "link.tvxscan"));
  ASSERT_EQ(::mkfifo((dir / "fifo.tvxscan").c_str(), 0600), 0);
  EXPECT_FALSE(readScanArchive(dir / "fifo.tvxscan"));
  ScanResult noTree;
  EXPECT_THROW(writeScanArchive(noTree, ScanTarget::home(), dir / "none"), std::runtime_error);
  EXPECT_FALSE(readWholeFile(dir / "none"));
}

// A write that fails leaves the previous archive as it was and no temporary file behind.
TEST(ScanArchive, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir / "last-scan.tvxscan";
  writeScanArchive(sampleResult(), ScanTarget::home(), path);
  const auto before = readWholeFile(path);
  ASSERT_TRUE(before);

  // A tree whose archive is bigger than the file size limit set below.
  ScanResult big = emptyResult("/");
  FileNode* root = add(big, nullptr, "/", true, {});
  std::mt19937 random(3);
  for (int i = 0; i < 2000; ++i) add(big, root, std::to_string(random()), false, {int64_t(random())});

  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = before->size() + 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool threw = false;
  try {
    writeScanArchive(big, ScanTarget::wholeDisk(), path);
  } catch (const std::runtime_error&) {
    threw = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(threw);

  EXPECT_EQ(readWholeFile(path), before);
  ASSERT_TRUE(readScanArchive(path));
  EXPECT_EQ(readScanArchive(path)->second, ScanTarget::home());
  int entries = 0;
  if (DIR* d = opendir(dir.path().c_str())) {
    while (dirent* e = readdir(d)) entries += e->d_name[0] != '.' || std::string(e->d_name).size() > 2;
    closedir(d);
  }
  EXPECT_EQ(entries, 1);  // only the archive: the temporary file was removed

  // Into a folder that does not exist: an error, nothing written.
  EXPECT_THROW(writeScanArchive(big, ScanTarget::home(), dir / "missing/last-scan.tvxscan"), std::runtime_error);
}
