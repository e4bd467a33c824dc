// The mouse and key handling the painted tables share, table by table: where a table offers a
// context menu a right-press leaves a selection of several rows as it is (the menu acts on it), the
// History table, which has none, selects the pressed row; a left-press selects as ever; and Return is
// taken only by the tables that open rows with it, elsewhere it goes on to the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <functional>
#include <memory>
#include <set>

#include "engines/DeletionHistory.h"
#include "support/TempHome.h"
#include "views/MemTree.h"
#include "views/analysis/NodeTable.h"
#include "views/cleanup/DevItemTable.h"
#include "views/cleanup/HistoryTable.h"
#include "views/cleanup/RecordTable.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int kRows = 4;

// A table of four rows, how to select rows through its own selection, and how often it opened rows.
struct Subject {
  int opened = 0;
  virtual ~Subject() = default;
  virtual QTableView* view() = 0;
  virtual void select(const std::set<int>& rows) = 0;
};

struct NodeSubject : Subject {
  MemTree tree;
  SafetyContext safety;
  NodeTable table{
      {{NodeColumn::name, "Name", NodeKey::name, 100, 300}, {NodeColumn::size, "Size", NodeKey::size}}, 28, safety};

  NodeSubject() {
    std::vector<FileNode*> nodes;
    for (int i = 0; i < kRows; ++i) nodes.push_back(tree.file(tree.root, "file" + std::to_string(i), 1000 * (i + 1)));
    table.setNodes(nodes);
    table.onPrimary = [this](const std::vector<FileNode*>&) { ++opened; };
  }
  QTableView* view() override { return &table; }
  void select(const std::set<int>& rows) override {
    std::unordered_set<uint64_t> serials;
    for (int row : rows) serials.insert(table.rows()[static_cast<size_t>(row)]->serial);
    table.setSelection(serials);
  }
};

struct DevSubject : Subject {
  DevItemTable table{"/home/user", [] { return 1.0e9; }};

  DevSubject() {
    std::vector<DevItem> items;
    for (int i = 0; i < kRows; ++i)
      items.push_back({.path = "/home/user/p" + std::to_string(i) + "/node_modules",
                       .title = "p" + std::to_string(i) + " / node_modules",
                       .detail = "Node packages",
                       .size = 1'000'000 * (i + 1)});
    table.setItems(items);
    table.onReveal = [this](const std::vector<DevItem>&) { ++opened; };
  }
  QTableView* view() override { return &table; }
  void select(const std::set<int>& rows) override {
    std::set<std::string> paths;
    for (int row : rows) paths.insert(table.rows()[static_cast<size_t>(row)].path);
    table.setSelection(paths);
  }
};

struct RecordSubject : Subject {
  RecordTable table{{{.header = "Name"}}, 28, true, 0};

  RecordSubject() {
    table.setRows({"/a", "/b", "/c", "/d"});
    table.onPrimary = [this](const RecordTable::Paths&) { ++opened; };
  }
  QTableView* view() override { return &table; }
  void select(const std::set<int>& rows) override {
    RecordTable::Paths ids;
    for (int row : rows) ids.insert(table.rows()[static_cast<size_t>(row)]);
    table.setSelection(ids);
  }
};

struct HistorySubject : Subject {
  TempDir dir;
  DeletionHistory history{dir / "history.json"};
  std::unique_ptr<HistoryTable> table;

  HistorySubject() {
    std::vector<HistoryEntry> entries;
    for (int i = 0; i < kRows; ++i)
      entries.push_back({.id = "ID-" + std::to_string(i),
                         .date = 1.7e9,
                         .originalPath = "/home/user/gone" + std::to_string(i),
                         .trashPath = std::nullopt,
                         .size = 1000});
    history.setEntries(entries);
    table = std::make_unique<HistoryTable>(history, "/home/user");
  }
  QTableView* view() override { return table.get(); }
  void select(const std::set<int>& rows) override {
    QItemSelection selection;
    for (int row : rows) selection.select(table->model()->index(row, 0), table->model()->index(row, 0));
    table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
};

std::set<int> selectedRows(QTableView* view) {
  std::set<int> rows;
  for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.insert(index.row());
  return rows;
}

void press(QTableView* view, Qt::MouseButton button, int row) {
  const QPoint pos = view->visualRect(view->model()->index(row, 0)).center();
  QTest::mousePress(view->viewport(), button, Qt::NoModifier, pos);
  QTest::mouseRelease(view->viewport(), button, Qt::NoModifier, pos);
}

// Whether the table keeps a Return press to itself.
bool takesReturn(QTableView* view) {
  QKeyEvent event(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(view, &event);
  return event.isAccepted();
}

struct Case {
  const char* table;
  std::function<std::unique_ptr<Subject>()> make;
  bool hasMenu;
  bool opensOnReturn;
};

const std::vector<Case>& tables() {
  static const std::vector<Case> cases = {
      {"NodeTable", [] { return std::make_unique<NodeSubject>(); }, true, true},
      {"DevItemTable", [] { return std::make_unique<DevSubject>(); }, true, true},
      {"RecordTable", [] { return std::make_unique<RecordSubject>(); }, true, false},
      {"HistoryTable", [] { return std::make_unique<HistorySubject>(); }, false, false},
  };
  return cases;
}

}  // namespace

TEST(PaintedTable, RightPressAndReturnAsEachTableHandlesThem) {
  for (const Case& c : tables()) {
    SCOPED_TRACE(c.table);
    const auto subject = c.make();
    QTableView* view = subject->view();
    view->resize(700, 300);
    view->show();
    QCoreApplication::processEvents();
    ASSERT_EQ(view->model()->rowCount(), kRows);

    subject->select({0, 2});
    ASSERT_EQ(selectedRows(view), (std::set<int>{0, 2}));
    press(view, Qt::RightButton, 1);
    EXPECT_EQ(selectedRows(view), c.hasMenu ? (std::set<int>{0, 2}) : (std::set<int>{1}));

    subject->select({0, 2});
    press(view, Qt::LeftButton, 3);
    EXPECT_EQ(selectedRows(view), (std::set<int>{3}));

    EXPECT_EQ(takesReturn(view), c.opensOnReturn);
    EXPECT_EQ(subject->opened, c.opensOnReturn ? 1 : 0);
    EXPECT_EQ(selectedRows(view), (std::set<int>{3}));
  }
}

// Home and End go to the first and the last row and select it (Shift extends the selection to it),
// in every painted table; the view's own keys went to the ends of the current row, where nothing moves.
TEST(PaintedTable, HomeAndEndGoToTheFirstAndLastRow) {
  for (const Case& c : tables()) {
    SCOPED_TRACE(c.table);
    const auto subject = c.make();
    QTableView* view = subject->view();
    view->resize(700, 300);
    view->show();
    view->setFocus();
    QCoreApplication::processEvents();
    press(view, Qt::LeftButton, 1);
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(view->currentIndex().row(), kRows - 1);
    EXPECT_EQ(selectedRows(view), (std::set<int>{kRows - 1}));
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(view->currentIndex().row(), 0);
    EXPECT_EQ(selectedRows(view), (std::set<int>{0}));
    if (view->selectionMode() == QAbstractItemView::ExtendedSelection) {
      QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
      EXPECT_EQ(selectedRows(view), (std::set<int>{0, 1, 2, 3}));
    }
  }
}
