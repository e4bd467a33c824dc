#include <gtest/gtest.h>

#include <algorithm>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <sys/stat.h>

#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/SegmentedBar.h"
#include "app/components/SymbolView.h"
#include "support/qt/FakeEngines.h"
#include "views/AppsScreenFixture.h"
#include "views/cleanup/AppDetailPane.h"
#include "views/cleanup/ApplicationsView.h"
#include "views/cleanup/RecordTable.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

bool exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> appNames(const ApplicationsView& view) {
  std::vector<std::string> out;
  for (const InstalledApp& app : view.listed()) out.push_back(app.name);
  return out;
}

// The screen over the fixture applications, shown and loaded.
struct Shown : AppsScreen {
  std::unique_ptr<ApplicationsView> view;
  explicit Shown(std::function<std::vector<InstalledApp>()> inventory = {}) : AppsScreen(std::move(inventory)) {
    view = std::make_unique<ApplicationsView>(*state);
    view->resize(1100, 700);
    view->show();
  }
  void loaded() {
    waitOrFail([&] { return !state->appsLoading() && !state->apps().empty(); }, "the applications are measured");
    settle();
  }
  template <typename T>
  T* find(const char* name) const {
    return view->findChild<T*>(QLatin1String(name));
  }
  void select(const std::string& path) {
    view->table()->setSelection({path});
    settle();
  }
};

}  // namespace

TEST(ApplicationsView, ListsTheAppsWithTheirSizesAndFilters) {
  Shown s;
  EXPECT_TRUE(s.state->appsLoading());  // shown: measured
  s.loaded();
  EXPECT_EQ(*s.inventoryCalls, 1);
  // Apple's applications are hidden at first; the most bytes in all come first.
  EXPECT_EQ(appNames(*s.view), (std::vector<std::string>{"Editor", "Viewer", "Loose"}));
  const QString summary = s.find<QLabel>(names::appsSummary)->text();
  EXPECT_TRUE(summary.startsWith(QStringLiteral("3 apps \u00B7 "))) << summary.toStdString();
  RecordTable* table = s.view->table();
  const InstalledApp* editor = findApp(s.state->apps(), s.editor);
  ASSERT_TRUE(editor);
  ASSERT_EQ(editor->related.size(), 3u);
  EXPECT_EQ(table->cellText(0, ApplicationsView::dataColumn), bytesText(editor->dataSize()));
  EXPECT_EQ(table->cellText(1, ApplicationsView::dataColumn), QStringLiteral("\u2014"));
  EXPECT_EQ(table->cellText(1, ApplicationsView::lastUsedColumn), QStringLiteral("Never / unknown"));

  s.find<QCheckBox>(names::appsHideApple)->click();
  s.settle();
  EXPECT_EQ(appNames(*s.view).size(), 4u);
  s.find<QCheckBox>(names::appsHideApple)->click();
  s.settle();
  EXPECT_EQ(appNames(*s.view).size(), 3u);

  // A fragment of the identifier finds an application whose name does not hold it, in any case.
  QTest::keyClicks(s.find<QLineEdit>(names::appsSearch), QStringLiteral("EXAMPLE.view"));
  s.settle();
  EXPECT_EQ(appNames(*s.view), std::vector<std::string>{"Viewer"});
  EXPECT_EQ(s.find<QLabel>(names::appsSummary)->text().left(8), QStringLiteral("1 apps \u00B7"));
  s.find<QLineEdit>(names::appsSearch)->clear();
  QTest::keyClicks(s.find<QLineEdit>(names::appsSearch), QStringLiteral("nothing"));
  s.settle();
  EXPECT_TRUE(appNames(*s.view).empty());
  EXPECT_EQ(s.find<QLabel>(names::appsSummary)->text(), QStringLiteral("0 apps \u00B7 Zero KB"));

  // Coming back to the screen with a list measures nothing again.
  ApplicationsView again(*s.state);
  again.show();
  s.settle();
  EXPECT_FALSE(s.state->appsLoading());
  EXPECT_EQ(*s.inventoryCalls, 1);
}

