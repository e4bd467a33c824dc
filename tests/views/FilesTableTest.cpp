#include <gtest/gtest.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QThreadPool>
#include <sys/stat.h>

#include "app/ObjectNames.h"
#include "app/components/SizeCell.h"
#include "platform/Paths.h"
#include "views/ExplorerFixture.h"
#include "views/MemTree.h"
#include "views/analysis/FilesTable.h"
#include "views/analysis/NodeContextMenu.h"
#include "views/analysis/NodeTable.h"
#include "views/analysis/QuickLook.h"
#include "views/analysis/SelectionBar.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

std::vector<std::string> rowNames(const NodeTable* table) {
  std::vector<std::string> out;
  for (const FileNode* n : table->rows()) out.push_back(n->name);
  return out;
}

QPoint rowPoint(NodeTable* table, const FileNode* node) {
  return table->visualRect(table->nodeModel()->index(table->nodeModel()->rowOf(node->serial), 0)).center();
}

NodeContextMenu* rightClick(NodeTable* table, const QPoint& pos) {
  QContextMenuEvent event(QContextMenuEvent::Mouse, pos, table->viewport()->mapToGlobal(pos));
  QApplication::sendEvent(table->viewport(), &event);
  auto menus = table->findChildren<NodeContextMenu*>();
  return menus.isEmpty() ? nullptr : menus.last();
}

QString barText(SelectionBar* bar, const char* name) { return bar->findChild<QLabel*>(QLatin1String(name))->text(); }

}  // namespace

TEST(FilesTable, ColumnsCellsAndTheLargestBar) {
  ScannedTree s;
  FakeServices services;
  FilesTable table(*s.state, true);
  table.resize(1000, 500);
  table.show();
  const std::vector<FileNode*> files = s.state->scan()->files;
  table.setNodes(files);
  settle();
  NodeTableModel* model = table.table()->nodeModel();
  QStringList headers;
  for (int c = 0; c < model->columnCount(); ++c)
    headers << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  EXPECT_EQ(headers, (QStringList{"Name", "Size", "Kind", "Category", "Modified", "Last opened", "Risk"}));
  EXPECT_EQ(rowNames(table.table()).front(), "big.bin");
  EXPECT_EQ(table.largestSize(), 4 << 20);
  EXPECT_EQ(model->fractionTotal(), 4 << 20);
  const int zip = model->rowOf(s.node("docs/old/archive.zip")->serial);
  EXPECT_EQ(model->data(model->index(zip, 2), Qt::DisplayRole).toString(), QStringLiteral("ZIP"));
  EXPECT_EQ(model->data(model->index(zip, 0), Qt::ToolTipRole).toString(),
            QString::fromStdString(s.tree.path("docs/old/archive.zip")));
  // A file's modification time of 0 shows a dash.
  set(s.node("big.bin")->modified, 0.0);
  EXPECT_EQ(model->data(model->index(0, 4), Qt::DisplayRole).toString(), QStringLiteral("\u2014"));

  // Empty: no rows, no bar, largest size 1.
  table.setNodes({});
  EXPECT_EQ(model->rowCount(), 0);
  EXPECT_EQ(table.largestSize(), 1);
  EXPECT_FALSE(table.selectionBar()->isVisible());
}

