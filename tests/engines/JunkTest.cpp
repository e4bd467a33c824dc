#include <gtest/gtest.h>

#include <algorithm>

#include "engines/JunkFinder.h"
#include "engines/JunkRule.h"
#include "model/FolderSize.h"
#include "platform/Identifiers.h"
#include "support/MacHome.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t kBlock = 4096;

std::vector<std::string> namesOf(const JunkFinding& finding) {
  std::vector<std::string> names;
  for (const auto& item : finding.items) names.push_back(item.id.substr(item.id.rfind('/') + 1));
  return names;
}

const JunkRule& rule(const std::string& id) {
  for (const auto& r : JunkRule::all())
    if (r.id == id) return r;
  throw std::runtime_error("no rule " + id);
}

}  // namespace

TEST(JunkRules, TableAsWritten) {
  using G = JunkGroup;
  const Risk S = Risk::safe, R = Risk::review;
  const Removal P = Removal::permanent, T = Removal::trash;
  struct Row {
    const char* id;
    JunkGroup group;
    const char* title;
    Risk risk;
    const char* base;
    Removal removal;
    bool smart;
    const char* explanation;
  };
  const Row rows[] = {
      {"user-caches", G::system, "App caches", S, "Library/Caches", P, true,
       "Temporary copies apps keep to run faster. They\u2019re rebuilt automatically; some apps may take a little "
       "longer the first time."},
      {"user-logs", G::system, "Logs and crash reports", S, "Library/Logs", P, true,
       "Activity and error history from apps. Only useful for diagnosing problems."},
      {"saved-state", G::system, "Saved window state", S, "Library/Saved Application State", P, true,
       "Window positions used to reopen apps the way you left them. Recreated automatically."},
      {"system-logs", G::system, "System logs", R, "/Library/Logs", P, false,
       "Logs shared by all users. May require administrator permissions."},
      {"trash", G::trash, "Trash", S, ".Trash", P, true,
       "Everything you\u2019ve already moved to the Trash. Emptying it actually frees the space."},
      {"mail-downloads", G::mail, "Attachments opened from Mail", S,
       "Library/Containers/com.apple.mail/Data/Library/Mail Downloads", P, true,
       "Copies of attachments you opened. The original stays in the email."},
      {"xcode-derived", G::developer, "Xcode \u00B7 DerivedData", S, "Library/Developer/Xcode/DerivedData", P, true,
       "Intermediate Xcode build products. Rebuilt when you build (the first build takes longer)."},
      {"xcode-device-support", G::developer, "Xcode \u00B7 Device Support", S,
       "Library/Developer/Xcode/iOS DeviceSupport", P, true,
       "Symbols for iOS/watchOS versions. Xcode downloads them again when you connect a device."},
      {"xcode-watch-support", G::developer, "Xcode \u00B7 watchOS Support", S,
       "Library/Developer/Xcode/watchOS DeviceSupport", P, true,
       "Symbols for watchOS versions. Downloaded again if needed."},
      {"simulator-caches", G::developer, "Simulators \u00B7 Caches", S, "Library/Developer/CoreSimulator/Caches", P,
       true, "iOS Simulator caches. They\u2019re rebuilt automatically."},
      {"xcode-archives", G::developer, "Xcode \u00B7 Archives", R, "Library/Developer/Xcode/Archives", T, false,
       "Archived builds for distribution. Used to read crash reports from released versions."},
      {"npm-cache", G::developer, "npm cache", S, ".npm/_cacache", P, false,
       "Packages downloaded by npm. Downloaded again when you install."},
      {"gradle-cache", G::developer, "Gradle cache", S, ".gradle/caches", P, false,
       "Dependencies downloaded by Gradle (Android/Java)."},
      {"dot-cache", G::developer, "Tool caches (~/.cache)", R, ".cache", P, false,
       "pip, Hugging Face, pre-commit\u2026 Note: they may contain large models you\u2019d have to download again."},
      {"ios-updates", G::devices, "Downloaded iOS updates", S, "Library/iTunes/iPhone Software Updates", P, true,
       "iOS/iPadOS installers downloaded by Finder. Downloaded again if needed."},
      {"ios-backups", G::devices, "iPhone/iPad backups", R, "Library/Application Support/MobileSync/Backup", T, false,
       "Local backups of your devices. Delete them only if you have an iCloud backup or no longer need them."},
      {"old-installers", G::downloads, "Installers in Downloads", R, "Downloads", T, false,
       ".dmg/.pkg/.xip files downloaded more than a week ago. The app is usually already installed."},
  };
  const auto& all = JunkRule::all();
  ASSERT_EQ(all.size(), std::size(rows));
  for (size_t i = 0; i < all.size(); ++i) {
    const JunkRule& r = all[i];
    const Row& row = rows[i];
    EXPECT_EQ(r.id, row.id);
    EXPECT_EQ(r.group, row.group) << row.id;
    EXPECT_EQ(r.title, row.title) << row.id;
    EXPECT_EQ(r.risk, row.risk) << row.id;
    EXPECT_EQ(r.base, row.base) << row.id;
    EXPECT_EQ(r.removal, row.removal) << row.id;
    EXPECT_EQ(r.inSmartClean, row.smart) << row.id;
    EXPECT_EQ(r.explanation, row.explanation) << row.id;
    if (i != 16) {
      EXPECT_FALSE(r.extensions) << row.id;
      EXPECT_FALSE(r.minAgeDays) << row.id;
    }
    if (i != 0) {
      EXPECT_TRUE(r.excludedNames.empty()) << row.id;
    }
  }
  EXPECT_EQ(all[16].extensions, (std::set<std::string>{"dmg", "pkg", "mpkg", "xip", "iso"}));
  EXPECT_EQ(all[16].minAgeDays, 7);
  EXPECT_EQ(all[0].excludedNames,
            (std::set<std::string>{"com.apple.bird", "CloudKit", "com.apple.containermanagerd", "FamilyCircle",
                                   "com.apple.akd", "com.apple.nsurlsessiond", "com.tolvex.Tolvex", "com.apple.HomeKit",
                                   "com.apple.ap.adprivacyd"}));
  EXPECT_EQ(&JunkRule::all(), &all);  // built once
}

