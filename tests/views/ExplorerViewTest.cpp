#include <gtest/gtest.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOption>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QToolButton>

#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "app/components/RiskBadge.h"
#include "app/components/SegmentedBar.h"
#include "app/components/SizeCell.h"
#include "app/theme/Theme.h"
#include "model/Formatting.h"
#include "model/SafetyVerdict.h"
#include "platform/AtomicFile.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "views/ExplorerFixture.h"
#include "views/analysis/Breadcrumbs.h"
#include "views/analysis/ExplorerView.h"
#include "views/analysis/MapSidePanel.h"
#include "views/analysis/NodeContextMenu.h"
#include "views/analysis/NodeTable.h"
#include "views/analysis/QuickLook.h"
#include "views/analysis/SelectionBar.h"
#include "views/analysis/SunburstView.h"
#include "views/analysis/logic/NodeLists.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

std::vector<std::string> rowNames(const NodeTable* table) {
  std::vector<std::string> out;
  for (const FileNode* n : table->rows()) out.push_back(n->name);
  return out;
}

QPoint rowPoint(NodeTable* table, const FileNode* node, int column = 0) {
  const int row = table->nodeModel()->rowOf(node->serial);
  return table->visualRect(table->nodeModel()->index(row, column)).center();
}

void clickRow(NodeTable* table, const FileNode* node, Qt::KeyboardModifiers mods = {}) {
  QTest::mouseClick(table->viewport(), Qt::LeftButton, mods, rowPoint(table, node));
}

// What the pointer sends for a double-click: a click, then the second press as a double-click.
void doubleClickRow(NodeTable* table, const FileNode* node) {
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rowPoint(table, node));
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, rowPoint(table, node));
}

// Opens the context menu the way a right-click does, and returns it (none when no menu came up).
NodeContextMenu* rightClick(NodeTable* table, const QPoint& pos) {
  QContextMenuEvent event(QContextMenuEvent::Mouse, pos, table->viewport()->mapToGlobal(pos));
  QApplication::sendEvent(table->viewport(), &event);
  auto menus = table->findChildren<NodeContextMenu*>();
  return menus.isEmpty() ? nullptr : menus.last();
}

QStringList actionTexts(const QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("—") : a->text());
  return out;
}

int separators(const Breadcrumbs* crumbs) {
  int n = 0;
  for (auto* w : crumbs->findChildren<QWidget*>(QLatin1String(names::breadcrumbSeparator))) n += !w->isHidden();
  return n;
}

QAction* action(const QMenu* menu, const char* name) { return menu->findChild<QAction*>(QLatin1String(name)); }

// The screen for a scanned tree, shown at a usual size.
struct Shown {
  ScannedTree s;
  FakeServices services;
  ExplorerView view{*s.state};
  Shown() {
    view.resize(1100, 760);
    view.show();
    settle();
  }
  NodeTable* table() { return view.table(); }
  QString label(const char* name) { return view.findChild<QLabel*>(QLatin1String(name))->text(); }
  QString title() { return view.findChild<ElidedLabel*>(QLatin1String(names::explorerTitle))->text(); }
  std::vector<FileNode*> stack() { return s.state->explorerStack(); }
};

}  // namespace

TEST(ExplorerView, ModeIsReadStrictly) {
  EXPECT_EQ(explorerModeFromRaw(QStringLiteral("map")), ExplorerMode::map);
  EXPECT_EQ(explorerModeFromRaw(QStringLiteral("list")), ExplorerMode::list);
  for (const char* other : {"", "Map", "map ", "pie"})
    EXPECT_EQ(explorerModeFromRaw(QString::fromLatin1(other)), ExplorerMode::list) << other;
  EXPECT_EQ(rawValue(ExplorerMode::map), QStringLiteral("map"));
}

TEST(ExplorerView, WithoutAScanShowsOnlyThePrompt) {
  AppFixture f;
  AppState state(f.environment());
  waitUntil([&] { return !state.isRestoringScan(); });
  ExplorerView view(state);
  view.resize(900, 600);
  view.show();
  settle();
  auto* prompt = view.findChild<QWidget*>(QLatin1String(names::explorerPrompt));
  ASSERT_TRUE(prompt);
  EXPECT_TRUE(prompt->isVisible());
  EXPECT_FALSE(view.findChild<QWidget*>(QLatin1String(names::explorerContent))->isVisible());
  QStringList texts;
  for (auto* l : prompt->findChildren<QLabel*>()) texts << l->text();
  EXPECT_TRUE(texts.contains(QStringLiteral("Folder explorer")));
  EXPECT_TRUE(texts.contains(QStringLiteral(
      "Browse folder by folder sorted by size, like a Finder that shows what everything really takes up.")));
}

