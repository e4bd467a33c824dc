#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvex::test {

// Runs a program (looked up on PATH) with an argument vector, no shell. Returns its standard
// output, or none when it could not be started or did not exit with status 0.
std::optional<std::string> runProgram(const std::vector<std::string>& argv);

// `du -s -x --block-size=1` of a path, or -1 when du failed.
int64_t duBytes(const std::string& path);

// A file whose allocation is `allocatedBytes` (made with fallocate, keeping the size) and whose
// length is `length`, which may be shorter than the allocation. Throws when the file system
// allocates anything else.
void fileWithAllocation(const std::string& path, int64_t allocatedBytes, int64_t length);

// A small file system mounted on an existing empty folder for the life of the object: a loop-mounted
// ext4 image, or tmpfs when loop devices are not available. Needs root; `skipReason()` tells why
// nothing could be mounted. Always unmounted (lazily, if busy) when the object goes away.
class ScopedMount {
 public:
  // `imageFolder` holds the image file; it must lie outside `mountPoint`.
  ScopedMount(const std::string& mountPoint, const std::string& imageFolder);
  ~ScopedMount();
  ScopedMount(const ScopedMount&) = delete;
  ScopedMount& operator=(const ScopedMount&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& skipReason() const { return skipReason_; }
  const std::string& kind() const { return kind_; }

 private:
  std::string mountPoint_;
  bool mounted_ = false;
  std::string kind_;
  std::string skipReason_;
};

// While alive, the calling thread (and every thread it starts) is held to file permissions even as
// root: the capabilities that override them are dropped from its effective set, and restored
// afterwards. `active()` is false (with the reason) when they could not be dropped.
class PermissionsEnforced {
 public:
  PermissionsEnforced();
  ~PermissionsEnforced();
  PermissionsEnforced(const PermissionsEnforced&) = delete;
  PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;
  bool active() const { return active_; }
  const std::string& skipReason() const { return skipReason_; }

 private:
  bool active_ = false;
  uint32_t saved_[2] = {0, 0};
  std::string skipReason_;
};

// The program and arguments that run a command as the unprivileged user 65534 (setpriv), or none
// with the reason in `reason` when that is not possible (not root, no setpriv).
std::optional<std::vector<std::string>> otherUserPrefix(std::string& reason);

}  // namespace tolvex::test