TEST(JunkRules, GroupsAndFolders) {
  const std::pair<JunkGroup, std::pair<const char*, const char*>> groups[] = {
      {JunkGroup::system, {"system", "System Junk"}},
      {JunkGroup::trash, {"trash", "Trash"}},
      {JunkGroup::mail, {"mail", "Mail"}},
      {JunkGroup::developer, {"developer", "Developer"}},
      {JunkGroup::devices, {"devices", "iPhone & iPad"}},
      {JunkGroup::downloads, {"downloads", "Downloads"}},
  };
  ASSERT_EQ(kAllJunkGroups.size(), std::size(groups));
  for (size_t i = 0; i < std::size(groups); ++i) {
    EXPECT_EQ(kAllJunkGroups[i], groups[i].first);
    EXPECT_STREQ(rawValue(groups[i].first), groups[i].second.first);
    EXPECT_STREQ(title(groups[i].first), groups[i].second.second);
    EXPECT_EQ(junkGroupFromRaw(groups[i].second.first), groups[i].first);
  }
  EXPECT_EQ(junkGroupFromRaw("System"), std::nullopt);
  EXPECT_EQ(junkGroupFromRaw(""), std::nullopt);

  const JunkPlaces places = JunkPlaces::forHome("/home/al");
  EXPECT_EQ(rule("user-caches").folder(places), "/home/al/Library/Caches");
  EXPECT_EQ(rule("system-logs").folder(places), "/Library/Logs");
  EXPECT_EQ(rule("trash").folder(places), "/home/al/.local/share/Trash/files");
}