TEST(FilesTable, SortsOnlyWhenItsNodesOrOrderChangeAndCutsTheSelection) {
  MemTree t;
  FileNode* a = t.file(t.root, "a.bin", 300);
  FileNode* b = t.file(t.root, "b.bin", 100);
  FileNode* c = t.file(t.root, "c.bin", 200);
  set(a->accessed, 10.0);
  set(a->modified, 9e9);  // shown as the later time, but sorting takes `accessed`
  set(b->accessed, 30.0);
  set(c->accessed, 20.0);
  AppFixture f;
  AppState state(f.environment());
  state.waitForBackgroundWork();
  FilesTable table(state, false);
  table.resize(900, 400);
  table.show();
  table.setNodes({a, b, c});
  EXPECT_EQ(rowNames(table.table()), (std::vector<std::string>{"a.bin", "c.bin", "b.bin"}));
  table.table()->clickHeader(5);  // Last opened: by `accessed`, newest first
  EXPECT_EQ(rowNames(table.table()), (std::vector<std::string>{"b.bin", "c.bin", "a.bin"}));

  // The same nodes again: nothing is sorted anew, even though a size changed.
  table.table()->clickHeader(1);
  EXPECT_EQ(rowNames(table.table()), (std::vector<std::string>{"a.bin", "c.bin", "b.bin"}));
  set(b->size, 999);
  table.setNodes({a, b, c});
  EXPECT_EQ(rowNames(table.table()), (std::vector<std::string>{"a.bin", "c.bin", "b.bin"}));

  // Selecting two rows; the host then drops one: the bar counts only what is left.
  table.table()->setSelection({a->serial, c->serial});
  EXPECT_EQ(barText(table.selectionBar(), names::selectionBarCount), QStringLiteral("2 selected"));
  EXPECT_EQ(barText(table.selectionBar(), names::selectionBarSize), SizeCell::text(500));
  table.setNodes({a, b});
  EXPECT_EQ(table.table()->selection(), (std::unordered_set<uint64_t>{a->serial}));
  EXPECT_EQ(barText(table.selectionBar(), names::selectionBarCount), QStringLiteral("1 selected"));
  EXPECT_EQ(rowNames(table.table()), (std::vector<std::string>{"b.bin", "a.bin"}));  // re-sorted: b is 999 now

  // A node inside a deleted folder is gone although its own flag is clear.
  FileNode* folder = t.folder(t.root, "folder");
  FileNode* inside = t.file(folder, "inside.bin", 50);
  set(folder->deleted, true);
  table.setNodes({a, b, inside});
  EXPECT_EQ(rowNames(table.table()), (std::vector<std::string>{"b.bin", "a.bin"}));

  // All sizes 0: empty bars, no division by zero.
  set(a->size, 0);
  set(b->size, 0);
  table.setNodes({b, a});
  EXPECT_EQ(table.table()->nodeModel()->fractionTotal(), 1);
}

TEST(FilesTable, DoubleClickRevealsSpacePreviewsMenuAndDelete) {
  ScannedTree s;
  FakeServices services;
  FilesTable table(*s.state, true);
  table.resize(1000, 500);
  table.show();
  std::vector<FileNode*> nodes = s.state->scan()->files;
  FileNode* docs = s.node("docs");
  nodes.push_back(docs);
  table.setNodes(nodes);
  settle();
  NodeTable* view = table.table();

  // A folder is revealed, never opened.
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rowPoint(view, docs));
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rowPoint(view, docs));
  EXPECT_EQ(services.revealed, std::vector<std::string>{s.tree.path("docs")});
  EXPECT_EQ(s.state->explorerStack().size(), 1u);

  // Space: nothing selected goes on; with a selection it opens and closes the preview.
  view->clearNodeSelection();
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_FALSE(table.quickLook()->preview());
  FileNode* movie = s.node("media/movie.mov");
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rowPoint(view, movie));
  QTest::keyClick(view, Qt::Key_Space);
  ASSERT_TRUE(table.quickLook()->preview());
  EXPECT_EQ(table.quickLook()->preview()->path, s.tree.path("media/movie.mov"));
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_FALSE(table.quickLook()->preview());

  // Empty area: no menu. A row: the menu with Quick Look.
  EXPECT_FALSE(rightClick(view, QPoint(10, view->viewport()->height() - 3)));
  NodeContextMenu* menu = rightClick(view, rowPoint(view, movie));
  ASSERT_TRUE(menu);
  EXPECT_TRUE(menu->findChild<QAction*>(QLatin1String(names::nodeMenuQuickLook)));
  menu->close();

  // The bar's Delete… asks for the reviewed deletion of the selection.
  FileNode* big = s.node("big.bin");
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(view, big));
  QTest::mouseClick(table.selectionBar()->findChild<QPushButton*>(QLatin1String(names::selectionBarAction)),
                    Qt::LeftButton);
  ASSERT_TRUE(s.state->plan());
  EXPECT_EQ(s.state->plan()->title, QStringLiteral("Delete Items"));
  EXPECT_EQ(s.state->plan()->items.size(), 2u);
  EXPECT_EQ(s.state->plan()->items[0].path, s.tree.path("big.bin"));  // row order: the larger first
}

