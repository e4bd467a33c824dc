#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <ftw.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Paths.h"
#include "support/RunAsNobody.h"
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

  const auto parts = measureSystemDataParts(&scan.scan, SystemDataSources::under(disk.path()));
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
  const auto fromDisk = sizesById(measureSystemDataParts(&home.scan, SystemDataSources::under(disk.path())));
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
      SystemDataSources::under(disk.path()));
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

// ---- A Linux system's places ----

namespace {

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Allocated bytes of every entry below the given folders, each inode counted once however many of
// the folders hold it: the size of their union, in one walk.
std::set<std::pair<dev_t, ino_t>>* unionSeen = nullptr;
int64_t unionBytes = 0;
int64_t walkUnion(const std::vector<std::string>& paths) {
  std::set<std::pair<dev_t, ino_t>> seen;
  unionSeen = &seen;
  unionBytes = 0;
  for (const std::string& path : paths)
    ::nftw(
        path.c_str(),
        [](const char*, const struct stat* st, int, struct FTW*) {
          if (unionSeen->insert({st->st_dev, st->st_ino}).second) unionBytes += static_cast<int64_t>(st->st_blocks) * 512;
          return 0;
        },
        16, FTW_PHYS);
  unionSeen = nullptr;
  return unionBytes;
}

// A Linux disk laid out in a temporary folder with its kernel lists: every place of the table, a
// second swap area that is a partition, a swap file inside another place, a place on a tmpfs and
// one absent place.
struct LinuxDisk {
  TempDir dir;
  TreeBuilder tree{dir.path()};

  LinuxDisk() {
    tree.allocatedFile("swapfile", 512 * 1024);
    tree.allocatedFile("var/tmp/build-cache/blob", 40960);
    tree.allocatedFile("var/tmp/swap two", 8192);  // a swap file already counted with /var/tmp
    tree.allocatedFile("var/cache/apt/archives/zsh_5.9_amd64.deb", 81920);
    tree.allocatedFile("var/cache/apt/archives/partial/half.deb", 16384);
    tree.allocatedFile("var/cache/apt/pkgcache.bin", 8192);  // beside the row, not in it
    tree.allocatedFile("var/cache/PackageKit/downloads/update.deb", 24576);  // on a tmpfs here
    tree.allocatedFile("var/lib/flatpak/runtime/org.gnome.Platform/files.bin", 65536);
    tree.folder("var/lib/snapd");  // snapd without its snaps folder
    tree.allocatedFile("var/log/journal/0123abcd/system.journal", 32768);
    tree.allocatedFile("var/log/syslog", 4096);  // beside the journal, not in it
    tree.allocatedFile("var/lib/systemd/coredump/core.app.1000.zst", 12288);
    tree.allocatedFile("usr/lib/modules/6.1.0-13-amd64/kernel/fs.ko", 20480);
    tree.folder("proc/self");
    writeText(dir / "proc/swaps",
              "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n"
              "/swapfile                               file\t\t524284\t\t0\t\t-2\n"
              "/dev/sda3                               partition\t8388604\t\t0\t\t-3\n"
              "/var/tmp/swap\\040two                    file\t\t8188\t\t0\t\t-4\n"
              "/swapfile                               file\t\t524284\t\t0\t\t-5\n");
    writeText(dir / "proc/self/mounts",
              "/dev/sda2 / ext4 rw,relatime 0 0\n"
              "tmpfs /run tmpfs rw,nosuid,nodev 0 0\n"
              "tmpfs /var/cache/PackageKit tmpfs rw 0 0\n"
              "/dev/sda4 /var/lib/flatpak ext4 rw 0 0\n");
  }
  std::string path(const std::string& absolute) const { return dir.path() + absolute; }
};

}  // namespace

