#pragma once
#include <functional>

#include "model/ScanResult.h"
#include "platform/BackgroundWriter.h"

namespace tolvex {

// Writes the scan archive on a thread of its own, one write at a time. A request made while a write
// runs waits for it; requests that pile up meanwhile collapse into the newest, so an older tree can
// never be written after a newer one. Its own writer, apart from the small stores': a whole-disk
// archive takes seconds, and the history must not wait behind it.
class ArchiveWriter {
 public:
  using Write = std::function<void(const ScanResult&, const ScanTarget&)>;
  explicit ArchiveWriter(Write write);
  // Finishes the write under way and the one waiting.
  ~ArchiveWriter() = default;
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  void submit(ScanResult result, ScanTarget target);
  // Blocks until nothing is pending or being written (tests, shutdown).
  void waitForIdle() { writer_.waitForIdle(); }

 private:
  Write write_;
  BackgroundWriter writer_;  // last: its thread stops before `write_` goes
};

}  // namespace tolvex
