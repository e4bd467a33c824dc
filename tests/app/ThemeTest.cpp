// Colours, fonts, appearance palettes, animations and symbols.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <cstdlib>
#include <functional>
#include <set>

#include "app/components/SymbolView.h"
#include "app/theme/Anim.h"
#include "app/theme/Appearance.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/StorageBucket.h"
#include "system/SystemDataPart.h"

using namespace tolvex;

namespace {

QString hex(const QColor& c) { return c.name(QColor::HexArgb).toUpper(); }

// Puts the application back in its light palette after a test that switches appearance.
class AppearanceGuard {
 public:
  AppearanceGuard() : saved_(QApplication::palette()) {}
  ~AppearanceGuard() { QApplication::setPalette(saved_); }

 private:
  QPalette saved_;
};

QPalette paletteWithWindow(const QColor& window) {
  QPalette p = Appearance::lightPalette();
  p.setColor(QPalette::Window, window);
  return p;
}

}  // namespace

TEST(Theme, PaletteColoursHaveTheirValues) {
  const struct {
    const char* name;
    const QColor& (*color)();
    const char* value;
  } cases[] = {
      {"blue", Theme::blue, "#FF5B8CFF"},         {"mint", Theme::mint, "#FF34C3A0"},
      {"amber", Theme::amber, "#FFF5B83D"},       {"pink", Theme::pink, "#FFFF6B8A"},
      {"purple", Theme::purple, "#FFB57BFF"},     {"orange", Theme::orange, "#FFFF9F43"},
      {"cyan", Theme::cyan, "#FF3DD6F5"},         {"slate", Theme::slate, "#FF8E9AAF"},
      {"green", Theme::green, "#FF7BE07B"},       {"tan", Theme::tan, "#FFC9A27E"},
      {"graphite", Theme::graphite, "#FF4A5068"}, {"gray", Theme::gray, "#FFA0A4B0"},
      {"indigo", Theme::indigo, "#FF6E5BFF"},     {"accent", Theme::accent, "#FF2FD5C9"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hex(c.color()), QString::fromLatin1(c.value)) << c.name;
    EXPECT_EQ(&c.color(), &c.color()) << c.name << " is built once and shared";
  }
}

TEST(Theme, RgbBuildsOpaqueColoursFromTwentyFourBits) {
  EXPECT_EQ(hex(Theme::rgb(0xFFFFFF)), QStringLiteral("#FFFFFFFF"));
  EXPECT_EQ(hex(Theme::rgb(0x000000)), QStringLiteral("#FF000000"));
  EXPECT_EQ(hex(Theme::rgb(0x123456)), QStringLiteral("#FF123456"));
  EXPECT_EQ(hex(Theme::rgb(0xFF123456)), QStringLiteral("#FF123456")) << "bits above 24 are ignored";
}

