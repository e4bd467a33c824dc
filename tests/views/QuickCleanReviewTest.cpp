// The review and result stages of Quick Clean on a fixture home whose junk the real search finds:
// the cards and their columns, ticking rules and the size that follows, what keeps a clean from
// starting, "Start Over" and "See Details", and the result's lines and ways on.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/Buttons.h"
#include "app/components/RiskBadge.h"
#include "shell/SectionRouter.h"
#include "views/QuickCleanFixture.h"
#include "views/cleanup/GroupCard.h"
#include "views/cleanup/ReviewStage.h"
#include "views/cleanup/RuleRow.h"
#include "views/cleanup/SizeHeadline.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kMiB = QuickCleanScreen::kMiB;

ReviewStage* review(const QuickCleanScreen& q) { return qobject_cast<ReviewStage*>(q.view->stage()); }

RuleRow* rowOf(const QuickCleanScreen& q, const char* ruleID) {
  for (RuleRow* row : q.findAll<RuleRow>(names::reviewRuleRow))
    if (row->ruleID() == ruleID) return row;
  return nullptr;
}

std::vector<std::vector<std::string>> layout(ReviewStage* stage) {
  std::vector<std::vector<std::string>> out;
  for (const auto& column : stage->columns()) {
    out.emplace_back();
    for (GroupCard* card : column) {
      std::string rules;
      for (RuleRow* row : card->rows()) rules += " " + row->ruleID();
      out.back().push_back(rawValue(card->group()) + std::string(":") + rules);
    }
  }
  return out;
}

QString text(QWidget* widget, const char* name) {
  auto* label = widget->findChild<QLabel*>(QLatin1String(name));
  return label ? label->text() : QStringLiteral("<none>");
}

QString headline(const QuickCleanScreen& q) { return review(q)->headline()->text(); }

}  // namespace

TEST(QuickCleanReview, FindingsSitInTheCardsOfTheirGroupsOverTwoColumns) {
  QuickCleanScreen q;
  q.start();
  q.show();
  q.reachReview();
  ReviewStage* stage = review(q);
  ASSERT_NE(stage, nullptr);
  // system has 2 findings (left, 3.5); trash goes right (2.5), developer right (5.0), downloads left.
  EXPECT_EQ(layout(stage),
            (std::vector<std::vector<std::string>>{{"system: user-caches user-logs", "downloads: old-installers"},
                                                   {"trash: trash", "developer: xcode-derived"}}));
  std::map<std::string, std::pair<QString, QString>> cards;  // group → title, total
  for (GroupCard* card : stage->cards())
    cards[rawValue(card->group())] = {text(card, names::reviewGroupTitle), text(card, names::reviewGroupTotal)};
  EXPECT_EQ(cards["system"], std::make_pair(QString("System Junk"), bytesText(4 * kMiB)));
  EXPECT_EQ(cards["trash"], std::make_pair(QString("Trash"), bytesText(2 * kMiB)));
  EXPECT_EQ(cards["developer"].second, bytesText(4 * kMiB));
  EXPECT_EQ(cards["downloads"].second, bytesText(5 * kMiB));

  // A rule that needs a look has a compact badge beside its title; a safe one has none.
  RuleRow* installers = rowOf(q, "old-installers");
  ASSERT_NE(installers, nullptr);
  auto* badge = installers->findChild<RiskBadge*>();
  ASSERT_NE(badge, nullptr);
  EXPECT_EQ(badge->risk(), Risk::review);
  EXPECT_TRUE(badge->isCompact());
  EXPECT_EQ(rowOf(q, "user-caches")->findChild<RiskBadge*>(), nullptr);
  EXPECT_EQ(text(installers, names::reviewRuleTitle), "Installers in Downloads");
  EXPECT_EQ(text(installers, names::reviewRuleTotal), bytesText(5 * kMiB));
  EXPECT_TRUE(installers->toolTip().startsWith(".dmg/.pkg/.xip files downloaded"));
}

