#include <gtest/gtest.h>

#include <map>

#include "engines/JunkRule.h"
#include "model/SafetyVerdict.h"
#include "support/MacHome.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

const std::string kHome = "/Users/alice";

const char* const kRoot = "Root folder of the system or your user account.";
const char* const kKept = "Folder used by macOS. Tolvex empties its contents but keeps the folder.";
const char* const kStandard = "Standard folder in your user account. You can delete its contents, but not the folder.";
const char* const kApplication = "Application. Use Uninstall to remove its data too.";
const char* const kShared = "Shared file used by the system or a tool. May require an administrator password.";
const char* const kAppData = "App data. The app may lose settings or content if it\u2019s still installed.";
const char* const kPersonal = "Personal file. Make sure you have a backup if it matters.";
const char* const kDownload = "Download. Make sure you don\u2019t need it.";
const char* const kReview = "Review before deleting.";
const char* const kSIP = "Part of macOS, protected by System Integrity Protection (SIP).";

std::string explanationOf(const std::string& id) {
  for (const auto& rule : JunkRule::all())
    if (rule.id == id) return rule.explanation;
  return "no rule " + id;
}

std::string packageReason(const std::string& name) {
  return "Inside a ." + name +
         " package. Deleting individual pieces corrupts it; remove the whole package if you no longer use it.";
}

// A home at /Users/alice (only strings: no file is read except through the fake bundle reader).
struct FakeContext {
  std::map<std::string, std::string> bundles = {
      {"/Applications/Example.app", "com.example.Example"},
      {"/System/Volumes/Data/Applications/Example.app", "com.example.Example"},
      {"/Applications/Safari.app", "com.apple.Safari"},
      {"/Applications/Running.app", "com.example.Running"},
      {"/Applications/Tolvex.app", "com.tolvex.Tolvex"},
      {"/Applications/Empty.app", ""},
      {kHome + "/Applications/Mine.app", "com.example.Mine"},
  };
  std::vector<std::string> lookups;
  int runningAsked = 0;
  SafetyContext context;

  FakeContext() {
    context.places = JunkPlaces::forHome(kHome);
    context.bundleIdentifier = [this](const std::string& path) -> std::optional<std::string> {
      lookups.push_back(path);
      auto found = bundles.find(path);
      if (found == bundles.end()) return std::nullopt;
      return found->second;
    };
    context.runningApplications = [this] {
      ++runningAsked;
      return std::vector<std::string>{"com.example.Running", "com.tolvex.Tolvex", ""};
    };
    context.ownBundleIdentifier = "com.tolvex.Tolvex";
  }
};

struct Case {
  std::string path;  // "~" at the start stands for the home folder
  Risk risk;
  std::string reason;
};

std::string expand(const std::string& path) { return path.starts_with("~") ? kHome + path.substr(1) : path; }

void expectVerdicts(const std::vector<Case>& cases, const SafetyContext& context) {
  for (const auto& c : cases) {
    const SafetyVerdict verdict = SafetyVerdict::forPath(expand(c.path), context);
    EXPECT_EQ(verdict, (SafetyVerdict{c.risk, c.reason}))
        << c.path << " gave " << label(verdict.risk) << ": " << verdict.reason;
  }
}

const Risk P = Risk::protected_, R = Risk::review, S = Risk::safe;

}  // namespace

TEST(SafetyVerdict, RootsAndSystemFolders) {
  FakeContext fake;
  expectVerdicts(
      {
          {"/", P, kRoot},
          {"/System/Volumes/Data", P, kRoot},
          {"~", P, kRoot},
          {"/Users", P, kRoot},
          {"/Applications", P, kRoot},
          {"/Library", P, kRoot},
          {"/System", P, kRoot},
          {"/bin", P, kRoot},
          {"/Volumes", P, kRoot},
          {"/opt", P, kRoot},
          {"/private", P, kRoot},
          {"/home", P, kRoot},
          {"/etc", P, kRoot},
          {"/System/Library", P, kSIP},
          {"/System/Applications/Calculator.app", P, kSIP},
          {"/bin/ls", P, "Core macOS tools."},
          {"/sbin/init", P, "Core macOS tools."},
          {"/usr/bin/ls", P, "macOS tools."},
          {"/usr/lib/x", P, "macOS libraries."},
          {"/usr/libexec/x", P, "macOS components."},
          {"/usr/share/doc", P, "macOS data."},
          {"/private/var/db/x", P, "System databases (security, updates, users)."},
          {"/private/etc/hosts", P, "System configuration."},
          {"/Library/Preferences/SystemConfiguration/x.plist", P, "Network and system configuration."},
          {"/Library/Application Support/com.apple.TCC/TCC.db", P, "Privacy and permissions database."},
          {"/Library/Application Support/com.apple.TCCx/x", R, kShared},  // whole components only
          {"/.fseventsd/0001", P, "File system change log."},
          {"/MobileSoftwareUpdate/x", P, "macOS updates in progress."},
          {"/usr/local/bin/tool", R, kShared},
          {"/usr/local", R, kShared},
          {"/opt/homebrew/x", R, kShared},
          {"/private/tmp/x", R, kShared},
          {"/Users/Shared/x", R, kReview},
          {"/media/usb/x", R, kReview},
      },
      fake.context);
}

