// The pure parts of Quick Clean: the step indicator's look per phase, the review's groups, columns and
// sums, the texts that carry a value, and the spring the stages move with.
#include <gtest/gtest.h>

#include "support/JunkFixtures.h"
#include "views/cleanup/logic/QuickCleanSteps.h"
#include "views/cleanup/logic/QuickCleanTexts.h"
#include "views/cleanup/logic/ReviewGroups.h"
#include "app/theme/Spring.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

StepLook ahead(const char* number) { return {false, false, number, false, false, true}; }
StepLook current(const char* number) { return {true, false, number, true, true, false}; }
StepLook behind() { return {true, true, "checkmark", true, false, false}; }

std::vector<std::vector<JunkGroup>> groupsOf(const std::vector<ReviewColumn>& columns) {
  std::vector<std::vector<JunkGroup>> out;
  for (const ReviewColumn& column : columns) {
    out.emplace_back();
    for (const ReviewGroup& group : column) out.back().push_back(group.group);
  }
  return out;
}

}  // namespace

TEST(QuickCleanSteps, EachPhaseLooksAsItsRowOfTheTable) {
  struct Case {
    SmartPhase phase;
    int current;
    StepLook scan, review, clean;
    bool connector1, connector2;
  };
  StepLook doneClean = behind();
  doneClean.semibold = true;  // the last step stays current, ticked
  const Case cases[] = {
      {SmartPhase::idle, 0, current("1"), ahead("2"), ahead("3"), false, false},
      {SmartPhase::scanning, 0, current("1"), ahead("2"), ahead("3"), false, false},
      {SmartPhase::review, 1, behind(), current("2"), ahead("3"), true, false},
      {SmartPhase::cleaning, 2, behind(), behind(), current("3"), true, true},
      {SmartPhase::done, 2, behind(), behind(), doneClean, true, true},
  };
  for (const Case& c : cases) {
    const int phase = static_cast<int>(c.phase);
    EXPECT_EQ(currentQuickCleanStep(c.phase), c.current) << phase;
    EXPECT_EQ(stepLook(0, c.phase), c.scan) << phase;
    EXPECT_EQ(stepLook(1, c.phase), c.review) << phase;
    EXPECT_EQ(stepLook(2, c.phase), c.clean) << phase;
    EXPECT_EQ(connectorFilled(0, c.phase), c.connector1) << phase;
    EXPECT_EQ(connectorFilled(1, c.phase), c.connector2) << phase;
  }
  EXPECT_EQ(quickCleanStepTitle(0), "Scan");
  EXPECT_EQ(quickCleanStepTitle(1), "Review");
  EXPECT_EQ(quickCleanStepTitle(2), "Clean");
}

TEST(ReviewGroups, GroupsInGroupOrderOverTwoBalancedColumns) {
  struct Case {
    const char* name;
    std::vector<JunkFinding> findings;
    std::vector<std::vector<JunkGroup>> columns;
  };
  using enum JunkGroup;
  const Case cases[] = {
      {"nothing", {}, {}},
      {"one group stands alone", {findingOf("user-caches", {{"/c", 1}})}, {{system}}},
      // 3, 1 and 1 findings: left (4.5), right (2.5), right (5.0).
      {"3, 1, 1",
       {findingOf("user-caches", {{"/c", 1}}), findingOf("trash", {{"/t", 1}}), findingOf("user-logs", {{"/l", 1}}),
        findingOf("saved-state", {{"/s", 1}}), findingOf("npm-cache", {{"/n", 1}})},
       {{system}, {trash, developer}}},
      {"equal groups go left then right",
       {findingOf("npm-cache", {{"/n", 1}}), findingOf("trash", {{"/t", 1}})},
       {{trash}, {developer}}},
      // A tie after two groups sends the third left again.
      {"ties go left",
       {findingOf("trash", {{"/t", 1}}), findingOf("mail-downloads", {{"/m", 1}}),
        findingOf("ios-updates", {{"/i", 1}})},
       {{trash, devices}, {mail}}},
  };
  for (const Case& c : cases) EXPECT_EQ(groupsOf(buildReviewGroups(c.findings)), c.columns) << c.name;

  // Findings keep the order of the list under their group.
  const std::vector<JunkFinding> findings = {findingOf("user-logs", {{"/l", 1}}), findingOf("trash", {{"/t", 1}}),
                                             findingOf("user-caches", {{"/c", 1}})};
  const auto columns = buildReviewGroups(findings);
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[0][0].findings, (std::vector<size_t>{0, 2}));
  EXPECT_EQ(columns[1][0].findings, (std::vector<size_t>{1}));
}

TEST(ReviewGroups, SumsCountWhatTheFindingsHold) {
  const std::vector<JunkFinding> findings = {
      findingOf("user-caches", {{"/c/a", 3000}, {"/c/b", 2000}}),
      findingOf("user-logs", {{"/l/a", 700}}),
      findingOf("saved-state", {{"/s/a", 0}}),
      findingOf("old-installers", {{"/d/a.dmg", 9000}}),
  };
  EXPECT_EQ(findingTotal(findings[0]), 5000);
  EXPECT_EQ(groupTotal(findings, ReviewGroup{JunkGroup::system, {0, 1, 2}}), 5700);
  struct Case {
    std::set<std::string> selection;
    int64_t size;
  };
  const Case cases[] = {
      {{}, 0},
      {{"user-caches", "user-logs"}, 5700},
      {{"user-caches", "old-installers"}, 14000},
      {{"saved-state"}, 0},         // ticked, but nothing to free
      {{"trash", "npm-cache"}, 0},  // ticked rules without a finding count for nothing
  };
  for (const Case& c : cases) EXPECT_EQ(selectedSize(findings, c.selection), c.size);

  // A damaged size cannot wrap a total around.
  const JunkFinding huge = findingOf("user-caches", {{"/a", INT64_MAX}, {"/b", INT64_MAX}});
  EXPECT_EQ(findingTotal(huge), INT64_MAX);
  EXPECT_EQ(saturatingAdd(INT64_MIN, -1), INT64_MIN);
}