TEST(Theme, SemanticColoursTakeTheValueOfThePaletteTheyAreDrawnOn) {
  const struct {
    const char* name;
    ThemeColor color;
    const char* light;
    const char* dark;
  } cases[] = {
      {"success", Theme::success(), "#FF188A4A", "#FF30C26B"},
      {"warning", Theme::warning(), "#FFA86400", "#FFF2A33A"},
      {"danger", Theme::danger(), "#FFD13438", "#FFE5484D"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(c.color.isDynamic()) << c.name;
    EXPECT_EQ(hex(c.color.resolve(Appearance::lightPalette())), QString::fromLatin1(c.light)) << c.name;
    EXPECT_EQ(hex(c.color.resolve(Appearance::darkPalette())), QString::fromLatin1(c.dark)) << c.name;
    // A palette that is neither clearly light nor dark (mid grey) draws the light value.
    EXPECT_EQ(hex(c.color.resolve(paletteWithWindow(QColor(128, 128, 128)))), QString::fromLatin1(c.light)) << c.name;
  }
  EXPECT_EQ(hex(Theme::danger(paletteWithWindow(QColor(127, 127, 127)))), QStringLiteral("#FFE5484D"));
}

TEST(Theme, SemanticColoursFollowTheApplicationAppearanceWithoutBeingRebuilt) {
  AppearanceGuard guard;
  const ThemeColor danger = Theme::danger();  // built before the switch, resolved after it
  Appearance::apply(AppAppearance::dark);
  EXPECT_EQ(hex(danger.resolve()), QStringLiteral("#FFE5484D"));
  Appearance::apply(AppAppearance::light);
  EXPECT_EQ(hex(danger.resolve()), QStringLiteral("#FFD13438"));
}

TEST(Theme, StaticColoursConvertToThemeColoursThatNeverChange) {
  const ThemeColor blue = Theme::blue();
  EXPECT_FALSE(blue.isDynamic());
  EXPECT_EQ(blue.resolve(Appearance::lightPalette()), Theme::blue());
  EXPECT_EQ(blue.resolve(Appearance::darkPalette()), Theme::blue());
  // An unset colour stands for the palette's text colour.
  EXPECT_EQ(ThemeColor().resolve(Appearance::darkPalette()), Appearance::darkPalette().color(QPalette::WindowText));
}

TEST(Theme, EveryCategoryAndKindHasItsColour) {
  const std::pair<StorageBucket, const char*> buckets[] = {
      {StorageBucket::applications, "#FF5B8CFF"}, {StorageBucket::documents, "#FF34C3A0"},
      {StorageBucket::images, "#FFF5B83D"},       {StorageBucket::video, "#FFFF6B8A"},
      {StorageBucket::audio, "#FFB57BFF"},        {StorageBucket::archives, "#FFFF9F43"},
      {StorageBucket::developer, "#FF3DD6F5"},    {StorageBucket::appData, "#FF8E9AAF"},
      {StorageBucket::junk, "#FF7BE07B"},         {StorageBucket::trash, "#FFC9A27E"},
      {StorageBucket::system, "#FF4A5068"},       {StorageBucket::other, "#FFA0A4B0"},
  };
  ASSERT_EQ(std::size(buckets), kAllStorageBuckets.size());
  for (const auto& [bucket, value] : buckets)
    EXPECT_EQ(hex(Theme::colorFor(bucket)), QString::fromLatin1(value)) << title(bucket);

  const std::pair<FileKind, const char*> kinds[] = {
      {FileKind::document, "#FF34C3A0"}, {FileKind::image, "#FFF5B83D"},       {FileKind::video, "#FFFF6B8A"},
      {FileKind::audio, "#FFB57BFF"},    {FileKind::archive, "#FFFF9F43"},     {FileKind::diskImage, "#FFFF9F43"},
      {FileKind::code, "#FF3DD6F5"},     {FileKind::application, "#FF5B8CFF"}, {FileKind::other, "#FFA0A4B0"},
  };
  ASSERT_EQ(std::size(kinds), kAllFileKinds.size());
  for (const auto& [kind, value] : kinds)
    EXPECT_EQ(hex(Theme::colorFor(kind)), QString::fromLatin1(value)) << title(kind);

  // A code file is drawn in the developer colour by kind, though by category it counts as a document.
  EXPECT_EQ(Theme::colorFor(FileKind::code), Theme::colorFor(StorageBucket::developer));
  EXPECT_EQ(Theme::colorFor(bucketForKind(FileKind::code)), Theme::colorFor(StorageBucket::documents));
}

TEST(Theme, RiskColoursAreTheSemanticColours) {
  EXPECT_EQ(Theme::colorFor(Risk::safe), Theme::success());
  EXPECT_EQ(Theme::colorFor(Risk::review), Theme::warning());
  EXPECT_EQ(Theme::colorFor(Risk::protected_), Theme::danger());
}

TEST(Theme, NeutralStylesAreWindowTextAtTheirOpacities) {
  const QPalette light = Appearance::lightPalette();
  const QPalette dark = Appearance::darkPalette();
  EXPECT_EQ(Theme::primary(light), light.color(QPalette::WindowText));
  EXPECT_EQ(Theme::secondary(light).rgb(), light.color(QPalette::WindowText).rgb());
  EXPECT_NEAR(Theme::secondary(light).alphaF(), 0.50, 0.005);
  EXPECT_NEAR(Theme::secondary(dark).alphaF(), 0.55, 0.005);
  EXPECT_EQ(Theme::secondary(dark).rgb(), dark.color(QPalette::WindowText).rgb());
  EXPECT_NEAR(Theme::tertiary(light).alphaF(), 0.26, 0.005);
  EXPECT_NEAR(Theme::tertiary(dark).alphaF(), 0.26, 0.005);
  EXPECT_NEAR(Theme::primary(dark, 0.07).alphaF(), 0.07, 0.005);
  EXPECT_EQ(Theme::tone(Tone::secondary, dark), Theme::secondary(dark));
}

TEST(Theme, FontsArePixelSizedAfterTheTable) {
  const struct {
    TextStyle style;
    int px;
    QFont::Weight weight;
  } cases[] = {
      {TextStyle::largeTitle, 26, QFont::Normal}, {TextStyle::title, 22, QFont::Normal},
      {TextStyle::title2, 17, QFont::Normal},     {TextStyle::title3, 15, QFont::Normal},
      {TextStyle::headline, 13, QFont::Bold},     {TextStyle::body, 13, QFont::Normal},
      {TextStyle::callout, 12, QFont::Normal},    {TextStyle::subheadline, 11, QFont::Normal},
      {TextStyle::footnote, 10, QFont::Normal},   {TextStyle::caption, 10, QFont::Normal},
      {TextStyle::caption2, 10, QFont::Medium},
  };
  for (const auto& c : cases) {
    const QFont f = Theme::font(c.style);
    EXPECT_EQ(f.pixelSize(), c.px) << static_cast<int>(c.style);
    EXPECT_EQ(f.pointSize(), -1) << "never point sizes";
    EXPECT_EQ(f.weight(), c.weight) << static_cast<int>(c.style);
    EXPECT_EQ(f.family(), QApplication::font().family());
  }
  EXPECT_EQ(Theme::font(TextStyle::caption, QFont::DemiBold).weight(), QFont::DemiBold);
  EXPECT_EQ(Theme::systemFont(26, QFont::Bold).pixelSize(), 26);
}

TEST(Theme, FiguresThatChangeUseFixedPitchAndColumnsUseEqualDigits) {
  EXPECT_TRUE(QFontInfo(Theme::fixedFont(TextStyle::caption)).fixedPitch());
  EXPECT_EQ(Theme::fixedFont(TextStyle::caption).pixelSize(), 10);
  const QFont digits = Theme::monospacedDigitFont(TextStyle::body);
  EXPECT_EQ(digits.pixelSize(), 13);
  const QFontMetricsF fm(digits);
  for (char d = '1'; d <= '9'; ++d) {
    EXPECT_DOUBLE_EQ(fm.horizontalAdvance(QLatin1Char(d)), fm.horizontalAdvance(QLatin1Char('0'))) << d;
  }
}

// A "monospace" alias that resolves to a proportional face (as with some desktop font sets) must not
// become the fixed font: the next candidate that really is fixed pitch is taken.
TEST(Theme, FixedPitchPickSkipsProportionalFaces) {
  const QFont proportional(QStringLiteral("DejaVu Sans"));
  const QFont mono(QStringLiteral("DejaVu Sans Mono"));
  ASSERT_FALSE(QFontInfo(proportional).fixedPitch());
  ASSERT_TRUE(QFontInfo(mono).fixedPitch()) << "DejaVu Sans Mono is installed by scripts/install-deps.sh";
  EXPECT_EQ(Theme::firstFixedPitch({proportional, mono}).family(), mono.family());
  EXPECT_EQ(Theme::firstFixedPitch({mono, proportional}).family(), mono.family());
  EXPECT_EQ(Theme::firstFixedPitch({proportional}).family(), proportional.family()) << "no fixed face: the first";
  EXPECT_TRUE(QFontInfo(Theme::fixedFont(TextStyle::body)).fixedPitch());
  EXPECT_TRUE(QFontInfo(Theme::fixedFont(TextStyle::headline)).fixedPitch()) << "bold too";
  // Run once more with a font configuration whose "monospace" is proportional: the system's fixed
  // font is then not fixed pitch, and ours still is.
  if (qEnvironmentVariableIsSet("TOLVEX_EXPECT_PROPORTIONAL_MONOSPACE")) {
    EXPECT_FALSE(QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).fixedPitch());
  }
}

