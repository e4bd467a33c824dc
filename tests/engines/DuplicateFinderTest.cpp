#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <memory>
#include <thread>
#include <openssl/sha.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engines/DuplicateFinder.h"
#include "model/Scanner.h"
#include "platform/HomeFolder.h"
#include "platform/Paths.h"
#include "support/FileState.h"
#include "support/RunAsNobody.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "support/XfsImage.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

const char* const kEmptyDigest = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const char* const kAbcDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string sha256Of(const std::string& bytes) {
  Sha256Digest digest{};
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest.data());
  std::string text;
  for (const auto& piece : hexString(digest)) text += piece;
  return text;
}

// File nodes over real files under a folder, as a scan would make them; sizes and dates can be set
// by hand where a test needs exact figures.
class NodeTree {
 public:
  explicit NodeTree(const std::string& rootPath)
      : root_(tree_.make(rootPath, nullptr, true, false, FileKind::other, StorageBucket::other)) {}

  // A file node at `relative`, with the logical and allocated size of the file there (when there is
  // one) and the given modification time.
  FileNode* file(const std::string& relative, double modified = 0) {
    FileNode* parent = root_;
    const auto parts = pathComponents(relative);
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
      FileNode* next = nullptr;
      for (FileNode* child : parent->children)
        if (child->name == parts[i]) next = child;
      if (!next) next = tree_.make(std::string(parts[i]), parent, true, false, FileKind::other, StorageBucket::other);
      parent = next;
    }
    FileNode* node = tree_.make(std::string(parts.back()), parent, false, false, FileKind::other, StorageBucket::other);
    struct stat st {};
    if (::lstat(node->path().c_str(), &st) == 0) {
      set(node->logicalSize, st.st_size);
      set(node->size, st.st_blocks * 512);
    }
    set(node->modified, modified);
    files_.push_back(node);
    return node;
  }
  const std::vector<FileNode*>& files() const { return files_; }

 private:
  FileTree tree_;
  FileNode* root_;
  std::vector<FileNode*> files_;
};

std::vector<std::string> namesOf(const DuplicateGroup& group) {
  std::vector<std::string> names;
  for (const FileNode* file : group.files) names.push_back(file->name);
  return names;
}

std::vector<DuplicateGroup> find(const std::vector<FileNode*>& files, int64_t minimum = 1,
                                 std::vector<double>* progress = nullptr) {
  return findDuplicates(files, minimum, [progress](double fraction) {
    if (progress) progress->push_back(fraction);
  });
}

}  // namespace

TEST(HashFile, DigestsOfKnownContentAndLimits) {
  TempDir dir;
  writeBytes(dir / "empty", "");
  writeBytes(dir / "abc", "abc");
  const std::string big = patternBytes((5 << 20) / 2 + 17, 21);  // crosses two 1 MiB reads
  writeBytes(dir / "big", big);

  struct Case {
    std::string name;
    std::optional<int64_t> limit;
    std::string digest;
  };
  const Case cases[] = {
      {"empty", std::nullopt, kEmptyDigest},
      {"abc", std::nullopt, kAbcDigest},
      {"abc", 0, kEmptyDigest},
      {"abc", -5, kEmptyDigest},
      {"abc", 2, sha256Of("ab")},
      {"abc", 1 << 20, kAbcDigest},
      {"big", std::nullopt, sha256Of(big)},
      {"big", 65536, sha256Of(big.substr(0, 65536))},
      {"big", (1 << 20) + 1, sha256Of(big.substr(0, (1 << 20) + 1))},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hashFile(dir / c.name, c.limit), c.digest) << c.name << " " << c.limit.value_or(-1);
  }
}

