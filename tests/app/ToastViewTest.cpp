// The toast: its texts and buttons for each kind of result, Undo, closing, placement, and the timed
// dismissal that belongs to one toast id.
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <sys/stat.h>

#include "app/ObjectNames.h"
#include "app/components/SymbolView.h"
#include "model/Formatting.h"
#include "shell/ToastView.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

struct ToastFixture {
  AppFixture f;
  TreeBuilder tree{f.home / "files"};
  std::unique_ptr<AppState> state;
  QWidget window;
  ToastView* toast = nullptr;
  int files = 0;

  explicit ToastFixture(int toastMs = 60'000) {
    auto env = f.environment();
    env.timings.toastMs = toastMs;
    state = std::make_unique<AppState>(env);
    state->waitForBackgroundWork();
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
    window.resize(1040, 680);
    toast = new ToastView(*state, &window);
    window.show();
    QApplication::processEvents();
  }

  std::string newFile() { return tree.file("f" + std::to_string(++files), 10); }

  // Runs a deletion whose report makes the toast; returns when the toast is published.
  void run(std::vector<DeletionRequest> requests) {
    const std::string before = state->toast() ? state->toast()->id : std::string();
    state->runDeletion(std::move(requests), false);
    ASSERT_TRUE(waitUntil([&] { return state->toast() && state->toast()->id != before; }));
    QApplication::processEvents();
  }
  // A result with Undo and no detail: one file moved to the Trash.
  void trashed() { run({DeletionRequest::make(newFile(), 2'000'000'000, Removal::trash)}); }

  template <typename T>
  T* child(const char* name) const {
    return toast->findChild<T*>(QLatin1String(name));
  }
  QString message() const { return child<QLabel>(names::toastMessage)->text(); }
  bool shown() const { return toast->isVisible(); }
};

}  // namespace

TEST(ToastView, HiddenWithoutAToast) {
  ToastFixture t;
  EXPECT_FALSE(t.shown());
}

TEST(ToastView, ShowsMessageDetailAndUndoOnlyWhenTheToastHasThem) {
  struct Case {
    const char* name;
    std::function<std::vector<DeletionRequest>(ToastFixture&)> requests;
    QString message;
    std::optional<QString> detail;
    bool undo;
  };
  const QString failed = QStringLiteral("1 item(s) couldn't be deleted. Details in History.");
  const Case cases[] = {
      {"trashed: Undo, no detail",
       [](ToastFixture& t) { return std::vector{DeletionRequest::make(t.newFile(), 2'000'000'000, Removal::trash)}; },
       QStringLiteral("2 GB moved to the Trash"), std::nullopt, true},
      {"removed permanently: neither",
       [](ToastFixture& t) { return std::vector{DeletionRequest::make(t.newFile(), 1'500'000, Removal::permanent)}; },
       QStringLiteral("1.5 MB freed"), std::nullopt, false},
      {"trashed with a failure: both",
       [](ToastFixture& t) {
         return std::vector{DeletionRequest::make(t.newFile(), 3'000'000, Removal::trash),
                            DeletionRequest::make(t.tree.path("missing"), 5, Removal::trash)};
       },
       QStringLiteral("3 MB moved to the Trash"), failed, true},
      {"nothing deleted: detail only",
       [](ToastFixture& t) { return std::vector{DeletionRequest::make(t.tree.path("gone"), 5, Removal::trash)}; },
       QStringLiteral("Nothing was deleted"), failed, false},
  };
  ToastFixture t;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    t.run(c.requests(t));
    EXPECT_TRUE(t.shown());
    EXPECT_EQ(t.message(), c.message);
    EXPECT_EQ(t.child<QLabel>(names::toastDetail)->isVisible(), c.detail.has_value());
    if (c.detail) {
      EXPECT_EQ(t.child<QLabel>(names::toastDetail)->text(), *c.detail);
    }
    EXPECT_EQ(t.child<QPushButton>(names::toastUndo)->isVisible(), c.undo);
    EXPECT_TRUE(t.child<QToolButton>(names::toastClose)->isVisible());
    EXPECT_EQ(t.child<SymbolView>(names::toastSymbol)->property("sfSymbol").toString(),
              QStringLiteral("checkmark.circle.fill"));
  }
}

TEST(ToastView, CloseClearsAtOnce) {
  ToastFixture t;
  t.trashed();
  QTest::mouseClick(t.child<QToolButton>(names::toastClose), Qt::LeftButton);
  EXPECT_FALSE(t.state->toast());
  EXPECT_FALSE(t.shown());
  EXPECT_EQ(t.child<QToolButton>(names::toastClose)->property("sfSymbol").toString(), QStringLiteral("xmark"));
  EXPECT_TRUE(t.child<QToolButton>(names::toastClose)->autoRaise());
}

TEST(ToastView, UndoRestoresAndReplacesTheToastWithTheResult) {
  ToastFixture t;
  const std::string a = t.newFile(), b = t.newFile();
  t.run({DeletionRequest::make(a, 10, Removal::trash), DeletionRequest::make(b, 10, Removal::trash)});
  ASSERT_FALSE(pathExists(a));
  const std::string first = t.state->toast()->id;
  QTest::mouseClick(t.child<QPushButton>(names::toastUndo), Qt::LeftButton);
  EXPECT_TRUE(pathExists(a));
  EXPECT_TRUE(pathExists(b));
  ASSERT_TRUE(t.state->toast());
  EXPECT_NE(t.state->toast()->id, first);
  EXPECT_TRUE(t.shown());
  EXPECT_EQ(t.message(), QStringLiteral("2 item(s) restored"));
  EXPECT_EQ(t.child<QLabel>(names::toastDetail)->text(), QStringLiteral("Scan again to see updated sizes."));
  EXPECT_FALSE(t.child<QPushButton>(names::toastUndo)->isVisible());
  EXPECT_EQ(t.toast->pendingDismissal(), t.state->toast()->id) << "the undo result has its own wait";
}

TEST(ToastView, SitsAtTheBottomCentreOfTheAreaItIsPlacedIn) {
  ToastFixture t;
  t.trashed();
  const QRect area(100, 50, 800, 600);
  t.toast->placeIn(area);
  const QRect panel = t.toast->panelRect().translated(t.toast->pos());
  EXPECT_EQ(panel.bottom() + 1, area.bottom() + 1 - 20);
  EXPECT_LE(std::abs(panel.center().x() - area.center().x()), 1);
  // Longer texts grow it and it stays centred and 20 from the bottom.
  t.run({DeletionRequest::make(t.newFile(), 3'000'000, Removal::trash),
         DeletionRequest::make(t.tree.path("missing"), 5, Removal::trash)});
  const QRect grown = t.toast->panelRect().translated(t.toast->pos());
  EXPECT_GT(grown.width(), panel.width());
  EXPECT_EQ(grown.bottom(), panel.bottom());
  EXPECT_LE(std::abs(grown.center().x() - area.center().x()), 1);
  // The panel is padded 16 × 12 around its content.
  const QRect message = t.child<QLabel>(names::toastMessage)->geometry();
  const QRect symbol = t.child<SymbolView>(names::toastSymbol)->geometry();
  EXPECT_EQ(symbol.left() - t.toast->panelRect().left(), 16);
  EXPECT_GE(message.top() - t.toast->panelRect().top(), 12);
}

// Each toast's wait is the view's own timer: the tests look at it and end it by hand, so they never
// depend on how fast the machine runs.
TEST(ToastView, EachToastGetsItsOwnFullTime) {
  constexpr int kToastMs = 8000;
  ToastFixture t(kToastMs);
  t.trashed();
  ASSERT_TRUE(t.state->toast());
  const std::string first = t.state->toast()->id;
  EXPECT_EQ(t.toast->pendingDismissal(), first);
  EXPECT_TRUE(t.toast->dismissTimer().isActive());
  EXPECT_EQ(t.toast->dismissTimer().interval(), kToastMs);

  // A newer toast: the first one's wait is dropped and the new one starts its own full wait.
  t.trashed();
  const std::string second = t.state->toast()->id;
  ASSERT_NE(second, first);
  EXPECT_EQ(t.toast->pendingDismissal(), second);
  EXPECT_TRUE(t.toast->dismissTimer().isActive());
  EXPECT_GT(t.toast->dismissTimer().remainingTime(), kToastMs / 2);

  // The end of the wait takes the toast it was for.
  t.toast->dismissPending();
  EXPECT_FALSE(t.state->toast());
  EXPECT_FALSE(t.shown());
  EXPECT_TRUE(t.toast->pendingDismissal().empty());
}

TEST(ToastView, AToastClearedByHandDoesNotShortenTheNextOne) {
  constexpr int kToastMs = 8000;
  ToastFixture t(kToastMs);
  t.trashed();
  QTest::mouseClick(t.child<QToolButton>(names::toastClose), Qt::LeftButton);
  EXPECT_FALSE(t.state->toast());
  EXPECT_TRUE(t.toast->pendingDismissal().empty());
  EXPECT_FALSE(t.toast->dismissTimer().isActive());
  t.trashed();
  ASSERT_TRUE(t.state->toast());
  EXPECT_EQ(t.toast->pendingDismissal(), t.state->toast()->id);
  EXPECT_GT(t.toast->dismissTimer().remainingTime(), kToastMs / 2);
}

TEST(ToastView, AToastAlreadySetWhenTheViewAppearsIsShownAndTimed) {
  ToastFixture t(300);
  t.trashed();
  ToastView late(*t.state, &t.window);
  EXPECT_TRUE(late.isVisible());
  EXPECT_EQ(late.pendingDismissal(), t.state->toast()->id);
  EXPECT_TRUE(waitUntil([&] { return !t.state->toast(); }, 5000));
  EXPECT_FALSE(late.isVisible());
}

// ---- Gallery (the tolvex_gallery target runs it) ----------------

#include <QDir>
#include <QVBoxLayout>

#include "app/components/AmbientBackground.h"
#include "app/theme/Appearance.h"

TEST(ToastGallery, GrabsTheToastInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QPalette saved = QApplication::palette();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp"));
  for (AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
    Appearance::apply(appearance);
    ToastFixture t;
    auto* page = new AmbientBackground(&t.window);
    page->setGeometry(t.window.rect());
    page->lower();
    t.run({DeletionRequest::make(t.newFile(), 1'234'000'000, Removal::trash),
           DeletionRequest::make(t.tree.path("missing"), 5, Removal::trash)});
    t.toast->placeIn(t.window.rect());
    QApplication::processEvents();
    QTest::qWait(50);
    const QRect around = t.toast->geometry().adjusted(-60, -40, 60, 0);
    const QString file = QDir(dir).filePath(QStringLiteral("tolvex-toast-%1.png").arg(rawValue(appearance)));
    EXPECT_TRUE(t.window.grab(around).save(file));
    // Without detail and Undo.
    t.run({DeletionRequest::make(t.newFile(), 1'500'000, Removal::permanent)});
    QApplication::processEvents();
    const QString plain = QDir(dir).filePath(QStringLiteral("tolvex-toast-plain-%1.png").arg(rawValue(appearance)));
    EXPECT_TRUE(t.window.grab(t.toast->geometry().adjusted(-60, -40, 60, 0)).save(plain));
  }
  QApplication::setPalette(saved);
}
