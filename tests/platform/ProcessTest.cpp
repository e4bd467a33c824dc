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
  EXPECT_EQ(failed->output, "out\n");
  EXPECT_EQ(failed->errorOutput, "err\n");
  EXPECT_FALSE(failed->timedOut);

  EXPECT_FALSE(runProcess({"/no/such/program"}));
  EXPECT_FALSE(runProcess({}));
}

TEST(Process, BothOutputsAreDecodedAsUtf8WithReplacementsForBadBytes) {
  struct Case {
    const char* bytes;  // printf's escapes
    std::string text;
  };
  const Case cases[] = {
      {"a\\377b",
       "a\xEF\xBF\xBD"
       "b"},                                           // 61 FF 62 → "a�b"
      {"\\303\\251t\\303\\251", "\xC3\xA9t\xC3\xA9"},  // well-formed text stays as it is
      {"x\\303", "x\xEF\xBF\xBD"},                     // a sequence cut at the end
      {"\\300\\257", "\xEF\xBF\xBD\xEF\xBF\xBD"},      // an overlong "/" is two bad bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    auto out = runProcess({"sh", "-c", std::string("printf '") + c.bytes + "'; printf '" + c.bytes + "' >&2"});
    ASSERT_TRUE(out);
    EXPECT_EQ(out->output, c.text);
    EXPECT_EQ(out->errorOutput, c.text);
  }
}

TEST(Process, AProgramFloodingItsStandardErrorDoesNotBlockTheCaller) {
  // A mebibyte on standard error is far more than a pipe holds: unless it is read while standard
  // output is, the program blocks on its write and the caller waits for ever.
  auto flooded =
      runProcess({"sh", "-c", "head -c 1048576 /dev/zero | tr '\\0' x >&2; echo done; head -c 1048576 /dev/zero >&2"},
                 ProcessOptions{.timeoutSeconds = 120, .errorOutputLimit = 1000});
  ASSERT_TRUE(flooded);
  EXPECT_FALSE(flooded->timedOut);
  EXPECT_EQ(flooded->exitStatus, 0);
  EXPECT_EQ(flooded->output, "done\n");
  EXPECT_EQ(flooded->errorOutput, std::string(1000, 'x'));  // kept up to the limit, the rest dropped
}

TEST(Process, AProgramRunningPastItsTimeoutIsKilledWithWhatItStarted) {
  struct Case {
    const char* name;
    std::vector<std::string> argv;
    std::string output;
  };
  const Case cases[] = {
      {"runs on", {"sh", "-c", "echo started; exec sleep 600"}, "started\n"},
      {"closes its outputs and runs on", {"sh", "-c", "echo started; exec sleep 600 >&- 2>&-"}, "started\n"},
      // The program ends, but a child it left behind keeps the output pipe open.
      {"leaves a child holding its output", {"sh", "-c", "sleep 600 & echo started"}, "started\n"},
  };
  for (const auto& c : cases) {
    auto result = runProcess(c.argv, ProcessOptions{.timeoutSeconds = 0.3});
    ASSERT_TRUE(result) << c.name;
    EXPECT_TRUE(result->timedOut) << c.name;
    EXPECT_EQ(result->exitStatus, -1) << c.name;
    EXPECT_EQ(result->output, c.output) << c.name;
  }
}
