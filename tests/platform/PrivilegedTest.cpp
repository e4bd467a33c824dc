#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "platform/Privileged.h"
#include "platform/Process.h"
#include "platform/Trash.h"
#include "support/MacHome.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

using namespace tolvex;
using namespace tolvex::test;
using Status = PrivilegedResult::Status;

namespace {

// An executable shell script standing in for pkexec.
std::string standIn(const TempDir& dir, const std::string& name, const std::string& body) {
  const std::string path = dir / name;
  if (writeFileAtomically(path, "#!/bin/sh\n" + body + "\n") != 0 || ::chmod(path.c_str(), 0755) != 0)
    throw std::runtime_error("cannot write " + path);
  return path;
}

// Runs each program directly, as an administrator's pkexec would once the password is given.
PrivilegedResult runDirectly(const std::vector<std::string>& argv) {
  auto result = runProcess(argv);
  if (!result) return {Status::notStarted, {}};
  return {result->exitStatus == 0 ? Status::succeeded : Status::failed, result->errorOutput};
}

}  // namespace

TEST(Privileged, PkexecsOutcomeBecomesTheStepsStatus) {
  TempDir dir;
  const std::string passes = standIn(dir, "pkexec-passes", "exec \"$@\"");
  const std::string dismissed = standIn(dir, "pkexec-dismissed", "touch \"$0.ran\"; exit 126");
  const std::string failing = standIn(dir, "failing", "echo '  it broke  ' >&2; exit 4");
  struct Case {
    const char* name;
    std::vector<std::string> argv;
    std::string pkexec;
    PrivilegedResult::Status status;
    std::string message;
  };
  const Case cases[] = {
      {"success", {"/bin/true"}, passes, Status::succeeded, ""},
      {"the program fails", {failing}, passes, Status::failed, "it broke"},
      {"dialog dismissed", {"/bin/true"}, dismissed, Status::cancelled, ""},
      {"pkexec missing",
       {"/bin/true"},
       dir / "no-pkexec",
       Status::notStarted,
       dir / "no-pkexec: No such file or directory"},
      {"program missing",
       {"/no/such/tool", "x"},
       dismissed,
       Status::notStarted,
       "/no/such/tool: No such file or directory"},
      {"program not by full path",
       {"true"},
       dismissed,
       Status::notStarted,
       "The program to run is not given by its full path."},
  };
  for (const auto& c : cases) {
    const PrivilegedResult result = runPrivileged(c.argv, c.pkexec);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(result.message, c.message) << c.name;
  }
  // Nothing asked for a password for a program that was not there.
  EXPECT_EQ(pathExists(dismissed + ".ran"), true);  // the one dismissed case
  ::unlink((dismissed + ".ran").c_str());
  runPrivileged({"/no/such/tool"}, dismissed);
  EXPECT_FALSE(pathExists(dismissed + ".ran"));
}

TEST(Privileged, AnAdministratorMoveToTheTrashNeverReplacesAndIsChecked) {
  MacHome home;
  auto& tree = home.tree();
  // Two items already in the Trash under the name, one of them without its info file.
  tree.file(".local/share/Trash/files/job.plist", 3);
  tree.file(".local/share/Trash/files/job.2.plist", 4);
  ASSERT_EQ(writeFileAtomically(home.trashInfo() + "/job.plist.trashinfo", "[Trash Info]\nPath=/x/job.plist\n"), 0);
  const std::string item = tree.file("shared/LaunchDaemons/job.plist", 9);

  std::vector<std::vector<std::string>> calls;
  std::string trashPath;
  const auto result = moveToTrashAsAdministrator(
      item,
      [&](const std::vector<std::string>& argv) {
        calls.push_back(argv);
        return runDirectly(argv);
      },
      &trashPath);
  EXPECT_EQ(result.status, Status::succeeded);
  EXPECT_EQ(trashPath, home.trashFiles() + "/job.3.plist");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (std::vector<std::string>{"/bin/mv", "-n", "-T", "--", item, trashPath}));
  EXPECT_FALSE(pathExists(item));
  EXPECT_EQ(readWholeFile(trashPath)->size(), 9u);
  EXPECT_EQ(readWholeFile(home.trashFiles() + "/job.plist")->size(), 3u);
  EXPECT_EQ(readWholeFile(home.trashFiles() + "/job.2.plist")->size(), 4u);
  EXPECT_EQ(readTrashInfo(trashPath)->path, item);
}

TEST(Privileged, AMoveThatDidNotHappenIsNotASuccessAndLeavesNoInfoBehind) {
  struct Case {
    const char* name;
    std::function<PrivilegedResult(const std::vector<std::string>&)> run;
    PrivilegedResult::Status status;
  };
  const Case cases[] = {
      {"claims success, moves nothing",
       [](const auto&) {
         return PrivilegedResult{Status::succeeded, {}};
       },
       Status::failed},
      {"dismissed",
       [](const auto&) {
         return PrivilegedResult{Status::cancelled, {}};
       },
       Status::cancelled},
      {"not started",
       [](const auto&) {
         return PrivilegedResult{Status::notStarted, "no pkexec"};
       },
       Status::notStarted},
      // Something appears at the reserved name before the move: mv -n leaves both alone.
      {"name taken meanwhile",
       [](const std::vector<std::string>& argv) {
         EXPECT_EQ(writeFileAtomically(argv.back(), "someone else's"), 0);
         return runDirectly(argv);
       },
       Status::failed},
  };
  for (const auto& c : cases) {
    MacHome home;
    const std::string item = home.tree().file("shared/job.plist", 9);
    const auto result = moveToTrashAsAdministrator(item, c.run);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(readWholeFile(item)->size(), 9u) << c.name;
    EXPECT_FALSE(pathExists(home.trashInfo() + "/job.plist.trashinfo")) << c.name;
  }
  MacHome home;
  EXPECT_EQ(moveToTrashAsAdministrator(home / "missing.plist", runDirectly).status, Status::failed);
}
