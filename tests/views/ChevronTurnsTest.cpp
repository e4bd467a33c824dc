// A group's chevron turns from where it is towards its new state, and stands still without
// animations.
#include <gtest/gtest.h>

#include <QWidget>

#include "support/qt/AppFixture.h"
#include "views/cleanup/ChevronTurns.h"

namespace tolvex {
namespace {

struct AnimationsOn {
  QByteArray saved = qgetenv("TOLVEX_NO_ANIMATIONS");
  AnimationsOn() { qputenv("TOLVEX_NO_ANIMATIONS", "0"); }
  ~AnimationsOn() { qputenv("TOLVEX_NO_ANIMATIONS", saved); }
};

TEST(ChevronTurns, TurnsAQuarterFromWhereItIsAndStandsStillWithoutAnimations) {
  QWidget viewport;
  ChevronTurns turns(&viewport);
  EXPECT_EQ(turns.angle("a", false), 0.0);
  EXPECT_EQ(turns.angle("a", true), 90.0);
  turns.turn("a", true);  // animations are off in tests: at its end at once
  EXPECT_EQ(turns.angle("a", true), 90.0);

  AnimationsOn on;
  turns.turn("b", true);
  EXPECT_LT(turns.angle("b", true), 90.0);  // on its way from closed
  EXPECT_TRUE(test::waitUntil([&] { return turns.angle("b", true) == 90.0; }));
  // Turned back half-way, it goes back from where it stands.
  turns.turn("b", false);
  EXPECT_GT(turns.angle("b", false), 0.0);
  EXPECT_TRUE(test::waitUntil([&] { return turns.angle("b", false) == 0.0; }));
}

}  // namespace
}  // namespace tolvex