TEST(Theme, BrandGradientRunsFromIndigoAtTheTopLeadingCornerToAccent) {
  const QRectF r(10, 20, 100, 40);
  const QLinearGradient g = Theme::brandGradient(r);
  EXPECT_EQ(g.start(), r.topLeft());
  EXPECT_EQ(g.finalStop(), r.bottomRight());
  ASSERT_EQ(g.stops().size(), 2);
  EXPECT_EQ(g.stops().first().second, Theme::indigo());
  EXPECT_EQ(g.stops().last().second, Theme::accent());
  const QLinearGradient rtl = Theme::brandGradient(r, Qt::RightToLeft);
  EXPECT_EQ(rtl.start(), r.topRight());
  EXPECT_EQ(rtl.finalStop(), r.bottomLeft());
}

TEST(AppAppearance, HasThreeChoicesWithRawValuesAndTitles) {
  ASSERT_EQ(kAllAppAppearances.size(), 3u);
  const char* raws[] = {"system", "light", "dark"};
  const char* titles[] = {"System", "Light", "Dark"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(rawValue(kAllAppAppearances[i]), QString::fromLatin1(raws[i]));
    EXPECT_EQ(title(kAllAppAppearances[i]), QString::fromLatin1(titles[i]));
    EXPECT_EQ(appAppearanceFromRaw(QString::fromLatin1(raws[i])), kAllAppAppearances[i]);
  }
  EXPECT_FALSE(appAppearanceFromRaw(QStringLiteral("Dark")).has_value()) << "raw values are lower case";
  EXPECT_FALSE(appAppearanceFromRaw(QString()).has_value());
  EXPECT_EQ(appAppearanceOrSystem(QStringLiteral("sepia")), AppAppearance::system);
  EXPECT_EQ(appAppearanceOrSystem(QString()), AppAppearance::system);
  EXPECT_EQ(appAppearanceOrSystem(QStringLiteral("dark")), AppAppearance::dark);
}

