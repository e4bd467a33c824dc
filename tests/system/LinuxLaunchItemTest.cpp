// Autostart entries and systemd units read into launch items and removed, over fixture folders laid
// out like a Linux system's under a temporary home; systemctl and the administrator's runner are fakes.
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "platform/HomeFolder.h"
#include "platform/KeyedFile.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"
#include "system/LinuxLaunchItem.h"

using namespace tolvex;
using namespace tolvex::test;
using Scope = LaunchItem::Scope;
using Status = PrivilegedResult::Status;

namespace {

constexpr double kNow = 1'700'000'000;

// A Linux system under a temporary home: the user's folders in the home, the system's below "root".
struct LinuxSystem {
  TempHome home;
  TreeBuilder tree{home.home()};
  std::string root = home / "root";
  LaunchItemContext context;
  std::vector<std::vector<std::string>> processCalls, privilegedCalls;
  // What `systemctl --user` answers; by default it succeeds.
  std::function<std::optional<ProcessResult>(const std::vector<std::string>&)> systemctl =
      [](const std::vector<std::string>&) {
        return std::optional<ProcessResult>(ProcessResult{0, {}, {}, false});
      };
  // What an administrator step answers: systemctl succeeds, a move runs as the user would run it.
  std::function<PrivilegedResult(const std::vector<std::string>&)> privileged =
      [](const std::vector<std::string>& argv) {
        if (argv[0] == kSystemctlPath) return PrivilegedResult{Status::succeeded, {}};
        auto result = runProcess(argv);
        if (!result) return PrivilegedResult{Status::notStarted, {}};
        return PrivilegedResult{result->exitStatus == 0 ? Status::succeeded : Status::failed, result->errorOutput};
      };

  LinuxSystem() {
    context.home = home.home();
    context.uid = 1000;
    context.folders = {home / "none/1", home / "none/2", home / "none/3"};
    context.userAutostartFolder = home / ".config/autostart";
    context.sharedAutostartFolders = {root + "/etc/xdg/autostart", root + "/etc/xdg-extra/autostart"};
    context.userUnitFolder = home / ".config/systemd/user";
    context.systemUnitFolders = {root + "/etc/systemd/system", root + "/usr/local/lib/systemd/system"};
    context.vendorUnitFolders = {root + "/usr/lib/systemd", root + "/lib/systemd"};
    context.applicationFolders = {home / ".local/share/applications", root + "/usr/share/applications",
                                  root + "/var/lib/flatpak/exports/share/applications"};
    context.searchPath = {root + "/usr/local/bin", root + "/usr/bin"};
    context.flatpakInstallations = {home / ".local/share/flatpak", root + "/var/lib/flatpak"};
    context.clock = [] { return kNow; };
    context.runProcess = [this](const std::vector<std::string>& argv) {
      processCalls.push_back(argv);
      return systemctl(argv);
    };
    context.runPrivileged = [this](const std::vector<std::string>& argv) {
      privilegedCalls.push_back(argv);
      return privileged(argv);
    };
  }

