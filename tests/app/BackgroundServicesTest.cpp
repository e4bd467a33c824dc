#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusError>
#include <QFile>
#include <QObject>
#include <QVariantMap>
#include <cstdlib>
#include <limits>

#include "app/Settings.h"
#include "app/services/BackgroundServices.h"
#include "platform/AtomicFile.h"
#include "support/qt/AppFixture.h"
#include "system/RemovedApp.h"
#include "system/RemovedAppWatcher.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

struct Posted {
  QString title;
  QString body;
};

// Services over a settings file of their own, a volume and a clock the test moves, and a notification spy.
struct ServicesFixture {
  TempHome home;
  Settings settings{QString::fromStdString(home.configHome() + "/Tolvex/Tolvex.conf")};
  std::shared_ptr<std::optional<VolumeInfo>> volume = std::make_shared<std::optional<VolumeInfo>>(
      VolumeInfo{"Disk", 500'000'000'000, 100'000'000'000, 100'000'000'000});
  std::shared_ptr<double> now = std::make_shared<double>(1.8e9);
  std::shared_ptr<std::vector<Posted>> posted = std::make_shared<std::vector<Posted>>();

  BackgroundServices::Hooks hooks() const {
    BackgroundServices::Hooks hooks;
    auto clock = now;
    hooks.clock = [clock] { return *clock; };
    auto shared = volume;
    hooks.readVolume = [shared] { return *shared; };
    hooks.findJunk = [](const std::vector<JunkRule>&) { return std::vector<JunkFinding>{}; };
    auto spy = posted;
    hooks.notify = [spy](const QString& title, const QString& body) { spy->push_back({title, body}); };
    hooks.launchAtLogin = LaunchAtLogin(QString::fromStdString(home.configHome() + "/autostart/tolvex.desktop"),
                                        QStringLiteral("/opt/tolvex/bin/tolvex"));
    return hooks;
  }
  void setAvailable(int64_t bytes) { (*volume)->available = bytes; }
};

// An application state whose notifications, clock and junk finder the test holds.
struct StateFixture {
  AppFixture app;
  std::shared_ptr<std::vector<Posted>> posted = std::make_shared<std::vector<Posted>>();
  std::shared_ptr<std::vector<JunkFinding>> junk = std::make_shared<std::vector<JunkFinding>>();
  std::shared_ptr<int> searches = std::make_shared<int>(0);
  // What the last search was asked: the rules' identifiers and whether it had full disk access.
  std::shared_ptr<std::pair<std::vector<std::string>, bool>> asked =
      std::make_shared<std::pair<std::vector<std::string>, bool>>();

  AppEnvironment environment() const {
    AppEnvironment env = app.environment();
    auto spy = posted;
    env.notify = [spy](const QString& title, const QString& body) { spy->push_back({title, body}); };
    env.makeAppWatcher = nullptr;
    auto findings = junk;
    auto count = searches;
    env.findJunk = [findings, count, asked = asked](const std::vector<JunkRule>& rules, bool access, double) {
      ++*count;
      asked->first.clear();
      for (const JunkRule& rule : rules) asked->first.push_back(rule.id);
      asked->second = access;
      return *findings;
    };
    return env;
  }
  // A finding of the rule `ruleID` with one real file whose size the clean is told is `size`.
  void addFinding(const std::string& ruleID, const std::string& name, int64_t size) {
    TreeBuilder tree(app.home.home());
    const std::string path = tree.file("Library/Caches/" + name, 10);
    JunkFinding finding;
    finding.rule = *std::find_if(JunkRule::all().begin(), JunkRule::all().end(),
                                 [&](const JunkRule& rule) { return rule.id == ruleID; });
    finding.items.push_back(JunkItem{path, path, ruleID, size, 1, std::nullopt});
    junk->push_back(finding);
  }
  double now() const { return app.now->load(); }
};

// Runs a clean to its end.
void cleanAndWait(BackgroundServices& services) {
  bool done = false;
  services.runAutoClean([&] { done = true; });
  ASSERT_TRUE(waitUntil([&] { return done; }));
}

}  // namespace

TEST(CleanSchedule, RawValuesTitlesAndIntervals) {
  struct Row {
    CleanSchedule schedule;
    const char* raw;
    const char* title;
    std::optional<double> seconds;
  };
  const Row rows[] = {{CleanSchedule::off, "off", "Off", std::nullopt},
                      {CleanSchedule::daily, "daily", "Every day", 86400.0},
                      {CleanSchedule::weekly, "weekly", "Every week", 604800.0},
                      {CleanSchedule::monthly, "monthly", "Every month", 2592000.0}};
  for (size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(kCleanSchedules[i], rows[i].schedule);
    EXPECT_EQ(rawValue(rows[i].schedule), QLatin1String(rows[i].raw));
    EXPECT_EQ(title(rows[i].schedule), QLatin1String(rows[i].title));
    EXPECT_EQ(interval(rows[i].schedule), rows[i].seconds);
    EXPECT_EQ(cleanScheduleFromRaw(QLatin1String(rows[i].raw)), rows[i].schedule);
  }
  for (const char* other : {"Daily", "", " daily", "never"})
    EXPECT_EQ(cleanScheduleFromRaw(QLatin1String(other)), std::nullopt);
}

TEST(BackgroundServices, SettingsAreReadStrictly) {
  ServicesFixture f;
  BackgroundServices services(f.settings, f.hooks());
  EXPECT_EQ(services.lowSpaceGB(), 10);
  EXPECT_EQ(services.cleanSchedule(), CleanSchedule::off);
  EXPECT_TRUE(services.watchRemovedApps());
  EXPECT_TRUE(services.menuBarEnabled());
  f.settings.setString(keys::lowSpaceGB, QStringLiteral("abc"));
  f.settings.setString(keys::cleanSchedule, QStringLiteral("Daily"));
  EXPECT_EQ(services.lowSpaceGB(), 10);
  EXPECT_EQ(services.cleanSchedule(), CleanSchedule::off);
  services.setCleanSchedule(CleanSchedule::weekly);
  EXPECT_EQ(f.settings.stringValue(keys::cleanSchedule), QStringLiteral("weekly"));
  EXPECT_EQ(services.cleanSchedule(), CleanSchedule::weekly);
}

TEST(BackgroundServices, InertUntilStarted) {
  ServicesFixture f;
  f.settings.setDate(keys::lastAutoClean, QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC));
  f.settings.setInt(keys::lastAutoCleanBytes, 1234);
  f.setAvailable(1);
  BackgroundServices services(f.settings, f.hooks());
  EXPECT_EQ(services.lastAutoClean()->toSecsSinceEpoch(), 1'700'000'000);
  EXPECT_EQ(services.lastAutoCleanBytes(), 1234);
  EXPECT_TRUE(f.posted->empty());  // nothing checked before start
  EXPECT_FALSE(services.findChild<QTimer*>());
}

// One warning per descent below the threshold; it re-arms only strictly above threshold + 2 GB.
TEST(BackgroundServices, LowSpaceWarnsOncePerDescent) {
  ServicesFixture f;
  BackgroundServices services(f.settings, f.hooks());
  const struct {
    int64_t available;
    size_t postedAfter;
    bool flagAfter;
  } steps[] = {
      {10'000'000'000, 0, false},  // exactly the threshold is not low
      {9'999'999'999, 1, true},   {5'000'000'000, 1, true},   {11'000'000'000, 1, true},
      {12'000'000'000, 1, true},  {12'000'000'001, 1, false}, {9'000'000'000, 2, true},
  };
  for (const auto& step : steps) {
    f.setAvailable(step.available);
    services.tick();
    EXPECT_EQ(f.posted->size(), step.postedAfter) << step.available;
    EXPECT_EQ(f.settings.boolValue(keys::lowSpaceNotified, false), step.flagAfter) << step.available;
  }
  EXPECT_EQ(f.posted->at(0).title, QStringLiteral("Your Mac is running out of space"));
  EXPECT_EQ(f.posted->at(0).body, QStringLiteral("Only 10 GB free. Open Tolvex to see what's taking up space."));
}

TEST(BackgroundServices, LowSpaceOffOrOutOfRangeNeverWarns) {
  // A threshold that is itself too large for a byte count warns of nothing.
  for (const char* stored : {"0", "-5", "9223372037", "99999999999999", "9223372036854775807"}) {
    ServicesFixture f;
    f.settings.setString(keys::lowSpaceGB, QLatin1String(stored));
    f.settings.setBool(keys::lowSpaceNotified, false);
    BackgroundServices services(f.settings, f.hooks());
    f.setAvailable(0);
    services.tick();
    EXPECT_TRUE(f.posted->empty()) << stored;
    EXPECT_FALSE(f.settings.boolValue(keys::lowSpaceNotified, true)) << stored;
  }
  // A negative figure is shown as nothing free; no volume checks nothing.
  ServicesFixture f;
  BackgroundServices services(f.settings, f.hooks());
  f.setAvailable(-5);
  services.tick();
  ASSERT_EQ(f.posted->size(), 1u);
  EXPECT_TRUE(f.posted->at(0).body.startsWith(QStringLiteral("Only Zero KB free")) ||
              f.posted->at(0).body.startsWith(QStringLiteral("Only 0")))
      << f.posted->at(0).body.toStdString();
  *f.volume = std::nullopt;
  f.settings.setBool(keys::lowSpaceNotified, false);
  services.tick();
  EXPECT_EQ(f.posted->size(), 1u);
}

// The largest threshold that fits a byte count works like any other, though threshold + 2 GB doesn't fit.
TEST(BackgroundServices, TheLargestThresholdStillWarnsAndNeverOverflowsTheRearm) {
  ServicesFixture f;
  f.settings.setString(keys::lowSpaceGB, QStringLiteral("9223372036"));
  BackgroundServices services(f.settings, f.hooks());
  const int64_t threshold = 9'223'372'036'000'000'000;
  const struct {
    int64_t available;
    size_t postedAfter;
    bool flagAfter;
  } steps[] = {
      {0, 1, true},
      {threshold, 1, true},                            // not low, but not 2 GB above it either
      {std::numeric_limits<int64_t>::max(), 1, true},  // 854,775,807 above: still not re-armed
      {threshold - 1, 1, true},
  };
  for (const auto& step : steps) {
    f.setAvailable(step.available);
    services.tick();
    EXPECT_EQ(f.posted->size(), step.postedAfter) << step.available;
    EXPECT_EQ(f.settings.boolValue(keys::lowSpaceNotified, false), step.flagAfter) << step.available;
  }
  EXPECT_EQ(f.posted->at(0).body, QStringLiteral("Only Zero KB free. Open Tolvex to see what's taking up space."));
}

TEST(BackgroundServices, AutoCleanRulesAreTheSafePermanentQuickCleanOnesButTrash) {
  std::vector<std::string> ids;
  for (const JunkRule& rule : BackgroundServices::autoCleanRules()) ids.push_back(rule.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"user-caches", "user-logs", "saved-state", "mail-downloads", "xcode-derived",
                                           "xcode-device-support", "xcode-watch-support", "simulator-caches",
                                           "ios-updates"}));
}

// Each schedule is due exactly when its interval has passed since the last clean, or at once without one.
TEST(BackgroundServices, ScheduleIsDueOnlyOnceTheIntervalHasPassed) {
  for (CleanSchedule schedule : {CleanSchedule::daily, CleanSchedule::weekly, CleanSchedule::monthly}) {
    for (double age : {*interval(schedule) - 1, *interval(schedule)}) {
      StateFixture f;
      {
        Settings stored(f.app.settingsPath);
        stored.setString(keys::cleanSchedule, rawValue(schedule));
        stored.setDate(keys::lastAutoClean, QDateTime::fromMSecsSinceEpoch(qint64((f.now() - age) * 1000), Qt::UTC));
      }
      AppState state(f.environment());
      BackgroundServices& services = state.services();
      services.start(&state);
      const bool due = age >= *interval(schedule);
      EXPECT_EQ(services.isCleaning(), due) << rawValue(schedule).toStdString() << " " << age;
      ASSERT_TRUE(waitUntil([&] { return !services.isCleaning(); }));
      EXPECT_EQ(*f.searches, due ? 1 : 0);
      state.waitForBackgroundWork();
    }
  }
}

TEST(BackgroundServices, NoScheduleOrNoStateCleansNothing) {
  StateFixture f;
  AppState state(f.environment());
  state.settings().setString(keys::cleanSchedule, QStringLiteral("Daily"));
  state.services().start(&state);
  EXPECT_FALSE(state.services().isCleaning());
  ServicesFixture g;
  BackgroundServices orphan(g.settings, g.hooks());
  g.settings.setString(keys::cleanSchedule, QStringLiteral("daily"));
  orphan.tick();
  EXPECT_FALSE(orphan.isCleaning());
  bool done = false;
  orphan.runAutoClean([&] { done = true; });
  EXPECT_TRUE(done);
  EXPECT_FALSE(orphan.lastAutoClean());
}

// A clean records its end and what it freed; it notifies above 50,000,000 bytes only.
TEST(BackgroundServices, AutoCleanRecordsAndNotifiesAboveTheThreshold) {
  for (int64_t size : {int64_t{0}, int64_t{50'000'000}, int64_t{50'000'001}}) {
    StateFixture f;
    if (size > 0) f.addFinding("user-caches", "com.e.app", size);
    AppState state(f.environment());
    BackgroundServices& services = state.services();
    services.start(&state);  // no schedule: nothing runs yet
    cleanAndWait(services);
    EXPECT_EQ(services.lastAutoCleanBytes(), size);
    ASSERT_TRUE(services.lastAutoClean());
    EXPECT_EQ(services.lastAutoClean()->toSecsSinceEpoch(), qint64(f.now()));
    EXPECT_EQ(state.settings().int64Value(keys::lastAutoCleanBytes, -1), size);
    EXPECT_EQ(state.settings().dateValue(keys::lastAutoClean), services.lastAutoClean());
    if (size > 0) {
      EXPECT_FALSE(pathExists(f.junk->at(0).items[0].url));
    }
    if (size > 50'000'000) {
      ASSERT_EQ(f.posted->size(), 1u);
      EXPECT_EQ(f.posted->at(0).title, QStringLiteral("Tolvex cleaned 50 MB"));
      EXPECT_EQ(f.posted->at(0).body,
                QStringLiteral("Caches, logs and other regenerable files. Everything else was left untouched."));
    } else {
      EXPECT_TRUE(f.posted->empty()) << size;
    }
    EXPECT_FALSE(state.toast());  // quiet: no result toast
    state.waitForBackgroundWork();
  }
}

// The scheduled clean searches only its own rules, with full disk access as it is at the time of the
// clean: granting or losing it after the start counts.
TEST(BackgroundServices, AutoCleanSearchesItsRulesWithAccessAsItIsNow) {
  StateFixture f;
  AppState state(f.environment());
  BackgroundServices& services = state.services();
  services.start(&state);
  f.app.access->store(false);
  cleanAndWait(services);
  std::vector<std::string> rules;
  for (const JunkRule& rule : BackgroundServices::autoCleanRules()) rules.push_back(rule.id);
  EXPECT_EQ(f.asked->first, rules);
  EXPECT_FALSE(f.asked->second);
  state.waitForBackgroundWork();
}

// A second clean asked for while one runs ("Run Now" during a scheduled clean) starts nothing.
TEST(BackgroundServices, CleansNeverOverlap) {
  StateFixture f;
  f.addFinding("user-logs", "log", 4096);
  AppState state(f.environment());
  BackgroundServices& services = state.services();
  state.settings().setString(keys::cleanSchedule, QStringLiteral("daily"));
  services.start(&state);  // due at once: no clean recorded
  ASSERT_TRUE(services.isCleaning());
  bool secondDone = false;
  services.runAutoClean([&] { secondDone = true; });
  EXPECT_TRUE(secondDone);
  services.tick();
  ASSERT_TRUE(waitUntil([&] { return !services.isCleaning(); }));
  EXPECT_EQ(*f.searches, 1);
  EXPECT_EQ(state.history().entries().size(), 1u);
  services.tick();  // recorded just now: not due again
  EXPECT_FALSE(services.isCleaning());
  state.waitForBackgroundWork();
}

TEST(BackgroundServices, RemovedAppShowsTheBannerAndNotifies) {
  const RemovedApp app{
      "Tool",
      "com.e.tool",
      {{"/h/Library/Caches/com.e.tool", "Caches", 6'000'000}, {"/h/Library/Logs/Tool", "Logs", 1'000'000}}};
  StateFixture f;
  AppState state(f.environment());
  state.services().start(&state);
  state.services().onAppRemoved(app);
  ASSERT_TRUE(state.removedApp());
  EXPECT_EQ(*state.removedApp(), app);
  ASSERT_EQ(f.posted->size(), 1u);
  EXPECT_EQ(f.posted->at(0).title, QStringLiteral("Tool left 7 MB behind"));
  EXPECT_EQ(f.posted->at(0).body, QStringLiteral("Open Tolvex to review and remove what it left on your Mac."));

  // Without a store the notification still goes out.
  ServicesFixture g;
  BackgroundServices orphan(g.settings, g.hooks());
  orphan.onAppRemoved(RemovedApp{"Neg", "com.e.neg", {{"/x", "Caches", -50}}});
  ASSERT_EQ(g.posted->size(), 1u);
  EXPECT_EQ(g.posted->at(0).title, QStringLiteral("Neg left Zero KB behind"));
  state.waitForBackgroundWork();
}

TEST(BackgroundServices, WatcherFollowsTheSettingAndNeverDoublesItsSources) {
  ServicesFixture f;
  TreeBuilder apps(f.home.home());
  apps.folder("Applications");
  apps.folder("Apps2");
  auto hooks = f.hooks();
  hooks.watcher = std::make_shared<RemovedAppWatcher>(
      InventoryContext::forPlaces(f.home.home(), {f.home / "Applications", f.home / "Apps2"}), std::chrono::hours(1));
  auto watcher = hooks.watcher;
  BackgroundServices services(f.settings, hooks);
  services.start(nullptr);
  EXPECT_EQ(watcher->sourceCount(), 2u);
  services.setWatchRemovedApps(true);
  services.setWatchRemovedApps(true);
  EXPECT_EQ(watcher->sourceCount(), 2u);
  services.setWatchRemovedApps(false);
  EXPECT_EQ(watcher->sourceCount(), 0u);
  services.setWatchRemovedApps(false);
  EXPECT_EQ(watcher->sourceCount(), 0u);
  EXPECT_FALSE(f.settings.boolValue(keys::watchRemovedApps, true));
  services.start(nullptr);  // a second start: stays off, one timer
  EXPECT_EQ(watcher->sourceCount(), 0u);
  EXPECT_EQ(services.findChildren<QTimer*>().size(), 1u);
  services.setWatchRemovedApps(true);
  EXPECT_EQ(watcher->sourceCount(), 2u);
}

TEST(LaunchAtLogin, WritesTheEntryAndRemovesIt) {
  TempHome home;
  const QString path = QString::fromStdString(home.configHome() + "/autostart/tolvex.desktop");
  LaunchAtLogin login(path, QStringLiteral("/opt/my \"tolvex\"/tolvex"));
  EXPECT_FALSE(login.isEnabled());
  ASSERT_TRUE(login.setEnabled(true));
  EXPECT_TRUE(login.isEnabled());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
  EXPECT_TRUE(text.contains(QStringLiteral("\nType=Application\n")));
  EXPECT_TRUE(text.contains(QStringLiteral("\nExec=\"/opt/my \\\\\"tolvex\\\\\"/tolvex\"\n"))) << text.toStdString();
  ASSERT_TRUE(login.setEnabled(false));
  EXPECT_FALSE(login.isEnabled());
  EXPECT_TRUE(login.setEnabled(false));  // already off

  // The standard entry lies in the configuration home given; the running executable's absolute path goes in.
  LaunchAtLogin standard = LaunchAtLogin::standard(home.home() + "/cfg");
  EXPECT_EQ(standard.entryPath(), QString::fromStdString(home.home() + "/cfg/autostart/tolvex.desktop"));
  ASSERT_TRUE(standard.setEnabled(true));
  auto written = readWholeFile(standard.entryPath().toStdString());
  ASSERT_TRUE(written);
  EXPECT_NE(written->find("Exec=\"" + QCoreApplication::applicationFilePath().toStdString() + "\""), std::string::npos);
  EXPECT_TRUE(standard.setEnabled(false));
}

TEST(LaunchAtLogin, FailureIsLoggedAndStillRedraws) {
  ServicesFixture f;
  TreeBuilder tree(f.home.home());
  tree.file("blocker", 1);  // a file where the autostart folder should be
  auto hooks = f.hooks();
  hooks.launchAtLogin = LaunchAtLogin(QString::fromStdString(f.home / "blocker/tolvex.desktop"), QStringLiteral("/x"));
  BackgroundServices services(f.settings, hooks);
  int changes = 0;
  QObject::connect(&services, &BackgroundServices::changed, [&] { ++changes; });
  services.setLaunchAtLogin(true);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(services.launchAtLogin());
}

// A server that records what it is sent, standing for the desktop's notification server.
class RecordingNotificationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  std::vector<QStringList> received;
 public slots:
  uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary, const QString& body,
              const QStringList&, const QVariantMap&, int timeout) {
    received.push_back({appName, QString::number(replacesId), icon, summary, body, QString::number(timeout)});
    return uint(received.size());
  }
};

// Runs only on a private session bus (the build starts it under dbus-run-session).
TEST(Notifications, ReachTheServerOverTheSessionBus) {
  if (qEnvironmentVariable("TOLVEX_PRIVATE_BUS") != QLatin1String("1")) GTEST_SKIP() << "needs a private session bus";
  QDBusConnection bus = QDBusConnection::sessionBus();
  ASSERT_TRUE(bus.isConnected());
  RecordingNotificationServer server;
  ASSERT_TRUE(
      bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server, QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")))
      << bus.lastError().message().toStdString();
  postNotification(QStringLiteral("Title"), QStringLiteral("Body text"));
  ASSERT_TRUE(waitUntil([&] { return !server.received.empty(); }));
  EXPECT_EQ(server.received[0], (QStringList{"Tolvex", "0", "tolvex", "Title", "Body text", "-1"}));
  bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
}

TEST(Notifications, WithoutAServerNothingHappens) {
  if (qEnvironmentVariable("TOLVEX_PRIVATE_BUS") != QLatin1String("1")) GTEST_SKIP() << "needs a private session bus";
  postNotification(QStringLiteral("Nobody"), QStringLiteral("listens"));  // no crash, no wait
  SUCCEED();
}

#include "BackgroundServicesTest.moc"
