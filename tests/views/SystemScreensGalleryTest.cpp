// Grabs of the Login Items and System Data screens in the main window, for looking at them (not run
// by default):
//   TOLVEX_GALLERY_DIR=/tmp/x test_views --gtest_filter='*SystemScreensGallery*'
// The screens are given what a typical desktop would show: autostart entries and units of well-known
// applications (two left behind by removed ones), the parts of System Data of a Linux desktop with
// plausible sizes and a few snapper and Timeshift snapshots.
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>
#include <QScrollArea>
#include <map>
#include <mutex>
#include <set>

#include "app/ObjectNames.h"
#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "views/ExplorerFixture.h"
#include "views/cleanup/LaunchItemList.h"
#include "views/cleanup/LoginItemsView.h"
#include "views/cleanup/SystemDataView.h"

using namespace tolvex;
using namespace tolvex::test;
using Scope = LaunchItem::Scope;

namespace {

constexpr int64_t kGB = 1'000'000'000;

LaunchItem agent(Scope scope, const std::string& file, std::optional<std::string> program,
                 std::optional<std::string> owner, std::optional<std::string> ownerPath, bool atLoad, bool keepAlive,
                 bool orphan = false) {
  LaunchItem item;
  const bool unit = file.ends_with(".service");
  const char* folder = scope == Scope::userAgent
                           ? (unit ? "/home/me/.config/systemd/user/" : "/home/me/.config/autostart/")
                       : scope == Scope::systemAgent ? "/etc/xdg/autostart/"
                                                     : "/etc/systemd/system/";
  item.path = folder + file;
  item.label = unit ? file : file.substr(0, file.size() - std::string(".desktop").size());
  item.program = std::move(program);
  item.scope = scope;
  item.runAtLoad = atLoad;
  item.keepAlive = keepAlive;
  item.ownerName = std::move(owner);
  item.ownerPath = std::move(ownerPath);
  item.isOrphan = orphan;
  return item;
}

std::vector<LaunchItem> typicalLaunchItems() {
  std::vector<LaunchItem> items = {
      agent(Scope::userAgent, "slack.desktop", "slack", "Slack", "/usr/share/applications/slack.desktop", true, false),
      agent(Scope::userAgent, "com.discordapp.Discord.desktop", "flatpak", {}, {}, true, false, true),
      agent(Scope::userAgent, "org.keepassxc.KeePassXC.desktop", "keepassxc", "KeePassXC",
            "/usr/share/applications/org.keepassxc.KeePassXC.desktop", false, false),
      agent(Scope::userAgent, "syncthing.service", "/usr/bin/syncthing", "Syncthing",
            "/usr/share/applications/syncthing-start.desktop", true, true),
      agent(Scope::userAgent, "backup-notes.service", "/home/me/bin/backup-notes", {}, {}, true, false, true),
      agent(Scope::systemAgent, "nextcloud.desktop", "nextcloud", "Nextcloud",
            "/usr/share/applications/com.nextcloud.desktopclient.nextcloud.desktop", true, false),
      agent(Scope::systemAgent, "print-applet.desktop", "/usr/bin/print-applet", {}, {}, true, false),
      agent(Scope::systemDaemon, "minecraft-server.service", "/opt/minecraft/start.sh", {}, {}, true, true),
      agent(Scope::systemDaemon, "restic-backup.service", "/usr/local/bin/restic", {}, {}, true, false),
  };
  std::stable_sort(items.begin(), items.end(), launchItemOrder);
  return items;
}

// What a Debian desktop with Flatpak, a swap file and snapper would show; apt's partial downloads
// are not readable to the user, so that part is a lower bound.
std::vector<SystemDataPart> typicalParts() {
  const std::map<std::string, int64_t> sizes = {{"vartmp", 184'000'000},    {"packages", 1'420'000'000},
                                                {"updateDownloads", 0},     {"runtimes", 7'930'000'000},
                                                {"snaps", 0},               {"journal", 3'960'000'000},
                                                {"coredumps", 96'000'000}, {"kernels", 1'210'000'000}};
  std::vector<SystemDataPart> parts;
  std::vector<SystemDataPart::Row> rows = SystemDataPart::linuxRows();
  const auto swap = swapFileRows("Filename Type Size Used Priority\n/swapfile file 4194300 0 -2\n");
  rows.insert(rows.end(), swap.begin(), swap.end());
  for (const SystemDataPart::Row& row : rows) {
    const int64_t size = row.id == "swap" ? 4'294'967'296 : sizes.at(row.id);
    if (size < 1) continue;
    SystemDataPart part{row.id, row.title, row.explanation, row.advice, size, row.path, row.risk, row.symbol};
    part.partial = row.id == "packages";
    parts.push_back(part);
  }
  sortSystemDataParts(parts);
  return parts;
}

std::vector<LocalSnapshot> typicalSnapshots() {
  return {{"root:118", 1'731'075'302},
          {"2024-11-08_13-00-01", 1'731'071'201},
          {"root:117", 1'731'068'089},
          {"2024-11-07_13-00-01", 1'730'984'801}};
}

void grab(MainWindow& window, QWidget* screen, const QString& stem) {
  for (QSize size : {QSize(1040, 680), QSize(1400, 900)}) {
    window.resize(size);
    for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
      Appearance::apply(look);
      waitUntil([] { return false; }, 120);
      const QString name = stem + "-" + QString::number(size.width()) + "-" + rawValue(look);
      window.grab().save(name + ".png");
      if (auto* scroll = screen->findChild<QScrollArea*>()) scroll->widget()->grab().save(name + "-full.png");
    }
  }
  Appearance::apply(AppAppearance::light);
}

}  // namespace

TEST(SystemScreensGallery, GrabsLoginItemsAndSystemDataInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-system"));
  QDir().mkpath(dir);
  FakeServices services;

  struct Variant {
    const char* name;
    bool empty;
    bool outcome;
    bool loading = false;  // the loaders are held until the grabs are made
  };
  for (const Variant& v : {Variant{"full", false, false}, Variant{"outcome", false, true},
                           Variant{"empty", true, false}, Variant{"loading", true, false, true}}) {
    auto held = std::make_shared<Gate>();
    if (!v.loading) held->open();
    AppFixture fixture;
    AppEnvironment env = fixture.environment();
    env.readVolume = [] {
      return std::optional<VolumeInfo>(VolumeInfo{"Macintosh HD", 994'662'584'320, 212'400'000'000, 236'420'000'000});
    };
    AppState state(env);
    waitUntil([&] { return !state.isRestoringScan(); });
    MainWindow window(state);
    const bool empty = v.empty;
    // Items removed from the fixture's list stay removed (a user agent goes; a shared item's
    // administrator prompt is cancelled).
    auto removed = std::make_shared<std::set<std::string>>();
    auto mutex = std::make_shared<std::mutex>();
    window.router()->setFactory([empty, removed, mutex, held](AppSection section, AppState& s) -> QWidget* {
      if (section == AppSection::loginItems) {
        LoginItemsLoaders loaders{[empty, removed, mutex, held] {
                                    held->wait();
                                    std::vector<LaunchItem> items;
                                    std::lock_guard lock(*mutex);
                                    for (LaunchItem& item : empty ? std::vector<LaunchItem>() : typicalLaunchItems())
                                      if (!removed->contains(item.path)) items.push_back(std::move(item));
                                    return items;
                                  },
                                  [removed, mutex](const LaunchItem& item) -> LaunchItemRemoval {
                                    if (item.scope != Scope::userAgent)
                                      return {std::string("Cancelled."), std::nullopt};
                                    std::lock_guard lock(*mutex);
                                    removed->insert(item.path);
                                    if (!item.path.ends_with(".desktop")) return {};  // a unit only stops
                                    return {std::nullopt, HistoryEntry{"ID", 0, item.path, "/trash", 0, false}};
                                  }};
        return new LoginItemsView(s, loaders);
      }
      if (section == AppSection::systemData) {
        SystemDataLoaders loaders{[empty, held](const ScanResult*, const SystemDataProgress& progress) {
                                    progress(3, 9);
                                    held->wait();
                                    return empty ? std::vector<SystemDataPart>() : typicalParts();
                                  },
                                  [empty] { return empty ? std::vector<LocalSnapshot>() : typicalSnapshots(); },
                                  [](const LocalSnapshot&) { return std::optional<std::string>("Cancelled."); }};
        return new SystemDataView(s, loaders);
      }
      return SectionRouter::makeScreen(section, s);
    });
    window.show();

    state.setSection(AppSection::loginItems);
    auto* logins = qobject_cast<LoginItemsView*>(window.router()->currentScreen());
    ASSERT_TRUE(logins);
    if (!v.loading) waitUntil([&] { return !logins->loading(); });
    if (v.outcome) {
      logins->list()->selectPath(logins->items().at(3).path);
      logins->remove(logins->items().at(4));
      waitUntil([&] { return logins->message().has_value() && !logins->loading(); });
    }
    grab(window, logins, dir + "/login-" + v.name);

    state.setSection(AppSection::systemData);
    auto* data = qobject_cast<SystemDataView*>(window.router()->currentScreen());
    ASSERT_TRUE(data);
    if (!v.loading) waitUntil([&] { return !data->loading(); });
    if (v.outcome) {
      data->deleteSnapshot(data->snapshots().front());
      waitUntil([&] { return data->snapshotMessage().has_value(); });
    }
    grab(window, data, dir + "/system-" + v.name);
    held->open();
    waitUntil([&] { return !data->loading(); });
    state.waitForBackgroundWork();
  }
}
