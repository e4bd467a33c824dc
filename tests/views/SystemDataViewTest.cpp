// The System Data screen with injected measuring and snapshot listing, snapshot deletion through the
// real deletion and a spy standing in for the administrator's runner, and the volume of the fixture.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/ObjectNames.h"
#include "app/components/StatTile.h"
#include "support/qt/AppFixture.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "support/qt/FakeEngines.h"
#include "views/ExplorerFixture.h"
#include "views/analysis/logic/ChangesComparison.h"
#include "views/cleanup/SystemDataPartRow.h"
#include "views/cleanup/SystemDataView.h"

using namespace tolvex;
using namespace tolvex::test;
using Status = PrivilegedResult::Status;

namespace {

constexpr int64_t kGB = 1'000'000'000;

SystemDataPart part(const std::string& id, const std::string& title, int64_t size, std::optional<std::string> path,
                    Risk risk = Risk::protected_) {
  SystemDataPart p;
  p.id = id;
  p.title = title;
  p.explanation = title + " explained.";
  p.advice = "Advice on " + title + ".";
  p.size = size;
  p.path = std::move(path);
  p.risk = risk;
  p.symbol = "memorychip";
  return p;
}

const LocalSnapshot kOlder{"com.apple.TimeMachine.2024-01-05-101010.local", 1'704'449'410};
const LocalSnapshot kNewer{"com.apple.TimeMachine.2024-01-05-111010.local", 1'704'453'010};
const LocalSnapshot kUndated{"com.apple.os.update-8C1B2F", std::nullopt};

// An application state whose volume the test sets, and the screen with scripted loaders. The
// deletion is the real one; the administrator's runner is a spy.
struct SystemDataScreen {
  AppFixture fixture;
  FakeServices services;
  std::shared_ptr<std::mutex> volumeMutex = std::make_shared<std::mutex>();
  std::shared_ptr<std::optional<VolumeInfo>> volume =
      std::make_shared<std::optional<VolumeInfo>>(VolumeInfo{"Disk", 1000 * kGB, 120 * kGB, 123'500'000'000});
  std::unique_ptr<AppState> state;
  std::unique_ptr<SystemDataView> view;
  Scripted<std::vector<SystemDataPart>> measure;
  Scripted<std::vector<LocalSnapshot>> list;
  Scripted<PrivilegedResult> runner;
  std::shared_ptr<std::mutex> seenMutex = std::make_shared<std::mutex>();
  std::shared_ptr<std::vector<std::vector<std::string>>> runs =
      std::make_shared<std::vector<std::vector<std::string>>>();
  std::shared_ptr<std::vector<bool>> scansSeen = std::make_shared<std::vector<bool>>();
  int snapshotListings = 0;  // listings the screen received

  SystemDataScreen() {
    AppEnvironment env = fixture.environment();
    auto m = volumeMutex;
    auto v = volume;
    env.readVolume = [m, v] {
      std::lock_guard lock(*m);
      return *v;
    };
    state = std::make_unique<AppState>(env);
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
  }
  ~SystemDataScreen() {
    view.reset();
    state->waitForBackgroundWork();
  }
  void setVolume(std::optional<VolumeInfo> value) {
    std::lock_guard lock(*volumeMutex);
    *volume = std::move(value);
  }

  SystemDataLoaders loaders() {
    auto measured = measure;
    auto listed = list;
    auto ran = runner;
    auto seen = seenMutex;
    auto argvs = runs;
    auto scans = scansSeen;
    return {[measured, seen, scans](const ScanResult* scan, const SystemDataProgress& progress) {
              {
                std::lock_guard lock(*seen);
                scans->push_back(scan != nullptr && scan->root != nullptr);
              }
              progress(1, 2);  // half the places, then the answer when the call is let go
              return measured.take();
            },
            [listed] { return listed.take(); },
            [ran, seen, argvs](const LocalSnapshot& snapshot) {
              return deleteLocalSnapshot(snapshot, [ran, seen, argvs](const std::vector<std::string>& argv) {
                {
                  std::lock_guard lock(*seen);
                  argvs->push_back(argv);
                }
                return ran.take();
              });
            }};
  }

  void open(bool waitForLoad = true) {
    view = std::make_unique<SystemDataView>(*state, loaders());
    view->resize(1040, 680);
    QObject::connect(view.get(), &SystemDataView::snapshotsChanged, view.get(), [this] { ++snapshotListings; });
    view->show();
    if (waitForLoad) waitOrFail([&] { return !view->loading(); }, "the first load ends");
    settle();
  }

  template <typename T>
  T* find(const char* name) const {
    return view->findChild<T*>(QLatin1String(name));
  }
  QString tileValue(const char* name) const { return find<StatTile>(name)->value(); }
  bool tilesShown() const { return find<QWidget>(names::systemDataTiles)->isVisible(); }
  std::vector<SystemDataPartRow*> partRows() const {
    auto rows = find<QWidget>(names::systemDataComponents)->findChildren<SystemDataPartRow*>();
    std::vector<SystemDataPartRow*> out;
    for (auto* row : rows)
      if (row->isVisible()) out.push_back(row);
    std::sort(out.begin(), out.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
    return out;
  }
  std::vector<QString> snapshotTitles() const {
    std::vector<std::pair<int, QString>> rows;
    for (auto* row :
         find<QWidget>(names::systemDataSnapshots)->findChildren<QWidget*>(QLatin1String(names::systemDataSnapshotRow)))
      if (row->isVisible())
        rows.emplace_back(row->y(), row->findChild<QLabel*>(QLatin1String(names::systemDataSnapshotTitle))->text());
    std::sort(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<QString> out;
    for (auto& [y, title] : rows) out.push_back(title);
    return out;
  }
  QPushButton* deleteButton(size_t index) const {
    std::vector<QWidget*> rows;
    for (auto* row :
         find<QWidget>(names::systemDataSnapshots)->findChildren<QWidget*>(QLatin1String(names::systemDataSnapshotRow)))
      if (row->isVisible()) rows.push_back(row);
    std::sort(rows.begin(), rows.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
    return rows.at(index)->findChild<QPushButton*>(QLatin1String(names::systemDataSnapshotDelete));
  }
  bool noSnapshotsShown() const { return find<QLabel>(names::systemDataNoSnapshots)->isVisible(); }
  bool spinnerShown() const { return find<QWidget>(names::systemDataLoading)->isVisible(); }
  bool noPartsShown() const { return find<QLabel>(names::systemDataNoParts)->isVisible(); }
  QString message() const {
    auto* label = find<QLabel>(names::systemDataSnapshotMessage);
    return label->isVisible() ? label->text() : QString();
  }
  std::vector<std::vector<std::string>> runnerCalls() const {
    std::lock_guard lock(*seenMutex);
    return *runs;
  }
  // Clicks "Delete…" on the row and waits until the snapshots are listed again.
  void deleteByClick(size_t index) {
    const int listed = snapshotListings;
    QTest::mouseClick(deleteButton(index), Qt::LeftButton);
    waitOrFail([&] { return snapshotListings > listed; }, "the snapshots are listed again");
    settle();
  }
};

}  // namespace

TEST(SystemDataView, ShowsThePartsLargestFirstWithBarsAgainstTheLargestAndTheTiles) {
  SystemDataScreen s;
  TreeBuilder tree(s.fixture.home / "disk");
  const std::string swap = tree.folder("private/var/vm");
  SystemDataPart logs = part("logs", "System logs", 300'000'000, std::string("/private/var/log"));
  logs.partial = true;
  s.measure.answer({part("vm", "Swap and sleep image", 8 * kGB, swap),
                    part("updates", "macOS update downloads", 2 * kGB, std::nullopt, Risk::review), logs});
  s.list.answer({kNewer, kOlder});
  s.open();

  EXPECT_TRUE(s.tilesShown());
  EXPECT_EQ(s.tileValue(names::systemDataPurgeable), "3.5 GB");
  EXPECT_EQ(s.tileValue(names::systemDataSnapshotCount), "2");
  EXPECT_EQ(s.tileValue(names::systemDataMeasured), "10.3 GB");

  const auto rows = s.partRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]->findChild<QLabel*>(QLatin1String(names::systemDataPartTitle))->text(), "Swap and sleep image");
  EXPECT_EQ(rows[0]->findChild<QLabel*>(QLatin1String(names::systemDataPartSize))->text(), "8 GB");
  EXPECT_EQ(rows[0]->findChild<QLabel*>(QLatin1String(names::systemDataPartExplanation))->text(),
            "Swap and sleep image explained.");
  EXPECT_EQ(rows[1]->findChild<QLabel*>(QLatin1String(names::systemDataPartAdvice))->text(),
            "Advice on macOS update downloads.");
  EXPECT_EQ(rows[0]->bar()->value(), 1000);
  EXPECT_EQ(rows[1]->bar()->value(), 250);
  EXPECT_EQ(rows[2]->bar()->value(), 37);
  // Only a part measured in part says its size is a lower bound.
  EXPECT_TRUE(rows[0]->toolTip().isEmpty());
  EXPECT_TRUE(rows[2]->toolTip().startsWith("At least this much")) << rows[2]->toolTip().toStdString();
  EXPECT_EQ(rows[0]->revealButton()->toolTip(), "Show in Files");
  EXPECT_FALSE(s.noPartsShown());
  // A part without a location has nothing to reveal; one with a location reveals it.
  EXPECT_FALSE(rows[1]->revealButton());
  ASSERT_TRUE(rows[0]->revealButton());
  QTest::mouseClick(rows[0]->revealButton(), Qt::LeftButton);
  EXPECT_EQ(s.services.revealed, (std::vector<std::string>{swap}));

  EXPECT_EQ(s.snapshotTitles(),
            (std::vector<QString>{snapshotDateText(kNewer.date.value()), snapshotDateText(kOlder.date.value())}));
  EXPECT_FALSE(s.noSnapshotsShown());
  EXPECT_FALSE(s.spinnerShown());
  EXPECT_TRUE(s.message().isEmpty());
}

TEST(SystemDataView, WithoutVolumeFiguresTheTilesAreAbsentAndTheRestIsUnchanged) {
  SystemDataScreen s;
  s.setVolume(std::nullopt);
  s.state->refreshVolume();
  s.measure.answer({part("vm", "Swap and sleep image", 8 * kGB, std::nullopt)});
  s.open();
  EXPECT_FALSE(s.tilesShown());
  EXPECT_EQ(s.partRows().size(), 1u);
  EXPECT_TRUE(s.noSnapshotsShown());
}

TEST(SystemDataView, NothingMeasuredShowsOnlyTheHeadingAndZeroBytes) {
  SystemDataScreen s;
  s.setVolume(VolumeInfo{"Disk", 1000 * kGB, 120 * kGB, 100 * kGB});  // important usage below available
  s.state->refreshVolume();
  s.open();
  EXPECT_TRUE(s.partRows().empty());
  EXPECT_FALSE(s.spinnerShown());
  // The empty card says why it is empty.
  EXPECT_TRUE(s.noPartsShown());
  EXPECT_EQ(s.find<QLabel>(names::systemDataNoParts)->text(),
            "None of the places where the system keeps its own data exists on this computer, or they are all empty.");
  EXPECT_EQ(s.tileValue(names::systemDataMeasured), "Zero KB");
  EXPECT_EQ(s.tileValue(names::systemDataPurgeable), "Zero KB");
  EXPECT_EQ(s.tileValue(names::systemDataSnapshotCount), "0");
  EXPECT_TRUE(s.noSnapshotsShown());
}

TEST(SystemDataView, TheFirstLoadShowsProgressAndListsTheSnapshotsOnlyAfterTheParts) {
  SystemDataScreen s;
  s.measure.answer({part("vm", "Swap and sleep image", 8 * kGB, std::nullopt)});
  s.list.answer({kNewer, kUndated});
  auto measuring = s.measure.holdCall(1);
  s.open(false);
  waitOrFail([&] { return measuring->someoneWaiting(); }, "the measuring starts");
  waitOrFail([&] { return s.list.returned() == 1; }, "the snapshots are listed");
  settle();
  auto* refresh = s.find<QPushButton>(names::systemDataRefresh);
  EXPECT_TRUE(s.view->loading());
  EXPECT_FALSE(refresh->isEnabled());
  EXPECT_TRUE(s.spinnerShown());
  EXPECT_FALSE(s.noPartsShown());  // nothing is said about an empty card before anything is measured
  // The bar fills as the places are measured.
  waitOrFail([&] { return s.find<QProgressBar>(names::systemDataProgress)->value() == 500; }, "half is measured");
  // The snapshot list already delivered waits for the parts; the card says there are none meanwhile.
  EXPECT_TRUE(s.view->snapshots().empty());
  EXPECT_TRUE(s.noSnapshotsShown());
  QTest::mouseClick(refresh, Qt::LeftButton);
  EXPECT_EQ(s.measure.calls(), 1);

  measuring->open();
  waitOrFail([&] { return !s.view->loading(); }, "the load ends");
  settle();
  EXPECT_TRUE(refresh->isEnabled());
  EXPECT_FALSE(s.spinnerShown());
  EXPECT_EQ(s.partRows().size(), 1u);
  EXPECT_EQ(s.snapshotTitles(), (std::vector<QString>{snapshotDateText(kNewer.date.value()), kUndated.name.c_str()}));
  EXPECT_EQ(s.tileValue(names::systemDataSnapshotCount), "2");
}

TEST(SystemDataView, ARefreshKeepsTheOldRowsUntilTheNewOnesArrive) {
  SystemDataScreen s;
  s.measure.answer({part("vm", "Swap and sleep image", 8 * kGB, std::nullopt)});
  s.open();
  auto second = s.measure.holdCall(2);
  s.measure.answer(
      {part("vm", "Swap and sleep image", 9 * kGB, std::nullopt), part("logs", "System logs", 1 * kGB, std::nullopt)});
  QTest::mouseClick(s.find<QPushButton>(names::systemDataRefresh), Qt::LeftButton);
  waitOrFail([&] { return second->someoneWaiting(); }, "the measuring starts again");
  EXPECT_TRUE(s.view->loading());
  EXPECT_FALSE(s.spinnerShown());
  EXPECT_EQ(s.partRows().size(), 1u);
  second->open();
  waitOrFail([&] { return !s.view->loading(); }, "the refresh ends");
  settle();
  EXPECT_EQ(s.partRows().size(), 2u);
  EXPECT_EQ(s.tileValue(names::systemDataMeasured), "10 GB");
}

TEST(SystemDataView, TheMeasuringIsGivenTheScanOnScreen) {
  ScannedTree scanned;
  SystemDataView view(*scanned.state, SystemDataLoaders{[](const ScanResult* scan, const SystemDataProgress&) {
                                                          std::vector<SystemDataPart> parts;
                                                          if (scan && scan->root)
                                                            parts.push_back(part("root", scan->root->path(), 5, {}));
                                                          return parts;
                                                        },
                                                        {},
                                                        {}});
  view.show();
  waitOrFail([&] { return !view.loading(); }, "the load ends");
  ASSERT_EQ(view.parts().size(), 1u);
  EXPECT_EQ(view.parts().front().title, scanned.tree.base());
}

TEST(SystemDataView, ACancelledDeletionSaysSoAndASuccessfulOneClearsItAndLowersTheCount) {
  SystemDataScreen s;
  s.list.answer({kNewer, kOlder});
  s.open();
  ASSERT_EQ(s.snapshotTitles().size(), 2u);

  s.runner.answer({Status::cancelled, {}});
  s.setVolume(VolumeInfo{"Disk", 1000 * kGB, 121 * kGB, 125 * kGB});
  s.deleteByClick(1);
  EXPECT_EQ(s.message(), "Cancelled.");
  EXPECT_EQ(s.view->snapshotMessage(), "Cancelled.");
  EXPECT_EQ(s.snapshotTitles().size(), 2u);  // still listed
  EXPECT_EQ(s.runnerCalls(),
            (std::vector<std::vector<std::string>>{{"/usr/bin/tmutil", "deletelocalsnapshots", "2024-01-05-101010"}}));
  EXPECT_EQ(s.tileValue(names::systemDataPurgeable), "4 GB");  // the volume was read again after the failure

  s.runner.answer({Status::succeeded, {}});
  s.list.answer({kNewer});
  s.deleteByClick(1);
  EXPECT_TRUE(s.message().isEmpty());
  EXPECT_FALSE(s.view->snapshotMessage());
  EXPECT_EQ(s.snapshotTitles(), (std::vector<QString>{snapshotDateText(kNewer.date.value())}));
  EXPECT_EQ(s.tileValue(names::systemDataSnapshotCount), "1");
  EXPECT_EQ(s.measure.calls(), 1);  // a deletion measures nothing again
}

TEST(SystemDataView, FailedDeletionsShowTheirOwnTextAndAnUnusableNameRunsNothing) {
  struct Case {
    const char* name;
    LocalSnapshot snapshot;
    PrivilegedResult answer;
    QString expected;
    bool runs;
  };
  const Case cases[] = {
      {"tmutil's own words",
       kOlder,
       {Status::failed, "Failed to delete local snapshot"},
       "Failed to delete local snapshot",
       true},
      {"nothing said", kOlder, {Status::failed, {}}, "Couldn't delete the snapshot.", true},
      {"pkexec missing", kOlder, {Status::notStarted, {}}, "Couldn't delete the snapshot.", true},
      {"no date part",
       {"com.apple.os.update-8C1B2F", std::nullopt},
       {Status::succeeded, {}},
       "Unrecognised snapshot name.",
       false},
      {"a shell in the date part",
       {"com.apple.TimeMachine.2024-01-05;reboot.local", std::nullopt},
       {Status::succeeded, {}},
       "Unrecognised snapshot name.",
       false},
      {"a line break after the date",
       {"com.apple.TimeMachine.2024-01-05-101010\n.local", std::nullopt},
       {Status::succeeded, {}},
       "Unrecognised snapshot name.",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SystemDataScreen s;
    s.list.answer({c.snapshot});
    s.runner.answer(c.answer);
    s.open();
    s.deleteByClick(0);
    EXPECT_EQ(s.message(), c.expected);
    EXPECT_EQ(s.runnerCalls().empty(), !c.runs);
    EXPECT_EQ(s.snapshotTitles().size(), 1u);
  }
}

TEST(SystemDataView, WhenTheVolumeCannotBeReadAfterADeletionTheTilesGo) {
  SystemDataScreen s;
  s.list.answer({kOlder});
  s.runner.answer({Status::succeeded, {}});
  s.open();
  EXPECT_TRUE(s.tilesShown());
  s.setVolume(std::nullopt);
  s.list.answer({});
  s.deleteByClick(0);
  EXPECT_FALSE(s.tilesShown());
  EXPECT_TRUE(s.noSnapshotsShown());
}

TEST(SystemDataView, LeavingDuringADeletionNeitherWaitsNorCrashes) {
  SystemDataScreen s;
  s.list.answer({kOlder});
  auto prompt = s.runner.holdCall(1);
  s.open();
  QTest::mouseClick(s.deleteButton(0), Qt::LeftButton);
  waitOrFail([&] { return prompt->someoneWaiting(); }, "the administrator is asked");
  s.view.reset();
  prompt->open();
  waitOrFail([&] { return s.runner.returned() == 1; }, "the deletion ends");
  settle();
  EXPECT_EQ(s.list.calls(), 1);  // nothing listed for a screen that is gone
}

TEST(SystemDataView, LeavingAndComingBackMeasuresAgainAndClearsTheMessage) {
  SystemDataScreen s;
  s.measure.answer({part("vm", "Swap and sleep image", 8 * kGB, std::nullopt)});
  s.list.answer({kOlder});
  s.runner.answer({Status::cancelled, {}});
  s.open();
  s.deleteByClick(0);
  EXPECT_EQ(s.message(), "Cancelled.");
  s.open();  // a new screen, as the window builds on every visit
  EXPECT_EQ(s.measure.calls(), 2);
  EXPECT_TRUE(s.message().isEmpty());
  EXPECT_FALSE(s.view->snapshotMessage());
  EXPECT_EQ(s.partRows().size(), 1u);
}

TEST(SystemDataView, ALinuxDiskShowsItsPlacesAndSnapshotsAndDeletesOneThroughTheAdministrator) {
  SystemDataScreen s;
  TempDir disk;
  TreeBuilder tree(disk.path());
  tree.allocatedFile("var/log/journal/0123abcd/system.journal", 2 * 1024 * 1024);
  tree.allocatedFile("var/cache/apt/archives/zsh_5.9_amd64.deb", 512 * 1024);
  tree.folder("timeshift/snapshots/2024-05-02_09-30-00");
  tree.folder("proc/self");
  auto tools = [](const std::vector<std::string>& argv) -> std::optional<ProcessResult> {
    if (argv == std::vector<std::string>{kSnapperPath, "--jsonout", "list-configs"})
      return ProcessResult{0, R"({"configs": [{"config": "root", "subvolume": "/"}]})", {}, false};
    if (argv == std::vector<std::string>{kSnapperPath, "--jsonout", "-c", "root", "list"})
      return ProcessResult{0, R"({"root": [{"number": 0}, {"number": 42, "date": "2024-05-03 08:00:00"}]})", {}, false};
    return std::nullopt;
  };
  auto admin = [ran = s.runner, seen = s.seenMutex, argvs = s.runs](const std::vector<std::string>& argv) {
    {
      std::lock_guard lock(*seen);
      argvs->push_back(argv);
    }
    return ran.take();
  };
  SystemDataView view(*s.state, SystemDataLoaders::on(SystemDataSources::under(disk.path()),
                                                      SnapshotSources{tools, disk.path()}, admin));
  view.resize(1040, 680);
  view.show();
  waitOrFail([&] { return !view.loading(); }, "the load ends");
  settle();
  std::vector<std::string> ids;
  for (const auto& p : view.parts()) ids.push_back(p.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"journal", "packages"}));
  std::vector<std::string> names;
  for (const auto& snapshot : view.snapshots()) names.push_back(snapshot.name);
  EXPECT_EQ(names, (std::vector<std::string>{"root:42", "2024-05-02_09-30-00"}));

  s.runner.answer({Status::cancelled, {}});
  auto rows = view.findChildren<QPushButton*>(QLatin1String(names::systemDataSnapshotDelete));
  ASSERT_EQ(rows.size(), 2u);
  std::sort(rows.begin(), rows.end(), [](auto* a, auto* b) { return a->parentWidget()->y() < b->parentWidget()->y(); });
  QTest::mouseClick(rows[0], Qt::LeftButton);
  waitOrFail([&] { return view.snapshotMessage().has_value(); }, "the deletion ends");
  EXPECT_EQ(view.snapshotMessage(), "Cancelled.");
  EXPECT_EQ(s.runnerCalls(), (std::vector<std::vector<std::string>>{{kSnapperPath, "-c", "root", "delete", "42"}}));

  // A disk without any of the places and without snapshot tools.
  TempDir bare;
  SystemDataView empty(*s.state, SystemDataLoaders::on(SystemDataSources::under(bare.path()),
                                                       SnapshotSources{ProcessRunner(), bare.path()}, admin));
  empty.show();
  waitOrFail([&] { return !empty.loading(); }, "the load ends");
  settle();
  EXPECT_TRUE(empty.findChild<QLabel*>(QLatin1String(names::systemDataNoParts))->isVisible());
  EXPECT_TRUE(empty.snapshots().empty());
  EXPECT_TRUE(empty.findChild<QLabel*>(QLatin1String(names::systemDataNoSnapshots))->isVisible());
}