TEST(ExplorerView, ListsTheFolderLargestFirstUnderItsHeader) {
  Shown x;
  FileNode* root = x.s.state->scan()->root;
  EXPECT_EQ(x.title(), QStringLiteral("scan"));  // the scan target's title at the root
  EXPECT_EQ(x.label(names::explorerSize), SizeCell::text(get(root->size)));
  EXPECT_EQ(x.label(names::explorerFiles), QStringLiteral("%1 files").arg(get(root->fileCount)));
  EXPECT_EQ(rowNames(x.table()), (std::vector<std::string>{"media", "big.bin", "docs"}));
  // media 4 MiB and its folders, big.bin 4 MiB, docs 3.6 MiB and its folders.
  const auto& rows = x.table()->rows();
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(get(rows[i - 1]->size), get(rows[i]->size));

  auto* model = x.table()->nodeModel();
  QStringList headers;
  for (int c = 0; c < model->columnCount(); ++c)
    headers << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  EXPECT_EQ(headers, (QStringList{"Name", "Size", "%", "Files", "Category", "Modified", "Risk"}));
  const int bigRow = model->rowOf(x.s.node("big.bin")->serial);
  EXPECT_EQ(model->data(model->index(bigRow, 3), Qt::DisplayRole).toString(), QStringLiteral("\u2014"));
  EXPECT_EQ(model->data(model->index(bigRow, 2), Qt::DisplayRole).toString(),
            QString::fromStdString(percentText(4 << 20, get(root->size))));
  const int docsRow = model->rowOf(x.s.node("docs")->serial);
  EXPECT_EQ(model->data(model->index(docsRow, 3), Qt::DisplayRole).toString(), QStringLiteral("3"));
  EXPECT_EQ(model->data(model->index(docsRow, 6), Qt::ToolTipRole).toString(),
            QString::fromStdString(x.s.state->verdictFor(x.s.tree.path("docs")).reason));
  EXPECT_EQ(model->fractionTotal(), get(root->size));

  auto* segments = x.view.findChild<SegmentedBar*>(QLatin1String(names::explorerSegments));
  ASSERT_TRUE(segments && segments->isVisible());
  ASSERT_EQ(segments->segments().size(), 3u);
  EXPECT_EQ(segments->segments()[0].title, QString::fromStdString(rows[0]->name));
  EXPECT_EQ(segments->total(), get(root->size));

  auto* small = x.view.findChild<QLabel*>(QLatin1String(names::explorerSmallFiles));
  EXPECT_TRUE(small->isVisible());
  EXPECT_EQ(small->text(), QStringLiteral("Also: 2 small files directly in this folder · %1")
                               .arg(SizeCell::text(get(root->smallFilesSize))));

  // Inside a folder: its name, no small-files line.
  x.view.open(x.s.node("docs"));
  settle();
  EXPECT_EQ(x.title(), QStringLiteral("docs"));
  EXPECT_EQ(rowNames(x.table()), (std::vector<std::string>{"old", "report.pdf"}));
  EXPECT_FALSE(small->isVisible());
}

TEST(ExplorerView, WalksDownAndBackUpByRowsCrumbsAndKeys) {
  Shown x;
  FileNode* root = x.s.state->scan()->root;
  FileNode* docs = x.s.node("docs");
  FileNode* old = x.s.node("docs/old");
  Breadcrumbs* crumbs = x.view.breadcrumbs();
  EXPECT_FALSE(crumbs->backButton()->isEnabled());
  ASSERT_EQ(crumbs->crumbs().size(), 1u);
  EXPECT_EQ(crumbs->crumbs()[0]->text(), QStringLiteral("~/scan"));
  EXPECT_EQ(separators(crumbs), 0);
  QApplication::setActiveWindow(&x.view);
  QTest::keyClick(&x.view, Qt::Key_BracketLeft, Qt::ControlModifier);  // nothing above the root
  EXPECT_EQ(x.stack(), std::vector<FileNode*>{root});

  // A double-click on a folder opens it and clears the selection.
  clickRow(x.table(), x.s.node("big.bin"));
  ASSERT_EQ(x.view.selectedNodes().size(), 1u);
  doubleClickRow(x.table(), docs);
  settle();
  EXPECT_EQ(x.stack(), (std::vector<FileNode*>{root, docs}));
  EXPECT_TRUE(x.table()->selection().empty());
  // Return on a selected folder opens it too.
  clickRow(x.table(), old);
  QTest::keyClick(x.table(), Qt::Key_Return);
  settle();
  EXPECT_EQ(x.stack(), (std::vector<FileNode*>{root, docs, old}));
  ASSERT_EQ(crumbs->crumbs().size(), 3u);
  EXPECT_EQ(crumbs->crumbs()[2]->text(), QStringLiteral("old"));
  EXPECT_TRUE(crumbs->crumbs()[2]->isCurrent());
  EXPECT_EQ(separators(crumbs), 2);
  EXPECT_TRUE(crumbs->backButton()->isEnabled());

  // A file is revealed, not opened.
  clickRow(x.table(), x.s.node("docs/old/archive.zip"));
  QTest::keyClick(x.table(), Qt::Key_Return);
  ASSERT_EQ(x.services.revealed.size(), 1u);
  EXPECT_EQ(x.services.revealed[0], x.s.tree.path("docs/old/archive.zip"));
  crumbs->revealButton()->click();
  EXPECT_EQ(x.services.revealed.back(), x.s.tree.path("docs/old"));

  // Ctrl+[ goes back one folder; the first crumb returns to the root in one step.
  QTest::keyClick(&x.view, Qt::Key_BracketLeft, Qt::ControlModifier);
  settle();
  EXPECT_EQ(x.stack(), (std::vector<FileNode*>{root, docs}));
  x.view.open(old);
  settle();
  QTest::mouseClick(crumbs->crumbs()[2], Qt::LeftButton);  // the last crumb changes nothing
  EXPECT_EQ(x.stack().size(), 3u);
  QTest::mouseClick(crumbs->crumbs()[0], Qt::LeftButton);
  settle();
  EXPECT_EQ(x.stack(), std::vector<FileNode*>{root});
  EXPECT_EQ(rowNames(x.table()).front(), "media");

  // A package is revealed on double-click.
  x.view.open(x.s.node("media"));
  settle();
  doubleClickRow(x.table(), x.s.node("media/Tool.app"));
  EXPECT_EQ(x.services.revealed.back(), x.s.tree.path("media/Tool.app"));
  EXPECT_EQ(x.stack().size(), 2u);
  x.view.goUp();
  x.view.goUp();  // at the root: nothing
  EXPECT_EQ(x.stack(), std::vector<FileNode*>{root});
}

