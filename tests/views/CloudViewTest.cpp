// The iCloud Drive screen: its derived values as tables, and the screen over reports of a fake
// iCloud provider on a fixture home laid out like a Mac's (Library/Mobile Documents), over hand-made
// reports, and over this system's own provider, which has no iCloud.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <sys/stat.h>

#include "app/ObjectNames.h"
#include "app/components/StatTile.h"
#include "app/components/SymbolView.h"
#include "model/Formatting.h"
#include "platform/Paths.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "support/qt/FakeEngines.h"
#include "views/ExplorerFixture.h"
#include "views/analysis/SelectionBar.h"
#include "views/cleanup/CloudList.h"
#include "views/cleanup/CloudView.h"
#include "views/cleanup/logic/CloudSelection.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kMB = 1'000'000;

CloudItem item(const std::string& path, int64_t size, bool uploaded = true) {
  return {path, lastPathComponent(path), size, uploaded};
}

CloudFolder folder(const std::string& path, std::vector<CloudItem> items, int64_t cloudOnly = 0) {
  CloudFolder f{path, lastPathComponent(path), false, 0, cloudOnly, 0, std::move(items)};
  for (const CloudItem& i : f.items) f.localSize += i.size;
  return f;
}

CloudFolder numbered(const std::string& path, size_t count) {
  std::vector<CloudItem> items;
  for (size_t i = 0; i < count; ++i) items.push_back(item(path + "/f" + std::to_string(i), kMB));
  return folder(path, std::move(items));
}

// iCloud as a Mac would report the fixture files: everything downloaded; a file whose name holds
// "uploading" is not yet in iCloud whole, one whose name holds "cloudonly" is not downloaded. An
// eviction leaves the ".NAME.icloud" stand-in in the file's place, as iCloud does.
class FixtureCloud : public CloudProvider {
 public:
  std::optional<CloudResourceValues> resourceValues(const std::string& path) const override {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    CloudResourceValues v;
    v.isRegularFile = S_ISREG(st.st_mode);
    v.fileSize = st.st_size;
    v.totalFileAllocatedSize = static_cast<int64_t>(st.st_blocks) * 512;
    const std::string name = lastPathComponent(path);
    v.downloadingStatus = name.find("cloudonly") != std::string::npos ? CloudDownloadingStatus::notDownloaded
                                                                      : CloudDownloadingStatus::current;
    v.isUploaded = name.find("uploading") == std::string::npos;
    return v;
  }
  std::optional<std::string> evictUbiquitousItem(const std::string& path) const override {
    const std::string stub = parentPath(path) + "/." + lastPathComponent(path) + ".icloud";
    if (::rename(path.c_str(), stub.c_str()) != 0) return std::string("No such file.");
    return std::nullopt;
  }
  std::optional<std::string> applicationPath(const std::string&) const override { return std::nullopt; }
};

// A state whose iCloud engines are given by the test, and its iCloud Drive screen.
struct CloudScreen {
  AppFixture fixture;
  FakeServices services;
  std::unique_ptr<AppState> state;
  std::unique_ptr<CloudView> view;

  explicit CloudScreen(std::function<void(AppEnvironment&)> engines = {}) {
    AppEnvironment env = fixture.environment();
    if (engines) engines(env);
    state = std::make_unique<AppState>(env);
    state->waitForBackgroundWork();
  }
  ~CloudScreen() {
    view.reset();
    state->waitForBackgroundWork();
  }
  void show() {
    view = std::make_unique<CloudView>(*state);
    view->resize(1040, 680);
    view->show();
    settle();
  }
  void waitLoaded() {
    waitOrFail([&] { return state->cloud() && !state->cloudLoading(); }, "the iCloud report is published");
    settle();
  }

