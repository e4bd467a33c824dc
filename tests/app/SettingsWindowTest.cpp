// The settings window over a real application state: every control is driven as a user would and
// read back from the settings file, the background services and the desktop fakes.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <filesystem>

#include "app/ObjectNames.h"
#include "app/Settings.h"
#include "app/components/SegmentedPicker.h"
#include "app/components/SymbolView.h"
#include "app/components/ToggleSwitch.h"
#include "app/services/UiServices.h"
#include "app/theme/Appearance.h"
#include "platform/FullDiskAccess.h"
#include "shell/AutomationSettings.h"
#include "shell/ExclusionsSettings.h"
#include "shell/SettingsWindow.h"
#include "shell/logic/SettingsChoices.h"
#include "support/qt/AppFixture.h"
#include "support/qt/FakeEngines.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

template <typename T>
T* find(QWidget* root, const char* name) {
  T* found = root->findChild<T*>(QLatin1String(name));
  if (!found) ADD_FAILURE() << "no widget named " << name;
  return found;
}

// What the settings ask of the desktop, recorded; the folder chooser answers from a queue.
struct FakeDesktop {
  UiServices saved = UiServices::shared();
  int permissionRequests = 0;
  std::vector<QUrl> opened;
  std::deque<std::optional<std::string>> chosenFolders;
  FakeDesktop() {
    UiServices& services = UiServices::shared();
    services.requestNotificationPermission = [this] { ++permissionRequests; };
    services.openUrl = [this](const QUrl& url) {
      opened.push_back(url);
      return false;
    };
    services.chooseFolder = [this](QWidget*, const QString&, UiServices::PathCallback done) {
      std::optional<std::string> answer;
      if (!chosenFolders.empty()) {
        answer = chosenFolders.front();
        chosenFolders.pop_front();
      }
      done(answer);
    };
  }
  ~FakeDesktop() { UiServices::shared() = saved; }
};

// An application state whose junk search the test scripts, its services started, and its settings
// window shown.
struct SettingsFixture {
  AppFixture app;
  FakeDesktop desktop;
  Scripted<std::vector<JunkFinding>> junk;
  std::unique_ptr<AppState> state;
  std::unique_ptr<SettingsWindow> window;

  explicit SettingsFixture(std::function<void(AppEnvironment&)> adjust = {}) {
    AppEnvironment env = app.environment();
    env.makeAppWatcher = nullptr;
    auto search = junk;
    env.findJunk = [search](const std::vector<JunkRule>&, bool, double) { return search.take(); };
    if (adjust) adjust(env);
    state = std::make_unique<AppState>(env);
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
    state->services().start(state.get());
    window = std::make_unique<SettingsWindow>(*state);
    window->show();
  }
  ~SettingsFixture() {
    window.reset();
    state->waitForBackgroundWork();
    Appearance::apply(AppAppearance::light);
  }

  // The settings file as a fresh reader sees it.
  Settings file() const { return Settings(app.settingsPath); }
  template <typename T>
  T* widget(const char* name) const {
    return find<T>(window.get(), name);
  }
  void showTab(int index) {
    window->tabs()->setCurrentIndex(index);
    QCoreApplication::processEvents();
  }
  // A finding of a rule the automatic clean uses, with one real file.
  void findCacheFile(const std::string& name) {
    TreeBuilder tree(app.home.home());
    const std::string path = tree.file("Library/Caches/" + name, 10);
    JunkFinding finding;
    finding.rule = BackgroundServices::autoCleanRules().front();
    finding.items.push_back(JunkItem{path, path, finding.rule.id, 10, 1, std::nullopt});
    junk.answer({finding});
  }
};

