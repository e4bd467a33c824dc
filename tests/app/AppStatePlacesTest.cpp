#include <gtest/gtest.h>

#include "model/SafetyVerdict.h"
#include "platform/Paths.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

const FileNode* child(const FileNode* folder, const std::string& name) {
  if (!folder) return nullptr;
  for (const FileNode* c : folder->children)
    if (c->name == name) return c;
  return nullptr;
}

}  // namespace

// The user's places are read once, where the application is put together, and everything below
// follows them: here the environment's home is a folder inside the process's $HOME, so anything that
// read $HOME again would judge, show, scan or write against the wrong folder.
TEST(AppStatePlaces, EverythingFollowsTheEnvironmentsHomeNotTheProcesss) {
  AppFixture f;
  TreeBuilder tree(f.home / "user");
  tree.file("Documents/report.txt", 10);
  tree.file(".local/share/Trash/files/old.iso", 4096);
  const std::string home = tree.base();
  AppState state(f.environment(Places::forHome(home)));
  state.waitForBackgroundWork();

  // Texts show the environment's home as "~"; the process's home is just a folder.
  EXPECT_EQ(state.shownPath(home + "/Documents/report.txt"), "~/Documents/report.txt");
  EXPECT_EQ(state.shownPath(f.home / "notes.txt"), f.home / "notes.txt");

  // The environment's home is protected, though the process would see only a folder of its home.
  EXPECT_EQ(state.verdictFor(home).risk, Risk::protected_);
  EXPECT_NE(SafetyVerdict::forPath(home, SafetyContext::forPlaces(Places::current())).risk, Risk::protected_);

  // A plan that claims otherwise is judged again when confirmed, and nothing is removed.
  state.requestDeletion({PlanItem{home, "user", 10, Removal::trash, SafetyVerdict{Risk::safe, ""}}},
                        QStringLiteral("Delete Items"));
  ASSERT_TRUE(state.plan());
  state.confirmDeletion(*state.plan(), true);
  ASSERT_TRUE(waitUntil([&] { return state.toast().has_value(); }));
  EXPECT_TRUE(pathExists(home + "/Documents/report.txt"));
  ASSERT_EQ(state.failures().size(), 1u);
  EXPECT_EQ(state.failures()[0].reason, state.verdictFor(home).reason);

  // A scan of the home scans the environment's, and finds its Trash.
  state.startScan(ScanTarget::home());
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value(); }));
  EXPECT_EQ(state.scan()->rootPath, home);
  const FileNode* trash = child(child(child(state.scan()->root, ".local"), "share"), "Trash");
  ASSERT_TRUE(trash);
  EXPECT_EQ(get(trash->bucket), StorageBucket::trash);

  // Starting at login writes the autostart entry into the environment's configuration folder.
  state.services().setLaunchAtLogin(true);
  EXPECT_TRUE(pathExists(home + "/.config/autostart/tolvex.desktop"));
  EXPECT_FALSE(pathExists(f.home.configHome() + "/autostart/tolvex.desktop"));
  state.services().setLaunchAtLogin(false);
}