  CloudList* list() const { return view->list(); }
  CloudListModel* model() const { return list()->cloudModel(); }
  bool tilesShown() const {
    return view->findChild<QWidget*>(QLatin1String(names::cloudTiles))->isVisibleTo(view.get());
  }
  bool emptyShown() const {
    return view->findChild<QWidget*>(QLatin1String(names::cloudEmptyState))->isVisibleTo(view.get());
  }
  bool readingShown() const {
    return view->findChild<QWidget*>(QLatin1String(names::cloudReading))->isVisibleTo(view.get());
  }
  bool listShown() const { return list()->isVisibleTo(view.get()); }
  QString emptyTitle() const { return view->findChild<QLabel*>(QLatin1String(names::cloudEmptyTitle))->text(); }
  QString emptySymbol() const {
    return view->findChild<QWidget*>(QLatin1String(names::cloudEmptyState))->findChild<SymbolView*>()->symbol();
  }
  QString tileValue(int n) const { return view->findChildren<StatTile*>()[n]->value(); }
  QPushButton* refreshButton() const { return view->findChild<QPushButton*>(QLatin1String(names::cloudRefresh)); }
  SelectionBar* bar() const { return view->selectionBar(); }

  void click(const QRect& rect) {
    ASSERT_FALSE(rect.isEmpty());
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    settle();
  }
  void toggleFolder(const std::string& path) { click(list()->chevronRect(model()->rowOfFolder(path))); }
  void tickFolder(const std::string& path) { click(list()->checkRect(model()->rowOfFolder(path))); }
  void tickFile(const std::string& path) { click(list()->checkRect(model()->rowOfItem(path))); }
  void answerConfirmation(const char* button) {
    ASSERT_TRUE(view->confirmation());
    auto* b = view->confirmation()->findChild<QPushButton*>(QLatin1String(button));
    ASSERT_TRUE(b);
    QTest::mouseClick(b, Qt::LeftButton);
    settle();
  }
};

}  // namespace

// ---- Derived values ----------------------------------------------------------------------------

TEST(CloudSelection, AnOpenFolderListsAtMost300ItemsThenCountsTheRest) {
  struct Case {
    size_t items;
    bool open;
    size_t itemRows;
    int64_t more;  // 0: no "more" line
  };
  for (const Case& c : {Case{3, false, 0, 0}, Case{3, true, 3, 0}, Case{300, true, 300, 0}, Case{301, true, 300, 1},
                        Case{1000, true, 300, 700}}) {
    CloudReport report{{numbered("/i/A", c.items), folder("/i/empty", {}, 5 * kMB)}, true};
    const auto rows = cloudRows(report, c.open ? StringSet{"/i/A"} : StringSet{});
    size_t itemRows = 0;
    int64_t more = 0;
    for (const CloudRow& r : rows) {
      if (r.kind == CloudRow::Kind::item) ++itemRows;
      if (r.kind == CloudRow::Kind::more) more = r.more;
    }
    EXPECT_EQ(rows.front(), (CloudRow{CloudRow::Kind::folder, 0, 0, 0})) << c.items;
    EXPECT_EQ(itemRows, c.itemRows) << c.items;
    EXPECT_EQ(more, c.more) << c.items;
    // A folder without items is not listed.
    EXPECT_EQ(rows.size(), 1 + c.itemRows + (c.more ? 1 : 0)) << c.items;
  }
  EXPECT_EQ(cloudMoreText(1), QStringLiteral("… and 1 more"));
  EXPECT_EQ(cloudMoreText(1200), QStringLiteral("… and 1,200 more"));
}

