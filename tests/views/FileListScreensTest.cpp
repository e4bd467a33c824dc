// The Large & Old and By Type screens on a scanned fixture home: what they list, how the filter bar
// drives them, where each keeps its filter, the small-files note, the export, and the same results
// when the lists are built and sorted off the UI thread.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "app/components/PageHeader.h"
#include "app/screen/ScanPrompt.h"
#include "platform/AtomicFile.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "views/ExplorerFixture.h"
#include "views/FilterBarDriver.h"
#include "views/analysis/FilesTable.h"
#include "views/analysis/LargeFilesView.h"
#include "views/analysis/NodeTable.h"
#include "views/analysis/TypesView.h"
#include "views/analysis/logic/CsvExport.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr double kNow = 1.8e9;  // the fixture's clock
constexpr double kDay = 86400;

// A home with files of several kinds, sizes and ages (relative to the fixture's clock), scanned
// with the real walk.
struct FixtureHome {
  AppFixture fixture;
  TreeBuilder tree{fixture.home.home()};
  std::unique_ptr<AppState> state;

  FixtureHome() {
    file("Movies/Trip/holiday.mov", 3 << 20, 400);
    file("Movies/clip.mp4", 1 << 20, 30);  // exactly 1 MiB, exactly 30 days old
    tree.file("Movies/small1.mov", 10);
    tree.file("Movies/small2.mov", 10);
    file("Documents/report.pdf", 2 << 20, 100);
    file("Documents/say, \"hi\".txt", 600 << 10, 5);
    file("Downloads/installer.dmg", 5 << 20, 40);
    file("Downloads/archive.zip", (1 << 20) - 4096, 31);
    file("Music/song.mp3", 700 << 10, 2);
    state = std::make_unique<AppState>(fixture.environment());
    waitUntil([&] { return !state->isRestoringScan(); });
    state->startScan(ScanTarget::folder(tree.base()));
    waitUntil([&] { return state->scan().has_value(); }, 20000);
  }
  ~FixtureHome() {
    state->waitForBackgroundWork();
    QCoreApplication::processEvents();
  }
  void file(const std::string& relative, int64_t bytes, double daysOld) {
    tree.allocatedFile(relative, bytes);
    tree.times(relative, kNow - daysOld * kDay, kNow - daysOld * kDay);
  }
  FileNode* node(const std::string& relative) const {
    for (FileNode* n : state->scan()->files)
      if (n->path() == tree.path(relative)) return n;
    return nullptr;
  }
  // The names among `wanted`, in the order the walk met the files (the folder's own order).
  std::vector<std::string> inScanOrder(const std::set<std::string>& wanted) const {
    std::vector<std::string> out;
    for (const FileNode* n : state->scan()->files)
      if (wanted.contains(n->name)) out.push_back(n->name);
    return out;
  }
  std::vector<FileNode*> nodesInScanOrder(const std::set<std::string>& wanted) const {
    std::vector<FileNode*> out;
    for (FileNode* n : state->scan()->files)
      if (wanted.contains(n->name)) out.push_back(n);
    return out;
  }
};

std::vector<std::string> listed(const FileListScreen& screen) {
  std::vector<std::string> out;
  for (const FileNode* n : screen.list().nodes) out.push_back(n->name);
  return out;
}

std::vector<std::string> rows(const FileListScreen& screen) {
  std::vector<std::string> out;
  for (const FileNode* n : screen.filesTable()->table()->rows()) out.push_back(n->name);
  return out;
}

// Shows a screen at the window's smallest size and lets its first refresh (and any background
// work) finish.
template <typename Screen>
std::unique_ptr<Screen> shown(AppState& state) {
  auto screen = std::make_unique<Screen>(state);
  screen->resize(1040, 680);
  screen->show();
  settle();
  waitUntil([&] { return !screen->isWorking(); });
  settle();
  return screen;
}

void waitIdle(FileListScreen& screen) {
  settle();
  waitUntil([&] { return !screen.isWorking(); });
  settle();
}

