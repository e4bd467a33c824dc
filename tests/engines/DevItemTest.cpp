#include <gtest/gtest.h>

#include "engines/DevItem.h"
#include "support/HandTree.h"
#include "support/JunkFixtures.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

const std::string kHome = "/Users/me";

std::vector<std::string> pathsOf(const std::vector<DevItem>& items) {
  std::vector<std::string> paths;
  for (const DevItem& item : items) paths.push_back(item.path);
  return paths;
}

}  // namespace

TEST(DeveloperArtifacts, SizeThresholdAndWhatIsSearchedBelowAFolder) {
  struct Case {
    int64_t outerSize;
    std::vector<std::string> listed;
  };
  // A node_modules that is not listed is searched like any folder; a listed one is not.
  const Case cases[] = {
      {20'000'000, {"/p/app/node_modules/pkg/node_modules"}},
      {20'000'001, {"/p/app/node_modules"}},
  };
  for (const Case& c : cases) {
    HandTree tree("/p");
    tree.folder("app/node_modules", c.outerSize);
    tree.folder("app/node_modules/pkg/node_modules", 30'000'000);
    const ScanResult scan = tree.result();
    EXPECT_EQ(pathsOf(findDeveloperArtifacts(&scan, {}, kHome)), c.listed) << c.outerSize;
  }
}

TEST(DeveloperArtifacts, WhichFoldersAreListedAndHowTheyRead) {
  HandTree tree("/System/Volumes/Data");
  tree.folder("Users/me/code/myapp", -1, 1.7e9);
  FileNode* modules = tree.folder("Users/me/code/myapp/node_modules", 50'000'000, 1.6e9);
  tree.folder("Users/me/code/myapp/node_modules/a/node_modules", 40'000'000);  // inside a listed folder
  tree.folder("Users/me/code/tool/.venv", 25'000'000, 1.5e9);
  tree.folder("Users/me/code/ios/DerivedData", 25'000'000);                 // a project's own builds
  tree.folder("Users/me/Library/Developer/Xcode/DerivedData", 90'000'000);  // left to the junk rules
  tree.folder("Users/me/Library/venv/lib/__pycache__", 30'000'000);         // still in ~/Library
  tree.folder("Users/me/code/Node_Modules", 90'000'000);                    // names compare exactly
  tree.package("Users/me/Applications/Tool.app", 900'000'000);
  tree.folder("Users/me/Applications/Tool.app/Contents/node_modules", 60'000'000);  // inside a package
  FileNode* gone = tree.folder("Users/me/code/old", 80'000'000);
  tree.folder("Users/me/code/old/Pods", 70'000'000);  // under a deleted folder
  FileNode* deletedModules = tree.folder("Users/me/code/web/node_modules", 70'000'000);
  tree.folder("Users/me/code/web/node_modules/x/.next", 60'000'000);
  tree.file("Users/me/code/web/__pycache__", 90'000'000);  // a file, not a folder
  set(gone->deleted, true);
  set(deletedModules->deleted, true);
  const ScanResult scan = tree.result();

  // The walk takes the folder pushed last first, so later siblings are searched first.
  const auto items = findDeveloperArtifacts(&scan, {}, kHome);
  EXPECT_EQ(pathsOf(items), (std::vector<std::string>{"/System/Volumes/Data/Users/me/code/ios/DerivedData",
                                                      "/System/Volumes/Data/Users/me/code/tool/.venv",
                                                      "/System/Volumes/Data/Users/me/code/myapp/node_modules"}));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[2].title, "myapp / node_modules");
  EXPECT_EQ(items[2].detail, "Node dependencies. `npm install` restores them.");
  EXPECT_EQ(items[2].size, 50'000'000);
  EXPECT_EQ(items[2].lastTouched, 1.7e9);  // the project folder's date, not the folder's own
  EXPECT_NE(items[2].lastTouched, get(modules->modified));
  EXPECT_EQ(items[2].removal, Removal::permanent);
  EXPECT_EQ(items[0].detail, "Xcode intermediate builds.");
  EXPECT_EQ(items[1].title, "tool / .venv");
  EXPECT_EQ(items[1].detail, "Python virtual environment.");
}

