#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tolvex {

// Writes files on a thread of its own, one write at a time, so that no fsync ever holds up the
// thread that changed the data. Each write is filed under a key (the file it writes): a write
// submitted while an older one of the same key still waits takes its place, so a burst of changes
// costs one write and an older state is never written after a newer one. Whoever submitted the write
// that was replaced is told the result of the write that replaced it, since that one carried its
// state too.
//
// It lives in the core, on a std::thread, rather than on a Qt pool: the stores it writes are core
// types, and their tests and tools use it without an event loop.
class BackgroundWriter {
 public:
  using Write = std::function<int()>;           // 0 or the errno of the failure
  using Done = std::function<void(int error)>;  // called on the writer's thread

  BackgroundWriter();
  // Finishes every write submitted so far (nothing is lost on quit), then ends the thread.
  ~BackgroundWriter();
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  void submit(const std::string& key, Write write, Done done = {});
  // Blocks until nothing is waiting or being written.
  void waitForIdle();

 private:
  struct Request {
    std::string key;
    Write write;
    std::vector<Done> done;
  };
  void run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Request> waiting_;
  bool writing_ = false;
  bool stopping_ = false;
  std::thread thread_;  // last: started once everything above exists
};

}  // namespace tolvex