TEST(SystemDataPart, NoRowsOverlapInTheTable) {
  std::vector<SystemDataPart::Row> rows = SystemDataPart::all();
  rows.insert(rows.end(), SystemDataPart::linuxRows().begin(), SystemDataPart::linuxRows().end());
  std::set<std::string> ids;
  for (const auto& a : rows) {
    EXPECT_TRUE(ids.insert(a.id).second) << "one id per row: " << a.id;
    EXPECT_FALSE(a.title.empty() || a.explanation.empty() || a.advice.empty()) << a.id;
    for (const auto& b : rows)
      if (&a != &b) {
        EXPECT_FALSE(isSameOrInside(a.path, b.path)) << a.path << " within " << b.path;
      }
  }
  EXPECT_EQ(&SystemDataPart::linuxRows(), &SystemDataPart::linuxRows());  // built once
}

TEST(SystemDataPart, TheKernelListsGiveSwapFilesAndMemoryFileSystems) {
  const auto swaps = swapFileRows(
      "Filename Type Size Used Priority\n"
      "/swapfile file 10 0 -2\n"
      "/dev/dm-1 partition 10 0 -3\n"
      "/mnt/big\\040disk/swap file 10 0 -4\n"
      "/swapfile file 10 0 -5\n"
      "relative file 1 0 0\n"
      "/gone\\040(deleted) file 1 0 0\n"
      "/short\n");
  std::vector<std::pair<std::string, std::string>> seen;
  for (const auto& row : swaps) seen.emplace_back(row.id, row.path);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                      {"swap", "/swapfile"}, {"swap-2", "/mnt/big disk/swap"}, {"swap-3", "/gone (deleted)"}}));
  EXPECT_EQ(swaps.front().risk, Risk::protected_);
  EXPECT_EQ(swaps.front().symbol, "memorychip");
  EXPECT_TRUE(swapFileRows("").empty());

  const std::string mounts =
      "/dev/sda2 / ext4 rw 0 0\n"
      "tmpfs /tmp tmpfs rw 0 0\n"
      "/dev/sdb1 /tmp/disk ext4 rw 0 0\n"
      "tmpfs /var/tmp ramfs rw 0 0\n"
      "/dev/sdc1 /var/tmp ext4 rw 0 0\n"  // mounted over it later: the later one counts
      "tmpfs /mnt/in\\040memory tmpfs rw 0 0\n";
  struct Case {
    const char* path;
    bool inMemory;
  };
  for (const Case& c : {Case{"/tmp", true}, Case{"/tmp/x", true}, Case{"/tmp/disk/x", false}, Case{"/tmpx", false},
                        Case{"/var/tmp", false}, Case{"/mnt/in memory/a", true}, Case{"/usr", false}})
    EXPECT_EQ(isOnMemoryFileSystem(mounts, c.path), c.inMemory) << c.path;
  EXPECT_FALSE(isOnMemoryFileSystem("", "/tmp"));
}

TEST(SystemDataPart, ALinuxDiskShowsItsPlacesMeasuredAndTheyAddUpToTheirUnion) {
  LinuxDisk disk;
  const auto parts = measureSystemDataParts(nullptr, SystemDataSources::under(disk.dir.path()));
  std::map<std::string, std::string> paths;
  for (const auto& part : parts) paths[part.id] = part.path.value_or("");
  // The PackageKit folder lies on a tmpfs, snapd keeps no snaps here, the swap file in /var/tmp is
  // counted with it, the partition is no file, and a Mac's places are absent.
  EXPECT_EQ(paths, (std::map<std::string, std::string>{{"swap", "/swapfile"},
                                                        {"vartmp", "/var/tmp"},
                                                        {"packages", "/var/cache/apt/archives"},
                                                        {"runtimes", "/var/lib/flatpak"},
                                                        {"journal", "/var/log/journal"},
                                                        {"coredumps", "/var/lib/systemd/coredump"},
                                                        {"kernels", "/usr/lib/modules"}}));
  std::vector<std::string> measured;
  int64_t sum = 0;
  for (const auto& part : parts) {
    EXPECT_EQ(part.size, walkUnion({disk.path(*part.path)})) << part.id;
    EXPECT_FALSE(part.partial) << part.id;
    measured.push_back(disk.path(*part.path));
    sum += part.size;
  }
  EXPECT_EQ(sum, walkUnion(measured)) << "no byte is counted twice";
  for (size_t i = 1; i < parts.size(); ++i) EXPECT_GE(parts[i - 1].size, parts[i].size);

  // Where the kernel lists are given apart from the disk, they are read from there.
  TempDir lists;
  writeText(lists / "swaps", "Filename Type Size Used Priority\n");
  writeText(lists / "mounts", "/dev/sda2 / ext4 rw 0 0\n");
  std::set<std::string> ids;
  for (const auto& part :
       measureSystemDataParts(nullptr, SystemDataSources{disk.dir.path(), lists / "swaps", lists / "mounts"}))
    ids.insert(part.id);
  EXPECT_TRUE(ids.contains("updateDownloads"));
  EXPECT_FALSE(ids.contains("swap"));
}

