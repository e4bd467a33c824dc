#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <filesystem>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "app/ObjectNames.h"
#include "app/components/PageHeader.h"
#include "app/components/SymbolView.h"
#include "shell/ConfirmDeletionDialog.h"
#include "shell/SectionRouter.h"
#include "support/TreeBuilder.h"
#include "views/DeveloperFixture.h"
#include "views/ExplorerFixture.h"
#include "views/analysis/SelectionBar.h"
#include "views/cleanup/DevItemTable.h"
#include "views/cleanup/DeveloperView.h"
#include "views/cleanup/VirtualDisksCard.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

std::vector<std::string> rowPaths(const DevItemTable* table) {
  std::vector<std::string> out;
  for (const DevItem& row : table->rows()) out.push_back(row.path);
  return out;
}

const DevItem* rowOf(const DevItemTable* table, const std::string& path) {
  for (const DevItem& row : table->rows())
    if (row.path == path) return &row;
  return nullptr;
}

int rowIndex(const DevItemTable* table, const std::string& path) {
  const auto& rows = table->rows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].path == path) return static_cast<int>(i);
  return -1;
}

QPoint rowPoint(DevItemTable* table, const std::string& path) {
  return table->visualRect(table->itemModel()->index(rowIndex(table, path), 0)).center();
}

// The menu a right-click at `pos` opens, if it opens one.
QMenu* rightClick(DevItemTable* table, const QPoint& pos) {
  const auto before = table->findChildren<QMenu*>(QLatin1String(names::developerMenu));
  QContextMenuEvent event(QContextMenuEvent::Mouse, pos, table->viewport()->mapToGlobal(pos));
  QApplication::sendEvent(table->viewport(), &event);
  for (QMenu* menu : table->findChildren<QMenu*>(QLatin1String(names::developerMenu)))
    if (!before.contains(menu)) return menu;
  return nullptr;
}

void closeMenu(QMenu* menu) {
  menu->close();
  settle();
}

QString barText(SelectionBar* bar, const char* name) { return bar->findChild<QLabel*>(QLatin1String(name))->text(); }

// The screen as the window shows it.
struct ShownScreen {
  DeveloperView view;
  explicit ShownScreen(AppState& state) : view(state) {
    view.resize(1100, 900);
    view.show();
    settle();
  }
  DevItemTable* table() const { return view.table(); }
};

}  // namespace

TEST(DeveloperView, FirstVisitWithoutAScanSearchesJunkOnceAndListsItsDeveloperItems) {
  DeveloperHome home;
  ASSERT_FALSE(home.state->scan());
  {
    std::unique_ptr<QWidget> routed(SectionRouter::makeScreen(AppSection::developer, *home.state));
    EXPECT_TRUE(qobject_cast<DeveloperView*>(routed.get()));
  }
  ShownScreen screen(*home.state);
  EXPECT_TRUE(screen.view.hint()->isVisible());
  EXPECT_EQ(screen.view.hint()->symbol(), QStringLiteral("info.circle"));
  EXPECT_FALSE(screen.view.disksCard()->isVisible());
  EXPECT_EQ(screen.view.header()->title(), QStringLiteral("Developer"));
  ASSERT_TRUE(waitUntil([&] { return !home.state->junkLoading(); }, 20000));
  settle();
  EXPECT_EQ(*home.junkSearches, 1);

  // Only the developer group's items, although there is still no scan.
  std::vector<std::string> paths = rowPaths(screen.table());
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{home.path(".cache/venv"),
                                             home.path("Library/Developer/Xcode/Archives/2024-01-01"),
                                             home.path("Library/Developer/Xcode/DerivedData/App-abc")}));
  const DevItem* archive = rowOf(screen.table(), home.path("Library/Developer/Xcode/Archives/2024-01-01"));
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->title, "Xcode \u00B7 Archives \u00B7 2024-01-01");
  EXPECT_EQ(archive->removal, Removal::trash);
  EXPECT_TRUE(screen.view.hint()->isVisible());

  // A later visit with the findings loaded does not search again.
  ShownScreen again(*home.state);
  settle();
  EXPECT_EQ(*home.junkSearches, 1);
  EXPECT_EQ(again.table()->rows().size(), 3u);
}