// Records the save chooser's proposals and answers with `answer`.
struct FakeSaveChooser {
  UiServices saved = UiServices::shared();
  std::vector<QString> proposed;
  std::optional<std::string> answer;
  FakeSaveChooser() {
    UiServices::shared().chooseSaveFile = [this](QWidget*, const QString& name, UiServices::PathCallback done) {
      proposed.push_back(name);
      done(answer);
    };
  }
  ~FakeSaveChooser() { UiServices::shared() = saved; }
};

}  // namespace

TEST(LargeFilesView, WithoutAScanOnlyThePrompt) {
  AppFixture f;
  AppState state(f.environment());
  state.waitForBackgroundWork();
  for (bool types : {false, true}) {
    std::unique_ptr<FileListScreen> screen;
    if (types)
      screen = shown<TypesView>(state);
    else
      screen = shown<LargeFilesView>(state);
    auto* prompt = part<ScanPrompt>(*screen, names::fileListPrompt);
    ASSERT_TRUE(prompt);
    EXPECT_TRUE(prompt->isVisible());
    EXPECT_EQ(part<QLabel>(*prompt, names::scanPromptTitle)->text(),
              types ? QStringLiteral("Files by type") : QStringLiteral("Large and old files"));
    EXPECT_FALSE(screen->filterBar()->isVisible());
    EXPECT_FALSE(screen->filesTable()->isVisible());
  }
}

TEST(LargeFilesView, ListsFiltersAndKeepsTheFilterInTheStore) {
  FixtureHome h;
  auto screen = shown<LargeFilesView>(*h.state);
  EXPECT_EQ(part<PageHeader>(*screen, names::pageHeader)->title(), QStringLiteral("Large & Old"));
  EXPECT_EQ(part<PageHeader>(*screen, names::pageHeader)->subtitle(),
            QStringLiteral("Every scanned file. Sort by any column and combine filters."));
  // Every recorded file, in scan order in the list, largest first in the table.
  EXPECT_EQ(screen->list().nodes, h.state->scan()->files);
  EXPECT_EQ(rows(*screen).front(), "installer.dmg");
  QLabel* result = part<QLabel>(*screen, names::filterResult);
  int64_t total = 0;
  for (const FileNode* n : h.state->scan()->files) total += get(n->size);
  EXPECT_EQ(result->text(), resultLineText(7, total));

  // Typing searches names and goes straight into the store.
  QTest::keyClicks(screen->filterBar()->searchField(), QStringLiteral("HOLI"));
  EXPECT_EQ(h.state->largeFilter().query, "HOLI");
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), std::vector<std::string>{"holiday.mov"});
  // With a slash the query searches paths.
  QTest::keyClicks(screen->filterBar()->searchField(), QStringLiteral("/"));
  waitIdle(*screen);
  EXPECT_TRUE(listed(*screen).empty());
  EXPECT_EQ(result->text(), QStringLiteral("0 files · Zero KB"));
  QTest::mouseClick(part<QToolButton>(*screen, names::filterClear), Qt::LeftButton);
  screen->filterBar()->searchField()->setFocus();
  QTest::keyClicks(screen->filterBar()->searchField(), QStringLiteral("movies/trip/"));
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), std::vector<std::string>{"holiday.mov"});
  QTest::mouseClick(part<QToolButton>(*screen, names::filterClear), Qt::LeftButton);

  // The size and age options at their boundaries, through the pickers.
  // (archive.zip is 4 KiB under 1 MiB; clip.mp4 is exactly 1 MiB and exactly 30 days old.)
  pick(part<QComboBox>(*screen, names::filterSize), QStringLiteral("> 1 MB"));
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), h.inScanOrder({"holiday.mov", "clip.mp4", "report.pdf", "installer.dmg"}));
  pick(part<QComboBox>(*screen, names::filterAge), QStringLiteral("Unchanged > 1 month"));
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), h.inScanOrder({"holiday.mov", "clip.mp4", "report.pdf", "installer.dmg"}));
  pick(part<QComboBox>(*screen, names::filterSize), QStringLiteral("Any size"));
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), h.inScanOrder({"holiday.mov", "clip.mp4", "report.pdf", "installer.dmg", "archive.zip"}));
  pick(part<QComboBox>(*screen, names::filterSize), QStringLiteral("> 1 MB"));
  pick(part<QComboBox>(*screen, names::filterAge), QStringLiteral("> 3 months"));
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), h.inScanOrder({"holiday.mov", "report.pdf"}));
  EXPECT_EQ(h.state->largeFilter().minSize, 1'048'576);
  EXPECT_EQ(h.state->largeFilter().modifiedOlderThanDays, 90);

  // Chips narrow to kinds; the category picker to a category.
  QTest::mouseClick(chip(*screen, FileKind::video), Qt::LeftButton);
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), std::vector<std::string>{"holiday.mov"});
  EXPECT_EQ(h.state->largeFilter().kinds, std::set<FileKind>{FileKind::video});
  const StorageBucket holidayBucket = get(h.node("Movies/Trip/holiday.mov")->bucket);
  ASSERT_NE(holidayBucket, StorageBucket::applications);
  pick(part<QComboBox>(*screen, names::filterBucket), QStringLiteral("Applications"));
  waitIdle(*screen);
  EXPECT_TRUE(listed(*screen).empty());
  pick(part<QComboBox>(*screen, names::filterBucket),
       QCoreApplication::translate("StorageBucket", title(holidayBucket)));
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), std::vector<std::string>{"holiday.mov"});

  // The filter outlives the screen; the table's own state starts afresh.
  const FileFilter kept = h.state->largeFilter();
  screen->filesTable()->table()->clickHeader(0);
  screen.reset();
  auto again = shown<LargeFilesView>(*h.state);
  EXPECT_EQ(h.state->largeFilter(), kept);
  EXPECT_EQ(again->filterBar()->filter(), kept);
  EXPECT_TRUE(chip(*again, FileKind::video)->isChecked());
  EXPECT_EQ(again->filesTable()->table()->sortOrder(), defaultSortOrder());
}