TEST(JunkRules, RuleForPath) {
  const JunkPlaces places = JunkPlaces::forHome("/home/al");
  const std::pair<std::string, const char*> cases[] = {
      {"/home/al/Downloads/setup.pkg", "old-installers"},
      {"/home/al/Downloads/SETUP.DMG", "old-installers"},
      {"/home/al/Downloads/Tool.mpkg/Contents/x", "old-installers"},
      {"/home/al/Downloads/notes.txt", nullptr},
      {"/home/al/Downloads/folder/inner.dmg", nullptr},
      {"/home/al/Downloads", nullptr},
      {"/home/al/Library/Caches/com.example/x", "user-caches"},
      {"/home/al/Library/Caches//com.example", "user-caches"},
      {"/home/al/Library/Caches/com.apple.bird/x", nullptr},  // excluded: no later rule is tried
      {"/home/al/Library/Caches/com.tolvex.Tolvex", nullptr},
      {"/home/al/Library/Caches", nullptr},
      {"/home/al/Library/CachesOld/x", nullptr},
      {"/home/al/.local/share/Trash/files/old.txt", "trash"},
      {"/home/al/.cache/pip/x", "dot-cache"},
      {"/home/al/.cache/Tolvex", nullptr},
      {"/home/al/.cache/Tolvex/x", nullptr},
      {"/Library/Logs/x.log", "system-logs"},
      {"/home/al/Library/Containers/com.apple.mail/Data/Library/Mail Downloads/a.pdf", "mail-downloads"},
      {"/home/al/Library/Developer/Xcode/DerivedData/App-abc", "xcode-derived"},
      {"/home/al/.npm/_cacache/index", "npm-cache"},
      {"/home/al/.gradle/caches/modules", "gradle-cache"},
      {"/home/al/Library/Application Support/MobileSync/Backup/0000", "ios-backups"},
      {"/home/bob/Library/Caches/x", nullptr},
  };
  for (const auto& [path, id] : cases) {
    const JunkRule* found = ruleForPath(path, places);
    EXPECT_EQ(found ? found->id : std::string("none"), id ? id : "none") << path;
  }
}

// A home laid out like a Mac's, with junk of known sizes and ages.
class JunkFinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& t = home.tree();
    t.allocatedFile("Library/Caches/com.example.big/a", 20 * kBlock);
    t.allocatedFile("Library/Caches/com.example.big/sub/b", 20 * kBlock);
    t.allocatedFile("Library/Caches/com.example.small", 1 * kBlock);
    t.allocatedFile("Library/Caches/com.example.same-a", 2 * kBlock);
    t.allocatedFile("Library/Caches/com.example.same-b", 2 * kBlock);
    t.allocatedFile("Library/Caches/com.apple.bird/x", 50 * kBlock);
    t.allocatedFile("Library/Caches/com.tolvex.Tolvex/x", 50 * kBlock);
    t.allocatedFile("Library/Caches/.DS_Store", 1 * kBlock);
    t.allocatedFile("Library/Caches/empty.bin", 0);
    t.allocatedFile("Library/Logs/app.log", 2 * kBlock);
    t.allocatedFile("Library/Containers/com.apple.mail/Data/Library/Mail Downloads/a.pdf", 1 * kBlock);
    t.allocatedFile(".cache/pip/wheel", 30 * kBlock);
    t.allocatedFile(".cache/Tolvex/thumbnails", 60 * kBlock);
    // Downloads: installers older and younger than a week, and other files.
    const std::pair<std::string, double> downloads[] = {
        {"Old.DMG", 8}, {"young.dmg", 6}, {"old.zip", 30}, {"old.pkg", 30}, {"ancient.iso", 400}};
    int64_t blocks = 10;
    for (const auto& [name, days] : downloads) {
      t.allocatedFile("Downloads/" + name, blocks-- * kBlock);
      setAgeInDays(home / ("Downloads/" + name), days);
    }
    t.allocatedFile("Downloads/Installer.pkg/Contents/payload", 2 * kBlock);  // a package folder
    setAgeInDays(home / "Downloads/Installer.pkg", 9);
    home.trashedFile("old.txt", 3 * kBlock);
    home.trashedFile(".DS_Store", 1 * kBlock);
  }

  std::optional<JunkFinding> scan(const std::string& id) {
    return scanRule(rule(id), JunkPlaces::current(), nowSince1970());
  }

  MacHome home;
};

