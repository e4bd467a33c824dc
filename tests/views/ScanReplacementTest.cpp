// A new scan replaces the store's tree at once; screens catch up at their next refresh. Events that
// reach a screen in between (a hover over the map, the table asked for its cells) must still find the
// tree the screen shows. Under AddressSanitizer a freed tree shows here as a use after free.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/AppState.h"
#include "views/ExplorerFixture.h"
#include "views/analysis/ExplorerView.h"
#include "views/analysis/FilesTable.h"
#include "views/analysis/LargeFilesView.h"
#include "views/analysis/NodeTable.h"
#include "views/analysis/SunburstView.h"
#include "views/analysis/logic/Sunburst.h"

namespace tolvex {
namespace {

using test::settle;

// Reads every cell the model would paint, as a repaint would.
void readEveryCell(const QAbstractItemModel& model) {
  for (int row = 0; row < model.rowCount(); ++row)
    for (int column = 0; column < model.columnCount(); ++column)
      for (int role : {int(Qt::DisplayRole), int(Qt::ToolTipRole), int(Qt::AccessibleTextRole)})
        model.data(model.index(row, column), role);
}

TEST(ScanReplacement, ScreensStillReadTheTreeTheyShowUntilTheyRefresh) {
  test::ScannedTree s;
  test::FakeServices services;
  ExplorerView explorer(*s.state);
  LargeFilesView large(*s.state);
  for (QWidget* w : {static_cast<QWidget*>(&explorer), static_cast<QWidget*>(&large)}) {
    w->resize(1000, 700);
    w->show();
  }
  explorer.setMode(ExplorerMode::map);
  settle();
  auto* largeTable = large.filesTable()->table();
  ASSERT_GT(largeTable->model()->rowCount(), 0);
  SunburstView* map = explorer.map();
  ASSERT_FALSE(map->arcs().empty());
  const QPoint onFirstArc = SunburstView::pointIn(map->arcs().front(), map->mapGeometry()).toPoint();
  QTest::mouseMove(map, onFirstArc);

  // Runs inside the publication of the new scan, after the store has let go of the old tree and
  // before any coalesced refresh has had its turn.
  int checks = 0;
  std::weak_ptr<FileTree> oldTree = s.state->scan()->tree;
  QObject::connect(s.state.get(), &AppState::scanChanged, &large, [&] {
    EXPECT_FALSE(oldTree.expired()) << "the screens still show the old tree";
    readEveryCell(*largeTable->model());
    readEveryCell(*explorer.table()->model());
    QTest::mouseMove(map, onFirstArc + QPoint(2, 2));
    map->grab();
    largeTable->grab();
    ++checks;
  });

  const int64_t revision = s.state->revision();
  s.state->startScan(ScanTarget::folder(s.tree.path("docs")));
  ASSERT_TRUE(test::waitUntil([&] { return s.state->revision() > revision && !s.state->isScanning(); }, 20000));
  settle();
  EXPECT_GE(checks, 1);
  s.state->waitForBackgroundWork();
  settle();
  EXPECT_TRUE(oldTree.expired()) << "once every screen has moved on, the old tree is let go";
  // After catching up, both screens show the new tree only.
  EXPECT_EQ(map->root(), s.state->scan()->root);
  for (FileNode* node : largeTable->nodeModel()->rows()) EXPECT_EQ(node->path().rfind(s.tree.path("docs"), 0), 0u);
}

}  // namespace
}  // namespace tolvex