// Picks item `index` of a combo box from its list, as a click would.
void choose(QComboBox* combo, int index) {
  combo->showPopup();
  QAbstractItemView* view = combo->view();
  ASSERT_TRUE(waitUntil([&] { return view->isVisible(); }));
  const QRect rect = view->visualRect(view->model()->index(index, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
  ASSERT_TRUE(waitUntil([&] { return !view->isVisible(); }));
}

void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

}  // namespace

// ---- Choices and texts ------------------------------------------------------------------------------

TEST(SettingsChoices, LowSpaceChoicesAndTheirPlaceInThePicker) {
  struct Row {
    int gigabytes;
    const char* title;
    std::optional<int> index;
  };
  const Row rows[] = {{0, "Never", 0}, {5, "5 GB", 1}, {10, "10 GB", 2}, {20, "20 GB", 3}, {50, "50 GB", 4}};
  for (const Row& row : rows) {
    EXPECT_EQ(lowSpaceTitle(row.gigabytes), QString::fromUtf8(row.title));
    EXPECT_EQ(lowSpaceIndex(row.gigabytes), row.index);
  }
  for (int other : {-1, 1, 7, 100, 1000000}) EXPECT_EQ(lowSpaceIndex(other), std::nullopt) << other;
  // The number is plain text, not grouped by the locale.
  EXPECT_EQ(lowSpaceTitle(1000), QStringLiteral("1000 GB"));
}

TEST(SettingsChoices, LastRunIsTheRelativeDateAndTheBytesFreed) {
  const double now = 1.8e9;
  const QDateTime yesterday = QDateTime::fromMSecsSinceEpoch(qint64((now - 86400 - 60) * 1000), Qt::UTC);
  EXPECT_EQ(lastRunText(yesterday, 1'500'000'000, now), QStringLiteral("yesterday \u00B7 1.5 GB"));
  EXPECT_EQ(lastRunText(yesterday, -5, now), QStringLiteral("yesterday \u00B7 Zero KB"));
}

TEST(SettingsChoices, AddingAFolderFoldsTheDataVolumeAndRefusesWhatIsNotOneLineOfText) {
  const std::vector<std::string> none;
  const std::vector<std::string> some{"/a", "/b"};
  struct Row {
    const std::vector<std::string>* current;
    std::string chosen;
    std::optional<QString> stored;
  };
  const Row rows[] = {
      {&none, "/System/Volumes/Data", QStringLiteral("/")},
      {&none, "/System/Volumes/Data/Users/Shared/VMs", QStringLiteral("/Users/Shared/VMs")},
      {&none, "/System/Volumes/Database", QStringLiteral("/System/Volumes/Database")},
      {&none, "/home/me/VMs", QStringLiteral("/home/me/VMs")},
      {&some, "/c", QStringLiteral("/a\n/b\n/c")},
      {&some, "/a", QStringLiteral("/a\n/b\n/a")},  // no check for a folder already listed
      {&none, "/home/me/Caf\xC3\xA9", QStringLiteral("/home/me/Caf\u00E9")},
      // Refused: stored as lines, these would exclude other folders (or none at all).
      {&some, "/home/me/two\nlines", std::nullopt},
      {&some, "/home/me/carriage\rreturn", std::nullopt},
      {&some, "/home/me/latin1-\xE9t\xE9", std::nullopt},
      {&some, "", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(exclusionsAdding(*row.current, row.chosen), row.stored) << row.chosen;
}

TEST(SettingsChoices, RemovingDropsEveryEqualEntryAndRewritesTheRest) {
  struct Row {
    std::vector<std::string> current;
    std::optional<std::string> selection;
    QString stored;
  };
  const Row rows[] = {
      {{"/a", "/b", "/a"}, "/a", QStringLiteral("/b")},       {{"/a"}, "/a", QString()},
      {{"/a", "/b"}, std::nullopt, QStringLiteral("/a\n/b")}, {{"/a", "/b"}, "/gone", QStringLiteral("/a\n/b")},
      {{"/a", "/ab"}, "/a", QStringLiteral("/ab")},  // exact comparison, not a prefix
  };
  for (const Row& row : rows) EXPECT_EQ(exclusionsRemoving(row.current, row.selection), row.stored);
}

// ---- Window -----------------------------------------------------------------------------------------

TEST(SettingsWindow, HasTheThreeTabsAtItsFixedSize) {
  SettingsFixture f;
  EXPECT_EQ(f.window->size(), QSize(580, 460));
  QTabWidget* tabs = f.window->tabs();
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("General"));
  EXPECT_EQ(tabs->tabText(1), QStringLiteral("Automation"));
  EXPECT_EQ(tabs->tabText(2), QStringLiteral("Exclusions"));
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(tabs->tabIcon(i).isNull()) << i;
}

// ---- General ----------------------------------------------------------------------------------------

TEST(GeneralSettings, EachSwitchWritesItsSettingAndFollowsItBack) {
  SettingsFixture f;
  BackgroundServices& services = f.state->services();
  struct Row {
    const char* name;
    QString key;
    bool initially;
    std::function<bool()> owner;  // what the owner of the setting reads
  };
  const Row rows[] = {
      {names::settingsPermanentDelete, keys::permanentDelete, false, [&] { return f.state->permanentDelete(); }},
      {names::settingsMenuBar, keys::menuBar, true, [&] { return services.menuBarEnabled(); }},
      {names::settingsWatchRemovedApps, keys::watchRemovedApps, true, [&] { return services.watchRemovedApps(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ToggleSwitch* toggle = f.widget<ToggleSwitch>(row.name);
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->isChecked(), row.initially);
    click(toggle);
    EXPECT_EQ(f.file().boolValue(row.key, row.initially), !row.initially);
    EXPECT_EQ(row.owner(), !row.initially);
    click(toggle);
    EXPECT_EQ(f.file().optionalString(row.key), row.initially ? QStringLiteral("true") : QStringLiteral("false"));
    EXPECT_EQ(row.owner(), row.initially);
  }
  // A change made elsewhere shows at once.
  f.state->setPermanentDelete(true);
  services.setMenuBarEnabled(false);
  EXPECT_TRUE(f.widget<ToggleSwitch>(names::settingsPermanentDelete)->isChecked());
  EXPECT_FALSE(f.widget<ToggleSwitch>(names::settingsMenuBar)->isChecked());
}

TEST(GeneralSettings, OpenAtLoginWritesTheAutostartEntryAndReadsItBack) {
  SettingsFixture f;
  const std::string entry = f.app.home.configHome() + "/autostart/tolvex.desktop";
  ToggleSwitch* toggle = f.widget<ToggleSwitch>(names::settingsLaunchAtLogin);
  EXPECT_FALSE(toggle->isChecked());
  click(toggle);
  EXPECT_TRUE(std::filesystem::exists(entry));
  EXPECT_TRUE(toggle->isChecked());
  click(toggle);
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_FALSE(toggle->isChecked());
}

TEST(GeneralSettings, OpenAtLoginShowsTheEntryAsItIsWhenWritingFails) {
  SettingsFixture f;
  // A file where the autostart folder should be: the entry cannot be written.
  TreeBuilder(f.app.home.configHome()).file("autostart", 1);
  ToggleSwitch* toggle = f.widget<ToggleSwitch>(names::settingsLaunchAtLogin);
  click(toggle);
  EXPECT_FALSE(toggle->isChecked());
}

TEST(GeneralSettings, AppearanceIsStoredAndAppliedAndSystemFollowsTheDesktopAgain) {
  SettingsFixture f;
  Appearance::captureSystemPalette();
  const QColor systemWindow = Appearance::systemPalette().color(QPalette::Window);
  auto* picker = f.widget<SegmentedPicker>(names::settingsAppearance);
  ASSERT_EQ(picker->count(), 3);
  EXPECT_EQ(picker->segment(0)->text(), QStringLiteral("System"));
  EXPECT_EQ(picker->segment(1)->text(), QStringLiteral("Light"));
  EXPECT_EQ(picker->segment(2)->text(), QStringLiteral("Dark"));
  EXPECT_EQ(picker->currentIndex(), 0);

  click(picker->segment(2));
  EXPECT_EQ(f.file().stringValue(keys::appearance), QStringLiteral("dark"));
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), Appearance::darkPalette().color(QPalette::Window));
  click(picker->segment(0));
  EXPECT_EQ(f.file().stringValue(keys::appearance), QStringLiteral("system"));
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), systemWindow);
  EXPECT_EQ(picker->currentIndex(), 0);
}

TEST(GeneralSettings, AnUnknownStoredAppearanceShowsSystem) {
  SettingsFixture f([](AppEnvironment&) {});
  f.state->settings().setString(keys::appearance, QStringLiteral("Dark"));
  SettingsWindow window(*f.state);
  EXPECT_EQ(find<SegmentedPicker>(&window, names::settingsAppearance)->currentIndex(), 0);
}

TEST(GeneralSettings, FullDiskAccessShowsGrantedOrTheButtonThatOpensTheSettings) {
  SettingsFixture f;
  f.state->setHasFullDiskAccess(true);
  auto* granted = f.widget<SymbolLabel>(names::settingsAccessGranted);
  auto* grant = f.widget<QPushButton>(names::settingsAccessGrant);
  EXPECT_TRUE(granted->isVisible());
  EXPECT_EQ(granted->text(), QStringLiteral("Granted"));
  EXPECT_EQ(granted->symbol(), QStringLiteral("checkmark.circle.fill"));
  EXPECT_FALSE(grant->isVisible());

  f.state->setHasFullDiskAccess(false);
  EXPECT_FALSE(granted->isVisible());
  ASSERT_TRUE(grant->isVisible());
  EXPECT_EQ(grant->text(), QStringLiteral("Grant…"));
  click(grant);
  ASSERT_EQ(f.desktop.opened.size(), 1u);
  EXPECT_EQ(f.desktop.opened[0], QUrl(QString::fromLatin1(kFullDiskAccessSettingsURL)));
}

// ---- Automation -------------------------------------------------------------------------------------

TEST(AutomationSettings, ScheduleIsStoredAndAsksToNotifyOnlyWhenOn) {
  SettingsFixture f;
  f.showTab(1);
  auto* schedule = f.widget<QComboBox>(names::settingsSchedule);
  ASSERT_EQ(schedule->count(), 4);
  EXPECT_EQ(schedule->itemText(1), QStringLiteral("Every day"));
  EXPECT_EQ(schedule->currentText(), QStringLiteral("Off"));
  struct Step {
    int index;
    const char* stored;
    int requests;  // permission requests so far
  };
  const Step steps[] = {{2, "weekly", 1}, {0, "off", 1}, {1, "daily", 2}, {1, "daily", 3}, {3, "monthly", 4}};
  for (const Step& step : steps) {
    choose(schedule, step.index);
    EXPECT_EQ(f.file().stringValue(keys::cleanSchedule), QString::fromLatin1(step.stored));
    EXPECT_EQ(rawValue(f.state->services().cleanSchedule()), QString::fromLatin1(step.stored));
    EXPECT_EQ(f.desktop.permissionRequests, step.requests) << step.stored;
  }
}

TEST(AutomationSettings, AnUnknownStoredScheduleShowsOff) {
  SettingsFixture f;
  f.state->settings().setString(keys::cleanSchedule, QStringLiteral("hourly"));
  f.state->services().setLowSpaceGB(7);  // any change of the services redraws the tab
  EXPECT_EQ(f.widget<QComboBox>(names::settingsSchedule)->currentText(), QStringLiteral("Off"));
}

TEST(AutomationSettings, LowSpaceThresholdIsStoredAndNeverAsksNothing) {
  SettingsFixture f;
  f.showTab(1);
  auto* lowSpace = f.widget<QComboBox>(names::settingsLowSpace);
  ASSERT_EQ(lowSpace->count(), 5);
  EXPECT_EQ(lowSpace->currentText(), QStringLiteral("10 GB"));
  choose(lowSpace, 0);
  EXPECT_EQ(f.file().optionalString(keys::lowSpaceGB), QStringLiteral("0"));
  EXPECT_EQ(f.state->services().lowSpaceGB(), 0);
  EXPECT_EQ(f.desktop.permissionRequests, 0);
  choose(lowSpace, 3);
  EXPECT_EQ(f.state->services().lowSpaceGB(), 20);
  EXPECT_EQ(f.desktop.permissionRequests, 1);
  // A stored value that is not one of the choices selects none.
  f.state->services().setLowSpaceGB(7);
  EXPECT_EQ(lowSpace->currentIndex(), -1);
}

TEST(AutomationSettings, RunNowCleansShowsCleaningAndThenTheLastRun) {
  SettingsFixture f;
  f.showTab(1);
  f.findCacheFile("stale.cache");
  const std::string cached = f.app.home.home() + "/Library/Caches/stale.cache";
  auto gate = f.junk.holdCall(1);
  auto* runNow = f.widget<QPushButton>(names::settingsRunNow);
  auto* lastRun = f.widget<QLabel>(names::settingsLastRun);
  EXPECT_EQ(runNow->text(), QStringLiteral("Run Now"));
  EXPECT_FALSE(lastRun->isVisible());

  click(runNow);
  EXPECT_EQ(runNow->text(), QStringLiteral("Cleaning…"));
  EXPECT_FALSE(runNow->isEnabled());
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return runNow->isEnabled(); }));
  EXPECT_EQ(runNow->text(), QStringLiteral("Run Now"));
  EXPECT_FALSE(std::filesystem::exists(cached));
  EXPECT_TRUE(lastRun->isVisible());
  EXPECT_EQ(lastRun->text(), QStringLiteral("now \u00B7 1 KB"));
  EXPECT_TRUE(f.file().dateValue(keys::lastAutoClean).has_value());
}

