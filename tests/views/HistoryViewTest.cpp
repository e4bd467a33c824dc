// The History screen over a real deletion history: files of a temporary home deleted through the
// application state (to its freedesktop Trash, or for good), listed, restored and refused, and the
// failures of the last run.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <unistd.h>

#include "app/ObjectNames.h"
#include "app/components/Card.h"
#include "app/components/ElidedLabel.h"
#include "engines/DeletionHistory.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "views/cleanup/HistoryTable.h"
#include "views/cleanup/HistoryView.h"
#include "views/cleanup/logic/HistoryRows.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A state on a temporary home with files to delete, and its History screen.
struct HistoryScreen {
  AppFixture fixture;
  TreeBuilder tree{fixture.home / "Documents"};
  std::unique_ptr<AppState> state = std::make_unique<AppState>(fixture.environment());
  std::unique_ptr<HistoryView> view;

  HistoryScreen() { state->waitForBackgroundWork(); }
  ~HistoryScreen() {
    view.reset();
    state->waitForBackgroundWork();
  }

  // Deletes the paths in one run, as a screen's confirmed plan would, and waits for its report.
  void remove(const std::vector<std::string>& paths, Removal removal = Removal::trash) {
    std::vector<DeletionRequest> requests;
    for (const auto& p : paths) requests.push_back(DeletionRequest::make(p, 1000, removal));
    bool done = false;
    state->runDeletion(requests, false, [&](const DeletionReport&) { done = true; });
    waitOrFail([&] { return done; }, "the deletion run ends");
  }
  void show() {
    view = std::make_unique<HistoryView>(*state, state->history());
    view->resize(1040, 680);
    view->show();
    settle();
  }
  // Lets the coalesced refreshes and the deferred deletions of the screen run.
  static void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  HistoryTable* table() const { return view->table(); }
  int rows() const { return table()->model()->rowCount(); }
  QString cell(int row, HistoryColumn column) const {
    return table()->model()->index(row, static_cast<int>(column)).data().toString();
  }
  bool hasButton(int row) const { return !table()->restoreButtonRect(row).isEmpty(); }
  void clickRestore(int row) {
    const QRect button = table()->restoreButtonRect(row);
    ASSERT_FALSE(button.isEmpty()) << "row " << row << " shows no Restore button";
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, button.center());
    settle();
  }
  QPushButton* clearButton() const { return view->findChild<QPushButton*>(QLatin1String(names::historyClear)); }
  QWidget* failuresCard() const { return view->findChild<Card*>(QLatin1String(names::historyFailures)); }
  QLabel* restoreNote() const { return view->findChild<QLabel*>(QLatin1String(names::historyRestoreNote)); }
  // The row of the entry for `path`, or -1.
  int rowOf(const std::string& path) const {
    const auto& entries = state->history().entries();
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].originalPath == path) return static_cast<int>(i);
    return -1;
  }
};

}  // namespace

// ---- Derived values ----------------------------------------------------------------------------

TEST(HistoryRows, TheRestoreButtonNeedsTheVeryItemInTheTrashAndAFreePlace) {
  HistoryEntry trashed{"3F2504E0-4F89-41D3-9A0C-0305E82C3301", 1.8e9, "/home/u/a.txt", "/t/files/a.txt", 10, false};
  HistoryEntry permanent = trashed;
  permanent.trashPath.reset();
  HistoryEntry restored = trashed;
  restored.restored = true;
  struct Case {
    const char* what;
    HistoryEntry entry;
    bool inTrash, originalTaken, sameItem, restorable;
    HistoryMethod method;
  };
  const Case cases[] = {
      {"in the Trash, place free", trashed, true, false, true, true, HistoryMethod::trash},
      {"Trash emptied", trashed, false, false, true, false, HistoryMethod::trash},
      {"original place taken again", trashed, true, true, true, false, HistoryMethod::trash},
      {"another item under the Trash name", trashed, true, false, false, false, HistoryMethod::trash},
      {"removed for good", permanent, false, false, false, false, HistoryMethod::deleted},
      {"already restored", restored, true, false, true, false, HistoryMethod::restored},
  };
  for (const Case& c : cases) {
    HistoryProbe probe;
    probe.occupied = [&](const std::string& path) { return path == "/t/files/a.txt" ? c.inTrash : c.originalTaken; };
    probe.sameItem = [&](const HistoryEntry&) { return c.sameItem; };
    EXPECT_EQ(isRestorable(c.entry, probe), c.restorable) << c.what;
    EXPECT_EQ(historyMethod(c.entry), c.method) << c.what;
  }
  EXPECT_EQ(historyMethodText(HistoryMethod::restored), QStringLiteral("Restored"));
  EXPECT_EQ(historyMethodText(HistoryMethod::trash), QStringLiteral("Trash"));
  EXPECT_EQ(historyMethodText(HistoryMethod::deleted), QStringLiteral("Deleted"));
  EXPECT_EQ(historyDateText(86400), QStringLiteral("\u2014"));
  EXPECT_TRUE(historyDateText(1.8e9).startsWith(QStringLiteral("Jan 15, 2027, ")))
      << historyDateText(1.8e9).toStdString();
}

