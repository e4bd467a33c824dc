#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "engines/VirtualDisk.h"
#include "model/Scanner.h"
#include "platform/Paths.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

const std::string kGenericAdvice =
    "Deleting files inside the virtual machine doesn\u2019t give the space back to your Mac. Compact the disk from "
    "the app that owns it, or delete the machine there if you no longer use it.";
const std::string kDockerAdvice =
    "Remove the images, containers and build cache you no longer use with the command below. If the file doesn\u2019t "
    "shrink afterwards, Docker Desktop \u203a Troubleshoot \u203a Clean / Purge data resets it (that removes all "
    "images and containers).";
const std::string kAndroidAdvice =
    "Each virtual device keeps its own disk. Wipe its data or delete the devices you no longer use in Android Studio "
    "\u203a Device Manager.";

// File nodes at absolute paths with exact figures, as a scan (or the archive) would hold them.
class Nodes {
 public:
  FileNode* file(const std::string& path, int64_t size, int64_t logicalSize, double modified = 1'700'000'000) {
    FileNode* parent = root_;
    const auto parts = pathComponents(path);
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
      FileNode* next = nullptr;
      for (FileNode* child : parent->children)
        if (child->isDirectory && child->name == parts[i]) next = child;
      if (!next) next = tree_.make(std::string(parts[i]), parent, true, false, FileKind::other, StorageBucket::other);
      parent = next;
    }
    FileNode* node = tree_.make(std::string(parts.back()), parent, false, false, FileKind::other, StorageBucket::other);
    set(node->size, size);
    set(node->logicalSize, logicalSize);
    set(node->modified, modified);
    files_.push_back(node);
    return node;
  }
  const std::vector<FileNode*>& files() const { return files_; }

 private:
  FileTree tree_;
  FileNode* root_ = tree_.make("/", nullptr, true, false, FileKind::other, StorageBucket::other);
  std::vector<FileNode*> files_;
};

}  // namespace