TEST(AutomationSettings, RunNowWhileACleanRunsDoesNothing) {
  SettingsFixture f;
  f.showTab(1);
  auto gate = f.junk.holdCall(1);
  auto* runNow = f.widget<QPushButton>(names::settingsRunNow);
  // A scheduled clean is under way: the button says so and a press starts no second one.
  bool scheduledDone = false;
  f.state->services().runAutoClean([&] { scheduledDone = true; });
  EXPECT_EQ(runNow->text(), QStringLiteral("Cleaning…"));
  EXPECT_FALSE(runNow->isEnabled());
  f.window->automation()->runNow();
  EXPECT_FALSE(f.window->automation()->isRunning());
  ASSERT_TRUE(waitUntil([&] { return f.junk.calls() == 1; }));
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return scheduledDone; }));
  EXPECT_EQ(f.junk.calls(), 1);
  EXPECT_TRUE(runNow->isEnabled());
}

TEST(AutomationSettings, ClosingTheWindowDuringRunNowLetsTheCleanFinish) {
  SettingsFixture f;
  f.findCacheFile("left.cache");
  auto gate = f.junk.holdCall(1);
  f.window->automation()->runNow();
  f.window.reset();
  gate->open();
  ASSERT_TRUE(waitUntil([&] { return !f.state->services().isCleaning(); }));
  EXPECT_TRUE(f.state->services().lastAutoClean().has_value());
  EXPECT_FALSE(std::filesystem::exists(f.app.home.home() + "/Library/Caches/left.cache"));
}

