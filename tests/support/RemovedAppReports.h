#pragma once
// Collects what a removed-application watcher reports; the reports arrive on the watcher's thread.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "system/RemovedAppWatcher.h"

namespace tolvex::test {

struct RemovedAppReports {
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<RemovedApp> apps;

  RemovedAppWatcher::Callback callback() {
    return [this](const RemovedApp& app) {
      std::lock_guard lock(mutex);
      apps.push_back(app);
      arrived.notify_all();
    };
  }
  // Waits for `count` reports; the bound only keeps a broken watcher from hanging the suite.
  bool waitFor(size_t count) {
    std::unique_lock lock(mutex);
    return arrived.wait_for(lock, std::chrono::seconds(60), [&] { return apps.size() >= count; });
  }
  std::vector<std::string> ids() {
    std::lock_guard lock(mutex);
    std::vector<std::string> result;
    for (const RemovedApp& app : apps) result.push_back(app.bundleID);
    return result;
  }
};

}  // namespace tolvex::test