TEST(ExplorerView, HeaderClicksSortByOneKeyAfterAnother) {
  Shown x;
  QHeaderView* header = x.table()->horizontalHeader();
  auto clickHeader = [&](int column) {
    QTest::mouseClick(
        header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
    settle();
  };
  clickHeader(0);
  EXPECT_EQ(rowNames(x.table()), (std::vector<std::string>{"big.bin", "docs", "media"}));
  EXPECT_EQ(header->sortIndicatorSection(), 0);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  clickHeader(0);
  EXPECT_EQ(rowNames(x.table()), (std::vector<std::string>{"media", "docs", "big.bin"}));
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
  clickHeader(6);  // "Risk" does not sort
  EXPECT_EQ(rowNames(x.table()), (std::vector<std::string>{"media", "docs", "big.bin"}));
  EXPECT_EQ(header->sortIndicatorSection(), 0);
  clickHeader(2);  // "%" sorts by size, largest first
  EXPECT_EQ(x.table()->sortOrder().front(), (NodeComparator{NodeKey::size, false}));
  EXPECT_EQ(x.table()->sortOrder().size(), 2u);
  EXPECT_EQ(header->sortIndicatorSection(), 2);
  const auto& rows = x.table()->rows();
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(get(rows[i - 1]->size), get(rows[i]->size));
}

TEST(ExplorerView, SelectionIsASetOfNodesThatOutlivesResetsAndFolders) {
  Shown x;
  FileNode* big = x.s.node("big.bin");
  FileNode* media = x.s.node("media");
  clickRow(x.table(), big);
  clickRow(x.table(), media, Qt::ControlModifier);
  settle();
  SelectionBar* bar = x.view.selectionBar();
  ASSERT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->findChild<QLabel*>(QLatin1String(names::selectionBarCount))->text(), QStringLiteral("2 selected"));
  EXPECT_EQ(bar->findChild<QLabel*>(QLatin1String(names::selectionBarSize))->text(),
            SizeCell::text(get(big->size) + get(media->size)));
  EXPECT_EQ(bar->findChild<QPushButton*>(QLatin1String(names::selectionBarAction))->text(), QStringLiteral("Delete…"));
  EXPECT_FALSE(bar->findChild<QPushButton*>(QLatin1String(names::selectionBarSecondary))->isVisible());

  // A new sort resets the model; the same nodes stay selected, in row order.
  x.table()->clickHeader(0);
  EXPECT_EQ(x.view.selectedNodes(), (std::vector<FileNode*>{big, media}));
  EXPECT_EQ(x.table()->selectionModel()->selectedRows().size(), 2);
  x.table()->clickHeader(0);
  EXPECT_EQ(x.view.selectedNodes(), (std::vector<FileNode*>{media, big}));

  // Elsewhere the selection matches no row and counts nowhere; back in the folder it is there again.
  FileNode* docs = x.s.node("docs");
  x.s.state->setExplorerStack({x.s.state->scan()->root, docs});
  settle();
  EXPECT_TRUE(x.view.selectedNodes().empty());
  EXPECT_FALSE(bar->isVisible());
  x.s.state->setExplorerStack({x.s.state->scan()->root});
  settle();
  EXPECT_EQ(x.view.selectedNodes().size(), 2u);
  EXPECT_TRUE(bar->isVisible());

  QTest::mouseClick(bar->findChild<QPushButton*>(QLatin1String(names::selectionBarDeselect)), Qt::LeftButton);
  settle();
  EXPECT_TRUE(x.view.selectedNodes().empty());
  EXPECT_TRUE(x.table()->selectionModel()->selectedRows().isEmpty());
  EXPECT_FALSE(bar->isVisible());
}

