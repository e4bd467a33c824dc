#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/ObjectNames.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/ElidedLabel.h"
#include "app/services/UiServices.h"
#include "model/SafetyVerdict.h"
#include "platform/Paths.h"
#include "shell/ConfirmDeletionDialog.h"
#include "shell/MainWindow.h"
#include "shell/ScanToolbar.h"
#include "shell/SectionRouter.h"
#include "shell/Sidebar.h"
#include "shell/ToastView.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

template <typename T>
T* find(QWidget& root, const char* name) {
  return root.findChild<T*>(QString::fromLatin1(name));
}

QListWidgetItem* rowFor(QListWidget* list, AppSection section) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->data(Qt::AccessibleDescriptionRole).toString() == rawValue(section)) return list->item(i);
  return nullptr;
}

// Replaces the folder chooser for the life of the object.
struct FakeChooser {
  UiServices saved = UiServices::shared();
  explicit FakeChooser(std::optional<std::string> answer) {
    UiServices::shared().chooseFolder = [answer](QWidget*, const QString&, UiServices::PathCallback done) {
      done(answer);
    };
  }
  ~FakeChooser() { UiServices::shared() = saved; }
};

}  // namespace

TEST(MainWindow, SidebarListsTheFifteenSectionsAndFollowsTheState) {
  AppFixture f;
  AppState state(f.environment());
  MainWindow window(state);
  window.show();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Tolvex"));
  EXPECT_GE(window.minimumWidth(), 1040);
  EXPECT_GE(window.minimumHeight(), 680);
  auto* list = find<QListWidget>(window, names::sidebarList);
  ASSERT_TRUE(list);
  int rows = 0;
  for (int i = 0; i < list->count(); ++i) rows += list->item(i)->data(Qt::AccessibleDescriptionRole).isValid();
  EXPECT_EQ(rows, 15);
  QStringList headers;
  for (int i = 0; i < list->count(); ++i)
    if (!list->item(i)->data(Qt::AccessibleDescriptionRole).isValid() && !list->item(i)->text().isEmpty())
      headers << list->item(i)->text();
  EXPECT_EQ(headers, (QStringList{"Simple", "Analyze", "Apps", "Clean Up"}));

  for (AppSection section : kAllSections) {
    QListWidgetItem* row = rowFor(list, section);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->text(), title(section));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row).center());
    EXPECT_EQ(state.section(), section);
    QCoreApplication::processEvents();
    ASSERT_TRUE(window.router()->currentScreen());
    EXPECT_EQ(window.router()->currentScreen()->property("section").toString(), rawValue(section));
  }
  state.setSection(AppSection::junk);
  EXPECT_EQ(list->currentItem(), rowFor(list, AppSection::junk));
}

// Each opening of the window starts the background services again: one tick at once (the volume is
// read) and a fresh timer.
TEST(MainWindow, EveryOpeningStartsTheBackgroundServices) {
  AppFixture f;
  auto env = f.environment();
  auto reads = std::make_shared<std::atomic<int>>(0);
  env.readVolume = [reads, read = env.readVolume] {
    ++*reads;
    return read();
  };
  AppState state(env);
  const int atStart = reads->load();
  MainWindow window(state);
  window.show();
  EXPECT_EQ(reads->load(), atStart + 1);
  window.hide();
  window.show();
  EXPECT_EQ(reads->load(), atStart + 2);
}

