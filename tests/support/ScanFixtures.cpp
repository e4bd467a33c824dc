#include "support/ScanFixtures.h"
#include "platform/Process.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolvex::test {

std::optional<std::string> runProgram(const std::vector<std::string>& argv) {
  auto result = runProcess(argv);
  if (!result || result->exitStatus != 0) return std::nullopt;
  return std::move(result->output);
}

int64_t duBytes(const std::string& path) {
  auto out = runProgram({"du", "-s", "-x", "--block-size=1", path});
  if (!out || out->empty()) return -1;
  return std::stoll(*out);
}

void fileWithAllocation(const std::string& path, int64_t allocatedBytes, int64_t length) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("open " + path + ": " + std::strerror(errno));
  bool ok = ::ftruncate(fd, length) == 0 &&
            (allocatedBytes == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, allocatedBytes) == 0);
  int error = errno;
  ::close(fd);
  if (!ok) throw std::runtime_error("allocate " + path + ": " + std::strerror(error));
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || static_cast<int64_t>(st.st_blocks) * 512 != allocatedBytes ||
      st.st_size != length)
    throw std::runtime_error("the file system did not allocate " + path + " as asked");
}

ScopedMount::ScopedMount(const std::string& mountPoint, const std::string& imageFolder) : mountPoint_(mountPoint) {
  if (::geteuid() != 0) {
    skipReason_ = "mounting needs root";
    return;
  }
  const std::string image = imageFolder + "/volume.img";
  bool imageReady = false;
  if (int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600); fd >= 0) {
    imageReady = ::ftruncate(fd, 8 << 20) == 0;
    ::close(fd);
  }
  if (imageReady && runProgram({"mkfs.ext4", "-q", "-F", image}) &&
      runProgram({"mount", "-o", "loop", image, mountPoint})) {
    mounted_ = true;
    kind_ = "loop-mounted ext4 image";
    return;
  }
  if (::mount("tolvex-test", mountPoint.c_str(), "tmpfs", 0, "size=8m") == 0) {
    mounted_ = true;
    kind_ = "tmpfs";
    return;
  }
  skipReason_ = std::string("cannot mount a file system here (no loop device, no tmpfs): ") + std::strerror(errno);
}

ScopedMount::~ScopedMount() {
  if (!mounted_) return;
  // A loop mount frees its loop device when unmounted (mount sets autoclear).
  if (::umount2(mountPoint_.c_str(), 0) != 0) ::umount2(mountPoint_.c_str(), MNT_DETACH);
}

std::optional<std::vector<std::string>> otherUserPrefix(std::string& reason) {
  if (::geteuid() != 0) {
    reason = "running as another user needs root";
    return std::nullopt;
  }
  if (!runProgram({"setpriv", "--version"})) {
    reason = "setpriv is not available";
    return std::nullopt;
  }
  return std::vector<std::string>{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
}

namespace {
constexpr uint32_t kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool capabilities(__user_cap_data_struct (&data)[2], bool write) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return ::syscall(write ? SYS_capset : SYS_capget, &header, data) == 0;
}
}  // namespace

PermissionsEnforced::PermissionsEnforced() {
  __user_cap_data_struct data[2]{};
  if (!capabilities(data, false)) {
    skipReason_ = std::string("capget: ") + std::strerror(errno);
    return;
  }
  saved_[0] = data[0].effective;
  saved_[1] = data[1].effective;
  data[0].effective &= ~kOverrides;
  if (!capabilities(data, true)) {
    skipReason_ = std::string("capset: ") + std::strerror(errno);
    return;
  }
  active_ = true;
}

PermissionsEnforced::~PermissionsEnforced() {
  if (!active_) return;
  __user_cap_data_struct data[2]{};
  if (!capabilities(data, false)) return;
  data[0].effective = saved_[0];
  data[1].effective = saved_[1];
  capabilities(data, true);
}

}  // namespace tolvex::test