TEST(ExplorerView, SpaceTogglesThePreviewOfTheFirstSelectedRow) {
  Shown x;
  // Without a selection the key goes on to the window.
  struct Catcher : QObject {
    int spaces = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Space) ++spaces;
      return false;
    }
  } catcher;
  x.view.installEventFilter(&catcher);
  x.table()->setFocus();
  QTest::keyClick(x.table(), Qt::Key_Space);
  EXPECT_EQ(catcher.spaces, 1);
  EXPECT_FALSE(x.view.quickLook()->preview());

  clickRow(x.table(), x.s.node("big.bin"));
  QTest::keyClick(x.table(), Qt::Key_Space);
  EXPECT_EQ(catcher.spaces, 1);
  ASSERT_TRUE(x.view.quickLook()->preview());
  EXPECT_EQ(x.view.quickLook()->preview()->path, x.s.tree.path("big.bin"));
  EXPECT_FALSE(x.view.quickLook()->preview()->isDirectory);
  QuickLookPanel* panel = x.view.quickLook()->panel();
  ASSERT_TRUE(panel && panel->isVisible());
  ASSERT_TRUE(waitUntil([&] { return panel->isLoaded(); }));
  EXPECT_EQ(panel->findChild<QLabel*>(QLatin1String(names::quickLookTitle))->text(), QStringLiteral("big.bin"));
  QTest::keyClick(x.table(), Qt::Key_Space);
  EXPECT_FALSE(x.view.quickLook()->preview());
  EXPECT_FALSE(panel->isVisible());

  // A folder previews as a folder; closing the panel clears the preview.
  clickRow(x.table(), x.s.node("docs"));
  QTest::keyClick(x.table(), Qt::Key_Space);
  ASSERT_TRUE(x.view.quickLook()->preview());
  EXPECT_TRUE(x.view.quickLook()->preview()->isDirectory);
  panel->close();
  EXPECT_FALSE(x.view.quickLook()->preview());
}

TEST(ExplorerView, ContextMenuCommandsActOnTheFirstRowOrOnAll) {
  Shown x;
  FileNode* docs = x.s.node("docs");
  FileNode* big = x.s.node("big.bin");
  FileNode* media = x.s.node("media");
  // Right-click on an empty area: no menu.
  EXPECT_FALSE(rightClick(x.table(), QPoint(20, x.table()->viewport()->height() - 5)));

  // On a row outside the selection: that row alone, selection untouched.
  clickRow(x.table(), big);
  NodeContextMenu* menu = rightClick(x.table(), rowPoint(x.table(), docs));
  ASSERT_TRUE(menu);
  EXPECT_EQ(x.view.selectedNodes(), std::vector<FileNode*>{big});
  EXPECT_EQ(actionTexts(menu), (QStringList{"Show in Finder", "Open", "Open in Explorer", "Copy Path", "—",
                                            "Exclude from Scans", "—", "Delete…"}));
  action(menu, names::nodeMenuCopyPath)->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(x.s.tree.path("docs")));
  action(menu, names::nodeMenuExclude)->trigger();
  action(menu, names::nodeMenuExclude)->trigger();
  EXPECT_EQ(x.s.state->excludedRaw(), QString::fromStdString(x.s.tree.path("docs") + "\n" + x.s.tree.path("docs")));
  EXPECT_EQ(x.s.state->excludedPaths().size(), 2u);
  action(menu, names::nodeMenuOpen)->trigger();
  EXPECT_EQ(x.services.opened, std::vector<std::string>{x.s.tree.path("docs")});
  action(menu, names::nodeMenuReveal)->trigger();
  EXPECT_EQ(x.services.revealed, std::vector<std::string>{x.s.tree.path("docs")});
  x.s.state->setSection(AppSection::overview);
  action(menu, names::nodeMenuOpenInExplorer)->trigger();
  EXPECT_EQ(x.s.state->section(), AppSection::explorer);
  EXPECT_EQ(x.stack(), (std::vector<FileNode*>{x.s.state->scan()->root, docs}));
  menu->close();
  x.s.state->setExplorerStack({x.s.state->scan()->root});
  settle();

  // On a selected row: the whole selection, in row order; the single-item commands take the first.
  clickRow(x.table(), media);
  clickRow(x.table(), big, Qt::ControlModifier);
  clickRow(x.table(), docs, Qt::ControlModifier);
  menu = rightClick(x.table(), rowPoint(x.table(), big));
  ASSERT_TRUE(menu);
  EXPECT_EQ(action(menu, names::nodeMenuDelete)->text(), QStringLiteral("Delete 3 Items…"));
  EXPECT_TRUE(action(menu, names::nodeMenuOpenInExplorer));  // the first row, media, is a folder
  EXPECT_FALSE(action(menu, names::nodeMenuQuickLook));
  action(menu, names::nodeMenuDelete)->trigger();
  ASSERT_TRUE(x.s.state->plan());
  EXPECT_EQ(x.s.state->plan()->title, QStringLiteral("Delete Items"));
  std::vector<std::string> planned;
  for (const PlanItem& item : x.s.state->plan()->items) planned.push_back(item.name);
  EXPECT_EQ(planned, (std::vector<std::string>{"media", "big.bin", "docs"}));
  menu->close();
  x.s.state->dismissPlan();

  // A file offers Quick Look (into the screen's preview) but no Open in Explorer.
  x.table()->clearNodeSelection();
  menu = rightClick(x.table(), rowPoint(x.table(), big));
  ASSERT_TRUE(menu);
  EXPECT_FALSE(action(menu, names::nodeMenuOpenInExplorer));
  ASSERT_TRUE(action(menu, names::nodeMenuQuickLook));
  action(menu, names::nodeMenuQuickLook)->trigger();
  ASSERT_TRUE(x.view.quickLook()->preview());
  EXPECT_EQ(x.view.quickLook()->preview()->path, x.s.tree.path("big.bin"));
  menu->close();
  x.view.quickLook()->setPreview(std::nullopt);
}

