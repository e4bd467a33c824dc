// What the Login Items screen makes of its launch items: sections, names, badges, remove controls
// and the outcome line of a removal.
#include <gtest/gtest.h>

#include "views/cleanup/logic/LoginItemsContent.h"

namespace tolvex {
namespace {

using Scope = LaunchItem::Scope;

LaunchItem item(std::string label, Scope scope, std::optional<std::string> owner = std::nullopt) {
  LaunchItem i;
  i.path = "/Library/LaunchAgents/" + label + ".plist";
  i.label = std::move(label);
  i.scope = scope;
  i.ownerName = std::move(owner);
  return i;
}

TEST(LoginItemsContent, SectionsFollowTheScopeOrderAndKeepTheLoadersOrderInside) {
  struct Case {
    const char* name;
    std::vector<LaunchItem> items;
    std::vector<LoginItemSection> expected;
  };
  const Case cases[] = {
      {"nothing", {}, {}},
      {"only user agents: one section, no other header",
       {item("b", Scope::userAgent), item("a", Scope::userAgent)},
       {{Scope::userAgent, {0, 1}}}},
      {"scopes interleaved by the loader's order (orphans first)",
       {item("d", Scope::systemDaemon), item("s", Scope::systemAgent), item("u", Scope::userAgent),
        item("d2", Scope::systemDaemon)},
       {{Scope::userAgent, {2}}, {Scope::systemAgent, {1}}, {Scope::systemDaemon, {0, 3}}}},
      {"no system agents: their header is left out",
       {item("u", Scope::userAgent), item("d", Scope::systemDaemon)},
       {{Scope::userAgent, {0}}, {Scope::systemDaemon, {1}}}},
  };
  for (const Case& c : cases) EXPECT_EQ(loginItemSections(c.items), c.expected) << c.name;
}

TEST(LoginItemsContent, SectionTitles) {
  EXPECT_EQ(launchItemScopeTitle(Scope::userAgent), "Your login items");
  EXPECT_EQ(launchItemScopeTitle(Scope::systemAgent), "Login items for all users");
  EXPECT_EQ(launchItemScopeTitle(Scope::systemDaemon), "Services");
}

TEST(LoginItemsContent, TheSystemsOwnItemsAreProtectedInEveryScopeOthersNeedAnAdministratorOutsideTheUsersFolder) {
  struct Case {
    const char* label;
    Scope scope;
    LaunchItemControl control;
    QString title;
  };
  const Case cases[] = {
      {"com.apple.Safari.agent", Scope::userAgent, LaunchItemControl::protectedBadge, ""},
      {"com.apple.cfprefsd.xpc", Scope::systemAgent, LaunchItemControl::protectedBadge, ""},
      {"com.apple.backupd", Scope::systemDaemon, LaunchItemControl::protectedBadge, ""},
      {"com.example.helper", Scope::userAgent, LaunchItemControl::remove, "Remove"},
      {"com.example.helper", Scope::systemAgent, LaunchItemControl::removeAsAdministrator, "Remove\u2026"},
      {"com.example.helper", Scope::systemDaemon, LaunchItemControl::removeAsAdministrator, "Remove\u2026"},
      {"com.applesauce.agent", Scope::userAgent, LaunchItemControl::remove, "Remove"},  // not "com.apple."
      {"com.apple", Scope::systemDaemon, LaunchItemControl::removeAsAdministrator, "Remove\u2026"},
  };
  for (const Case& c : cases) {
    const LaunchItemControl control = launchItemControl(item(c.label, c.scope));
    EXPECT_EQ(control, c.control) << c.label;
    EXPECT_EQ(launchItemControlTitle(control), c.title) << c.label;
  }
}

TEST(LoginItemsContent, BadgesInOrderAndTheNameFallsBackToTheLabel) {
  LaunchItem i = item("com.example.sync", Scope::userAgent);
  EXPECT_TRUE(launchItemBadges(i).empty());
  EXPECT_EQ(launchItemDisplayName(i), "com.example.sync");
  i.keepAlive = true;
  i.runAtLoad = true;
  i.isOrphan = true;
  i.ownerName = "Sync";
  EXPECT_EQ(launchItemBadges(i),
            (std::vector{LaunchItemBadge::appRemoved, LaunchItemBadge::atLogin, LaunchItemBadge::alwaysRunning}));
  EXPECT_EQ(launchItemDisplayName(i), "Sync");
  EXPECT_EQ(badgeText(LaunchItemBadge::appRemoved), "App removed");
  EXPECT_EQ(badgeText(LaunchItemBadge::atLogin), "At login");
  EXPECT_EQ(badgeText(LaunchItemBadge::alwaysRunning), "Always running");
}

TEST(LoginItemsContent, AnOutcomeIsTheFailuresOwnTextOrWhatBecameOfTheItem) {
  const LaunchItem owned = item("com.example.sync", Scope::userAgent, "Sync Pro");
  const LaunchItem bare = item("com.example.sync", Scope::userAgent);
  const LaunchItemRemoval trashed{std::nullopt, HistoryEntry{"ID", 1, "/a/x.desktop", "/t/x.desktop", 4096, false}};
  EXPECT_EQ(launchItemRemovalOutcome(owned, trashed),
            "\u201CSync Pro\u201D won't start automatically any more. Its file is in the Trash.");
  EXPECT_EQ(launchItemRemovalOutcome(bare, trashed),
            "\u201Ccom.example.sync\u201D won't start automatically any more. Its file is in the Trash.");
  // A unit only disabled keeps its file where it is: the Trash is not mentioned.
  EXPECT_EQ(launchItemRemovalOutcome(owned, LaunchItemRemoval{}),
            "\u201CSync Pro\u201D won't start automatically any more.");
  for (const char* failure : {"Cancelled.", "Unsupported file name.", "Couldn't remove it.", "mv: Permission denied"})
    EXPECT_EQ(launchItemRemovalOutcome(owned, LaunchItemRemoval{std::string(failure), std::nullopt}),
              QString::fromUtf8(failure));
  // An empty failure text is still a failure, never the success line.
  EXPECT_EQ(launchItemRemovalOutcome(owned, LaunchItemRemoval{std::string(), std::nullopt}), "Couldn't remove it.");
}

}  // namespace
}  // namespace tolvex