// ---- Exclusions -------------------------------------------------------------------------------------

TEST(ExclusionsSettings, AddsRemovesAndKeepsTheSelection) {
  SettingsFixture f;
  f.showTab(2);
  auto* list = f.widget<QAbstractItemView>(names::exclusionsList);
  auto* add = f.widget<QToolButton>(names::exclusionsAdd);
  auto* remove = f.widget<QToolButton>(names::exclusionsRemove);
  EXPECT_EQ(list->model()->rowCount(), 0);
  EXPECT_FALSE(remove->isEnabled());

  f.desktop.chosenFolders = {"/System/Volumes/Data/Users/Shared/VMs", "/srv/cache", "/srv/cache", std::nullopt};
  for (int i = 0; i < 4; ++i) click(add);  // the last chooser is cancelled
  EXPECT_EQ(f.file().stringValue(keys::excludedPaths), QStringLiteral("/Users/Shared/VMs\n/srv/cache\n/srv/cache"));
  ASSERT_EQ(list->model()->rowCount(), 3);
  EXPECT_EQ(list->model()->index(0, 0).data().toString(), QStringLiteral("/Users/Shared/VMs"));

  list->setCurrentIndex(list->model()->index(1, 0));
  EXPECT_EQ(f.window->exclusions()->selection(), std::optional<std::string>("/srv/cache"));
  ASSERT_TRUE(remove->isEnabled());
  click(remove);
  EXPECT_EQ(f.file().stringValue(keys::excludedPaths), QStringLiteral("/Users/Shared/VMs"));
  EXPECT_EQ(f.state->excludedPaths(), std::vector<std::string>{"/Users/Shared/VMs"});
  // The selection names a path no longer listed; the button stays and stores the list unchanged.
  EXPECT_TRUE(remove->isEnabled());
  click(remove);
  EXPECT_EQ(f.file().stringValue(keys::excludedPaths), QStringLiteral("/Users/Shared/VMs"));

  list->setCurrentIndex(list->model()->index(0, 0));
  click(remove);
  EXPECT_EQ(f.file().optionalString(keys::excludedPaths), QString());
  EXPECT_EQ(list->model()->rowCount(), 0);
}

