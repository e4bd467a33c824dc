// The Junk screen: searching on the first visit, sections and rules, opening rules, ticks, and the
// clean through the reviewed deletion, on findings of a fake finder and on real junk in a fixture home.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "app/ObjectNames.h"
#include "app/components/PageHeader.h"
#include "shell/ConfirmDeletionDialog.h"
#include "support/JunkFixtures.h"
#include "support/qt/FakeEngines.h"
#include "views/ExplorerFixture.h"
#include "views/analysis/SelectionBar.h"
#include "views/cleanup/JunkList.h"
#include "views/cleanup/JunkView.h"

namespace tolvex {
namespace {

using namespace tolvex::test;
using Kind = JunkRow::Kind;

// A store whose junk finder answers what the test scripts (the real finder when none is given), and
// the Junk screen in a window of the usual size.
struct JunkHarness {
  AppFixture f;
  Scripted<std::vector<JunkFinding>> finder;
  std::unique_ptr<AppState> state;
  std::unique_ptr<QWidget> window;
  JunkView* view = nullptr;

  explicit JunkHarness(bool fakeFinder = true) {
    AppEnvironment env = f.environment();
    if (fakeFinder) env.findJunk = [finder = finder](const std::vector<JunkRule>&, bool, double) { return finder.take(); };
    state = std::make_unique<AppState>(env);
    waitOrFail([&] { return !state->isRestoringScan(); }, "the start-up has finished");
  }
  ~JunkHarness() {
    window.reset();
    state->waitForBackgroundWork();
    QCoreApplication::processEvents();
  }

  // Shows a fresh screen, as a visit to the section does.
  JunkView* open() {
    window = std::make_unique<QWidget>();
    window->resize(1040, 680);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    view = new JunkView(*state, window.get());
    layout->addWidget(view);
    window->show();
    settle();
    return view;
  }
  void waitForFindings() {
    ASSERT_TRUE(waitUntil([&] { return !state->junkLoading(); }));
    settle();
  }

