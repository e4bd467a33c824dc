// The deletion confirmation sheet: its groups, texts, tick, keys, and what confirming really deletes.
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <sys/stat.h>

#include "app/ObjectNames.h"
#include "app/components/SymbolView.h"
#include "model/Formatting.h"
#include "platform/Paths.h"
#include "shell/ConfirmDeletionDialog.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

PlanItem item(const std::string& path, Risk risk, int64_t size = 1000, const std::string& reason = "because") {
  return PlanItem{path, lastPathComponent(path), size, Removal::trash, SafetyVerdict{risk, reason}};
}

QString bytes(int64_t n) { return QString::fromStdString(formatBytes(n)); }

struct Row {
  bool header;
  Risk risk;
  QString text;  // header text, or the item's name
  qreal opacity;
};

// A store and a window that presents sheets for its plans, as the main window does.
struct SheetFixture {
  AppFixture f;
  std::unique_ptr<AppState> state;
  QWidget window;

  SheetFixture() : state(std::make_unique<AppState>(f.environment())) {
    state->waitForBackgroundWork();
    waitUntil([&] { return !state->isRestoringScan(); });
    window.resize(1040, 680);
    window.show();
  }

  ConfirmDeletionDialog* request(const std::vector<PlanItem>& items,
                                 const QString& title = QStringLiteral("Delete Items")) {
    state->requestDeletion(items, title);
    EXPECT_TRUE(state->plan());
    return present();
  }
  ConfirmDeletionDialog* present() {
    auto* dialog = new ConfirmDeletionDialog(*state, *state->plan(), &window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    QApplication::processEvents();
    return dialog;
  }

  template <typename T>
  static T* child(QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(QLatin1String(name));
  }
  static QPushButton* deleteButton(QWidget* d) { return child<QPushButton>(d, names::confirmDelete); }
  static QPushButton* cancelButton(QWidget* d) { return child<QPushButton>(d, names::confirmCancel); }
  static QCheckBox* toggle(QWidget* d) { return child<QCheckBox>(d, names::confirmReviewToggle); }
  static QString total(QWidget* d) { return child<QLabel>(d, names::confirmTotal)->text(); }
  static std::vector<Row> rows(QWidget* d) {
    QAbstractItemModel* model = child<QListView>(d, names::confirmList)->model();
    std::vector<Row> out;
    for (int r = 0; r < model->rowCount(); ++r) {
      const QModelIndex i = model->index(r, 0);
      out.push_back({i.data(ConfirmDeletionModel::IsHeaderRole).toBool(),
                     static_cast<Risk>(i.data(ConfirmDeletionModel::RiskRole).toInt()), i.data().toString(),
                     i.data(ConfirmDeletionModel::IsHeaderRole).toBool()
                         ? 1.0
                         : i.data(ConfirmDeletionModel::OpacityRole).toReal()});
    }
    return out;
  }
  // Keys go where a user's keys go: to the widget with the focus, from where they travel up.
  static void press(QWidget* d, Qt::Key key) {
    QWidget* target = d->focusWidget() ? d->focusWidget() : d;
    QTest::keyClick(target, key);
    QApplication::processEvents();
  }
  void waitForToast() {
    ASSERT_TRUE(waitUntil([&] { return state->toast().has_value(); }));
  }
};

}  // namespace

TEST(ConfirmDeletionDialog, IsAFixedWindowModalSheetOfThePlan) {
  SheetFixture s;
  QPointer<ConfirmDeletionDialog> d = s.request({item("/tmp/a", Risk::safe)}, QStringLiteral("Leftovers of Foo"));
  EXPECT_EQ(d->size(), QSize(640, 560));
  EXPECT_EQ(d->minimumSize(), d->maximumSize());
  EXPECT_EQ(d->windowModality(), Qt::WindowModal);
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(SheetFixture::child<QLabel>(d, names::confirmTitle)->text(), QStringLiteral("Leftovers of Foo"));
  EXPECT_GE(SheetFixture::child<QListView>(d, names::confirmList)->height(), 260);
  EXPECT_EQ(d->planId(), s.state->plan()->id);
  EXPECT_TRUE(SheetFixture::deleteButton(d)->isDefault());
  EXPECT_FALSE(SheetFixture::cancelButton(d)->autoDefault());
  EXPECT_EQ(SheetFixture::child<SymbolView>(d, names::symbolView)->property("sfSymbol").toString(),
            QStringLiteral("trash.circle.fill"));
}