TEST(AppAppearance, ApplyingSetsFusionAndOurPalettesAndSystemRestoresTheCapturedOne) {
  AppearanceGuard guard;
  const QPalette before = QApplication::palette();
  Appearance::captureSystemPalette();
  const QPalette system = Appearance::systemPalette();

  Appearance::apply(AppAppearance::dark);
  EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(0x32, 0x32, 0x32));
  EXPECT_TRUE(Theme::isDark(QApplication::palette()));

  Appearance::apply(AppAppearance::light);
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(0xEC, 0xEC, 0xEC));
  EXPECT_FALSE(Theme::isDark(QApplication::palette()));

  Appearance::apply(AppAppearance::system);
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), system.color(QPalette::Window));
  EXPECT_EQ(QApplication::palette().color(QPalette::WindowText), system.color(QPalette::WindowText));
  // A later capture keeps the first one.
  Appearance::apply(AppAppearance::dark);
  Appearance::captureSystemPalette();
  EXPECT_EQ(Appearance::systemPalette().color(QPalette::Window), system.color(QPalette::Window));
  (void)before;
}

TEST(AppAppearance, BoundLabelsAreRecolouredWhenTheAppearanceChanges) {
  AppearanceGuard guard;
  Appearance::apply(AppAppearance::light);
  QWidget parent;
  auto* secondary = new QLabel(QStringLiteral("secondary"), &parent);
  auto* danger = new QLabel(QStringLiteral("danger"), &parent);
  Theme::setForeground(secondary, Tone::secondary);
  Theme::setForeground(danger, Theme::danger());
  parent.show();

  const QColor lightText = Appearance::lightPalette().color(QPalette::WindowText);
  EXPECT_EQ(secondary->palette().color(QPalette::WindowText).rgb(), lightText.rgb());
  EXPECT_NEAR(secondary->palette().color(QPalette::WindowText).alphaF(), 0.50, 0.01);
  EXPECT_EQ(hex(danger->palette().color(QPalette::WindowText)), QStringLiteral("#FFD13438"));

  Appearance::apply(AppAppearance::dark);
  QApplication::processEvents();
  const QColor darkText = Appearance::darkPalette().color(QPalette::WindowText);
  EXPECT_EQ(secondary->palette().color(QPalette::WindowText).rgb(), darkText.rgb());
  EXPECT_NEAR(secondary->palette().color(QPalette::WindowText).alphaF(), 0.55, 0.01);
  EXPECT_EQ(hex(danger->palette().color(QPalette::WindowText)), QStringLiteral("#FFE5484D"));
  // The rest of the palette still follows the application's.
  EXPECT_EQ(secondary->palette().color(QPalette::Window), QColor(0x32, 0x32, 0x32));

  // Binding again replaces the earlier binding.
  Theme::setForeground(secondary, Tone::tertiary);
  EXPECT_NEAR(secondary->palette().color(QPalette::WindowText).alphaF(), 0.26, 0.01);
}