// In the smallest window and a large one: dates show whole, the badges keep clear of the table's
// edge, and every header label has its own room inside its column.
TEST(ExplorerView, DatesBadgesAndHeadersFitTheirColumnsAtBothWindowSizes) {
  ScannedTree s;
  s.state->setSection(AppSection::explorer);
  MainWindow window(*s.state);
  window.show();
  const QFontMetrics dateMetrics(Theme::monospacedDigitFont(TextStyle::callout));
  const QString widestMonth =
      shortDateText(static_cast<double>(QDateTime(QDate(2000, 5, 28), QTime(12, 0)).toSecsSinceEpoch()));
  for (QSize size : {QSize(1040, 680), QSize(1500, 950)}) {
    SCOPED_TRACE(size.width());
    window.resize(size);
    settle();
    auto* view = qobject_cast<ExplorerView*>(window.router()->currentScreen());
    ASSERT_TRUE(view);
    NodeTable* table = view->table();
    QHeaderView* header = table->horizontalHeader();
    EXPECT_FALSE(table->horizontalScrollBar()->isVisible());
    const int modified = 5, risk = 6;
    ASSERT_EQ(table->model()->headerData(modified, Qt::Horizontal).toString(), QStringLiteral("Modified"));
    EXPECT_LE(dateMetrics.horizontalAdvance(widestMonth) + 16, header->sectionSize(modified));
    for (int row = 0; row < table->model()->rowCount(); ++row)
      EXPECT_LE(dateMetrics.horizontalAdvance(table->nodeModel()->text(row, NodeColumn::modified)) + 16,
                header->sectionSize(modified));
    const int badgeRight =
        header->sectionViewportPosition(risk) + 6 + RiskBadge::sizeFor(Risk::protected_, false).width();
    EXPECT_LE(badgeRight + 8, table->viewport()->width());
    const QFontMetrics headerMetrics(header->font());
    for (int i = 0; i < header->count(); ++i) {
      QStyleOptionHeader option;
      option.initFrom(header);
      option.rect = QRect(header->sectionViewportPosition(i), 0, header->sectionSize(i), header->height());
      option.section = i;
      option.sortIndicator =
          header->sortIndicatorSection() == i ? QStyleOptionHeader::SortDown : QStyleOptionHeader::None;
      const QRect label = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
      const QString text = table->model()->headerData(i, Qt::Horizontal).toString();
      EXPECT_GE(label.left(), option.rect.left() + 8) << text.toStdString();
      EXPECT_LE(label.right(), option.rect.right() - 6) << text.toStdString();
      EXPECT_LE(headerMetrics.horizontalAdvance(text), label.width()) << text.toStdString();
    }
  }
  s.state->waitForBackgroundWork();
}

// Tab and Shift+Tab go from control to control (the table is one stop, its rows are the arrows'
// business), and the control with the keyboard focus looks different from the others.
TEST(ExplorerView, TabWalksTheControlsAndTheFocusedOneShows) {
  Shown x;
  QApplication::setActiveWindow(&x.view);
  x.view.open(x.s.node("docs"));
  settle();
  Breadcrumbs* crumbs = x.view.breadcrumbs();
  ASSERT_EQ(crumbs->crumbs().size(), 2u);
  QWidget* list = x.view.findChild<QWidget*>(QLatin1String(names::explorerModeList));
  QWidget* map = x.view.findChild<QWidget*>(QLatin1String(names::explorerModeMap));
  // The mode picker is one stop, on its chosen segment (the arrows switch segments).
  const std::vector<QWidget*> chain{
      crumbs->backButton(), crumbs->crumbs()[0], crumbs->crumbs()[1], crumbs->revealButton(), list, x.table()};
  crumbs->backButton()->setFocus(Qt::TabFocusReason);
  std::vector<QWidget*> visited{QApplication::focusWidget()};
  for (size_t i = 1; i < chain.size() + 1; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(std::vector<QWidget*>(visited.begin(), visited.begin() + static_cast<long>(chain.size())), chain);
  EXPECT_NE(visited.back(), x.table()) << "Tab leaves the table";
  x.table()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(x.table(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), list);

  // Arrows move within the table.
  x.table()->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(x.table()->currentIndex().isValid());
  const int row = x.table()->currentIndex().row();
  QTest::keyClick(x.table(), Qt::Key_Down);
  EXPECT_EQ(x.table()->currentIndex().row(), row + 1);
  EXPECT_EQ(QApplication::focusWidget(), x.table());

  // Each control is drawn differently while it has the keyboard focus (the selection bar's buttons too).
  std::vector<QWidget*> controls = chain;
  controls.push_back(map);
  x.table()->setSelection({x.table()->rows().front()->serial});
  settle();
  SelectionBar* bar = x.view.selectionBar();
  ASSERT_TRUE(bar->isVisible());
  controls.push_back(bar->findChild<QWidget*>(QLatin1String(names::selectionBarDeselect)));
  controls.push_back(bar->findChild<QWidget*>(QLatin1String(names::selectionBarAction)));
  for (QWidget* control : controls) {
    SCOPED_TRACE(control->objectName().toStdString());
    QWidget* other = control == list ? map : list;
    other->setFocus(Qt::TabFocusReason);
    QWidget* surface = control == x.table() ? x.table()->viewport() : control;
    const QImage before = surface->grab().toImage();
    control->setFocus(Qt::TabFocusReason);
    EXPECT_NE(surface->grab().toImage(), before);
  }

  // A crumb takes Space like a click.
  crumbs->crumbs()[0]->setFocus(Qt::TabFocusReason);
  QTest::keyClick(crumbs->crumbs()[0], Qt::Key_Space);
  settle();
  EXPECT_EQ(x.stack(), std::vector<FileNode*>{x.s.state->scan()->root});
}

// Opened from the menu the preview takes the keyboard, so Escape or Space close it there.
TEST(ExplorerView, QuickLookFromTheMenuTakesTheKeyboardAndClosesOnEscapeOrSpace) {
  Shown x;
  QApplication::setActiveWindow(&x.view);
  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Space}) {
    SCOPED_TRACE(key);
    x.table()->clearNodeSelection();
    NodeContextMenu* menu = rightClick(x.table(), rowPoint(x.table(), x.s.node("big.bin")));
    ASSERT_TRUE(menu);
    action(menu, names::nodeMenuQuickLook)->trigger();
    menu->close();
    QuickLookPanel* panel = x.view.quickLook()->panel();
    ASSERT_TRUE(panel && panel->isVisible());
    ASSERT_TRUE(waitUntil([&] { return panel->isActiveWindow(); }));
    QWidget* focus = QApplication::focusWidget();
    ASSERT_TRUE(focus && (focus == panel || panel->isAncestorOf(focus)));
    QTest::keyClick(focus, key);
    EXPECT_FALSE(x.view.quickLook()->preview());
    EXPECT_FALSE(panel->isVisible());
  }
  // Showing text, the keys reach the read-only text first (which would take Space as "page down").
  const std::string notes = x.s.tree.file("notes.txt", 0);
  ASSERT_EQ(writeFileAtomically(notes, "first line\nsecond line\n"), 0);
  x.view.quickLook()->present(PreviewTarget{notes, false});
  QuickLookPanel* panel = x.view.quickLook()->panel();
  ASSERT_TRUE(waitUntil([&] { return panel->isLoaded(); }));
  auto* text = panel->findChild<QWidget*>(QLatin1String(names::quickLookText));
  ASSERT_TRUE(text && text->isVisible());
  text->setFocus();
  QTest::keyClick(text, Qt::Key_Space);
  EXPECT_FALSE(x.view.quickLook()->preview());
}