TEST(CloudSelection, AFolderBoxCountsAndTicksOnlyItsUploadedFiles) {
  const CloudFolder mixed =
      folder("/i/M", {item("/i/M/a", 3 * kMB), item("/i/M/b", 2 * kMB), item("/i/M/u", kMB, false)});
  const CloudFolder uploading = folder("/i/U", {item("/i/U/x", kMB, false), item("/i/U/y", kMB, false)});
  struct Case {
    const char* what;
    const CloudFolder& folder;
    StringSet selected;
    bool on, faded, enabled;
  };
  const Case cases[] = {
      {"nothing selected", mixed, {}, false, false, true},
      {"some selected", mixed, {"/i/M/a"}, false, true, true},
      {"every uploaded file selected", mixed, {"/i/M/a", "/i/M/b"}, true, false, true},
      {"the uploading file selected alone", mixed, {"/i/M/u"}, false, false, true},
      {"all still uploading", uploading, {"/i/U/x"}, false, false, false},
  };
  for (const Case& c : cases) {
    const CloudFolderCheck check = cloudFolderCheck(c.folder, c.selected);
    EXPECT_EQ(check.on, c.on) << c.what;
    EXPECT_EQ(check.faded, c.faded) << c.what;
    EXPECT_EQ(check.enabled, c.enabled) << c.what;
  }
  // On adds the uploaded files only; off removes them and leaves a selected uploading file alone.
  EXPECT_EQ(cloudFolderToggled(mixed, {"/x"}, true), (StringSet{"/i/M/a", "/i/M/b", "/x"}));
  EXPECT_EQ(cloudFolderToggled(mixed, {"/i/M/a", "/i/M/b", "/i/M/u"}, false), (StringSet{"/i/M/u"}));
}

TEST(CloudSelection, SelectedFilesFollowTheReportAndUnknownPathsCountForNothing) {
  const std::optional<CloudReport> report =
      CloudReport{{folder("/i/A", {item("/i/A/big", 5 * kMB), item("/i/A/mid", 2 * kMB)}),
                   folder("/i/B", {item("/i/B/one", 3 * kMB, false)}, 7 * kMB), folder("/i/C", {}, 4 * kMB)},
                  true};
  const StringSet selected{"/i/B/one", "/i/A/mid", "/gone", "/i/A/big"};
  const auto files = cloudSelectedFiles(report, selected);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].path, "/i/A/big");  // folders in report order, items in folder order
  EXPECT_EQ(files[1].path, "/i/A/mid");
  EXPECT_EQ(files[2].path, "/i/B/one");
  EXPECT_EQ(cloudSelectedSize(files), 10 * kMB);
  EXPECT_EQ(prunedCloudSelection(report, selected), (StringSet{"/i/A/big", "/i/A/mid", "/i/B/one"}));
  EXPECT_TRUE(prunedCloudSelection(std::nullopt, selected).empty());
  EXPECT_TRUE(cloudSelectedFiles(std::nullopt, selected).empty());

  const CloudTotals totals = cloudTotals(*report);
  EXPECT_EQ(totals.onThisMac, 10 * kMB);
  EXPECT_EQ(totals.canBeFreed, 7 * kMB);
  EXPECT_EQ(totals.onlyInICloud, 11 * kMB);
  EXPECT_EQ(cloudDownloadedTotal(report), 10 * kMB);
  EXPECT_EQ(cloudDownloadedTotal(std::nullopt), std::nullopt);
  EXPECT_EQ(cloudShownFolders(*report), (std::vector<size_t>{0, 1}));

  EXPECT_EQ(cloudFolderCaption(report->folders[0]), QStringLiteral("2 downloaded files"));
  EXPECT_EQ(cloudFolderCaption(report->folders[1]), QStringLiteral("1 downloaded files · 7 MB more only in iCloud"));
  EXPECT_EQ(cloudBody(std::nullopt), CloudBody::reading);
  EXPECT_EQ(cloudBody(CloudReport{{}, false}), CloudBody::notInUse);
  EXPECT_EQ(cloudBody(*report), CloudBody::summary);
}

// ---- The screen --------------------------------------------------------------------------------

TEST(CloudView, OnThisSystemWithoutICloudItShowsTheNotInUseState) {
  // The real inspection and the system's own provider on a home without "Library/Mobile Documents".
  CloudScreen s;
  s.show();
  s.waitLoaded();
  EXPECT_FALSE(s.state->cloud()->isAvailable);
  EXPECT_TRUE(s.emptyShown());
  EXPECT_FALSE(s.tilesShown());
  EXPECT_FALSE(s.listShown());
  EXPECT_EQ(s.emptyTitle(), QStringLiteral("iCloud Drive isn’t in use on this Mac"));
  EXPECT_EQ(s.emptySymbol(), QStringLiteral("icloud.slash"));
  EXPECT_FALSE(s.bar()->isVisibleTo(s.view.get()));
  EXPECT_TRUE(s.refreshButton()->isEnabled());
}

