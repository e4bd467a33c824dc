// The Quick Clean screen on a fixture home whose junk the real search finds: each stage shown for its
// phase, the step indicator, the start stage with and without volume figures, the Scan button and its
// Return key, the stage changes with animations on and off.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/DiskRing.h"
#include "app/components/ScanningRing.h"
#include "app/theme/Theme.h"
#include "views/QuickCleanFixture.h"
#include "views/cleanup/DoneCheckmark.h"
#include "views/cleanup/IdleStage.h"
#include "views/cleanup/Promise.h"
#include "views/cleanup/ScanButton.h"
#include "views/cleanup/StageTransition.h"
#include "views/cleanup/StepIndicator.h"
#include "views/cleanup/WorkingStage.h"
#include "views/cleanup/logic/QuickCleanSteps.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

QString labelText(const QuickCleanScreen& q, const char* name) {
  auto* label = q.find<QLabel>(name);
  return label ? label->text() : QStringLiteral("<none>");
}

// Turns animations on for the life of the object.
struct AnimationsOn {
  QByteArray saved = qgetenv("TOLVEX_NO_ANIMATIONS");
  AnimationsOn() { qputenv("TOLVEX_NO_ANIMATIONS", "0"); }
  ~AnimationsOn() { qputenv("TOLVEX_NO_ANIMATIONS", saved); }
};

// True when `color` is one of the brand gradient's saturated blues rather than a faint grey.
bool isBranded(const QColor& color) { return color.hsvSaturationF() > 0.4 && color.blue() > color.red(); }

}  // namespace

TEST(QuickCleanView, EachPhaseShowsItsStageUnderTheIndicator) {
  QuickCleanScreen q;
  q.start();
  q.show();
  auto indicatorIs = [&](SmartPhase phase) { return q.view->indicator()->phase() == phase; };
  ASSERT_TRUE(q.showsPhase(SmartPhase::idle));
  EXPECT_NE(q.find(names::idleStage), nullptr);
  EXPECT_TRUE(indicatorIs(SmartPhase::idle));

  q.click(names::idleScanButton);
  ASSERT_TRUE(q.showsPhase(SmartPhase::scanning));
  EXPECT_TRUE(indicatorIs(SmartPhase::scanning));
  auto* working = qobject_cast<WorkingStage*>(q.view->stage());
  ASSERT_NE(working, nullptr);
  EXPECT_EQ(working->title(), "Looking for files you don’t need…");
  EXPECT_EQ(working->subtitle(), "Caches, logs, Trash, Xcode leftovers, Mail attachments…");
  EXPECT_TRUE(working->ring()->progressText().isEmpty());
  EXPECT_EQ(q.find(names::idleStage), nullptr);  // the start stage is gone, with its button

  q.fireMinimumWait();
  ASSERT_TRUE(q.showsPhase(SmartPhase::review));
  EXPECT_TRUE(indicatorIs(SmartPhase::review));
  EXPECT_NE(q.find(names::reviewStage), nullptr);

  q.click(names::reviewClean);
  ASSERT_TRUE(q.showsPhase(SmartPhase::cleaning));
  working = qobject_cast<WorkingStage*>(q.view->stage());
  ASSERT_NE(working, nullptr);
  EXPECT_EQ(working->title(), "Cleaning…");
  EXPECT_EQ(working->subtitle(), "Only the safe items you selected are removed.");

  q.fireMinimumWait();
  ASSERT_TRUE(q.showsPhase(SmartPhase::done));
  EXPECT_TRUE(indicatorIs(SmartPhase::done));
  EXPECT_NE(q.find(names::doneStage), nullptr);

  q.click(names::doneFinish);
  ASSERT_TRUE(q.showsPhase(SmartPhase::idle));
  EXPECT_EQ(q.state->smartPhase(), SmartPhase::idle);
  EXPECT_TRUE(indicatorIs(SmartPhase::idle));
}

TEST(QuickCleanView, TheIndicatorDrawsEachStepAsItsPhaseSays) {
  QuickCleanScreen q(false);
  q.start();
  q.show();
  StepIndicator* indicator = q.view->indicator();
  for (SmartPhase phase : {SmartPhase::idle, SmartPhase::review, SmartPhase::cleaning, SmartPhase::done}) {
    indicator->setPhase(phase);
    const QImage image = indicator->grab().toImage();
    for (int i = 0; i < kQuickCleanStepCount; ++i) {
      // Just inside the circle's edge, clear of the mark in its middle.
      const QRectF circle = indicator->circleRect(i);
      const QColor fill = image.pixelColor(QPointF(circle.left() + 4, circle.center().y()).toPoint());
      EXPECT_EQ(isBranded(fill), stepLook(i, phase).filled) << static_cast<int>(phase) << " step " << i;
      if (i + 1 < kQuickCleanStepCount) {
        const QColor connector = image.pixelColor(indicator->connectorRect(i).center().toPoint());
        EXPECT_EQ(isBranded(connector), connectorFilled(i, phase)) << static_cast<int>(phase) << " connector " << i;
      }
    }
  }
}

