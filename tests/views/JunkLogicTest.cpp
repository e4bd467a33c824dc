// What the Junk screen derives from the findings and its ticks: rows, check marks, the ticked items
// and the plan that cleans them.
#include <gtest/gtest.h>

#include "support/JunkFixtures.h"
#include "views/cleanup/logic/JunkSelection.h"

namespace tolvex {
namespace {

using test::findingOf;
using test::FoundItem;
using Kind = JunkRow::Kind;

std::vector<FoundItem> manyItems(const std::string& folder, int count) {
  std::vector<FoundItem> items;
  for (int i = 0; i < count; ++i) items.emplace_back(folder + "/item" + std::to_string(i), 1000 - i);
  return items;
}

// The rows as "kind:rule" strings, items as "item:rule#index", the more line as "more:rule+count".
std::vector<std::string> describe(const std::vector<JunkFinding>& junk, const std::vector<JunkRow>& rows) {
  std::vector<std::string> out;
  for (const JunkRow& row : rows) {
    switch (row.kind) {
      case Kind::section: out.push_back(std::string("section:") + rawValue(row.group)); break;
      case Kind::rule: out.push_back("rule:" + junk[row.finding].rule.id); break;
      case Kind::item: out.push_back("item:" + junk[row.finding].rule.id + "#" + std::to_string(row.item)); break;
      case Kind::more: out.push_back("more:" + junk[row.finding].rule.id + "+" + std::to_string(row.more)); break;
    }
  }
  return out;
}

TEST(JunkRows, SectionsInCategoryOrderWithOpenRulesListingAtMost300Items) {
  // The finder's order (largest first) mixes categories; sections come in category order, and the
  // findings within a category keep the finder's order.
  const std::vector<JunkFinding> junk = {
      findingOf("old-installers", {{"/h/Downloads/a.dmg", 50}}),
      findingOf("user-logs", manyItems("/h/Library/Logs", 301)),
      findingOf("npm-cache", {{"/h/.npm/_cacache/x", 40}}),
      findingOf("user-caches", manyItems("/h/Library/Caches", 300)),
  };
  EXPECT_EQ(describe(junk, junkRows(junk, {})),
            (std::vector<std::string>{"section:system", "rule:user-logs", "rule:user-caches", "section:developer",
                                      "rule:npm-cache", "section:downloads", "rule:old-installers"}));

  const std::vector<JunkRow> open = junkRows(junk, {"user-logs", "user-caches", "npm-cache"});
  const std::vector<std::string> rows = describe(junk, open);
  ASSERT_EQ(rows.size(), 7u + 300 + 1 + 300 + 1);
  EXPECT_EQ(rows[2], "item:user-logs#0");
  EXPECT_EQ(rows[301], "item:user-logs#299");
  EXPECT_EQ(rows[302], "more:user-logs+1");
  EXPECT_EQ(rows[303], "rule:user-caches");
  EXPECT_EQ(rows[603], "item:user-caches#299");
  EXPECT_EQ(rows[604], "section:developer");  // exactly 300 items: no "more" line
  EXPECT_EQ(rows[606], "item:npm-cache#0");

  EXPECT_TRUE(junkRows({}, {"user-logs"}).empty());
}

TEST(JunkRuleCheck, TicksMarksAndOpacity) {
  const StringSet rule = {"/a", "/b", "/c"};
  struct Case {
    StringSet selected;
    StringSet ids;
    GroupCheck check;
    double opacity;
  };
  const Case cases[] = {
      {{"/a", "/b", "/c", "/x"}, rule, GroupCheck::all, 1.0},
      {{"/x"}, rule, GroupCheck::none, 1.0},
      {{"/b"}, rule, GroupCheck::mixed, 0.6},
      // A rule whose items were all deleted: unticked at full opacity, whatever is ticked.
      {{"/a"}, {}, GroupCheck::none, 1.0},
      {{}, {}, GroupCheck::none, 1.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(junkRuleCheck(c.selected, c.ids), c.check);
    EXPECT_EQ(junkRuleOpacity(junkRuleCheck(c.selected, c.ids)), c.opacity);
  }

  StringSet selected = {"/b", "/other"};
  setJunkRuleSelected(selected, rule, true);
  EXPECT_EQ(selected, (StringSet{"/a", "/b", "/c", "/other"}));
  setJunkRuleSelected(selected, rule, false);
  EXPECT_EQ(selected, StringSet{"/other"});
  setJunkRuleSelected(selected, {}, true);  // an empty rule changes nothing
  EXPECT_EQ(selected, StringSet{"/other"});
}

TEST(JunkSelection, TickedItemsInListOrderIgnoreStaleIdsAndPrune) {
  const std::vector<JunkFinding> junk = {
      findingOf("user-caches", {{"/h/Library/Caches/big", 5000}, {"/h/Library/Caches/small", 700}}),
      findingOf("trash", {{"/h/.local/share/Trash/files/x", 300}}),
  };
  EXPECT_EQ(junkItemIds(junk[0]), (StringSet{"/h/Library/Caches/big", "/h/Library/Caches/small"}));
  const StringSet selected = {"/h/.local/share/Trash/files/x", "/h/Library/Caches/small", "/gone/elsewhere"};
  const auto items = selectedJunkItems(junk, selected);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0]->id, "/h/Library/Caches/small");
  EXPECT_EQ(items[1]->id, "/h/.local/share/Trash/files/x");
  EXPECT_EQ(junkItemsSize(items), 1000);
  EXPECT_EQ(prunedJunkSelection(selected, junk),
            (StringSet{"/h/.local/share/Trash/files/x", "/h/Library/Caches/small"}));
  EXPECT_TRUE(selectedJunkItems(junk, {}).empty());
}

TEST(JunkPlan, EachItemGoesAsItsRuleSaysAndAnItemOfAnUnknownRuleIsLeftOut) {
  const std::vector<JunkFinding> junk = {
      findingOf("user-caches", {{"/h/Library/Caches/com.example.app", 5000}}),
      findingOf("old-installers", {{"/h/Downloads/Setup.dmg", 3000}}),
  };
  JunkItem orphan{"/h/Library/Orphan", "/h/Library/Orphan", "no-such-rule", 900, 1, std::nullopt};
  std::vector<const JunkItem*> items = {&junk[0].items[0], &orphan, &junk[1].items[0]};
  const SafetyContext safety = SafetyContext::forPlaces(Places::forHome("/h"));
  const std::vector<PlanItem> plan = junkPlanItems(items, safety);
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_EQ(plan[0].path, "/h/Library/Caches/com.example.app");
  EXPECT_EQ(plan[0].name, "com.example.app");
  EXPECT_EQ(plan[0].size, 5000);
  EXPECT_EQ(plan[0].removal, Removal::permanent);
  EXPECT_EQ(plan[0].verdict, SafetyVerdict::forPath("/h/Library/Caches/com.example.app", safety));
  EXPECT_EQ(plan[1].name, "Setup.dmg");
  EXPECT_EQ(plan[1].removal, Removal::trash);
  EXPECT_EQ(plan[1].verdict, SafetyVerdict::forPath("/h/Downloads/Setup.dmg", safety));

  // The rule's own table decides, not the finding's copy of a rule.
  JunkRule retired = junk[0].rule;
  retired.id = "no-such-rule";
  retired.removal = Removal::permanent;
  EXPECT_EQ(junkPlanItems({&orphan}, safety, {retired}).front().removal, Removal::permanent);
  EXPECT_TRUE(junkPlanItems({&orphan}, safety).empty());
}

TEST(JunkTexts, CountsAndTheMoreLine) {
  EXPECT_EQ(junkItemCountText(1234), QStringLiteral("1,234 items"));
  EXPECT_EQ(junkMoreText(1), QStringLiteral("\u2026 and 1 more"));
}

}  // namespace
}  // namespace tolvex