TEST(HashFile, OnlyRegularFilesAreRead) {
  TempDir dir;
  writeBytes(dir / "file", "abc");
  ASSERT_EQ(::symlink("file", (dir / "link").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  ASSERT_EQ(::mkdir((dir / "folder").c_str(), 0755), 0);
  for (const char* name : {"missing", "link", "fifo", "folder"}) EXPECT_FALSE(hashFile(dir / name)) << name;
  EXPECT_FALSE(hashFile("/dev/null"));
  EXPECT_FALSE(hashFile(dir / "link", 65536));
}

TEST(HashFile, ReadingLeavesTheAccessTimeAlone) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  writeBytes(dir / "file", patternBytes(100000, 2));
  tree.times("file", 1'500'000'000, 1'500'000'100);  // older than a day: a plain read would renew it
  ASSERT_TRUE(hashFile(dir / "file"));
  EXPECT_EQ(fileState(dir / "file").accessedNs, 1'500'000'100'000'000'000);
}

TEST(HexString, TwoLowercaseDigitsPerByte) {
  Sha256Digest digest{};
  for (size_t i = 0; i < digest.size(); ++i) digest[i] = static_cast<unsigned char>(i * 8 + 7);
  const auto pieces = hexString(digest);
  ASSERT_EQ(pieces.size(), 32u);
  EXPECT_EQ(pieces[0], "07");
  EXPECT_EQ(pieces[1], "0f");
  EXPECT_EQ(pieces[31], "ff");
}

TEST(DuplicateGroup, ReclaimableCountsSharedCopiesAsOne) {
  TempDir dir;
  NodeTree nodes(dir.path());
  FileNode* a = nodes.file("a");
  FileNode* b = nodes.file("b");
  FileNode* c = nodes.file("c");
  struct Case {
    std::vector<FileNode*> files;
    std::unordered_set<const FileNode*> shared;
    int64_t reclaimable;
  };
  const Case cases[] = {
      {{a, b, c}, {}, 20'000'000}, {{a, b, c}, {a, b}, 10'000'000}, {{a, b}, {a, b}, 0},
      {{a, b}, {b}, 10'000'000},   {{a, b, c}, {a, b, c}, 0},
  };
  for (const Case& c : cases) {
    DuplicateGroup group;
    group.size = 10'000'000;
    group.files = c.files;
    group.shared = c.shared;
    EXPECT_EQ(group.reclaimable(), c.reclaimable) << c.files.size() << " files, " << c.shared.size() << " shared";
  }
}

TEST(FindDuplicates, NothingToCompareGivesOneFinalProgressCall) {
  TempDir dir;
  writeBytes(dir / "a", "1");
  writeBytes(dir / "b", "22");
  writeBytes(dir / "c", "333");
  NodeTree nodes(dir.path());
  for (const char* name : {"a", "b", "c"}) nodes.file(name);

  for (const auto& files : {std::vector<FileNode*>{}, nodes.files()}) {
    std::vector<double> progress;
    EXPECT_TRUE(find(files, 1, &progress).empty());
    EXPECT_EQ(progress, std::vector<double>{1.0});
  }
}

TEST(FindDuplicates, ThreeIdenticalFilesOldestFirst) {
  TempDir dir;
  // Real lengths near the sizes asserted: what the file system says about sharing is compared with them.
  const std::string bytes = patternBytes(10'000'000, 4);
  for (const char* name : {"new", "old", "middle", "middle too"}) writeBytes(dir / name, bytes);
  writeBytes(dir / "same size", patternBytes(10'000'000, 5));
  NodeTree nodes(dir.path());
  nodes.file("new", 300);
  nodes.file("old", 100);
  nodes.file("middle", 200);
  nodes.file("same size", 50);
  nodes.file("middle too", 200);
  for (FileNode* node : nodes.files()) set(node->size, 10'000'000);
  set(nodes.files()[0]->size, 12'000'000);  // the group's size is its first file's in input order

  const auto groups = find(nodes.files());
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].id, sha256Of(bytes));
  EXPECT_EQ(namesOf(groups[0]), (std::vector<std::string>{"old", "middle", "middle too", "new"}));
  EXPECT_EQ(groups[0].size, 12'000'000);
  EXPECT_TRUE(groups[0].shared.empty());  // nothing shares storage on an ordinary file system
  EXPECT_EQ(groups[0].reclaimable(), 36'000'000);
}

TEST(FindDuplicates, EqualBeginningsAreNotEnough) {
  TempDir dir;
  const std::string bytes = patternBytes(300000, 6);
  std::string late = bytes, early = bytes;
  late[250000] ^= 1;  // after the first 64 KiB
  early[1000] ^= 1;   // inside them
  writeBytes(dir / "a", bytes);
  writeBytes(dir / "late", late);
  writeBytes(dir / "early", early);
  NodeTree nodes(dir.path());
  for (const char* name : {"a", "late", "early"}) nodes.file(name);
  EXPECT_TRUE(find(nodes.files()).empty());

  writeBytes(dir / "copy", bytes);
  nodes.file("copy");
  const auto groups = find(nodes.files());
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(namesOf(groups[0]), (std::vector<std::string>{"a", "copy"}));
}

