#include <gtest/gtest.h>

#include "model/FileFilter.h"
#include "model/Risk.h"
#include "model/VolumeInfo.h"

using namespace tolvex;

namespace {
struct Fixture {
  FileTree tree;
  FileNode* root = tree.make("/System/Volumes/Data", nullptr, true, false, FileKind::other, StorageBucket::other);
  FileNode* file(const std::string& folders, const std::string& name, int64_t size, FileKind kind = FileKind::other,
                 StorageBucket bucket = StorageBucket::other, double modified = 0) {
    FileNode* parent = root;
    size_t start = 0;
    while (start < folders.size()) {
      size_t end = folders.find('/', start);
      if (end == std::string::npos) end = folders.size();
      parent = tree.make(folders.substr(start, end - start), parent, true, false, FileKind::other, bucket);
      start = end + 1;
    }
    FileNode* node = tree.make(name, parent, false, false, kind, bucket);
    set(node->size, size);
    set(node->modified, modified);
    return node;
  }
};
}  // namespace

TEST(FileFilter, EmptyFilterMatchesEverything) {
  Fixture f;
  FileNode* node = f.file("Users/x", "a.bin", 1);
  EXPECT_TRUE(FileFilter{}.matches(*node, 0));
  FileFilter hide;
  hide.hideProtected = true;  // applied by the list, not here
  EXPECT_TRUE(hide.matches(*node, 0));
  EXPECT_EQ(FileFilter{}, FileFilter{});
  EXPECT_NE(hide, FileFilter{});
}

TEST(FileFilter, EachConditionInTurn) {
  Fixture f;
  const double now = 1.8e9;
  FileNode* big =
      f.file("Users/x/Pictures", "Holiday.JPG", 100000000, FileKind::image, StorageBucket::images, now - 180 * 86400);
  FileNode* small =
      f.file("Users/xyz", "a", 99999999, FileKind::document, StorageBucket::documents, now - 180 * 86400 + 1);
  struct Case {
    const char* what;
    FileFilter filter;
    bool big, small;
  };
  auto with = [](auto change) {
    FileFilter filter;
    change(filter);
    return filter;
  };
  const Case cases[] = {
      {"minSize", with([](FileFilter& x) { x.minSize = 100000000; }), true, false},
      {"kinds", with([](FileFilter& x) { x.kinds = {FileKind::image}; }), true, false},
      {"bucket", with([](FileFilter& x) { x.bucket = StorageBucket::documents; }), false, true},
      {"age cut-off", with([](FileFilter& x) { x.modifiedOlderThanDays = 180; }), true, false},
      {"name query ignores case", with([](FileFilter& x) { x.query = "jpg"; }), true, false},
      {"path query on the folded path", with([](FileFilter& x) { x.query = "Users/x/Pictures"; }), true, false},
      {"path query ignores case", with([](FileFilter& x) { x.query = "users/X/pictures/"; }), true, false},
      {"never the tilde form", with([](FileFilter& x) { x.query = "~/Pictures"; }), false, false},
      {"prefix is plain text", with([](FileFilter& x) { x.pathPrefix = "/Users/x"; }), true, true},
      {"prefix ending in slash", with([](FileFilter& x) { x.pathPrefix = "/Users/x/"; }), true, false},
      {"prefix is case-sensitive", with([](FileFilter& x) { x.pathPrefix = "/users/x/"; }), false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.filter.matches(*big, now), c.big) << c.what;
    EXPECT_EQ(c.filter.matches(*small, now), c.small) << c.what;
  }
}

TEST(FileFilter, CaseFoldingCoversNonAsciiNames) {
  EXPECT_TRUE(containsIgnoringCase("ÉTÉ 2024.mov", "été"));
  EXPECT_TRUE(containsIgnoringCase("Фото.png", "фото"));
  EXPECT_FALSE(containsIgnoringCase("Foto.png", "фото"));
  // Bytes that are not UTF-8 only match themselves and never crash.
  EXPECT_TRUE(containsIgnoringCase("bad\xff name", "\xff"));
  EXPECT_FALSE(containsIgnoringCase("bad\xff name", "\xfe"));
  EXPECT_TRUE(containsIgnoringCase("A\xe9\x80", "a\xe9\x80"));
}

TEST(Risk, OrderLabelsAndRawValues) {
  std::vector<Risk> risks = {Risk::protected_, Risk::safe, Risk::review};
  std::sort(risks.begin(), risks.end());
  EXPECT_EQ(risks, std::vector<Risk>(kAllRisks.begin(), kAllRisks.end()));
  EXPECT_STREQ(label(Risk::review), "Review");
  EXPECT_EQ(riskFromRaw(2), Risk::protected_);
  EXPECT_EQ(riskFromRaw(3), std::nullopt);
  EXPECT_EQ(riskFromRaw(-1), std::nullopt);
}

TEST(VolumeInfo, FallbacksForMissingFigures) {
  VolumeResources resources;
  EXPECT_FALSE(VolumeInfo::from(resources));
  resources.total = 1000;
  EXPECT_FALSE(VolumeInfo::from(resources));
  resources.available = 400;
  auto info = VolumeInfo::from(resources);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->name, "Macintosh HD");
  EXPECT_EQ(info->availableForImportantUsage, 400);
  resources.name = "Data";
  resources.availableForImportantUsage = 600;
  EXPECT_EQ(VolumeInfo::from(resources), (VolumeInfo{"Data", 1000, 400, 600}));
  EXPECT_TRUE(VolumeInfo::read("/"));
  EXPECT_FALSE(VolumeInfo::read("/no/such/volume"));
}
