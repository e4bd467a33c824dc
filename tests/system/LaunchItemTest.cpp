#include <gtest/gtest.h>

#include <cstdlib>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/HomeFolder.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "support/RunAsNobody.h"
#include "support/MacHome.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "system/LaunchItem.h"

using namespace tolvex;
using namespace tolvex::test;
using Scope = LaunchItem::Scope;
using Status = PrivilegedResult::Status;

namespace {

// An XML property list around `body`, or the same list in binary form.
std::string plistBytes(const std::string& body, bool binary = false) {
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">" +
      body + "</plist>\n";
  if (!binary) return xml;
  plist_t root = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
  if (!root) throw std::runtime_error("fixture is not a property list");
  char* data = nullptr;
  uint32_t length = 0;
  plist_to_bin(root, &data, &length);
  plist_free(root);
  std::string bytes(data, length);
  std::free(data);
  return bytes;
}

// The fields a property list gives; path, scope and date are the test's.
struct Fields {
  std::string label;
  std::optional<std::string> program{};
  bool runAtLoad = false;
  bool keepAlive = false;
  std::optional<std::string> ownerName{};
  std::optional<std::string> ownerPath{};
  bool isOrphan = false;
};

std::string writePlist(const std::string& path, const std::string& bytes) {
  if (!makeFolders(parentPath(path)) || writeFileAtomically(path, bytes) != 0)
    throw std::runtime_error("cannot write " + path);
  return path;
}

// A context whose folders lie under `base` and whose look-up and runners record what they are asked.
struct FakeSystem {
  explicit FakeSystem(const std::string& base) {
    context.home = base + "/home";
    context.uid = 501;
    context.folders = {base + "/home/Library/LaunchAgents", base + "/Library/LaunchAgents",
                       base + "/Library/LaunchDaemons"};
    context.applicationPath = [this](const std::string& identifier) -> std::optional<std::string> {
      auto found = applications.find(identifier);
      if (found == applications.end()) return std::nullopt;
      return found->second;
    };
    context.runProcess = [this](const std::vector<std::string>& argv) -> std::optional<ProcessResult> {
      processCalls.push_back(argv);
      return std::nullopt;  // launchctl is not there
    };
    context.runPrivileged = [this](const std::vector<std::string>& argv) {
      privilegedCalls.push_back(argv);
      return privileged(argv);
    };
  }
  LaunchItemContext context;
  std::map<std::string, std::string> applications;
  std::vector<std::vector<std::string>> processCalls;
  std::vector<std::vector<std::string>> privilegedCalls;
  // What the administrator steps do: by default each program runs as the user would run it, so the
  // move really happens; launchctl is missing.
  std::function<PrivilegedResult(const std::vector<std::string>&)> privileged =
      [](const std::vector<std::string>& argv) {
        if (argv[0] == kLaunchctlPath) return PrivilegedResult{Status::notStarted, "no launchctl"};
        auto result = runProcess(argv);
        if (!result) return PrivilegedResult{Status::notStarted, {}};
        return PrivilegedResult{result->exitStatus == 0 ? Status::succeeded : Status::failed, result->errorOutput};
      };
};

}  // namespace