TEST(ExplorerView, MapHoverDimsAndDescribesClicksOpenAndTheCentreGoesUp) {
  Shown x;
  FileNode* root = x.s.state->scan()->root;
  QTest::mouseClick(x.view.findChild<QWidget*>(QLatin1String(names::explorerModeMap)), Qt::LeftButton);
  settle();
  EXPECT_EQ(x.s.state->settings().stringValue(keys::explorerMode), QStringLiteral("map"));
  SunburstView* map = x.view.map();
  ASSERT_TRUE(map->isVisible());
  EXPECT_FALSE(x.view.findChild<QWidget*>(QLatin1String(names::explorerSegments))->isVisible());
  EXPECT_EQ(map->root(), root);
  const auto geometry = map->mapGeometry();
  auto arcFor = [&](const FileNode* n) {
    for (const auto& a : map->arcs())
      if (a.node == n) return a;
    ADD_FAILURE() << "no arc for " << n->name;
    return sunburst::Arc{};
  };
  MapSidePanel* panel = x.view.sidePanel();
  EXPECT_TRUE(panel->findChild<QLabel*>(QLatin1String(names::mapLargestTitle)));
  EXPECT_EQ(panel->findChildren<QWidget*>(QLatin1String(names::mapLargestRow)).size(), 3);
  EXPECT_TRUE(panel->findChild<QLabel*>(QLatin1String(names::mapHint)));

  // Hovering a file: the panel shows it, its arc keeps its colour, the others fade.
  FileNode* big = x.s.node("big.bin");
  FileNode* docs = x.s.node("docs");
  const QPoint onBig = SunburstView::pointIn(arcFor(big), geometry).toPoint();
  const QPoint onDocs = SunburstView::pointIn(arcFor(docs), geometry).toPoint();
  QImage before = map->grab().toImage();
  QTest::mouseMove(map, onBig);
  EXPECT_EQ(map->hovered(), big);
  EXPECT_EQ(x.view.mapFocus(), big);
  auto* name = panel->findChild<QWidget*>(QLatin1String(names::mapFocusName));
  ASSERT_TRUE(name);
  EXPECT_EQ(static_cast<ElidedLabel*>(name)->text(), QStringLiteral("big.bin"));
  EXPECT_EQ(panel->findChild<QLabel*>(QLatin1String(names::mapFocusSize))->text(), SizeCell::text(get(big->size)));
  EXPECT_FALSE(panel->findChild<QLabel*>(QLatin1String(names::mapHint)));
  QImage after = map->grab().toImage();
  EXPECT_EQ(after.pixelColor(onBig), before.pixelColor(onBig));
  EXPECT_EQ(before.pixelColor(onDocs), arcFor(docs).color());
  EXPECT_NE(after.pixelColor(onDocs), before.pixelColor(onDocs));

  // The centre disc and leaving the map hover nothing.
  QSignalSpy hovers(map, &SunburstView::hoverChanged);
  QTest::mouseMove(map, onBig + QPoint(1, 0));
  EXPECT_EQ(hovers.count(), 0);  // same arc: no new report
  QTest::mouseMove(map, geometry.centre.toPoint());
  EXPECT_EQ(hovers.count(), 1);
  EXPECT_EQ(x.view.mapFocus(), nullptr);
  EXPECT_TRUE(panel->findChild<QLabel*>(QLatin1String(names::mapLargestTitle)));
  QTest::mouseMove(map, onBig);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(map, &leave);
  EXPECT_EQ(x.view.mapFocus(), nullptr);
  EXPECT_EQ(map->hovered(), nullptr);

  // A file's arc does nothing when clicked; a folder's opens it; the centre goes up, not past the root.
  QTest::mouseClick(map, Qt::LeftButton, {}, onBig);
  EXPECT_EQ(x.stack(), std::vector<FileNode*>{root});
  QTest::mouseMove(map, onDocs);
  QTest::mouseClick(map, Qt::LeftButton, {}, onDocs);
  settle();
  EXPECT_EQ(x.stack(), (std::vector<FileNode*>{root, docs}));
  EXPECT_EQ(x.view.mapFocus(), nullptr);
  EXPECT_EQ(map->root(), docs);
  EXPECT_EQ(x.title(), QStringLiteral("docs"));
  QTest::mouseClick(map, Qt::LeftButton, {}, map->mapGeometry().centre.toPoint());
  settle();
  EXPECT_EQ(x.stack(), std::vector<FileNode*>{root});
  QTest::mouseClick(map, Qt::LeftButton, {}, map->mapGeometry().centre.toPoint());
  EXPECT_EQ(x.stack(), std::vector<FileNode*>{root});

  // The mode is remembered for the next Explorer.
  ExplorerView again(*x.s.state);
  EXPECT_EQ(again.mode(), ExplorerMode::map);
}

