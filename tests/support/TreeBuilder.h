#pragma once
#include <cstdint>
#include <string>

namespace tolvex::test {

// Builds small trees of real files under a base folder, with exact allocations and timestamps.
// Every method throws std::runtime_error when the file system refuses, so a fixture never silently
// differs from what a test asserts.
class TreeBuilder {
 public:
  explicit TreeBuilder(std::string base) : base_(std::move(base)) {}
  const std::string& base() const { return base_; }
  std::string path(const std::string& relative) const { return relative.empty() ? base_ : base_ + "/" + relative; }

  // Creates a folder and its missing parents; returns its path.
  std::string folder(const std::string& relative);
  // Creates a file (and its folder) holding `length` bytes of filler; returns its path.
  std::string file(const std::string& relative, int64_t length = 0);
  // Creates a file whose allocation is exactly `allocatedBytes` (a multiple of the block size),
  // made with fallocate, and whose length is `length` (default: the allocation).
  std::string allocatedFile(const std::string& relative, int64_t allocatedBytes, int64_t length = -1);
  // A hard link `relative` to the existing `target` (both relative to the base).
  std::string hardLink(const std::string& target, const std::string& relative);
  // A symbolic link `relative` whose content is `target` as given.
  std::string symlink(const std::string& target, const std::string& relative);
  // Sets the modification and access times (seconds since 1970) without following links.
  void times(const std::string& relative, double modified, double accessed);

 private:
  std::string base_;
};

// True when something (a link included, not followed) is at `path`.
bool pathExists(const std::string& path);

// The allocated bytes of a path (st_blocks × 512), without following links.
int64_t allocatedSize(const std::string& path);

}  // namespace tolvex::test