TEST(LargeFilesView, AFilterSetElsewhereOpensTheScreenAndDeletedFilesLeave) {
  FixtureHome h;
  QWidget window;
  auto* router = new SectionRouter(*h.state, &window);
  router->resize(1040, 680);
  window.resize(1040, 680);
  window.show();
  // What a recommendation does: the filter first, then the section.
  FileFilter downloads;
  downloads.pathPrefix = h.tree.path("Downloads");
  h.state->setLargeFilter(downloads);
  h.state->setSection(AppSection::large);
  auto* screen = qobject_cast<LargeFilesView*>(router->currentScreen());
  ASSERT_TRUE(screen);
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), h.inScanOrder({"installer.dmg", "archive.zip"}));
  EXPECT_TRUE(part<QWidget>(*screen, names::filterFolderChip)->isVisible());
  EXPECT_EQ(part<ElidedLabel>(*screen, names::filterFolderText)->text(), QStringLiteral("~/Downloads"));

  // A file deleted, and a file inside a deleted folder, leave the list.
  QTest::mouseClick(part<QToolButton>(*screen, names::filterFolderClear), Qt::LeftButton);
  EXPECT_FALSE(h.state->largeFilter().pathPrefix);
  waitIdle(*screen);
  EXPECT_FALSE(part<QWidget>(*screen, names::filterFolderChip)->isVisible());
  EXPECT_EQ(screen->list().nodes.size(), 7u);
  screen->filesTable()->table()->setSelection({h.node("Movies/Trip/holiday.mov")->serial});
  h.state->pruneDeleted({h.tree.path("Movies/Trip"), h.tree.path("Music/song.mp3")});
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen),
            h.inScanOrder({"clip.mp4", "report.pdf", "say, \"hi\".txt", "installer.dmg", "archive.zip"}));
  EXPECT_EQ(rows(*screen).size(), 5u);
  EXPECT_TRUE(screen->filesTable()->table()->selection().empty());
}