TEST(ExplorerView, TheSelectionBarStaysInMapModeAndDeletesThroughThePlan) {
  Shown x;
  FileNode* root = x.s.state->scan()->root;
  FileNode* docs = x.s.node("docs");
  FileNode* old = x.s.node("docs/old");
  FileNode* notes = x.s.node("docs/old/notes.txt");
  FileNode* big = x.s.node("big.bin");
  const int64_t rootSize = get(root->size), docsSize = get(docs->size), bigSize = get(big->size);
  clickRow(x.table(), big);
  clickRow(x.table(), docs, Qt::ControlModifier);
  x.view.setMode(ExplorerMode::map);
  settle();
  SelectionBar* bar = x.view.selectionBar();
  ASSERT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->findChild<QLabel*>(QLatin1String(names::selectionBarCount))->text(), QStringLiteral("2 selected"));
  QTest::mouseClick(bar->findChild<QPushButton*>(QLatin1String(names::selectionBarAction)), Qt::LeftButton);
  ASSERT_TRUE(x.s.state->plan());
  const DeletionPlan plan = *x.s.state->plan();
  EXPECT_EQ(plan.title, QStringLiteral("Delete Items"));
  ASSERT_EQ(plan.items.size(), 2u);
  EXPECT_EQ(plan.items[0].path, x.s.tree.path("big.bin"));  // row order: big.bin is the larger
  EXPECT_EQ(plan.items[1].path, x.s.tree.path("docs"));
  EXPECT_EQ(plan.items[1].name, "docs");
  EXPECT_EQ(plan.items[1].size, docsSize);
  EXPECT_EQ(plan.items[1].removal, Removal::trash);
  EXPECT_EQ(plan.items[1].verdict, x.s.state->verdictFor(x.s.tree.path("docs")));
  EXPECT_EQ(x.view.selectedNodes().size(), 2u);  // asking changes nothing

  const int64_t revision = x.s.state->revision();
  x.s.state->confirmDeletion(plan, true);
  ASSERT_TRUE(waitUntil([&] { return x.s.state->revision() > revision; }));
  settle();
  EXPECT_TRUE(docs->deleted);
  EXPECT_TRUE(notes->isGone());  // the files inside went with their folder
  EXPECT_EQ(get(root->size), rootSize - docsSize - bigSize);
  EXPECT_EQ(rowNames(x.table()), std::vector<std::string>{"media"});
  EXPECT_EQ(x.label(names::explorerSize), SizeCell::text(get(root->size)));
  for (const auto& arc : x.view.map()->arcs()) {
    EXPECT_FALSE(arc.node->isGone()) << arc.node->name;
  }
  EXPECT_FALSE(bar->isVisible());
  // The Explorer's stack never points into a deleted folder.
  EXPECT_EQ(x.stack(), std::vector<FileNode*>{root});
  EXPECT_FALSE(old->deleted);
  EXPECT_TRUE(old->isGone());
}