TEST(MainWindow, ShortcutsScanAndSwitchToQuickClean) {
  AppFixture f;
  auto env = f.environment();
  std::atomic<int> walks{0};
  std::string lastRoot;
  env.walk = [&](Scanner&, const std::string& root, const std::set<std::string>&, const Scanner::Progress&) {
    ++walks;
    lastRoot = root;
    return std::optional<ScanResult>();
  };
  AppState state(env);
  MainWindow window(state);
  window.show();
  QApplication::setActiveWindow(&window);
  state.setSection(AppSection::history);
  QTest::keyClick(&window, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(state.section(), AppSection::smartClean);
  QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(state.scanTarget(), ScanTarget::home());
  ASSERT_TRUE(waitUntil([&] { return !state.isScanning(); }));
  QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ(state.scanTarget(), ScanTarget::wholeDisk());
  state.waitForBackgroundWork();
  EXPECT_EQ(walks.load(), 2);
}

TEST(MainWindow, ChoosingAFolderScansItWithProgressThenShowsTheResult) {
  AppFixture f;
  TreeBuilder tree(f.home / "Projects");
  for (int i = 0; i < 3000; ++i) tree.file("many/f" + std::to_string(i), 1);
  tree.allocatedFile("big.bin", 1024 * 1024);
  auto env = f.environment();
  auto gate = std::make_shared<Gate>();
  auto walk = env.walk;
  env.walk = [gate, walk](Scanner& s, const std::string& root, const std::set<std::string>& ex,
                          const Scanner::Progress& progress) {
    progress(1024, 4096, root + "/many");
    gate->wait();
    return walk(s, root, ex, progress);
  };
  AppState state(env);
  MainWindow window(state);
  window.show();
  waitUntil([&] { return !state.isRestoringScan(); });
  auto* scan = find<QToolButton>(window, names::scanButton);
  ASSERT_TRUE(scan);
  EXPECT_EQ(scan->text(), QStringLiteral("Scan"));
  auto* toolbar = find<QWidget>(window, names::mainToolbar);
  const int toolbarHeight = toolbar->height();
  EXPECT_EQ(scan->toolTip(), QStringLiteral("Scan: Entire disk"));

  FakeChooser chooser(tree.base());
  QAction* choose = window.findChild<QAction*>(QString::fromLatin1(names::scanMenuFolder));
  ASSERT_TRUE(choose);
  choose->trigger();
  EXPECT_TRUE(state.isScanning());
  ASSERT_TRUE(waitUntil([&] { return state.progress().files == 1024; }));
  QCoreApplication::processEvents();
  EXPECT_FALSE(scan->isVisible());
  auto* counts = find<QLabel>(window, names::scanProgressCounts);
  ASSERT_TRUE(counts && counts->isVisible());
  EXPECT_EQ(counts->text(), QStringLiteral("1,024 files · 4 KB"));
  EXPECT_EQ(find<QWidget>(window, names::scanToolbar)->findChild<QWidget*>(names::scanStopButton)->isVisible(), true);
  // Starting a scan keeps the toolbar's height; the path line gets all the height it asks for; the
  // busy indicator is a small spinner, not a bar.
  EXPECT_EQ(toolbar->height(), toolbarHeight);
  auto* path = find<ElidedLabel>(window, names::scanProgressPath);
  EXPECT_GE(path->height(), path->sizeHint().height());
  auto* spinner = find<ActivitySpinner>(window, names::scanSpinner);
  ASSERT_TRUE(spinner && spinner->isVisible());
  EXPECT_EQ(spinner->width(), spinner->height());

  gate->open();
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }));
  QCoreApplication::processEvents();
  EXPECT_TRUE(scan->isVisible());
  EXPECT_EQ(toolbar->height(), toolbarHeight);
  EXPECT_EQ(scan->text(), QStringLiteral("Rescan"));
  EXPECT_EQ(scan->toolTip(), QStringLiteral("Scan: Projects"));
  EXPECT_TRUE(find<QLabel>(window, names::diskFooterFree)->text().endsWith(QStringLiteral(" free")));
  EXPECT_EQ(find<QLabel>(window, names::diskFooterName)->text(), QStringLiteral("Disk"));
  state.waitForBackgroundWork();
}

TEST(MainWindow, StopEndsTheScanAndBringsBackTheButton) {
  AppFixture f;
  TreeBuilder tree(f.home / "Projects");
  tree.file("a.txt", 10);
  auto env = f.environment();
  auto gate = std::make_shared<Gate>();
  auto walk = env.walk;
  env.walk = [gate, walk](Scanner& s, const std::string& root, const std::set<std::string>& ex,
                          const Scanner::Progress& progress) {
    gate->wait();
    return walk(s, root, ex, progress);
  };
  AppState state(env);
  MainWindow window(state);
  window.show();
  state.startScan(ScanTarget::folder(tree.base()));
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  auto* stop = find<QPushButton>(window, names::scanStopButton);
  ASSERT_TRUE(stop && stop->isVisible());
  QTest::mouseClick(stop, Qt::LeftButton);
  EXPECT_FALSE(state.isScanning());
  EXPECT_TRUE(find<QToolButton>(window, names::scanButton)->isVisible());
  gate->open();
  state.waitForBackgroundWork();
  QCoreApplication::processEvents();
  EXPECT_FALSE(state.scan());
}

