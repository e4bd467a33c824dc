#include <gtest/gtest.h>

#include "platform/Process.h"

using namespace tolvex;

TEST(Process, RunsAnArgumentVectorAndCapturesItsOutput) {
  // The argument reaches the program as one word, with its spaces and quotes: no shell in between.
  auto echoed = runProcess({"printf", "%s", "a b; 'c' $HOME"});
  ASSERT_TRUE(echoed);
  EXPECT_EQ(echoed->exitStatus, 0);
  EXPECT_EQ(echoed->output, "a b; 'c' $HOME");

  auto failed = runProcess({"sh", "-c", "echo out; echo err >&2; exit 3"});
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->exitStatus, 3);
  EXPECT_EQ(failed->output, "out\n");  // standard error is not captured

  EXPECT_FALSE(runProcess({"/no/such/program"}));
  EXPECT_FALSE(runProcess({}));
}
