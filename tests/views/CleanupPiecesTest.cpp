// The pieces every cleanup screen shares: the group check mark, the junk rule's title line and
// revealing a path that may be gone.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "app/components/RiskBadge.h"
#include "engines/JunkRule.h"
#include "support/TempHome.h"
#include "views/ExplorerFixture.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/logic/GroupCheck.h"

namespace tolvex {
namespace {

TEST(GroupCheck, AllNoneAndMixed) {
  struct Case {
    StringSet selection, group;
    GroupCheck expected;
  };
  const Case cases[] = {
      {{"/a", "/b", "/c"}, {"/a", "/b"}, GroupCheck::all},
      {{"/a", "/b"}, {"/a", "/b"}, GroupCheck::all},
      {{"/x"}, {"/a", "/b"}, GroupCheck::none},
      {{}, {"/a"}, GroupCheck::none},
      {{"/a"}, {"/a", "/b"}, GroupCheck::mixed},
      {{"/a", "/x", "/y", "/z"}, {"/a", "/b"}, GroupCheck::mixed},  // larger selection, partly inside
      {{"/b", "/c"}, {"/a", "/b", "/c", "/d"}, GroupCheck::mixed},
  };
  for (const Case& c : cases) EXPECT_EQ(groupCheckState(c.selection, c.group), c.expected);
}

TEST(GroupCheck, SetTestsOnEmptySets) {
  EXPECT_TRUE(stringSetIsSuperset({}, {}));
  EXPECT_TRUE(stringSetIsSuperset({"/a"}, {}));
  EXPECT_FALSE(stringSetIsSuperset({}, {"/a"}));
  EXPECT_TRUE(stringSetIsDisjoint({}, {}));
  EXPECT_TRUE(stringSetIsDisjoint({"/a"}, {}));
  EXPECT_FALSE(stringSetIsDisjoint({"/a", "/b"}, {"/b"}));
}

TEST(RuleTitleLine, TitleBadgeAndRemovalWording) {
  JunkRule rule;
  rule.title = "User Caches";
  rule.risk = Risk::review;
  rule.removal = Removal::permanent;
  std::unique_ptr<QWidget> line(ruleTitleLine(rule));
  EXPECT_EQ(line->findChild<QLabel*>("ruleTitle")->text(), "User Caches");
  EXPECT_EQ(line->findChild<QLabel*>("ruleRemoval")->text(), "Deleted immediately");
  ASSERT_NE(line->findChild<RiskBadge*>(), nullptr);
  EXPECT_EQ(line->findChild<RiskBadge*>()->risk(), Risk::review);
  EXPECT_FALSE(line->findChild<RiskBadge*>()->isCompact());

  rule.removal = Removal::trash;
  EXPECT_EQ(ruleRemovalText(rule), "Moved to Trash");
}

TEST(RevealPath, AnExistingItemIsShownAMissingOneIsNot) {
  test::FakeServices services;
  test::TempDir dir;
  revealPathInFinder(dir.path());
  revealPathInFinder(dir / "gone.txt");
  revealPathInFinder("");
  EXPECT_EQ(services.revealed, std::vector<std::string>{dir.path()});
}

TEST(RefreshButton, ReadsRefreshWithItsSymbol) {
  QPushButton button;
  refreshButtonLabel(&button);
  EXPECT_EQ(button.text(), "Refresh");
  EXPECT_EQ(button.property("sfSymbol").toString(), "arrow.clockwise");
  EXPECT_FALSE(searchSymbolImage().isNull());
}

}  // namespace
}  // namespace tolvex