  JunkList* list() const { return view->list(); }
  JunkListModel* model() const { return list()->junkModel(); }
  int rowCount() const { return model()->rowCount(); }
  QModelIndex index(int row) const { return model()->index(row); }
  Kind kind(int row) const { return static_cast<Kind>(index(row).data(JunkListModel::KindRole).toInt()); }
  QString text(int row) const { return index(row).data().toString(); }
  // The row of the rule `id`.
  int ruleRow(const std::string& id) const {
    for (int r = 0; r < rowCount(); ++r)
      if (kind(r) == Kind::rule && index(r).data(JunkListModel::RuleIdRole).toString() == QString::fromStdString(id))
        return r;
    ADD_FAILURE() << "no row for rule " << id;
    return -1;
  }
  // The rows as the user reads them: "[name]" for sections, the title for rules and items.
  std::vector<QString> sectionTitles() const {
    std::vector<QString> out;
    for (int r = 0; r < rowCount(); ++r)
      if (kind(r) == Kind::section) out.push_back(text(r));
    return out;
  }
  // Clicks like a user: on the chevron or the box of a row, scrolled into view first.
  void click(int row, JunkListDelegate::Hit where) {
    list()->scrollTo(index(row));
    settle();
    const QRect rect = list()->visualRect(index(row));
    const QRect target = where == JunkListDelegate::Hit::chevron
                             ? JunkListDelegate::chevronRect(rect)
                             : JunkListDelegate::checkRect(static_cast<Kind>(kind(row)), rect);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, target.center());
    settle();
  }
  bool checked(int row) const { return index(row).data(JunkListModel::CheckedRole).toBool(); }
  double opacity(int row) const { return index(row).data(JunkListModel::OpacityRole).toDouble(); }
  SelectionBar* bar() const { return view->selectionBar(); }
  QString barCount() const { return bar()->findChild<QLabel*>(QLatin1String(names::selectionBarCount))->text(); }
  void pressBar(const char* name) {
    QTest::mouseClick(bar()->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    settle();
  }
};

std::vector<FoundItem> itemsIn(const std::string& folder, int count, int64_t size = 4096) {
  std::vector<FoundItem> items;
  for (int i = 0; i < count; ++i) items.emplace_back(folder + "/entry" + std::to_string(i), size);
  return items;
}

TEST(JunkView, FirstVisitSearchesOnceLaterVisitsShowWhatWasFoundAndScanAgainAlwaysSearches) {
  JunkHarness h;
  h.finder.answer({findingOf("user-caches", {{"/h/Library/Caches/a", 8192}})});
  auto gate = h.finder.holdCall(1);
  JunkView* view = h.open();
  EXPECT_EQ(view->header()->title(), "Junk");
  EXPECT_EQ(view->header()->subtitle(), QStringLiteral("Everything Quick Clean checks, item by item."));
  EXPECT_EQ(view->scanAgainButton()->text(), "Scan Again");
  EXPECT_EQ(view->scanAgainButton()->property("sfSymbol").toString(), "arrow.clockwise");
  ASSERT_TRUE(waitUntil([&] { return gate->someoneWaiting(); }));
  EXPECT_EQ(h.finder.calls(), 1);
  EXPECT_TRUE(view->isSearchingShown());
  EXPECT_TRUE(view->findChild<QWidget*>(QLatin1String(names::junkSearching))->isVisible());
  EXPECT_FALSE(view->scanAgainButton()->isEnabled());
  gate->open();
  h.waitForFindings();
  EXPECT_FALSE(view->isSearchingShown());
  EXPECT_TRUE(view->scanAgainButton()->isEnabled());
  EXPECT_EQ(h.sectionTitles(), std::vector<QString>{"System Junk"});

  // A later visit shows the findings at once; "Scan Again" searches while they stay on screen.
  view = h.open();
  EXPECT_EQ(h.finder.calls(), 1);
  EXPECT_EQ(h.rowCount(), 2);
  auto second = h.finder.holdCall(2);
  QTest::mouseClick(view->scanAgainButton(), Qt::LeftButton);
  settle();
  ASSERT_TRUE(waitUntil([&] { return second->someoneWaiting(); }));
  EXPECT_EQ(h.finder.calls(), 2);
  EXPECT_FALSE(view->isSearchingShown());
  EXPECT_EQ(h.rowCount(), 2);
  EXPECT_FALSE(view->scanAgainButton()->isEnabled());
  second->open();
  h.waitForFindings();
  EXPECT_TRUE(view->scanAgainButton()->isEnabled());
}

TEST(JunkView, SectionsInCategoryOrderAndNothingFoundIsAnEmptyList) {
  JunkHarness h;
  h.finder.answer({findingOf("old-installers", {{"/h/Downloads/a.dmg", 90000}}),
                   findingOf("npm-cache", {{"/h/.npm/_cacache/x", 50000}}),
                   findingOf("user-logs", {{"/h/Library/Logs/y", 40000}})});
  h.open();
  h.waitForFindings();
  EXPECT_EQ(h.sectionTitles(), (std::vector<QString>{"System Junk", "Developer", "Downloads"}));
  const int logs = h.ruleRow("user-logs");
  EXPECT_EQ(h.text(logs), "Logs and crash reports");
  EXPECT_EQ(h.index(logs).data(JunkListModel::CountTextRole).toString(), "1 items");
  EXPECT_EQ(h.index(logs).data(JunkListModel::SizeTextRole).toString(), "40 KB");
  EXPECT_EQ(h.index(logs).data(JunkListModel::ExplanationRole).toString(),
            "Activity and error history from apps. Only useful for diagnosing problems.");

  h.finder.answer({});
  QTest::mouseClick(h.view->scanAgainButton(), Qt::LeftButton);
  h.waitForFindings();
  EXPECT_EQ(h.rowCount(), 0);
  EXPECT_FALSE(h.view->isSearchingShown());
  EXPECT_FALSE(h.bar()->isVisible());
}

TEST(JunkView, AnOpenRuleListsAtMost300ItemsAndItsBoxTicksEveryItem) {
  JunkHarness h;
  h.finder.answer({findingOf("user-caches", itemsIn("/h/Library/Caches", 301)),
                   findingOf("user-logs", itemsIn("/h/Library/Logs", 300, 1000))});
  h.open();
  h.waitForFindings();
  const int caches = h.ruleRow("user-caches");
  EXPECT_EQ(h.index(caches).data(JunkListModel::ChevronLabelRole).toString(), "Expand");
  h.click(caches, JunkListDelegate::Hit::chevron);
  EXPECT_EQ(h.view->expanded(), StringSet{"user-caches"});
  EXPECT_EQ(h.index(caches).data(JunkListModel::ChevronLabelRole).toString(), "Collapse");
  EXPECT_EQ(h.list()->chevronAngle("user-caches", true), 90.0);
  EXPECT_EQ(h.kind(caches + 300), Kind::item);
  EXPECT_EQ(h.kind(caches + 301), Kind::more);
  EXPECT_EQ(h.text(caches + 301), QStringLiteral("\u2026 and 1 more"));

  h.click(h.ruleRow("user-logs"), JunkListDelegate::Hit::chevron);
  const int logs = h.ruleRow("user-logs");
  EXPECT_EQ(h.rowCount(), logs + 1 + 300);  // exactly 300: no "more" line

  // The rule's box ticks all 301 items, also the one not listed.
  h.click(caches, JunkListDelegate::Hit::check);
  EXPECT_TRUE(h.checked(caches));
  EXPECT_EQ(h.view->selected().size(), 301u);
  EXPECT_TRUE(h.bar()->isVisible());
  EXPECT_EQ(h.barCount(), "301 selected");
  EXPECT_TRUE(h.checked(caches + 1));

  // One item off: the rule's box shows unticked, dimmed; a click ticks the whole rule again.
  h.click(caches + 1, JunkListDelegate::Hit::check);
  EXPECT_FALSE(h.checked(caches + 1));
  EXPECT_FALSE(h.checked(caches));
  EXPECT_EQ(h.opacity(caches), 0.6);
  EXPECT_EQ(h.barCount(), "300 selected");
  h.click(caches, JunkListDelegate::Hit::check);
  EXPECT_EQ(h.view->selected().size(), 301u);
  EXPECT_EQ(h.opacity(caches), 1.0);
  h.click(caches, JunkListDelegate::Hit::check);
  EXPECT_TRUE(h.view->selected().empty());
  EXPECT_FALSE(h.bar()->isVisible());

  // Closing the rule takes its items away again.
  h.click(caches, JunkListDelegate::Hit::chevron);
  EXPECT_EQ(h.kind(caches + 1), Kind::rule);
  EXPECT_EQ(h.list()->chevronAngle("user-caches", false), 0.0);
}

TEST(JunkView, ItemRowsShowNameDateAndSizeAndRevealFromTheirMenu) {
  JunkHarness h;
  FakeServices services;
  TreeBuilder tree(h.f.home / "Library/Caches");
  const std::string dated = tree.file("dated.cache", 100), epoch = tree.file("epoch.cache", 100);
  h.finder.answer({findingOf("user-caches", {{dated, 9000, 1.7e9}, {epoch, 8000, 0.0}, {h.f.home / "undated", 7000}})});
  h.open();
  h.waitForFindings();
  const int rule = h.ruleRow("user-caches");
  h.click(rule, JunkListDelegate::Hit::chevron);
  EXPECT_EQ(h.text(rule + 1), "dated.cache");
  EXPECT_EQ(h.index(rule + 1).data(JunkListModel::DateTextRole).toString(), "Nov 14, 2023");
  EXPECT_EQ(h.index(rule + 1).data(JunkListModel::SizeTextRole).toString(), "9 KB");
  EXPECT_EQ(h.index(rule + 2).data(JunkListModel::DateTextRole).toString(), QStringLiteral("\u2014"));
  EXPECT_TRUE(h.index(rule + 3).data(JunkListModel::DateTextRole).toString().isEmpty());

  // "Show in Finder" from an item's menu; a rule row has no menu; a vanished item shows nothing.
  auto menuAt = [&](int row) {
    h.list()->scrollTo(h.index(row));
    emit h.list()->customContextMenuRequested(h.list()->visualRect(h.index(row)).center());
    settle();
    QMenu* menu = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QLatin1String(names::junkItemMenu) && w->isVisible()) menu = qobject_cast<QMenu*>(w);
    return menu;
  };
  EXPECT_EQ(menuAt(rule), nullptr);
  QMenu* menu = menuAt(rule + 1);
  ASSERT_TRUE(menu);
  QAction* reveal = menu->findChild<QAction*>(QLatin1String(names::junkMenuReveal));
  ASSERT_TRUE(reveal);
  EXPECT_EQ(reveal->text(), "Show in Finder");
  reveal->trigger();
  menu->close();
  menu = menuAt(rule + 3);
  ASSERT_TRUE(menu);
  menu->findChild<QAction*>(QLatin1String(names::junkMenuReveal))->trigger();
  menu->close();
  EXPECT_EQ(services.revealed, std::vector<std::string>{dated});
}

TEST(JunkView, CleanPlansTheTickedItemsAsTheirRulesSayAndKeepsTheTicks) {
  JunkHarness h;
  JunkFinding retired = findingOf("user-caches", {{"/h/Library/Retired/thing", 5000}});
  retired.rule.id = "retired-rule";
  retired.items[0].ruleID = "retired-rule";
  h.finder.answer({findingOf("user-logs", {{"/h/Library/Logs/a.log", 3000}, {"/h/Library/Logs/b.log", 2000}}),
                   findingOf("old-installers", {{"/h/Downloads/c.dmg", 1000}}), retired});
  h.open();
  h.waitForFindings();
  for (const char* rule : {"user-logs", "retired-rule"}) h.click(h.ruleRow(rule), JunkListDelegate::Hit::check);
  EXPECT_EQ(h.barCount(), "3 selected");
  EXPECT_EQ(h.bar()->values().actionTitle, QStringLiteral("Clean\u2026"));
  EXPECT_FALSE(h.bar()->values().secondaryTitle);
  h.pressBar(names::selectionBarAction);
  ASSERT_TRUE(h.state->plan());
  const DeletionPlan& plan = *h.state->plan();
  EXPECT_EQ(plan.title, "Clean Junk");
  // The item of a rule the table does not know is not planned: nothing says how it may go.
  ASSERT_EQ(plan.items.size(), 2u);
  EXPECT_EQ(plan.items[0].path, "/h/Library/Logs/a.log");
  EXPECT_EQ(plan.items[0].name, "a.log");
  EXPECT_EQ(plan.items[1].name, "b.log");
  for (const PlanItem& item : plan.items) {
    EXPECT_EQ(item.removal, Removal::permanent);
    EXPECT_EQ(item.verdict, h.state->verdictFor(item.path));
  }
  EXPECT_EQ(h.view->selected().size(), 3u);

  // Cancelling leaves the ticks; "Deselect" empties them and the bar goes.
  h.state->dismissPlan();
  settle();
  EXPECT_EQ(h.view->selected().size(), 3u);
  h.pressBar(names::selectionBarDeselect);
  EXPECT_TRUE(h.view->selected().empty());
  EXPECT_FALSE(h.bar()->isVisible());
}

TEST(JunkView, RealJunkCleanedThroughTheSheetGoesToTheTrashIntoHistoryAndComesBackWithUndo) {
  JunkHarness h(false);
  TreeBuilder home(h.f.home.home());
  const std::string cache = home.allocatedFile("Library/Caches/com.example.editor/blob.bin", 1 << 20);
  const std::string log = home.allocatedFile("Library/Logs/editor.log", 64 << 10);
  home.allocatedFile("Library/Developer/Xcode/Archives/Build.xcarchive/Info.plist", 256 << 10);
  h.open();
  h.waitForFindings();
  EXPECT_EQ(h.sectionTitles(), (std::vector<QString>{"System Junk", "Developer"}));
  const int archives = h.ruleRow("xcode-archives");
  EXPECT_EQ(h.text(archives), QStringLiteral("Xcode \u00B7 Archives"));
  h.click(archives, JunkListDelegate::Hit::check);
  h.click(h.ruleRow("user-logs"), JunkListDelegate::Hit::check);
  const int caches = h.ruleRow("user-caches");
  h.click(caches, JunkListDelegate::Hit::chevron);
  EXPECT_EQ(h.text(caches + 1), "com.example.editor");
  EXPECT_EQ(h.barCount(), "2 selected");
  h.pressBar(names::selectionBarAction);
  ASSERT_TRUE(h.state->plan());

  // Through the sheet, as the window presents it; review items need the tick.
  auto* sheet = new ConfirmDeletionDialog(*h.state, *h.state->plan(), h.window.get());
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->open();
  settle();
  if (auto* review = sheet->findChild<QCheckBox*>(QLatin1String(names::confirmReviewToggle));
      review && review->isVisible())
    QTest::mouseClick(review, Qt::LeftButton);
  QTest::mouseClick(sheet->findChild<QPushButton*>(QLatin1String(names::confirmDelete)), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return h.state->toast().has_value(); }));
  settle();

  // The archive (a rule that moves to the Trash) is in the Trash; the log (deleted for good) is gone.
  const std::string archive = h.f.home / "Library/Developer/Xcode/Archives/Build.xcarchive";
  EXPECT_FALSE(pathExists(archive));
  EXPECT_TRUE(pathExists(h.f.home.dataHome() + "/Trash/files/Build.xcarchive"));
  EXPECT_FALSE(pathExists(log));
  EXPECT_TRUE(pathExists(cache));
  ASSERT_EQ(h.state->history().entries().size(), 2u);
  ASSERT_TRUE(h.state->toast()->undoable.size() == 1u);
  EXPECT_EQ(h.state->toast()->undoable[0].originalPath, archive);

  // The deleted items leave the ticks; their rules stay, empty, unticked at full opacity.
  EXPECT_TRUE(h.view->selected().empty());
  EXPECT_FALSE(h.bar()->isVisible());
  const int emptied = h.ruleRow("xcode-archives");
  EXPECT_EQ(h.index(emptied).data(JunkListModel::CountTextRole).toString(), "0 items");
  EXPECT_EQ(h.index(emptied).data(JunkListModel::SizeTextRole).toString(), "Zero KB");
  EXPECT_FALSE(h.checked(emptied));
  EXPECT_EQ(h.opacity(emptied), 1.0);
  h.click(emptied, JunkListDelegate::Hit::check);
  EXPECT_TRUE(h.view->selected().empty());

  h.state->undoDeletion(h.state->toast()->undoable);
  EXPECT_TRUE(pathExists(archive + "/Info.plist"));
  EXPECT_EQ(h.state->toast()->message, QStringLiteral("1 item(s) restored"));
}

}  // namespace
}  // namespace tolvex