TEST(FindDuplicates, CandidatesSkipDeletedNodesBundlesPhotoLibrariesAndSmallFiles) {
  TempDir dir;
  const std::string bytes = patternBytes(70000, 8);
  for (const char* path : {"kept", "deleted", "gone/inside", "Tool.app/Contents/data",
                           "Photos.photoslibrary/originals/p", "Plain.app", "Other.photoslibrary", "x.APP/data"}) {
    ASSERT_TRUE(makeFolders(parentPath(dir / path)));
    writeBytes(dir / path, bytes);
  }
  NodeTree nodes(dir.path());
  for (const char* path : {"kept", "deleted", "gone/inside", "Tool.app/Contents/data",
                           "Photos.photoslibrary/originals/p", "Plain.app", "Other.photoslibrary", "x.APP/data"})
    nodes.file(path);
  set(nodes.files()[1]->deleted, true);
  set(nodes.files()[2]->parent->deleted, true);  // a file inside a deleted folder is gone too

  auto groups = find(nodes.files());
  ASSERT_EQ(groups.size(), 1u);
  // The tests are plain, case-sensitive substring tests: "x.APP/" is an ordinary folder.
  EXPECT_EQ(namesOf(groups[0]), (std::vector<std::string>{"kept", "Plain.app", "Other.photoslibrary", "data"}));

  // The minimum is on the logical size and is inclusive.
  EXPECT_EQ(find(nodes.files(), 70000).size(), 1u);
  EXPECT_TRUE(find(nodes.files(), 70001).empty());
}

TEST(FindDuplicates, ProgressEveryTwentySizeGroups) {
  TempDir dir;
  NodeTree nodes(dir.path());
  for (int size = 1; size <= 45; ++size) {
    const std::string bytes(static_cast<size_t>(size), static_cast<char>('a' + size % 26));
    for (const char* copy : {"-1", "-2"}) {
      writeBytes(dir / (std::to_string(size) + copy), bytes);
      nodes.file(std::to_string(size) + copy);
    }
  }
  std::vector<double> progress;
  std::vector<std::thread::id> threads;
  const auto groups = findDuplicates(nodes.files(), 1, [&](double fraction) {
    progress.push_back(fraction);
    threads.push_back(std::this_thread::get_id());
  });
  EXPECT_EQ(groups.size(), 45u);
  EXPECT_EQ(progress, (std::vector<double>{20.0 / 45.0, 40.0 / 45.0, 1.0}));
  // Always on the caller's thread, however many size groups are examined at once.
  EXPECT_EQ(threads, std::vector<std::thread::id>(3, std::this_thread::get_id()));
  // Equal savings keep the order in which their sizes first appear.
  for (size_t i = 0; i < groups.size(); ++i) EXPECT_EQ(groups[i].files.front()->name, std::to_string(i + 1) + "-1");
}

TEST(FindDuplicates, LargestSavingFirst) {
  TempDir dir;
  NodeTree nodes(dir.path());
  auto makeGroup = [&](const std::string& prefix, int copies, size_t length, int64_t size) {
    const std::string bytes = patternBytes(length, static_cast<unsigned>(length));
    for (int i = 0; i < copies; ++i) {
      writeBytes(dir / (prefix + std::to_string(i)), bytes);
      set(nodes.file(prefix + std::to_string(i))->size, size);
    }
  };
  makeGroup("two-", 2, 5'000'000, 5'000'000);    // 5 MB to reclaim
  makeGroup("three-", 3, 3'000'000, 3'000'000);  // 6 MB
  makeGroup("four-", 4, 1'000'000, 1'000'000);   // 3 MB
  makeGroup("also-", 2, 5'000'001, 5'000'000);   // 5 MB, after the other 5 MB group
  const auto groups = find(nodes.files());
  std::vector<std::string> order;
  for (const auto& group : groups) order.push_back(group.files.front()->name);
  EXPECT_EQ(order, (std::vector<std::string>{"three-0", "two-0", "also-0", "four-0"}));
}