TEST(VirtualDisk, WhichNodesAreDiskImagesAndWhoOwnsThem) {
  constexpr int64_t kHalfGB = 500'000'000;
  struct Case {
    std::string path;
    int64_t size, logicalSize;
    std::optional<std::string> owner;  // none: not a disk image
  };
  const Case cases[] = {
      // Size: 500,000,000 allocated bytes at least.
      {"/Users/u/VMs/a.qcow2", kHalfGB - 1, kHalfGB - 1, std::nullopt},
      {"/Users/u/VMs/a.qcow2", kHalfGB, kHalfGB, "Virtual disk"},
      // Extensions, in any letter case; raw images need an owner or 8 GB of logical size.
      {"/Users/u/VMs/DISK.VMDK", kHalfGB, kHalfGB, "Virtual disk"},
      {"/Users/u/VMs/a.sparseimage", kHalfGB, kHalfGB, "Virtual disk"},
      {"/Users/u/VMs/a.iso", kHalfGB, kHalfGB, std::nullopt},
      {"/Users/u/VMs/noextension", kHalfGB, kHalfGB, std::nullopt},
      {"/Users/u/Downloads/a.img", 2'000'000'000, 2'000'000'000, std::nullopt},
      {"/Users/u/Downloads/a.img", 2'000'000'000, 8'000'000'000, "Virtual disk"},
      {"/Users/u/Downloads/a.raw", kHalfGB, 7'999'999'999, std::nullopt},
      // Owners, matched on the lower-cased path with the data volume folded away, first row first.
      {"/Users/u/Library/Containers/com.docker.docker/Data/vms/0/data/Docker.raw", 60'000'000'000, 64'000'000'000,
       "Docker Desktop"},
      {"/Users/u/.orbstack/data/data.img", kHalfGB, kHalfGB, "OrbStack"},
      {"/System/Volumes/Data/Users/u/.colima/_lima/colima/diffdisk.raw", kHalfGB, kHalfGB, "Colima"},
      {"/Users/u/.lima/default/diffdisk.raw", kHalfGB, kHalfGB, "Lima"},
      {"/Users/u/.local/share/containers/podman/machine/vm.raw", kHalfGB, kHalfGB, "Podman"},
      {"/Users/u/.android/avd/Pixel.avd/userdata-qemu.img", kHalfGB, kHalfGB, "Android Emulator"},
      {"/Users/u/Library/Containers/com.utmapp.UTM/Data/Documents/Linux.utm/Data/disk.qcow2", kHalfGB, kHalfGB, "UTM"},
      {"/Volumes/External/Linux.utm/Data/disk.img", kHalfGB, kHalfGB, "UTM"},
      {"/Users/u/Parallels/Windows 11.pvm/harddisk.hdd", kHalfGB, kHalfGB, "Parallels Desktop"},
      {"/Users/u/Virtual Machines.localized/Debian.vmwarevm/disk.vmdk", kHalfGB, kHalfGB, "VMware Fusion"},
      {"/Users/u/VirtualBox VMs/win/win.vdi", kHalfGB, kHalfGB, "VirtualBox"},
      {"/Users/u/OrbStack/machines/x.utm/disk.img", kHalfGB, kHalfGB, "OrbStack"},  // table order wins
      {"/System/Volumes/Data/.colima/x.qcow2", kHalfGB, kHalfGB, "Colima"},
  };
  for (const Case& c : cases) {
    Nodes nodes;
    FileNode* node = nodes.file(c.path, c.size, c.logicalSize);
    const auto disk = virtualDiskForNode(*node);
    ASSERT_EQ(disk.has_value(), c.owner.has_value()) << c.path << " " << c.size << " " << c.logicalSize;
    if (!disk) continue;
    EXPECT_EQ(disk->owner, *c.owner) << c.path;
    EXPECT_EQ(disk->path, c.path);  // as the node has it, not folded
    EXPECT_EQ(disk->name, lastPathComponent(c.path));
    EXPECT_EQ(disk->size, c.size);
    EXPECT_EQ(disk->capacity, std::max(c.size, c.logicalSize));
    EXPECT_EQ(disk->modified, 1'700'000'000);
  }
}

TEST(VirtualDisk, AdviceAndCommandFollowTheOwner) {
  const auto docker = virtualDiskAdvice(std::string("Docker Desktop"));
  EXPECT_EQ(docker.first, kDockerAdvice);
  EXPECT_EQ(docker.second, "docker system prune");
  const auto android = virtualDiskAdvice(std::string("Android Emulator"));
  EXPECT_EQ(android.first, kAndroidAdvice);
  EXPECT_EQ(android.second, std::nullopt);
  for (const std::optional<std::string>& owner : {std::optional<std::string>("UTM"), std::optional<std::string>()}) {
    const auto generic = virtualDiskAdvice(owner);
    EXPECT_EQ(generic.first, kGenericAdvice);
    EXPECT_EQ(generic.second, std::nullopt);
  }
}

TEST(VirtualDisk, SparseImagesDeletedNodesAndOrder) {
  Nodes nodes;
  FileNode* sparse = nodes.file("/Users/u/VMs/sparse.qcow2", 600'000'000, 100'000'000'000);
  nodes.file("/Users/u/VMs/first.vdi", 700'000'000, 700'000'000);
  nodes.file("/Users/u/VMs/second.vdi", 700'000'000, 700'000'000);
  FileNode* deleted = nodes.file("/Users/u/VMs/deleted.vdi", 900'000'000, 900'000'000);
  set(deleted->deleted, true);
  FileNode* inside = nodes.file("/Users/u/Old VMs/inside.vdi", 800'000'000, 800'000'000);
  set(inside->parent->deleted, true);  // its folder was deleted
  nodes.file("/Users/u/VMs/small.vdi", 4096, 4096);

  const auto disks = findVirtualDisks(nodes.files());
  std::vector<std::string> names;
  for (const auto& disk : disks) names.push_back(disk.name);
  EXPECT_EQ(names, (std::vector<std::string>{"first.vdi", "second.vdi", "sparse.qcow2"}));
  ASSERT_EQ(disks.size(), 3u);
  EXPECT_EQ(disks[2].size, 600'000'000);
  EXPECT_EQ(disks[2].capacity, 100'000'000'000);
  EXPECT_EQ(*virtualDiskForNode(*sparse), disks[2]);
  EXPECT_TRUE(findVirtualDisks({}).empty());
}

TEST(VirtualDisk, FoundInAScannedHomeFolder) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  // Allocated but never written, so the disk holds them without any I/O. The file system may add a
  // block of its own for the extent map: the figures are read back rather than assumed.
  auto image = [](const std::string& path, int64_t allocated, int64_t length) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, length), 0);
    if (allocated > 0) {
      ASSERT_EQ(::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, allocated), 0) << std::strerror(errno);
    }
    ::close(fd);
  };
  const std::string docker = tree.folder("Library/Containers/com.docker.docker/Data/vms/0/data") + "/Docker.raw";
  image(docker, 500'002'816, 64'000'000'000);
  image(tree.folder("VMs") + "/debian.qcow2", 600'000'000, 600'000'000);
  image(tree.folder("Downloads") + "/live.img", 500'002'816, 2'000'000'000);  // no owner, below 8 GB
  image(dir / "Downloads/whole-disk.img", 0, 8'000'000'000);                  // sparse: below the size bar
  tree.file("VMs/notes.txt", 100);
  tree.times("VMs/debian.qcow2", 1'600'000'000, 1'600'000'000);

  Scanner scanner;
  const auto scan = scanner.walk(dir.path(), {}, nullptr);
  ASSERT_TRUE(scan);
  const auto disks = findVirtualDisks(scan->files);
  ASSERT_EQ(disks.size(), 2u);
  EXPECT_EQ(disks[0].path, dir / "VMs/debian.qcow2");
  EXPECT_EQ(disks[0].name, "debian.qcow2");
  EXPECT_EQ(disks[0].owner, "Virtual disk");
  EXPECT_EQ(disks[0].size, allocatedSize(dir / "VMs/debian.qcow2"));
  EXPECT_EQ(disks[0].modified, 1'600'000'000);
  EXPECT_EQ(disks[0].advice, kGenericAdvice);
  EXPECT_EQ(disks[0].command, std::nullopt);
  EXPECT_EQ(disks[1].path, docker);
  EXPECT_EQ(disks[1].owner, "Docker Desktop");
  EXPECT_EQ(disks[1].size, allocatedSize(docker));
  EXPECT_EQ(disks[1].capacity, 64'000'000'000);
  EXPECT_EQ(disks[1].command, "docker system prune");
}
