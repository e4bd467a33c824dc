#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/Paths.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "system/SystemDataPart.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

// A scan held in memory: folders by path below a root, each with the size it is given.
struct MemScan {
  ScanResult scan;

  explicit MemScan(const std::string& rootPath) {
    scan.tree = std::make_shared<FileTree>();
    scan.root = scan.tree->make(rootPath, nullptr, true, false, FileKind::other, StorageBucket::other);
    scan.rootPath = rootPath;
  }
  FileNode* add(FileNode* parent, const std::string& name, int64_t size, bool deleted = false) {
    FileNode* node = scan.tree->make(name, parent, true, false, FileKind::other, StorageBucket::system);
    set(node->size, size);
    set(node->deleted, deleted);
    return node;
  }
  // Adds the folders of `path` below the root that are missing, the last one with `size`.
  FileNode* folders(const std::string& path, int64_t size) {
    FileNode* node = scan.root;
    for (auto piece : pathComponents(path)) {
      auto& children = node->children;
      auto found = std::find_if(children.begin(), children.end(), [&](FileNode* c) { return c->name == piece; });
      node = found != children.end() ? *found : add(node, std::string(piece), 0);
    }
    set(node->size, size);
    return node;
  }
};

std::map<std::string, int64_t> sizesById(const std::vector<SystemDataPart>& parts) {
  std::map<std::string, int64_t> sizes;
  for (const auto& part : parts) sizes[part.id] = part.size;
  return sizes;
}

}  // namespace

TEST(SystemDataPart, TheTableHoldsTheEightLocationsInOrder) {
  struct Expected {
    const char* id;
    const char* path;
    Risk risk;
    const char* symbol;
  };
  const Expected expected[] = {
      {"vm", "/private/var/vm", Risk::protected_, "memorychip"},
      {"tmp", "/private/var/folders", Risk::protected_, "clock.arrow.circlepath"},
      {"assets", "/System/Library/AssetsV2", Risk::protected_, "brain"},
      {"updates", "/Library/Updates", Risk::review, "arrow.down.circle"},
      {"simulators", "/Library/Developer/CoreSimulator", Risk::review, "iphone"},
      {"spotlight", "/.Spotlight-V100", Risk::protected_, "magnifyingglass"},
      {"caches", "/Library/Caches", Risk::review, "shippingbox"},
      {"logs", "/private/var/log", Risk::protected_, "doc.text"},
  };
  const auto& rows = SystemDataPart::all();
  ASSERT_EQ(rows.size(), std::size(expected));
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].id, expected[i].id);
    EXPECT_EQ(rows[i].path, expected[i].path);
    EXPECT_EQ(rows[i].risk, expected[i].risk);
    EXPECT_EQ(rows[i].symbol, expected[i].symbol);
    EXPECT_FALSE(rows[i].title.empty() || rows[i].explanation.empty() || rows[i].advice.empty());
  }
  EXPECT_EQ(rows[3].advice,
            "Install or cancel the pending update in System Settings \u203A General \u203A Software Update.");
  EXPECT_EQ(rows[1].title, "Temporary files");
  EXPECT_EQ(&SystemDataPart::all(), &rows);  // built once
}

TEST(SystemDataPart, ScannedSizeAtPathWalksLiveChildrenFromTheFoldedRoot) {
  MemScan disk("/System/Volumes/Data");
  FileNode* priv = disk.add(disk.scan.root, "private", 900);
  FileNode* var = disk.add(priv, "var", 800);
  disk.add(var, "vm", 100, /*deleted=*/true);
  FileNode* liveVm = disk.add(var, "vm", 200);
  FileNode* goneLog = disk.add(var, "log", 50, /*deleted=*/true);
  disk.add(goneLog, "system.log", 10);
  disk.add(disk.scan.root, "Library", 70);

  MemScan home("/home/u");
  home.add(home.scan.root, "private", 5);
  home.add(home.scan.root, "ser", 5);

  struct Case {
    const char* name;
    const ScanResult* scan;
    std::string path;
    const FileNode* node;
  };
  const Case cases[] = {
      {"deleted twin skipped", &disk.scan, "/private/var/vm", liveVm},
      {"repeated slashes", &disk.scan, "//private//var/vm/", liveVm},
      {"the root itself", &disk.scan, "/", disk.scan.root},
      {"below a deleted folder", &disk.scan, "/private/var/log/system.log", nullptr},
      {"deleted folder", &disk.scan, "/private/var/log", nullptr},
      {"missing piece", &disk.scan, "/Library/Updates", nullptr},
      {"case matters", &disk.scan, "/library", nullptr},
      {"no scan", nullptr, "/private/var/vm", nullptr},
      {"outside a home scan", &home.scan, "/private/var/vm", nullptr},
      {"a sibling that shares the root's text", &home.scan, "/home/user", nullptr},
      {"inside a home scan", &home.scan, "/home/u/private", home.scan.root->children[0]},
  };
  for (const auto& c : cases) EXPECT_EQ(scannedSizeAtPath(c.path, c.scan), c.node) << c.name;
}