TEST(SystemDataPart, AWholeDiskScanGivesTheSizesAndItsUnreadableFoldersMarkThemPartial) {
  LinuxDisk disk;
  MemScan scan("/");
  scan.folders("/var/log/journal", 7'000'000);
  FileNode* modules = scan.folders("/usr/lib/modules", 9'000'000);
  FileNode* locked = scan.add(scan.add(modules, "6.1.0-13-amd64", 1), "private", 1);
  set(locked->unreadable, true);
  FileNode* gone = scan.add(scan.folders("/var/tmp", 5'000'000), "was-locked", 1, /*deleted=*/true);
  set(gone->unreadable, true);
  std::vector<std::pair<size_t, size_t>> progress;
  const auto parts =
      measureSystemDataParts(&scan.scan, SystemDataSources::under(disk.dir.path()),
                             [&](size_t measured, size_t total) { progress.emplace_back(measured, total); });
  std::map<std::string, std::pair<int64_t, bool>> seen;
  for (const auto& part : parts) seen[part.id] = {part.size, part.partial};
  EXPECT_EQ(seen.at("journal"), std::make_pair(int64_t{7'000'000}, false));
  EXPECT_EQ(seen.at("kernels"), std::make_pair(int64_t{9'000'000}, true));
  EXPECT_EQ(seen.at("vartmp"), std::make_pair(int64_t{5'000'000}, false));  // a deleted folder no longer counts
  EXPECT_EQ(seen.at("packages").first, walkUnion({disk.path("/var/cache/apt/archives")}));  // not in the scan

  // One report per row, counting up to the number of rows.
  ASSERT_FALSE(progress.empty());
  const size_t total = progress.front().second;
  EXPECT_EQ(progress.size(), total);
  for (size_t i = 0; i < progress.size(); ++i) EXPECT_EQ(progress[i], std::make_pair(i + 1, total));
}

TEST(SystemDataPart, WhatTheUserCannotReadCountsZeroAndMarksThePartial) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to measure as another user";
  LinuxDisk disk;
  // Everything readable to others, except a folder like apt's own partial one (it belongs to _apt).
  ::nftw(
      disk.dir.path().c_str(),
      [](const char* path, const struct stat* st, int, struct FTW*) {
        return ::chmod(path, S_ISDIR(st->st_mode) ? 0755 : 0644);
      },
      16, FTW_PHYS);
  ASSERT_EQ(::chmod(disk.path("/var/cache/apt/archives/partial").c_str(), 0700), 0);
  const std::string seen = runAsNobody([&] {
    if (::access(disk.path("/var/cache/apt/archives").c_str(), R_OK | X_OK) != 0) return std::string("unreachable");
    std::string out;
    for (const auto& part : measureSystemDataParts(nullptr, SystemDataSources::under(disk.dir.path())))
      if (part.id == "packages") out = std::to_string(part.size) + (part.partial ? " partial" : " whole");
    return out;
  });
  if (seen == "unreachable") GTEST_SKIP() << "user 65534 cannot reach the temporary folder";
  // The locked folder itself can be seen; what it holds counts zero.
  const int64_t readable = allocatedSize(disk.path("/var/cache/apt/archives")) +
                           allocatedSize(disk.path("/var/cache/apt/archives/partial")) +
                           allocatedSize(disk.path("/var/cache/apt/archives/zsh_5.9_amd64.deb"));
  EXPECT_EQ(seen, std::to_string(readable) + " partial");
}
