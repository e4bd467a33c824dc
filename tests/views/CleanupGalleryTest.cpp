// Grabs of the Junk and Duplicates screens over fixture data, for looking at them (not run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x test_views --gtest_filter='*CleanupGallery*'
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

#include "app/ObjectNames.h"
#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "support/TreeBuilder.h"
#include "support/qt/AppFixture.h"
#include "views/cleanup/DuplicatesList.h"
#include "views/cleanup/DuplicatesView.h"
#include "views/cleanup/JunkList.h"
#include "views/cleanup/JunkView.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

void grabBoth(MainWindow& window, const QString& dir, const QString& name) {
  for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
    Appearance::apply(look);
    waitUntil([] { return false; }, 120);
    window.grab().save(QStringLiteral("%1/%2-%3.png").arg(dir, name, rawValue(look)));
  }
  Appearance::apply(AppAppearance::light);
}

// Junk laid out as a Mac home would hold it.
void makeJunk(const AppFixture& f) {
  TreeBuilder home(f.home.home());
  const char* caches[] = {"com.apple.Safari",          "com.spotify.client",  "com.microsoft.VSCode", "Google",
                          "com.tinyspeck.slackmacgap", "org.mozilla.firefox", "com.figma.Desktop",    "Homebrew"};
  int n = 0;
  for (const char* cache : caches)
    home.allocatedFile(std::string("Library/Caches/") + cache + "/data.bin", (24 - 2 * n++) << 20);
  for (int i = 0; i < 340; ++i) home.allocatedFile("Library/Logs/report-" + std::to_string(i) + ".ips", 8 << 10);
  home.allocatedFile("Library/Saved Application State/com.apple.Terminal.savedState/data.data", 300 << 10);
  home.allocatedFile("Library/Developer/Xcode/DerivedData/MyApp-abcdef/Build/Intermediates.noindex/x.o", 60 << 20);
  home.allocatedFile("Library/Developer/Xcode/Archives/2024-05-01/MyApp.xcarchive/Info.plist", 40 << 20);
  home.allocatedFile(".npm/_cacache/content-v2/sha512/aa/blob", 18 << 20);
  home.allocatedFile("Library/Containers/com.apple.mail/Data/Library/Mail Downloads/Invoice March.pdf", 2 << 20);
  home.allocatedFile("Library/Application Support/MobileSync/Backup/00008110-001A/Manifest.db", 90 << 20);
  home.allocatedFile("Downloads/Docker.dmg", 120 << 20);
  home.times("Downloads/Docker.dmg", 1.70e9, 1.70e9);
}

}  // namespace

TEST(CleanupGallery, GrabsJunkAndDuplicatesInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-cleanup"));
  QDir().mkpath(dir);
  AppFixture f;
  makeJunk(f);
  AppEnvironment env = f.environment();
  // The temporary disk cannot share storage: the grab shows copies as if it could.
  env.replaceWithClone = [](const std::string&, const std::string&) { return int64_t{4096}; };
  AppState state(env);
  MainWindow window(state);
  window.resize(1180, 760);
  window.show();
  waitUntil([&] { return !state.isRestoringScan(); });

  // Junk: rules by category, one open with its items, a few ticked.
  state.setSection(AppSection::junk);
  ASSERT_TRUE(waitUntil([&] { return !state.junk().empty() && !state.junkLoading(); }, 20000));
  waitUntil([] { return false; }, 100);
  auto* junk = qobject_cast<JunkView*>(window.router()->currentScreen());
  ASSERT_TRUE(junk);
  grabBoth(window, dir, QStringLiteral("junk"));
  junk->toggleExpanded("user-caches");
  for (size_t i = 0; i < state.junk().size(); ++i)
    if (state.junk()[i].rule.id == "user-caches") {
      junk->setItemSelected(true, state.junk()[i].items[0]);
      junk->setItemSelected(true, state.junk()[i].items[2]);
    } else if (state.junk()[i].rule.id == "npm-cache") {
      junk->setRuleSelected(true, i);
    }
  grabBoth(window, dir, QStringLiteral("junk-open"));
  junk->toggleExpanded("user-caches");
  junk->toggleExpanded("user-logs");
  junk->list()->scrollToBottom();
  grabBoth(window, dir, QStringLiteral("junk-more"));

  // Duplicates: copies among the scanned files, all copies selected.
  TreeBuilder files(f.home / "Documents");
  const std::pair<const char*, int64_t> copies[] = {
      {"Photos/2023/IMG_2041.HEIC", 4'200'000},
      {"Desktop backup/IMG_2041.HEIC", 4'200'000},
      {"Old Mac/Pictures/IMG_2041 copy.HEIC", 4'200'000},
      {"Projects/keynote/Quarterly Review.key", 18'500'000},
      {"Mail attachments/Quarterly Review.key", 18'500'000},
      {"Downloads/ubuntu-24.04-live-server-amd64.iso", 9'800'000},
      {"Installers/ubuntu-24.04-live-server-amd64.iso", 9'800'000},
      {"Music/Album/01 Intro.flac", 2'500'000},
      {"Music/Album (1)/01 Intro.flac", 2'500'000},
  };
  double when = 1.60e9;
  for (const auto& [path, size] : copies) {
    files.file(path, size);
    files.times(path, when, when);
    when += 3.1e6;
  }
  state.startScan(ScanTarget::folder(files.base()));
  ASSERT_TRUE(waitUntil([&] { return state.scan().has_value() && !state.isScanning(); }, 20000));
  state.setSection(AppSection::duplicates);
  waitUntil([] { return false; }, 100);
  auto* duplicates = qobject_cast<DuplicatesView*>(window.router()->currentScreen());
  ASSERT_TRUE(duplicates);
  grabBoth(window, dir, QStringLiteral("duplicates-start"));
  duplicates->findDuplicates();
  ASSERT_TRUE(waitUntil([&] { return !state.duplicatesProgress(); }, 20000));
  waitUntil([] { return false; }, 100);
  grabBoth(window, dir, QStringLiteral("duplicates"));
  duplicates->selectAllCopies();
  grabBoth(window, dir, QStringLiteral("duplicates-selected"));
  duplicates->shareSpace();
  ASSERT_TRUE(waitUntil([&] { return !state.isSharingSpace(); }, 20000));
  grabBoth(window, dir, QStringLiteral("duplicates-shared"));
  state.waitForBackgroundWork();
}