TEST(DiskFooter, LowSpaceAndMissingVolume) {
  struct Case {
    int64_t total, available;
    bool low;
  };
  for (const Case& c :
       {Case{1000, 99, true}, Case{1000, 100, false}, Case{0, 0, true}, Case{0, -5, true}, Case{1000, -1, true}})
    EXPECT_EQ(DiskFooter::isLow(c.total, c.available), c.low) << c.total << "/" << c.available;

  AppFixture f;
  auto env = f.environment();
  env.readVolume = [] { return std::optional<VolumeInfo>(); };
  AppState state(env);
  MainWindow window(state);
  window.show();
  EXPECT_FALSE(find<QWidget>(window, names::diskFooter)->isVisible());
  state.waitForBackgroundWork();
}

// The footer paints its bar inside its margins: the text row above starts and ends where the bar does.
TEST(DiskFooter, TextRowLinesUpWithTheBar) {
  AppFixture f;
  AppState state(f.environment());
  MainWindow window(state);
  window.resize(1040, 680);
  window.show();
  QCoreApplication::processEvents();
  auto* footer = find<QWidget>(window, names::diskFooter);
  ASSERT_TRUE(footer && footer->isVisible());
  const QMargins m = footer->contentsMargins();
  EXPECT_EQ(find<QWidget>(window, names::diskFooterIcon)->geometry().left(), m.left());
  EXPECT_EQ(find<QWidget>(window, names::diskFooterFree)->geometry().right() + 1, footer->width() - m.right());
  state.waitForBackgroundWork();
}

TEST(ScanToolbar, ProgressTextClampsNegativeBytes) {
  EXPECT_EQ(ScanToolbar::progressText(0, -5), QStringLiteral("0 files · Zero KB"));
  EXPECT_EQ(ScanToolbar::progressText(1234567, 1500000), QStringLiteral("1,234,567 files · 1.5 MB"));
}

TEST(MainWindow, PlansOpenOneSheetEachAndEndInAToastThatTimesOut) {
  AppFixture f;
  TreeBuilder tree(f.home / "files");
  const std::string safe = tree.file("safe.txt", 10), review = tree.file("review.txt", 10),
                    kept = tree.file("kept.txt", 10);
  auto env = f.environment();
  env.timings.toastMs = 300;
  AppState state(env);
  MainWindow window(state);
  window.show();
  state.waitForBackgroundWork();
  auto item = [](const std::string& path, Risk risk) {
    return PlanItem{path, lastPathComponent(path), 1000, Removal::trash, SafetyVerdict{risk, "why"}};
  };
  state.requestDeletion({item(safe, Risk::safe), item(review, Risk::review), item(kept, Risk::protected_)},
                        QStringLiteral("Delete Items"));
  auto sheets = window.findChildren<ConfirmDeletionDialog*>();
  ASSERT_EQ(sheets.size(), 1);
  ConfirmDeletionDialog* sheet = sheets[0];
  EXPECT_TRUE(sheet->isVisible());
  // A second plan replaces the sheet; its tick starts off.
  state.requestDeletion({item(safe, Risk::safe), item(review, Risk::review), item(kept, Risk::protected_)},
                        QStringLiteral("Delete Items"));
  QCoreApplication::processEvents();
  ConfirmDeletionDialog* second = nullptr;
  for (auto* s : window.findChildren<ConfirmDeletionDialog*>())
    if (s->isVisible()) second = s;
  ASSERT_TRUE(second);
  EXPECT_EQ(second->planId(), state.plan()->id);
  EXPECT_FALSE(second->acceptedReview());
  QTest::keyClick(second, Qt::Key_Return);  // confirms without the review items
  ASSERT_TRUE(waitUntil([&] { return state.toast().has_value(); }));
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(safe)));
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(review)));
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(kept)));
  auto* toast = window.findChild<ToastView*>();
  ASSERT_TRUE(toast);
  QCoreApplication::processEvents();
  EXPECT_TRUE(toast->isVisible());
  EXPECT_TRUE(state.toast()->message.endsWith(QStringLiteral(" moved to the Trash")));
  EXPECT_TRUE(waitUntil([&] { return !state.toast().has_value(); }, 3000));  // the scaled timeout
}

