// Grabs of the Trends screen with real data, for looking at it (not run by default):
//   TOLVEX_GALLERY_DIR=/tmp/x TOLVEX_GALLERY=1 test_views --gtest_filter='*TrendsGallery*' (or the tolvex_gallery
//   target)
// The forecast reads 40 days of hourly samples around this machine's real volume; the changes card
// compares a real scan (TOLVEX_GALLERY_ROOT, /usr/share by default) with two earlier snapshots made
// from it with some folders larger, smaller or gone.
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QDir>
#include <QScrollArea>
#include <fstream>
#include <random>

#include "app/ObjectNames.h"
#include "app/theme/Appearance.h"
#include "shell/MainWindow.h"
#include "shell/SectionRouter.h"
#include "support/qt/AppFixture.h"
#include "views/analysis/TrendsView.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

constexpr double kDay = 86'400;
constexpr int64_t kGB = 1'000'000'000;

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Hourly samples over `days`, growing by `perDay` with some daily noise, ending at `lastUsed`.
std::vector<SpaceSample> realisticSamples(double now, int days, int64_t lastUsed, int64_t total, double perDay) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, 0.15 * kGB);
  std::vector<SpaceSample> out;
  for (int hoursAgo = days * 24 - 1; hoursAgo >= 0; --hoursAgo) {
    const double wobble = noise(random) + 0.4 * kGB * std::sin(hoursAgo / 24.0 * 2 * M_PI);
    const auto used = static_cast<int64_t>(static_cast<double>(lastUsed) - perDay * hoursAgo / 24.0 + wobble);
    out.push_back({now - hoursAgo * 3600.0, std::min(used, total), total});
  }
  return out;
}

// An earlier snapshot of `latest`: its largest folders changed by a few hundred megabytes each,
// one of them absent.
ScanSnapshot earlierFrom(const ScanSnapshot& latest, const std::string& id, double date, double scale) {
  ScanSnapshot s = latest;
  s.id = id;
  s.date = date;
  std::vector<std::pair<int64_t, std::string>> bySize;
  for (const auto& [path, size] : latest.folders)
    if (path != latest.root) bySize.emplace_back(size, path);
  std::sort(bySize.rbegin(), bySize.rend());
  int64_t change = 0;
  for (size_t i = 0; i < bySize.size() && i < 8; ++i) {
    const auto& [size, path] = bySize[i];
    const int64_t delta = static_cast<int64_t>(scale * (i % 3 == 0 ? -350e6 : 180e6 + 40e6 * static_cast<double>(i)));
    s.folders[path] = std::max<int64_t>(size + delta, 0);
    change += s.folders[path] - size;
  }
  s.folders[latest.root + "/old-downloads"] = static_cast<int64_t>(scale * 1.3e9);
  change += static_cast<int64_t>(scale * 1.3e9);
  s.folders[latest.root] = latest.total + change;
  s.total = latest.total + change;
  for (auto& [bucket, bytes] : s.buckets) bytes = std::max<int64_t>(bytes + static_cast<int64_t>(scale * 120e6), 0);
  s.buckets["8"] = static_cast<int64_t>(scale * 2.4e9);
  return s;
}

}  // namespace

TEST(TrendsGallery, GrabsTheScreenInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp/tolvex-trends"));
  QDir().mkpath(dir);
  const std::string root = qEnvironmentVariable("TOLVEX_GALLERY_ROOT", QStringLiteral("/usr/share")).toStdString();
  AppFixture f;
  const double now = f.now->load();
  const std::optional<VolumeInfo> volume = VolumeInfo::read("/");
  ASSERT_TRUE(volume);

  struct Variant {
    const char* name;
    int days;
    double perDay;
    bool snapshots;
  };
  for (const Variant& v :
       {Variant{"learning", 1, 0, false}, Variant{"forecast", 40, 1.6 * kGB, true}, Variant{"filling", 40, 0, true}}) {
    AppFixture fixture;
    fixture.now->store(now);
    std::optional<VolumeInfo> shown = volume;
    if (std::string(v.name) == "filling") shown->available = 9 * kGB;
    const int64_t used = shown->total - shown->available;
    const double perDay = std::string(v.name) == "filling" ? 1.1 * kGB : v.perDay;
    writeText(fixture.appFolder + "/space.json",
              *encodeSamples(realisticSamples(now, v.days, used, shown->total, perDay)));
    AppEnvironment env = fixture.environment();
    env.readVolume = [shown] { return shown; };
    if (v.snapshots) {
      // A first run scans and archives; the earlier snapshots are then written beside the scan's
      // own (recording an older one would replace the newest), and the run below restores it all.
      std::vector<ScanSnapshot> stored;
      {
        AppState first(env);
        waitUntil([&] { return !first.isRestoringScan(); });
        first.startScan(ScanTarget::folder(root));
        ASSERT_TRUE(waitUntil([&] { return first.scan().has_value(); }, 300000));
        ASSERT_TRUE(waitUntil([&] { return *fixture.archiveWrites > 0; }, 60000));
        const auto recorded = first.trends().snapshotsForRoot(root);
        ASSERT_FALSE(recorded.empty());
        stored = {earlierFrom(recorded.front(), "3F2504E0-4F89-41D3-9A0C-000000000002", now - 12 * kDay, 2),
                  earlierFrom(recorded.front(), "3F2504E0-4F89-41D3-9A0C-000000000001", now - 3 * kDay, 1),
                  recorded.front()};
        first.waitForBackgroundWork();
      }
      writeText(fixture.appFolder + "/scans.json", *encodeSnapshots(stored));
    }
    AppState state(env);
    waitUntil([&] { return !state.isRestoringScan(); }, 60000);
    MainWindow window(state);
    window.show();
    state.setSection(AppSection::trends);
    auto* screen = qobject_cast<TrendsView*>(window.router()->currentScreen());
    ASSERT_TRUE(screen);
    for (QSize size : {QSize(1040, 680), QSize(1500, 950)}) {
      window.resize(size);
      for (AppAppearance look : {AppAppearance::light, AppAppearance::dark}) {
        Appearance::apply(look);
        waitUntil([] { return false; }, 120);
        const QString stem = dir + "/" + v.name + "-" + QString::number(size.width()) + "-" + rawValue(look);
        window.grab().save(stem + ".png");
        auto* scroll = screen->findChild<QScrollArea*>(QLatin1String(names::trendsScroll));
        scroll->widget()->grab().save(stem + "-full.png");
      }
    }
    Appearance::apply(AppAppearance::light);
    state.waitForBackgroundWork();
  }
}
