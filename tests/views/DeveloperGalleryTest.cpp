// Grabs of the Developer screen with its virtual disks card, for looking at them (not run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x test_views --gtest_filter='*DeveloperGallery*'
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>
#include <QPushButton>

#include "app/ObjectNames.h"
#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "views/DeveloperFixture.h"
#include "views/ExplorerFixture.h"
#include "views/cleanup/DevItemTable.h"
#include "views/cleanup/DeveloperView.h"
#include "views/cleanup/VirtualDisksCard.h"

using namespace tolvex;
using namespace tolvex::test;

TEST(DeveloperGallery, GrabsTheScreenInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-developer"));
  QDir().mkpath(dir);
  struct Look {
    const char* name;
    DeveloperHome::Disks disks;
    bool scan;
  };
  for (const Look& look :
       {Look{"no-scan", DeveloperHome::Disks::none, false}, Look{"two-disks", DeveloperHome::Disks::two, true},
        Look{"three-disks", DeveloperHome::Disks::three, true}}) {
    DeveloperHome home(look.disks);
    if (look.scan) home.scan();
    home.loadJunk();
    MainWindow window(*home.state);
    window.show();
    home.state->setSection(AppSection::developer);
    settle();
    auto* screen = qobject_cast<DeveloperView*>(window.router()->currentScreen());
    ASSERT_TRUE(screen);
    if (look.scan && screen->table()->rows().size() > 2) {
      screen->table()->setSelection({screen->table()->rows()[0].path, screen->table()->rows()[2].path});
      if (auto* copy = screen->disksCard()->findChild<QPushButton*>(QLatin1String(names::virtualDiskCopy)))
        copy->click();
    }
    for (QSize size : {QSize(1040, 680), QSize(1500, 950)}) {
      window.resize(size);
      for (AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
        Appearance::apply(appearance);
        settle();
        waitUntil([] { return false; }, 80);
        window.grab().save(QStringLiteral("%1/developer-%2-%3x%4-%5.png")
                               .arg(dir, QLatin1String(look.name))
                               .arg(size.width())
                               .arg(size.height())
                               .arg(rawValue(appearance)));
      }
    }
    Appearance::apply(AppAppearance::light);
  }
}
