#pragma once
#include <QThreadPool>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

#include "model/ScanResult.h"

namespace tolvex {

// Writes the scan archive on one low-priority thread, one write at a time. A request made while a
// write runs waits for it; requests that pile up meanwhile collapse into the newest, so an older
// tree can never be written after a newer one.
class ArchiveWriter {
 public:
  using Write = std::function<void(const ScanResult&, const ScanTarget&)>;
  explicit ArchiveWriter(Write write);
  ~ArchiveWriter();
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  void submit(ScanResult result, ScanTarget target);
  // Blocks until nothing is pending or being written (tests, shutdown).
  void waitForIdle();

 private:
  void drain();

  Write write_;
  std::mutex mutex_;
  std::optional<std::pair<ScanResult, ScanTarget>> pending_;
  bool running_ = false;
  QThreadPool pool_;
};

}  // namespace tolvex