TEST(SystemDataPart, PartsComeFromTheScanWhereItHoldsThemAndFromDiskElsewhere) {
  TempDir disk;
  TreeBuilder tree(disk.path());
  // Only under the data volume: measured and reported there.
  tree.allocatedFile("System/Volumes/Data/Library/Updates/installer.pkg", 40960);
  tree.allocatedFile("private/var/folders/zz/cache", 81920);
  tree.allocatedFile("Library/Caches/com.apple.x/blob", 8192);
  tree.allocatedFile("Library/Developer/CoreSimulator/runtime", 8192);  // the scan's figure wins

  MemScan scan("/");
  scan.folders("/private/var/vm", 1'000'000);
  scan.folders("/private/var/log", 0);  // below 1 byte: left out
  scan.folders("/Library/Developer/CoreSimulator", 500'000);

  const auto parts = measureSystemDataParts(&scan.scan, disk.path());
  const std::map<std::string, int64_t> expectedSizes = {
      {"vm", 1'000'000},
      {"simulators", 500'000},
      {"tmp", allocatedSize(disk / "private/var/folders") + allocatedSize(disk / "private/var/folders/zz") + 81920},
      {"updates", allocatedSize(disk / "System/Volumes/Data/Library/Updates") + 40960},
      {"caches", allocatedSize(disk / "Library/Caches") + allocatedSize(disk / "Library/Caches/com.apple.x") + 8192},
  };
  EXPECT_EQ(sizesById(parts), expectedSizes);
  for (size_t i = 1; i < parts.size(); ++i) EXPECT_GE(parts[i - 1].size, parts[i].size) << "largest first";

  const auto find = [&](const std::string& id) {
    return *std::find_if(parts.begin(), parts.end(), [&](const SystemDataPart& p) { return p.id == id; });
  };
  EXPECT_EQ(find("updates").path, "/System/Volumes/Data/Library/Updates");
  EXPECT_EQ(find("tmp").path, "/private/var/folders");
  const SystemDataPart vm = find("vm");
  EXPECT_EQ(vm, (SystemDataPart{"vm", "Swap and sleep image",
                                "Virtual memory macOS writes to disk when RAM is full, plus the hibernation image.",
                                "Managed by macOS. Restarting the Mac usually shrinks it.", 1'000'000,
                                "/private/var/vm", Risk::protected_, "memorychip"}));

  // A scan of another folder finds none of them: everything comes from disk, vm is absent there.
  MemScan home("/home/u");
  const auto fromDisk = sizesById(measureSystemDataParts(&home.scan, disk.path()));
  EXPECT_FALSE(fromDisk.contains("vm"));
  EXPECT_EQ(fromDisk.at("simulators"), allocatedSize(disk / "Library/Developer/CoreSimulator") + 8192);
}

TEST(SystemDataPart, ALookupDecidesTheKnownSizesAndPartsBelowOneByteAreDropped) {
  TempDir disk;
  MemScan scan("/");
  const std::map<std::string, int64_t> known = {{"/private/var/vm", 7},
                                                {"/.Spotlight-V100", 7},
                                                {"/private/var/log", -3},
                                                {"/Library/Caches", 9},
                                                {"/Library/Updates", 0}};
  std::map<std::string, FileNode*> nodes;
  for (const auto& [path, size] : known) nodes[path] = scan.folders(path, size);
  const auto parts = measureSystemDataPartsWithLookup(
      [&](const std::string& path) -> const FileNode* { return nodes.contains(path) ? nodes[path] : nullptr; },
      disk.path());
  std::vector<std::pair<std::string, int64_t>> seen;
  for (const auto& part : parts) seen.emplace_back(part.id, part.size);
  // Equal sizes keep table order.
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, int64_t>>{{"caches", 9}, {"vm", 7}, {"spotlight", 7}}));

  std::vector<SystemDataPart> unsorted(3);
  unsorted[0].id = "a", unsorted[0].size = 1;
  unsorted[1].id = "b", unsorted[1].size = 5;
  unsorted[2].id = "c", unsorted[2].size = 1;
  sortSystemDataParts(unsorted);
  EXPECT_EQ(unsorted[0].id + unsorted[1].id + unsorted[2].id, "bac");
}