TEST(LargeFilesView, ExportsTheFilteredListInScanOrder) {
  FixtureHome h;
  FakeSaveChooser chooser;
  TempDir out;
  auto screen = shown<LargeFilesView>(*h.state);
  pick(part<QComboBox>(*screen, names::filterSize), QStringLiteral("> 1 MB"));
  QTest::mouseClick(chip(*screen, FileKind::video), Qt::LeftButton);
  QTest::mouseClick(chip(*screen, FileKind::document), Qt::LeftButton);
  waitIdle(*screen);
  screen->filesTable()->table()->clickHeader(0);  // by name: clip, holiday, report
  waitIdle(*screen);
  ASSERT_EQ(rows(*screen), (std::vector<std::string>{"clip.mp4", "holiday.mov", "report.pdf"}));

  // Cancelled: nothing is written.
  QPushButton* csv = part<QPushButton>(*screen, names::filterExport);
  QTest::mouseClick(csv, Qt::LeftButton);
  EXPECT_EQ(chooser.proposed, std::vector<QString>{QStringLiteral("Tolvex-files.csv")});

  // Confirmed over an existing file: the file is replaced by the list in scan order.
  const std::string target = out / "list.csv";
  ASSERT_EQ(writeFileAtomically(target, "old"), 0);
  chooser.answer = target;
  QTest::mouseClick(csv, Qt::LeftButton);
  waitIdle(*screen);
  FileNode* holiday = h.node("Movies/Trip/holiday.mov");
  auto category = [](const FileNode* n) {
    return QCoreApplication::translate("StorageBucket", title(get(n->bucket))).toStdString();
  };
  const std::string holidayLine = "\"" + h.tree.path("Movies/Trip/holiday.mov") +
                                  "\",\"holiday.mov\",\"3145728\",\"3145728\",\"Video\",\"" + category(holiday) +
                                  "\",\"2025-12-11T08:00:00Z\"\n";
  const auto written = readWholeFile(target);
  ASSERT_TRUE(written);
  EXPECT_EQ(*written, csvText(h.nodesInScanOrder({"holiday.mov", "clip.mp4", "report.pdf"})));
  EXPECT_NE(written->find(holidayLine), std::string::npos);
  // Z to A in the table: the file is the same (one of the two orders differs from the scan's).
  screen->filesTable()->table()->clickHeader(0);
  waitIdle(*screen);
  ASSERT_EQ(rows(*screen), (std::vector<std::string>{"report.pdf", "holiday.mov", "clip.mp4"}));
  QTest::mouseClick(csv, Qt::LeftButton);
  waitIdle(*screen);
  EXPECT_EQ(readWholeFile(target), written);

  // A file whose name needs quoting, through the screen.
  screen->filterBar()->searchField()->setFocus();
  pick(part<QComboBox>(*screen, names::filterSize), QStringLiteral("Any size"));
  QTest::keyClicks(screen->filterBar()->searchField(), QStringLiteral("say"));
  waitIdle(*screen);
  QTest::mouseClick(csv, Qt::LeftButton);
  waitIdle(*screen);
  EXPECT_EQ(*readWholeFile(target), std::string(kCsvHeader) + "\"" + h.tree.path("Documents/say, \"\"hi\"\".txt") +
                                        "\",\"say, \"\"hi\"\".txt\",\"614400\",\"614400\",\"Documents\",\"" +
                                        category(h.node("Documents/say, \"hi\".txt")) +
                                        "\",\"2027-01-10T08:00:00Z\"\n");
  EXPECT_FALSE(part<QMessageBox>(*screen->window(), names::exportFailedMessage));

  // A place that cannot be written: the user is told, the old file stays as it was.
  chooser.answer = out / "missing/list.csv";
  QTest::mouseClick(csv, Qt::LeftButton);
  waitIdle(*screen);
  auto* failed = screen->window()->findChild<QMessageBox*>(QLatin1String(names::exportFailedMessage));
  ASSERT_TRUE(failed);
  EXPECT_TRUE(failed->text().contains(QStringLiteral("missing/list.csv")));
  failed->close();
  EXPECT_TRUE(csv->isEnabled());
  EXPECT_FALSE(pathExists(out / "missing"));
}

