// The Applications screen and its inspector over a Linux desktop: the kinds' captions and refusals,
// the uninstall plan of an AppImage, and the system apps filter.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMenu>
#include <QPushButton>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/SymbolView.h"
#include "support/LinuxDesktop.h"
#include "support/qt/AppFixture.h"
#include "system/AppInventory.h"
#include "views/cleanup/AppDetailPane.h"
#include "views/cleanup/ApplicationsView.h"
#include "views/cleanup/RecordTable.h"
#include "views/cleanup/logic/AppList.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr int64_t KiB = 1024;

struct DesktopScreen {
  LinuxDesktop desktop;
  std::string maps, paint, notes, krita;
  AppFixture fixture;
  std::unique_ptr<AppState> state;
  std::unique_ptr<ApplicationsView> view;

  DesktopScreen() {
    desktop.program(desktop.inRoot("usr/bin/gnome-maps"));
    maps = desktop.dpkgApp("gnome-maps", "org.gnome.Maps.desktop", LinuxDesktop::entry("Maps", "gnome-maps"), "43.0", 2048);
    paint = desktop.flatpak("org.example.Paint", "Paint", 64 * KiB, "2.1");
    desktop.homeTree().allocatedFile(".var/app/org.example.Paint/cache/c", 8 * KiB);
    notes = desktop.snap("notes", "7", 64 * KiB, "3.4");
    krita = desktop.appImage("Krita.AppImage", "Krita", 128 * KiB, "Icon=krita-icon\n");
    desktop.homeTree().allocatedFile(".config/krita/kritarc", 8 * KiB);
    desktop.homeTree().allocatedFile(".local/share/icons/hicolor/64x64/apps/krita-icon.png", 4 * KiB);

    AppEnvironment env = fixture.environment();
    const InventoryContext context = desktop.context();
    env.installedApps = [context] { return AppInventory::installedApps(context); };
    env.findLeftovers = [context](const std::vector<InstalledApp>& apps) { return AppInventory::findLeftovers(apps, context); };
    env.runningApplications = [] { return std::vector<std::string>{}; };
    state = std::make_unique<AppState>(env);
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
    view = std::make_unique<ApplicationsView>(*state);
    view->resize(1100, 700);
    view->show();
    waitOrFail([&] { return !state->appsLoading() && !state->apps().empty(); }, "the applications are measured");
    settle();
  }
  ~DesktopScreen() {
    state->waitForBackgroundWork();
    QCoreApplication::processEvents();
  }
  static void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }
  AppInspector* select(const std::string& path) {
    view->table()->setSelection({path});
    settle();
    return view->inspector();
  }
  std::vector<std::string> listedNames() const {
    std::vector<std::string> names;
    for (const InstalledApp& app : view->listed()) names.push_back(app.name);
    std::sort(names.begin(), names.end());
    return names;
  }
};

}  // namespace

TEST(DesktopAppsView, KindsCaptionsAndTheSystemAppsFilter) {
  DesktopScreen s;
  auto* hide = s.view->findChild<QCheckBox*>(QLatin1String(names::appsHideApple));
  ASSERT_TRUE(hide);
  EXPECT_EQ(hide->text(), QStringLiteral("Hide system apps"));
  EXPECT_EQ(s.listedNames(), (std::vector<std::string>{"Krita", "Paint", "notes"})) << "the system package is hidden";
  hide->click();
  s.settle();
  EXPECT_EQ(s.listedNames(), (std::vector<std::string>{"Krita", "Maps", "Paint", "notes"}));

  const struct {
    std::string path;
    const char* caption;
  } cases[] = {{s.paint, "v2.1 \u00B7 Flatpak"}, {s.notes, "v3.4 \u00B7 Snap"}, {s.maps, "v43.0 \u00B7 System"}, {s.krita, ""}};
  for (const auto& c : cases) {
    const InstalledApp* app = findApp(s.state->apps(), c.path);
    ASSERT_TRUE(app) << c.path;
    EXPECT_EQ(appCaptionLine(*app), QString::fromUtf8(c.caption)) << c.path;
  }
}

TEST(DesktopAppsView, PackagedAppsAreRefusedWithHowToRemoveThem) {
  DesktopScreen s;
  s.view->findChild<QCheckBox*>(QLatin1String(names::appsHideApple))->click();
  s.settle();
  const struct {
    std::string path;
    const char* lock;
  } cases[] = {
      {s.paint, "Installed with Flatpak. Remove it in your software centre or with \u201Cflatpak uninstall\u201D."},
      {s.notes, "Installed as a Snap. Remove it in your software centre or with \u201Csnap remove\u201D."},
      {s.maps, "Installed by the system\u2019s package manager."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    AppInspector* inspector = s.select(c.path);
    ASSERT_TRUE(inspector);
    EXPECT_FALSE(inspector->findChild<QPushButton*>(QLatin1String(names::appInspectorUninstall)));
    auto* lock = inspector->findChild<SymbolLabel*>(QLatin1String(names::appInspectorAppleLock));
    ASSERT_TRUE(lock);
    EXPECT_EQ(lock->text(), QString::fromUtf8(c.lock));
    std::unique_ptr<QMenu> menu(s.view->buildContextMenu({c.path}));
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_FALSE(menu->actions().at(1)->isEnabled());
    // Even asked directly, the store makes no plan: no package tool is ever run, nothing is trashed.
    s.state->planUninstall(*findApp(s.state->apps(), c.path));
    EXPECT_FALSE(s.state->plan());
  }
}

TEST(DesktopAppsView, UninstallingAnAppImagePlansTheFileItsLauncherIconAndData) {
  DesktopScreen s;
  AppInspector* inspector = s.select(s.krita);
  ASSERT_TRUE(inspector);
  auto* button = inspector->findChild<QPushButton*>(QLatin1String(names::appInspectorUninstall));
  ASSERT_TRUE(button);
  ASSERT_TRUE(button->isEnabled());
  button->click();
  ASSERT_TRUE(s.state->plan());
  EXPECT_EQ(s.state->plan()->title, QStringLiteral("Uninstall Krita"));
  std::vector<std::string> paths;
  for (const PlanItem& item : s.state->plan()->items) {
    paths.push_back(item.path);
    EXPECT_EQ(item.removal, Removal::trash) << item.path;
  }
  ASSERT_FALSE(paths.empty());
  EXPECT_EQ(paths.front(), s.krita) << "the AppImage first";
  std::sort(paths.begin() + 1, paths.end());
  EXPECT_EQ(std::vector<std::string>(paths.begin() + 1, paths.end()),
            (std::vector<std::string>{s.desktop.inHome(".config/krita"),
                                      s.desktop.inHome(".local/share/applications/appimagekit_0123-Krita.desktop"),
                                      s.desktop.inHome(".local/share/icons/hicolor/64x64/apps/krita-icon.png")}));
}
