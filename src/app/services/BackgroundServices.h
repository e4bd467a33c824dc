#pragma once
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/services/CleanSchedule.h"
#include "app/services/LaunchAtLogin.h"
#include "app/services/Notifier.h"
#include "engines/JunkFinder.h"
#include "engines/JunkRule.h"
#include "model/VolumeInfo.h"

namespace tolvex {

class AppState;
class RemovedAppWatcher;
class UiTaskQueue;
struct RemovedApp;
class Settings;

// The work done while the user is not acting: a periodic tick that refreshes the startup volume's
// figures, records a free-space sample, tells the screens when the last scan went stale, warns once
// per descent below the low-space threshold and starts the scheduled clean when it is due. It also
// reports removed applications and keeps the settings of these features. UI thread only.
class BackgroundServices : public QObject {
  Q_OBJECT
 public:
  // What the services take from the world outside; tests replace each member.
  struct Hooks {
    std::function<double()> clock;                                                   // seconds since 1970
    std::function<std::optional<VolumeInfo>()> readVolume;                           // the startup volume
    std::function<std::vector<JunkFinding>(const std::vector<JunkRule>&)> findJunk;  // off the UI thread
    Notifier notify;
    std::shared_ptr<RemovedAppWatcher> watcher;         // none: no removal watching
    LaunchAtLogin launchAtLogin{QString(), QString()};  // no entry file: never enabled
    int tickMs = 300000;
  };

  static constexpr int64_t kCleanNotificationBytes = 50'000'000;
  static constexpr int64_t kLowSpaceRearmBytes = 2'000'000'000;

  // Inert until `start`: no timer, no watcher. Reads the last clean from `settings`.
  BackgroundServices(Settings& settings, Hooks hooks, QObject* parent = nullptr);
  ~BackgroundServices() override;

  // Published fields.
  const std::optional<VolumeInfo>& volume() const { return volume_; }
  // A newer reading of the same volume taken elsewhere (after a deletion): published at once, so
  // that the tray never shows older figures than the window does.
  void adoptVolume(const std::optional<VolumeInfo>& volume);
  const std::optional<QDateTime>& lastAutoClean() const { return lastAutoClean_; }
  int64_t lastAutoCleanBytes() const { return lastAutoCleanBytes_; }
  // A scheduled or "Run Now" clean is under way.
  bool isCleaning() const { return cleaning_; }

  // Takes the store the services feed, ticks once, starts the repeating tick (replacing an earlier
  // one) and starts or stops the removal watcher as "watchRemovedApps" says.
  void start(AppState* state);
  // The periodic work; also called by the menu-bar panel.
  void tick();

  // Settings (read afresh at each call).
  bool watchRemovedApps() const;
  void setWatchRemovedApps(bool on);
  CleanSchedule cleanSchedule() const;
  void setCleanSchedule(CleanSchedule schedule);
  int lowSpaceGB() const;
  void setLowSpaceGB(int gigabytes);
  bool menuBarEnabled() const;
  void setMenuBarEnabled(bool on);
  bool launchAtLogin() const;
  void setLaunchAtLogin(bool on);

  // The clean of safe, regenerable junk; `done` runs when it finished (or at once when nothing ran:
  // no store, or a clean already under way).
  void runAutoClean(std::function<void()> done = {});
  // A removal reported by the watcher (on the UI thread).
  void onAppRemoved(const RemovedApp& app);
  // Steps of the tick.
  void checkLowSpace();
  void checkSchedule();

  // The junk rules the automatic clean uses: safe, removed for good, part of Quick Clean, not the Trash.
  static std::vector<JunkRule> autoCleanRules();

 signals:
  void changed();

 private:
  void applyWatcherSetting();
  void finishAutoClean(int64_t freed, std::function<void()> done);

  Settings& settings_;
  Hooks hooks_;
  std::optional<VolumeInfo> volume_;
  std::optional<QDateTime> lastAutoClean_;
  int64_t lastAutoCleanBytes_ = 0;
  QTimer* timer_ = nullptr;
  QPointer<AppState> state_;
  bool scanWasStale_ = false;
  bool cleaning_ = false;
  UiTaskQueue* ui_;  // the junk search of a clean comes back through it
};

}  // namespace tolvex
