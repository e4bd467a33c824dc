#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "engines/APFSClone.h"
#include "platform/Dedupe.h"
#include "platform/Fiemap.h"
#include "support/FileState.h"
#include "support/ScanFixtures.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "support/XfsImage.h"

using namespace tolvex;
using namespace tolvex::test;
using Kind = APFSClone::Failure::Kind;

namespace {

constexpr double kOldTime = 1'500'000'000;  // 2017: older than a day, so a read would renew the access time

void setXattr(const std::string& path, const std::string& name, const std::string& value) {
  ASSERT_EQ(::lsetxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0), 0)
      << path << " " << name << ": " << std::strerror(errno);
}

void setTimes(const std::string& path, double modified, double accessed) {
  TreeBuilder("/").times(path.substr(1), modified, accessed);
}

// The failure replaceWithClone throws, or none when it succeeds.
std::optional<APFSClone::Failure> failureOf(const std::string& duplicate, const std::string& kept) {
  try {
    [[maybe_unused]] const int64_t freed = APFSClone::replaceWithClone(duplicate, kept);
  } catch (const APFSClone::Failure& failure) {
    return failure;
  }
  return std::nullopt;
}

// Every path of a folder with its state, so a refused replacement can be shown to change nothing.
std::map<std::string, FileState> folderState(const std::string& folder) {
  std::map<std::string, FileState> states;
  for (const std::string& name : folderNames(folder)) states[name] = fileState(folder + "/" + name);
  return states;
}

// One XFS image with reflinks for the whole suite: mkfs and mount take a moment.
class XfsClone : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { image_ = std::make_unique<XfsImage>(); }
  static void TearDownTestSuite() { image_.reset(); }

  void SetUp() override {
    if (!image_->mounted()) GTEST_SKIP() << image_->skipReason();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = *image_ / info->name();
    ASSERT_EQ(::mkdir(folder_.c_str(), 0755), 0) << std::strerror(errno);
  }
  void TearDown() override {
    if (!folder_.empty()) removeTree(folder_);
  }

 public:
  std::string path(const std::string& name) const { return folder_ + "/" + name; }

 protected:
  static std::unique_ptr<XfsImage> image_;
  std::string folder_;
};

std::unique_ptr<XfsImage> XfsClone::image_;

}  // namespace

