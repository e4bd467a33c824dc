#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/Paths.h"
#include "platform/RunningApps.h"
#include "support/LinuxDesktop.h"
#include "support/RemovedAppReports.h"
#include "system/AppInventory.h"
#include "system/DesktopApps.h"
#include "system/Leftover.h"
#include "system/PackageSources.h"
#include "system/RemovedAppWatcher.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t KiB = 1024;

// A desktop with one application of each kind, a broken entry, a system entry the user hid, and two
// hand-installed tools that both claim ~/.config/mytool.
struct Fixture : LinuxDesktop {
  std::string maps, paint, notes, krita, mytool, beta;

  Fixture() {
    program(inRoot("usr/bin/gnome-maps"));
    maps = dpkgApp("gnome-maps", "org.gnome.Maps.desktop",
                   entry("Maps", "gnome-maps %U", "Name[de]=Karten\nIcon=org.gnome.Maps\n"), "43.0-1", 2048);
    dpkgApp("viewer", "viewer.desktop", entry("Viewer", "viewer"), "1.0", 10);
    userEntry("viewer.desktop", "[Desktop Entry]\nHidden=true\n");
    write(inRoot("usr/share/applications/broken.desktop"), "[Desktop Entry]\nName=\xff\n");
    write(inRoot("usr/share/applications/kde-only.desktop"), entry("KDE Tool", "kdetool", "OnlyShowIn=KDE;\n"));

    paint = flatpak("org.example.Paint", "Paint", 256 * KiB, "2.1");
    homeTree().allocatedFile(".var/app/org.example.Paint/cache/c", 64 * KiB);
    homeTree().allocatedFile(".var/app/org.example.Paint/config/settings", 8 * KiB);
    homeTree().allocatedFile(".var/app/org.example.Paint/data/d", 16 * KiB);
    homeTree().folder(".var/app/org.example.Paint/.ld.so");

    notes = snap("notes", "12", 128 * KiB, "3.4");
    homeTree().allocatedFile("snap/notes/common/db", 32 * KiB);

    krita = appImage("Krita-5.2-x86_64.AppImage", "Krita", 512 * KiB,
                     "X-AppImage-Version=5.2\nIcon=appimagekit_0123_krita\nStartupWMClass=krita\n");
    homeTree().allocatedFile(".config/krita/kritarc", 4 * KiB);
    homeTree().allocatedFile(".local/share/krita/brushes", 40 * KiB);
    homeTree().allocatedFile(".local/share/icons/hicolor/256x256/apps/appimagekit_0123_krita.png", 4 * KiB);

    program(inHome("opt/mytool/mytool"));
    program(inHome("opt/mytool/mytool-beta"));
    mytool = userEntry("mytool.desktop", entry("My Tool", inHome("opt/mytool/mytool")));
    beta = userEntry("mytool-beta.desktop", entry("My Tool Beta", inHome("opt/mytool/mytool-beta"), "Icon=mytool\n"));
    homeTree().allocatedFile(".config/mytool/config", 4 * KiB);
    homeTree().allocatedFile(".config/dconf/user", 4 * KiB);  // the desktop's, whatever claims it
  }

  std::map<std::string, InstalledApp> byName() const {
    std::map<std::string, InstalledApp> apps;
    for (InstalledApp& app : AppInventory::installedApps(context())) apps.emplace(app.name, std::move(app));
    return apps;
  }
};

std::map<std::string, std::string> itemLabels(const InstalledApp& app) {
  std::map<std::string, std::string> items;
  for (const RelatedItem& item : app.related) items.emplace(item.path, item.label);
  return items;
}

}  // namespace