TEST(SafetyVerdict, LinuxSystemFoldersAfterTheMacRows) {
  FakeContext fake;
  const char* os = kOperatingSystemReason;
  expectVerdicts(
      {
          {"/etc/passwd", P, os},
          {"/boot/vmlinuz", P, os},
          {"/dev/sda", P, os},
          {"/proc/1/status", P, os},
          {"/sys/kernel/x", P, os},
          {"/run/user/1000", P, os},
          {"/snap/core/1", P, os},
          {"/lib/x86_64-linux-gnu/libc.so.6", P, os},
          {"/lib32/x", P, os},
          {"/lib64/ld-linux-x86-64.so.2", P, os},
          {"/libx32/x", P, os},
          {"/usr/include/stdio.h", P, os},
          {"/usr/src/linux", P, os},
          {"/var/lib", P, os},
          {"/var/lib/dpkg/status", P, os},
          {"/bin/ls", P, "Core macOS tools."},  // the Mac rows keep their reasons
          {"/usr/share/x", P, "macOS data."},
          {"/lib32x/foo", R, kReview},  // not a system folder
          {"/var/log/syslog", R, kReview},
          {"/var/library/x", R, kReview},
      },
      fake.context);
}

TEST(SafetyVerdict, PathsAreJudgedInTheirPlainForm) {
  FakeContext fake;
  expectVerdicts(
      {
          {"//usr//bin/ls", P, "macOS tools."},
          {"/usr/./lib/x", P, "macOS libraries."},
          {"/usr/lib/", P, "macOS libraries."},
          {"~/Documents/", P, kStandard},
          {"~//Documents", P, kStandard},
          {"~/.", P, kRoot},
          {"~/Downloads/./setup.dmg", R, explanationOf("old-installers")},
          {"/System/Volumes/Data//Users/alice/./Documents", P, kStandard},
          {"~/Downloads/../.ssh/id_rsa", P, kUnplainPathReason},
          {"~/Documents/..", P, kUnplainPathReason},
          {"/..", P, kUnplainPathReason},
          {"/tmp/x/../../etc", P, kUnplainPathReason},
          {"relative/path", P, kUnplainPathReason},
          {"", P, kUnplainPathReason},
          // A NUL byte ends the path for every system call: the text after it is never what is acted on.
          {std::string("~/Documents\0junk.iso", 20), P, kUnplainPathReason},
          {std::string("~/Downloads/a.zip\0", 18), P, kUnplainPathReason},
          {"~/a..b/file", R, kPersonal},  // ".." inside a name is just a name
      },
      fake.context);
  EXPECT_EQ(pathForJudging("//a/./b//c/"), "/a/b/c");
  EXPECT_EQ(pathForJudging("/./"), "/");
  EXPECT_EQ(pathForJudging("/a/../b"), std::nullopt);
}

TEST(SafetyVerdict, HomeFolderJunkRulesAndTrash) {
  FakeContext fake;
  expectVerdicts(
      {
          {"~/Library/Caches", P, kKept},
          {"/Library/Logs", P, kKept},
          {"~/.cache", P, kKept},
          {"~/Downloads", P, kKept},  // a rule's folder before a standard folder
          {"~/.local/share/Trash/files", P, kKept},
          {"~/.local/share/Trash", P, kKept},
          {"~/.local/share/Trash/info", P, kKept},
          {"~/.local/share/Trash/files/old.txt", S, explanationOf("trash")},
          {"~/.local/share/Trash/files/.DS_Store", S, explanationOf("trash")},
          {"~/Library/Caches/com.example/x", S, explanationOf("user-caches")},
          {"~/Library/Caches/com.apple.bird/x", R, kAppData},  // excluded by rule 1: no rule at all
          {"~/Library/Caches/com.tolvex.Tolvex", R, kAppData},
          {"~/.cache/pip/wheels", R, explanationOf("dot-cache")},
          {"~/.cache/Tolvex", R, kPersonal},  // our own cache is never junk
          {"~/.cache/Tolvex/thumbnails", R, kPersonal},
          {"~/Downloads/Setup.PKG", R, explanationOf("old-installers")},
          {"~/Downloads/setup.zip", S, kDownload},
          {"~/Downloads/Folder/inner.dmg", S, kDownload},  // only the first component counts
          {"/Library/Logs/install.log", R, explanationOf("system-logs")},
          {"~/Library/Containers/com.apple.mail/Data/Library/Mail Downloads/a.pdf", S, explanationOf("mail-downloads")},
          {"~/Library/Developer/Xcode/Archives/2024", R, explanationOf("xcode-archives")},
          {"~/Documents", P, kStandard},
          {"~/Library", P, kStandard},
          {"~/Applications", P, kStandard},
          {"~/Documents/report.txt", R, kPersonal},
          {"~/Library/Preferences", R, "App settings. Deleting them resets the apps."},
          {"~/Library/Preferences/com.example.plist", R, "App settings. Deleting them resets the apps."},
          {"~/Library/Mail/V10", P, "Your Mail mailboxes. Manage your email from the Mail app."},
          {"~/Library/Mail.backup", P, "Your Mail mailboxes. Manage your email from the Mail app."},
          {"~/Library/Mailbox", R, kAppData},
          {"~/Library/Containers/com.apple.Safari/x", P, "Apple app data."},
          {"~/Library/CloudStorage/Dropbox/x", P,
           "Synced files (Dropbox, Google Drive, OneDrive\u2026). They would also be deleted from the cloud."},
          {"~/Library/Application Support/Foo/x", R, kAppData},
          {"~/.Trash", R, kPersonal},  // the Trash here is the freedesktop one
          {"~/.ssh/id_rsa", R, kPersonal},
          {"/Users/bob/Documents", R, kReview},
      },
      fake.context);
}

