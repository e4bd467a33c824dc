// The Duplicates screen over real files: the search with its progress, the groups with the suggested
// original, the selection, the keep-one rule, deleting through the plan and sharing space, on the
// temporary disk (which cannot share) and on a reflink XFS image where one can be mounted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "app/ObjectNames.h"
#include "app/components/PageHeader.h"
#include "app/components/SymbolView.h"
#include "shell/ToastView.h"
#include "engines/APFSClone.h"
#include "model/Formatting.h"
#include "support/XfsImage.h"
#include "views/ExplorerFixture.h"
#include "views/analysis/SelectionBar.h"
#include "views/cleanup/DuplicatesList.h"
#include "views/cleanup/DuplicatesView.h"

namespace tolvex {
namespace {

using namespace tolvex::test;
using Face = DuplicatesView::Face;

// Holds each call of a wrapped engine at a gate of its own while the test wants to look.
struct Hold {
  std::shared_ptr<std::atomic<bool>> on = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<Gate> gate = std::make_shared<Gate>();
  void wait() const {
    if (*on) gate->wait();
  }
};

// Copies of identical bytes under `base`: three of 2,100,000 bytes (the one in photos/ oldest, dated
// 1 January 1970), two of 1,600,000, and one file like no other.
struct CopiesOnDisk {
  TreeBuilder tree;
  explicit CopiesOnDisk(const std::string& base) : tree(base) {
    tree.file("photos/beach.jpg", 2'100'000);
    tree.file("backup/beach.jpg", 2'100'000);
    tree.file("old/beach copy.jpg", 2'100'000);
    tree.file("docs/manual.pdf", 1'600'000);
    tree.file("Downloads/manual.pdf", 1'600'000);
    tree.file("unique.bin", 1'300'000);
    tree.times("photos/beach.jpg", 0, 0);
    tree.times("backup/beach.jpg", 86'401, 86'401);
    tree.times("old/beach copy.jpg", 1.6e9, 1.6e9);
    tree.times("docs/manual.pdf", 1.5e9, 1.5e9);
    tree.times("Downloads/manual.pdf", 1.6e9, 1.6e9);
  }
};

struct DuplicatesHarness {
  AppFixture f;
  Hold search;
  Hold clone;
  std::shared_ptr<std::atomic<bool>> findNothing = std::make_shared<std::atomic<bool>>(false);
  std::unique_ptr<AppState> state;
  std::unique_ptr<QWidget> window;
  DuplicatesView* view = nullptr;

  DuplicatesHarness() {
    AppEnvironment env = f.environment();
    env.findDuplicates = [search = search, nothing = findNothing](const ScanResult& scan, int64_t minimum,
                                                                  const DuplicateProgress& progress) {
      progress(0.25);
      search.wait();
      if (*nothing) return std::vector<DuplicateGroup>{};
      return findDuplicates(scan, minimum, progress);
    };
    env.replaceWithClone = [clone = clone](const std::string& duplicate, const std::string& keeper) {
      clone.wait();
      return APFSClone::replaceWithClone(duplicate, keeper);
    };
    state = std::make_unique<AppState>(env);
    waitOrFail([&] { return !state->isRestoringScan(); }, "the start-up has finished");
  }
  ~DuplicatesHarness() {
    window.reset();
    state->waitForBackgroundWork();
    QCoreApplication::processEvents();
  }

  void scan(const std::string& folder) {
    state->startScan(ScanTarget::folder(folder));
    waitOrFail([&] { return state->scan().has_value() && !state->isScanning(); }, "the scan has finished", 20000);
  }
  DuplicatesView* open() {
    window = std::make_unique<QWidget>();
    window->resize(1040, 680);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    view = new DuplicatesView(*state, window.get());
    layout->addWidget(view);
    window->show();
    settle();
    return view;
  }
  void find() {
    QTest::mouseClick(view->findButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !state->duplicatesProgress(); }));
    settle();
  }