TEST(ApplicationsView, HeaderClicksSortByEachColumn) {
  Shown s;
  s.loaded();
  RecordTable* table = s.view->table();
  auto clickHeader = [&](int column) {
    emit table->headerClicked(column);
    s.settle();
  };
  clickHeader(ApplicationsView::appColumn);
  EXPECT_EQ(appNames(*s.view), (std::vector<std::string>{"Editor", "Loose", "Viewer"}));
  clickHeader(ApplicationsView::appColumn);
  EXPECT_EQ(appNames(*s.view), (std::vector<std::string>{"Viewer", "Loose", "Editor"}));
  EXPECT_EQ(table->horizontalHeader()->sortIndicatorSection(), ApplicationsView::appColumn);
  EXPECT_EQ(table->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
  clickHeader(ApplicationsView::dataColumn);
  EXPECT_EQ(appNames(*s.view).back(), "Editor");
  clickHeader(ApplicationsView::bundleColumn);
  EXPECT_EQ(appNames(*s.view).back(), "Viewer");
  EXPECT_EQ(table->horizontalHeader()->sortIndicatorSection(), ApplicationsView::bundleColumn);
}

TEST(ApplicationsView, InspectorShowsTheSelectedAppAndItsData) {
  Shown s;
  s.loaded();
  EXPECT_FALSE(s.view->inspectorColumn()->isVisible());
  s.select(s.editor);
  ASSERT_TRUE(s.view->inspectorColumn()->isVisible());
  AppInspector* inspector = s.view->inspector();
  ASSERT_TRUE(inspector);
  EXPECT_EQ(inspector->findChild<QLabel*>(QLatin1String(names::appInspectorName))->text(), QStringLiteral("Editor"));
  EXPECT_EQ(inspector->findChild<QLabel*>(QLatin1String(names::appInspectorBundleID))->text(),
            QStringLiteral("com.example.Editor"));
  const InstalledApp* editor = findApp(s.state->apps(), s.editor);
  EXPECT_EQ(inspector->findChild<QLabel*>(QLatin1String(names::appInspectorDataLegend))->text(),
            QStringLiteral("Data ") + bytesText(editor->dataSize()));
  EXPECT_EQ(inspector->findChild<QLabel*>(QLatin1String(names::appInspectorAppLegend))->text(),
            QStringLiteral("App ") + bytesText(editor->appSize));
  auto* bar = inspector->findChild<SegmentedBar*>();
  ASSERT_TRUE(bar);
  ASSERT_EQ(bar->segments().size(), 2u);
  EXPECT_EQ(bar->segments()[0].value, editor->appSize);
  EXPECT_EQ(bar->segments()[1].value, editor->dataSize());
  EXPECT_EQ(bar->total(), editor->totalSize());
  // Related items in the inventory's order (largest first), each revealed by its own button.
  std::vector<QString> rows;
  for (QWidget* row : inspector->findChildren<QWidget*>(QLatin1String(names::appRelatedRow)))
    rows.push_back(row->property("path").toString());
  EXPECT_EQ(rows, (std::vector<QString>{QString::fromStdString(s.editorCache), QString::fromStdString(s.editorSupport),
                                        QString::fromStdString(s.editorPrefs)}));
  inspector->findChildren<QToolButton*>(QLatin1String(names::appRelatedReveal)).at(1)->click();
  EXPECT_EQ(s.services.revealed, std::vector<std::string>{s.editorSupport});
  auto* uninstall = inspector->findChild<QPushButton*>(QLatin1String(names::appInspectorUninstall));
  ASSERT_TRUE(uninstall);
  EXPECT_TRUE(uninstall->isEnabled());
  EXPECT_FALSE(inspector->findChild<QLabel*>(QLatin1String(names::appInspectorQuitNote)));

  // Running: the button is disabled with the note; once quit, enabled again.
  s.setRunning({"com.example.Editor"});
  s.select(s.editor);  // selecting reads the running applications afresh
  inspector = s.view->inspector();
  EXPECT_FALSE(inspector->findChild<QPushButton*>(QLatin1String(names::appInspectorUninstall))->isEnabled());
  EXPECT_EQ(inspector->findChild<QLabel*>(QLatin1String(names::appInspectorQuitNote))->text(),
            QStringLiteral("Quit the app to uninstall it."));
  // The running application's name cell explains its dot; the other columns and rows give no help.
  RecordTableModel* model = s.view->table()->recordModel();
  const auto rowOf = [&](const std::string& id) {
    const auto& ids = model->ids();
    return static_cast<int>(std::find(ids.begin(), ids.end(), id) - ids.begin());
  };
  EXPECT_EQ(model->index(rowOf(s.editor), 0).data(Qt::ToolTipRole).toString(), QStringLiteral("Running"));
  EXPECT_EQ(model->index(rowOf(s.editor), 1).data(Qt::ToolTipRole).toString(), QString());
  EXPECT_EQ(model->index(rowOf(s.viewer), 0).data(Qt::ToolTipRole).toString(), QString());
  s.setRunning({});
  s.select(s.editor);
  inspector = s.view->inspector();
  EXPECT_TRUE(inspector->findChild<QPushButton*>(QLatin1String(names::appInspectorUninstall))->isEnabled());
  EXPECT_FALSE(inspector->findChild<QLabel*>(QLatin1String(names::appInspectorQuitNote)));

  // An application with no data.
  s.select(s.viewer);
  inspector = s.view->inspector();
  EXPECT_EQ(inspector->findChild<QLabel*>(QLatin1String(names::appInspectorNoData))->text(),
            QStringLiteral("No data found outside the app."));
  EXPECT_EQ(inspector->findChild<QLabel*>(QLatin1String(names::appInspectorDataLegend))->text(),
            QStringLiteral("Data Zero KB"));

  // Apple's: the lock and no button. A selection hidden by the filters keeps its inspector.
  s.select(s.safari);
  inspector = s.view->inspector();
  ASSERT_TRUE(inspector);
  EXPECT_EQ(inspector->app().path, s.safari);
  EXPECT_FALSE(inspector->findChild<QPushButton*>(QLatin1String(names::appInspectorUninstall)));
  auto* lock = inspector->findChild<SymbolLabel*>(QLatin1String(names::appInspectorAppleLock));
  ASSERT_TRUE(lock);
  EXPECT_EQ(lock->symbol(), QStringLiteral("lock.fill"));
  EXPECT_EQ(lock->text(), QStringLiteral("Apple app: Tolvex doesn\u2019t uninstall it."));
  EXPECT_EQ(static_cast<size_t>(inspector->findChildren<QWidget*>(QLatin1String(names::appRelatedRow)).size()),
            inspector->app().related.size());
}

// A selected application hidden by the search stays in the inspector, and the user can still end
// that selection: Escape in the table, or a click below its rows, closes the column.
TEST(ApplicationsView, ASelectionHiddenByTheSearchCanBeCleared) {
  struct Case {
    const char* how;
    std::function<void(RecordTable*)> clear;
  };
  const Case cases[] = {
      {"Escape", [](RecordTable* t) { QTest::keyClick(t, Qt::Key_Escape); }},
      {"a click below the rows",
       [](RecordTable* t) {
         QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, QPoint(20, t->viewport()->height() - 5));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    Shown s;
    s.loaded();
    s.select(s.editor);
    QTest::keyClicks(s.find<QLineEdit>(names::appsSearch), QStringLiteral("Viewer"));
    s.settle();
    ASSERT_EQ(appNames(*s.view), std::vector<std::string>{"Viewer"});
    ASSERT_TRUE(s.view->inspectorColumn()->isVisible());
    ASSERT_TRUE(s.view->inspector());
    EXPECT_EQ(s.view->inspector()->app().path, s.editor);
    c.clear(s.view->table());
    s.settle();
    EXPECT_TRUE(s.view->table()->selection().empty());
    EXPECT_FALSE(s.view->inspectorColumn()->isVisible());
    EXPECT_EQ(s.view->selection(), std::nullopt);
  }
}

TEST(ApplicationsView, ContextMenuOffersUninstallExceptForApple) {
  Shown s;
  s.loaded();
  s.find<QCheckBox>(names::appsHideApple)->click();
  s.settle();
  s.setRunning({"com.example.Viewer"});
  auto actions = [&](const std::set<std::string>& paths) {
    std::unique_ptr<QMenu> menu(s.view->buildContextMenu(paths));
    std::vector<std::pair<QString, bool>> out;
    for (QAction* action : menu->actions()) out.emplace_back(action->text(), action->isEnabled());
    return out;
  };
  using Actions = std::vector<std::pair<QString, bool>>;
  EXPECT_EQ(actions({s.safari}),
            (Actions{{QStringLiteral("Show in Finder"), true}, {QStringLiteral("Uninstall\u2026"), false}}));
  EXPECT_EQ(actions({s.viewer}),
            (Actions{{QStringLiteral("Show in Finder"), true}, {QStringLiteral("Uninstall\u2026"), true}}));
  EXPECT_TRUE(actions({"/nowhere.app"}).empty());
  EXPECT_TRUE(actions({}).empty());
  std::unique_ptr<QMenu> menu(s.view->buildContextMenu({s.viewer}));
  menu->actions().at(1)->trigger();
  ASSERT_TRUE(s.state->plan());
  EXPECT_EQ(s.state->plan()->title, QStringLiteral("Uninstall Viewer"));
  menu->actions().at(0)->trigger();
  EXPECT_EQ(s.services.revealed, std::vector<std::string>{s.viewer});
}

TEST(ApplicationsView, UninstallGoesToTheTrashThroughThePlanAndCanBeUndone) {
  Shown s;
  s.loaded();
  s.select(s.editor);
  s.view->inspector()->findChild<QPushButton*>(QLatin1String(names::appInspectorUninstall))->click();
  ASSERT_TRUE(s.state->plan());
  EXPECT_EQ(s.state->plan()->title, QStringLiteral("Uninstall Editor"));
  ASSERT_EQ(s.state->plan()->items.size(), 4u);
  EXPECT_EQ(s.state->plan()->items[0].path, s.editor);
  EXPECT_EQ(s.state->plan()->items[1].name, "Caches \u00B7 com.example.Editor");
  EXPECT_TRUE(exists(s.editor));  // nothing before the confirmation

  s.state->confirmDeletion(*s.state->plan(), true);
  ASSERT_TRUE(waitUntil([&] { return s.state->toast() && !s.state->toast()->undoable.empty(); }));
  s.settle();
  for (const std::string& path : {s.editor, s.editorCache, s.editorSupport, s.editorPrefs})
    EXPECT_FALSE(exists(path)) << path;
  EXPECT_EQ(appNames(*s.view), (std::vector<std::string>{"Viewer", "Loose"}));
  EXPECT_EQ(s.state->history().entries().size(), 4u);
  // The selection still names the application: the column stays open and says so.
  EXPECT_TRUE(s.view->inspectorColumn()->isVisible());
  EXPECT_TRUE(s.find<QLabel>(names::appsSelectAnApp)->isVisible());
  EXPECT_FALSE(s.view->inspector() && s.view->inspector()->isVisible());
  // No row shows it, yet a click below the rows clears it, and the column closes.
  RecordTable* table = s.view->table();
  const QRect lastRow = table->visualRect(table->model()->index(table->model()->rowCount() - 1, 0));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(20, lastRow.bottom() + 30));
  s.settle();
  EXPECT_TRUE(table->selection().empty());
  EXPECT_FALSE(s.view->inspectorColumn()->isVisible());

  s.state->undoDeletion(s.state->toast()->undoable);
  for (const std::string& path : {s.editor, s.editorCache, s.editorSupport, s.editorPrefs})
    EXPECT_TRUE(exists(path)) << path;
}

TEST(ApplicationsView, RefreshKeepsTheRowsAndWaitsForTheNewList) {
  Scripted<std::vector<InstalledApp>> inventory;
  InstalledApp one;
  one.path = "/Applications/One.app";
  one.name = "One";
  inventory.answer({one});
  auto first = inventory.holdCall(1), second = inventory.holdCall(2);
  Shown s([inventory] { return inventory.take(); });
  // Nothing listed yet: the progress indicator.
  s.settle();
  EXPECT_TRUE(s.find<QWidget>(names::appsLoading)->isVisible());
  EXPECT_FALSE(s.find<QPushButton>(names::appsRefresh)->isEnabled());
  first->open();
  ASSERT_TRUE(waitUntil([&] { return !s.state->appsLoading(); }));
  s.settle();
  EXPECT_TRUE(s.view->table()->isVisible());
  EXPECT_TRUE(s.find<QPushButton>(names::appsRefresh)->isEnabled());

  s.find<QPushButton>(names::appsRefresh)->click();
  s.settle();
  EXPECT_FALSE(s.find<QPushButton>(names::appsRefresh)->isEnabled());
  EXPECT_TRUE(s.view->table()->isVisible());
  EXPECT_EQ(appNames(*s.view), std::vector<std::string>{"One"});
  InstalledApp two = one;
  two.path = "/Applications/Two.app";
  two.name = "Two";
  inventory.answer({one, two});
  second->open();
  ASSERT_TRUE(waitUntil([&] { return !s.state->appsLoading(); }));
  s.settle();
  EXPECT_EQ(appNames(*s.view).size(), 2u);
  EXPECT_TRUE(s.find<QPushButton>(names::appsRefresh)->isEnabled());
}