TEST(Anim, DurationIsZeroWhileAnimationsAreOff) {
  const QByteArray saved = qgetenv("TOLVEX_NO_ANIMATIONS");
  qputenv("TOLVEX_NO_ANIMATIONS", "1");
  EXPECT_EQ(Anim::duration(200), 0);
  EXPECT_TRUE(Anim::disabled());
  qputenv("TOLVEX_NO_ANIMATIONS", "0");
  EXPECT_EQ(Anim::duration(200), 200);
  qunsetenv("TOLVEX_NO_ANIMATIONS");
  EXPECT_EQ(Anim::duration(1200), 1200);
  EXPECT_EQ(Anim::duration(-5), 0);
  qputenv("TOLVEX_NO_ANIMATIONS", saved);
}

// ---- Symbols ----

namespace {

// Every symbol the shell and its shared components name: the fifteen sections, the twelve
// categories, toolbar, prompt, risk badges, confirmation sheet, toast, the file kinds and the
// System Data rows.
QStringList symbolsInUse() {
  QStringList names = {
      // sections
      "wand.and.stars", "chart.pie.fill", "chart.line.uptrend.xyaxis", "folder.fill", "square.stack.3d.up.fill",
      "arrow.up.left.and.arrow.down.right", "gearshape.2.fill", "icloud.fill", "square.grid.2x2.fill",
      "puzzlepiece.extension.fill", "power.circle.fill", "sparkles", "hammer.fill", "doc.on.doc.fill",
      "clock.arrow.circlepath",
      // toolbar, prompt, badges, sheet, toast
      "arrow.clockwise", "stop.fill", "internaldrive.fill", "internaldrive", "checkmark.shield.fill",
      "exclamationmark.triangle.fill", "lock.fill", "trash.circle.fill", "trash", "trash.fill", "checkmark.circle.fill",
      "xmark", "xmark.circle.fill", "magnifyingglass", "info.circle", "lock.shield.fill",
      // file kinds
      "doc.text.fill", "photo.fill", "film.fill", "waveform", "archivebox.fill", "opticaldiscdrive.fill",
      "chevron.left.forwardslash.chevron.right", "app.fill", "questionmark.square.dashed"};
  for (StorageBucket b : kAllStorageBuckets) names << QString::fromLatin1(symbol(b));
  // System Data's rows, a Mac's and a Linux system's (swap files share one symbol).
  for (const auto* table : {&SystemDataPart::all(), &SystemDataPart::linuxRows()})
    for (const auto& row : *table) names << QString::fromStdString(row.symbol);
  for (const auto& row : swapFileRows("/swapfile file 1 0 0\n")) names << QString::fromStdString(row.symbol);
  names.removeDuplicates();
  return names;
}

// Solid pixels (alpha above a half) of a symbol and whether all of them are drawn in `color`.
struct Coverage {
  int opaque = 0;
  bool allInColor = true;
};
Coverage coverage(const QImage& image, const QColor& color) {
  Coverage c;
  const QImage img = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      const QColor px = img.pixelColor(x, y);
      if (px.alpha() < 128) continue;
      ++c.opaque;
      if (std::abs(px.red() - color.red()) > 2 || std::abs(px.green() - color.green()) > 2 ||
          std::abs(px.blue() - color.blue()) > 2) {
        c.allInColor = false;
      }
    }
  }
  return c;
}

}  // namespace