TEST(TypesView, TilesTheChosenKindItsNoteAndAFilterOfItsOwn) {
  FixtureHome h;
  FakeSaveChooser chooser;
  FileFilter largeFilter;
  largeFilter.minSize = 7;
  h.state->setLargeFilter(largeFilter);
  auto screen = shown<TypesView>(*h.state);
  EXPECT_EQ(part<PageHeader>(*screen, names::pageHeader)->title(), QStringLiteral("By File Type"));
  EXPECT_EQ(part<PageHeader>(*screen, names::pageHeader)->subtitle(),
            QStringLiteral("Based on each file’s extension, wherever it is."));
  // Nine tiles in the order of the scan's totals; video chosen first.
  const ScanResult& scan = *h.state->scan();
  std::vector<FileKind> order;
  for (KindTile* tile : screen->tiles()) {
    order.push_back(tile->kind());
    EXPECT_EQ(tile->size(), kindTotal(scan, tile->kind()));
    EXPECT_EQ(tile->count(), kindCount(scan, tile->kind()));
    EXPECT_EQ(tile->selected(), tile->kind() == FileKind::video);
  }
  EXPECT_EQ(order, kindTileOrder(scan));
  EXPECT_EQ(order.front(), FileKind::diskImage);  // 5 MiB of installers before 4 MiB of video
  auto tileOf = [&](FileKind kind) {
    for (KindTile* tile : screen->tiles())
      if (tile->kind() == kind) return tile;
    return static_cast<KindTile*>(nullptr);
  };
  KindTile* videoTile = tileOf(FileKind::video);
  EXPECT_EQ(videoTile->countText(), QStringLiteral("4 files"));
  EXPECT_EQ(videoTile->property("sfSymbol").toString(), QStringLiteral("film.fill"));
  EXPECT_TRUE(screen->findChildren<KindChip*>().isEmpty());
  EXPECT_TRUE(part<QComboBox>(*screen, names::filterBucket));

  // Two recorded videos; the two small ones are only counted, which the note says.
  EXPECT_EQ(listed(*screen), h.inScanOrder({"holiday.mov", "clip.mp4"}));
  QLabel* note = screen->smallFilesNote();
  EXPECT_TRUE(note->isVisible());
  EXPECT_EQ(note->text(), smallFilesNoteText(2));
  // Any filter hides the note; the filter stays the screen's own.
  QTest::keyClicks(screen->filterBar()->searchField(), QStringLiteral("c"));
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), std::vector<std::string>{"clip.mp4"});
  EXPECT_FALSE(note->isVisible());
  EXPECT_EQ(screen->filter().query, "c");
  EXPECT_EQ(h.state->largeFilter(), largeFilter);
  QTest::mouseClick(part<QToolButton>(*screen, names::filterClear), Qt::LeftButton);
  waitIdle(*screen);
  EXPECT_TRUE(note->isVisible());

  // Another tile: its files, its export name; the chosen tile clicked again changes nothing.
  KindTile* documents = tileOf(FileKind::document);
  QTest::mouseClick(documents, Qt::LeftButton);
  waitIdle(*screen);
  EXPECT_EQ(screen->kind(), FileKind::document);
  EXPECT_TRUE(documents->selected());
  EXPECT_FALSE(videoTile->selected());
  EXPECT_EQ(documents->emphasis(), 1.0);  // no animations in tests: the look follows at once
  EXPECT_EQ(videoTile->emphasis(), 0.0);
  EXPECT_EQ(listed(*screen), h.inScanOrder({"report.pdf", "say, \"hi\".txt"}));
  QTest::mouseClick(documents, Qt::LeftButton);
  EXPECT_EQ(screen->kind(), FileKind::document);
  QTest::mouseClick(part<QPushButton>(*screen, names::filterExport), Qt::LeftButton);
  EXPECT_EQ(chooser.proposed, std::vector<QString>{QStringLiteral("Tolvex-Documents.csv")});

  // A new visit starts with video and the empty filter; the Large & Old filter is untouched.
  pick(part<QComboBox>(*screen, names::filterAge), QStringLiteral("> 1 year"));
  screen.reset();
  auto again = shown<TypesView>(*h.state);
  EXPECT_EQ(again->kind(), FileKind::video);
  EXPECT_EQ(again->filter(), FileFilter{});
  EXPECT_EQ(h.state->largeFilter(), largeFilter);
}