TEST(CloudView, ReadsOnTheFirstVisitOnlyAndKeepsThePreviousReportWhileRefreshing) {
  Scripted<CloudReport> inspection;
  inspection.answer(CloudReport{{folder("/i/C", {}, 9 * kMB)}, true});
  auto first = inspection.holdCall(1);
  auto second = inspection.holdCall(2);
  CloudScreen s([&](AppEnvironment& env) { env.inspectICloud = [inspection] { return inspection.take(); }; });
  s.show();
  EXPECT_TRUE(s.readingShown());
  EXPECT_FALSE(s.tilesShown());
  EXPECT_FALSE(s.refreshButton()->isEnabled());
  first->open();
  s.waitLoaded();
  // Folders without items: the tiles and "Nothing big is downloaded".
  EXPECT_TRUE(s.tilesShown());
  EXPECT_TRUE(s.emptyShown());
  EXPECT_EQ(s.emptyTitle(), QStringLiteral("Nothing big is downloaded"));
  EXPECT_EQ(s.emptySymbol(), QStringLiteral("checkmark.icloud"));
  EXPECT_EQ(s.tileValue(0), QStringLiteral("Zero KB"));
  EXPECT_EQ(s.tileValue(2), QStringLiteral("9 MB"));

  // A refresh keeps the report on screen and disables the button; a second visit reads nothing.
  QTest::mouseClick(s.refreshButton(), Qt::LeftButton);
  settle();
  EXPECT_FALSE(s.refreshButton()->isEnabled());
  EXPECT_TRUE(s.emptyShown());
  second->open();
  s.waitLoaded();
  EXPECT_EQ(inspection.calls(), 2);
  s.show();
  s.state->waitForBackgroundWork();
  EXPECT_EQ(inspection.calls(), 2);
}

TEST(CloudView, OpenFoldersShow300RowsAndCountTheRest) {
  CloudScreen s([](AppEnvironment& env) {
    env.inspectICloud = [] { return CloudReport{{numbered("/i/Big", 301), numbered("/i/Exact", 300)}, true}; };
  });
  s.show();
  s.waitLoaded();
  EXPECT_EQ(s.model()->rowCount(), 2);
  EXPECT_EQ(s.model()->index(1).data(Qt::AccessibleDescriptionRole).toString(), QStringLiteral("Expand"));
  s.toggleFolder("/i/Exact");
  EXPECT_EQ(s.model()->index(1).data(Qt::AccessibleDescriptionRole).toString(), QStringLiteral("Collapse"));
  EXPECT_EQ(s.model()->rowCount(), 302);
  s.toggleFolder("/i/Big");
  ASSERT_EQ(s.model()->rowCount(), 2 + 300 + 1 + 300);
  EXPECT_EQ(s.model()->index(301).data().toString(), QStringLiteral("… and 1 more"));
  EXPECT_EQ(s.view->expanded(), (StringSet{"/i/Big", "/i/Exact"}));
  s.toggleFolder("/i/Big");
  EXPECT_EQ(s.model()->rowCount(), 302);
}