TEST(ConfirmDeletionDialog, GroupsSafeReviewProtectedInPlanOrderWithHeadersAndRowTexts) {
  SheetFixture s;
  const std::string home = s.f.home.home();
  // Requested out of group order; within a group the plan's order must be kept, never sorted.
  QPointer<ConfirmDeletionDialog> d = s.request({
      item(home + "/z-review", Risk::review, 400),
      item(home + "/b-safe", Risk::safe, 500'000'000),
      item(home + "/p-protected", Risk::protected_, 7),
      item(home + "/a-safe", Risk::safe, 500'000'000),
      item(home + "/c-safe", Risk::safe, 500'000'000, "Caches are rebuilt when needed."),
  });
  const auto rows = SheetFixture::rows(d);
  ASSERT_EQ(rows.size(), 8u);
  // The header of three items of 1.5 GB together: the count, " · ", the formatter's text.
  EXPECT_TRUE(rows[0].header);
  EXPECT_EQ(rows[0].risk, Risk::safe);
  EXPECT_EQ(rows[0].text, QStringLiteral("3 · ") + bytes(1'500'000'000));
  EXPECT_EQ(rows[0].text, QStringLiteral("3 · 1.5 GB"));
  EXPECT_EQ(rows[1].text, QStringLiteral("b-safe"));
  EXPECT_EQ(rows[2].text, QStringLiteral("a-safe"));
  EXPECT_EQ(rows[3].text, QStringLiteral("c-safe"));
  EXPECT_TRUE(rows[4].header);
  EXPECT_EQ(rows[4].risk, Risk::review);
  EXPECT_EQ(rows[4].text, QStringLiteral("1 · 1 KB"));
  EXPECT_EQ(rows[5].text, QStringLiteral("z-review"));
  EXPECT_TRUE(rows[6].header);
  EXPECT_EQ(rows[6].risk, Risk::protected_);
  EXPECT_EQ(rows[7].text, QStringLiteral("p-protected"));

  // An item row: the reason, the path as displayed (home as "~"), the size clamped at zero.
  QAbstractItemModel* model = SheetFixture::child<QListView>(d, names::confirmList)->model();
  const QModelIndex c = model->index(3, 0);
  EXPECT_EQ(c.data(ConfirmDeletionModel::ReasonRole).toString(), QStringLiteral("Caches are rebuilt when needed."));
  EXPECT_EQ(c.data(ConfirmDeletionModel::DisplayPathRole).toString(), QStringLiteral("~/c-safe"));
  EXPECT_EQ(c.data(ConfirmDeletionModel::SizeTextRole).toString(), QStringLiteral("500 MB"));
  // Rows are not selectable: the sheet is read, not edited.
  EXPECT_FALSE(model->flags(c) & Qt::ItemIsSelectable);
}

TEST(ConfirmDeletionDialog, NegativeSizesAndEmptyGroupsAndAnEmptyPlan) {
  SheetFixture s;
  QPointer<ConfirmDeletionDialog> d = s.request({item("/x/neg", Risk::safe, -5000), item("/x/pos", Risk::safe, 2000)});
  const auto rows = SheetFixture::rows(d);
  ASSERT_EQ(rows.size(), 3u);                              // no review and no protected section
  EXPECT_EQ(rows[0].text, QStringLiteral("2 · Zero KB"));  // the sum −3000 clamped at zero
  EXPECT_EQ(SheetFixture::child<QListView>(d, names::confirmList)
                ->model()
                ->index(1, 0)
                .data(ConfirmDeletionModel::SizeTextRole),
            QStringLiteral("Zero KB"));
  EXPECT_EQ(SheetFixture::total(d), QStringLiteral("Total: Zero KB"));
  EXPECT_TRUE(SheetFixture::deleteButton(d)->isEnabled());  // two items can be deleted, whatever their sizes
  EXPECT_EQ(SheetFixture::toggle(d), nullptr);
  EXPECT_EQ(SheetFixture::child<QWidget>(d, names::confirmProtectedNote), nullptr);

  // A plan with no items: an empty list, zero, nothing to confirm; only Cancel leaves.
  DeletionPlan empty;
  empty.id = "EMPTY";
  empty.title = QStringLiteral("Nothing");
  ConfirmDeletionDialog sheet(*s.state, empty, &s.window);
  EXPECT_EQ(sheet.model()->rowCount(), 0);
  EXPECT_EQ(SheetFixture::total(&sheet), QStringLiteral("Total: Zero KB"));
  EXPECT_FALSE(SheetFixture::deleteButton(&sheet)->isEnabled());
}

TEST(ConfirmDeletionDialog, OnlyProtectedItemsShowTheNoteAndNothingCanBeDeleted) {
  SheetFixture s;
  TreeBuilder tree(s.f.home / "files");
  const std::string a = tree.file("a", 10), b = tree.file("b", 10);
  QPointer<ConfirmDeletionDialog> d = s.request({item(a, Risk::protected_, 3000), item(b, Risk::protected_, 4000)});
  const auto rows = SheetFixture::rows(d);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].risk, Risk::protected_);
  EXPECT_EQ(rows[1].opacity, 0.55);
  EXPECT_EQ(rows[2].opacity, 0.55);
  auto* note = SheetFixture::child<QWidget>(d, names::confirmProtectedNote);
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->isVisible());
  EXPECT_EQ(note->property("sfSymbol").toString(), QStringLiteral("lock.fill"));
  EXPECT_EQ(note->findChild<QLabel*>(QLatin1String(names::symbolLabelText))->text(),
            QStringLiteral("2 protected item(s) won’t be touched."));
  EXPECT_EQ(SheetFixture::toggle(d), nullptr);
  EXPECT_EQ(SheetFixture::total(d), QStringLiteral("Total: Zero KB"));
  EXPECT_FALSE(SheetFixture::deleteButton(d)->isEnabled());

  // Return does nothing while nothing can be deleted; Escape always cancels.
  SheetFixture::press(d, Qt::Key_Return);
  EXPECT_TRUE(d && d->isVisible());
  EXPECT_TRUE(s.state->plan());
  SheetFixture::press(d, Qt::Key_Escape);
  EXPECT_FALSE(s.state->plan());
  EXPECT_TRUE(!d || !d->isVisible());
  s.state->waitForBackgroundWork();
  QApplication::processEvents();
  EXPECT_TRUE(pathExists(a) && pathExists(b));
  EXPECT_FALSE(s.state->toast());  // nothing ran
}