TEST(Symbols, EverySymbolInUseHasAGlyphThatDrawsInTheAskedColour) {
  const QColor color(0x20, 0x80, 0x40);
  for (const QString& name : symbolsInUse()) {
    EXPECT_TRUE(Symbols::hasGlyph(name)) << name.toStdString();
    const QIcon icon = Symbols::icon(name, color, 24);
    EXPECT_FALSE(icon.isNull()) << name.toStdString();
    const Coverage c = coverage(icon.pixmap(24).toImage(), color);
    EXPECT_GT(c.opaque, 12) << name.toStdString() << " draws something";
    EXPECT_TRUE(c.allInColor) << name.toStdString() << " draws in one colour";
  }
}

TEST(Symbols, BundledGlyphsAllRender) {
  const QStringList names = Symbols::bundledNames();
  EXPECT_GE(names.size(), 60);
  EXPECT_FALSE(names.contains(QStringLiteral("fallback")));
  for (const QString& name : names) {
    const Coverage c = coverage(Symbols::pixmap(name, Qt::black, 32).toImage(), Qt::black);
    EXPECT_GT(c.opaque, 20) << name.toStdString();
  }
}

TEST(Symbols, AnUnknownNameGivesTheNeutralGlyphNotNothing) {
  EXPECT_FALSE(Symbols::hasGlyph(QStringLiteral("no.such.symbol")));
  const QIcon icon = Symbols::icon(QStringLiteral("no.such.symbol"), Qt::red, 24);
  EXPECT_FALSE(icon.isNull());
  EXPECT_GT(coverage(icon.pixmap(24).toImage(), Qt::red).opaque, 12);
  EXPECT_GT(coverage(Symbols::pixmap(QString(), Qt::red, 24).toImage(), Qt::red).opaque, 12);
}

TEST(Symbols, WhitePartsOfAGlyphAreCutOut) {
  // xmark.circle.fill: a filled disc with the cross knocked out of it.
  const QImage img = Symbols::pixmap(QStringLiteral("xmark.circle.fill"), Qt::blue, 48)
                         .toImage()
                         .convertToFormat(QImage::Format_ARGB32);
  EXPECT_LT(img.pixelColor(24, 24).alpha(), 40) << "centre of the cross is a hole";
  EXPECT_EQ(img.pixelColor(24, 8).alpha(), 255) << "the disc around it is solid";
  EXPECT_EQ(img.pixelColor(24, 8), QColor(Qt::blue));
  EXPECT_EQ(img.pixelColor(1, 1).alpha(), 0) << "outside the disc is clear";
}