TEST(CloudView, TicksFilesAndFoldersOfRealDownloadsAndRemovesThemAfterConfirming) {
  auto provider = std::make_shared<FixtureCloud>();
  CloudScreen s([provider](AppEnvironment& env) {
    env.inspectICloud = [provider, home = env.places.home] { return inspectICloud(home, *provider); };
    env.evictICloudItems = [provider](const std::vector<CloudItem>& items) {
      return evictICloudItems(items, *provider);
    };
  });
  TreeBuilder drive(s.fixture.home / "Library/Mobile Documents/com~apple~CloudDocs");
  const std::string photo = drive.allocatedFile("Photos/beach.jpg", 3 << 20);
  const std::string movie = drive.allocatedFile("Photos/trip.mov", 2 << 20);
  const std::string uploading = drive.allocatedFile("Photos/uploading-clip.mov", 1 << 20);
  drive.file("Photos/cloudonly-album.zip", 7 * kMB);
  const std::string notes = TreeBuilder(s.fixture.home / "Library/Mobile Documents/iCloud~com~example~notes")
                                .allocatedFile("Documents/notes.db", 2 << 20);
  const std::string photos = drive.path("Photos");
  s.show();
  s.waitLoaded();
  ASSERT_EQ(s.model()->rowCount(), 2);
  EXPECT_EQ(s.model()->index(0).data().toString(), QStringLiteral("Photos"));
  EXPECT_EQ(s.tileValue(1), QString::fromStdString(formatBytes(7 << 20)));

  // A file box, then the folder box: the uploaded files only, never the one still uploading.
  s.toggleFolder(photos);
  s.tickFile(photo);
  EXPECT_EQ(s.view->selected(), (StringSet{photo}));
  EXPECT_TRUE(cloudFolderCheck(*s.model()->folder(0), s.view->selected()).faded);
  s.tickFile(uploading);
  EXPECT_EQ(s.view->selected(), (StringSet{photo}));
  s.tickFolder(photos);
  EXPECT_EQ(s.view->selected(), (StringSet{photo, movie}));
  s.tickFolder(photos);
  EXPECT_TRUE(s.view->selected().empty());
  s.tickFolder(photos);
  s.tickFolder(notes.substr(0, notes.find("/Documents")));
  // Collapsing keeps the files selected; they count in the bar.
  s.toggleFolder(photos);
  EXPECT_EQ(s.bar()->values().count, 3);
  EXPECT_EQ(s.bar()->values().size, (3 << 20) + (2 << 20) + (2 << 20));
  EXPECT_EQ(s.bar()->values().actionTitle, QStringLiteral("Remove Downloads…"));

  // Cancel keeps the selection.
  emit s.bar()->actionRequested();
  ASSERT_TRUE(s.view->confirmation());
  EXPECT_EQ(s.view->confirmation()->text(), QStringLiteral("Remove the downloads of 3 files?"));
  s.answerConfirmation(names::cloudConfirmCancel);
  EXPECT_FALSE(s.view->confirmation());
  EXPECT_EQ(s.view->selected().size(), 3u);
  EXPECT_TRUE(pathExists(photo));

  emit s.bar()->actionRequested();
  s.answerConfirmation(names::cloudConfirmRemove);
  EXPECT_TRUE(s.view->selected().empty());
  EXPECT_FALSE(s.bar()->isVisibleTo(s.view.get()));
  s.waitLoaded();
  ASSERT_TRUE(s.state->toast());
  EXPECT_EQ(s.state->toast()->message, QString::fromStdString(formatBytes(7 << 20)) + QStringLiteral(" freed"));
  EXPECT_FALSE(pathExists(photo));
  EXPECT_TRUE(pathExists(uploading));
  EXPECT_TRUE(pathExists(drive.path("Photos/.beach.jpg.icloud")));
  // Only the file still uploading is left downloaded.
  ASSERT_EQ(s.model()->rowCount(), 1);
  EXPECT_EQ(s.view->expanded(), StringSet{});
}