// However a sheet ends (Cancel, Escape, a newer plan, Delete), it is gone afterwards: asking for
// many deletions leaves no windows behind.
TEST(MainWindow, ConfirmationSheetsAreDeletedWhenTheyEnd) {
  AppFixture f;
  TreeBuilder tree(f.home / "files");
  AppState state(f.environment());
  MainWindow window(state);
  window.show();
  state.waitForBackgroundWork();
  auto plan = [&](const std::string& path) {
    state.requestDeletion(
        {PlanItem{path, lastPathComponent(path), 10, Removal::trash, SafetyVerdict{Risk::safe, "ok"}}},
        QStringLiteral("Delete Items"));
    QCoreApplication::processEvents();
  };
  auto open = [&] {
    ConfirmDeletionDialog* shown = nullptr;
    for (auto* sheet : window.findChildren<ConfirmDeletionDialog*>())
      if (sheet->isVisible()) shown = sheet;
    return shown;
  };
  auto live = [&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.findChildren<ConfirmDeletionDialog*>().size();
  };
  struct Case {
    const char* how;
    std::function<void(ConfirmDeletionDialog*)> end;
  };
  const Case cases[] = {
      {"Cancel",
       [](ConfirmDeletionDialog* d) {
         QTest::mouseClick(d->findChild<QPushButton*>(names::confirmCancel), Qt::LeftButton);
       }},
      {"Escape", [](ConfirmDeletionDialog* d) { QTest::keyClick(d, Qt::Key_Escape); }},
      {"a newer plan",
       [&](ConfirmDeletionDialog*) {
         plan(tree.file("newer.txt", 10));
         state.dismissPlan();
       }},
      {"Delete",
       [](ConfirmDeletionDialog* d) {
         QTest::mouseClick(d->findChild<QPushButton*>(names::confirmDelete), Qt::LeftButton);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    plan(tree.file(std::string(c.how) + ".txt", 10));
    ConfirmDeletionDialog* sheet = open();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(live(), 1);
    c.end(sheet);
    state.waitForBackgroundWork();
    QCoreApplication::processEvents();
    EXPECT_EQ(live(), 0);
  }
  state.waitForBackgroundWork();
}

TEST(MainWindow, TheApplicationMenuOpensWithAboutThenCheckForUpdates) {
  AppFixture f;
  AppState state(f.environment());
  MainWindow window(state);
  window.show();
  auto* menu = find<QMenu>(window, names::appMenu);
  ASSERT_TRUE(menu);
  QStringList texts;
  for (QAction* a : menu->actions()) texts << (a->isSeparator() ? QStringLiteral("—") : a->text());
  EXPECT_EQ(texts.mid(0, 2), (QStringList{"About Tolvex", "Check for Updates…"}));

  QAction* about = window.findChild<QAction*>(QString::fromLatin1(names::aboutAction));
  ASSERT_TRUE(about);
  about->trigger();
  about->trigger();  // a second time brings the same box forward
  QCoreApplication::processEvents();
  const auto boxes = window.findChildren<QDialog*>(QString::fromLatin1(names::aboutDialog));
  ASSERT_EQ(boxes.size(), 1);
  QDialog* box = boxes.front();
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->windowTitle(), QStringLiteral("About Tolvex"));
  EXPECT_EQ(find<QLabel>(*box, names::aboutName)->text(), QStringLiteral("Tolvex"));
  EXPECT_EQ(find<QLabel>(*box, names::aboutVersion)->text(), QStringLiteral("Version " TOLVEX_VERSION));
  EXPECT_FALSE(QStringLiteral(TOLVEX_VERSION).isEmpty());
  EXPECT_TRUE(find<QLabel>(*box, names::aboutText)->text().contains(QStringLiteral("disk")));
  QTest::keyClick(box, Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.findChildren<QDialog*>(QString::fromLatin1(names::aboutDialog)).isEmpty());
  state.waitForBackgroundWork();
}