TEST(DesktopApps, OneRecordPerVisibleApplicationOfEachKind) {
  Fixture desktop;
  const auto apps = desktop.byName();
  std::vector<std::string> names;
  for (const auto& [name, app] : apps) names.push_back(name);
  // Localised name; the hidden, broken and KDE-only entries are not listed.
  EXPECT_EQ(names, (std::vector<std::string>{"Karten", "Krita", "My Tool", "My Tool Beta", "Paint", "notes"}));

  const struct {
    const char* name;
    AppKind kind;
    std::string path;
    const char* bundleID;
    std::optional<std::string> version;
    bool isApple;
    bool isAppStore;
    bool refused;
  } cases[] = {
      {"Karten", AppKind::systemPackage, desktop.maps, "org.gnome.Maps", "43.0-1", true, false, true},
      {"Paint", AppKind::flatpak, desktop.paint, "org.example.Paint", "2.1", false, true, true},
      {"notes", AppKind::snap, desktop.notes, "notes", "3.4", false, true, true},
      {"Krita", AppKind::appImage, desktop.krita, "Krita", "5.2", false, false, false},
      {"My Tool", AppKind::handInstalled, desktop.mytool, "mytool", std::nullopt, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const InstalledApp& app = apps.at(c.name);
    EXPECT_EQ(app.kind, c.kind);
    EXPECT_EQ(app.path, c.path);
    EXPECT_EQ(app.bundleID, c.bundleID);
    EXPECT_EQ(app.version, c.version);
    EXPECT_EQ(app.isApple, c.isApple);
    EXPECT_EQ(app.isAppStore, c.isAppStore);
    EXPECT_EQ(app.isUninstallRefused(), c.refused);
  }
  EXPECT_EQ(apps.at("Karten").desktopID, "org.gnome.Maps.desktop");
  EXPECT_EQ(apps.at("Karten").program, desktop.inRoot("usr/bin/gnome-maps"));
}

TEST(DesktopApps, SizesAndRelatedItemsFromEachKindsOwnSources) {
  Fixture desktop;
  const auto apps = desktop.byName();
  EXPECT_EQ(apps.at("Karten").appSize, 2048 * KiB) << "dpkg's Installed-Size";
  EXPECT_GE(apps.at("Paint").appSize, 256 * KiB) << "the active deploy, measured";
  EXPECT_LT(apps.at("Paint").appSize, 512 * KiB);
  EXPECT_EQ(apps.at("notes").appSize, 128 * KiB) << "the mounted revision's .snap file";
  EXPECT_EQ(apps.at("Krita").appSize, 512 * KiB);
  EXPECT_EQ(apps.at("My Tool").appSize, 0);

  const std::string home = desktop.home();
  EXPECT_EQ(itemLabels(apps.at("Paint")), (std::map<std::string, std::string>{
                                              {home + "/.var/app/org.example.Paint/.ld.so", "App data"},
                                              {home + "/.var/app/org.example.Paint/cache", "Cache"},
                                              {home + "/.var/app/org.example.Paint/config", "Configuration"},
                                              {home + "/.var/app/org.example.Paint/data", "Data"}}));
  EXPECT_EQ(apps.at("Paint").related.front().path, home + "/.var/app/org.example.Paint/cache") << "largest first";
  EXPECT_EQ(itemLabels(apps.at("notes")), (std::map<std::string, std::string>{{home + "/snap/notes", "Snap data"}}));
  EXPECT_EQ(itemLabels(apps.at("Krita")),
            (std::map<std::string, std::string>{
                {home + "/.config/krita", "Configuration"},
                {home + "/.local/share/krita", "Data"},
                {home + "/.local/share/applications/appimagekit_0123-Krita.desktop", "Launcher"},
                {home + "/.local/share/icons/hicolor/256x256/apps/appimagekit_0123_krita.png", "Icon"}}));
  // ~/.config/mytool is claimed by both tools, so neither gets it; each keeps its own program.
  EXPECT_EQ(itemLabels(apps.at("My Tool")),
            (std::map<std::string, std::string>{{home + "/opt/mytool/mytool", "Program"}}));
  EXPECT_EQ(itemLabels(apps.at("My Tool Beta")),
            (std::map<std::string, std::string>{{home + "/opt/mytool/mytool-beta", "Program"}}));
  EXPECT_TRUE(itemLabels(apps.at("Karten")).empty());
}

TEST(DesktopApps, ByNameDataIgnoresShortNamesAndSharedFolders) {
  LinuxDesktop desktop;
  desktop.program(desktop.inRoot("usr/bin/vi"));
  desktop.program(desktop.inRoot("usr/bin/pulse"));
  desktop.dpkgApp("vi", "vi.desktop", LinuxDesktop::entry("Vi", "vi"), "1", 1);
  desktop.dpkgApp("pulse", "pulse.desktop", LinuxDesktop::entry("Pulse", "pulse", "StartupWMClass=Editor\n"), "1", 1);
  desktop.homeTree().allocatedFile(".config/vi/x", 4 * KiB);        // "vi" is too short a name
  desktop.homeTree().allocatedFile(".config/pulse/x", 4 * KiB);     // the desktop's sound settings
  desktop.homeTree().allocatedFile(".config/EDITORrc", 4 * KiB);    // KDE's settings file, any case
  desktop.homeTree().allocatedFile(".editor/state", 4 * KiB);       // an old-style dot folder
  desktop.homeTree().allocatedFile(".local/state/editor/log", 4 * KiB);
  desktop.homeTree().allocatedFile(".config/autostart/pulse.desktop", 4 * KiB);
  std::map<std::string, InstalledApp> apps;
  for (InstalledApp& app : AppInventory::installedApps(desktop.context())) apps.emplace(app.name, std::move(app));
  EXPECT_TRUE(apps.at("Vi").related.empty());
  const std::string home = desktop.home();
  EXPECT_EQ(itemLabels(apps.at("Pulse")), (std::map<std::string, std::string>{
                                              {home + "/.config/EDITORrc", "Configuration"},
                                              {home + "/.editor", "Data"},
                                              {home + "/.local/state/editor", "State"},
                                              {home + "/.config/autostart/pulse.desktop", "Login item"}}));
  for (const char* name : {"dconf", "gtk-3.0", "plasmarc", "kdeglobals", "applications", "mimeapps.list"})
    EXPECT_TRUE(DesktopInventory::isSharedFolderName(name)) << name;
  EXPECT_FALSE(DesktopInventory::isSharedFolderName("krita"));
}

TEST(DesktopApps, SearchPathAddsFlatpakAndSnapExportsTheVariableLeavesOut) {
  LinuxDesktop desktop;
  const std::string root = desktop.root();
  auto sources = [&](std::optional<std::string> dataDirs) {
    return DesktopSources::forUser(Places::forHome(desktop.home()),
                                   [dataDirs](const char* name) -> std::optional<std::string> {
                                     if (std::string(name) == "XDG_DATA_DIRS") return dataDirs;
                                     return std::nullopt;
                                   },
                                   root)
        .dataDirs;
  };
  const std::string dataHome = desktop.home() + "/.local/share";
  EXPECT_EQ(sources(std::nullopt),
            (std::vector<std::string>{dataHome, root + "/usr/local/share", root + "/usr/share",
                                      dataHome + "/flatpak/exports/share", root + "/var/lib/flatpak/exports/share",
                                      root + "/var/lib/snapd/desktop"}));
  EXPECT_EQ(sources("/opt/share:" + root + "/var/lib/snapd/desktop/:relative"),
            (std::vector<std::string>{dataHome, "/opt/share", root + "/var/lib/snapd/desktop",
                                      dataHome + "/flatpak/exports/share", root + "/var/lib/flatpak/exports/share"}));
}

TEST(DesktopApps, DpkgKnowsInstalledPackagesOnly) {
  LinuxDesktop desktop;
  const std::string entry = desktop.dpkgApp("editor", "editor.desktop", LinuxDesktop::entry("Editor", "editor"), "2:1.4", 300);
  desktop.write(desktop.inRoot("var/lib/dpkg/info/removed-app.list"), "/usr/share/applications/removed.desktop\n");
  const DpkgDatabase dpkg(desktop.inRoot("var/lib/dpkg"), desktop.root());
  EXPECT_EQ(dpkg.ownerOf(entry), "editor");
  EXPECT_FALSE(dpkg.ownerOf(desktop.inRoot("usr/share/applications/removed.desktop")));
  EXPECT_FALSE(dpkg.installed("removed-app")) << "only its settings are left";
  const auto package = dpkg.installed("editor");
  ASSERT_TRUE(package);
  EXPECT_EQ(package->version, "2:1.4");
  EXPECT_EQ(package->installedSize, 300 * KiB);
}

TEST(DesktopApps, LastUseFromTheShellOrFromFiles) {
  Fixture desktop;
  desktop.write(desktop.inHome(".local/share/gnome-shell/application_state"),
                "<?xml version=\"1.0\"?>\n<application-state>\n<context id=\"\">\n"
                "<application id=\"org.gnome.Maps.desktop\" open-window-count=\"0\" score=\"4\" last-seen=\"1700000000\"/>\n"
                "<application id=\"bad.desktop\" last-seen=\"soon\"/>\n</context>\n</application-state>\n");
  desktop.homeTree().times(".config/krita", 1600000000, 1600000000);
  desktop.homeTree().times("Applications/Krita-5.2-x86_64.AppImage", 1500000000, 1650000000);
  const auto seen = DesktopInventory::lastSeen(desktop.sources());
  EXPECT_EQ(seen, (std::map<std::string, double>{{"org.gnome.Maps.desktop", 1700000000}}));
  const auto apps = desktop.byName();
  EXPECT_EQ(apps.at("Karten").lastUsed, 1700000000);
  ASSERT_TRUE(apps.at("Krita").lastUsed);
  EXPECT_GE(*apps.at("Krita").lastUsed, 1650000000) << "the program's access, or newer data";
}

TEST(RunningDesktopApps, ControlGroupsFlatpakInstancesAndExecutables) {
  using Ids = std::vector<std::string>;
  const struct {
    const char* cgroup;
    Ids ids;
  } cases[] = {
      {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-gnome-org.gnome.Maps-4321.scope\n",
       Ids{"gnome", "org.gnome.Maps"}},
      {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-flatpak-org.example.Paint-99.scope\n",
       Ids{"flatpak", "org.example.Paint"}},
      {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-gnome-my\\x2dtool@ab12.service\n",
       Ids{"gnome", "my-tool"}},
      {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-org.gnome.Terminal.service/sub\n",
       Ids{"org.gnome.Terminal"}},
      {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/snap.notes.notes-1c2d.scope\n", Ids{"notes"}},
      {"0::/system.slice/cron.service\n", Ids{}},
      {"", Ids{}},
  };
  for (const auto& c : cases) EXPECT_EQ(cgroupApplications(c.cgroup), c.ids) << c.cgroup;

  LinuxDesktop desktop;
  desktop.write(desktop.inRoot("proc/101/cgroup"), cases[0].cgroup);
  desktop.rootTree().symlink("/usr/bin/gnome-maps", "proc/101/exe");
  desktop.rootTree().symlink(desktop.inHome("Applications/Krita.AppImage") + " (deleted)", "proc/102/exe");
  desktop.rootTree().folder("proc/self-is-not-a-process");
  desktop.write(desktop.inHome("run/.flatpak/7/info"), "[Application]\nname=org.example.Paint\nruntime=x\n");
  const Ids running = runningDesktopApplications(desktop.inRoot("proc"), desktop.inHome("run"));
  EXPECT_EQ(running, (Ids{desktop.inHome("Applications/Krita.AppImage"), "/usr/bin/gnome-maps", "gnome",
                          "org.example.Paint", "org.gnome.Maps"}));
  InstalledApp krita;
  krita.bundleID = "Krita";
  krita.program = desktop.inHome("Applications/Krita.AppImage");
  EXPECT_TRUE(krita.isRunning(running)) << "by its executable";
  InstalledApp other;
  other.bundleID = "org.example.Other";
  EXPECT_FALSE(other.isRunning(running));
}

TEST(DesktopLeftovers, DataOfRemovedFlatpaksAndSnapsAndUnclaimedIdentifiers) {
  Fixture desktop;
  // The Flatpak is uninstalled; its data in ~/.var/app stays behind.
  removeTree(desktop.paint);
  removeTree(desktop.inRoot("var/lib/flatpak/exports/share/applications/org.example.Paint.desktop"));
  desktop.homeTree().allocatedFile("snap/oldsnap/common/db", 80 * KiB);
  desktop.homeTree().allocatedFile(".config/com.example.Gone/settings", 80 * KiB);
  desktop.homeTree().allocatedFile(".config/com.example.Small/settings", 4 * KiB);
  desktop.homeTree().allocatedFile(".config/PlainName/settings", 80 * KiB);
  desktop.homeTree().allocatedFile(".config/org.gnome.Maps/state", 80 * KiB);  // its desktop ID
  desktop.homeTree().allocatedFile(".local/share/org.example.Service/db", 80 * KiB);
  desktop.write(desktop.inRoot("usr/share/dbus-1/services/org.example.Service.service"), "[D-BUS Service]\n");
  desktop.homeTree().allocatedFile(".cache/org.example.Schema/x", 80 * KiB);
  desktop.write(desktop.inRoot("usr/share/glib-2.0/schemas/org.example.Schema.gschema.xml"), "<schemalist/>");
  desktop.homeTree().allocatedFile(".cache/org.example.Tool/x", 80 * KiB);
  desktop.write(desktop.inRoot("usr/share/metainfo/org.example.Tool.metainfo.xml"), "<component/>");
  desktop.homeTree().allocatedFile(".local/state/org.freedesktop.Tracker3/x", 80 * KiB);
  desktop.homeTree().allocatedFile(".local/state/com.tolvex.Tolvex.helper/x", 80 * KiB);
  desktop.homeTree().allocatedFile(".cache/org.gnome.Maps.Helper/x", 80 * KiB);  // a helper of an installed app

  const InventoryContext context = desktop.context();
  const auto apps = AppInventory::installedApps(context);
  std::map<std::string, std::string> found;
  for (const Leftover& leftover : AppInventory::findLeftovers(apps, context)) found[leftover.identifier] = leftover.location;
  EXPECT_EQ(found, (std::map<std::string, std::string>{{"org.example.Paint", "Flatpak data"},
                                                       {"oldsnap", "Snap data"},
                                                       {"com.example.Gone", "Configuration"}}));
  const auto leftovers = AppInventory::findLeftovers(apps, context);
  ASSERT_FALSE(leftovers.empty());
  EXPECT_EQ(leftovers.front().path, desktop.inHome(".var/app/org.example.Paint")) << "largest first";
}

namespace {

using Reports = RemovedAppReports;

// A watcher over the fixture desktop, started, its first snapshot taken; every item measures 6 MB.
struct Watching {
  InventoryContext context;
  Reports reports;
  RemovedAppWatcher watcher;
  explicit Watching(const LinuxDesktop& desktop)
      : context(measuredAt(desktop.context(), 6'000'000)), watcher(context, std::chrono::milliseconds(50)) {
    watcher.start(reports.callback());
    watcher.waitUntilIdle();
  }
  static InventoryContext measuredAt(InventoryContext context, int64_t bytes) {
    context.measure = [bytes](const std::string&) { return bytes; };
    return context;
  }
};

bool eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 6000 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return condition();
}

}  // namespace

TEST(DesktopRemovedApps, UpdatesAndHiddenCopiesAreNotRemovalsARemovedFlatpakIsReportedOnce) {
  Fixture desktop;
  Watching watching(desktop);
  RemovedAppWatcher& watcher = watching.watcher;
  Reports& reports = watching.reports;
  ASSERT_TRUE(watcher.known().contains(desktop.paint));

  // dpkg updates an entry beside it and renames it; Flatpak replaces its exported link; the user
  // hides a system application; snapd is caught refreshing a snap. None of these is a removal.
  const std::string mapsEntry = desktop.maps;
  desktop.write(mapsEntry + ".dpkg-new", LinuxDesktop::entry("Maps", "gnome-maps", "Name[de]=Karten\n"));
  ASSERT_EQ(::rename((mapsEntry + ".dpkg-new").c_str(), mapsEntry.c_str()), 0);
  const std::string paintEntry = desktop.inRoot("var/lib/flatpak/exports/share/applications/org.example.Paint.desktop");
  removeTree(paintEntry);
  desktop.write(paintEntry, LinuxDesktop::entry("Paint", "flatpak run org.example.Paint", "X-Flatpak=org.example.Paint\n"));
  desktop.userEntry("org.gnome.Maps.desktop", "[Desktop Entry]\nHidden=true\n");
  // snapd rewrites its entries on a refresh: caught without one, the snap is still mounted.
  removeTree(desktop.inRoot("var/lib/snapd/desktop/applications/notes_notes.desktop"));
  watcher.rescan();
  watcher.waitUntilIdle();
  EXPECT_TRUE(reports.ids().empty());
  EXPECT_FALSE(watcher.known().contains(desktop.maps)) << "hidden, so no longer listed";

  // The Flatpak is uninstalled: its deploy folder and its exported entry go.
  removeTree(desktop.paint);
  removeTree(paintEntry);
  ASSERT_TRUE(reports.waitFor(1));
  watcher.waitUntilIdle();
  watcher.rescan();
  watcher.waitUntilIdle();
  EXPECT_EQ(reports.ids(), std::vector<std::string>{"org.example.Paint"}) << "once";
  std::vector<std::string> paths;
  for (const RelatedItem& item : reports.apps[0].items) paths.push_back(item.path);
  std::sort(paths.begin(), paths.end());
  const std::string data = desktop.inHome(".var/app/org.example.Paint/");
  EXPECT_EQ(paths, (std::vector<std::string>{data + ".ld.so", data + "cache", data + "config", data + "data"}));
}

TEST(DesktopRemovedApps, AFolderThatAppearsLaterIsWatchedFromThenOn) {
  Fixture desktop;
  Watching watching(desktop);
  RemovedAppWatcher& watcher = watching.watcher;
  Reports& reports = watching.reports;
  const size_t before = watcher.sourceCount();
  // The user's first Flatpak: the user installation and its exports appear only now.
  const std::string installation = desktop.inHome(".local/share/flatpak");
  desktop.homeTree().allocatedFile(".local/share/flatpak/app/org.example.Late/x86_64/stable/c1/files/bin/late", 4096);
  desktop.homeTree().symlink("x86_64/stable", ".local/share/flatpak/app/org.example.Late/current");
  desktop.homeTree().symlink("c1", ".local/share/flatpak/app/org.example.Late/x86_64/stable/active");
  const std::string entry = installation + "/exports/share/applications/org.example.Late.desktop";
  desktop.write(entry, LinuxDesktop::entry("Late", "flatpak run org.example.Late", "X-Flatpak=org.example.Late\n"));
  desktop.homeTree().allocatedFile(".var/app/org.example.Late/data/d", 4096);
  ASSERT_TRUE(eventually([&] { return watcher.sourceCount() == before + 1; }));
  ASSERT_TRUE(eventually([&] {
    watcher.waitUntilIdle();
    return watcher.known().contains(installation + "/app/org.example.Late");
  }));
  removeTree(installation + "/app/org.example.Late");
  removeTree(entry);
  ASSERT_TRUE(reports.waitFor(1));
  EXPECT_EQ(reports.ids(), std::vector<std::string>{"org.example.Late"});
}