TEST(CloudView, DeselectAndReloadsPruneTheSelectionOnlyWhenTheTotalChanges) {
  auto answer = std::make_shared<CloudReport>(
      CloudReport{{folder("/i/A", {item("/i/A/a", 4 * kMB), item("/i/A/b", 2 * kMB)})}, true});
  auto mutex = std::make_shared<std::mutex>();
  CloudScreen s([answer, mutex](AppEnvironment& env) {
    env.inspectICloud = [answer, mutex] {
      std::lock_guard lock(*mutex);
      return *answer;
    };
  });
  s.show();
  s.waitLoaded();
  s.toggleFolder("/i/A");
  s.tickFolder("/i/A");
  ASSERT_EQ(s.view->selected(), (StringSet{"/i/A/a", "/i/A/b"}));
  emit s.bar()->clearRequested();
  settle();
  EXPECT_TRUE(s.view->selected().empty());
  EXPECT_EQ(s.view->expanded(), StringSet{"/i/A"});  // the open folder stays open
  s.tickFolder("/i/A");

  // "b" is gone but another file makes up the same total: "b" stays selected and counts for nothing.
  {
    std::lock_guard lock(*mutex);
    *answer = CloudReport{{folder("/i/A", {item("/i/A/a", 4 * kMB), item("/i/A/c", 2 * kMB)})}, true};
  }
  s.view->load();
  s.waitLoaded();
  EXPECT_EQ(s.view->selected(), (StringSet{"/i/A/a", "/i/A/b"}));
  EXPECT_EQ(s.bar()->values().count, 1);
  // A total that changes keeps only the paths still in the report.
  {
    std::lock_guard lock(*mutex);
    *answer = CloudReport{{folder("/i/A", {item("/i/A/a", 4 * kMB)})}, true};
  }
  s.view->load();
  s.waitLoaded();
  EXPECT_EQ(s.view->selected(), (StringSet{"/i/A/a"}));
}

TEST(CloudView, WhileEvictingTheListIsCoveredAndRefreshDisabled) {
  Scripted<EvictionReport> eviction;
  auto held = eviction.holdCall(1);
  CloudScreen s([&](AppEnvironment& env) {
    env.inspectICloud = [] { return CloudReport{{folder("/i/A", {item("/i/A/a", 4 * kMB, true)})}, true}; };
    env.evictICloudItems = [eviction](const std::vector<CloudItem>&) { return eviction.take(); };
  });
  s.show();
  s.waitLoaded();
  EXPECT_FALSE(s.list()->isLoadingShown());
  s.toggleFolder("/i/A");
  s.tickFile("/i/A/a");
  s.view->removeDownloads();
  EXPECT_TRUE(s.list()->isLoadingShown());
  EXPECT_FALSE(s.refreshButton()->isEnabled());
  EXPECT_TRUE(s.listShown());  // the previous report stays on screen
  held->open();
  s.waitLoaded();
  EXPECT_FALSE(s.list()->isLoadingShown());
  EXPECT_TRUE(s.refreshButton()->isEnabled());
}

TEST(CloudView, ShowInFinderRevealsTheFileAndAnUploadingFileCannotBeTicked) {
  auto real = std::make_shared<std::string>();
  CloudScreen s([real](AppEnvironment& env) {
    env.inspectICloud = [real] { return CloudReport{{folder("/i/A", {item(*real, 4 * kMB, false)})}, true}; };
  });
  *real = TreeBuilder(s.fixture.home.home()).file("Downloads/clip.mov", 1);
  s.show();
  s.waitLoaded();
  s.toggleFolder("/i/A");
  EXPECT_EQ(s.list()->menuFor(0), nullptr);  // folder rows have no menu
  EXPECT_EQ(s.model()->index(1).data(Qt::ToolTipRole).toString(),
            QStringLiteral("Its download can be removed once iCloud has the whole file."));
  std::unique_ptr<QMenu> menu(s.list()->menuFor(1));
  ASSERT_TRUE(menu);
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("Show in Finder"));
  menu->actions().front()->trigger();
  EXPECT_EQ(s.services.revealed, std::vector<std::string>{*real});
  s.tickFile(*real);
  EXPECT_TRUE(s.view->selected().empty());  // still uploading: its box is disabled
  s.tickFolder("/i/A");
  EXPECT_TRUE(s.view->selected().empty());
}

TEST(CloudView, TheRouterShowsItForTheCloudSection) {
  AppFixture f;
  AppState state(f.environment());
  state.waitForBackgroundWork();
  std::unique_ptr<QWidget> screen(SectionRouter::makeScreen(AppSection::cloud, state));
  EXPECT_TRUE(qobject_cast<CloudView*>(screen.get()));
  state.waitForBackgroundWork();
}
