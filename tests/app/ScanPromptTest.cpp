// The scan prompt's three faces in their order, the ring's texts and turn, the scan buttons and the
// full disk access banner.
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "app/components/ScanningRing.h"
#include "app/screen/FullDiskAccessBanner.h"
#include "app/screen/ScanPrompt.h"
#include "app/services/UiServices.h"
#include "platform/FullDiskAccess.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

const QString kTitle = QStringLiteral("No scan yet");
const QString kMessage = QStringLiteral("Scan your disk to see where the space went.");

// A store whose archive read and scan walk wait at gates the test opens; the walk reports one
// progress step first.
struct PromptFixture {
  AppFixture f;
  std::shared_ptr<Gate> restoreGate = std::make_shared<Gate>();
  std::shared_ptr<Gate> walkGate = std::make_shared<Gate>();
  ScanProgressSnapshot reported{
      12345, -5, "/usr/share/doc/some/deeply/nested/folder/with/a/rather/long/name/that/goes/on/file.txt"};
  std::unique_ptr<AppState> state;
  QWidget window;
  ScanPrompt* prompt = nullptr;

  explicit PromptFixture(bool gateRestore = false, bool access = true,
                         std::optional<ScanProgressSnapshot> progress = {}) {
    if (progress) reported = *progress;
    f.access->store(access);
    auto env = f.environment();
    if (gateRestore) {
      auto read = env.readArchive;
      env.readArchive = [gate = restoreGate, read](const std::string& path) {
        gate->wait();
        return read(path);
      };
    }
    env.walk = [gate = walkGate, progress = reported](Scanner&, const std::string&, const std::set<std::string>&,
                                                      const Scanner::Progress& report) -> std::optional<ScanResult> {
      report(progress.files, progress.bytes, progress.currentPath);
      gate->wait();
      return std::nullopt;
    };
    state = std::make_unique<AppState>(env);
    if (!gateRestore) waitUntil([&] { return !state->isRestoringScan(); });
    window.resize(1040, 680);
    prompt = new ScanPrompt(*state, kTitle, kMessage, &window);
    prompt->setGeometry(window.rect());
    window.show();
    QApplication::processEvents();
  }
  // The gates open before the store goes, so its background work can end.
  ~PromptFixture() {
    restoreGate->open();
    walkGate->open();
    delete prompt;
    state.reset();
  }

  template <typename T>
  T* child(const char* name) const {
    return prompt->findChild<T*>(QLatin1String(name));
  }
  bool visible(const char* name) const {
    auto* w = child<QWidget>(name);
    return w && w->isVisible();
  }
  // Which faces are on screen, as restoring/scanning/idle flags.
  std::string faces() const {
    std::string out;
    if (visible(names::scanPromptRestoring)) out += "R";
    if (visible(names::scanPromptScanning)) out += "S";
    if (visible(names::scanPromptIdle)) out += "I";
    return out;
  }
  void startGatedScan() {
    state->startScan(ScanTarget::folder(f.home.home()));
    ASSERT_TRUE(waitUntil([&] { return state->progress().files == reported.files; }));
    QApplication::processEvents();
  }
};

}  // namespace

TEST(ScanPrompt, FacesFollowRestoringThenScanningThenIdle) {
  PromptFixture p(/*gateRestore=*/true);
  ASSERT_TRUE(p.state->isRestoringScan());
  EXPECT_EQ(p.faces(), "R");
  EXPECT_EQ(p.prompt->face(), ScanPrompt::Face::restoring);
  EXPECT_EQ(p.child<QLabel>(names::scanPromptRestoringText)->text(), QStringLiteral("Loading your last scan…"));

  // A scan starts while the restore still runs: only the spinner shows.
  p.state->startScan(ScanTarget::folder(p.f.home.home()));
  ASSERT_TRUE(waitUntil([&] { return p.state->progress().files == p.reported.files; }));
  ASSERT_TRUE(p.state->isScanning() && p.state->isRestoringScan());
  EXPECT_EQ(p.faces(), "R");
  EXPECT_EQ(p.prompt->ring(), nullptr);

  // The restore ends (and is dropped for the running scan): the ring.
  p.restoreGate->open();
  ASSERT_TRUE(waitUntil([&] { return !p.state->isRestoringScan(); }));
  QApplication::processEvents();
  EXPECT_EQ(p.faces(), "S");
  ASSERT_NE(p.prompt->ring(), nullptr);
  EXPECT_TRUE(p.prompt->ring()->isVisible());

  // The scan ends without a result: idle.
  p.walkGate->open();
  ASSERT_TRUE(waitUntil([&] { return !p.state->isScanning(); }));
  QApplication::processEvents();
  EXPECT_EQ(p.faces(), "I");
  EXPECT_EQ(p.child<QLabel>(names::scanPromptTitle)->text(), kTitle);
  EXPECT_EQ(p.child<QLabel>(names::scanPromptMessage)->text(), kMessage);
  EXPECT_EQ(p.child<QWidget>(names::scanPromptIcon)->property("sfSymbol").toString(),
            QStringLiteral("internaldrive.fill"));
}