  DuplicatesListModel* model() const { return view->list()->duplicatesModel(); }
  QModelIndex index(int row) const { return model()->index(row); }
  // The file rows as "name" with "*" for a ticked box, "(original)" and "(shares)" as shown.
  std::vector<QString> rows() const {
    std::vector<QString> out;
    for (int r = 0; r < model()->rowCount(); ++r) {
      const QModelIndex i = index(r);
      if (i.data(DuplicatesListModel::IsHeaderRole).toBool()) {
        out.push_back("# " + i.data().toString());
        continue;
      }
      QString row = i.data().toString();
      if (i.data(DuplicatesListModel::CheckedRole).toBool()) row += " *";
      if (i.data(DuplicatesListModel::IsOriginalRole).toBool()) row += " (original)";
      if (i.data(DuplicatesListModel::SharesSpaceRole).toBool()) row += " (shares)";
      out.push_back(row);
    }
    return out;
  }
  int rowOf(const std::string& path) const {
    for (int r = 0; r < model()->rowCount(); ++r)
      if (index(r).data(DuplicatesListModel::PathRole).toString() == QString::fromStdString(path)) return r;
    ADD_FAILURE() << "no row for " << path;
    return -1;
  }
  void tick(int row) {
    view->list()->scrollTo(index(row));
    settle();
    const QRect box = DuplicatesListDelegate::checkRect(view->list()->visualRect(index(row)));
    QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, box.center());
    settle();
  }
  SelectionBar* bar() const { return view->selectionBar(); }
  QString barText(const char* name) const { return bar()->findChild<QLabel*>(QLatin1String(name))->text(); }
  void pressBar(const char* name) {
    QTest::mouseClick(bar()->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    settle();
  }
  QString bytes(int64_t n) const { return QString::fromStdString(formatBytes(n)); }
};

TEST(DuplicatesView, WithoutAScanOnlyThePromptAndNoFindButton) {
  DuplicatesHarness h;
  DuplicatesView* view = h.open();
  EXPECT_EQ(view->face(), Face::prompt);
  EXPECT_FALSE(view->findButton()->isVisible());
  EXPECT_EQ(view->header()->title(), "Duplicates");
  auto* title = view->findChild<QLabel*>(QLatin1String(names::scanPromptTitle));
  ASSERT_TRUE(title);
  EXPECT_EQ(title->text(), "Scan your disk first");
  EXPECT_EQ(view->findChild<QLabel*>(QLatin1String(names::scanPromptMessage))->text(),
            "Duplicates are found among the files from the last scan.");
}

TEST(DuplicatesView, TheSearchShowsItsProgressThenTheGroupsOldestCopyFirst) {
  DuplicatesHarness h;
  CopiesOnDisk copies(h.f.home / "dups");
  h.scan(copies.tree.base());
  DuplicatesView* view = h.open();
  EXPECT_EQ(view->face(), Face::empty);
  EXPECT_TRUE(view->findButton()->isVisible());
  EXPECT_EQ(view->findButton()->text(), "Find Duplicates");
  EXPECT_EQ(view->findButton()->property("sfSymbol").toString(), "magnifyingglass");
  EXPECT_TRUE(view->findChild<QWidget*>(QLatin1String(names::duplicatesEmpty))->isVisible());

  *h.search.on = true;
  QTest::mouseClick(view->findButton(), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return h.state->duplicatesProgress() == 0.25; }));
  settle();
  EXPECT_EQ(view->face(), Face::progress);
  EXPECT_FALSE(view->findButton()->isEnabled());
  EXPECT_EQ(view->progressBar()->value(), 250);
  EXPECT_FALSE(view->selectionBar()->isVisible());
  h.search.gate->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->duplicatesProgress(); }));
  settle();

  EXPECT_EQ(view->face(), Face::groups);
  EXPECT_TRUE(view->findButton()->isEnabled());
  const int64_t photo = allocatedSize(copies.tree.path("photos/beach.jpg"));
  const int64_t manual = allocatedSize(copies.tree.path("docs/manual.pdf"));
  EXPECT_EQ(view->summaryLabel()->text(), "2 groups \u00b7 " + h.bytes(2 * photo + manual) + " recoverable");
  EXPECT_EQ(h.rows(),
            (std::vector<QString>{"# 3 copies \u00b7 " + h.bytes(photo) + " each", "beach.jpg (original)", "beach.jpg",
                                  "beach copy.jpg", "# 2 copies \u00b7 " + h.bytes(manual) + " each",
                                  "manual.pdf (original)", "manual.pdf"}));
  const int first = h.rowOf(copies.tree.path("photos/beach.jpg"));
  EXPECT_EQ(h.index(first).data(DuplicatesListModel::FolderRole).toString(), "~/dups/photos/beach.jpg");
  EXPECT_EQ(h.index(first).data(DuplicatesListModel::DateTextRole).toString(), QStringLiteral("\u2014"));
  EXPECT_EQ(h.index(first + 1).data(DuplicatesListModel::DateTextRole).toString(), "Jan 2, 1970");

  // A search that finds nothing brings back the start text.
  *h.search.on = false;
  *h.findNothing = true;
  h.find();
  EXPECT_EQ(view->face(), Face::empty);
}