TEST(NodeContextMenu, ItemsByNodeKindAndFoldedPaths) {
  AppFixture f;
  AppState state(f.environment());
  state.waitForBackgroundWork();
  FakeServices services;
  MemTree t("/System/Volumes/Data");
  FileNode* users = t.folder(t.root, "Users");
  FileNode* file = t.file(t.folder(users, "a"), "b", 1 << 20);
  FileNode* package = t.folder(users, "Tool.app", StorageBucket::applications, true);
  auto texts = [](const QMenu& menu) {
    QStringList out;
    for (QAction* a : menu.actions())
      if (!a->isSeparator()) out << a->text();
    return out;
  };
  auto noPreview = NodeContextMenu::PreviewSetter();
  auto preview = [](const PreviewTarget&) {};
  EXPECT_TRUE(NodeContextMenu(state, {}, preview).actions().isEmpty());
  EXPECT_EQ(texts(NodeContextMenu(state, {users}, preview)),
            (QStringList{"Show in Finder", "Open", "Open in Explorer", "Copy Path", "Exclude from Scans", "Delete…"}));
  EXPECT_EQ(texts(NodeContextMenu(state, {package}, preview)),
            (QStringList{"Quick Look", "Show in Finder", "Open", "Open in Explorer", "Copy Path", "Exclude from Scans",
                         "Delete…"}));
  EXPECT_EQ(
      texts(NodeContextMenu(state, {file, users}, preview)),
      (QStringList{"Quick Look", "Show in Finder", "Open", "Copy Path", "Exclude from Scans", "Delete 2 Items…"}));
  EXPECT_FALSE(NodeContextMenu(state, {file}, noPreview).findChild<QAction*>(QLatin1String(names::nodeMenuQuickLook)));

  NodeContextMenu fileMenu(state, {file}, preview);
  fileMenu.findChild<QAction*>(QLatin1String(names::nodeMenuCopyPath))->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("/Users/a/b"));
  fileMenu.findChild<QAction*>(QLatin1String(names::nodeMenuExclude))->trigger();
  EXPECT_EQ(state.excludedRaw(), QStringLiteral("/Users/a/b"));  // no line break with an empty list
  NodeContextMenu rootMenu(state, {t.root}, preview);
  rootMenu.findChild<QAction*>(QLatin1String(names::nodeMenuCopyPath))->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("/"));
  rootMenu.findChild<QAction*>(QLatin1String(names::nodeMenuReveal))->trigger();
  EXPECT_EQ(services.revealed, std::vector<std::string>{"/System/Volumes/Data"});
  // Not the tree on screen: Open in Explorer leaves the stack alone.
  rootMenu.findChild<QAction*>(QLatin1String(names::nodeMenuOpenInExplorer))->trigger();
  EXPECT_TRUE(state.explorerStack().empty());

  // A name with a line break would store another folder's path: the item is disabled.
  FileNode* odd = t.folder(users, "two\nlines");
  NodeContextMenu oddMenu(state, {odd}, preview);
  QAction* exclude = oddMenu.findChild<QAction*>(QLatin1String(names::nodeMenuExclude));
  EXPECT_FALSE(exclude->isEnabled());
  exclude->trigger();
  EXPECT_EQ(state.excludedRaw(), QStringLiteral("/Users/a/b"));
}

TEST(SelectionBar, ShowsCountsAndCallsBack) {
  QWidget host;
  host.resize(700, 60);
  auto& bar = *new SelectionBar(&host);
  bar.resize(700, 50);
  host.show();
  EXPECT_FALSE(bar.isVisible());  // count 0: nothing
  SelectionBar::Values v;
  v.count = -3;
  v.actionTitle = QStringLiteral("Do it");
  bar.setValues(v);
  EXPECT_FALSE(bar.isVisible());
  v.count = 1;
  v.size = -10;
  bar.setValues(v);
  EXPECT_TRUE(bar.isVisible());
  EXPECT_EQ(barText(&bar, names::selectionBarCount), QStringLiteral("1 selected"));
  EXPECT_EQ(barText(&bar, names::selectionBarSize), QStringLiteral("Zero KB"));
  auto* action = bar.findChild<QPushButton*>(QLatin1String(names::selectionBarAction));
  auto* secondary = bar.findChild<QPushButton*>(QLatin1String(names::selectionBarSecondary));
  EXPECT_EQ(action->text(), QStringLiteral("Do it"));
  EXPECT_FALSE(secondary->isVisible());
  v.count = 1234;
  v.secondaryTitle = QStringLiteral("Move…");
  v.secondaryHelp = QStringLiteral("Somewhere else");
  bar.setValues(v);
  EXPECT_EQ(barText(&bar, names::selectionBarCount), QStringLiteral("1,234 selected"));
  EXPECT_TRUE(secondary->isVisible());
  EXPECT_EQ(secondary->toolTip(), QStringLiteral("Somewhere else"));
  QSignalSpy cleared(&bar, &SelectionBar::clearRequested), acted(&bar, &SelectionBar::actionRequested),
      second(&bar, &SelectionBar::secondaryRequested);
  QTest::mouseClick(bar.findChild<QPushButton*>(QLatin1String(names::selectionBarDeselect)), Qt::LeftButton);
  QTest::mouseClick(action, Qt::LeftButton);
  QTest::mouseClick(secondary, Qt::LeftButton);
  EXPECT_EQ(cleared.count(), 1);
  EXPECT_EQ(acted.count(), 1);
  EXPECT_EQ(second.count(), 1);
  EXPECT_FALSE(action->autoDefault());
}