// A deletion rebuilds what the Explorer shows, not the screen: the sort order, the rows still there
// in the selection, the preview and the map focus stay. The Overview is rebuilt whole.
TEST(ExplorerView, ADeletionKeepsTheScreenWithItsOrderSelectionPreviewAndMapFocus) {
  ScannedTree s;
  FakeServices services;
  s.state->setSection(AppSection::explorer);
  SectionRouter router(*s.state);
  router.resize(1100, 760);
  router.QWidget::show();
  settle();
  auto* view = qobject_cast<ExplorerView*>(router.currentScreen());
  ASSERT_TRUE(view);
  FileNode* big = s.node("big.bin");
  FileNode* docs = s.node("docs");
  FileNode* media = s.node("media");
  auto remove = [&](FileNode* node) {
    s.state->requestDeletion(
        {PlanItem{node->path(), node->name, get(node->size), Removal::trash, s.state->verdictFor(node->path())}},
        QStringLiteral("Delete Items"));
    const int64_t revision = s.state->revision();
    s.state->confirmDeletion(*s.state->plan(), true);
    ASSERT_TRUE(waitUntil([&] { return s.state->revision() > revision; }));
    settle();
  };

  view->table()->clickHeader(0);  // by name
  const SortOrder byName = view->table()->sortOrder();
  view->table()->setSelection({big->serial, media->serial});
  view->quickLook()->setPreview(PreviewTarget{big->path(), false});
  view->setMode(ExplorerMode::map);
  emit view->map()->hoverChanged(media);
  settle();
  remove(docs);
  EXPECT_EQ(router.currentScreen(), view);
  EXPECT_EQ(view->table()->sortOrder(), byName);
  EXPECT_EQ(view->selectedNodes(), (std::vector<FileNode*>{big, media}));
  ASSERT_TRUE(view->quickLook()->preview());
  EXPECT_EQ(view->quickLook()->preview()->path, big->path());
  EXPECT_TRUE(view->quickLook()->panel()->isVisible());
  EXPECT_EQ(view->mapFocus(), media);
  view->setMode(ExplorerMode::list);
  settle();
  EXPECT_EQ(rowNames(view->table()), (std::vector<std::string>{"big.bin", "media"}));
  EXPECT_EQ(view->table()->selectionModel()->selectedRows().size(), 2);

  // Deleting the focused node takes the focus with it; the selection keeps the row that is left.
  view->setMode(ExplorerMode::map);
  emit view->map()->hoverChanged(media);
  remove(media);
  EXPECT_EQ(router.currentScreen(), view);
  EXPECT_EQ(view->mapFocus(), nullptr);
  EXPECT_EQ(view->selectedNodes(), std::vector<FileNode*>{big});
  view->quickLook()->setPreview(std::nullopt);

  s.state->setSection(AppSection::overview);
  settle();
  QPointer<QWidget> overview = router.currentScreen();
  remove(big);
  ASSERT_TRUE(router.currentScreen());
  EXPECT_NE(router.currentScreen(), overview.data());
}

TEST(ExplorerView, AFolderOfAHundredThousandEntriesOpensSortsAndSelects) {
  constexpr int kEntries = 100'000;
  AppFixture f;
  auto env = f.environment();
  env.walk = [](Scanner&, const std::string& root, const std::set<std::string>&, const Scanner::Progress&) {
    ScanResult r;
    r.tree = std::make_shared<FileTree>();
    r.root = r.tree->make(root, nullptr, true, false, FileKind::other, StorageBucket::other);
    r.rootPath = root;
    FileNode* many = r.tree->make("many", r.root, true, false, FileKind::other, StorageBucket::other);
    for (int i = 0; i < kEntries; ++i) {
      FileNode* file =
          r.tree->make("file" + std::to_string(i), many, false, false, FileKind::other, StorageBucket::other);
      const int64_t size = int64_t(524288) + (i * 7919) % 100'000 * 4096;
      set(file->size, size);
      set(file->fileCount, 1);
      add(many->size, size);
      add(many->fileCount, 1);
      r.files.push_back(file);
    }
    set(r.root->size, get(many->size));
    set(r.root->fileCount, kEntries);
    return std::optional<ScanResult>(std::move(r));
  };
  AppState state(env);
  waitUntil([&] { return !state.isRestoringScan(); });
  state.startScan(ScanTarget::folder(f.home / "many-root"));
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }, 20000));
  ExplorerView view(state);
  view.resize(1100, 760);
  view.show();
  settle();
  view.open(state.scan()->root->children[0]);
  settle();
  NodeTable* table = view.table();
  ASSERT_EQ(table->model()->rowCount(), kEntries);
  for (int i = 1; i < 200; ++i) ASSERT_GE(get(table->rows()[i - 1]->size), get(table->rows()[i]->size));
  table->scrollToBottom();
  settle();
  EXPECT_EQ(table->rowAt(table->viewport()->height() - 2), kEntries - 1);
  EXPECT_LT(table->findChildren<QWidget*>().size(), 40);  // rows are painted, not widgets

  table->selectAll();
  settle();
  EXPECT_EQ(view.selectionBar()->findChild<QLabel*>(QLatin1String(names::selectionBarCount))->text(),
            QStringLiteral("100,000 selected"));
  table->clickHeader(0);
  EXPECT_EQ(table->rows()[9]->name, "file9");
  EXPECT_EQ(table->rows()[10]->name, "file10");
  EXPECT_EQ(table->selectionModel()->selectedRows().size(), kEntries);
  view.setMode(ExplorerMode::map);
  settle();
  EXPECT_TRUE(view.map()->arcs().empty());  // every entry is far below the cut-off
  state.waitForBackgroundWork();
}