TEST(DuplicatesView, SelectAllCopiesThenDeleteAsksForEveryCopyAndTheDeletedLeaveTheList) {
  DuplicatesHarness h;
  CopiesOnDisk copies(h.f.home / "dups");
  h.scan(copies.tree.base());
  h.open();
  h.find();
  QTest::mouseClick(h.view->findChild<QPushButton*>(QLatin1String(names::duplicatesSelectAll)), Qt::LeftButton);
  settle();
  const int64_t photo = allocatedSize(copies.tree.path("photos/beach.jpg"));
  const int64_t manual = allocatedSize(copies.tree.path("docs/manual.pdf"));
  EXPECT_EQ(h.rows(), (std::vector<QString>{h.rows()[0], "beach.jpg (original)", "beach.jpg *", "beach copy.jpg *",
                                            h.rows()[4], "manual.pdf (original)", "manual.pdf *"}));
  EXPECT_EQ(h.barText(names::selectionBarCount), "3 selected");
  EXPECT_EQ(h.barText(names::selectionBarSize), h.bytes(2 * photo + manual));
  auto* share = h.bar()->findChild<QPushButton*>(QLatin1String(names::selectionBarSecondary));
  EXPECT_EQ(share->text(), "Keep Both, Share Space");
  EXPECT_EQ(share->toolTip(), QStringLiteral("Keeps every file where it is and stores identical ones only once (APFS "
                                             "clones). Editing one later doesn\u2019t change the other."));

  h.pressBar(names::selectionBarAction);
  ASSERT_TRUE(h.state->plan());
  EXPECT_EQ(h.state->plan()->title, "Delete Duplicate Copies");
  std::vector<std::string> planned;
  for (const PlanItem& item : h.state->plan()->items) {
    planned.push_back(item.path);
    EXPECT_EQ(item.removal, Removal::trash);
    EXPECT_EQ(item.verdict, h.state->verdictFor(item.path));
  }
  EXPECT_EQ(planned,
            (std::vector<std::string>{copies.tree.path("backup/beach.jpg"), copies.tree.path("old/beach copy.jpg"),
                                      copies.tree.path("Downloads/manual.pdf")}));
  EXPECT_EQ(h.view->selected().size(), 3u);

  h.state->confirmDeletion(*h.state->plan(), true);
  ASSERT_TRUE(waitUntil([&] { return h.state->toast().has_value(); }));
  settle();
  EXPECT_FALSE(pathExists(copies.tree.path("backup/beach.jpg")));
  EXPECT_TRUE(pathExists(copies.tree.path("photos/beach.jpg")));
  EXPECT_EQ(h.state->toast()->undoable.size(), 3u);
  // Every group is left with one file and leaves the list; the bar counts nothing that is gone.
  EXPECT_EQ(h.view->face(), Face::empty);
  EXPECT_FALSE(h.bar()->isVisible());
}