TEST(QuickCleanView, TheStartStageShowsTheDiskWhenItIsKnown) {
  for (bool volume : {true, false}) {
    QuickCleanScreen q(false);
    q.start(volume);
    q.show();
    auto* stage = qobject_cast<IdleStage*>(q.view->stage());
    ASSERT_NE(stage, nullptr);
    EXPECT_EQ(stage->ring()->isVisible(), volume);
    EXPECT_EQ(q.find<QLabel>(names::idleSentence)->isVisible(), volume);
    if (volume) {
      // 600 GB used of 1 TB.
      EXPECT_EQ(stage->ring()->used(), 600'000'000'000);
      EXPECT_EQ(stage->ring()->total(), 1'000'000'000'000);
      EXPECT_EQ(labelText(q, names::idleSentence),
                "You have 400 GB free of 1 TB. Tolvex only looks for files that macOS and your apps can recreate.");
    }
    EXPECT_TRUE(stage->scanButton()->isVisible());
    EXPECT_EQ(stage->scanButton()->text(), "Scan");
    EXPECT_EQ(labelText(q, names::idleTitle), "Free up space safely");
    std::vector<std::pair<QString, QString>> promises;
    for (Promise* promise : q.findAll<Promise>(names::idlePromise))
      promises.emplace_back(promise->symbol(), promise->title());
    EXPECT_EQ(promises, (std::vector<std::pair<QString, QString>>{
                            {"checkmark.shield.fill", "Never touches the system"},
                            {"arrow.uturn.backward.circle.fill", "You review before anything is cleaned"},
                            {"lock.fill", "Everything stays on your Mac"}}));
  }
}

TEST(QuickCleanView, ReturnStartsOneSearchOnly) {
  QuickCleanScreen q;
  q.start();
  q.show();
  QTest::keyClick(q.view.get(), Qt::Key_Return);
  ASSERT_TRUE(q.showsPhase(SmartPhase::scanning));
  EXPECT_EQ(q.state->smartPhase(), SmartPhase::scanning);
  // The start stage left with its key: Return and another Quick Clean start nothing more.
  QTest::keyClick(q.view.get(), Qt::Key_Return);
  q.fireMinimumWait();
  ASSERT_TRUE(q.showsPhase(SmartPhase::review));
  EXPECT_EQ(*q.searches, 1);
}

TEST(QuickCleanView, TheScanButtonAnswersOnlyInsideItsCircle) {
  QuickCleanScreen q(false);
  q.start();
  q.show();
  auto* button = q.find<ScanButton>(names::idleScanButton);
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));  // the glow's corner
  EXPECT_EQ(q.state->smartPhase(), SmartPhase::idle);
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
  EXPECT_EQ(q.state->smartPhase(), SmartPhase::scanning);
  q.fireMinimumWait();
}

TEST(QuickCleanView, WithoutAnimationsEveryStageIsAtItsEndAtOnce) {
  QuickCleanScreen q;
  q.start();
  q.show();
  auto* button = q.find<ScanButton>(names::idleScanButton);
  EXPECT_FALSE(button->isBreathing());
  EXPECT_EQ(button->pulse(), 1);  // held at its widest breath
  q.reachReview();
  EXPECT_FALSE(q.view->transition()->isVisible());
  EXPECT_FALSE(q.view->indicator()->isAnimating());
  q.reachResult();
  auto* check = q.find<DoneCheckmark>(names::doneCheckmark);
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->appear(), 1);
  EXPECT_EQ(check->discScale(), 1);
  EXPECT_EQ(check->symbolScale(), 1);
}

TEST(QuickCleanView, WithAnimationsAStageChangePlaysBeforeTheNewStageShows) {
  AnimationsOn animations;
  QuickCleanScreen q;
  q.start();
  q.show();
  auto* button = q.find<ScanButton>(names::idleScanButton);
  EXPECT_TRUE(button->isBreathing());
  EXPECT_TRUE(waitUntil([&] { return button->pulse() > 0.01; }));

  button->click();
  ASSERT_TRUE(waitUntil([&] { return q.view->stagePhase() == SmartPhase::scanning; }));
  EXPECT_TRUE(q.view->transition()->isVisible());
  EXPECT_TRUE(q.view->indicator()->isAnimating());
  EXPECT_FALSE(q.view->stage()->isVisible());  // pictured by the transition until it ends
  ASSERT_TRUE(q.showsPhase(SmartPhase::scanning));
  EXPECT_FALSE(q.view->transition()->isVisible());
  EXPECT_TRUE(qobject_cast<WorkingStage*>(q.view->stage())->ring()->isSpinning());

  q.fireMinimumWait();
  ASSERT_TRUE(q.showsPhase(SmartPhase::review));
  // The check mark grows in from its small size each time the result is entered.
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(waitUntil([&] { return q.find<QAbstractButton>(names::reviewClean)->isEnabled(); })) << round;
    q.click(names::reviewClean);
    q.fireMinimumWait();
    ASSERT_TRUE(q.showsPhase(SmartPhase::done)) << round;
    auto* check = q.find<DoneCheckmark>(names::doneCheckmark);
    ASSERT_NE(check, nullptr);
    EXPECT_LT(check->appear(), 0.5) << round;
    EXPECT_TRUE(waitUntil([&] { return check->appear() == 1; })) << round;
    ASSERT_TRUE(waitUntil([&] { return !q.state->junkLoading(); }));
    if (round == 1) break;
    q.click(names::doneFinish);
    ASSERT_TRUE(q.showsPhase(SmartPhase::idle));
    q.reachReview();
    q.state->setSmartSelection({"old-installers"});  // what the first clean left
  }
}