TEST(ScanPrompt, RingShowsGroupedFilesZeroForNegativeBytesAndTheCurrentPath) {
  PromptFixture p;
  EXPECT_EQ(p.faces(), "I");
  p.startGatedScan();
  EXPECT_EQ(p.faces(), "S");
  ScanningRing* ring = p.prompt->ring();
  ASSERT_NE(ring, nullptr);
  EXPECT_EQ(ring->progressText(), QStringLiteral("12,345 files"));
  EXPECT_EQ(ring->detail(), QStringLiteral("Zero KB"));
  EXPECT_EQ(ring->size(), QSize(150, 150));
  auto* path = p.child<ElidedLabel>(names::scanPromptCurrentPath);
  EXPECT_EQ(path->text(), QString::fromStdString(p.reported.currentPath));
  EXPECT_LE(path->width(), 420);
  const QString shown = path->displayedText();
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  EXPECT_TRUE(shown.startsWith(QStringLiteral("/usr/"))) << "cut in the middle: " << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QStringLiteral("file.txt"))) << shown.toStdString();
}

TEST(ScanPrompt, TextsOfTheRing) {
  struct Case {
    ScanProgressSnapshot progress;
    QString files;
    QString bytes;
  };
  const Case cases[] = {
      {{0, 0, ""}, QStringLiteral("0 files"), QStringLiteral("Zero KB")},
      {{1234567, 1'500'000'000, ""}, QStringLiteral("1,234,567 files"), QStringLiteral("1.5 GB")},
      {{3, -1, ""}, QStringLiteral("3 files"), QStringLiteral("Zero KB")},
      {{3, INT64_MIN, ""}, QStringLiteral("3 files"), QStringLiteral("Zero KB")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScanPrompt::progressText(c.progress), c.files);
    EXPECT_EQ(ScanPrompt::detailText(c.progress), c.bytes);
  }
  EXPECT_EQ(ScanPrompt::faceFor(true, true), ScanPrompt::Face::restoring);
  EXPECT_EQ(ScanPrompt::faceFor(false, true), ScanPrompt::Face::scanning);
  EXPECT_EQ(ScanPrompt::faceFor(false, false), ScanPrompt::Face::idle);
}

TEST(ScanPrompt, EachScanGetsANewRingFromZero) {
  PromptFixture p;
  p.startGatedScan();
  QPointer<ScanningRing> first = p.prompt->ring();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->angle(), 0.0);
  EXPECT_FALSE(first->isSpinning()) << "animations are off in tests: the ring is drawn still";
  p.state->cancelScan();
  QApplication::processEvents();
  EXPECT_EQ(p.faces(), "I");
  p.startGatedScan();
  EXPECT_NE(p.prompt->ring(), first.data());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(!first) << "the old ring is gone";
}

// With animations on, the arc turns clockwise at constant speed, one turn every 1.1 s, forever.
TEST(ScanningRing, TurnsOncePerPeriodLinearlyForever) {
  const QByteArray saved = qgetenv("TOLVEX_NO_ANIMATIONS");
  qunsetenv("TOLVEX_NO_ANIMATIONS");
  {
    QWidget host;
    auto* ring = new ScanningRing(QStringLiteral("1 files"), QStringLiteral("1 KB"), &host);
    EXPECT_FALSE(ring->isSpinning()) << "it starts when it first appears";
    host.show();
    QApplication::processEvents();
    EXPECT_TRUE(ring->isSpinning());
    const QVariantAnimation& spin = ring->spinAnimation();
    EXPECT_EQ(spin.duration(), 1100);
    EXPECT_EQ(spin.loopCount(), -1);
    EXPECT_EQ(spin.direction(), QAbstractAnimation::Forward);
    EXPECT_EQ(spin.easingCurve().type(), QEasingCurve::Linear);
    EXPECT_EQ(spin.startValue().toReal(), 0.0);
    EXPECT_EQ(spin.endValue().toReal(), 360.0);
    // The angle is proportional to the time into the current turn.
    QTest::qWait(300);
    const qreal expected = spin.currentLoopTime() * 360.0 / 1100.0;
    EXPECT_NEAR(spin.currentValue().toReal(), expected, 0.5);
    EXPECT_GT(spin.currentValue().toReal(), 0.0);
    // Hidden, it pauses; shown again, it goes on (it does not start over).
    host.hide();
    EXPECT_EQ(spin.state(), QAbstractAnimation::Paused);
    host.show();
    EXPECT_TRUE(ring->isSpinning());
  }
  qputenv("TOLVEX_NO_ANIMATIONS", saved);
}

TEST(ScanPrompt, ScanButtonsStartTheirTargets) {
  {
    PromptFixture p(false, /*access=*/true);
    QTest::mouseClick(p.child<QPushButton>(names::scanPromptScanHome), Qt::LeftButton);
    EXPECT_TRUE(p.state->isScanning());
    EXPECT_EQ(p.state->scanTarget().kind, ScanTarget::Kind::home);
    QApplication::processEvents();
    EXPECT_EQ(p.faces(), "S");
  }
  {
    PromptFixture p(false, /*access=*/true);
    QTest::mouseClick(p.child<QPushButton>(names::scanPromptScanDisk), Qt::LeftButton);
    EXPECT_TRUE(p.state->isScanning());
    EXPECT_EQ(p.state->scanTarget().kind, ScanTarget::Kind::wholeDisk);
  }
  {
    // Without access the store asks for it instead of scanning.
    PromptFixture p(false, /*access=*/false);
    QTest::mouseClick(p.child<QPushButton>(names::scanPromptScanDisk), Qt::LeftButton);
    EXPECT_FALSE(p.state->isScanning());
    EXPECT_TRUE(p.state->showAccessOnboarding());
    EXPECT_EQ(p.state->scanTarget().kind, ScanTarget::Kind::wholeDisk);
    EXPECT_EQ(p.faces(), "I");
  }
}

TEST(ScanPrompt, BannerFollowsFullDiskAccess) {
  PromptFixture p(false, /*access=*/false);
  ASSERT_FALSE(p.state->hasFullDiskAccess());
  EXPECT_TRUE(p.visible(names::fullDiskAccessBanner));
  EXPECT_LE(p.child<QWidget>(names::fullDiskAccessBanner)->width(), 520);

  // Opening the settings goes through the URL opener and changes nothing.
  UiServices& services = UiServices::shared();
  const auto savedOpen = services.openUrl;
  std::vector<QUrl> opened;
  services.openUrl = [&opened](const QUrl& url) {
    opened.push_back(url);
    return false;  // nothing handles it here
  };
  QTest::mouseClick(p.child<QPushButton>(names::fullDiskAccessOpenSettings), Qt::LeftButton);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].toString(), QString::fromLatin1(kFullDiskAccessSettingsURL));
  EXPECT_FALSE(p.state->hasFullDiskAccess());
  EXPECT_TRUE(p.visible(names::fullDiskAccessBanner));
  services.openUrl = savedOpen;

  // "I’ve Done It" probes again: still no access, the banner stays.
  auto* done = p.child<QPushButton>(names::fullDiskAccessDone);
  EXPECT_EQ(done->text(), QStringLiteral("I’ve Done It"));
  QTest::mouseClick(done, Qt::LeftButton);
  EXPECT_TRUE(p.visible(names::fullDiskAccessBanner));
  // Access granted meanwhile: the banner goes at once and the buttons end the face.
  p.f.access->store(true);
  QTest::mouseClick(done, Qt::LeftButton);
  EXPECT_TRUE(p.state->hasFullDiskAccess());
  EXPECT_FALSE(p.visible(names::fullDiskAccessBanner));
  EXPECT_TRUE(p.visible(names::scanPromptScanDisk));
  // And it comes back if the store learns access is gone again.
  p.state->setHasFullDiskAccess(false);
  EXPECT_TRUE(p.visible(names::fullDiskAccessBanner));
}

