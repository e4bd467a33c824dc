#pragma once
// Large disk images of virtual machines and container tools found among a scan's files.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/FileNode.h"

namespace tolvex {

struct VirtualDisk {
  std::string path;  // the node's full path
  std::string name;
  std::string owner;     // the owning tool, or "Virtual disk"
  int64_t size = 0;      // allocated bytes
  int64_t capacity = 0;  // what the image can grow to: the larger of size and logical size
  double modified = 0;   // seconds since 1970
  std::string advice;
  std::optional<std::string> command;  // a command that reclaims space inside the tool

  bool operator==(const VirtualDisk&) const = default;
};

// The disk image a file node is, if it is one: not deleted (nor inside a deleted folder), at least
// 500,000,000 allocated bytes, and a disk image extension (raw images only inside a known tool's
// folder or of 8 GB logical size).
std::optional<VirtualDisk> virtualDiskForNode(const FileNode& node);

// The disk images among `nodes`, largest first (equal sizes keep their order).
std::vector<VirtualDisk> findVirtualDisks(const std::vector<FileNode*>& nodes);

// The advice for a tool's disk images and the command to copy, if any.
std::pair<std::string, std::optional<std::string>> virtualDiskAdvice(const std::optional<std::string>& owner);

}  // namespace tolvex

template <>
struct std::hash<tolvex::VirtualDisk> {
  size_t operator()(const tolvex::VirtualDisk& disk) const noexcept { return std::hash<std::string>()(disk.path); }
};
