#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "model/ScanResult.h"
#include "platform/Places.h"

namespace tolvex {

// Walks one folder tree and builds its classified size tree. One scanner per scan: the owner keeps
// it while the walk runs on a background thread and may cancel it from any thread.
//
// The walk reads folders on several threads at once (as many as the machine and the disk profit
// from); the result is the same as a walk on one thread, depth first, each folder's entries in the
// order the file system lists them: the same tree, children in that order, and a hard-linked file
// kept at the first of its paths that such a walk meets.
class Scanner {
 public:
  // Called on one of the walking threads (never on two at once) with the files counted so far,
  // their allocated bytes and the folded path of the entry being visited; at most once per 1024
  // files and 0.08 seconds, and never after the scan was cancelled.
  using Progress = std::function<void(int64_t files, int64_t bytes, const std::string& currentPath)>;

  // `progressInterval` is the least time between two progress reports (tests shorten it); `threads`
  // the number of walking threads, 0 for what suits the machine and the disk.
  explicit Scanner(std::chrono::duration<double> progressInterval = std::chrono::duration<double>(0.08),
                   unsigned threads = 0)
      : progressInterval_(progressInterval), threads_(threads) {}
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;

  // Walks `root` without following links and without leaving its device. Folders whose folded path
  // is in `excluded` are skipped whole (the root itself never is). Blocking. Returns none when the
  // walk cannot start, `root` is not a folder, the scan was cancelled before its last folder, or the
  // tree cannot hold what was found (beyond 4 GiB, or out of memory).
  std::optional<ScanResult> walk(const std::string& root, const std::set<std::string>& excluded,
                                 const Progress& progress);

  // The home folder and Trash that the walk classifies paths by; without it, the running user's.
  void usePlaces(const Places& places) { places_ = places; }

  // Asks a running (or future) walk to stop at its next folder (on any of its threads).
  void cancel();
  bool isCancelled() const;

 private:
  mutable std::mutex lock;
  bool _cancelled = false;  // guarded by `lock`
  const std::chrono::duration<double> progressInterval_;
  const unsigned threads_;
  std::optional<Places> places_;
};

}  // namespace tolvex