TEST(ExclusionsSettings, RefusesAPathThatIsNotOneLineOfText) {
  SettingsFixture f;
  f.showTab(2);
  f.state->setExcludedRaw(QStringLiteral("/kept"));
  auto* message = f.widget<QLabel>(names::exclusionsMessage);
  EXPECT_FALSE(message->isVisible());
  for (const char* path : {"/home/me/two\nlines", "/home/me/latin1-\xE9t\xE9"}) {
    f.desktop.chosenFolders = {std::string(path)};
    click(f.widget<QToolButton>(names::exclusionsAdd));
    EXPECT_EQ(f.file().stringValue(keys::excludedPaths), QStringLiteral("/kept"));
    EXPECT_TRUE(message->isVisible());
    EXPECT_FALSE(message->text().isEmpty());
  }
  f.desktop.chosenFolders = {std::string("/fine")};
  click(f.widget<QToolButton>(names::exclusionsAdd));
  EXPECT_EQ(f.file().stringValue(keys::excludedPaths), QStringLiteral("/kept\n/fine"));
  EXPECT_FALSE(message->isVisible());
}

TEST(ExclusionsSettings, BlankLinesAreNotShownAndTheNextChangeDropsThem) {
  SettingsFixture f;
  f.showTab(2);
  auto* list = f.widget<QAbstractItemView>(names::exclusionsList);
  f.state->setExcludedRaw(QStringLiteral("\n/a\n\n\n/b\n"));
  ASSERT_EQ(list->model()->rowCount(), 2);
  EXPECT_EQ(list->model()->index(1, 0).data().toString(), QStringLiteral("/b"));
  f.desktop.chosenFolders = {std::string("/c")};
  click(f.widget<QToolButton>(names::exclusionsAdd));
  EXPECT_EQ(f.file().stringValue(keys::excludedPaths), QStringLiteral("/a\n/b\n/c"));
  f.state->setExcludedRaw(QStringLiteral("\n\n"));
  EXPECT_EQ(list->model()->rowCount(), 0);
}

TEST(ExclusionsSettings, TheNextScanSkipsAnAddedFolder) {
  SettingsFixture f;
  TreeBuilder tree(f.app.home / "scan");
  tree.allocatedFile("kept/a.bin", 1 << 20);
  tree.allocatedFile("skipped/b.bin", 1 << 20);
  f.desktop.chosenFolders = {tree.path("skipped")};
  click(f.widget<QToolButton>(names::exclusionsAdd));
  f.state->startScan(ScanTarget::folder(tree.base()));
  ASSERT_TRUE(waitUntil([&] { return f.state->scan().has_value(); }, 20000));
  std::vector<std::string> names;
  for (const FileNode* child : f.state->scan()->root->children) names.emplace_back(child->name.view());
  EXPECT_EQ(names, std::vector<std::string>{"kept"});
}
