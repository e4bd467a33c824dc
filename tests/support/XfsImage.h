#pragma once
#include <string>

#include "support/TempHome.h"

namespace tolvex::test {

// A small XFS file system with reflinks (extents that files can share), loop-mounted for the life of
// the object: a 300 MB sparse image made with mkfs.xfs -m reflink=1. Needs root, mkfs.xfs and a loop
// device; `skipReason()` tells why nothing was mounted. Always unmounted (lazily, if busy) and
// removed with its image when the object goes away.
class XfsImage {
 public:
  XfsImage();
  ~XfsImage();
  XfsImage(const XfsImage&) = delete;
  XfsImage& operator=(const XfsImage&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& skipReason() const { return skipReason_; }
  // The mounted file system's root folder.
  const std::string& root() const { return mountPoint_; }
  std::string operator/(const std::string& relative) const { return mountPoint_ + "/" + relative; }

 private:
  TempDir dir_;
  std::string mountPoint_;
  bool mounted_ = false;
  std::string skipReason_;
};

}  // namespace tolvex::test