TEST(DeveloperView, AScannedHomeListsEachArtefactOnceLargestFirstAndSortsByTitle) {
  DeveloperHome home;
  home.scan();
  home.loadJunk();
  ShownScreen screen(*home.state);
  EXPECT_FALSE(screen.view.hint()->isVisible());
  EXPECT_EQ(*home.junkSearches, 1);  // the findings were loaded: no search of its own

  // The .venv just below the threshold is left out; the tool cache named "venv" is listed once.
  const std::vector<std::string> paths = rowPaths(screen.table());
  EXPECT_EQ(paths.size(), 6u);
  EXPECT_EQ(std::count(paths.begin(), paths.end(), home.path(".cache/venv")), 1);
  EXPECT_FALSE(rowOf(screen.table(), home.path("code/api/.venv")));
  const DevItem* modules = rowOf(screen.table(), home.path("code/web/node_modules"));
  ASSERT_TRUE(modules);
  EXPECT_EQ(modules->title, "web / node_modules");
  EXPECT_EQ(modules->removal, Removal::permanent);
  EXPECT_EQ(paths.front(), home.path("code/ios/DerivedData"));  // 30 MiB, the largest
  const auto& rows = screen.table()->rows();
  EXPECT_TRUE(
      std::is_sorted(rows.begin(), rows.end(), [](const DevItem& a, const DevItem& b) { return a.size > b.size; }));
  EXPECT_EQ(screen.table()->horizontalHeader()->sortIndicatorSection(), DevItemModel::size);

  // "Item" sorts by the title, not by the path.
  screen.table()->clickHeader(DevItemModel::item);
  std::vector<std::string> titles;
  for (const DevItem& row : screen.table()->rows()) titles.push_back(row.title);
  EXPECT_TRUE(std::is_sorted(titles.begin(), titles.end()));
  EXPECT_EQ(titles.front(), ".cache / venv");
  EXPECT_EQ(screen.table()->horizontalHeader()->sortIndicatorSection(), DevItemModel::item);
  EXPECT_EQ(screen.table()->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
}

TEST(DeveloperView, SelectionBarAndDeleteHandTheRowsToTheReviewedDeletion) {
  DeveloperHome home;
  home.scan();
  home.loadJunk();
  ShownScreen screen(*home.state);
  SelectionBar* bar = screen.view.selectionBar();
  EXPECT_FALSE(bar->isVisible());

  // A click selects one row; Ctrl-clicks add two more.
  const std::string modules = home.path("code/web/node_modules");
  const std::string cache = home.path("Library/Developer/Xcode/DerivedData/App-abc");
  const std::string archive = home.path("Library/Developer/Xcode/Archives/2024-01-01");
  QTest::mouseClick(screen.table()->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(screen.table(), modules));
  settle();
  ASSERT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->values().count, 1);
  EXPECT_EQ(bar->values().size, rowOf(screen.table(), modules)->size);
  EXPECT_EQ(bar->values().actionTitle, QString::fromUtf8("Delete\u2026"));
  EXPECT_FALSE(bar->values().secondaryTitle);
  for (const std::string& path : {cache, archive})
    QTest::mouseClick(screen.table()->viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(screen.table(), path));
  settle();
  EXPECT_EQ(barText(bar, names::selectionBarCount), QStringLiteral("3 selected"));

  QTest::mouseClick(bar->findChild<QPushButton*>(QLatin1String(names::selectionBarAction)), Qt::LeftButton);
  ASSERT_TRUE(home.state->plan());
  const DeletionPlan& plan = *home.state->plan();
  EXPECT_EQ(plan.title, QStringLiteral("Clean Developer Artifacts"));
  std::vector<std::string> expected;  // the table's order
  for (const DevItem& row : screen.table()->rows())
    if (row.path == modules || row.path == cache || row.path == archive) expected.push_back(row.path);
  ASSERT_EQ(plan.items.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const PlanItem& planned = plan.items[i];
    EXPECT_EQ(planned.path, expected[i]);
    const DevItem* row = rowOf(screen.table(), planned.path);
    EXPECT_EQ(planned.name, row->title);
    EXPECT_EQ(planned.size, row->size);
    EXPECT_EQ(planned.removal, planned.path == archive ? Removal::trash : Removal::permanent);
    EXPECT_EQ(planned.verdict.risk, home.state->verdictFor(planned.path).risk);
  }
  EXPECT_EQ(screen.table()->selection(), (std::set<std::string>{modules, cache, archive}));

  home.state->dismissPlan();
  QTest::mouseClick(bar->findChild<QPushButton*>(QLatin1String(names::selectionBarDeselect)), Qt::LeftButton);
  settle();
  EXPECT_TRUE(screen.table()->selection().empty());
  EXPECT_FALSE(bar->isVisible());
}

