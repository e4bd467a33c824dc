#include "support/XfsImage.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/ScanFixtures.h"

namespace tolvex::test {

XfsImage::XfsImage() : dir_("tolvex-xfs"), mountPoint_(dir_ / "mnt") {
  if (::geteuid() != 0) {
    skipReason_ = "mounting an XFS image needs root";
    return;
  }
  if (::mkdir(mountPoint_.c_str(), 0755) != 0) {
    skipReason_ = std::string("cannot make the mount point: ") + std::strerror(errno);
    return;
  }
  const std::string image = dir_ / "xfs.img";
  bool imageReady = false;
  if (int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600); fd >= 0) {
    imageReady = ::ftruncate(fd, 300LL << 20) == 0;
    ::close(fd);
  }
  if (!imageReady) {
    skipReason_ = "cannot make a 300 MB image file";
    return;
  }
  if (!runProgram({"mkfs.xfs", "-q", "-m", "reflink=1", image})) {
    skipReason_ = "mkfs.xfs with reflinks is not available or failed";
    return;
  }
  if (!runProgram({"mount", "-o", "loop", image, mountPoint_})) {
    skipReason_ = "cannot loop-mount the XFS image (no loop device or no XFS support)";
    return;
  }
  mounted_ = true;
}

XfsImage::~XfsImage() {
  if (!mounted_) return;
  // A loop mount frees its loop device when unmounted. A busy one is detached at once and freed
  // when its last user goes, so the image can be removed with the folder either way.
  if (::umount2(mountPoint_.c_str(), 0) != 0) ::umount2(mountPoint_.c_str(), MNT_DETACH);
}

}  // namespace tolvex::test