TEST(FindDuplicates, AFileThatCannotBeReadJoinsNoGroup) {
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const std::string bytes = patternBytes(100000, 12);
  for (const char* name : {"a", "b", "c"}) writeBytes(dir / name, bytes);
  ASSERT_EQ(::chmod((dir / "b").c_str(), 0), 0);
  // A file that became a link, a pipe or a folder since the scan is never followed or waited on.
  writeBytes(dir / "target", bytes);
  ASSERT_EQ(::symlink("target", (dir / "now a link").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "now a pipe").c_str(), 0644), 0);
  ASSERT_EQ(::mkdir((dir / "now a folder").c_str(), 0755), 0);
  NodeTree nodes(dir.path());
  for (const char* name : {"a", "b", "now a link", "now a pipe", "now a folder", "c"})
    set(nodes.file(name)->logicalSize, static_cast<int64_t>(bytes.size()));

  const auto groups = find(nodes.files());
  ASSERT_EQ(groups.size(), 1u);
  // Only root reads "b" in this process: a user without permission must leave it out.
  if (::geteuid() != 0) {
    EXPECT_EQ(namesOf(groups[0]), (std::vector<std::string>{"a", "c"}));
    return;
  }
  EXPECT_EQ(namesOf(groups[0]), (std::vector<std::string>{"a", "b", "c"}));
  if (!nobodyCanReach(dir.path()))
    GTEST_SKIP() << "a folder above the temporary folder is closed to other users on this machine";

  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(out[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    std::string names;
    for (const auto& group : findDuplicates(nodes.files(), 1, nullptr)) {
      for (const FileNode* file : group.files) names += file->name + ",";
      names += ";";
    }
    if (::write(out[1], names.data(), names.size()) < 0) ::_exit(3);
    ::_exit(0);
  }
  ::close(out[1]);
  std::string names;
  char buffer[256];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) names.append(buffer, static_cast<size_t>(n));
  ::close(out[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the unprivileged search failed";
  EXPECT_EQ(names, "a,c,;");
}

TEST(FindDuplicates, OverAScanEveryGroupHoldsTheScansTree) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  const std::string bytes = patternBytes(1 << 20, 14);
  tree.folder("Music");
  tree.folder("Backup/Music");
  tree.folder("Editor.app/Contents/Resources");
  writeBytes(dir / "Music/song.flac", bytes);
  writeBytes(dir / "Backup/Music/song.flac", bytes);
  writeBytes(dir / "Editor.app/Contents/Resources/song.flac", bytes);
  writeBytes(dir / "small", "tiny");
  writeBytes(dir / "small copy", "tiny");
  tree.times("Music/song.flac", 2'000'000, 2'000'000);
  tree.times("Backup/Music/song.flac", 1'000'000, 1'000'000);

  Scanner scanner;
  auto scan = scanner.walk(dir.path(), {}, nullptr);
  ASSERT_TRUE(scan);
  const auto groups = findDuplicates(*scan, 1 << 20, nullptr);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].tree, scan->tree);
  ASSERT_EQ(groups[0].files.size(), 2u);
  EXPECT_EQ(groups[0].files[0]->path(), dir / "Backup/Music/song.flac");
  EXPECT_EQ(groups[0].files[1]->path(), dir / "Music/song.flac");
  EXPECT_EQ(groups[0].size, allocatedSize(dir / "Music/song.flac"));
  EXPECT_EQ(groups[0].reclaimable(), allocatedSize(dir / "Music/song.flac"));

  // The group keeps the nodes alive after the scan itself is gone.
  const std::string path = groups[0].files[0]->path();
  scan.reset();
  EXPECT_EQ(groups[0].files[0]->path(), path);
}

TEST(FindDuplicates, CopiesThatShareStorageCountAsOne) {
  XfsImage image;
  if (!image.mounted()) GTEST_SKIP() << image.skipReason();
  const std::string bytes = patternBytes(300000, 15);
  auto clone = [&](const std::string& from, const std::string& to) {
    int in = ::open((image / from).c_str(), O_RDONLY | O_CLOEXEC);
    int out = ::open((image / to).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int result = ::ioctl(out, FICLONE, in);
    ::close(in);
    ::close(out);
    return result;
  };
  writeBytes(image / "original", bytes);
  ASSERT_EQ(clone("original", "clone"), 0) << std::strerror(errno);
  writeBytes(image / "copy", bytes);
  const std::string other = patternBytes(500000, 16);
  writeBytes(image / "pair", other);
  ASSERT_EQ(clone("pair", "pair clone"), 0);
  ::sync();

  NodeTree nodes(image.root());
  for (const char* name : {"original", "clone", "copy", "pair", "pair clone"}) nodes.file(name);
  const auto groups = find(nodes.files());
  ASSERT_EQ(groups.size(), 2u);
  // Two copies share storage and count as one: one copy's worth to reclaim.
  EXPECT_EQ(namesOf(groups[0]), (std::vector<std::string>{"original", "clone", "copy"}));
  EXPECT_EQ(groups[0].shared, (std::unordered_set<const FileNode*>{nodes.files()[0], nodes.files()[1]}));
  EXPECT_EQ(groups[0].reclaimable(), groups[0].size);
  // A pair of clones has nothing to give back, but is still listed, last.
  EXPECT_EQ(groups[1].shared.size(), 2u);
  EXPECT_EQ(groups[1].reclaimable(), 0);
}
