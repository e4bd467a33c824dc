#include "engines/VirtualDisk.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "model/DisplayPath.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {

constexpr int64_t kMinimumSize = 500'000'000;
constexpr int64_t kRawMinimumLogicalSize = 8'000'000'000;

struct OwnerRow {
  std::string_view fragment;
  std::string_view owner;
};

constexpr std::array<OwnerRow, 11> kOwners{{
    {"com.docker.docker", "Docker Desktop"},
    {"orbstack", "OrbStack"},
    {"/.colima/", "Colima"},
    {"/.lima/", "Lima"},
    {"podman", "Podman"},
    {"/.android/avd/", "Android Emulator"},
    {"com.utmapp.utm", "UTM"},
    {".utm/", "UTM"},
    {".pvm/", "Parallels Desktop"},
    {".vmwarevm/", "VMware Fusion"},
    {"virtualbox vms", "VirtualBox"},
}};

constexpr std::array<std::string_view, 8> kVirtualDiskExtensions{"qcow2", "vmdk", "vdi", "vhd",
                                                                 "vhdx",  "hdd",  "hds", "sparseimage"};
constexpr std::array<std::string_view, 2> kRawDiskExtensions{"raw", "img"};

bool contains(const auto& set, std::string_view value) { return std::find(set.begin(), set.end(), value) != set.end(); }

// The path matched against the owner table: the data volume's prefix folded away, lower-cased.
std::string normalisedPath(const std::string& path) { return asciiLowercased(foldedPath(path)); }

}  // namespace

std::pair<std::string, std::optional<std::string>> virtualDiskAdvice(const std::optional<std::string>& owner) {
  if (owner == "Docker Desktop")
    return {
        "Remove the images, containers and build cache you no longer use with the command below. If the file "
        "doesn\u2019t shrink afterwards, Docker Desktop \u203a Troubleshoot \u203a Clean / Purge data resets it "
        "(that removes all images and containers).",
        "docker system prune"};
  if (owner == "Android Emulator")
    return {
        "Each virtual device keeps its own disk. Wipe its data or delete the devices you no longer use in "
        "Android Studio \u203a Device Manager.",
        std::nullopt};
  return {
      "Deleting files inside the virtual machine doesn\u2019t give the space back to your Mac. Compact the disk "
      "from the app that owns it, or delete the machine there if you no longer use it.",
      std::nullopt};
}

std::optional<VirtualDisk> virtualDiskForNode(const FileNode& node) {
  // The size test first: almost every node stops here.
  const int64_t size = get(node.size);
  if (size < kMinimumSize || node.isGone()) return std::nullopt;
  const std::string ext = asciiLowercased(pathExtension(node.name));
  const bool image = contains(kVirtualDiskExtensions, ext);
  if (!image && !contains(kRawDiskExtensions, ext)) return std::nullopt;

  const std::string path = node.path();
  const std::string normalised = normalisedPath(path);
  std::optional<std::string> owner;
  for (const OwnerRow& row : kOwners)
    if (normalised.find(row.fragment) != std::string::npos) {
      owner = std::string(row.owner);
      break;
    }
  const int64_t logicalSize = get(node.logicalSize);
  if (!image && !owner && logicalSize < kRawMinimumLogicalSize) return std::nullopt;

  auto [advice, command] = virtualDiskAdvice(owner);
  return VirtualDisk{path,
                     node.name,
                     owner.value_or("Virtual disk"),
                     size,
                     std::max(size, logicalSize),
                     get(node.modified),
                     std::move(advice),
                     std::move(command)};
}

std::vector<VirtualDisk> findVirtualDisks(const std::vector<FileNode*>& nodes) {
  std::vector<VirtualDisk> disks;
  for (const FileNode* node : nodes)
    if (node)
      if (auto disk = virtualDiskForNode(*node)) disks.push_back(std::move(*disk));
  std::stable_sort(disks.begin(), disks.end(),
                   [](const VirtualDisk& a, const VirtualDisk& b) { return a.size > b.size; });
  return disks;
}

}  // namespace tolvex