TEST(QuickLook, LoadsImagesTextOrFactsAndNeverWaitsOnAPipe) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  QImage image(400, 200, QImage::Format_RGB32);
  image.fill(Qt::red);
  const std::string png = dir / "picture.png";
  ASSERT_TRUE(image.save(QString::fromStdString(png)));
  const std::string text = tree.file("notes.txt", 0);
  {
    FILE* out = fopen(text.c_str(), "w");
    fputs("héllo\nworld\n", out);
    fclose(out);
  }
  const std::string binary = dir / "blob.bin";
  {
    FILE* out = fopen(binary.c_str(), "wb");
    const char bytes[] = {'\x7f', 'E', 'L', 'F', '\0', '\x01'};
    fwrite(bytes, 1, sizeof bytes, out);
    fclose(out);
  }
  const std::string fifo = dir / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  tree.symlink(text, "link.txt");
  const QSize box(100, 100);
  const std::string kHome = parentPath(dir.path());  // the folder shows under the home given

  PreviewContent p = loadPreview({png, false}, kHome, box);
  ASSERT_EQ(p.kind, PreviewContent::Kind::image);
  EXPECT_EQ(p.image.size(), QSize(100, 50));
  EXPECT_EQ(p.name, QStringLiteral("picture.png"));
  EXPECT_EQ(p.where, QString::fromStdString("~/" + lastPathComponent(dir.path())));

  p = loadPreview({text, false}, kHome, box);
  ASSERT_EQ(p.kind, PreviewContent::Kind::text);
  EXPECT_EQ(p.text, QStringLiteral("héllo\nworld\n"));
  EXPECT_FALSE(p.truncated);
  p = loadPreview({text, false}, kHome, box, 2);  // "h" and half of "é": the cut character is held back
  ASSERT_EQ(p.kind, PreviewContent::Kind::text);
  EXPECT_EQ(p.text, QStringLiteral("h"));
  EXPECT_TRUE(p.truncated);

  struct Case {
    std::string path;
    bool directory;
    QString kind;
  };
  const Case facts[] = {
      {binary, false, QStringLiteral("Other")},
      {fifo, false, QStringLiteral("Special file")},
      {dir / "link.txt", false, QStringLiteral("Symbolic link")},
      {dir.path(), true, QStringLiteral("Folder")},
      {dir / "missing", false, QStringLiteral("No longer on disk")},
  };
  for (const Case& c : facts) {
    p = loadPreview({c.path, c.directory}, kHome, box);
    EXPECT_EQ(p.kind, PreviewContent::Kind::facts) << c.path;
    EXPECT_EQ(p.kindText, c.kind) << c.path;
  }
}

// The panel loads off the UI thread: of two targets shown one after the other only the second is
// presented, and a panel closed while a load is on its way is simply gone when the load ends.
TEST(QuickLook, ThePanelPresentsOnlyTheNewestTargetAndOutlivesNoLoad) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  const std::string first = tree.file("first.txt", 3), second = tree.file("second.txt", 5);
  auto panel = std::make_unique<QuickLookPanel>("/home/me");
  QSignalSpy loaded(panel.get(), &QuickLookPanel::loaded);
  panel->showTarget({first, false});
  panel->showTarget({second, false});
  ASSERT_TRUE(waitUntil([&] { return panel->isLoaded(); }));
  QThreadPool::globalInstance()->waitForDone();
  QCoreApplication::processEvents();
  EXPECT_EQ(loaded.count(), 1);
  EXPECT_TRUE(panel->toolTip().startsWith(QStringLiteral("second.txt"))) << panel->toolTip().toStdString();

  panel->showTarget({first, false});
  panel.reset();
  QThreadPool::globalInstance()->waitForDone();
  QCoreApplication::processEvents();
}