TEST(HistoryRows, ALinkLeadingNowhereStillTakesTheOriginalPlace) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  const std::string trashed = tree.file("trash/files/a.txt", 3);
  const std::string original = tree.symlink("missing-target", "a.txt");
  HistoryEntry entry{"3F2504E0-4F89-41D3-9A0C-0305E82C3301", 1.8e9, original, trashed, 3, false};
  HistoryProbe probe = HistoryProbe::live();
  probe.sameItem = [](const HistoryEntry&) { return true; };
  EXPECT_FALSE(isRestorable(entry, probe));
  ::unlink(original.c_str());
  EXPECT_TRUE(isRestorable(entry, probe));
}

// ---- The screen --------------------------------------------------------------------------------

TEST(HistoryView, AnEmptyHistoryShowsNoRowsNoFailuresAndClearDisabled) {
  HistoryScreen s;
  s.show();
  EXPECT_EQ(s.rows(), 0);
  EXPECT_FALSE(s.clearButton()->isEnabled());
  EXPECT_FALSE(s.failuresCard()->isVisibleTo(s.view.get()));
  EXPECT_EQ(s.table()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Date"));
}

TEST(HistoryView, ListsRealDeletionsNewestFirstAndFollowsTheStore) {
  HistoryScreen s;
  const std::string old = s.tree.file("old.txt", 5), gone = s.tree.file("gone.log", 5);
  s.remove({old});
  s.remove({gone}, Removal::permanent);
  s.show();
  ASSERT_EQ(s.rows(), 2);
  EXPECT_EQ(s.cell(0, HistoryColumn::item), QStringLiteral("gone.log"));
  EXPECT_EQ(s.cell(0, HistoryColumn::method), QStringLiteral("Deleted"));
  EXPECT_FALSE(s.hasButton(0));
  EXPECT_EQ(s.cell(1, HistoryColumn::item), QStringLiteral("old.txt"));
  EXPECT_EQ(s.cell(1, HistoryColumn::method), QStringLiteral("Trash"));
  EXPECT_EQ(s.cell(1, HistoryColumn::size), QStringLiteral("1 KB"));
  EXPECT_TRUE(s.hasButton(1));
  EXPECT_TRUE(s.clearButton()->isEnabled());
  // The item line's second text is the path as the user reads it.
  EXPECT_EQ(s.table()->model()->index(1, 1).data(Qt::ToolTipRole).toString(), QStringLiteral("~/Documents/old.txt"));

  // A deletion while the screen is shown comes in on top.
  const std::string fresh = s.tree.file("fresh.txt", 5);
  s.remove({fresh});
  s.settle();
  ASSERT_EQ(s.rows(), 3);
  EXPECT_EQ(s.cell(0, HistoryColumn::item), QStringLiteral("fresh.txt"));
}

TEST(HistoryView, RestorePutsTheDeletedFileBackAndMarksItRestored) {
  HistoryScreen s;
  TreeBuilder nested(s.tree.path("project/src"));
  const std::string file = nested.file("main.c", 0);
  { std::ofstream(file) << "int main() {}\n"; }
  s.remove({file});
  ASSERT_FALSE(pathExists(file));
  // The folder it came from is gone too: it is made again.
  removeTree(s.tree.path("project"));
  s.show();
  const std::string trashPath = *s.state->history().entries().front().trashPath;
  ASSERT_TRUE(pathExists(trashPath));

  s.clickRestore(0);
  EXPECT_EQ(readText(file), "int main() {}\n");
  EXPECT_FALSE(pathExists(trashPath));
  EXPECT_EQ(s.cell(0, HistoryColumn::method), QStringLiteral("Restored"));
  EXPECT_FALSE(s.hasButton(0));
  EXPECT_FALSE(s.restoreNote()->isVisibleTo(s.view.get()));
  // The mark is in the history file, not only on screen.
  DeletionHistory reread(s.state->environment().historyPath());
  ASSERT_EQ(reread.entries().size(), 1u);
  EXPECT_TRUE(reread.entries().front().restored);
}

TEST(HistoryView, RefusesToOverwriteOrToRestoreAnotherItem) {
  HistoryScreen s;
  const std::string taken = s.tree.file("taken.txt", 5), swapped = s.tree.file("swapped.txt", 5),
                    raced = s.tree.file("raced.txt", 5), emptied = s.tree.file("emptied.txt", 5);
  s.remove({taken, swapped, raced, emptied});
  s.show();
  auto trashOf = [&](const std::string& path) { return *s.state->history().entries()[s.rowOf(path)].trashPath; };

  // A new file at the original place: no button.
  { std::ofstream(taken) << "new"; }
  // The Trash now holds another item under the recorded name (its record names another place).
  const std::string swappedTrash = trashOf(swapped);
  const auto info = trashInfoLocation(swappedTrash);
  ASSERT_TRUE(info);
  {
    std::ofstream(info->infoPath, std::ios::trunc)
        << "[Trash Info]\nPath=/elsewhere/swapped.txt\nDeletionDate=2001-01-01T00:00:00\n";
  }
  // The Trash was emptied of this one.
  ASSERT_EQ(::unlink(trashOf(emptied).c_str()), 0);
  s.view->update();
  s.settle();
  EXPECT_FALSE(s.hasButton(s.rowOf(taken)));
  EXPECT_FALSE(s.hasButton(s.rowOf(swapped)));
  EXPECT_FALSE(s.hasButton(s.rowOf(emptied)));
  EXPECT_EQ(s.cell(s.rowOf(emptied), HistoryColumn::method), QStringLiteral("Trash"));

  // The place is taken after the row was drawn: the restore is refused and says why.
  const int row = s.rowOf(raced);
  const QRect button = s.table()->restoreButtonRect(row);
  ASSERT_FALSE(button.isEmpty());
  const std::string racedTrash = trashOf(raced);
  const HistoryEntry entry = s.state->history().entries()[row];
  { std::ofstream(raced) << "mine"; }
  s.view->restore(entry);
  EXPECT_EQ(readText(raced), "mine");
  EXPECT_TRUE(pathExists(racedTrash));
  EXPECT_EQ(s.cell(row, HistoryColumn::method), QStringLiteral("Trash"));
  EXPECT_TRUE(s.restoreNote()->isVisibleTo(s.view.get()));
  EXPECT_EQ(s.restoreNote()->text(),
            QStringLiteral("“raced.txt” wasn’t restored. Something with the same name is already at the original "
                           "location. Nothing was changed."));
  // Nothing moved: the swapped item, the new file and the history are as they were.
  EXPECT_TRUE(pathExists(swappedTrash));
  EXPECT_EQ(readText(taken), "new");
  for (const HistoryEntry& e : s.state->history().entries()) EXPECT_FALSE(e.restored) << e.originalPath;
}

TEST(HistoryView, ClearHistoryEmptiesTheListAndTheFileAndLeavesTheTrashAlone) {
  HistoryScreen s;
  const std::string a = s.tree.file("a.txt", 5), b = s.tree.file("b.txt", 5);
  s.remove({a, b});
  s.show();
  const std::string trashA = *s.state->history().entries()[0].trashPath;
  const std::string trashB = *s.state->history().entries()[1].trashPath;
  ASSERT_EQ(s.rows(), 2);
  QTest::mouseClick(s.clearButton(), Qt::LeftButton);
  s.settle();
  EXPECT_EQ(s.rows(), 0);
  EXPECT_FALSE(s.clearButton()->isEnabled());
  EXPECT_TRUE(pathExists(trashA));
  EXPECT_TRUE(pathExists(trashB));
  EXPECT_TRUE(DeletionHistory(s.state->environment().historyPath()).entries().empty());
}

TEST(HistoryView, TheFailuresOfTheLastRunShowTheFirstEightWithTheirReasons) {
  HistoryScreen s;
  std::vector<std::string> missing;
  for (int i = 0; i < 10; ++i)
    missing.push_back(s.tree.path("a-very-long-folder-name-that-goes-on-and-on/and-on-further/missing-" +
                                  std::to_string(i) + ".txt"));
  s.remove(missing);
  ASSERT_EQ(s.state->failures().size(), 10u);
  s.show();
  EXPECT_TRUE(s.failuresCard()->isVisibleTo(s.view.get()));
  const auto rows = s.failuresCard()->findChildren<QWidget*>(QLatin1String(names::historyFailureRow));
  ASSERT_EQ(rows.size(), 8);
  auto* path = rows.front()->findChild<ElidedLabel*>(QLatin1String(names::historyFailurePath));
  auto* reason = rows.front()->findChild<QLabel*>(QLatin1String(names::historyFailureReason));
  EXPECT_EQ(path->text(),
            QStringLiteral("~/Documents/a-very-long-folder-name-that-goes-on-and-on/and-on-further/missing-0.txt"));
  EXPECT_EQ(reason->text(), QString::fromUtf8(s.state->failures().front().reason));
  // Shortened in the middle on one line: the start and the file name stay.
  s.view->resize(560, 680);
  s.settle();
  const QString shown = path->displayedText();
  EXPECT_TRUE(shown.contains(QStringLiteral("\u2026"))) << shown.toStdString();
  EXPECT_TRUE(shown.startsWith(QStringLiteral("~/Doc"))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QStringLiteral(".txt"))) << shown.toStdString();

  // The next run without failures replaces them.
  const std::string ok = s.tree.file("ok.txt", 1);
  s.remove({ok});
  s.settle();
  EXPECT_FALSE(s.failuresCard()->isVisibleTo(s.view.get()));
}

TEST(HistoryView, TheRouterShowsItForTheHistorySection) {
  AppFixture f;
  AppState state(f.environment());
  state.waitForBackgroundWork();
  std::unique_ptr<QWidget> screen(SectionRouter::makeScreen(AppSection::history, state));
  EXPECT_TRUE(qobject_cast<HistoryView*>(screen.get()));
}