TEST_F(JunkFinderTest, ScanRuleCountsOnlyWhatTheRuleAllows) {
  auto caches = scan("user-caches");
  ASSERT_TRUE(caches);
  // Excluded names, .DS_Store outside the Trash and empty files are skipped; largest first, equal
  // sizes in name order.
  EXPECT_EQ(namesOf(*caches), (std::vector<std::string>{"com.example.big", "com.example.same-a", "com.example.same-b",
                                                        "com.example.small"}));
  const JunkItem& big = caches->items[0];
  EXPECT_EQ(big.id, home / "Library/Caches/com.example.big");
  EXPECT_EQ(big.url, big.id);
  EXPECT_EQ(big.ruleID, "user-caches");
  const FolderSize measured = folderSize(big.id);
  EXPECT_EQ(big.size, measured.bytes);
  EXPECT_GT(big.size, 40 * kBlock);
  EXPECT_EQ(big.fileCount, 2);
  EXPECT_TRUE(big.modified);

  auto downloads = scan("old-installers");
  ASSERT_TRUE(downloads);
  // Older than a week and an installer's extension, in any case; a package folder counts too.
  EXPECT_EQ(namesOf(*downloads), (std::vector<std::string>{"Old.DMG", "old.pkg", "ancient.iso", "Installer.pkg"}));

  auto trash = scan("trash");
  ASSERT_TRUE(trash);
  EXPECT_EQ(namesOf(*trash), (std::vector<std::string>{"old.txt", ".DS_Store"}));
  EXPECT_EQ(trash->items[0].id, home.trashFiles() + "/old.txt");

  auto dotCache = scan("dot-cache");
  ASSERT_TRUE(dotCache);
  EXPECT_EQ(namesOf(*dotCache), (std::vector<std::string>{"pip"}));  // never our own cache

  auto derived = scan("xcode-derived");
  EXPECT_FALSE(derived);  // the folder does not exist
  home.tree().folder("Library/Developer/Xcode/DerivedData");
  derived = scan("xcode-derived");
  ASSERT_TRUE(derived);
  EXPECT_TRUE(derived->items.empty());
}

TEST_F(JunkFinderTest, MinimumAgeIsJudgedAgainstNow) {
  // Seen from five days in the past, the eight-day-old installer is only three days old.
  auto earlier = scanRule(rule("old-installers"), JunkPlaces::current(), nowSince1970() - 5 * 86400);
  ASSERT_TRUE(earlier);
  EXPECT_EQ(namesOf(*earlier), (std::vector<std::string>{"old.pkg", "ancient.iso"}));
}

TEST_F(JunkFinderTest, FindJunkGivesNonEmptyFindingsLargestFirst) {
  const auto findings = findJunk(JunkRule::all(), JunkPlaces::current(), true, nowSince1970());
  std::vector<std::string> ids;
  for (const auto& finding : findings) ids.push_back(finding.id());
  EXPECT_EQ(ids, (std::vector<std::string>{"user-caches", "dot-cache", "old-installers", "trash", "user-logs",
                                           "mail-downloads"}));
  for (size_t i = 1; i < findings.size(); ++i) EXPECT_GE(findings[i - 1].totalSize(), findings[i].totalSize());
  for (const auto& finding : findings) {
    EXPECT_FALSE(finding.items.empty());
    EXPECT_TRUE(std::is_sorted(finding.items.begin(), finding.items.end(),
                               [](const JunkItem& a, const JunkItem& b) { return a.size > b.size; }));
  }

  // Without full disk access the Mail container is not listed, though its rule still holds its files.
  const auto limited = findJunk(JunkRule::all(), JunkPlaces::current(), false, nowSince1970());
  ids.clear();
  for (const auto& finding : limited) ids.push_back(finding.id());
  EXPECT_EQ(ids, (std::vector<std::string>{"user-caches", "dot-cache", "old-installers", "trash", "user-logs"}));
  const JunkRule* mail =
      ruleForPath(home / "Library/Containers/com.apple.mail/Data/Library/Mail Downloads/a.pdf", JunkPlaces::current());
  ASSERT_TRUE(mail);
  EXPECT_EQ(mail->id, "mail-downloads");

  // A subset of the rules, as the scheduled clean passes it.
  const std::vector<JunkRule> subset = {rule("user-logs"), rule("gradle-cache")};
  const auto some = findJunk(subset, JunkPlaces::current(), true, nowSince1970());
  ASSERT_EQ(some.size(), 1u);
  EXPECT_EQ(some[0].id(), "user-logs");
  EXPECT_TRUE(findJunk({}, JunkPlaces::current(), true, nowSince1970()).empty());
}

TEST_F(JunkFinderTest, OwnCacheIsRecognisedThroughALinkedCacheFolder) {
  // XDG_CACHE_HOME spelled through a link still names ~/.cache: our cache stays out of the junk.
  home.tree().symlink(home / ".cache", "cache-link");
  setenv("XDG_CACHE_HOME", (home / "cache-link").c_str(), 1);  // TempHome restores it afterwards
  EXPECT_EQ(JunkPlaces::current().ownCache, home / ".cache/Tolvex");
  auto dotCache = scan("dot-cache");
  ASSERT_TRUE(dotCache);
  EXPECT_EQ(namesOf(*dotCache), (std::vector<std::string>{"pip"}));
  EXPECT_EQ(ruleForPath(home / ".cache/Tolvex/thumbnails", JunkPlaces::current()), nullptr);
}