TEST(DuplicatesView, EveryCopyOfAGroupSelectedIsRefusedByBothActionsAndTheTicksStay) {
  DuplicatesHarness h;
  CopiesOnDisk copies(h.f.home / "dups");
  h.scan(copies.tree.base());
  h.open();
  auto* toast = new ToastView(*h.state, h.window.get());  // floating over the screen, as in the window
  h.find();
  h.tick(h.rowOf(copies.tree.path("docs/manual.pdf")));
  h.tick(h.rowOf(copies.tree.path("Downloads/manual.pdf")));
  EXPECT_EQ(h.barText(names::selectionBarCount), "2 selected");
  for (const char* action : {names::selectionBarAction, names::selectionBarSecondary}) {
    h.state->clearToast(h.state->toast() ? h.state->toast()->id : "");
    h.pressBar(action);
    ASSERT_TRUE(h.state->toast());
    EXPECT_EQ(h.state->toast()->message, "Keep at least one copy in each group");
    EXPECT_FALSE(h.state->toast()->detail);
    // A warning, marked as one, that leaves the bar's buttons (Deselect first of all) uncovered.
    ASSERT_TRUE(toast->isVisible());
    EXPECT_EQ(toast->findChild<SymbolView*>(QLatin1String(names::toastSymbol))->symbol(),
              "exclamationmark.triangle.fill");
    const QRect panel = toast->panelRect().translated(toast->pos());
    for (QPushButton* button : h.bar()->findChildren<QPushButton*>()) {
      if (!button->isVisible()) continue;
      const QRect shown(button->mapTo(h.window.get(), QPoint(0, 0)), button->size());
      EXPECT_FALSE(panel.intersects(shown)) << button->objectName().toStdString();
    }
    EXPECT_FALSE(h.state->plan());
    EXPECT_FALSE(h.state->isSharingSpace());
    EXPECT_EQ(h.view->selected().size(), 2u);
  }
  // One copy kept: the other is planned, and a group with nothing selected never blocks.
  h.tick(h.rowOf(copies.tree.path("docs/manual.pdf")));
  h.pressBar(names::selectionBarAction);
  ASSERT_TRUE(h.state->plan());
  ASSERT_EQ(h.state->plan()->items.size(), 1u);
  EXPECT_EQ(h.state->plan()->items[0].path, copies.tree.path("Downloads/manual.pdf"));
  h.state->dismissPlan();

  h.pressBar(names::selectionBarDeselect);
  EXPECT_TRUE(h.view->selected().empty());
  EXPECT_FALSE(h.bar()->isVisible());
}

TEST(DuplicatesView, SharingOnADiskThatCannotShareEmptiesTheSelectionShowsProgressAndReportsWhy) {
  DuplicatesHarness h;
  CopiesOnDisk copies(h.f.home / "dups");
  h.scan(copies.tree.base());
  h.open();
  h.find();
  QTest::mouseClick(h.view->findChild<QPushButton*>(QLatin1String(names::duplicatesSelectAll)), Qt::LeftButton);
  *h.clone.on = true;
  h.pressBar(names::selectionBarSecondary);
  EXPECT_TRUE(h.state->isSharingSpace());
  EXPECT_TRUE(h.view->selected().empty());
  EXPECT_FALSE(h.bar()->isVisible());
  EXPECT_TRUE(h.view->sharingIndicator()->isVisible());
  EXPECT_EQ(h.view->sharingIndicator()->findChild<QLabel*>()->text(), QStringLiteral("Sharing space\u2026"));
  // A copy ticked meanwhile cannot be shared until this batch ends, and keeps its tick.
  const uint64_t copy = h.state->duplicates()[0].files[1]->serial;
  h.view->setSelected(copy, true);
  auto* share = h.bar()->findChild<QPushButton*>(QLatin1String(names::selectionBarSecondary));
  EXPECT_FALSE(share->isEnabled());
  h.view->shareSpace();
  EXPECT_EQ(h.view->selected(), SerialSet{copy});
  h.clone.gate->open();
  ASSERT_TRUE(waitUntil([&] { return !h.state->isSharingSpace(); }));
  settle();
  EXPECT_FALSE(h.view->sharingIndicator()->isVisible());
  EXPECT_TRUE(share->isEnabled());
  ASSERT_TRUE(h.state->toast());
  EXPECT_EQ(h.state->toast()->message, "Zero KB reclaimed");
  EXPECT_EQ(h.state->toast()->detail, QStringLiteral("3 item(s) couldn't be converted. Details in History."));
  ASSERT_EQ(h.state->failures().size(), 3u);
  for (const DeletionFailure& failure : h.state->failures())
    EXPECT_EQ(failure.reason, "This disk doesn't support shared copies (it isn't APFS).");
  // Nothing was touched: every copy is still there, and none is marked as sharing.
  EXPECT_TRUE(pathExists(copies.tree.path("old/beach copy.jpg")));
  for (const QString& row : h.rows()) EXPECT_FALSE(row.endsWith("(shares)")) << row.toStdString();
}