TEST(DeveloperView, AConfirmedDeletionRemovesTheRowsAndTheirPathsCountForNothing) {
  DeveloperHome home;
  home.scan();
  home.loadJunk();
  ShownScreen screen(*home.state);
  const std::string modules = home.path("code/web/node_modules");
  const std::string cache = home.path("Library/Developer/Xcode/DerivedData/App-abc");
  screen.table()->setSelection({modules, cache});
  settle();
  screen.view.cleanArtifacts();
  ASSERT_TRUE(home.state->plan());

  auto* sheet = new ConfirmDeletionDialog(*home.state, *home.state->plan(), &screen.view);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->open();
  settle();
  if (auto* tick = sheet->findChild<QCheckBox*>(QLatin1String(names::confirmReviewToggle)); tick && tick->isVisible())
    tick->click();
  sheet->findChild<QPushButton*>(QLatin1String(names::confirmDelete))->click();
  ASSERT_TRUE(waitUntil([&] { return !rowOf(screen.table(), modules) && !rowOf(screen.table(), cache); }, 20000));
  EXPECT_FALSE(pathExists(modules));
  EXPECT_FALSE(pathExists(cache));
  EXPECT_TRUE(pathExists(home.path("code/web/package.json")));  // beside it, untouched
  // The paths stay selected but match no row: the bar shows nothing.
  EXPECT_EQ(screen.table()->selection(), (std::set<std::string>{modules, cache}));
  EXPECT_FALSE(screen.view.selectionBar()->isVisible());
  EXPECT_EQ(screen.table()->rows().size(), 4u);
}

TEST(DeveloperView, ShowInFinderRevealsOneRowOfTheSetItActsOn) {
  DeveloperHome home;
  home.scan();
  ShownScreen screen(*home.state);
  FakeServices services;
  DevItemTable* table = screen.table();
  const std::string modules = home.path("code/web/node_modules");
  const std::string derived = home.path("code/ios/DerivedData");
  const std::string pycache = home.path("code/tool/__pycache__");
  table->setSelection({modules, pycache});
  settle();

  // On a selected row the menu acts on the selection: the first of it in row order.
  QMenu* menu = rightClick(table, rowPoint(table, pycache));
  ASSERT_TRUE(menu);
  QAction* show = menu->findChild<QAction*>(QLatin1String(names::developerMenuReveal));
  ASSERT_TRUE(show);
  EXPECT_EQ(show->text(), QStringLiteral("Show in Finder"));
  show->trigger();
  EXPECT_EQ(services.revealed, (std::vector<std::string>{table->selectedRows().front().path}));
  closeMenu(menu);

  // On a row outside the selection: that row alone, and the selection stays.
  services.revealed.clear();
  menu = rightClick(table, rowPoint(table, derived));
  menu->findChild<QAction*>(QLatin1String(names::developerMenuReveal))->trigger();
  EXPECT_EQ(services.revealed, (std::vector<std::string>{derived}));
  EXPECT_EQ(table->selection(), (std::set<std::string>{modules, pycache}));
  closeMenu(menu);

  // A double-click does the same; below the rows nothing is offered.
  services.revealed.clear();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(table, derived));
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(table, derived));
  EXPECT_EQ(services.revealed, (std::vector<std::string>{derived}));
  EXPECT_FALSE(rightClick(table, QPoint(10, table->viewport()->height() - 2)));

  // A row whose folder has gone from the disk shows nothing.
  services.revealed.clear();
  std::filesystem::remove_all(derived);
  table->setSelection({derived});
  QTest::keyClick(table, Qt::Key_Return);
  EXPECT_TRUE(services.revealed.empty());
}
