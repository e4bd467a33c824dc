#include <gtest/gtest.h>

#include <algorithm>

#include "support/AppsFixture.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "system/AppInventory.h"
#include "system/AppLocator.h"

using namespace tolvex;
using namespace tolvex::test;
using AppInventory::LibraryEntry;

namespace {

std::vector<std::string> names(const std::vector<std::string>& paths) {
  std::vector<std::string> result;
  for (const std::string& path : paths) result.push_back(lastPathComponent(path));
  return result;
}

std::vector<std::string> itemNames(const std::vector<RelatedItem>& items) {
  std::vector<std::string> result;
  for (const RelatedItem& item : items) result.push_back(lastPathComponent(item.path));
  return result;
}

}  // namespace

TEST(AppInventory, LibraryLocationsAndTheirLabels) {
  const auto& locations = AppInventory::libraryLocations();
  ASSERT_EQ(locations.size(), 12u);
  EXPECT_EQ(locations[2].path, "Library/Containers");
  EXPECT_EQ(locations[2].label, "Container");
  EXPECT_EQ(locations[5].label, "Window State");
  EXPECT_EQ(locations[11].path, "Library/Application Scripts");
  EXPECT_EQ(AppInventory::regenerableLocations(), (std::set<std::string>{"Caches", "Logs"}));
  EXPECT_EQ(libraryLabelsForPaths({"Library/HTTPStorages", "Library/LaunchAgents", "Library/Nowhere"}),
            (std::set<std::string>{"Web Storage", "Launch Agent"}));
}

