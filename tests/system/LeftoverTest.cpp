#include <gtest/gtest.h>

#include <ctime>
#include <set>

#include "support/AppsFixture.h"
#include "system/Leftover.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kBlock = 4096;

InstalledApp appWithID(std::optional<std::string> bundleID) {
  InstalledApp app;
  app.path = "/Applications/X.app";
  app.bundleID = std::move(bundleID);
  return app;
}

using Rows = std::vector<std::pair<std::string, std::string>>;  // location, identifier

Rows rowsOf(const std::vector<Leftover>& leftovers) {
  Rows rows;
  for (const Leftover& leftover : leftovers) rows.emplace_back(leftover.location, leftover.identifier);
  return rows;
}

// A Library where every kind of name appears once; sizes are distinct except one tie.
struct LeftoverLibrary : AppsFixture {
  LeftoverLibrary() {
    // Listed.
    library("Containers/com.company.boxed", 40 * kBlock);
    library("Caches/com.company.editor2", 32 * kBlock);  // not a helper of com.company.editor
    library("WebKit/com.company.web", 31 * kBlock);
    library("HTTPStorages/com.company.http", 30 * kBlock);
    library("Logs/com.company.logger", 29 * kBlock);
    library("Saved Application State/com.company.other.savedstate", 27 * kBlock);  // ending of another case
    library("Saved Application State/com.company.tool.savedState/windows", 25 * kBlock);
    library("Application Support/com.company.tie", 24 * kBlock);
    library("Caches/com.company.tie", 24 * kBlock);
    library("Preferences/com.company.order.plist.savedState", 22 * kBlock);
    library("Preferences/com.company.both.savedState.plist", 21 * kBlock);
    library("Preferences/com.company.tool.plist", 20 * kBlock);
    library("Caches/com.tolvexfoo.x", 18 * kBlock);  // shares only the letters of our prefix
    library("Application Support/.hidden.data.thing", 17 * kBlock);
    library("Preferences/com.company.exact.plist", 16 * kBlock);  // exactly 65,536 bytes
    // Dropped, each by one test.
    library("Preferences/com.company.small.plist", 15 * kBlock);
    library("Caches/com.company", 20 * kBlock);
    library("Caches/com..company", 20 * kBlock);
    library("Caches/my app.data.cache", 20 * kBlock);
    library("Caches/com.apple.Safari", 20 * kBlock);
    library("Caches/COM.APPLE.Music.x", 20 * kBlock);
    library("Caches/group.com.company.x", 20 * kBlock);
    library("Caches/Group.com.company.y", 20 * kBlock);
    library("Caches/com.company.editor", 20 * kBlock);
    library("Caches/com.company.editor.helper", 20 * kBlock);
    library("Caches/com.company.editor.ShipIt", 20 * kBlock);
    library("Application Support/com.company.moved", 20 * kBlock);
    library("Application Support/com.tolvex.Tolvex", 20 * kBlock);
    library("Caches/COM.TOLVEX.helper", 20 * kBlock);
    library("Group Containers/com.company.gc", 20 * kBlock);
    library("Cookies/com.company.cookie.binarycookies", 20 * kBlock);
    library("LaunchAgents/com.company.agent.plist", 20 * kBlock);
    library("Application Scripts/com.company.script", 20 * kBlock);
  }
  InventoryContext leftoverContext(bool fullAccess = true) const {
    InventoryContext c = context();
    c.hasFullDiskAccess = [fullAccess] { return fullAccess; };
    // "com.company.moved" was moved out of the application folders; the system still finds it.
    c.applicationLookup = [] {
      return [](const std::string& id) -> std::optional<std::string> {
        if (id == "com.company.moved") return "/Users/x/Desktop/Moved.app";
        return std::nullopt;
      };
    };
    c.ownBundleIdentifier = "com.tolvex.Tolvex";
    return c;
  }
  // The installed applications: one real, one without an identifier, one with a blank one.
  std::vector<InstalledApp> installed() const {
    return {appWithID("com.company.Editor"), appWithID(std::nullopt), appWithID(""), appWithID(" ")};
  }
};

const Rows kListed = {
    {"Container", "com.company.boxed"},   {"Caches", "com.company.editor2"},
    {"WebKit", "com.company.web"},        {"Web Storage", "com.company.http"},
    {"Logs", "com.company.logger"},       {"Window State", "com.company.other.savedstate"},
    {"Window State", "com.company.tool"}, {"Application Support", "com.company.tie"},  // equal sizes keep Library order
    {"Caches", "com.company.tie"},        {"Preferences", "com.company.order.plist"},
    {"Preferences", "com.company.both"},  {"Preferences", "com.company.tool"},
    {"Caches", "com.tolvexfoo.x"},        {"Application Support", ".hidden.data.thing"},
    {"Preferences", "com.company.exact"},
};

}  // namespace