  std::string write(const std::string& path, const std::string& text) {
    if (!makeFolders(parentPath(path)) || writeFileAtomically(path, text) != 0)
      throw std::runtime_error("cannot write " + path);
    return path;
  }
  std::string program(const std::string& folder, const std::string& name) {
    const std::string path = write(folder + "/" + name, "#!/bin/sh\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }
  void link(const std::string& target, const std::string& path) {
    if (!makeFolders(parentPath(path)) || ::symlink(target.c_str(), path.c_str()) != 0)
      throw std::runtime_error("cannot link " + path);
  }
  std::string entry(const std::string& path, const std::string& body) {
    return write(path, "[Desktop Entry]\nType=Application\n" + body);
  }
  std::string unit(const std::string& path, const std::string& service) {
    return write(path, "[Unit]\nDescription=x\n\n[Service]\n" + service + "\n[Install]\nWantedBy=default.target\n");
  }
  std::string userAutostart(const std::string& name) const { return context.userAutostartFolder + "/" + name; }
  std::string userUnit(const std::string& name) const { return context.userUnitFolder + "/" + name; }
  std::string etcUnit(const std::string& name) const { return context.systemUnitFolders[0] + "/" + name; }
  std::string localUnit(const std::string& name) const { return context.systemUnitFolders[1] + "/" + name; }
};

struct Seen {
  std::string label;
  Scope scope;
  std::optional<std::string> program;
  bool runAtLoad, keepAlive;
  std::optional<std::string> owner;
  bool orphan;
  bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
  return out << s.label << " [" << rawValue(s.scope) << "] program=" << s.program.value_or("-")
             << " atLoad=" << s.runAtLoad << " keepAlive=" << s.keepAlive << " owner=" << s.owner.value_or("-")
             << " orphan=" << s.orphan;
}

}  // namespace

TEST(LinuxLaunchItem, CommandsGiveTheirProgramAfterAssignmentsAndEnvAndTheFlatpakTheyRun) {
  struct Case {
    const char* exec;
    std::optional<LaunchCommand> expected;
  };
  const Case execCases[] = {
      {"slack --startup %U", LaunchCommand{"slack", std::nullopt}},
      {"env GDK_SCALE=2 LANG=C /opt/app/run --tray", LaunchCommand{"/opt/app/run", std::nullopt}},
      {"/usr/bin/env -u HOME -i --chdir /tmp -- tool", LaunchCommand{"tool", std::nullopt}},
      {"A=1 B=2 tool", LaunchCommand{"tool", std::nullopt}},
      {"\"/opt/My App/run\" --x", LaunchCommand{"/opt/My App/run", std::nullopt}},
      {"'/opt/it s/run'", LaunchCommand{"/opt/it s/run", std::nullopt}},
      {"\"/opt/a\\\\\\\\b\"", LaunchCommand{"/opt/a\\b", std::nullopt}},  // "\\\\" in the file is one backslash
      {"flatpak run org.example.Chat", LaunchCommand{"flatpak", "org.example.Chat"}},
      {"/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=chat org.example.Chat @@u %U @@",
       LaunchCommand{"/usr/bin/flatpak", "org.example.Chat"}},
      {"flatpak run --branch stable --command chat org.example.Chat", LaunchCommand{"flatpak", "org.example.Chat"}},
      {"flatpak info org.example.Chat", LaunchCommand{"flatpak", std::nullopt}},
      {"sh -c \"sleep 5; slack\"", LaunchCommand{"sh", std::nullopt}},
      {"", std::nullopt},
      {"env A=1", std::nullopt},
      {"\"/opt/unclosed", std::nullopt},
  };
  for (const auto& c : execCases) EXPECT_EQ(launchCommandOfExec(c.exec), c.expected) << c.exec;

  const Case startCases[] = {
      {"-/usr/bin/backup --daily", LaunchCommand{"/usr/bin/backup", std::nullopt}},
      {"@/usr/bin/daemon daemon-name", LaunchCommand{"/usr/bin/daemon", std::nullopt}},
      {"!!/usr/bin/tool", LaunchCommand{"/usr/bin/tool", std::nullopt}},
      {"+/usr/bin/env FOO=1 /opt/bar", LaunchCommand{"/opt/bar", std::nullopt}},
      {"/usr/bin/flatpak run org.example.Sync", LaunchCommand{"/usr/bin/flatpak", "org.example.Sync"}},
      {"-", std::nullopt},
  };
  for (const auto& c : startCases) EXPECT_EQ(launchCommandOfExecStart(c.exec), c.expected) << c.exec;
}

TEST(LinuxLaunchItem, AProgramIsGoneOnlyWhenItIsFoundNowhere) {
  LinuxSystem s;
  s.program(s.root + "/usr/bin", "present");
  s.tree.folder("root/var/lib/flatpak/app/org.example.Chat/current/active");
  s.tree.folder("root/var/lib/flatpak/app/org.example.Old/current");  // no active deployment
  struct Case {
    std::string program;
    bool gone;
  };
  const Case cases[] = {
      {"present", false},
      {"absent", true},
      {s.root + "/usr/bin/present", false},
      {s.root + "/usr/bin/absent", true},
      {s.root + "/usr/bin/present/below", true},  // through a file
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(programIsGone(c.program, s.context.searchPath), c.gone) << c.program;
  EXPECT_FALSE(programIsGone("absent", {}));  // with nowhere to look, nothing can be said

  EXPECT_TRUE(flatpakIsInstalled("org.example.Chat", s.context.flatpakInstallations));
  for (const char* id : {"org.example.Old", "org.example.Gone", "", "..", "../flatpak/app/org.example.Chat"})
    EXPECT_FALSE(flatpakIsInstalled(id, s.context.flatpakInstallations)) << id;
}

TEST(LinuxLaunchItem, TheSessionsAutostartEntriesAndEnabledUnitsAreListedByScope) {
  LinuxSystem s;
  const std::string bin = s.root + "/usr/bin";
  s.program(bin, "slack");
  s.program(bin, "present-tool");
  s.program(bin, "flatpak");
  const std::string spaced = s.program(s.root + "/opt/My Tool", "run");
  s.tree.folder("root/var/lib/flatpak/app/org.example.Chat/current/active");

  // Installed applications: found by desktop ID, by their Flatpak, or by their program.
  s.entry(s.root + "/usr/share/applications/slack.desktop", "Name=Slack\nExec=slack %U\n");
  s.entry(s.root + "/var/lib/flatpak/exports/share/applications/org.example.Chat.desktop",
          "Name=Chat\nExec=/usr/bin/flatpak run org.example.Chat\n");
  s.entry(s.root + "/usr/share/applications/tool.desktop", "Name=Present Tool\nExec=present-tool --window\n");
  s.entry(s.root + "/usr/share/applications/hidden-app.desktop", "Name=Hidden App\nNoDisplay=true\nExec=hidden\n");

  // Your login items: autostart entries.
  s.entry(s.userAutostart("slack.desktop"), "Name=Slack\nExec=env GDK_SCALE=2 slack -u %U\n");
  s.entry(s.userAutostart("gone.desktop"), "Name=Gone\nExec=gone-tool --tray\n");
  s.entry(s.userAutostart("hidden.desktop"), "Name=H\nExec=" + bin + "/present-tool\nHidden=true\n");
  s.entry(s.userAutostart("off.desktop"), "Name=Off\nExec=/does/not/matter/tool\nX-GNOME-Autostart-enabled=false\n");
  s.entry(s.userAutostart("try.desktop"), "Name=Try\nExec=present-tool\nTryExec=missing-tool\n");
  s.entry(s.userAutostart("org.example.Chat.desktop"), "Name=Chat\nExec=flatpak run --command=chat org.example.Chat\n");
  s.entry(s.userAutostart("org.example.Removed.desktop"), "Name=Removed\nExec=flatpak run org.example.Removed\n");
  s.entry(s.userAutostart("override.desktop"), "Name=Mine\nExec=present-tool\n");
  s.write(s.userAutostart("broken.desktop"), "no group here\n");
  s.write(s.userAutostart("notes.txt"), "[Desktop Entry]\nExec=x\n");

  // Login items for all users: the first folder's entry wins, the user's replaces both.
  s.entry(s.root + "/etc/xdg/autostart/override.desktop", "Name=Shared\nExec=present-tool\n");
  s.entry(s.root + "/etc/xdg/autostart/shared.desktop", "Name=Shared\nExec=\"" + spaced + "\" --x\n");
  s.entry(s.root + "/etc/xdg-extra/autostart/shared.desktop", "Name=Later\nExec=absent\n");
  s.entry(s.root + "/etc/xdg-extra/autostart/second.desktop", "Name=Second\nExec=/opt/second/gone\n");

  // The user's enabled units.
  const std::string wants = s.context.userUnitFolder + "/default.target.wants/";
  s.unit(s.userUnit("sync.service"), "ExecStart=-" + bin + "/present-tool --serve\nRestart=on-failure");
  s.link(s.userUnit("sync.service"), wants + "sync.service");
  s.unit(s.userUnit("idle.service"), "ExecStart=" + bin + "/present-tool");  // not enabled
  const std::string vendor = s.unit(s.root + "/usr/lib/systemd/user/pipewire.service", "ExecStart=/opt/pw/pipewire");
  s.link(vendor, wants + "pipewire.service");
  s.link(vendor, wants + "app-org.example.Foo@autostart.service");  // systemd's copy of an entry
  s.link(vendor, wants + "masked.service");
  s.link("/dev/null", s.userUnit("masked.service"));
  s.unit(s.userUnit("worker@.service"), "ExecStart=" + bin + "/present-tool %i\nRestart=no");
  s.link(s.userUnit("worker@.service"), wants + "worker@one.service");
  s.link(s.userUnit("worker@.service"), s.context.userUnitFolder + "/timers.target.wants/worker@two.service");

  // Services: enabled local units; the distribution's, aliases and masked ones are left out.
  const std::string multiUser = s.etcUnit("multi-user.target.wants/");
  s.unit(s.etcUnit("backup.service"), "ExecStart=/usr/bin/env LANG=C /opt/backup/bin/backup\nRestart=no");
  s.link(s.etcUnit("backup.service"), multiUser + "backup.service");
  const std::string gdm = s.unit(s.root + "/usr/lib/systemd/system/gdm3.service", "ExecStart=/usr/sbin/gdm3");
  const std::string ssh = s.unit(s.root + "/lib/systemd/system/ssh.service", "ExecStart=/usr/sbin/sshd");
  s.link(gdm, s.etcUnit("display-manager.service"));
  s.link(gdm, multiUser + "display-manager.service");
  s.link(ssh, s.etcUnit("sshd.service"));
  s.link(ssh, multiUser + "sshd.service");
  s.link(ssh, multiUser + "ssh.service");
  s.link(s.etcUnit("backup.service"), s.etcUnit("alias.service"));
  s.link("/dev/null", s.etcUnit("masked.service"));
  s.link("/dev/null", multiUser + "masked.service");
  const std::string linkedFile = s.unit(s.root + "/opt/linked/linked.service", "ExecStart=" + bin + "/present-tool");
  s.link(linkedFile, s.etcUnit("linked.service"));
  s.link(s.etcUnit("linked.service"), multiUser + "linked.service");
  s.unit(s.etcUnit("quiet.service"), "ExecStart=" + bin + "/present-tool");  // not enabled
  s.unit(s.localUnit("local.service"), "ExecStart=" + bin + "/present-tool\nRestart=always");
  s.link(s.localUnit("local.service"), multiUser + "local.service");
  s.unit(s.localUnit("backup.service"), "ExecStart=/opt/other");  // the administrator's file wins
  s.unit(s.etcUnit("app-x@autostart.service"), "ExecStart=/opt/x");
  s.link(s.etcUnit("app-x@autostart.service"), multiUser + "app-x@autostart.service");

  std::vector<Seen> seen;
  for (const LaunchItem& item : loadLaunchItems(s.context))
    seen.push_back(
        {item.label, item.scope, item.program, item.runAtLoad, item.keepAlive, item.ownerName, item.isOrphan});
  const std::string tool = bin + "/present-tool";
  const std::optional<std::string> none;
  const std::vector<Seen> expected = {
      // Orphans first, then by the owner's name or the label, ignoring case.
      {"backup.service", Scope::systemDaemon, "/opt/backup/bin/backup", true, false, none, true},
      {"gone", Scope::userAgent, "gone-tool", true, false, none, true},
      {"off", Scope::userAgent, "/does/not/matter/tool", false, false, none, true},
      {"org.example.Removed", Scope::userAgent, "flatpak", true, false, none, true},
      {"pipewire.service", Scope::userAgent, "/opt/pw/pipewire", true, false, none, true},
      {"try", Scope::userAgent, "present-tool", true, false, "Present Tool", true},  // TryExec missing
      {"second", Scope::systemAgent, "/opt/second/gone", true, false, none, true},
      {"org.example.Chat", Scope::userAgent, "flatpak", true, false, "Chat", false},
      {"hidden", Scope::userAgent, tool, false, false, "Present Tool", false},
      {"override", Scope::userAgent, "present-tool", true, false, "Present Tool", false},
      {"sync.service", Scope::userAgent, tool, true, true, "Present Tool", false},
      {"worker@.service", Scope::userAgent, tool, true, false, "Present Tool", false},
      {"linked.service", Scope::systemDaemon, tool, true, false, "Present Tool", false},
      {"local.service", Scope::systemDaemon, tool, true, true, "Present Tool", false},
      {"shared", Scope::systemAgent, spaced, true, false, none, false},
      {"slack", Scope::userAgent, "slack", true, false, "Slack", false},
  };
  EXPECT_EQ(seen, expected);

  // Where each item was read from, and when it was last changed.
  std::map<std::string, std::string> paths;
  for (const LaunchItem& item : loadLaunchItems(s.context)) {
    paths[item.label] = item.path;
    EXPECT_TRUE(item.modified.has_value()) << item.label;
  }
  EXPECT_EQ(paths["pipewire.service"], vendor);
  EXPECT_EQ(paths["worker@.service"], s.userUnit("worker@.service"));
  EXPECT_EQ(paths["linked.service"], s.etcUnit("linked.service"));
  EXPECT_EQ(paths["shared"], s.root + "/etc/xdg/autostart/shared.desktop");
  EXPECT_EQ(paths["slack"], s.userAutostart("slack.desktop"));
}

TEST(LinuxLaunchItem, FoldersThatCannotBeReadOrAreMissingAddNothing) {
  LinuxSystem s;
  s.write(s.context.userAutostartFolder, "a file where the folder would be");
  s.write(s.context.userUnitFolder, "a file too");
  EXPECT_TRUE(loadLaunchItems(s.context).empty());
}

TEST(LinuxLaunchItem, TheUsersItemsAreStoppedAsTheUserAndTheirOwnFilesGoToTheTrashWithARecord) {
  LinuxSystem s;
  const std::string wants = s.context.userUnitFolder + "/default.target.wants/";
  const std::string entry = s.entry(s.userAutostart("org.example.Sync.desktop"), "Name=Sync\nExec=sync\n");
  const std::string own = s.unit(s.userUnit("sync.service"), "ExecStart=/opt/sync");
  s.link(own, wants + "sync.service");
  const std::string vendor = s.unit(s.root + "/usr/lib/systemd/user/pipewire.service", "ExecStart=/opt/pw");
  s.link(vendor, wants + "pipewire.service");
  const std::string worker = s.unit(s.userUnit("worker@.service"), "ExecStart=/opt/w %i");
  s.link(worker, wants + "worker@one.service");
  s.link(worker, wants + "worker@two.service");
  auto item = [&](const std::string& path) {
    LaunchItem i;
    i.path = path;
    i.scope = Scope::userAgent;
    return i;
  };
  auto systemctl = [](std::vector<std::string> names) {
    std::vector<std::string> argv = {kSystemctlPath, "--user", "disable", "--now", "--"};
    argv.insert(argv.end(), names.begin(), names.end());
    return argv;
  };

  struct Case {
    std::string path;
    std::vector<std::vector<std::string>> calls;
    bool trashed;
  };
  const Case cases[] = {
      {entry, {}, true},  // an entry starts nothing of its own: nothing to stop
      {own, {systemctl({"sync.service"})}, true},
      {vendor, {systemctl({"pipewire.service"})}, false},  // not the user's file: it stays
      {worker, {systemctl({"worker@one.service", "worker@two.service"})}, true},
  };
  for (const Case& c : cases) {
    s.processCalls.clear();
    const LaunchItemRemoval removal = performLaunchItemRemoval(item(c.path), s.context);
    EXPECT_EQ(removal.failure, std::nullopt) << c.path;
    EXPECT_EQ(s.processCalls, c.calls) << c.path;
    EXPECT_TRUE(s.privilegedCalls.empty()) << c.path;
    EXPECT_EQ(pathExists(c.path), !c.trashed) << c.path;
    ASSERT_EQ(removal.trashed.has_value(), c.trashed) << c.path;
    if (!c.trashed) continue;
    const HistoryEntry& record = *removal.trashed;
    EXPECT_EQ(record.originalPath, c.path);
    EXPECT_EQ(record.date, kNow);
    EXPECT_FALSE(record.restored);
    ASSERT_TRUE(record.trashPath);
    EXPECT_EQ(parentPath(*record.trashPath), trashFilesFolder());
    EXPECT_EQ(readTrashInfo(*record.trashPath)->path, c.path);
  }
}

TEST(LinuxLaunchItem, AFailedStopOfAUsersUnitIsShownAndItsFileStays) {
  struct Case {
    const char* name;
    std::optional<ProcessResult> answer;
    std::string message;
  };
  const Case cases[] = {
      {"no session bus", ProcessResult{1, {}, "Failed to connect to bus: No medium found\n", false},
       "Failed to connect to bus: No medium found"},
      {"failed without a word", ProcessResult{1, {}, {}, false}, kCouldNotRemoveMessage},
      {"systemctl missing", std::nullopt, kCouldNotRemoveMessage},
      {"timed out", ProcessResult{-1, {}, {}, true}, kCouldNotRemoveMessage},
  };
  for (const Case& c : cases) {
    LinuxSystem s;
    const std::string own = s.unit(s.userUnit("sync.service"), "ExecStart=/opt/sync");
    s.link(own, s.context.userUnitFolder + "/default.target.wants/sync.service");
    s.systemctl = [&](const std::vector<std::string>&) { return c.answer; };
    LaunchItem item;
    item.path = own;
    EXPECT_EQ(performLaunchItemRemoval(item, s.context), (LaunchItemRemoval{c.message, std::nullopt})) << c.name;
    EXPECT_TRUE(pathExists(own)) << c.name;
  }
}

TEST(LinuxLaunchItem, SharedItemsAndServicesNeedTheAdministratorAndOnlyTheirOwnFilesGoToTheTrash) {
  LinuxSystem s;
  const std::string multiUser = s.etcUnit("multi-user.target.wants/");
  const std::string shared = s.entry(s.root + "/etc/xdg/autostart/applet.desktop", "Name=Applet\nExec=applet\n");
  const std::string etc = s.unit(s.etcUnit("backup.service"), "ExecStart=/opt/backup");
  s.link(etc, multiUser + "backup.service");
  const std::string local = s.unit(s.localUnit("game.service"), "ExecStart=/opt/game");
  s.link(local, multiUser + "game.service");
  const std::string linkedFile = s.unit(s.root + "/opt/linked/linked.service", "ExecStart=/opt/linked/run");
  s.link(linkedFile, s.etcUnit("linked.service"));
  s.link(s.etcUnit("linked.service"), multiUser + "linked.service");
  auto disable = [](const char* name) {
    return std::vector<std::string>{kSystemctlPath, "disable", "--now", "--", name};
  };

  struct Case {
    std::string path;
    Scope scope;
    std::optional<std::vector<std::string>> stop;  // the administrator's systemctl step
    bool trashed;
  };
  const Case cases[] = {
      {shared, Scope::systemAgent, std::nullopt, true},
      {etc, Scope::systemDaemon, disable("backup.service"), true},
      {local, Scope::systemDaemon, disable("game.service"), false},
      {s.etcUnit("linked.service"), Scope::systemDaemon, disable("linked.service"), false},  // a link stays
  };
  for (const Case& c : cases) {
    s.privilegedCalls.clear();
    LaunchItem item;
    item.path = c.path;
    item.scope = c.scope;
    const LaunchItemRemoval removal = performLaunchItemRemoval(item, s.context);
    EXPECT_EQ(removal.failure, std::nullopt) << c.path;
    size_t step = 0;
    if (c.stop) {
      ASSERT_GE(s.privilegedCalls.size(), 1u) << c.path;
      EXPECT_EQ(s.privilegedCalls[step++], *c.stop) << c.path;
    }
    ASSERT_EQ(s.privilegedCalls.size(), step + (c.trashed ? 1 : 0)) << c.path;
    EXPECT_TRUE(s.processCalls.empty());
    EXPECT_EQ(pathExists(c.path), !c.trashed) << c.path;
    ASSERT_EQ(removal.trashed.has_value(), c.trashed) << c.path;
    if (!c.trashed) continue;
    const auto& move = s.privilegedCalls[step];
    EXPECT_EQ(move, (std::vector<std::string>{"/bin/mv", "-n", "-T", "--", c.path, *removal.trashed->trashPath}));
    EXPECT_EQ(removal.trashed->originalPath, c.path);
    EXPECT_TRUE(pathExists(*removal.trashed->trashPath));
  }
  EXPECT_TRUE(pathExists(linkedFile));
}

TEST(LinuxLaunchItem, ACancelledOrRefusedAdministratorStepChangesNothing) {
  struct Case {
    const char* name;
    PrivilegedResult systemctl;
    PrivilegedResult move;
    std::string message;
    size_t calls;
  };
  const PrivilegedResult ok{Status::succeeded, {}};
  const Case cases[] = {
      {"password prompt cancelled at the stop", {Status::cancelled, {}}, ok, kCancelledMessage, 1},
      {"not authorised",
       {Status::failed, "Error executing command as another user: Not authorized"},
       ok,
       "Error executing command as another user: Not authorized",
       1},
      {"pkexec missing", {Status::notStarted, "pkexec: not found"}, ok, kCouldNotRemoveMessage, 1},
      {"password prompt cancelled at the move", ok, {Status::cancelled, {}}, kCancelledMessage, 2},
      {"move refused", ok, {Status::failed, "mv: cannot move"}, "mv: cannot move", 2},
      {"move claimed but not done", ok, ok, kCouldNotRemoveMessage, 2},
  };
  for (const Case& c : cases) {
    for (Scope scope : {Scope::systemAgent, Scope::systemDaemon}) {
      LinuxSystem s;
      LaunchItem item;
      item.scope = scope;
      if (scope == Scope::systemAgent) {
        item.path = s.entry(s.root + "/etc/xdg/autostart/applet.desktop", "Name=Applet\nExec=applet\n");
      } else {
        item.path = s.unit(s.etcUnit("backup.service"), "ExecStart=/opt/backup");
        s.link(item.path, s.etcUnit("multi-user.target.wants/backup.service"));
      }
      s.privileged = [&](const std::vector<std::string>& argv) {
        return argv[0] == kSystemctlPath ? c.systemctl : c.move;
      };
      // A shared entry has only the move, which then answers as the stop would.
      if (scope == Scope::systemAgent && c.calls == 1) s.privileged = [&](const auto&) { return c.systemctl; };
      const size_t calls = scope == Scope::systemAgent ? 1 : c.calls;
      EXPECT_EQ(performLaunchItemRemoval(item, s.context), (LaunchItemRemoval{c.message, std::nullopt}))
          << c.name << " " << rawValue(scope);
      EXPECT_EQ(s.privilegedCalls.size(), calls) << c.name << " " << rawValue(scope);
      EXPECT_TRUE(pathExists(item.path)) << c.name;
      EXPECT_FALSE(pathExists(trashFilesFolder() + "/" + lastPathComponent(item.path))) << c.name;
    }
  }
}

TEST(LinuxLaunchItem, EveryPieceIsCheckedBeforeAnythingRuns) {
  LinuxSystem s;
  struct Case {
    const char* name;
    std::string path;
    Scope scope;
  };
  const std::string autostart = s.context.userAutostartFolder;
  const Case cases[] = {
      {"apostrophe", autostart + "/it's.desktop", Scope::userAgent},
      {"dots", autostart + "/../autostart/x.desktop", Scope::userAgent},
      {"line break", autostart + "/x\n.desktop", Scope::userAgent},
      {"not an entry", autostart + "/x.txt", Scope::userAgent},
      {"an entry outside the autostart folder", s.home / "x.desktop", Scope::userAgent},
      {"a shared entry outside the shared folders", s.root + "/etc/x.desktop", Scope::systemAgent},
      {"a user's entry given as shared", autostart + "/x.desktop", Scope::systemAgent},
      {"a service outside the unit folders", s.root + "/usr/lib/systemd/system/ssh.service", Scope::systemDaemon},
      {"a unit name systemctl would read as an option", s.etcUnit("-x.service"), Scope::systemDaemon},
      {"a unit name with a shell character", s.userUnit("a$b.service"), Scope::userAgent},
      {"a timer", s.etcUnit("x.timer"), Scope::systemDaemon},
  };
  for (const Case& c : cases) {
    if (makeFolders(parentPath(c.path))) (void)writeFileAtomically(c.path, "[Desktop Entry]\n[Service]\n");
    LaunchItem item;
    item.path = c.path;
    item.scope = c.scope;
    EXPECT_EQ(performLaunchItemRemoval(item, s.context).failure, kUnsupportedFileNameMessage) << c.name;
  }
  EXPECT_TRUE(s.processCalls.empty());
  EXPECT_TRUE(s.privilegedCalls.empty());
  for (const Case& c : cases) EXPECT_TRUE(pathExists(c.path) || c.path.find('\n') != std::string::npos) << c.name;
}

TEST(LinuxLaunchItem, UnitNamesAndKeyedFilesAreReadAsSystemdAndTheDesktopReadThem) {
  for (const char* name : {"sync.service", "worker@one.service", "dbus-org.x:y_z.service"})
    EXPECT_TRUE(isSupportedUnitName(name)) << name;
  for (const char* name : {"", ".service", "-x.service", "a b.service", "a\\x2db.service", "x.timer", "x;y.service"})
    EXPECT_FALSE(isSupportedUnitName(name)) << name;
  EXPECT_TRUE(isGeneratedAutostartUnit("app-org.gnome.Evolution\\x2dalarm\\x2dnotify@autostart.service"));
  EXPECT_FALSE(isGeneratedAutostartUnit("app-sync.service"));

  const auto file = KeyedFile::parse(
      "# comment\n[Desktop Entry]\nName = Sync  \nExec=a\nExec=b\nHidden=true\nX-On=yes\nX-Odd=maybe\n\n[Service]\n"
      "ExecStart=/x\nExecStart=\n; another comment\nExecStart=/y\n");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->value("Desktop Entry", "Name"), "Sync");
  EXPECT_EQ(file->value("Desktop Entry", "Exec"), "b");  // the later line wins
  EXPECT_EQ(file->values("Service", "ExecStart"), (std::vector<std::string>{"/x", "", "/y"}));
  EXPECT_EQ(file->boolean("Desktop Entry", "Hidden"), true);
  EXPECT_EQ(file->boolean("Desktop Entry", "X-On"), true);
  EXPECT_EQ(file->boolean("Desktop Entry", "X-Odd"), std::nullopt);
  EXPECT_EQ(file->value("Service", "Name"), std::nullopt);
  for (const char* text : {"Key=before a group\n[G]\n", "[G]\nno equals sign\n", "[G\nK=V\n", "[G]\n=V\n"})
    EXPECT_FALSE(KeyedFile::parse(text)) << text;
  EXPECT_EQ(unescapeDesktopString("a\\sb\\tc\\\\d\\q"), "a b\tc\\d\\q");
}

TEST(LinuxLaunchItem, AServiceCommandAfterAResetIsTheOneThatRuns) {
  LinuxSystem s;
  s.unit(s.etcUnit("x.service"), "ExecStart=/opt/first\nExecStart=\nExecStart=/opt/second --flag\nRestart=always");
  s.link(s.etcUnit("x.service"), s.etcUnit("multi-user.target.wants/x.service"));
  const auto items = loadLaunchItems(s.context);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].program, "/opt/second");
  EXPECT_TRUE(items[0].keepAlive);
}