TEST(DeveloperArtifacts, NamesCompareExactly) {
  for (const char* name : {"node_modules", ".venv", "venv", "Pods", ".next", ".turbo", "DerivedData", "__pycache__"})
    EXPECT_TRUE(developerFolderDetail(name)) << name;
  for (const char* other : {"node_module", "VENV", "pods", ".Next", "derivedData", "build", ""})
    EXPECT_FALSE(developerFolderDetail(other)) << other;
}

TEST(DeveloperArtifacts, DeveloperJunkFollowsTheScanItems) {
  HandTree tree("/p");
  tree.folder("web/.turbo", 21'000'000);
  const ScanResult scan = tree.result();
  const std::vector<JunkFinding> junk = {
      findingOf("trash", {{kHome + "/.Trash/big.iso", 9'000'000'000}}),
      findingOf("xcode-derived", {{kHome + "/Library/Developer/Xcode/DerivedData/Build", 3'000'000, 1.6e9},
                                  {kHome + "/Library/Developer/Xcode/DerivedData/Index", 2'000'000}}),
      findingOf("xcode-archives", {{kHome + "/Library/Developer/Xcode/Archives/2024-01-01", 5'000'000, 1.5e9}}),
  };
  for (const ScanResult* withScan : {&scan, static_cast<const ScanResult*>(nullptr)}) {
    const auto items = findDeveloperArtifacts(withScan, junk, kHome);
    ASSERT_EQ(items.size(), withScan ? 4u : 3u);
    const size_t first = withScan ? 1 : 0;
    if (withScan) {
      EXPECT_EQ(items[0].title, "web / .turbo");
    }
    EXPECT_EQ(items[first].title, "Xcode \u00B7 DerivedData \u00B7 Build");
    EXPECT_EQ(items[first].detail, junk[1].rule.explanation);
    EXPECT_EQ(items[first].lastTouched, 1.6e9);
    EXPECT_EQ(items[first + 1].lastTouched, kDistantPast);
    EXPECT_EQ(items[first + 1].size, 2'000'000);
    EXPECT_EQ(items[first + 2].removal, Removal::trash);  // the rule's own removal
    EXPECT_EQ(items[first + 2].path, kHome + "/Library/Developer/Xcode/Archives/2024-01-01");
  }
}

TEST(DeveloperArtifacts, APathIsListedOnceAndTheScannedRowWins) {
  // A whole-disk scan spells the home with the data volume's prefix; the junk finder without it.
  HandTree tree("/System/Volumes/Data");
  tree.folder("Users/me/.cache/venv", 25'000'000, 1.5e9);
  tree.folder("Users/me/code/app/node_modules", 30'000'000);
  const ScanResult scan = tree.result();
  const std::vector<JunkFinding> junk = {
      findingOf("dot-cache", {{kHome + "/.cache/venv", 25'000'000}, {kHome + "/.cache/pip", 9'000'000}}),
      findingOf("npm-cache", {{kHome + "/.npm/_cacache/content-v2", 4'000'000}}),
  };
  const auto items = findDeveloperArtifacts(&scan, junk, kHome);
  EXPECT_EQ(pathsOf(items), (std::vector<std::string>{"/System/Volumes/Data/Users/me/code/app/node_modules",
                                                      "/System/Volumes/Data/Users/me/.cache/venv",
                                                      kHome + "/.cache/pip", kHome + "/.npm/_cacache/content-v2"}));
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[1].title, ".cache / venv");

  // Without the scan the junk item stands alone.
  EXPECT_EQ(findDeveloperArtifacts(nullptr, junk, kHome).size(), 3u);
}