TEST(QuickCleanReview, TicksEditTheSelectionAndTheSizeFollows) {
  QuickCleanScreen q;
  q.start();
  q.show();
  q.reachReview();
  // The rules marked for Quick Clean start ticked: 3 + 1 + 2 + 4 MiB.
  const int64_t ticked = 10 * kMiB;
  EXPECT_EQ(headline(q), bytesText(ticked));
  EXPECT_EQ(review(q)->cleanButton()->text(), "Clean " + bytesText(ticked));
  EXPECT_TRUE(review(q)->cleanButton()->isEnabled());
  EXPECT_FALSE(rowOf(q, "old-installers")->checkBox()->isChecked());
  EXPECT_TRUE(rowOf(q, "user-caches")->checkBox()->isChecked());

  // Ticking a rule adds exactly its total; a click on the row's text ticks like the box.
  QTest::mouseClick(rowOf(q, "old-installers"), Qt::LeftButton, Qt::NoModifier, QPoint(60, 6));
  EXPECT_TRUE(q.state->smartSelection().contains("old-installers"));
  ASSERT_TRUE(waitUntil([&] { return headline(q) == bytesText(ticked + 5 * kMiB); }));
  EXPECT_TRUE(rowOf(q, "old-installers")->checkBox()->isChecked());
  rowOf(q, "old-installers")->checkBox()->click();
  ASSERT_TRUE(waitUntil([&] { return headline(q) == bytesText(ticked); }));
  EXPECT_FALSE(q.state->smartSelection().contains("old-installers"));

  // With every rule unticked: 0 bytes, no Clean; the cards keep their full totals.
  for (RuleRow* row : q.findAll<RuleRow>(names::reviewRuleRow))
    if (row->checkBox()->isChecked()) row->checkBox()->click();
  ASSERT_TRUE(waitUntil([&] { return headline(q) == "Zero KB"; }));
  EXPECT_EQ(review(q)->cleanButton()->text(), "Clean Zero KB");
  EXPECT_FALSE(review(q)->cleanButton()->isEnabled());
  EXPECT_EQ(text(rowOf(q, "user-caches"), names::reviewRuleTotal), bytesText(3 * kMiB));
  // Only the listed rules were unticked: ticks of rules that found nothing stay for later searches.
  for (RuleRow* row : q.findAll<RuleRow>(names::reviewRuleRow))
    EXPECT_FALSE(q.state->smartSelection().contains(row->ruleID())) << row->ruleID();
  EXPECT_TRUE(q.state->smartSelection().contains("ios-updates"));
}

TEST(QuickCleanReview, NothingToFreeKeepsTheCleanFromStarting) {
  struct Case {
    const char* name;
    std::set<std::string> selection;
  };
  for (const Case& c : {Case{"nothing ticked", {}}, Case{"only a rule of 0 bytes", {"saved-state"}}}) {
    QuickCleanScreen q;
    // The search finds nothing under 1 byte; the store may still hold an emptied finding.
    q.fakeJunk = std::vector<JunkFinding>{findingOf("user-caches", {{q.cache, 3 * kMiB}}),
                                          findingOf("saved-state", {{q.log, 0}})};
    q.start();
    q.show();
    q.reachReview();
    q.state->setSmartSelection(c.selection);
    ASSERT_TRUE(waitUntil([&] { return !review(q)->cleanButton()->isEnabled(); })) << c.name;
    QTest::keyClick(q.view.get(), Qt::Key_Return);
    review(q)->cleanButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(q.state->smartPhase(), SmartPhase::review) << c.name;
    EXPECT_TRUE(pathExists(q.log)) << c.name;
    EXPECT_TRUE(pathExists(q.cache)) << c.name;
  }
}

TEST(QuickCleanReview, ReturnCleansWhenThereIsSomethingToFree) {
  QuickCleanScreen q;
  q.start();
  q.show();
  q.reachReview();
  QTest::keyClick(q.view.get(), Qt::Key_Return);
  EXPECT_EQ(q.state->smartPhase(), SmartPhase::cleaning);
  q.fireMinimumWait();
  ASSERT_TRUE(q.showsPhase(SmartPhase::done));
  EXPECT_FALSE(pathExists(q.cache));
  EXPECT_TRUE(pathExists(q.installer));  // not ticked
  ASSERT_TRUE(waitUntil([&] { return !q.state->junkLoading(); }));
}

TEST(QuickCleanReview, NoJunkSaysTheMacIsClean) {
  QuickCleanScreen q(false);
  q.start();
  q.show();
  q.reachReview();
  EXPECT_EQ(headline(q), "Zero KB");
  EXPECT_EQ(q.find<QLabel>(names::reviewReady)->text(), "ready to clean");
  auto* empty = q.find<QLabel>(names::reviewEmpty);
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->isVisible());
  EXPECT_EQ(empty->text(), "Your Mac is clean. No junk found.");
  EXPECT_FALSE(q.find(names::reviewScroll)->isVisible());
  EXPECT_TRUE(q.find<QPushButton>(names::reviewStartOver)->isEnabled());
  EXPECT_TRUE(q.find<QPushButton>(names::reviewSeeDetails)->isEnabled());
  EXPECT_FALSE(review(q)->cleanButton()->isEnabled());
}

TEST(QuickCleanReview, ANewJunkListRebuildsTheCards) {
  QuickCleanScreen q;
  q.start();
  q.show();
  q.reachReview();
  removeTree(q.log);
  removeTree(q.trashed);
  q.state->loadJunk();
  ASSERT_TRUE(waitUntil([&] { return !q.state->junkLoading() && rowOf(q, "user-logs") == nullptr; }));
  EXPECT_EQ(layout(review(q)),
            (std::vector<std::vector<std::string>>{{"system: user-caches", "downloads: old-installers"},
                                                   {"developer: xcode-derived"}}));
  EXPECT_EQ(headline(q), bytesText(7 * kMiB));
}