TEST(Symbols, IconsResolveTheirColourWhenDrawn) {
  AppearanceGuard guard;
  const QIcon icon = Symbols::icon(QStringLiteral("lock.fill"), Theme::danger(), 24);
  Appearance::apply(AppAppearance::light);
  EXPECT_TRUE(coverage(icon.pixmap(24).toImage(), Theme::rgb(0xD13438)).allInColor);
  Appearance::apply(AppAppearance::dark);
  EXPECT_TRUE(coverage(icon.pixmap(24).toImage(), Theme::rgb(0xE5484D)).allInColor);
  // Without a colour the icon takes the palette's text colour, dimmed when disabled.
  const QIcon plain = Symbols::icon(QStringLiteral("stop.fill"));
  const QColor text = Appearance::darkPalette().color(QPalette::WindowText);
  EXPECT_TRUE(coverage(plain.pixmap(24).toImage(), text).allInColor);
  const QImage disabled = plain.pixmap(QSize(24, 24), QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_LT(disabled.pixelColor(12, 12).alpha(), 200);
}

TEST(Symbols, SharpAtHighDensity) {
  const QPixmap px = Symbols::pixmap(QStringLiteral("trash.fill"), Qt::black, 16, 2.0);
  EXPECT_EQ(px.width(), 32);
  EXPECT_DOUBLE_EQ(px.devicePixelRatio(), 2.0);
}

TEST(Symbols, WidgetsShowingASymbolCarryItsName) {
  SymbolView view(QStringLiteral("trash.fill"), 16);
  EXPECT_EQ(view.property("sfSymbol").toString(), QStringLiteral("trash.fill"));
  view.setSymbol(QStringLiteral("xmark"));
  EXPECT_EQ(view.property("sfSymbol").toString(), QStringLiteral("xmark"));
  EXPECT_EQ(view.sizeHint(), QSize(16, 16));

  SymbolLabel* label = labelWithSymbol(QStringLiteral("Scan Again"), QStringLiteral("arrow.clockwise"));
  EXPECT_EQ(label->text(), QStringLiteral("Scan Again"));
  EXPECT_EQ(label->property("sfSymbol").toString(), QStringLiteral("arrow.clockwise"));
  EXPECT_EQ(label->symbolView()->property("sfSymbol").toString(), QStringLiteral("arrow.clockwise"));
  delete label;
}

TEST(Symbols, ThemeNamesAreSymbolicFreedesktopIcons) {
  EXPECT_EQ(Symbols::themeIconName(QStringLiteral("arrow.clockwise")), QStringLiteral("view-refresh-symbolic"));
  EXPECT_EQ(Symbols::themeIconName(QStringLiteral("trash")), QStringLiteral("user-trash-symbolic"));
  EXPECT_TRUE(Symbols::themeIconName(QStringLiteral("wand.and.stars")).isEmpty());
  for (const QString& name : symbolsInUse()) {
    const QString themeName = Symbols::themeIconName(name);
    if (!themeName.isEmpty()) {
      EXPECT_TRUE(themeName.endsWith(QLatin1String("-symbolic"))) << name.toStdString();
    }
  }
}

TEST(Symbols, UseASymbolicThemeIconWhereTheThemeHasOne) {
  const QString savedTheme = QIcon::themeName();
  const QStringList savedPaths = QIcon::themeSearchPaths();
  QIcon::setThemeSearchPaths(savedPaths + QStringList{QStringLiteral("/usr/share/icons")});
  QIcon::setThemeName(QStringLiteral("Adwaita"));
  if (!QIcon::hasThemeIcon(QStringLiteral("view-refresh-symbolic"))) {
    QIcon::setThemeName(savedTheme);
    QIcon::setThemeSearchPaths(savedPaths);
    GTEST_SKIP() << "no Adwaita icon theme on this machine";
  }
  // A size no other test asks for, so no glyph drawn earlier is reused.
  const QImage themed = Symbols::pixmap(QStringLiteral("arrow.clockwise"), Qt::red, 37).toImage();
  Symbols::setThemeIconsEnabled(false);
  const QImage own = Symbols::pixmap(QStringLiteral("arrow.clockwise"), Qt::red, 37).toImage();
  Symbols::setThemeIconsEnabled(true);
  QIcon::setThemeName(savedTheme);
  QIcon::setThemeSearchPaths(savedPaths);
  Symbols::setThemeIconsEnabled(false);  // drop the themed drawings from the caches
  Symbols::setThemeIconsEnabled(true);

  const Coverage c = coverage(themed, Qt::red);
  EXPECT_GT(c.opaque, 12);
  EXPECT_TRUE(c.allInColor) << "theme icons are recoloured like our glyphs";
  EXPECT_NE(themed, own) << "the theme's drawing was used";
}