TEST(LaunchItem, FromPlistReadsTheFieldsOfXmlAndBinaryLists) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  const std::string presentProgram = tree.file("bin/helper", 1);
  const std::string missingApp = dir / "Applications/Example.app/Contents/MacOS/helper";
  FakeSystem fake(dir.path());
  fake.applications["com.example.Found"] = "/Applications/Found.app";

  struct Case {
    const char* name;
    std::string body;
    Fields expected;
  };
  const Case cases[] = {
      {"every field",
       "<dict><key>Label</key><string>com.example.agent</string><key>ProgramArguments</key><array><string>" +
           missingApp +
           "</string><string>--daemon</string></array><key>RunAtLoad</key><true/><key>KeepAlive</key>"
           "<dict><key>SuccessfulExit</key><false/></dict></dict>",
       {.label = "com.example.agent",
        .program = missingApp,
        .runAtLoad = true,
        .keepAlive = true,
        .ownerName = "Example",
        .ownerPath = dir / "Applications/Example.app",
        .isOrphan = true}},
      {"program that exists, keep-alive false",
       "<dict><key>Label</key><string>com.example.present</string><key>Program</key><string>" + presentProgram +
           "</string><key>ProgramArguments</key><array><string>/ignored</string></array>"
           "<key>KeepAlive</key><false/></dict>",
       {.label = "com.example.present", .program = presentProgram}},
      {"no label: the file name without its extension", "<dict></dict>", {.label = "com.example.helper"}},
      {"values of the wrong types",
       "<dict><key>Label</key><integer>7</integer><key>Program</key><array><string>/x</string></array>"
       "<key>ProgramArguments</key><array><string>relative-helper</string></array>"
       "<key>RunAtLoad</key><string>true</string><key>KeepAlive</key><integer>1</integer></dict>",
       {.label = "com.example.helper", .program = "relative-helper"}},
      {"arguments that are not all strings",
       "<dict><key>ProgramArguments</key><array><string>/x</string><integer>1</integer></array></dict>",
       {.label = "com.example.helper"}},
      {"empty arguments", "<dict><key>ProgramArguments</key><array/></dict>", {.label = "com.example.helper"}},
      // A bare name is looked for nowhere, so it is never an orphan.
      {"bare program name",
       "<dict><key>Program</key><string>no-such-helper</string></dict>",
       {.label = "com.example.helper", .program = "no-such-helper"}},
      {"owner found by the label as bundle identifier",
       "<dict><key>Label</key><string>com.example.Found</string><key>Program</key><string>" + presentProgram +
           "</string></dict>",
       {.label = "com.example.Found",
        .program = presentProgram,
        .ownerName = "Found",
        .ownerPath = "/Applications/Found.app"}},
  };
  for (bool binary : {false, true}) {
    for (const auto& c : cases) {
      const std::string path = writePlist(dir / "agents/com.example.helper.plist", plistBytes(c.body, binary));
      tree.times("agents/com.example.helper.plist", 1700000000.5, 1700000000.5);
      const Fields& f = c.expected;
      const LaunchItem expected{path,        f.label,     f.program,   Scope::systemAgent, f.runAtLoad,
                                f.keepAlive, f.ownerName, f.ownerPath, f.isOrphan,         1700000000.5};
      EXPECT_EQ(LaunchItem::fromPlist(path, Scope::systemAgent, fake.context), expected)
          << c.name << (binary ? " (binary)" : " (XML)");
    }
  }
}

TEST(LaunchItem, FromPlistRefusesWhatIsNotADictionaryList) {
  TempDir dir;
  TreeBuilder tree(dir.path());
  FakeSystem fake(dir.path());
  const std::pair<const char*, std::string> files[] = {
      {"array root", plistBytes("<array><string>com.example</string></array>")},
      {"binary array root", plistBytes("<array><string>com.example</string></array>", true)},
      {"text", "Label = com.example; this is not a property list"},
      {"truncated binary", plistBytes("<dict><key>Label</key><string>x</string></dict>", true).substr(0, 30)},
      {"empty", ""},
  };
  for (const auto& [name, bytes] : files)
    EXPECT_FALSE(LaunchItem::fromPlist(writePlist(dir / "x.plist", bytes), Scope::userAgent, fake.context)) << name;
  tree.folder("folder.plist");
  EXPECT_FALSE(LaunchItem::fromPlist(dir / "folder.plist", Scope::userAgent, fake.context));
  EXPECT_FALSE(LaunchItem::fromPlist(dir / "missing.plist", Scope::userAgent, fake.context));
  ASSERT_EQ(::mkfifo((dir / "fifo.plist").c_str(), 0600), 0);
  EXPECT_FALSE(LaunchItem::fromPlist(dir / "fifo.plist", Scope::userAgent, fake.context));  // and does not wait
}

