#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "app/AppEnvironment.h"
#include "app/AppState.h"
#include "platform/HomeFolder.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

namespace tolvex::test {

// Runs the event loop until `done` holds or `ms` milliseconds pass. Returns whether it held.
inline bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

// The same for a fixture's set-up, where a test cannot go on without it: a timeout ends the test as a
// failure (naming what never happened) instead of letting it run on and crash later.
inline void waitOrFail(const std::function<bool()>& done, const char* what, int ms = 5000) {
  if (!waitUntil(done, ms)) throw std::runtime_error(std::string("timed out waiting until ") + what);
}

// A gate a background walk waits at until the test opens it.
class Gate {
 public:
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void wait() {
    std::unique_lock lock(mutex_);
    waiting_ = true;
    changed_.wait(lock, [this] { return open_; });
  }
  bool someoneWaiting() {
    std::lock_guard lock(mutex_);
    return waiting_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  bool waiting_ = false;
};

// A temporary home with a settings file, an application folder and a fake clock, volume and
// access probe; the walk and the archive are the real ones unless a test replaces them.
struct AppFixture {
  TempHome home;
  std::string appFolder = home.dataHome() + "/Tolvex";
  QString settingsPath = QString::fromStdString(home.configHome() + "/Tolvex/Tolvex.conf");
  std::shared_ptr<std::atomic<double>> now = std::make_shared<std::atomic<double>>(1.8e9);
  std::shared_ptr<std::atomic<bool>> access = std::make_shared<std::atomic<bool>>(true);
  std::shared_ptr<std::atomic<int>> archiveWrites = std::make_shared<std::atomic<int>>(0);

  AppFixture() {
    if (!makeFolders(appFolder)) throw std::runtime_error("cannot make " + appFolder);
  }

  AppEnvironment environment() const { return environment(Places::forHome(home.home())); }
  // The same for another user's places (whose home need not be the process's $HOME).
  AppEnvironment environment(const Places& places) const {
    AppEnvironment env = AppEnvironment::forPlaces(places, appFolder, settingsPath);
    auto clock = now;
    env.clock = [clock] { return clock->load(); };
    auto granted = access;
    env.accessProbe = [granted] { return granted->load(); };
    env.readVolume = [] {
      return std::optional<VolumeInfo>(VolumeInfo{"Disk", 1000000000000, 400000000000, 400000000000});
    };
    auto writes = archiveWrites;
    auto write = env.writeArchive;
    env.writeArchive = [writes, write](const ScanResult& result, const ScanTarget& target, const std::string& path) {
      write(result, target, path);
      ++*writes;
    };
    env.timings.archiveDebounceMs = 50;
    env.timings.toastMs = 50;
    env.dataVolume = home.home() + "/no-data-volume";
    return env;
  }

  void setSetting(const QString& key, const QString& value) { Settings(settingsPath).setString(key, value); }
};

}  // namespace tolvex::test