TEST(CloneThresholds, AlmostAllSharedBelowATenthOrBelowOneBlock) {
  struct Case {
    int64_t size, privateBytes;
    bool shared;
  };
  const Case cases[] = {
      {30720, 8192, false},  {30720, 2048, true},     // 60 blocks: one block of 4,096 bytes is the bar
      {40959, 4095, true},   {40959, 4096, false},    //
      {40960, 4095, true},   {40960, 4096, false},    // 80 blocks: a tenth, 4,096
      {102400, 10239, true}, {102400, 10240, false},  // 200 blocks: a tenth, 10,240
      {100000, 9999, true},  {100000, 10000, false},  //
      {0, 0, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(isMostlyShared(c.size, c.privateBytes), c.shared) << c.size << " " << c.privateBytes;
}

TEST(CloneFailure, EqualityAndTexts) {
  EXPECT_EQ(APFSClone::Failure::system(5), APFSClone::Failure::system(5));
  EXPECT_NE(APFSClone::Failure::system(5), APFSClone::Failure::system(6));
  EXPECT_EQ(APFSClone::Failure::hardLinked(), APFSClone::Failure::hardLinked());
  EXPECT_NE(APFSClone::Failure::hardLinked(), APFSClone::Failure::notRegularFile());

  const std::pair<APFSClone::Failure, std::string> texts[] = {
      {APFSClone::Failure::system(ENOSPC), std::strerror(ENOSPC)},
      {APFSClone::Failure::notRegularFile(), "Not a regular file."},
      {APFSClone::Failure::differentVolumes(),
       "The copies are on different disks; space can only be shared within one disk."},
      {APFSClone::Failure::contentsDiffer(), "The file changed since the scan, so it was left alone."},
      {APFSClone::Failure::hardLinked(), "The file has hard links, so it was left alone."},
      {APFSClone::Failure::unsupported(), "This disk doesn't support shared copies (it isn't APFS)."},
  };
  for (const auto& [failure, text] : texts) {
    EXPECT_EQ(failure.reason(), text);
    EXPECT_STREQ(failure.what(), text.c_str());
  }
}

TEST(StripXattrs, RemovesEveryAttributeWithoutFollowingALink) {
  TempDir dir;
  const std::string file = dir / "file";
  writeBytes(file, "content");
  setXattr(file, "user.one", "1");
  setXattr(file, "user.two", std::string(300, 'x'));
  const std::string other = dir / "other";
  writeBytes(other, "content");
  setXattr(other, "user.kept", "yes");
  const std::string link = dir / "link";
  ASSERT_EQ(::symlink(other.c_str(), link.c_str()), 0);

  stripXattrs(file);
  stripXattrs(link);
  stripXattrs(dir / "missing");

  EXPECT_TRUE(fileState(file).xattrs.empty());
  EXPECT_EQ(fileState(file).content, "content");
  EXPECT_EQ(fileState(other).xattrs, (std::map<std::string, std::string>{{"user.kept", "yes"}}));
}

TEST(PrivateSize, AbsentWithoutARegularFileOrAnExtentMap) {
  TempDir dir;
  EXPECT_FALSE(privateSize(dir / "missing"));
  EXPECT_FALSE(privateSize(dir.path()));
  const std::string fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_FALSE(privateSize(fifo));  // answered at once, never waiting for a writer

  // tmpfs keeps no extent map.
  if (::geteuid() != 0) GTEST_SKIP() << "mounting tmpfs needs root";
  const std::string mountPoint = dir / "tmpfs";
  ASSERT_EQ(::mkdir(mountPoint.c_str(), 0755), 0);
  ASSERT_EQ(::mount("tolvex-test", mountPoint.c_str(), "tmpfs", 0, "size=4m"), 0) << std::strerror(errno);
  writeBytes(mountPoint + "/file", std::string(10000, 'x'));
  EXPECT_FALSE(privateSize(mountPoint + "/file"));
  ::umount2(mountPoint.c_str(), MNT_DETACH);
}

TEST(PrivateSize, AFileThatSharesNothingOwnsItsWholeAllocation) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  const std::string file = tree.allocatedFile("file", 40960);
  writeBytes(dir / "written", patternBytes(100000, 1));
  ::sync();
  const auto usage = extentUsage(file);
  if (!usage) GTEST_SKIP() << "the temporary folder's file system has no extent map";
  EXPECT_EQ(usage->privateBytes, 40960);
  EXPECT_EQ(usage->sharedBytes, 0);
  EXPECT_EQ(privateSize(dir / "written"), allocatedSize(dir / "written"));
}

TEST_F(XfsClone, APairSharesItsStorageAndTheDuplicateKeepsItsMetadata) {
  const std::string bytes = patternBytes((3 << 20) + 1234, 7);
  const std::string kept = path("kept"), duplicate = path("duplicate");
  writeBytes(kept, bytes);
  writeBytes(duplicate, bytes);
  ASSERT_EQ(::chmod(duplicate.c_str(), 0640), 0);
  ASSERT_EQ(::lchown(duplicate.c_str(), 1234, 5678), 0);
  setXattr(duplicate, "user.tag", "the duplicate's own");
  setXattr(kept, "user.tag", "the kept copy's");
  setXattr(kept, "user.extra", "only on the kept copy");
  setTimes(duplicate, kOldTime, kOldTime + 100);
  setTimes(kept, kOldTime + 5000, kOldTime + 6000);
  ::sync();
  const FileState keptBefore = fileState(kept), duplicateBefore = fileState(duplicate);
  const auto usageBefore = extentUsage(duplicate);
  ASSERT_TRUE(usageBefore);
  EXPECT_EQ(usageBefore->sharedBytes, 0);

  const int64_t reclaimed = APFSClone::replaceWithClone(duplicate, kept);

  EXPECT_EQ(reclaimed, usageBefore->privateBytes);
  EXPECT_EQ(reclaimed, allocatedSize(duplicate));
  EXPECT_EQ(fileState(duplicate), duplicateBefore);  // same inode, mode, owner, times, xattrs, bytes
  EXPECT_EQ(fileState(kept), keptBefore);
  EXPECT_EQ(folderNames(folder_), (std::vector<std::string>{"duplicate", "kept"}));  // nothing left behind

  const auto keptUsage = extentUsage(kept), duplicateUsage = extentUsage(duplicate);
  ASSERT_TRUE(keptUsage && duplicateUsage);
  EXPECT_GE(duplicateUsage->sharedBytes, static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(duplicateUsage->privateBytes, 0);
  EXPECT_GE(keptUsage->sharedBytes, static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(privateSize(duplicate), 0);

  // A second attempt finds the storage already shared, in either direction.
  EXPECT_EQ(failureOf(duplicate, kept), APFSClone::Failure::alreadyShared());
  EXPECT_EQ(failureOf(kept, duplicate), APFSClone::Failure::alreadyShared());
  EXPECT_EQ(fileState(duplicate), duplicateBefore);
}

TEST_F(XfsClone, ASmallFileSharesToo) {
  // One block: below 40,960 bytes the bar is 4,096 private bytes.
  const std::string bytes = patternBytes(3000, 3);
  writeBytes(path("kept"), bytes);
  writeBytes(path("duplicate"), bytes);
  EXPECT_GT(APFSClone::replaceWithClone(path("duplicate"), path("kept")), 0);
  EXPECT_EQ(fileState(path("duplicate")).content, bytes);
  EXPECT_EQ(failureOf(path("duplicate"), path("kept")), APFSClone::Failure::alreadyShared());
}

TEST_F(XfsClone, RefusalsLeaveEveryFileAsItWas) {
  const std::string bytes = patternBytes(200000, 11);
  std::string differing = bytes;
  differing[199999] ^= 1;

  struct Case {
    std::string name;
    std::function<void(const XfsClone&)> make;  // makes "duplicate" and "kept" (and whatever else)
    std::string duplicate = "duplicate", kept = "kept";
    APFSClone::Failure expected;
  };
  const std::vector<Case> cases = {
      {"duplicate has a second hard link",
       [&](const XfsClone& t) {
         writeBytes(t.path("kept"), bytes);
         writeBytes(t.path("duplicate"), bytes);
         ASSERT_EQ(::link(t.path("duplicate").c_str(), t.path("other name").c_str()), 0);
       },
       "duplicate", "kept", APFSClone::Failure::hardLinked()},
      {"kept copy is a link to an identical file",
       [&](const XfsClone& t) {
         writeBytes(t.path("target"), bytes);
         writeBytes(t.path("duplicate"), bytes);
         ASSERT_EQ(::symlink("target", t.path("kept").c_str()), 0);
       },
       "duplicate", "kept", APFSClone::Failure::notRegularFile()},
      {"duplicate is a link to an identical file",
       [&](const XfsClone& t) {
         writeBytes(t.path("target"), bytes);
         writeBytes(t.path("kept"), bytes);
         ASSERT_EQ(::symlink("target", t.path("duplicate").c_str()), 0);
       },
       "duplicate", "kept", APFSClone::Failure::notRegularFile()},
      {"duplicate is a pipe",
       [&](const XfsClone& t) {
         writeBytes(t.path("kept"), bytes);
         ASSERT_EQ(::mkfifo(t.path("duplicate").c_str(), 0644), 0);
       },
       "duplicate", "kept", APFSClone::Failure::notRegularFile()},
      {"duplicate is a folder",
       [&](const XfsClone& t) {
         writeBytes(t.path("kept"), bytes);
         ASSERT_EQ(::mkdir(t.path("duplicate").c_str(), 0755), 0);
       },
       "duplicate", "kept", APFSClone::Failure::notRegularFile()},
      {"duplicate is gone", [&](const XfsClone& t) { writeBytes(t.path("kept"), bytes); }, "duplicate", "kept",
       APFSClone::Failure::notRegularFile()},
      {"one byte differs at the end",
       [&](const XfsClone& t) {
         writeBytes(t.path("kept"), bytes);
         writeBytes(t.path("duplicate"), differing);
       },
       "duplicate", "kept", APFSClone::Failure::contentsDiffer()},
      {"lengths differ",
       [&](const XfsClone& t) {
         writeBytes(t.path("kept"), bytes);
         writeBytes(t.path("duplicate"), bytes + "x");
       },
       "duplicate", "kept", APFSClone::Failure::contentsDiffer()},
      {"the same file twice", [&](const XfsClone& t) { writeBytes(t.path("duplicate"), bytes); }, "duplicate",
       "duplicate", APFSClone::Failure::alreadyShared()},
      {"the same file through a second path",
       [&](const XfsClone& t) {
         writeBytes(t.path("duplicate"), bytes);
         ASSERT_EQ(::mkdir(t.path("sub").c_str(), 0755), 0);
       },
       "duplicate", "sub/../duplicate", APFSClone::Failure::alreadyShared()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    removeTree(folder_);
    ASSERT_EQ(::mkdir(folder_.c_str(), 0755), 0);
    c.make(*this);
    const auto before = folderState(folder_);
    const auto failure = failureOf(path(c.duplicate), path(c.kept));
    ASSERT_TRUE(failure);
    EXPECT_EQ(*failure, c.expected) << failure->reason();
    EXPECT_EQ(folderState(folder_), before);
    if (const auto usage = extentUsage(path(c.duplicate))) {
      EXPECT_EQ(usage->sharedBytes, 0);
    }
  }
}

TEST_F(XfsClone, CopiesOnDifferentFileSystemsAreLeftAlone) {
  TempDir other;  // the temporary folder is not on the image
  const std::string bytes = patternBytes(100000, 5);
  writeBytes(path("kept"), bytes);
  writeBytes(other / "duplicate", bytes);
  const FileState keptBefore = fileState(path("kept")), duplicateBefore = fileState(other / "duplicate");

  EXPECT_EQ(failureOf(other / "duplicate", path("kept")), APFSClone::Failure::differentVolumes());
  EXPECT_EQ(failureOf(path("kept"), other / "duplicate"), APFSClone::Failure::differentVolumes());
  EXPECT_EQ(fileState(path("kept")), keptBefore);
  EXPECT_EQ(fileState(other / "duplicate"), duplicateBefore);
}

TEST_F(XfsClone, DedupeGoesChunkByChunkAndStopsAtTheFirstDifference) {
  const std::string bytes = patternBytes((5 << 20) + 123, 9);  // the last chunk is short and unaligned
  writeBytes(path("a"), bytes);
  writeBytes(path("b"), bytes);
  std::string changed = bytes;
  changed[(3 << 20) + 10] ^= 0x40;  // inside the fourth chunk
  writeBytes(path("c"), changed);

  auto dedupe = [&](const std::string& source, const std::string& destination) {
    int in = ::open(path(source).c_str(), O_RDONLY | O_CLOEXEC);
    int out = ::open(path(destination).c_str(), O_RDONLY | O_CLOEXEC);
    auto outcome = dedupeFileRange(in, out, static_cast<int64_t>(bytes.size()), 1 << 20);
    ::close(in);
    ::close(out);
    return outcome;
  };

  const DedupeOutcome whole = dedupe("a", "b");
  EXPECT_EQ(whole.kind, DedupeOutcome::Kind::same);
  EXPECT_EQ(whole.bytesShared, static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(extentUsage(path("b"))->privateBytes, 0);

  const DedupeOutcome partial = dedupe("a", "c");
  EXPECT_EQ(partial.kind, DedupeOutcome::Kind::differs);
  EXPECT_EQ(partial.bytesShared, 3 << 20);
  EXPECT_EQ(fileState(path("c")).content, changed);
  EXPECT_EQ(fileState(path("b")).content, bytes);
}

TEST(CloneUnsupported, FileSystemsThatCannotShareLeaveBothFilesAlone) {
  TempDir dir;
  struct Volume {
    std::string kind;
    std::string root;
  };
  std::vector<Volume> volumes;
  std::vector<std::string> skipped;

  // The ext4 image of the scanner's fixtures (tmpfs where loop devices are missing), and tmpfs itself.
  ASSERT_EQ(::mkdir((dir / "ext4").c_str(), 0755), 0);
  ScopedMount ext4(dir / "ext4", dir.path());
  if (ext4.mounted())
    volumes.push_back({ext4.kind(), dir / "ext4"});
  else
    skipped.push_back(ext4.skipReason());
  ASSERT_EQ(::mkdir((dir / "tmpfs").c_str(), 0755), 0);
  bool tmpfsMounted = ::geteuid() == 0 && ::mount("tolvex-test", (dir / "tmpfs").c_str(), "tmpfs", 0, "size=4m") == 0;
  if (tmpfsMounted)
    volumes.push_back({"tmpfs", dir / "tmpfs"});
  else
    skipped.push_back("cannot mount tmpfs");
  if (volumes.empty()) GTEST_SKIP() << skipped.front();

  const std::string bytes = patternBytes(1 << 20, 13);
  for (const Volume& volume : volumes) {
    SCOPED_TRACE(volume.kind);
    writeBytes(volume.root + "/kept", bytes);
    writeBytes(volume.root + "/duplicate", bytes);
    setTimes(volume.root + "/duplicate", kOldTime, kOldTime);
    const auto before = folderState(volume.root);
    EXPECT_EQ(failureOf(volume.root + "/duplicate", volume.root + "/kept"), APFSClone::Failure::unsupported());
    EXPECT_EQ(folderState(volume.root), before);
  }
  if (tmpfsMounted) ::umount2((dir / "tmpfs").c_str(), MNT_DETACH);
}