TEST(Leftovers, IdentifierLosesItsKnownEndingsInOrder) {
  struct Case {
    const char* name;
    const char* identifier;
  };
  const Case cases[] = {
      {"com.company.tool.plist", "com.company.tool"},
      {"com.company.tool.savedState", "com.company.tool"},
      {"com.company.tool.savedstate", "com.company.tool.savedstate"},  // letter case counts
      {"com.company.tool.binarycookies", "com.company.tool"},
      {"com.company.tool.savedState.plist", "com.company.tool"},
      {"com.company.tool.plist.savedState", "com.company.tool.plist"},
      {"com.company.tool.binarycookies.savedState.plist", "com.company.tool"},
      {"com.company.tool.plist.plist", "com.company.tool.plist"},  // each ending once
      {"com.company.tool.PLIST", "com.company.tool.PLIST"},
      {".plist", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(AppInventory::leftoverIdentifier(c.name), c.identifier) << c.name;
}

TEST(Leftovers, ListsOnlyUnownedIdentifierNamedEntriesLargestFirst) {
  LeftoverLibrary f;
  const auto leftovers = AppInventory::findLeftovers(f.installed(), f.leftoverContext());
  EXPECT_EQ(rowsOf(leftovers), kListed);

  // Each record carries the entry's path, its measured size and its date.
  const std::string tool = f.home / "Library/Saved Application State/com.company.tool.savedState";
  auto found = std::find_if(leftovers.begin(), leftovers.end(), [&](const Leftover& l) { return l.path == tool; });
  ASSERT_NE(found, leftovers.end());
  EXPECT_EQ(found->size, allocatedSize(tool) + 25 * kBlock);
  EXPECT_TRUE(found->modified);
  EXPECT_EQ(leftovers.back().size, 65'536);
  EXPECT_EQ(leftovers.back().path, f.home / "Library/Preferences/com.company.exact.plist");
}

TEST(Leftovers, WithoutFullDiskAccessContainersAreNotSearched) {
  LeftoverLibrary f;
  Rows expected(kListed.begin() + 1, kListed.end());
  EXPECT_EQ(rowsOf(AppInventory::findLeftovers(f.installed(), f.leftoverContext(false))), expected);
}

TEST(Leftovers, OurOwnDataIsExcludedOnlyByOurOwnPrefix) {
  LeftoverLibrary f;
  // Without an identifier of our own nothing is excluded as ours: our data is judged like any other.
  InventoryContext context = f.leftoverContext();
  context.ownBundleIdentifier.reset();
  const Rows rows = rowsOf(AppInventory::findLeftovers(f.installed(), context));
  EXPECT_EQ(rows.size(), kListed.size() + 2);
  EXPECT_NE(std::find(rows.begin(), rows.end(),
                      std::pair<std::string, std::string>{"Application Support", "com.tolvex.Tolvex"}),
            rows.end());
  EXPECT_NE(std::find(rows.begin(), rows.end(), std::pair<std::string, std::string>{"Caches", "COM.TOLVEX.helper"}),
            rows.end());
}

TEST(Leftovers, AnEmptyApplicationListLeavesEveryUnlocatableIdentifier) {
  LeftoverLibrary f;
  const Rows rows = rowsOf(AppInventory::findLeftovers({}, f.leftoverContext()));
  const std::set<std::pair<std::string, std::string>> set(rows.begin(), rows.end());
  EXPECT_TRUE(set.contains({"Caches", "com.company.editor"}));
  EXPECT_TRUE(set.contains({"Caches", "com.company.editor.helper"}));
  EXPECT_FALSE(set.contains({"Application Support", "com.company.moved"}));
  EXPECT_EQ(rows.size(), kListed.size() + 3);
}

TEST(Leftovers, AnApplicationTheSystemCanStillFindIsNotLeftBehind) {
  AppsFixture f;
  // Not in the list handed in (an inventory taken earlier), but present in a folder the locator searches.
  writeApp(f.userApp("Elsewhere/Viewer.app"), {.identifier = "com.Company.Viewer"});
  f.library("Caches/com.company.viewer", 20 * kBlock);
  f.library("Caches/com.company.gone", 20 * kBlock);
  EXPECT_EQ(rowsOf(AppInventory::findLeftovers({}, f.context())), (Rows{{"Caches", "com.company.gone"}}));
}
