// The shared view components: texts, sizes, colours (sampled from grabs where colour is the point),
// hover, the icon cache, and a gallery to look at (disabled by default).
#include <gtest/gtest.h>

#include "support/qt/Gallery.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "app/ObjectNames.h"
#include "app/components/AmbientBackground.h"
#include "app/components/Buttons.h"
#include "app/components/Card.h"
#include "app/components/DiskRing.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/ElidedLabel.h"
#include "app/components/FileIcon.h"
#include "app/components/LegendDot.h"
#include "app/components/PageHeader.h"
#include "app/components/RiskBadge.h"
#include "app/components/SegmentedBar.h"
#include "app/components/SizeCell.h"
#include "app/components/StatTile.h"
#include "app/components/SymbolView.h"
#include "app/theme/Appearance.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"

using namespace tolvex;

namespace {

// A colour painted at `opacity` over `below`.
QColor over(const QColor& below, const QColor& color, qreal opacity) {
  const qreal a = color.alphaF() * opacity;
  return QColor::fromRgbF(static_cast<float>(below.redF() * (1 - a) + color.redF() * a),
                          static_cast<float>(below.greenF() * (1 - a) + color.greenF() * a),
                          static_cast<float>(below.blueF() * (1 - a) + color.blueF() * a));
}

int distance(const QColor& a, const QColor& b) {
  return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

::testing::AssertionResult near(const QColor& actual, const QColor& expected, int tolerance) {
  const int d = distance(actual, expected);
  if (d <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual.name().toStdString() << " is " << d << " away from "
                                       << expected.name().toStdString();
}

// A widget on an opaque window-coloured host in a given palette, laid out and grabbed.
class Host {
 public:
  explicit Host(const QPalette& palette, QSize size = {}) {
    host_.setPalette(palette);
    host_.setAutoFillBackground(true);
    layout_ = new QVBoxLayout(&host_);
    layout_->setContentsMargins(0, 0, 0, 0);
    if (size.isValid()) host_.resize(size);
  }
  template <typename W>
  W* add(W* widget) {
    layout_->addWidget(widget);
    return widget;
  }
  QImage grab(QWidget* widget) {
    host_.show();
    QApplication::processEvents();
    return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  }
  QWidget& widget() { return host_; }
  QColor window() const { return host_.palette().color(QPalette::Window); }

 private:
  QWidget host_;
  QVBoxLayout* layout_;
};

}  // namespace

// ---- RiskBadge ----

TEST(RiskBadge, ShowsTheLabelSymbolAndColourOfEachRisk) {
  const struct {
    Risk risk;
    const char* text;
    const char* symbol;
    ThemeColor color;
  } cases[] = {
      {Risk::safe, "Safe", "checkmark.shield.fill", Theme::success()},
      {Risk::review, "Review", "exclamationmark.triangle.fill", Theme::warning()},
      {Risk::protected_, "Protected", "lock.fill", Theme::danger()},
  };
  for (const auto& c : cases) {
    RiskBadge badge(c.risk, false);
    EXPECT_EQ(RiskBadge::text(c.risk), QString::fromLatin1(c.text));
    EXPECT_EQ(badge.property("sfSymbol").toString(), QString::fromLatin1(c.symbol));
    EXPECT_EQ(badge.accessibleName(), QString::fromLatin1(c.text));
    EXPECT_EQ(RiskBadge::color(c.risk), c.color);
  }
}

TEST(RiskBadge, FullFormSitsOnACapsuleTintedWithTheRiskColour) {
  for (const QPalette& palette : {Appearance::lightPalette(), Appearance::darkPalette()}) {
    Host host(palette);
    auto* badge = host.add(new RiskBadge(Risk::protected_, false));
    const QImage img = host.grab(badge);
    const QColor danger = Theme::danger(palette);
    // Inside the capsule's left padding, clear of the symbol and the text.
    const QColor tint = img.pixelColor(4, img.height() / 2);
    EXPECT_TRUE(near(tint, over(host.window(), danger, 0.13), 3));
    // The text is drawn in the risk colour: the most saturated pixel is close to it.
    int best = 255;
    for (int x = img.width() / 2; x < img.width() - 7; ++x) {
      for (int y = 0; y < img.height(); ++y) best = std::min(best, distance(img.pixelColor(x, y), danger));
    }
    EXPECT_LE(best, 40);
  }
}

TEST(RiskBadge, CompactFormIsTheSymbolAloneOnAClearBackground) {
  Host host(Appearance::lightPalette());
  auto* full = host.add(new RiskBadge(Risk::review, false));
  auto* compact = host.add(new RiskBadge(Risk::review, true));
  EXPECT_EQ(compact->sizeHint().width(), compact->sizeHint().height());
  EXPECT_LT(compact->sizeHint().width(), full->sizeHint().width() / 3);
  EXPECT_EQ(compact->toolTip(), QStringLiteral("Review"));
  const QImage img = host.grab(compact);
  EXPECT_TRUE(near(img.pixelColor(0, 0), host.window(), 1)) << "no capsule, no padding";
  // The warning triangle's body shows in the warning colour.
  int best = 255;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x)
      best = std::min(best, distance(img.pixelColor(x, y), Theme::warning(Appearance::lightPalette())));
  }
  EXPECT_LE(best, 3);
}

// ---- SizeCell ----