TEST(QuickCleanReview, StartOverKeepsFindingsAndTicksAndSeeDetailsComesBackToTheReview) {
  QuickCleanScreen q;
  q.start();
  SectionRouter router(*q.state);
  router.resize(1040, 680);
  static_cast<QWidget&>(router).show();
  auto screen = [&] { return qobject_cast<QuickCleanView*>(router.currentScreen()); };
  ASSERT_NE(screen(), nullptr);
  ASSERT_TRUE(waitUntil([&] { return screen()->stage() != nullptr; }));
  qobject_cast<QAbstractButton*>(screen()->findChild<QWidget*>(names::idleScanButton))->click();
  q.fireMinimumWait();
  ASSERT_TRUE(waitUntil([&] { return screen()->stagePhase() == SmartPhase::review; }));
  q.state->setSmartSelection({"old-installers", "trash"});

  screen()->findChild<QPushButton*>(names::reviewSeeDetails)->click();
  EXPECT_EQ(q.state->section(), AppSection::junk);
  EXPECT_EQ(q.state->smartPhase(), SmartPhase::review);
  q.state->setSection(AppSection::smartClean);
  ASSERT_NE(screen(), nullptr);
  ASSERT_TRUE(waitUntil([&] { return screen()->stage() != nullptr; }));
  EXPECT_EQ(screen()->stagePhase(), SmartPhase::review);
  auto* stage = qobject_cast<ReviewStage*>(screen()->stage());
  EXPECT_EQ(stage->headline()->text(), bytesText(7 * kMiB));

  screen()->findChild<QPushButton*>(names::reviewStartOver)->click();
  ASSERT_TRUE(waitUntil([&] { return screen()->stagePhase() == SmartPhase::idle; }));
  EXPECT_EQ(q.state->smartSelection(), (std::set<std::string>{"old-installers", "trash"}));
  EXPECT_EQ(q.state->junk().size(), 5u);
}

TEST(QuickCleanResult, SaysWhatWasCleanedWhatWaitsInTheTrashAndWhatWasLeft) {
  struct Case {
    const char* name;
    std::set<std::string> selection;
    bool removeDerivedFirst;  // gone before the clean: one item fails
    int64_t cleaned, inTrash;
    QString untouched;
  };
  const Case cases[] = {
      {"removed for good", {"user-caches", "user-logs"}, false, 4 * kMiB, 0, {}},
      {"trashed and failed",
       {"user-caches", "old-installers", "xcode-derived"},
       true,
       8 * kMiB,
       5 * kMiB,
       "1 item(s) were in use or protected and were left untouched."},
  };
  for (const Case& c : cases) {
    QuickCleanScreen q;
    q.start();
    q.show();
    q.reachReview();
    q.state->setSmartSelection(c.selection);
    if (c.removeDerivedFirst) removeTree(q.derived);
    q.reachResult();
    auto line = [&](const char* name) {
      auto* label = q.find<QLabel>(name);
      return label && label->isVisible() ? label->text() : QString();
    };
    EXPECT_EQ(line(names::doneCleaned), bytesText(c.cleaned) + " cleaned") << c.name;
    EXPECT_EQ(line(names::doneInTrash), c.inTrash ? bytesText(c.inTrash) + " is in the Trash until you empty it." : "")
        << c.name;
    EXPECT_EQ(line(names::doneUntouched), c.untouched) << c.name;
    EXPECT_EQ(line(names::doneFreeSpace), "You now have 400 GB free.") << c.name;
    EXPECT_FALSE(pathExists(q.cache)) << c.name;
    EXPECT_TRUE(pathExists(q.trashed)) << c.name;  // the Trash rule was not ticked
  }
}

TEST(QuickCleanResult, WithoutVolumeFiguresTheFreeSpaceLineIsLeftOut) {
  QuickCleanScreen q;
  q.start(false);
  q.show();
  q.reachReview();
  q.reachResult();
  EXPECT_TRUE(q.find<QLabel>(names::doneCleaned)->isVisible());
  EXPECT_FALSE(q.find<QLabel>(names::doneFreeSpace)->isVisible());
  EXPECT_TRUE(q.find(names::doneFinish)->isVisible());
}

TEST(QuickCleanResult, SeeWhatElseOpensTheOverviewAndScansOnlyWhenNothingIsScanned) {
  for (bool scanned : {false, true}) {
    QuickCleanScreen q;
    q.start();
    if (scanned) {
      q.state->startScan(ScanTarget::home());
      ASSERT_TRUE(waitUntil([&] { return q.state->scan() && !q.state->isScanning(); }, 20000));
    }
    q.show();
    q.reachReview();
    q.reachResult();
    const std::optional<ScanTarget> before = q.state->scannedTarget();
    q.click(names::doneSeeMore);
    EXPECT_EQ(q.state->section(), AppSection::overview) << scanned;
    EXPECT_EQ(q.state->smartPhase(), SmartPhase::done) << scanned;
    EXPECT_EQ(q.state->isScanning(), !scanned) << scanned;
    if (!scanned) {
      EXPECT_EQ(q.state->scanTarget().kind, ScanTarget::Kind::wholeDisk);
      ASSERT_TRUE(waitUntil([&] { return q.state->scan() && !q.state->isScanning(); }, 20000));
    } else {
      EXPECT_EQ(q.state->scannedTarget(), before);
    }
  }
}