TEST(LinuxLaunchItem, TheStandardSourcesFollowTheUsersPlaces) {
  TempHome home;
  Places places = home.places();
  places.configHome = home / "conf";
  places.dataHome = home / "data";
  const LaunchItemContext context = LaunchItemContext::forPlaces(places);
  EXPECT_EQ(context.userAutostartFolder, home / "conf/autostart");
  EXPECT_EQ(context.userUnitFolder, home / "conf/systemd/user");
  EXPECT_EQ(context.systemUnitFolders,
            (std::vector<std::string>{"/etc/systemd/system", "/usr/local/lib/systemd/system"}));
  EXPECT_EQ(context.vendorUnitFolders, (std::vector<std::string>{"/usr/lib/systemd", "/lib/systemd"}));
  EXPECT_EQ(context.applicationFolders.front(), home / "data/applications");
  for (const char* known : {"/var/lib/flatpak/exports/share/applications", "/var/lib/snapd/desktop/applications"})
    EXPECT_NE(std::find(context.applicationFolders.begin(), context.applicationFolders.end(), known),
              context.applicationFolders.end())
        << known;
  EXPECT_EQ(context.flatpakInstallations, (std::vector<std::string>{home / "data/flatpak", "/var/lib/flatpak"}));
  EXPECT_FALSE(context.searchPath.empty());
  EXPECT_FALSE(context.sharedAutostartFolders.empty());
  EXPECT_TRUE(context.clock);
}