TEST(SizeCell, ShowsTheByteCountOfTheSizeClampedAtZero) {
  EXPECT_EQ(SizeCell::text(1'500'000), QStringLiteral("1.5 MB"));
  EXPECT_EQ(SizeCell::text(0), QStringLiteral("Zero KB"));
  EXPECT_EQ(SizeCell::text(-4096), QStringLiteral("Zero KB"));
  EXPECT_EQ(SizeCell::text(1'234'567'890), QStringLiteral("1.23 GB"));
  SizeCell cell(999'499, 0.2, Theme::blue());
  EXPECT_EQ(cell.text(), QStringLiteral("999 KB"));
  EXPECT_GE(SizeCell::textWidthFor(1), SizeCell::kMinTextWidth);
}

TEST(SizeCell, TheBarIsFilledToTheClampedFractionButNeverBelowTwo) {
  const struct {
    double fraction;
    qreal width;
  } cases[] = {
      {0.5, 50},
      {1.5, 100},
      {1.0, 100},
      {0.0, 2},
      {-1.0, 2},
      {0.001, 2},
      {std::numeric_limits<double>::quiet_NaN(), 2},
      {std::numeric_limits<double>::infinity(), 2},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(SizeCell::fillWidth(100, c.fraction), c.width) << c.fraction;
  EXPECT_DOUBLE_EQ(SizeCell::fillWidth(1, 0.0), 1) << "never wider than the bar";
}

TEST(SizeCell, DrawsTheFillInItsColourOverTheTrack) {
  const QPalette palette = Appearance::lightPalette();
  Host host(palette, QSize(300, 24));
  auto* cell = host.add(new SizeCell(2'000'000, 0.5, Theme::pink()));
  const QImage img = host.grab(cell);
  const int barLeft = SizeCell::kMinTextWidth + SizeCell::kSpacing;
  const int barWidth = img.width() - barLeft;
  const int y = img.height() / 2;
  EXPECT_TRUE(near(img.pixelColor(barLeft + barWidth / 4, y), Theme::pink(), 24));
  EXPECT_TRUE(
      near(img.pixelColor(barLeft + barWidth * 3 / 4, y), over(host.window(), Theme::primary(palette), 0.07), 2));
  EXPECT_TRUE(near(img.pixelColor(barLeft + barWidth / 4, 1), host.window(), 1)) << "the bar is 5 high";
}

// ---- SegmentedBar ----

TEST(SegmentedBar, LaysSegmentsOutInProportionWithTwoPixelGaps) {
  const std::vector<Segment> segments = {{"a", "Apps", 50, Theme::blue()},
                                         {"zero", "Nothing", 0, Theme::gray()},
                                         {"b", "Docs", 30, Theme::mint()},
                                         {"tiny", "Crumbs", 1, Theme::tan()},
                                         {"c", "Rest", 19, Theme::amber()}};
  // width 100, total 200: a = 25, b = 15, tiny = 0.5 (left out), c = 9.5
  const auto placed = SegmentedBar::layout(segments, 200, 100, 8);
  ASSERT_EQ(placed.size(), 3u);
  EXPECT_EQ(placed[0].index, 0u);
  EXPECT_EQ(placed[0].rect, QRectF(0, 0, 23, 8));
  EXPECT_EQ(placed[1].index, 2u);
  EXPECT_EQ(placed[1].rect, QRectF(25, 0, 13, 8)) << "the zero segment leaves no gap";
  EXPECT_EQ(placed[2].index, 4u);
  EXPECT_EQ(placed[2].rect, QRectF(40, 0, 7.5, 8)) << "the tiny segment leaves no gap";

  EXPECT_TRUE(SegmentedBar::layout(segments, 0, 100, 8).empty());
  EXPECT_TRUE(SegmentedBar::layout(segments, -5, 100, 8).empty());
  // A segment between 1 and 2 wide is kept but drawn 0 wide.
  const auto thin = SegmentedBar::layout({{"t", "Thin", 3, Theme::blue()}}, 200, 100, 8);
  ASSERT_EQ(thin.size(), 1u);
  EXPECT_EQ(thin[0].rect.width(), 0);
}

TEST(SegmentedBar, EachSegmentHasATooltipOfTitleAndSize) {
  EXPECT_EQ(SegmentedBar::tooltip({"a", "Applications", 1'500'000'000, Theme::blue()}),
            QStringLiteral("Applications: 1.5 GB"));
  EXPECT_EQ(SegmentedBar::tooltip({"a", "Trash", -3, Theme::tan()}), QStringLiteral("Trash: Zero KB"));
}

TEST(SegmentedBar, DrawsEachSegmentInItsColourAndDimsTheOthersOnHover) {
  const QPalette palette = Appearance::darkPalette();
  Host host(palette, QSize(402, 20));
  auto* bar = host.add(new SegmentedBar({{"a", "A", 100, Theme::blue()}, {"b", "B", 100, Theme::orange()}}, 400, 20));
  QImage img = host.grab(bar);
  const QColor track = over(host.window(), Theme::primary(palette), 0.06);
  const int y = img.height() / 2;
  EXPECT_TRUE(near(img.pixelColor(50, y), Theme::blue(), 24));
  EXPECT_TRUE(near(img.pixelColor(150, y), Theme::orange(), 24));
  EXPECT_TRUE(near(img.pixelColor(300, y), track, 2)) << "the rest of the total is the track";

  bar->setHovered(QStringLiteral("a"));
  img = bar->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_TRUE(near(img.pixelColor(50, y), Theme::blue(), 24));
  EXPECT_TRUE(near(img.pixelColor(150, y), over(track, Theme::orange(), 0.45), 24));

  bar->setHovered(std::nullopt);
  img = bar->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_TRUE(near(img.pixelColor(150, y), Theme::orange(), 24));
}

TEST(SegmentedBar, ThePointerSetsAndClearsTheHoveredSegment) {
  Host host(Appearance::lightPalette(), QSize(402, 20));
  auto* bar = host.add(new SegmentedBar({{"a", "A", 100, Theme::blue()}, {"b", "B", 100, Theme::orange()}}, 400, 20));
  host.grab(bar);
  QTest::mouseMove(bar, QPoint(150, 10));
  EXPECT_EQ(bar->hovered(), std::optional<QString>(QStringLiteral("b")));
  QTest::mouseMove(bar, QPoint(50, 10));
  EXPECT_EQ(bar->hovered(), std::optional<QString>(QStringLiteral("a")));
  QTest::mouseMove(bar, QPoint(300, 10));
  EXPECT_FALSE(bar->hovered().has_value()) << "the empty part of the track hovers nothing";
  QTest::mouseMove(bar, QPoint(50, 10));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(bar, &leave);
  EXPECT_FALSE(bar->hovered().has_value());
  // New segments without the hovered one drop the hover.
  bar->setHovered(QStringLiteral("a"));
  bar->setSegments({{"b", "B", 100, Theme::orange()}}, 400);
  EXPECT_FALSE(bar->hovered().has_value());
}

TEST(SegmentedBar, AZeroTotalDrawsOnlyTheTrack) {
  const QPalette palette = Appearance::lightPalette();
  Host host(palette, QSize(200, 12));
  auto* bar = host.add(new SegmentedBar({{"a", "A", 100, Theme::blue()}}, 0, 12));
  const QImage img = host.grab(bar);
  EXPECT_TRUE(near(img.pixelColor(20, 6), over(host.window(), Theme::primary(palette), 0.06), 2));
}

// Animations are off in tests; these cases turn them on to check the animated paths end where the
// instant ones do.
class WithAnimations {
 public:
  WithAnimations() : saved_(qgetenv("TOLVEX_NO_ANIMATIONS")) { qunsetenv("TOLVEX_NO_ANIMATIONS"); }
  ~WithAnimations() { qputenv("TOLVEX_NO_ANIMATIONS", saved_); }

 private:
  QByteArray saved_;
};

TEST(SegmentedBar, HoverFadesTheOthersAndBackWhenAnimated) {
  WithAnimations animations;
  const QPalette palette = Appearance::lightPalette();
  Host host(palette, QSize(402, 20));
  auto* bar = host.add(new SegmentedBar({{"a", "A", 100, Theme::blue()}, {"b", "B", 100, Theme::orange()}}, 400, 20));
  host.grab(bar);
  const QColor track = over(host.window(), Theme::primary(palette), 0.06);
  auto sample = [&](int x) { return bar->grab().toImage().convertToFormat(QImage::Format_ARGB32).pixelColor(x, 10); };
  bar->setHovered(QStringLiteral("a"));
  // No event has run since: the fade has not begun.
  EXPECT_TRUE(near(sample(150), Theme::orange(), 24)) << "not dimmed at once";
  QTRY_VERIFY_WITH_TIMEOUT(near(sample(150), over(track, Theme::orange(), 0.45), 24), 2000);
  EXPECT_TRUE(near(sample(50), Theme::blue(), 24)) << "the hovered one stays bright throughout";
  bar->setHovered(std::nullopt);
  QTRY_VERIFY_WITH_TIMEOUT(near(sample(150), Theme::orange(), 24), 2000);
  EXPECT_TRUE(near(sample(50), Theme::blue(), 24));
}

// The toolbar's busy indicator: it turns while shown, rests while hidden, and stands still (a short
// arc, never a full ring or bar) without animations.
TEST(ActivitySpinner, TurnsWhileShownAndStandsStillWithoutAnimations) {
  {
    ActivitySpinner still;
    still.show();
    EXPECT_FALSE(still.isSpinning());
    EXPECT_EQ(still.size(), QSize(16, 16));
  }
  WithAnimations animations;
  ActivitySpinner spinner;
  EXPECT_FALSE(spinner.isSpinning());
  spinner.show();
  EXPECT_TRUE(spinner.isSpinning());
  QTRY_VERIFY_WITH_TIMEOUT(spinner.angle() > 0, 2000);
  spinner.hide();
  EXPECT_FALSE(spinner.isSpinning());
  spinner.show();
  EXPECT_TRUE(spinner.isSpinning());
}

TEST(DiskRing, TheArcGrowsFromNothingWhenShownAnimated) {
  WithAnimations animations;
  const QPalette palette = Appearance::lightPalette();
  Host host(palette, QSize(100, 100));
  auto* ring = host.add(new DiskRing(75, 100));
  const QColor track = over(host.window(), Theme::primary(palette), 0.06);
  auto atNine = [&] { return ring->grab().toImage().convertToFormat(QImage::Format_ARGB32).pixelColor(6, 50); };
  host.grab(ring);
  EXPECT_TRUE(near(atNine(), track, 2)) << "three quarters are not reached at once";
  QTRY_VERIFY_WITH_TIMEOUT(distance(atNine(), track) > 60, 3000);
}

// ---- LegendDot, StatTile, PageHeader, labels ----

TEST(LegendDot, IsANineByNineDotOfItsColour) {
  Host host(Appearance::lightPalette());
  auto* dot = host.add(new LegendDot(Theme::purple()));
  EXPECT_EQ(dot->sizeHint(), QSize(9, 9));
  const QImage img = host.grab(dot);
  EXPECT_EQ(img.size(), QSize(9, 9));
  EXPECT_TRUE(near(img.pixelColor(4, 4), Theme::purple(), 20));
  EXPECT_TRUE(near(img.pixelColor(0, 0), host.window(), 8)) << "a circle, not a square";
}

TEST(StatTile, ShowsSymbolTitleValueAndCaption) {
  StatTile tile(QStringLiteral("Used"), QStringLiteral("412.35 GB"), QStringLiteral("of 994.66 GB"),
                QStringLiteral("internaldrive.fill"), Theme::indigo());
  auto* title = tile.findChild<QLabel*>(QLatin1String(names::statTileTitle));
  auto* value = tile.findChild<QLabel*>(QLatin1String(names::statTileValue));
  auto* caption = tile.findChild<ElidedLabel*>(QLatin1String(names::statTileCaption));
  auto* symbol = tile.findChild<SymbolView*>(QLatin1String(names::statTileSymbol));
  ASSERT_TRUE(title && value && caption && symbol);
  EXPECT_EQ(title->text(), QStringLiteral("Used"));
  EXPECT_EQ(value->text(), QStringLiteral("412.35 GB"));
  EXPECT_EQ(caption->text(), QStringLiteral("of 994.66 GB"));
  EXPECT_EQ(symbol->property("sfSymbol").toString(), QStringLiteral("internaldrive.fill"));
  EXPECT_EQ(symbol->color(), ThemeColor(Theme::indigo()));
  EXPECT_EQ(value->font().pixelSize(), 24);
  EXPECT_EQ(title->font().pixelSize(), 11);
  EXPECT_EQ(tile.padding(), 16);

  tile.setCaption(std::nullopt);
  EXPECT_FALSE(tile.caption().has_value());
  EXPECT_TRUE(caption->isHidden());
  tile.setValue(QStringLiteral("1 TB"));
  EXPECT_EQ(tile.value(), QStringLiteral("1 TB"));
}

TEST(StatTile, KeepsRoomForTwoCaptionLinesAndCutsTheRest) {
  Host host(Appearance::lightPalette(), QSize(220, 200));
  auto* tile = host.add(new StatTile(QStringLiteral("Free"), QStringLiteral("3 GB"), QStringLiteral("short"),
                                     QStringLiteral("internaldrive"), Theme::accent()));
  host.grab(tile);
  auto* caption = tile->findChild<ElidedLabel*>(QLatin1String(names::statTileCaption));
  const int twoLines = 2 * QFontMetrics(caption->font()).lineSpacing() + ElidedLabel::inkBelowLines(caption->font());
  EXPECT_EQ(caption->height(), twoLines) << "space for two lines even for one";
  tile->setCaption(
      QStringLiteral("a caption long enough to need more than two lines in a narrow tile of the overview"));
  host.grab(tile);
  EXPECT_EQ(caption->height(), twoLines);
  const QStringList lines = caption->displayedText().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[1].endsWith(QChar(0x2026)));
}

TEST(PageHeader, ShowsTitleSubtitleAndTrailingControls) {
  Host host(Appearance::lightPalette(), QSize(700, 80));
  auto* header = host.add(new PageHeader(QStringLiteral("Large & Old"), QStringLiteral("Files worth a second look")));
  auto* button = new QPushButton(QStringLiteral("Export"));
  header->addTrailing(button);
  host.grab(header);
  auto* title = header->findChild<QLabel*>(QLatin1String(names::pageHeaderTitle));
  auto* subtitle = header->findChild<QLabel*>(QLatin1String(names::pageHeaderSubtitle));
  ASSERT_TRUE(title && subtitle);
  EXPECT_EQ(title->text(), QStringLiteral("Large & Old"));
  EXPECT_EQ(subtitle->text(), QStringLiteral("Files worth a second look"));
  EXPECT_EQ(title->font().pixelSize(), 26);
  EXPECT_EQ(title->font().weight(), QFont::Bold);
  EXPECT_NEAR(subtitle->palette().color(QPalette::WindowText).alphaF(), 0.5, 0.01);
  // The trailing control sits at the right end, level with the title.
  const QRect b = button->geometry().translated(button->parentWidget()->mapTo(header, QPoint()));
  EXPECT_EQ(b.right(), header->width() - 1);
  EXPECT_NEAR(b.center().y(), title->geometry().center().y(), 3);
}

// ---- FileIcon ----

TEST(FileIcon, CachesFilesByExtensionAndPackagesAndBareNamesByPath) {
  EXPECT_EQ(FileIcon::cacheKey("/a/Report.PDF"), QStringLiteral("ext:pdf"));
  EXPECT_EQ(FileIcon::cacheKey("/b/notes.pdf"), QStringLiteral("ext:pdf"));
  EXPECT_EQ(FileIcon::cacheKey("/Applications/Foo.app"), QStringLiteral("/Applications/Foo.app"));
  EXPECT_EQ(FileIcon::cacheKey("/Applications/Bar.app"), QStringLiteral("/Applications/Bar.app"));
  EXPECT_EQ(FileIcon::cacheKey("/home/u/README"), QStringLiteral("/home/u/README"));
  EXPECT_EQ(FileIcon::cacheKey("/home/u/.bashrc"), QStringLiteral("/home/u/.bashrc")) << "a dot-file has no extension";

  FileIcon::clearCache();
  FileIcon::loadIcon("/a/Report.PDF");
  FileIcon::loadIcon("/b/notes.pdf");
  EXPECT_EQ(FileIcon::cacheSize(), 1u);
  FileIcon::loadIcon("/Applications/Foo.app");
  FileIcon::loadIcon("/Applications/Bar.app");
  EXPECT_EQ(FileIcon::cacheSize(), 3u);
}

TEST(FileIcon, AFolderWithADotInItsNameIsAFolder) {
  const QString folder = QDir::temp().filePath(QStringLiteral("tolvex-icon-3.2.2"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const std::string path = folder.toStdString();
  EXPECT_EQ(FileIcon::cacheKey(path), QStringLiteral("folder"));
  EXPECT_EQ(FileIcon::cacheKey("/nowhere/archive.2"), QStringLiteral("ext:2"));
  QDir(folder).removeRecursively();
}

TEST(FileIcon, TheCacheIsEmptiedWhenItHoldsMoreThanFourThousand) {
  FileIcon::clearCache();
  for (int i = 0; i < 4001; ++i) FileIcon::loadIcon("/x/file." + std::to_string(i) + "z");
  EXPECT_EQ(FileIcon::cacheSize(), 4001u);
  FileIcon::loadIcon("/x/other.0z");  // a hit changes nothing
  EXPECT_EQ(FileIcon::cacheSize(), 4001u);
  FileIcon::loadIcon("/x/new.q");  // the next miss empties the cache before storing
  EXPECT_EQ(FileIcon::cacheSize(), 1u);
  FileIcon::clearCache();
}

TEST(FileIcon, ShowsAKindSymbolInTheKindColourWithoutAnIconTheme) {
  Host host(Appearance::lightPalette());
  auto* icon = host.add(new FileIcon("/music/song.mp3", 20));
  EXPECT_EQ(icon->sizeHint(), QSize(20, 20));
  const QImage img = host.grab(icon);
  int best = 255;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) best = std::min(best, distance(img.pixelColor(x, y), Theme::purple()));
  }
  EXPECT_LE(best, 4) << "audio is drawn in purple";
  EXPECT_FALSE(FileIcon::loadIcon(QDir::tempPath().toStdString()).isNull()) << "a folder has an icon";
}

// ---- Buttons ----

TEST(Buttons, PrimaryButtonIsPaddedAfterItsSizeAndNeverAutoDefault) {
  PrimaryButton small(QStringLiteral("Scan Entire Disk"));
  PrimaryButton large(QStringLiteral("Scan Entire Disk"), true);
  EXPECT_FALSE(small.autoDefault());
  EXPECT_EQ(small.font().pixelSize(), 13);
  EXPECT_EQ(large.font().pixelSize(), 15);
  EXPECT_EQ(small.font().weight(), QFont::DemiBold);
  const QFontMetrics fs(small.font());
  const QFontMetrics fl(large.font());
  EXPECT_EQ(small.sizeHint(), QSize(fs.horizontalAdvance(small.text()) + 28, fs.height() + 12));
  EXPECT_EQ(large.sizeHint(), QSize(fl.horizontalAdvance(large.text()) + 56, fl.height() + 24));
  DestructiveButton destructive(QStringLiteral("Delete"));
  EXPECT_FALSE(destructive.autoDefault());
  const QFontMetrics fd(destructive.font());
  EXPECT_EQ(destructive.sizeHint(), QSize(fd.horizontalAdvance(QStringLiteral("Delete")) + 28, fd.height() + 12));
}

TEST(Buttons, PrimaryIsFilledWithTheBrandGradientAndDestructiveWithDanger) {
  const QPalette palette = Appearance::lightPalette();
  Host host(palette);
  auto* primary = host.add(new PrimaryButton(QStringLiteral("Go")));
  auto* destructive = host.add(new DestructiveButton(QStringLiteral("Delete")));
  host.grab(primary);
  const QImage p = primary->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  // The capsule's ends: indigo at the leading end, accent at the trailing end.
  const QColor left = p.pixelColor(4, p.height() / 2);
  const QColor right = p.pixelColor(p.width() - 5, p.height() / 2);
  EXPECT_LT(distance(left, Theme::indigo()), distance(left, Theme::accent()));
  EXPECT_LT(distance(right, Theme::accent()), distance(right, Theme::indigo()));
  const QImage d = destructive->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_TRUE(near(d.pixelColor(5, d.height() / 2), Theme::danger(palette), 24));
  EXPECT_EQ(d.pixelColor(5, d.height() / 2).alpha(), 255);
  // Disabled, it fades.
  destructive->setEnabled(false);
  const QImage off = destructive->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_NEAR(off.pixelColor(5, off.height() / 2).alphaF(), 0.4, 0.02);
}

TEST(Buttons, ClicksAndReturnOnlyWhileEnabled) {
  QWidget window;
  auto* button = new DestructiveButton(QStringLiteral("Delete"), &window);
  int clicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
  window.show();
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  button->setEnabled(false);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
}

// ---- DiskRing ----

TEST(DiskRing, FractionIsUsedOverTotalUnclamped) {
  EXPECT_DOUBLE_EQ(DiskRing::fraction(50, 200), 0.25);
  EXPECT_DOUBLE_EQ(DiskRing::fraction(50, 0), 0.0);
  EXPECT_DOUBLE_EQ(DiskRing::fraction(50, -10), 0.0);
  EXPECT_DOUBLE_EQ(DiskRing::fraction(300, 200), 1.5);
  EXPECT_DOUBLE_EQ(DiskRing::fraction(-20, 200), -0.1);
}

TEST(DiskRing, DrawsTheArcFromTheTopClockwiseOverTheTrack) {
  const QPalette palette = Appearance::lightPalette();
  Host host(palette, QSize(100, 100));
  auto* ring = host.add(new DiskRing(50, 100));
  const QImage img = host.grab(ring);
  const QColor track = over(host.window(), Theme::primary(palette), 0.06);
  // Half full: the right half (3 o'clock) is arc, the left half (9 o'clock) only track.
  const QColor right = img.pixelColor(100 - 7, 50);
  const QColor left = img.pixelColor(6, 50);
  EXPECT_GT(distance(right, track), 60);
  EXPECT_TRUE(near(left, track, 2));
  // Near the start the arc is accent, half way indigo.
  EXPECT_LT(distance(img.pixelColor(58, 7), Theme::accent()), 60);
  EXPECT_LT(distance(img.pixelColor(50, 100 - 8), Theme::indigo()), 40);
}

TEST(DiskRing, AboveNinetyPercentTheArcEndsInDanger) {
  const QPalette palette = Appearance::lightPalette();
  Host host(palette, QSize(100, 100));
  auto* ring = host.add(new DiskRing(95, 100));
  const QImage img = host.grab(ring);
  // The last stretch, just before the end at 342°: about 330° clockwise from the top.
  const double a = (330.0 - 90.0) * M_PI / 180.0;
  const QPoint p(static_cast<int>(50 + 43 * std::cos(a)), static_cast<int>(50 + 43 * std::sin(a)));
  EXPECT_LT(distance(img.pixelColor(p), Theme::danger(palette)), 60);

  auto* exact = host.add(new DiskRing(90, 100));
  const QImage img90 = host.grab(exact);
  const double b = (310.0 - 90.0) * M_PI / 180.0;
  const QPoint q(static_cast<int>(50 + 43 * std::cos(b)), static_cast<int>(50 + 43 * std::sin(b)));
  EXPECT_GT(distance(img90.pixelColor(q), Theme::danger(palette)), 60) << "exactly 90 % keeps indigo";
}

TEST(DiskRing, AnEmptyOrNegativeRingShowsOnlyTheTrack) {
  const QPalette palette = Appearance::darkPalette();
  Host host(palette, QSize(60, 60));
  auto* ring = host.add(new DiskRing(-5, 100));
  const QImage img = host.grab(ring);
  const QColor track = over(host.window(), Theme::primary(palette), 0.06);
  EXPECT_TRUE(near(img.pixelColor(30, 7), track, 2));
  EXPECT_TRUE(near(img.pixelColor(60 - 7, 30), track, 2));
}

// ---- Card, AmbientBackground ----

TEST(Card, PadsItsContentAndCastsAShadowBelowItself) {
  QWidget page;
  page.resize(300, 200);
  auto* layout = new QVBoxLayout(&page);
  layout->setContentsMargins(20, 20, 20, 20);
  auto* card = new Card(12);
  auto* label = new QLabel(QStringLiteral("inside"));
  card->body()->addWidget(label);
  layout->addWidget(card);
  page.show();
  QApplication::processEvents();
  EXPECT_EQ(label->geometry().topLeft(), QPoint(12, 12));
  auto* shadow = page.findChild<CardShadow*>();
  ASSERT_NE(shadow, nullptr);
  EXPECT_TRUE(shadow->isVisible());
  EXPECT_TRUE(shadow->geometry().contains(card->geometry()));
  EXPECT_GT(shadow->geometry().bottom(), card->geometry().bottom());
  card->hide();
  EXPECT_FALSE(shadow->isVisible());
  delete card;
  EXPECT_EQ(page.findChild<CardShadow*>(), nullptr) << "the shadow goes with its card";
}

TEST(Card, AShadowStaysHiddenWithACardHiddenBeforeItsPageIsShown) {
  QWidget page;
  page.resize(200, 120);
  auto* card = new Card(8, &page);
  card->setGeometry(20, 20, 100, 60);
  card->hide();
  page.show();
  QApplication::processEvents();
  auto* shadow = page.findChild<CardShadow*>();
  ASSERT_NE(shadow, nullptr);
  EXPECT_FALSE(shadow->isVisible());
  card->show();
  EXPECT_TRUE(shadow->isVisible());
  card->move(40, 30);
  EXPECT_EQ(shadow->geometry(), card->geometry().marginsAdded(Card::shadowMargins()));
}

TEST(Card, IsTheWindowColourAtFiftyFivePercentWithAFaintStroke) {
  const QPalette palette = Appearance::darkPalette();
  QWidget page;
  page.setPalette(palette);
  page.setAutoFillBackground(true);
  page.resize(200, 120);
  auto* card = new Card(16, &page);
  card->setGeometry(20, 20, 160, 80);
  page.show();
  QApplication::processEvents();
  const QImage img = page.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  const QColor window = palette.color(QPalette::Window);
  EXPECT_TRUE(near(img.pixelColor(100, 60), window, 2)) << "window at 0.55 over the window colour";
  EXPECT_TRUE(near(img.pixelColor(100, 20), over(window, Theme::primary(palette), 0.07), 3)) << "the stroke";
}

TEST(AmbientBackground, GlowsIndigoTopLeftAndAccentBottomRight) {
  const QPalette palette = Appearance::lightPalette();
  AmbientBackground background;
  background.setPalette(palette);
  background.resize(1040, 680);
  const QImage img = background.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  const QColor window = palette.color(QPalette::Window);
  // Glow centres: the middle moved by (−260, −220) and (300, 240).
  EXPECT_TRUE(near(img.pixelColor(520 - 260, 340 - 220), over(window, Theme::indigo(), 0.155), 4));
  EXPECT_TRUE(near(img.pixelColor(520 + 300, 340 + 240), over(window, Theme::accent(), 0.135), 4));
}

// ---- Symbols on widgets ----

TEST(SymbolView, FillsWithAColourItsGradientOrTheBrandGradient) {
  Host host(Appearance::lightPalette());
  auto* plain = host.add(new SymbolView(QStringLiteral("stop.fill"), Theme::danger(), 40));
  auto* brand = host.add(new SymbolView(QStringLiteral("stop.fill"), 40));
  brand->setBrandGradient(true);
  host.grab(plain);
  const QImage p = plain->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_TRUE(near(p.pixelColor(20, 20), Theme::danger(Appearance::lightPalette()), 1));
  const QImage b = brand->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  // stop.fill covers 5…19 of 24: sample just inside its top-left and bottom-right corners.
  const QColor topLeft = b.pixelColor(11, 11);
  const QColor bottomRight = b.pixelColor(29, 29);
  EXPECT_LT(distance(topLeft, Theme::indigo()), distance(topLeft, Theme::accent()));
  EXPECT_LT(distance(bottomRight, Theme::accent()), distance(bottomRight, Theme::indigo()));
  plain->setGradientFill(true);
  const QImage g = plain->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_TRUE(near(g.pixelColor(20, 20), Theme::danger(Appearance::lightPalette()), 24));
  EXPECT_GT(g.pixelColor(20, 10).lightness(), g.pixelColor(20, 30).lightness()) << "lighter at the top";
}

TEST(SymbolView, ButtonsGetTheTitleTheSymbolAndItsName) {
  QPushButton button;
  labelWithSymbol(&button, QStringLiteral("Scan Again"), QStringLiteral("arrow.clockwise"));
  EXPECT_EQ(button.text(), QStringLiteral("Scan Again"));
  EXPECT_FALSE(button.icon().isNull());
  EXPECT_EQ(button.property("sfSymbol").toString(), QStringLiteral("arrow.clockwise"));
}

// ---- ElidedLabel ----

TEST(ElidedLabel, CutsOneLineInTheMiddle) {
  ElidedLabel label(QStringLiteral("/home/user/a/very/long/path/to/some/folder/deep/inside/file.txt"));
  label.setElideMode(Qt::ElideMiddle);
  label.resize(120, 20);
  const QString shown = label.displayedText();
  EXPECT_TRUE(shown.contains(QChar(0x2026)));
  EXPECT_TRUE(shown.startsWith(QStringLiteral("/h")));
  EXPECT_TRUE(shown.endsWith(QStringLiteral("txt")));
  EXPECT_EQ(label.text(), QStringLiteral("/home/user/a/very/long/path/to/some/folder/deep/inside/file.txt"));
}

// An underscore lies below the line box of small DejaVu text: the label keeps room for it, at every
// text size it is used with, so names like "LC_MESSAGES" never lose it.
TEST(ElidedLabel, KeepsTheInkOfUnderscoresBelowTheLine) {
  for (TextStyle style : {TextStyle::caption, TextStyle::caption2, TextStyle::callout, TextStyle::body,
                          TextStyle::title3, TextStyle::title2}) {
    SCOPED_TRACE(Theme::pixelSize(style));
    ElidedLabel label(QStringLiteral("___"));
    label.setFont(Theme::font(style));
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    label.setPalette(palette);
    label.setAutoFillBackground(true);
    label.resize(label.sizeHint());
    const QImage image = label.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) inked += image.pixelColor(x, y).lightness() < 160;
    EXPECT_GT(inked, 0) << "the underscores were cut off";
  }
}

// ---- Gallery (the tolvex_gallery target runs it) ----

namespace {

QWidget* gallery() {
  auto* root = new AmbientBackground;
  root->resize(1040, 680);
  auto* page = new QVBoxLayout(root);
  page->setContentsMargins(24, 24, 24, 24);
  page->setSpacing(18);

  auto* header = new PageHeader(QStringLiteral("Overview"), QStringLiteral("Where your space goes, at a glance."));
  auto* home = new QPushButton(QStringLiteral("Home Folder Only"));
  home->setAutoDefault(false);
  header->addTrailing(home);
  header->addTrailing(new PrimaryButton(QStringLiteral("Scan Entire Disk")));
  page->addWidget(header);

  auto* tiles = new QHBoxLayout;
  tiles->setSpacing(14);
  tiles->addWidget(new StatTile(QStringLiteral("Used"), QStringLiteral("412.35 GB"),
                                QStringLiteral("of 994.66 GB on Macintosh HD"), QStringLiteral("internaldrive.fill"),
                                Theme::indigo()));
  tiles->addWidget(new StatTile(QStringLiteral("Free"), QStringLiteral("582.31 GB"),
                                QStringLiteral("58.5% of the disk"), QStringLiteral("checkmark.circle.fill"),
                                Theme::success()));
  tiles->addWidget(new StatTile(QStringLiteral("Files"), QStringLiteral("1,284,311"), std::nullopt,
                                QStringLiteral("doc.on.doc.fill"), Theme::accent()));
  tiles->addWidget(
      new StatTile(QStringLiteral("Reclaimable"), QStringLiteral("18.4 GB"),
                   QStringLiteral("Caches, logs, old downloads and the Trash; everything is reviewed before it goes"),
                   QStringLiteral("sparkles"), Theme::warning()));
  page->addLayout(tiles);

  auto* composition = new Card(16);
  composition->body()->setSpacing(12);
  auto* compTitle = new QLabel(QStringLiteral("Composition"));
  compTitle->setFont(Theme::font(TextStyle::headline));
  composition->body()->addWidget(compTitle);
  std::vector<Segment> segments;
  const qint64 values[] = {120, 90, 60, 45, 30, 25, 20, 15, 10, 6, 4, 1};
  qint64 total = 0;
  size_t i = 0;
  for (StorageBucket b : kAllStorageBuckets) {
    segments.push_back(
        {QString::fromLatin1(symbol(b)), QString::fromLatin1(title(b)), values[i] * 1'000'000'000, Theme::colorFor(b)});
    total += values[i++] * 1'000'000'000;
  }
  composition->body()->addWidget(new SegmentedBar(segments, total + 60'000'000'000, 14));
  auto* legend = new QGridLayout;
  legend->setHorizontalSpacing(18);
  legend->setVerticalSpacing(6);
  i = 0;
  for (StorageBucket b : kAllStorageBuckets) {
    auto* item = new QHBoxLayout;
    item->setSpacing(6);
    item->addWidget(new LegendDot(Theme::colorFor(b)));
    auto* name = new QLabel(QString::fromLatin1(title(b)));
    name->setFont(Theme::font(TextStyle::callout));
    item->addWidget(name);
    auto* size = new QLabel(SizeCell::text(values[i] * 1'000'000'000));
    size->setFont(Theme::font(TextStyle::callout));
    Theme::setForeground(size, Tone::secondary);
    item->addWidget(size);
    item->addStretch();
    legend->addLayout(item, static_cast<int>(i / 4), static_cast<int>(i % 4));
    ++i;
  }
  composition->body()->addLayout(legend);
  page->addWidget(composition);

  auto* bottom = new QHBoxLayout;
  bottom->setSpacing(14);
  auto* files = new Card(14);
  files->body()->setSpacing(8);
  const struct {
    const char* path;
    qint64 size;
    Risk risk;
  } rows[] = {{"/home/user/Movies/holiday-2023.mov", 8'400'000'000, Risk::safe},
              {"/home/user/Downloads/debian-12.iso", 3'900'000'000, Risk::review},
              {"/home/user/Music/album.flac", 1'200'000'000, Risk::safe},
              {"/etc/ssl/certs", 740'000, Risk::protected_},
              {"/home/user/Projects", -5, Risk::safe}};
  for (const auto& row : rows) {
    auto* line = new QHBoxLayout;
    line->setSpacing(10);
    line->addWidget(new FileIcon(row.path, 20));
    auto* name = new ElidedLabel(QString::fromUtf8(row.path));
    name->setElideMode(Qt::ElideMiddle);
    name->setFont(Theme::font(TextStyle::body));
    line->addWidget(name, 2);
    line->addWidget(new RiskBadge(row.risk, false));
    line->addWidget(new RiskBadge(row.risk, true));
    line->addWidget(new SizeCell(row.size, static_cast<double>(row.size) / 8.4e9,
                                 Theme::colorFor(kindForFileName(std::string(row.path)))),
                    3);
    files->body()->addLayout(line);
  }
  bottom->addWidget(files, 3);

  auto* side = new Card(14);
  side->body()->setSpacing(10);
  auto* rings = new QHBoxLayout;
  auto* ring = new DiskRing(412, 994);
  ring->setFixedSize(90, 90);
  auto* full = new DiskRing(95, 100);
  full->setFixedSize(54, 54);
  rings->addWidget(ring);
  rings->addWidget(full, 0, Qt::AlignCenter);
  side->body()->addLayout(rings);
  auto* refresh = labelWithSymbol(QStringLiteral("Refresh"), QStringLiteral("arrow.clockwise"));
  side->body()->addWidget(refresh);
  auto* warn = labelWithSymbol(QStringLiteral("3 protected items won’t be touched."), QStringLiteral("lock.fill"));
  warn->setTextStyle(TextStyle::callout);
  warn->setColor(Theme::danger());
  side->body()->addWidget(warn);
  auto* buttons = new QHBoxLayout;
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setAutoDefault(false);
  buttons->addWidget(cancel);
  buttons->addWidget(new DestructiveButton(QStringLiteral("Delete")));
  buttons->addWidget(new PrimaryButton(QStringLiteral("Scan"), true));
  side->body()->addLayout(buttons);
  auto* states = new QHBoxLayout;
  auto* rescan = new PrimaryButton(QString());
  labelWithSymbol(rescan, QStringLiteral("Rescan"), QStringLiteral("arrow.clockwise"));
  states->addWidget(rescan);
  auto* plainRescan = new QPushButton;
  plainRescan->setAutoDefault(false);
  labelWithSymbol(plainRescan, QStringLiteral("Rescan"), QStringLiteral("arrow.clockwise"));
  states->addWidget(plainRescan);
  auto* off = new DestructiveButton(QStringLiteral("Delete Permanently"));
  off->setEnabled(false);
  states->addWidget(off);
  side->body()->addLayout(states);
  auto* hovered = new SegmentedBar(
      {{"a", "Apps", 50, Theme::blue()}, {"b", "Docs", 30, Theme::mint()}, {"c", "Video", 20, Theme::pink()}}, 100, 8);
  hovered->setHovered(QStringLiteral("b"));
  side->body()->addWidget(hovered);
  bottom->addWidget(side, 2);
  page->addLayout(bottom);
  page->addStretch();
  return root;
}

QWidget* glyphSheet() {
  auto* root = new QWidget;
  root->setAutoFillBackground(true);
  auto* grid = new QGridLayout(root);
  grid->setSpacing(6);
  const QStringList names = Symbols::bundledNames() + QStringList{QStringLiteral("no.such.symbol")};
  int i = 0;
  for (const QString& name : names) {
    auto* cell = new QVBoxLayout;
    auto* big = new SymbolView(name, 32);
    auto* row = new QHBoxLayout;
    row->addWidget(big);
    row->addWidget(new SymbolView(name, 16));
    row->addWidget(new SymbolView(name, Theme::indigo(), 13));
    cell->addLayout(row);
    auto* label = new QLabel(name);
    label->setFont(Theme::font(TextStyle::caption2));
    label->setFixedWidth(120);
    cell->addWidget(label);
    grid->addLayout(cell, i / 8, i % 8);
    ++i;
  }
  return root;
}

void save(QWidget* widget, const QString& file) {
  widget->show();
  QApplication::processEvents();
  QTest::qWait(50);
  const QString dir = qEnvironmentVariable("TOLVEX_GALLERY_DIR", QStringLiteral("/tmp"));
  const QString path = QDir(dir).filePath(file);
  ASSERT_TRUE(widget->grab().save(path)) << path.toStdString();
}

}  // namespace

TEST(ComponentsGallery, GrabsEveryComponentInLightAndDark) {
  TOLVEX_GALLERY_ONLY();
  const QPalette saved = QApplication::palette();
  for (AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
    Appearance::apply(appearance);
    std::unique_ptr<QWidget> page(gallery());
    page->setFixedSize(1040, 680);
    save(page.get(), QStringLiteral("tolvex-components-%1.png").arg(rawValue(appearance)));
    std::unique_ptr<QWidget> sheet(glyphSheet());
    save(sheet.get(), QStringLiteral("tolvex-symbols-%1.png").arg(rawValue(appearance)));
  }
  QApplication::setPalette(saved);
}