// ---- Gallery (the tolvex_gallery target runs it) ----------------

#include <QDir>

#include "app/theme/Appearance.h"

TEST(ScanPromptGallery, GrabsTheThreeFacesInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QPalette saved = QApplication::palette();
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp"));
  const ScanProgressSnapshot progress{
      184'213, 23'456'789'012, "/usr/share/doc/libqt6widgets6/examples/widgets/painting/pathstroke/pathstroke.qrc"};
  auto save = [&](PromptFixture& p, const QString& name) {
    p.window.resize(800, 600);
    p.prompt->setGeometry(p.window.rect());
    QApplication::processEvents();
    QTest::qWait(50);
    const QString file = QDir(dir).filePath(name);
    EXPECT_TRUE(p.window.grab().save(file)) << file.toStdString();
  };
  for (AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
    Appearance::apply(appearance);
    const QString a = rawValue(appearance);
    {
      PromptFixture p(true, true, progress);
      save(p, QStringLiteral("tolvex-prompt-restoring-%1.png").arg(a));
    }
    {
      PromptFixture p(false, true, progress);
      p.startGatedScan();
      save(p, QStringLiteral("tolvex-prompt-scanning-%1.png").arg(a));
    }
    {
      PromptFixture p(false, false, progress);
      save(p, QStringLiteral("tolvex-prompt-idle-%1.png").arg(a));
    }
    {
      PromptFixture p(false, true, progress);
      save(p, QStringLiteral("tolvex-prompt-idle-access-%1.png").arg(a));
    }
  }
  QApplication::setPalette(saved);
}
