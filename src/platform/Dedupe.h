#pragma once
// Sharing the storage of two files with identical contents (FIDEDUPERANGE): the kernel locks both
// files, compares the bytes and, only where they are equal, points the destination at the source's
// extents. The destination keeps its inode and all its metadata; a write that races with the call
// either lands before the comparison (and makes it fail) or after the sharing (copy on write).
#include <cstdint>

namespace tolvex {

struct DedupeOutcome {
  enum class Kind { same, differs, failed };
  Kind kind = Kind::failed;
  int error = 0;            // errno for `failed`
  int64_t bytesShared = 0;  // bytes the kernel shared before the outcome
};

// The largest length the kernel takes in one call; it reports how much it actually did.
inline constexpr int64_t kDedupeChunk = int64_t{1} << 30;

// Shares bytes [0, length) of the file open as `destinationFd` with the same range of `sourceFd`,
// `chunk` bytes per call. `same` when the whole range now shares storage; `differs` as soon as a
// chunk's bytes differ (the chunks before it stay shared, their bytes being equal); `failed` with
// the errno otherwise. Both descriptors may be read-only: the kernel allows it to the owner of the
// destination, to anyone allowed to write it, and to the administrator.
[[nodiscard]] DedupeOutcome dedupeFileRange(int sourceFd, int destinationFd, int64_t length,
                                            int64_t chunk = kDedupeChunk);

// True for the errors of a file system (or a pair of files) that cannot share storage at all.
bool isDedupeUnsupported(int error);

}  // namespace tolvex
