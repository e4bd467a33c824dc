#include "platform/Dedupe.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <vector>

namespace tolvex {

bool isDedupeUnsupported(int error) { return error == EOPNOTSUPP || error == EINVAL || error == ENOTTY; }

DedupeOutcome dedupeFileRange(int sourceFd, int destinationFd, int64_t length, int64_t chunk) {
  if (chunk <= 0) chunk = kDedupeChunk;
  // One request with one destination: a header followed by one info record, 8-byte aligned.
  constexpr size_t kBytes = sizeof(struct file_dedupe_range) + sizeof(struct file_dedupe_range_info);
  std::vector<uint64_t> buffer((kBytes + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  auto* range = reinterpret_cast<struct file_dedupe_range*>(buffer.data());

  DedupeOutcome outcome;
  int64_t offset = 0;
  while (offset < length) {
    std::fill(buffer.begin(), buffer.end(), 0);
    range->src_offset = static_cast<uint64_t>(offset);
    range->src_length = static_cast<uint64_t>(std::min(chunk, length - offset));
    range->dest_count = 1;
    range->info[0].dest_fd = destinationFd;
    range->info[0].dest_offset = static_cast<uint64_t>(offset);
    int result;
    do {
      result = ::ioctl(sourceFd, FIDEDUPERANGE, range);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
      outcome.kind = DedupeOutcome::Kind::failed;
      outcome.error = errno;
      return outcome;
    }
    const auto& info = range->info[0];
    if (info.status == FILE_DEDUPE_RANGE_DIFFERS) {
      outcome.kind = DedupeOutcome::Kind::differs;
      return outcome;
    }
    if (info.status < 0) {
      outcome.kind = DedupeOutcome::Kind::failed;
      outcome.error = -info.status;
      return outcome;
    }
    if (info.status != FILE_DEDUPE_RANGE_SAME || info.bytes_deduped == 0) {
      // The kernel neither shared anything nor said why: never loop on it.
      outcome.kind = DedupeOutcome::Kind::failed;
      outcome.error = EIO;
      return outcome;
    }
    offset += static_cast<int64_t>(info.bytes_deduped);
    outcome.bytesShared = offset;
  }
  outcome.kind = DedupeOutcome::Kind::same;
  return outcome;
}

}  // namespace tolvex