TEST(ConfirmDeletionDialog, OnlyReviewItemsNeedTheTickWhichRaisesTheTotalAndOpacity) {
  SheetFixture s;
  QPointer<ConfirmDeletionDialog> d =
      s.request({item("/r/one", Risk::review, 1'000'000), item("/r/two", Risk::review, 500'000)});
  QCheckBox* box = SheetFixture::toggle(d);
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isChecked());
  auto* text = SheetFixture::child<QLabel>(d, names::confirmReviewText);
  EXPECT_EQ(text->textFormat(), Qt::RichText);
  EXPECT_EQ(text->text(), QStringLiteral("I’ve reviewed the 2 item(s) marked <b>Review</b> and want to delete them"));
  QPushButton* confirm = SheetFixture::deleteButton(d);
  EXPECT_FALSE(confirm->isEnabled());
  EXPECT_EQ(SheetFixture::total(d), QStringLiteral("Total: Zero KB"));
  EXPECT_EQ(SheetFixture::rows(d)[1].opacity, 0.55);

  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_TRUE(d->acceptedReview());
  EXPECT_TRUE(confirm->isEnabled());
  EXPECT_EQ(SheetFixture::total(d), QStringLiteral("Total: 1.5 MB"));
  EXPECT_EQ(SheetFixture::rows(d)[1].opacity, 1.0);
  EXPECT_EQ(SheetFixture::rows(d)[2].opacity, 1.0);

  // Clicking the words toggles the box too, and unticking reverses all three at once.
  QTest::mouseClick(text, Qt::LeftButton);
  EXPECT_FALSE(box->isChecked());
  EXPECT_FALSE(confirm->isEnabled());
  EXPECT_EQ(SheetFixture::total(d), QStringLiteral("Total: Zero KB"));
  EXPECT_EQ(SheetFixture::rows(d)[1].opacity, 0.55);
  EXPECT_TRUE(s.state->plan());  // nothing was confirmed along the way
}

// Confirming really deletes: the safe items always, the review items only with the tick, protected
// items never. Once by clicking, once by Return.
TEST(ConfirmDeletionDialog, ConfirmDeletesSafeAndReviewOnlyWhenTickedNeverProtected) {
  for (bool tick : {false, true}) {
    SCOPED_TRACE(tick ? "ticked, Return" : "unticked, click");
    SheetFixture s;
    TreeBuilder tree(s.f.home / "files");
    const std::string safe = tree.file("safe.txt", 10), safe2 = tree.file("more/safe2.txt", 10),
                      review = tree.file("review.txt", 10), kept = tree.file("protected.txt", 10);
    QPointer<ConfirmDeletionDialog> d = s.request(
        {item(safe, Risk::safe), item(review, Risk::review), item(kept, Risk::protected_), item(safe2, Risk::safe)});
    EXPECT_EQ(SheetFixture::total(d), QStringLiteral("Total: 2 KB"));
    if (tick) {
      QTest::mouseClick(SheetFixture::toggle(d), Qt::LeftButton);
      EXPECT_EQ(SheetFixture::total(d), QStringLiteral("Total: 3 KB"));
      SheetFixture::press(d, Qt::Key_Return);
    } else {
      QTest::mouseClick(SheetFixture::deleteButton(d), Qt::LeftButton);
    }
    EXPECT_FALSE(s.state->plan());
    EXPECT_TRUE(!d || !d->isVisible());
    EXPECT_EQ(d ? d->result() : QDialog::Accepted, QDialog::Accepted);
    s.waitForToast();
    EXPECT_FALSE(pathExists(safe));
    EXPECT_FALSE(pathExists(safe2));
    EXPECT_EQ(pathExists(review), !tick);
    EXPECT_TRUE(pathExists(kept));
    EXPECT_EQ(s.state->history().entries().size(), tick ? 3u : 2u);
  }
}

TEST(ConfirmDeletionDialog, SubtitleAndButtonFollowPermanentDeleteLive) {
  SheetFixture s;
  const QString trash = QStringLiteral(
      "They'll go to the Trash (regenerable caches are deleted directly). You can undo this from History.");
  const QString permanent = QStringLiteral("These will be deleted permanently. They can't be recovered.");
  QPointer<ConfirmDeletionDialog> d = s.request({item("/p/a", Risk::safe)});
  auto* subtitle = SheetFixture::child<QLabel>(d, names::confirmSubtitle);
  EXPECT_EQ(subtitle->text(), trash);
  EXPECT_EQ(SheetFixture::deleteButton(d)->text(), QStringLiteral("Delete"));
  s.state->setPermanentDelete(true);
  EXPECT_EQ(subtitle->text(), permanent);
  EXPECT_EQ(SheetFixture::deleteButton(d)->text(), QStringLiteral("Delete Permanently"));
  QApplication::processEvents();  // the layout runs before the next paint
  EXPECT_GE(SheetFixture::deleteButton(d)->width(), SheetFixture::deleteButton(d)->sizeHint().width() - 1)
      << "the longer title is not clipped";
  s.state->setPermanentDelete(false);
  EXPECT_EQ(subtitle->text(), trash);
  EXPECT_EQ(SheetFixture::deleteButton(d)->text(), QStringLiteral("Delete"));

  // A sheet opened while the setting is on starts with the permanent texts.
  s.state->setPermanentDelete(true);
  d->reject();
  QPointer<ConfirmDeletionDialog> again = s.request({item("/p/b", Risk::safe)});
  EXPECT_EQ(SheetFixture::child<QLabel>(again, names::confirmSubtitle)->text(), permanent);
  EXPECT_EQ(SheetFixture::deleteButton(again)->text(), QStringLiteral("Delete Permanently"));
}

TEST(ConfirmDeletionDialog, CancelEscapeAndClosingDismissThePlanAndDeleteNothing) {
  struct Case {
    const char* how;
    std::function<void(ConfirmDeletionDialog*)> leave;
  };
  const Case cases[] = {
      {"Cancel", [](ConfirmDeletionDialog* d) { QTest::mouseClick(SheetFixture::cancelButton(d), Qt::LeftButton); }},
      {"Escape", [](ConfirmDeletionDialog* d) { SheetFixture::press(d, Qt::Key_Escape); }},
      {"close", [](ConfirmDeletionDialog* d) { d->close(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    SheetFixture s;
    TreeBuilder tree(s.f.home / "files");
    const std::string a = tree.file("a", 10);
    QPointer<ConfirmDeletionDialog> d = s.request({item(a, Risk::safe)});
    c.leave(d);
    QApplication::processEvents();
    EXPECT_FALSE(s.state->plan());
    EXPECT_TRUE(!d || !d->isVisible());
    EXPECT_TRUE(!d || d->result() == QDialog::Rejected);
    s.state->waitForBackgroundWork();
    QApplication::processEvents();
    EXPECT_TRUE(pathExists(a));
    EXPECT_EQ(s.state->history().entries().size(), 0u);
  }
}

// A sheet belongs to one plan. A newer plan closes the old sheet without dismissing the
// new plan, gets a sheet of its own with the tick off, and the old sheet can no longer delete.
TEST(ConfirmDeletionDialog, ANewPlanNeverInheritsTheTickOrTheOldSheet) {
  SheetFixture s;
  TreeBuilder tree(s.f.home / "files");
  const std::string first = tree.file("first-review", 10), second = tree.file("second-review", 10);
  QPointer<ConfirmDeletionDialog> old = s.request({item(first, Risk::review)}, QStringLiteral("First"));
  QTest::mouseClick(SheetFixture::toggle(old), Qt::LeftButton);
  ASSERT_TRUE(old->acceptedReview());
  const DeletionPlan stale = old->plan();

  s.state->requestDeletion({item(second, Risk::review)}, QStringLiteral("Second"));
  QApplication::processEvents();
  EXPECT_TRUE(!old || !old->isVisible()) << "the old sheet closes when its plan is replaced";
  ASSERT_TRUE(s.state->plan());
  EXPECT_EQ(s.state->plan()->title, QStringLiteral("Second")) << "closing the old sheet kept the new plan";

  QPointer<ConfirmDeletionDialog> fresh = s.present();
  EXPECT_NE(fresh->planId(), stale.id);
  EXPECT_FALSE(fresh->acceptedReview());
  EXPECT_FALSE(SheetFixture::toggle(fresh)->isChecked());
  EXPECT_FALSE(SheetFixture::deleteButton(fresh)->isEnabled());

  // A late confirmation of the stale plan deletes nothing and leaves the new plan pending.
  s.state->confirmDeletion(stale, true);
  s.state->waitForBackgroundWork();
  QApplication::processEvents();
  EXPECT_TRUE(pathExists(first));
  EXPECT_TRUE(s.state->plan());
  EXPECT_TRUE(fresh && fresh->isVisible());
  // Closing a sheet whose plan is gone does not dismiss the current one.
  if (old) old->reject();
  EXPECT_TRUE(s.state->plan());
  fresh->reject();
  EXPECT_FALSE(s.state->plan());
}

TEST(ConfirmDeletionArithmetic, CountsAndTotalsFollowTheTick) {
  DeletionPlan plan;
  plan.items = {item("/a", Risk::safe, 100), item("/b", Risk::review, 20), item("/c", Risk::protected_, 3),
                item("/d", Risk::review, 40)};
  EXPECT_EQ(confirm::deletableCount(plan, false), 1);
  EXPECT_EQ(confirm::deletableCount(plan, true), 3);
  EXPECT_EQ(confirm::bytesToDelete(plan, false), 100);
  EXPECT_EQ(confirm::bytesToDelete(plan, true), 160);
  EXPECT_EQ(confirm::itemsOf(plan, Risk::review).size(), 2u);
  // Sums of absurd sizes saturate instead of wrapping to a negative (shown as zero) total.
  plan.items = {item("/x", Risk::safe, INT64_MAX), item("/y", Risk::safe, INT64_MAX)};
  EXPECT_EQ(confirm::bytesToDelete(plan, false), INT64_MAX);
  EXPECT_EQ(confirm::groupText(confirm::itemsOf(plan, Risk::safe)).left(4), QStringLiteral("2 · "));
  EXPECT_NE(confirm::groupText(confirm::itemsOf(plan, Risk::safe)), QStringLiteral("2 · Zero KB"));
}

// ---- Gallery (the tolvex_gallery target runs it) ----------------

#include <QDir>

#include "app/theme/Appearance.h"
#include "model/FolderSize.h"

TEST(ConfirmDeletionGallery, GrabsTheSheetInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  struct Pick {
    const char* path;
    Risk risk;
    const char* reason;
  };
  const Pick picks[] = {
      {"/usr/share/doc", Risk::safe, "Documentation installed with packages; it can be fetched again."},
      {"/usr/share/man", Risk::safe, "Manual pages; reinstalling the packages restores them."},
      {"/usr/share/locale", Risk::safe, "Translations for languages you don’t use."},
      {"/usr/share/icons", Risk::safe, "Icon caches are rebuilt when needed."},
      {"/usr/share/fonts", Risk::review, "Fonts may be used by documents you open later. Check before deleting."},
      {"/usr/share/zoneinfo", Risk::review, "Time zone data some programs read at start-up."},
      {"/usr/include", Risk::review,
       "Headers needed to build software on this machine; a very long reason that has to wrap onto a second line and "
       "then be cut."},
      {"/usr/share/cmake-3.25", Risk::review, "Build tool modules."},
      {"/usr/lib", Risk::protected_, "Part of the operating system."},
      {"/usr/bin", Risk::protected_, "Part of the operating system."},
      {"/usr/sbin", Risk::protected_, "Part of the operating system."},
      {"/usr/share/common-licenses/GPL-3", Risk::protected_, "Part of the operating system."},
  };
  std::vector<PlanItem> items;
  for (const Pick& p : picks) {
    const FolderSize size = folderSize(p.path);
    items.push_back(PlanItem{p.path, lastPathComponent(p.path), size.bytes > 0 ? size.bytes : 35'000, Removal::trash,
                             SafetyVerdict{p.risk, p.reason}});
  }
  const QPalette saved = QApplication::palette();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp"));
  for (AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
    Appearance::apply(appearance);
    for (bool ticked : {false, true}) {
      SheetFixture s;
      if (ticked) s.state->setPermanentDelete(true);
      QPointer<ConfirmDeletionDialog> d = s.request(items, QStringLiteral("Delete Items"));
      if (ticked) QTest::mouseClick(SheetFixture::toggle(d), Qt::LeftButton);
      QApplication::processEvents();
      QTest::qWait(50);
      const QString file = QDir(dir).filePath(
          QStringLiteral("tolvex-confirm-%1%2.png").arg(rawValue(appearance), ticked ? "-ticked" : ""));
      EXPECT_TRUE(d->grab().save(file)) << file.toStdString();
      SheetFixture::child<QListView>(d, names::confirmList)->scrollToBottom();
      QApplication::processEvents();
      const QString bottom = QString(file).replace(QStringLiteral(".png"), QStringLiteral("-bottom.png"));
      EXPECT_TRUE(d->grab().save(bottom)) << bottom.toStdString();
      d->reject();
    }
  }
  QApplication::setPalette(saved);
}
