#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <sys/stat.h>

#include "app/ObjectNames.h"
#include "model/SafetyVerdict.h"
#include "views/AppsScreenFixture.h"
#include "views/analysis/SelectionBar.h"
#include "views/cleanup/AppLeftoversView.h"
#include "views/cleanup/RecordTable.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

bool exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> identifiers(const AppLeftoversView& view) {
  std::vector<std::string> out;
  for (const Leftover& row : view.rows()) out.push_back(row.identifier);
  return out;
}

struct Shown : AppsScreen {
  std::unique_ptr<AppLeftoversView> view;
  Shown() {
    view = std::make_unique<AppLeftoversView>(*state);
    view->resize(1000, 640);
    view->show();
  }
  void found() {
    waitOrFail([&] { return !state->leftoversLoading(); }, "the leftovers are found");
    settle();
  }
  template <typename T>
  T* find(const char* name) const {
    return view->findChild<T*>(QLatin1String(name));
  }
};

}  // namespace

TEST(AppLeftoversView, SearchesOnceWhenShownAndListsLargestFirst) {
  Shown s;
  // The search starts with the first drawing, which already shows it.
  EXPECT_TRUE(s.state->leftoversLoading());
  EXPECT_TRUE(s.find<QWidget>(names::leftoversLoading)->isVisible());
  EXPECT_FALSE(s.view->table()->isVisible());
  EXPECT_FALSE(s.find<QPushButton>(names::leftoversSearch)->isEnabled());
  s.found();
  EXPECT_EQ(*s.leftoverCalls, 1);
  EXPECT_EQ(*s.inventoryCalls, 1);  // no applications were listed: gathered for the search
  EXPECT_EQ(s.state->apps().size(), 4u);
  EXPECT_TRUE(s.view->table()->isVisible());
  EXPECT_TRUE(s.find<QWidget>(names::leftoversInfo)->isVisible());
  EXPECT_TRUE(s.find<QPushButton>(names::leftoversSearch)->isEnabled());
  EXPECT_EQ(identifiers(*s.view), (std::vector<std::string>{"com.gone.big", "com.gone.plist", "com.gone.small"}));
  EXPECT_EQ(s.view->table()->cellText(1, AppLeftoversView::locationColumn), QStringLiteral("Preferences"));
  EXPECT_NE(s.view->table()->cellText(0, AppLeftoversView::modifiedColumn), QStringLiteral("\u2014"));

  // Another visit with rows found searches nothing; "Search" always searches.
  AppLeftoversView again(*s.state);
  again.show();
  s.settle();
  EXPECT_FALSE(s.state->leftoversLoading());
  s.find<QPushButton>(names::leftoversSearch)->click();
  EXPECT_TRUE(s.state->leftoversLoading());
  s.found();
  EXPECT_EQ(*s.leftoverCalls, 2);
}

TEST(AppLeftoversView, SelectionBarCountsTheListedRowsAndDeletesThroughThePlan) {
  Shown s;
  s.found();
  SelectionBar* bar = s.view->selectionBar();
  EXPECT_FALSE(bar->isVisible());
  s.view->table()->setSelection({s.goneSmall, s.goneBig, s.gonePrefs, "/not/listed"});
  s.settle();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->values().count, 3);
  int64_t total = 0;
  for (const Leftover& row : s.view->rows()) total += row.size;
  EXPECT_EQ(bar->values().size, total);
  EXPECT_EQ(bar->values().actionTitle, QStringLiteral("Delete\u2026"));
  EXPECT_FALSE(bar->values().secondaryTitle);

  bar->findChild<QPushButton*>(QLatin1String(names::selectionBarAction))->click();
  ASSERT_TRUE(s.state->plan());
  EXPECT_EQ(s.state->plan()->title, QStringLiteral("Delete App Leftovers"));
  std::vector<std::string> planned;
  for (const PlanItem& item : s.state->plan()->items) {
    planned.push_back(item.name);
    EXPECT_EQ(item.removal, Removal::trash);
    EXPECT_EQ(item.verdict, s.state->verdictFor(item.path));
  }
  EXPECT_EQ(planned, (std::vector<std::string>{"com.gone.big", "com.gone.plist.plist", "com.gone.small"}));
  EXPECT_TRUE(exists(s.goneBig));

  s.state->confirmDeletion(*s.state->plan(), true);
  ASSERT_TRUE(waitUntil([&] { return s.state->toast() && !s.state->toast()->undoable.empty(); }));
  s.settle();
  EXPECT_FALSE(exists(s.goneBig));
  EXPECT_FALSE(exists(s.gonePrefs));
  EXPECT_TRUE(s.view->rows().empty());
  EXPECT_FALSE(bar->isVisible());  // the selection names only rows that are gone
}

TEST(AppLeftoversView, DeselectAndRevealOfSeveralRows) {
  Shown s;
  s.found();
  s.view->table()->setSelection({s.goneSmall, s.gonePrefs});
  s.settle();
  // Several rows: one is revealed, the first of them as listed.
  std::unique_ptr<QMenu> menu(s.view->buildContextMenu({s.goneSmall, s.gonePrefs}));
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(menu->actions().at(0)->text(), QStringLiteral("Show in Finder"));
  menu->actions().at(0)->trigger();
  EXPECT_EQ(s.services.revealed, std::vector<std::string>{s.gonePrefs});
  EXPECT_EQ(s.view->table()->idsForClick(2), (RecordTable::Paths{s.goneSmall, s.gonePrefs}));
  EXPECT_EQ(s.view->table()->idsForClick(0), (RecordTable::Paths{s.goneBig}));

  s.view->selectionBar()->findChild<QPushButton*>(QLatin1String(names::selectionBarDeselect))->click();
  s.settle();
  EXPECT_TRUE(s.view->table()->selection().empty());
  EXPECT_FALSE(s.view->selectionBar()->isVisible());

  // Sorting by identifier, then the other way round.
  emit s.view->table()->headerClicked(AppLeftoversView::identifierColumn);
  s.settle();
  EXPECT_EQ(identifiers(*s.view), (std::vector<std::string>{"com.gone.big", "com.gone.plist", "com.gone.small"}));
  emit s.view->table()->headerClicked(AppLeftoversView::identifierColumn);
  s.settle();
  EXPECT_EQ(identifiers(*s.view), (std::vector<std::string>{"com.gone.small", "com.gone.plist", "com.gone.big"}));
  emit s.view->table()->headerClicked(AppLeftoversView::modifiedColumn);  // not sortable
  s.settle();
  EXPECT_EQ(identifiers(*s.view).front(), "com.gone.small");
}