TEST(ReviewGroups, EachGroupHasItsSymbol) {
  const std::pair<JunkGroup, const char*> expected[] = {
      {JunkGroup::system, "sparkles"}, {JunkGroup::trash, "trash.fill"},
      {JunkGroup::mail, "paperclip"},  {JunkGroup::developer, "hammer.fill"},
      {JunkGroup::devices, "iphone"},  {JunkGroup::downloads, "arrow.down.circle.fill"},
  };
  for (const auto& [group, symbol] : expected) EXPECT_EQ(junkGroupSymbol(group), symbol);
  EXPECT_EQ(junkGroupTitle(JunkGroup::devices), "iPhone & iPad");
}

TEST(QuickCleanTexts, TheStartSentenceAndTheCleanButton) {
  EXPECT_EQ(idleVolumeSentence(VolumeInfo{"Disk", 1'000'000'000'000, 400'000'000'000, 400'000'000'000}),
            "You have 400 GB free of 1 TB. Tolvex only looks for files that macOS and your apps can recreate.");
  EXPECT_FALSE(idleVolumeSentence(std::nullopt));
  EXPECT_EQ(idleUsedSpace(VolumeInfo{"Disk", 1000, 250, 250}), 750);
  EXPECT_EQ(idleUsedSpace(VolumeInfo{"Disk", INT64_MAX, -10, 0}), INT64_MAX);
  EXPECT_EQ(cleanButtonText(1'500'000), "Clean 1.5 MB");
  EXPECT_EQ(cleanButtonText(0), "Clean Zero KB");
  EXPECT_EQ(cleanButtonText(-5), "Clean Zero KB");
}

TEST(QuickCleanTexts, TheResultLines) {
  auto report = [](int64_t freed, int64_t trashed, int failures, int skipped) {
    DeletionReport r;
    r.freed = freed;
    r.movedToTrash = trashed;
    for (int i = 0; i < failures; ++i) r.failures.push_back({"", "/f" + std::to_string(i), "In use."});
    for (int i = 0; i < skipped; ++i) r.skippedProtected.push_back({"", "/p" + std::to_string(i), "Protected."});
    return r;
  };
  const std::optional<VolumeInfo> volume = VolumeInfo{"Disk", 1'000'000'000'000, 412'300'000'000, 0};
  struct Case {
    const char* name;
    std::optional<DeletionReport> report;
    std::optional<VolumeInfo> volume;
    DoneTexts texts;
  };
  const Case cases[] = {
      {"only in the Trash",
       report(0, 500'000'000, 0, 0),
       volume,
       {"500 MB cleaned", "500 MB is in the Trash until you empty it.", std::nullopt, "You now have 412.3 GB free."}},
      {"all removed for good",
       report(2'000'000, 0, 0, 0),
       volume,
       {"2 MB cleaned", std::nullopt, std::nullopt, "You now have 412.3 GB free."}},
      {"failures are counted",
       report(1'000'000, 1'000'000, 3, 0),
       std::nullopt,
       {"2 MB cleaned", "1 MB is in the Trash until you empty it.",
        "3 item(s) were in use or protected and were left untouched.", std::nullopt}},
      {"protected items skipped are not",
       report(1'000'000, 0, 0, 2),
       std::nullopt,
       {"1 MB cleaned", std::nullopt, std::nullopt, std::nullopt}},
      {"nothing removed",
       report(0, 0, 0, 0),
       std::nullopt,
       {"Zero KB cleaned", std::nullopt, std::nullopt, std::nullopt}},
      {"no report", std::nullopt, volume, {std::nullopt, std::nullopt, std::nullopt, "You now have 412.3 GB free."}},
      {"many failures, grouped",
       report(0, 0, 1234, 0),
       std::nullopt,
       {"Zero KB cleaned", std::nullopt, "1,234 item(s) were in use or protected and were left untouched.",
        std::nullopt}},
  };
  for (const Case& c : cases) EXPECT_EQ(doneTexts(c.report, c.volume), c.texts) << c.name;
}

TEST(Spring, SettlesAtOneAndBouncesOnlyBelowFullDamping) {
  struct Case {
    Spring spring;
    bool overshoots;
  };
  for (const Case& c : {Case{{0.45, 1.0}, false}, Case{{0.6, 0.55}, true}, Case{{0.5, 0.85}, true}}) {
    EXPECT_EQ(c.spring.value(0), 0);
    double peak = 0;
    for (int ms = 0; ms <= 3000; ms += 5) peak = std::max(peak, c.spring.value(ms / 1000.0));
    EXPECT_EQ(peak > 1.001, c.overshoots) << c.spring.damping;
    const int settle = c.spring.settleMs();
    EXPECT_GT(settle, 1000 * c.spring.response / 2) << c.spring.damping;
    EXPECT_LT(settle, 2000) << c.spring.damping;
    for (int ms = settle; ms <= settle + 1000; ms += 7)
      EXPECT_NEAR(c.spring.value(ms / 1000.0), 1.0, 0.005) << c.spring.damping << " at " << ms;
  }
}