TEST(LaunchItem, AProgramThatCannotBeCheckedIsNotCalledMissing) {
  if (::geteuid() != 0) GTEST_SKIP() << "acting as another user needs root";
  TempDir dir;
  TreeBuilder tree(dir.path());
  tree.file("locked/helper", 1);
  ::chmod((dir / "locked").c_str(), 0700);  // root's: nobody cannot look inside
  ::chmod(dir.path().c_str(), 0755);
  const std::string agents = dir / "agents";
  writePlist(agents + "/locked.plist",
             plistBytes("<dict><key>Program</key><string>" + (dir / "locked/helper") + "</string></dict>"));
  writePlist(agents + "/gone.plist",
             plistBytes("<dict><key>Program</key><string>" + (dir / "gone/helper") + "</string></dict>"));
  writePlist(agents + "/through-a-file.plist",
             plistBytes("<dict><key>Program</key><string>" + (dir / "locked.plist/helper") + "</string></dict>"));
  ::chmod(agents.c_str(), 0755);
  for (const char* name : {"locked.plist", "gone.plist", "through-a-file.plist"})
    ::chmod((agents + "/" + name).c_str(), 0644);
  writePlist(dir / "locked.plist", "a file where a folder would be");
  ::chmod((dir / "locked.plist").c_str(), 0644);

  const std::string seen = runAsNobody([&] {
    // Some machines keep other users out of a folder above the temporary one.
    if (::access(agents.c_str(), R_OK | X_OK) != 0) return std::string("unreachable");
    std::string out;
    for (const char* name : {"locked.plist", "gone.plist", "through-a-file.plist"}) {
      auto item = LaunchItem::fromPlist(agents + "/" + name, Scope::userAgent, LaunchItemContext{});
      out += std::string(name) + "=" + (!item ? "none" : item->isOrphan ? "orphan" : "kept") + " ";
    }
    return out;
  });
  if (seen == "unreachable") GTEST_SKIP() << "user 65534 cannot reach " << agents;
  EXPECT_EQ(seen, "locked.plist=kept gone.plist=orphan through-a-file.plist=orphan ");
}

TEST(LaunchItem, LoadReadsTheThreeFoldersAndOrdersOrphansFirstThenByNameIgnoringCase) {
  TempDir dir;
  FakeSystem fake(dir.path());
  auto& folders = fake.context.folders;
  const std::string missing = dir / "Applications/Gone.app/Contents/MacOS/gone";
  auto program = [](const std::string& label, const std::string& path) {
    return plistBytes("<dict><key>Label</key><string>" + label + "</string><key>Program</key><string>" + path +
                      "</string></dict>");
  };
  TreeBuilder tree(dir.path());
  writePlist(folders[0] + "/beta.plist", program("com.beta", tree.file("Apps/beta.app/Contents/MacOS/b")));
  writePlist(folders[0] + "/zed.plist", program("com.zed", "zed"));
  writePlist(folders[0] + "/gone.plist", program("com.gone", missing));
  writePlist(folders[0] + "/notes.txt", program("com.notes", "notes"));
  writePlist(folders[0] + "/upper.PLIST", program("com.upper", "upper"));
  writePlist(folders[0] + "/array.plist", plistBytes("<array/>"));
  writePlist(folders[1] + "/alpha.plist", program("com.alpha", tree.file("Apps/Alpha.app/Contents/MacOS/a")));
  writePlist(folders[2] + "/Daemon.plist", plistBytes("<dict><key>Label</key><string>Mid</string></dict>", true));
  TreeBuilder(folders[2]).folder("subfolder.plist");

  struct Seen {
    std::string label;
    Scope scope;
    bool orphan;
    bool operator==(const Seen&) const = default;
  };
  std::vector<Seen> seen;
  for (const auto& item : loadLaunchItems(fake.context)) seen.push_back({item.label, item.scope, item.isOrphan});
  const std::vector<Seen> expected = {
      {"com.gone", Scope::userAgent, true},  {"com.alpha", Scope::systemAgent, false},  // owner "Alpha"
      {"com.beta", Scope::userAgent, false},                                            // owner "beta"
      {"com.zed", Scope::userAgent, false},                                             // no owner: its label
      {"Mid", Scope::systemDaemon, false},
  };
  EXPECT_EQ(seen, expected);

  // A folder that cannot be listed adds nothing.
  folders = {dir / "none1", dir / "none2", dir / "none3"};
  EXPECT_TRUE(loadLaunchItems(fake.context).empty());
}