TEST(SafetyVerdict, PackagesLibrariesAndApplications) {
  FakeContext fake;
  expectVerdicts(
      {
          {"/Applications/Example.app/Contents/MacOS/Example", P, packageReason("app")},
          {"~/Pictures/Photos Library.photoslibrary/database/x", P, packageReason("photoslibrary")},
          {"~/Music/Song.logicx/Alternatives", P, packageReason("logicx")},
          {"~/Pictures/Photos Library.photoslibrary", P, "Your photo or music library. Manage it from its app."},
          {"~/Music/Music.musiclibrary", P, "Your photo or music library. Manage it from its app."},
          {"/Applications/Example.app", R, kApplication},
          {"/System/Volumes/Data/Applications/Example.app", R, kApplication},
          {"/Applications/Safari.app", P, "Apple app included with macOS or required by the system."},
          {"/Applications/Running.app", P, "The app is open. Quit it before removing it."},
          {"/Applications/Tolvex.app", P, "This is Tolvex."},  // even though it is running
          {"/Applications/NoId.app", R, kApplication},
          {"/Applications/Empty.app", R, kApplication},  // an empty identifier matches no running app
          {"~/Applications/Mine.app", R, kApplication},
      },
      fake.context);
  // The bundle is looked up at the caller's path, and only for application bundles.
  EXPECT_EQ(fake.lookups, (std::vector<std::string>{
                              "/Applications/Example.app", "/System/Volumes/Data/Applications/Example.app",
                              "/Applications/Safari.app", "/Applications/Running.app", "/Applications/Tolvex.app",
                              "/Applications/NoId.app", "/Applications/Empty.app", kHome + "/Applications/Mine.app"}));
  EXPECT_EQ(fake.runningAsked, 4);  // Example twice, Running and Mine; never for Apple's or our own

  // Without our own identifier (or with an empty one) our bundle is an application like any other.
  fake.context.ownBundleIdentifier = "";
  fake.context.runningApplications = [] { return std::vector<std::string>{}; };
  EXPECT_EQ(SafetyVerdict::forPath("/Applications/Tolvex.app", fake.context), (SafetyVerdict{R, kApplication}));
}

TEST(SafetyVerdict, CurrentContextUsesTheHomeTheTrashAndInfoPlists) {
  MacHome home;
  writeAppBundle(home / "Applications/Apple.app", "com.apple.Thing", true);
  writeAppBundle(home / "Applications/Us.app", "com.tolvex.Tolvex");
  writeAppBundle(home / "Applications/Other.app", "com.example.Other");
  home.tree().file("Downloads/x.zip", 1);

  const SafetyContext context = SafetyContext::forPlaces(Places::current());
  EXPECT_EQ(context.places.home, home.home());
  EXPECT_EQ(context.places.trashFiles, home.trashFiles());
  EXPECT_EQ(context.places.ownCache, home / ".cache/Tolvex");

  EXPECT_EQ(SafetyVerdict::forPath(home.home(), context).reason, kRoot);
  EXPECT_EQ(SafetyVerdict::forPath(home.trashFiles(), context).reason, kKept);
  EXPECT_EQ(SafetyVerdict::forPath(home.trashFiles() + "/x", context).reason, explanationOf("trash"));
  EXPECT_EQ(SafetyVerdict::forPath(home / "Downloads/x.zip", context).reason, kDownload);
  EXPECT_EQ(SafetyVerdict::forPath(home / "Applications/Apple.app", context).reason,
            "Apple app included with macOS or required by the system.");
  EXPECT_EQ(SafetyVerdict::forPath(home / "Applications/Us.app", context).reason, "This is Tolvex.");
  EXPECT_EQ(SafetyVerdict::forPath(home / "Applications/Other.app", context).reason, kApplication);
}