TEST(AppInventory, EntryMatchesAnApplicationsLibraryEntries) {
  struct Case {
    const char* entry;
    const char* bundleID;
    const char* appName;
    bool matches;
  };
  const Case cases[] = {
      // 2: the identifier itself, in any case.
      {"com.example.editor", "com.Example.Editor", "Editor", true},
      {"COM.EXAMPLE.EDITOR", "com.Example.Editor", "Editor", true},
      // 3: the identifier with one of the known endings.
      {"com.example.editor.plist", "com.Example.Editor", "Editor", true},
      {"com.example.editor.savedState", "com.Example.Editor", "Editor", true},
      {"com.example.editor.binarycookies", "com.Example.Editor", "Editor", true},
      {"com.example.editor.helper", "com.Example.Editor", "Editor", true},
      {"com.example.editor.ShipIt", "com.Example.Editor", "Editor", true},
      // 4: a property list of the identifier's own family.
      {"com.example.editor.extension.plist", "com.Example.Editor", "Editor", true},
      {"com.example.editor.extension", "com.Example.Editor", "Editor", false},
      {"com.example.editor2", "com.Example.Editor", "Editor", false},
      {"com.example.editor2.plist", "com.Example.Editor", "Editor", false},
      // 5: a team or group prefix before the identifier.
      {"ABCDE12345.com.example.editor", "com.Example.Editor", "Editor", true},
      {"group.com.example.editor", "com.Example.Editor", "Editor", true},
      {"group.com.example.editor.extra", "com.Example.Editor", "Editor", false},
      // 6-7: the bundle's file name, from four characters on, counted in characters.
      {"editor", "com.Example.Editor", "Editor", true},
      {"EDITOR", "com.Example.Editor", "Editor", true},
      {"com.example.pix.plist", "com.example.pix", "Pix", true},  // a short name: by identifier only
      {"pix", "com.example.pix", "Pix", false},
      {"Pix", "com.example.viewer", "Pix", false},
      {"\xC3\x91"
       "a\xC3\xB1",
       "com.example.x",
       "\xC3\x91"
       "a\xC3\xB1",
       false},                                                  // Ñañ: 5 bytes, 3 characters
      {"cafe\xCC\x81", "com.example.x", "Cafe\xCC\x81", true},  // 4 characters, 6 bytes
      // Unicode letter case: É/é, and the final sigma that only folding (not lower-casing) equates.
      {"\xC3\xA9"
       "diteur",
       "com.example.x",
       "\xC3\x89"
       "diteur",
       true},
      {"\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8C\xCE\xA3", "com.example.x", "\xCE\xA3\xCE\xBF\xCF\x86\xCF\x8C\xCF\x82", true},
      {"com.example.caf\xC3\xA9.plist", "com.example.CAF\xC3\x89", "Viewer", true},
      // An empty or blank identifier matches nothing, not even hidden ".plist" files or names ending in ".".
      {".GlobalPreferences.plist", "", "Editor", false},
      {"com.example.", "", "Editor", false},
      {".plist", " ", "Editor", false},
      {"editor", "", "Editor", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AppInventory::entryMatches(c.entry, c.bundleID, c.appName), c.matches)
        << c.entry << " / " << c.bundleID << " / " << c.appName;
}

TEST(AppInventory, AppBundlesAreFoundInTheRootsAndOneLevelBelow) {
  AppsFixture f;
  writeAppBundle(f.systemApp("Editor.app"), "com.example.Editor");
  writeAppBundle(f.systemApp(".Hidden.app"), "com.example.Hidden");
  writeAppBundle(f.systemApp("Suite/Writer.app"), "com.example.Writer");
  writeAppBundle(f.systemApp("Suite/Deeper/Lost.app"), "com.example.Lost");             // two levels down
  writeAppBundle(f.systemApp("Editor.app/Contents/Helper.app"), "com.example.Helper");  // inside a bundle
  writeAppBundle(f.systemApp("Utilities/Terminal.app"), "com.example.Terminal");        // its own root
  writeAppBundle(f.systemApp("Suite/Utilities.app"), "com.example.Utilities");          // a bundle, not the folder
  writeAppBundle(f.systemApp("Tools/Utilities/Nested.app"), "com.example.Nested");      // below a nested folder
  writeAppBundle(f.systemApp("Shouting.APP"), "com.example.Shouting");  // not exactly "app": looked into
  writeAppBundle(f.systemApp("Shouting.APP/Inside.app"), "com.example.Inside");
  f.root.file("Applications/notes.txt");
  f.root.symlink(f.systemApp("Suite"), "Applications/SuiteLink");  // a link is not a folder to enter
  writeAppBundle(f.userApp("Mine.app"), "com.example.Mine");

  EXPECT_EQ(names(AppInventory::appBundlePaths(f.roots())),
            (std::vector<std::string>{".Hidden.app", "Editor.app", "Inside.app", "Utilities.app", "Writer.app",
                                      "Mine.app", "Terminal.app"}));
  // A root listed twice yields its bundles once; a missing root is skipped.
  auto twice = AppInventory::appBundlePaths(
      {f.system / "Applications/Utilities", f.system / "missing", f.system / "Applications/Utilities"});
  EXPECT_EQ(twice, (std::vector<std::string>{f.systemApp("Utilities/Terminal.app")}));
}

TEST(AppInventory, LibraryEntriesFollowTheTableAndFullDiskAccess) {
  AppsFixture f;
  f.library("Caches/com.example.a", 4096);
  f.library("Containers/com.example.a/data", 4096);
  f.library("Group Containers/group.com.example.a/data", 4096);
  f.library("Application Support/.hidden", 4096);
  f.library("Application Scripts/com.example.a/run", 4096);
  InventoryContext context = f.context();
  bool access = true;
  context.hasFullDiskAccess = [&] { return access; };

  auto listed = [&] {
    std::vector<std::pair<std::string, std::string>> result;
    for (const LibraryEntry& e : AppInventory::libraryEntries(context)) result.emplace_back(e.label, e.name);
    return result;
  };
  using Rows = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(listed(), (Rows{{"Application Support", ".hidden"},
                            {"Caches", "com.example.a"},
                            {"Container", "com.example.a"},
                            {"Group Container", "group.com.example.a"},
                            {"Scripts", "com.example.a"}}));
  access = false;
  EXPECT_EQ(listed(),
            (Rows{{"Application Support", ".hidden"}, {"Caches", "com.example.a"}, {"Scripts", "com.example.a"}}));
  EXPECT_EQ(AppInventory::libraryEntries(context).front().path, f.home / "Library/Application Support/.hidden");
}

TEST(AppInventory, ReadAppTakesNamesVersionsAndRelatedItems) {
  AppsFixture f;
  writeApp(f.systemApp("Editor.app"),
           {.identifier = "com.Example.Editor", .displayName = "Fancy Editor", .name = "Editor", .version = "2.1"},
           true);
  writeApp(f.systemApp("Safari.app"), {.identifier = "com.apple.Safari", .name = "Safari"});
  writeApp(f.systemApp("NoId.app"), {.name = "Nameless"});
  writeApp(f.systemApp("Blank.app"), {.identifier = " \t", .name = "Blank"});
  writeApp(f.systemApp("Store.app"), {.identifier = "com.example.Store"});
  f.root.file("Applications/Store.app/Contents/_MASReceipt/receipt", 10);
  f.root.folder("Applications/My.Tool.app");  // no Info.plist at all
  f.root.file("Applications/Typed.app/Contents/Info.plist");
  ASSERT_EQ(writeFileAtomically(
                f.systemApp("Typed.app/Contents/Info.plist"),
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                "<key>CFBundleDisplayName</key><integer>3</integer><key>CFBundleName</key><string>Typed Name</string>"
                "<key>CFBundleShortVersionString</key><real>1.5</real>"
                "<key>CFBundleIdentifier</key><string>com.example.typed</string></dict></plist>"),
            0);

  f.library("Caches/com.example.editor/cache.db", 40960);
  f.library("Containers/com.Example.Editor/Data/x", 20480);
  f.library("Preferences/com.example.editor.plist", 4096);
  f.library("Application Support/Editor/state", 8192);        // by the bundle's file name
  f.library("Application Support/Fancy Editor/state", 8192);  // the display name is not a file name rule
  f.library("Logs/com.example.editor2/log", 4096);
  f.library("Preferences/com.apple.Safari.plist", 4096);
  f.library("Preferences/.GlobalPreferences.plist", 4096);
  f.library("Preferences/nameless.plist", 4096);
  const InventoryContext context = f.context();
  const auto entries = AppInventory::libraryEntries(context);

  struct Case {
    const char* bundle;
    std::string name;
    std::optional<std::string> bundleID;
    std::optional<std::string> version;
    bool isApple;
    bool isAppStore;
    std::vector<std::string> related;
  };
  const Case cases[] = {
      {"Editor.app",
       "Fancy Editor",
       "com.Example.Editor",
       "2.1",
       false,
       false,
       {"com.example.editor", "com.Example.Editor", "Editor", "com.example.editor.plist"}},
      {"Safari.app", "Safari", "com.apple.Safari", std::nullopt, true, false, {}},
      {"NoId.app", "Nameless", std::nullopt, std::nullopt, false, false, {}},
      {"Blank.app", "Blank", std::nullopt, std::nullopt, false, false, {}},
      {"Store.app", "Store", "com.example.Store", std::nullopt, false, true, {}},
      {"My.Tool.app", "My.Tool", std::nullopt, std::nullopt, false, false, {}},
      {"Typed.app", "Typed Name", "com.example.typed", std::nullopt, false, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bundle);
    const InstalledApp app = AppInventory::readApp(f.systemApp(c.bundle), entries, context);
    EXPECT_EQ(app.path, f.systemApp(c.bundle));
    EXPECT_EQ(app.name, c.name);
    EXPECT_EQ(app.bundleID, c.bundleID);
    EXPECT_EQ(app.version, c.version);
    EXPECT_EQ(app.isApple, c.isApple);
    EXPECT_EQ(app.isAppStore, c.isAppStore);
    // Largest first: the cache folder, the container, the support folder, the preferences file.
    EXPECT_EQ(itemNames(app.related), c.related);
    EXPECT_TRUE(std::is_sorted(app.related.begin(), app.related.end(),
                               [](const RelatedItem& a, const RelatedItem& b) { return a.size > b.size; }));
    int64_t sum = 0;
    for (const RelatedItem& item : app.related) sum += item.size;
    EXPECT_EQ(app.relatedSize(), sum);
    EXPECT_EQ(app.totalSize(), app.appSize + app.relatedSize());
    EXPECT_GT(app.appSize, 0);
  }
  // A ".app" that is a plain file still makes a record: its file name, nothing else.
  f.root.file("Applications/Plain.app", 100);
  const InstalledApp editor = AppInventory::readApp(f.systemApp("Editor.app"), entries, context);
  ASSERT_EQ(editor.related.size(), 4u);
  EXPECT_EQ(editor.related[0], (RelatedItem{f.home / "Library/Caches/com.example.editor", "Caches",
                                            allocatedSize(f.home / "Library/Caches/com.example.editor") + 40960}));
  EXPECT_EQ(editor.related[3].label, "Preferences");
  const InstalledApp plain = AppInventory::readApp(f.systemApp("Plain.app"), entries, context);
  EXPECT_EQ(plain.name, "Plain");
  EXPECT_EQ(plain.bundleID, std::nullopt);
  EXPECT_TRUE(plain.related.empty());
}

TEST(AppInventory, LastUseComesFromTheSystemElseFromActivityOutsideCachesAndLogs) {
  AppsFixture f;
  writeApp(f.systemApp("Editor.app"), {.identifier = "com.example.editor", .executable = "Editor"});
  writeApp(f.systemApp("Quiet.app"), {.identifier = "com.example.quiet"});
  const std::string executable = f.systemApp("Editor.app/Contents/MacOS/Editor");
  const std::string prefs = f.library("Preferences/com.example.editor.plist", 4096);
  const std::string cache = f.library("Caches/com.example.editor/c", 4096);
  f.library("Logs/com.example.quiet/q.log", 4096);
  const std::string log = f.home / "Library/Logs/com.example.quiet";
  f.library("Caches/com.example.quiet/c", 4096);
  setAgeInDays(executable, 10);
  setAgeInDays(prefs, 5);
  setAgeInDays(f.home / "Library/Caches/com.example.editor", 1);  // regenerable: says nothing about use
  setAgeInDays(log, 1);
  const double day = 86400;
  const double now = static_cast<double>(std::time(nullptr));

  InventoryContext context = f.context();
  const auto entries = AppInventory::libraryEntries(context);
  const InstalledApp editor = AppInventory::readApp(f.systemApp("Editor.app"), entries, context);
  ASSERT_TRUE(editor.lastUsed);
  EXPECT_NEAR(*editor.lastUsed, now - 5 * day, 5);
  // Without the preferences, the executable's last access is the newest.
  const auto bundle = openBundle(f.systemApp("Editor.app"));
  EXPECT_NEAR(AppInventory::lastActivityDate(bundle, {{cache, "Caches", 1}}).value_or(0), now - 10 * day, 5);
  EXPECT_EQ(AppInventory::lastActivityDate(std::nullopt, {{cache, "Caches", 1}, {log, "Logs", 1}}), std::nullopt);
  EXPECT_EQ(AppInventory::lastActivityDate(std::nullopt, {{f.home / "gone", "Preferences", 1}}), std::nullopt);

  // Only regenerable data and no executable: no date, so it sorts as used longest ago.
  const InstalledApp quiet = AppInventory::readApp(f.systemApp("Quiet.app"), entries, context);
  EXPECT_EQ(quiet.related.size(), 2u);
  EXPECT_EQ(quiet.lastUsed, std::nullopt);
  EXPECT_EQ(quiet.lastUsedOrDistantPast(), kDistantPast);

  // A date the system recorded wins over the files' dates.
  context.spotlightLastUsed = [&](const std::string& path) -> std::optional<double> {
    if (path == f.systemApp("Quiet.app")) return 1000.0;
    return std::nullopt;
  };
  EXPECT_EQ(AppInventory::readApp(f.systemApp("Quiet.app"), entries, context).lastUsed, 1000.0);
  EXPECT_NEAR(AppInventory::readApp(f.systemApp("Editor.app"), entries, context).lastUsed.value_or(0), now - 5 * day,
              5);
}

TEST(AppInventory, InstalledAppsAreSortedByTotalSize) {
  AppsFixture f;
  writeApp(f.systemApp("Small.app"), {.identifier = "com.example.small"});
  writeApp(f.systemApp("Big.app"), {.identifier = "com.example.big"});
  writeApp(f.userApp("Data.app"), {.identifier = "com.example.data"});
  writeApp(f.systemApp("Utilities/Tool.app"), {.identifier = "com.example.tool"});
  f.root.allocatedFile("Applications/Big.app/Contents/Resources/blob", 400 * 4096);
  f.library("Application Support/com.example.data/db", 800 * 4096);  // data outweighs Big's bundle
  f.library("Caches/com.example.tool/c", 100 * 4096);

  const auto apps = AppInventory::installedApps(f.context());
  std::vector<std::string> order;
  for (const InstalledApp& app : apps) order.push_back(app.name);
  EXPECT_EQ(order, (std::vector<std::string>{"Data", "Big", "Tool", "Small"}));
  EXPECT_EQ(apps[0].related.size(), 1u);
  EXPECT_GT(apps[0].dataSize(), apps[0].appSize);

  // Running: exact identifier, letter case included; never without an identifier.
  EXPECT_TRUE(apps[0].isRunning({"com.example.small", "com.example.data"}));
  EXPECT_FALSE(apps[0].isRunning({"com.example.DATA"}));
  InstalledApp nameless = apps[0];
  nameless.bundleID.reset();
  EXPECT_FALSE(nameless.isRunning({""}));
  EXPECT_FALSE(nameless.isRunning());

  // No application folders at all (a Linux machine): an empty inventory.
  EXPECT_TRUE(AppInventory::installedApps(InventoryContext::forPlaces(f.home.home(), {f.system / "none"})).empty());
}

TEST(AppLocator, FindsABundleByIdentifierInAnyLetterCase) {
  AppsFixture f;
  writeApp(f.systemApp("Suite/Writer.app"), {.identifier = "com.Example.Writer"});
  writeApp(f.userApp("Viewer.app"), {.identifier = "com.example.viewer"}, true);
  writeApp(f.systemApp("Blank.app"), {.identifier = " "});
  const AppLocator locator(f.roots());
  EXPECT_EQ(locator.locate("com.example.writer"), f.systemApp("Suite/Writer.app"));
  EXPECT_EQ(locator.locate("COM.EXAMPLE.VIEWER"), f.userApp("Viewer.app"));
  EXPECT_EQ(locator.locate("com.example.other"), std::nullopt);
  EXPECT_EQ(locator.locate(""), std::nullopt);
  EXPECT_EQ(locator.locate(" "), std::nullopt);
  removeTree(f.userApp("Viewer.app"));
  EXPECT_EQ(AppLocator(f.roots()).locate("com.example.viewer"), std::nullopt);  // a new locator reads afresh
}