TEST(FileListScreens, BuiltAndSortedOffTheUiThreadTheyShowTheSame) {
  FixtureHome h;
  auto quick = shown<LargeFilesView>(*h.state);
  auto screen = std::make_unique<LargeFilesView>(*h.state);
  screen->setBackgroundFiles(0);
  screen->filesTable()->setBackgroundRows(0);
  screen->resize(1040, 680);
  screen->show();
  waitIdle(*screen);
  EXPECT_EQ(screen->list().nodes, quick->list().nodes);
  EXPECT_EQ(rows(*screen), rows(*quick));

  // A burst of edits: only the last one's list is shown.
  QTest::keyClicks(screen->filterBar()->searchField(), QStringLiteral("report"));
  waitIdle(*screen);
  EXPECT_EQ(listed(*screen), std::vector<std::string>{"report.pdf"});
  QTest::mouseClick(part<QToolButton>(*screen, names::filterClear), Qt::LeftButton);
  waitIdle(*screen);
  screen->filesTable()->table()->clickHeader(0);
  screen->filesTable()->table()->clickHeader(0);  // Z to A before the first sort is back
  waitIdle(*screen);
  quick->filesTable()->table()->clickHeader(0);
  quick->filesTable()->table()->clickHeader(0);
  waitIdle(*quick);
  EXPECT_EQ(rows(*screen), rows(*quick));
  EXPECT_EQ(rows(*screen).front(), "song.mp3");

  // A new scan: the rows let go of the old tree the moment it is replaced, then show the new one.
  bool heldOldRows = true;
  QObject::connect(h.state.get(), &AppState::scanChanged, screen.get(),
                   [&] { heldOldRows = !screen->filesTable()->table()->rows().empty(); });
  h.tree.allocatedFile("Movies/new.mov", 1 << 20);
  const int64_t revision = h.state->revision();
  h.state->startScan(ScanTarget::folder(h.tree.base()));
  waitUntil([&] { return h.state->revision() != revision; }, 20000);
  EXPECT_FALSE(heldOldRows);
  waitIdle(*screen);
  EXPECT_EQ(screen->list().nodes.size(), 8u);
  EXPECT_EQ(rows(*screen).size(), 8u);
}

TEST(KindTile, TheChosenTileFillsInWithASpring) {
  struct AnimationsOn {
    QByteArray saved = qgetenv("TOLVEX_NO_ANIMATIONS");
    AnimationsOn() { qputenv("TOLVEX_NO_ANIMATIONS", "0"); }
    ~AnimationsOn() { qputenv("TOLVEX_NO_ANIMATIONS", saved); }
  } on;
  KindTile tile(FileKind::image);
  tile.setValues(10, 1, false);  // the first values are shown as they are
  EXPECT_EQ(tile.emphasis(), 0.0);
  tile.setValues(10, 1, true);
  EXPECT_LT(tile.emphasis(), 0.5);
  EXPECT_TRUE(waitUntil([&] { return std::abs(tile.emphasis() - 1.0) < 0.01; }));
  tile.setValues(10, 1, false);
  EXPECT_TRUE(waitUntil([&] { return std::abs(tile.emphasis()) < 0.01; }));
}