TEST(DuplicatesView, OnAReflinkDiskOneCopyIsDeletedAndAnotherSharesSpaceWithTheOriginal) {
  XfsImage image;
  if (!image.mounted()) GTEST_SKIP() << image.skipReason();
  DuplicatesHarness h;
  FakeServices services;
  CopiesOnDisk copies(image / "dups");
  h.scan(copies.tree.base());
  h.open();
  h.find();
  const std::string original = copies.tree.path("photos/beach.jpg"), copy = copies.tree.path("backup/beach.jpg"),
                    extra = copies.tree.path("old/beach copy.jpg");

  h.tick(h.rowOf(extra));
  h.pressBar(names::selectionBarAction);
  ASSERT_TRUE(h.state->plan());
  h.state->confirmDeletion(*h.state->plan(), true);
  ASSERT_TRUE(waitUntil([&] { return h.state->toast().has_value(); }));
  settle();
  EXPECT_FALSE(pathExists(extra));
  ASSERT_EQ(h.state->history().entries().size(), 1u);
  EXPECT_EQ(h.state->history().entries()[0].originalPath, extra);
  EXPECT_EQ(h.rows()[0], "# 2 copies \u00b7 " + h.bytes(allocatedSize(original)) + " each");

  h.pressBar(names::selectionBarDeselect);
  h.tick(h.rowOf(copy));
  const std::string toastBefore = h.state->toast()->id;
  h.pressBar(names::selectionBarSecondary);
  ASSERT_TRUE(waitUntil([&] { return !h.state->isSharingSpace() && h.state->toast()->id != toastBefore; }));
  settle();
  EXPECT_TRUE(h.state->failures().empty());
  EXPECT_EQ(h.state->toast()->detail,
            QStringLiteral("1 copies now share space with their original. Every file is still where it was."));
  EXPECT_TRUE(pathExists(copy));
  const int originalRow = h.rowOf(original);
  EXPECT_EQ(h.rows()[static_cast<size_t>(originalRow)], "beach.jpg (original) (shares)");
  EXPECT_EQ(h.rows()[static_cast<size_t>(h.rowOf(copy))], "beach.jpg (shares)");

  // "Show in Finder" from a file's menu.
  h.view->list()->scrollTo(h.index(originalRow));
  emit h.view->list()->customContextMenuRequested(h.view->list()->visualRect(h.index(originalRow)).center());
  settle();
  QMenu* menu = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String(names::duplicatesFileMenu) && w->isVisible()) menu = qobject_cast<QMenu*>(w);
  ASSERT_TRUE(menu);
  menu->findChild<QAction*>(QLatin1String(names::duplicatesMenuReveal))->trigger();
  menu->close();
  EXPECT_EQ(services.revealed, std::vector<std::string>{original});
}

}  // namespace
}  // namespace tolvex