TEST(LaunchItem, ScopesHaveTheirRawValuesTitlesAndDomains) {
  struct Case {
    Scope scope;
    const char* raw;
    const char* title;
    const char* domain;
  };
  const Case cases[] = {
      {Scope::userAgent, "userAgent", "Your login items", "gui/501"},
      {Scope::systemAgent, "systemAgent", "Login items for all users", "gui/501"},
      {Scope::systemDaemon, "systemDaemon", "Services", "system"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(rawValue(c.scope), c.raw);
    EXPECT_EQ(launchItemScopeFromRaw(c.raw), c.scope);
    EXPECT_STREQ(title(c.scope), c.title);
    EXPECT_EQ(launchdDomain(c.scope, 501), c.domain);
  }
  EXPECT_EQ(launchItemScopeFromRaw("UserAgent"), std::nullopt);
}

TEST(LaunchItem, OrderKeysIgnoreCaseAndPreferTheOwnerName) {
  auto item = [](std::string label, std::optional<std::string> owner, bool orphan = false) {
    LaunchItem i;
    i.label = std::move(label);
    i.ownerName = std::move(owner);
    i.isOrphan = orphan;
    return i;
  };
  struct Case {
    LaunchItem a, b;
    bool aFirst;
  };
  const Case cases[] = {
      {item("z", "Alpha"), item("a", "beta"), true},
      {item("a", "beta"), item("z", "Alpha"), false},
      {item("com.b", std::nullopt), item("com.a", "Zulu"), true},  // label "com.b" against owner "zulu"
      {item("zzz", std::nullopt, true), item("aaa", std::nullopt), true},
      {item("aaa", std::nullopt), item("zzz", std::nullopt, true), false},
      {item("Same", std::nullopt), item("same", std::nullopt), false},
      {item("\xC3\x89tude", std::nullopt), item("\xC3\xA9tuda", std::nullopt), false},  // "Étude" after "étuda"
  };
  for (const auto& c : cases) EXPECT_EQ(launchItemOrder(c.a, c.b), c.aFirst) << c.a.label << " / " << c.b.label;
}

TEST(LaunchItem, OnlyPlainPropertyListPathsMayBeHandedToACommand) {
  struct Case {
    const char* path;
    bool supported;
  };
  const Case cases[] = {
      {"/Users/me/Library/LaunchAgents/com.example.helper.plist", true},
      {"/Library/LaunchDaemons/org.some_thing@2+x -y.plist", true},
      {"/Library/LaunchAgents/it's.plist", false},
      {"/Library/LaunchAgents/../../etc/x.plist", false},
      {"/Library/LaunchAgents/a..b.plist", false},
      {"/Library/LaunchAgents/x.PLIST", false},
      {"/Library/LaunchAgents/x.plist.bak", false},
      {".plist", false},
      {"", false},
      {"/Library/LaunchAgents/x.plist\n", false},
      {"/Library/LaunchAgents/x\n.plist", false},
      {"/Library/LaunchAgents/a;rm -rf x.plist", false},
      {"/Library/LaunchAgents/$(id).plist", false},
      {"/Library/LaunchAgents/\"q\".plist", false},
      {"/Library/LaunchAgents/tab\there.plist", false},
      {"/Library/LaunchAgents/caf\xC3\xA9.plist", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isSupportedLaunchItemPath(c.path), c.supported) << c.path;
}

TEST(LaunchItem, AnUnsupportedPathIsRefusedWithoutRunningAnything) {
  TempDir dir;
  FakeSystem fake(dir.path());
  for (Scope scope : kAllLaunchItemScopes) {
    for (const char* name : {"it's.plist", "x..y.plist"}) {
      LaunchItem item;
      item.scope = scope;
      item.path = writePlist(fake.context.folder(scope) + "/" + name, plistBytes("<dict/>"));
      EXPECT_EQ(removeLaunchItem(item, fake.context), kUnsupportedFileNameMessage) << name;
      EXPECT_TRUE(pathExists(item.path)) << name;
    }
  }
  EXPECT_TRUE(fake.processCalls.empty());
  EXPECT_TRUE(fake.privilegedCalls.empty());
}

TEST(LaunchItem, RemovalScriptsQuoteThePathForEachScope) {
  LaunchItem agent;
  agent.scope = Scope::systemAgent;
  agent.path = "/Library/LaunchAgents/com.example.agent.plist";
  EXPECT_EQ(launchItemRemovalScript(agent, 501, "/Users/me"),
            "do shell script \"/bin/launchctl bootout gui/501 '/Library/LaunchAgents/com.example.agent.plist'; "
            "/bin/mv '/Library/LaunchAgents/com.example.agent.plist' '/Users/me/.Trash/'\" with administrator "
            "privileges");
  LaunchItem daemon;
  daemon.scope = Scope::systemDaemon;
  daemon.path = "/Library/LaunchDaemons/com.example.daemon.plist";
  EXPECT_EQ(launchItemRemovalScript(daemon, 501, "/Users/me"),
            "do shell script \"/bin/launchctl bootout system '/Library/LaunchDaemons/com.example.daemon.plist'; "
            "/bin/mv '/Library/LaunchDaemons/com.example.daemon.plist' '/Users/me/.Trash/'\" with administrator "
            "privileges");
}

TEST(LaunchItem, AUserAgentIsUnloadedThenTrashedWhateverLaunchctlSays) {
  MacHome home;
  FakeSystem fake(home.home());
  LaunchItem item;
  item.path = writePlist(fake.context.folder(Scope::userAgent) + "/com.example.helper.plist", plistBytes("<dict/>"));
  fake.context.clock = [] { return 1'700'000'000.0; };
  const LaunchItemRemoval removal = performLaunchItemRemoval(item, fake.context);
  EXPECT_EQ(removal.failure, std::nullopt);
  // The History's record of it, dated as its .trashinfo is.
  ASSERT_TRUE(removal.trashed);
  EXPECT_EQ(removal.trashed->originalPath, item.path);
  EXPECT_EQ(removal.trashed->trashPath, home.trashFiles() + "/com.example.helper.plist");
  EXPECT_EQ(removal.trashed->date, 1'700'000'000.0);
  ASSERT_EQ(fake.processCalls.size(), 1u);
  EXPECT_EQ(fake.processCalls[0], (std::vector<std::string>{"/bin/launchctl", "bootout", "gui/501", item.path}));
  EXPECT_TRUE(fake.privilegedCalls.empty());
  EXPECT_FALSE(pathExists(item.path));
  EXPECT_TRUE(pathExists(home.trashFiles() + "/com.example.helper.plist"));
  EXPECT_EQ(readTrashInfo(home.trashFiles() + "/com.example.helper.plist")->path, item.path);

  // The move's failure is what is reported.
  EXPECT_EQ(removeLaunchItem(item, fake.context), "No longer exists.");
  EXPECT_EQ(launchItemRemovedMessage("Helper"),
            "\u201CHelper\u201D won't start automatically any more. Its file is in the Trash.");
}

TEST(LaunchItem, ASharedItemIsUnloadedAndMovedByAnAdministratorWithoutReplacingAnything) {
  MacHome home;
  FakeSystem fake(home.home());
  fake.context.home = home.home();
  const std::string already = home.tree().file(".local/share/Trash/files/com.example.daemon.plist", 5);
  LaunchItem item;
  item.scope = Scope::systemDaemon;
  item.path = writePlist(fake.context.folder(Scope::systemDaemon) + "/com.example.daemon.plist", plistBytes("<dict/>"));

  const LaunchItemRemoval removal = performLaunchItemRemoval(item, fake.context);
  EXPECT_EQ(removal.failure, std::nullopt);
  const std::string moved = home.trashFiles() + "/com.example.daemon.2.plist";
  ASSERT_TRUE(removal.trashed);
  EXPECT_EQ(removal.trashed->trashPath, moved);
  EXPECT_EQ(removal.trashed->originalPath, item.path);
  ASSERT_EQ(fake.privilegedCalls.size(), 2u);
  EXPECT_EQ(fake.privilegedCalls[0], (std::vector<std::string>{"/bin/launchctl", "bootout", "system", item.path}));
  EXPECT_EQ(fake.privilegedCalls[1], (std::vector<std::string>{"/bin/mv", "-n", "-T", "--", item.path, moved}));
  EXPECT_TRUE(fake.processCalls.empty());
  EXPECT_FALSE(pathExists(item.path));
  EXPECT_EQ(readWholeFile(already)->size(), 5u);  // left as it was
  EXPECT_EQ(readWholeFile(moved), plistBytes("<dict/>"));
  EXPECT_EQ(readTrashInfo(moved)->path, item.path);
}

TEST(LaunchItem, ASharedItemsRemovalReportsEveryWayItCanFail) {
  struct Case {
    const char* name;
    std::function<PrivilegedResult(const std::vector<std::string>&)> privileged;
    std::optional<std::string> message;
    size_t calls;
  };
  const auto onMove = [](PrivilegedResult result) {
    return [result](const std::vector<std::string>& argv) {
      return argv[0] == kLaunchctlPath ? PrivilegedResult{Status::succeeded, {}} : result;
    };
  };
  const Case cases[] = {
      {"dialog dismissed at the first step",
       [](const auto&) {
         return PrivilegedResult{Status::cancelled, {}};
       },
       kCancelledMessage, 1},
      {"dialog dismissed at the move", onMove({Status::cancelled, {}}), kCancelledMessage, 2},
      {"pkexec missing",
       [](const auto&) {
         return PrivilegedResult{Status::notStarted, "pkexec: not found"};
       },
       kCouldNotRemoveMessage, 2},
      {"move failed with a message", onMove({Status::failed, "mv: cannot move"}), "mv: cannot move", 2},
      {"move failed silently", onMove({Status::failed, {}}), kCouldNotRemoveMessage, 2},
      // Success is believed only once the file is seen in the Trash.
      {"move claimed but not done", onMove({Status::succeeded, {}}), kCouldNotRemoveMessage, 2},
  };
  for (const auto& c : cases) {
    MacHome home;
    FakeSystem fake(home.home());
    fake.privileged = c.privileged;
    LaunchItem item;
    item.scope = Scope::systemAgent;
    item.path = writePlist(fake.context.folder(Scope::systemAgent) + "/com.example.agent.plist", plistBytes("<dict/>"));
    EXPECT_EQ(removeLaunchItem(item, fake.context), c.message) << c.name;
    EXPECT_EQ(fake.privilegedCalls.size(), c.calls) << c.name;
    EXPECT_TRUE(pathExists(item.path)) << c.name;
    EXPECT_FALSE(pathExists(home.trashInfo() + "/com.example.agent.plist.trashinfo")) << c.name;
  }
}

TEST(LaunchItem, LoginItemsSettingsAreHandedToTheUrlOpener) {
  std::vector<std::string> opened;
  openLoginItemsSettings([&](const std::string& url) { opened.push_back(url); });
  openLoginItemsSettings(nullptr);
  EXPECT_EQ(opened, (std::vector<std::string>{"x-apple.systempreferences:com.apple.LoginItems-Settings.extension"}));
}
