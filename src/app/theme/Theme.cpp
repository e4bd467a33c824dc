#include "app/theme/Theme.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <array>

namespace tolvex {

QColor ThemeColor::resolve(const QPalette& palette) const {
  if (!isValid()) return palette.color(QPalette::WindowText);
  return Theme::isDark(palette) ? dark_ : light_;
}

QColor ThemeColor::resolve() const { return resolve(QGuiApplication::palette()); }

namespace Theme {

QColor rgb(quint32 value) {
  return QColor(static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>(value & 0xFF), 255);
}

ThemeColor dynamicColor(quint32 light, quint32 dark) { return ThemeColor(rgb(light), rgb(dark)); }

// Each palette colour is built once (function-local statics are initialised thread-safely) and shared.
#define TOLVEX_THEME_COLOR(name, value)     \
  const QColor& name() {                    \
    static const QColor color = rgb(value); \
    return color;                           \
  }
TOLVEX_THEME_COLOR(blue, 0x5B8CFF)
TOLVEX_THEME_COLOR(mint, 0x34C3A0)
TOLVEX_THEME_COLOR(amber, 0xF5B83D)
TOLVEX_THEME_COLOR(pink, 0xFF6B8A)
TOLVEX_THEME_COLOR(purple, 0xB57BFF)
TOLVEX_THEME_COLOR(orange, 0xFF9F43)
TOLVEX_THEME_COLOR(cyan, 0x3DD6F5)
TOLVEX_THEME_COLOR(slate, 0x8E9AAF)
TOLVEX_THEME_COLOR(green, 0x7BE07B)
TOLVEX_THEME_COLOR(tan, 0xC9A27E)
TOLVEX_THEME_COLOR(graphite, 0x4A5068)
TOLVEX_THEME_COLOR(gray, 0xA0A4B0)
TOLVEX_THEME_COLOR(indigo, 0x6E5BFF)
TOLVEX_THEME_COLOR(accent, 0x2FD5C9)
#undef TOLVEX_THEME_COLOR

ThemeColor success() {
  static const ThemeColor color = dynamicColor(0x188A4A, 0x30C26B);
  return color;
}
ThemeColor warning() {
  static const ThemeColor color = dynamicColor(0xA86400, 0xF2A33A);
  return color;
}
ThemeColor danger() {
  static const ThemeColor color = dynamicColor(0xD13438, 0xE5484D);
  return color;
}

bool isDark(const QPalette& palette) { return palette.color(QPalette::Window).lightnessF() < 0.5; }

QLinearGradient brandGradient(const QRectF& rect, Qt::LayoutDirection direction) {
  const bool rtl = direction == Qt::RightToLeft;
  QLinearGradient g(rtl ? rect.topRight() : rect.topLeft(), rtl ? rect.bottomLeft() : rect.bottomRight());
  g.setColorAt(0.0, indigo());
  g.setColorAt(1.0, accent());
  return g;
}

namespace {
QColor mix(const QColor& a, const QColor& b, qreal t) {
  return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                          static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                          static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t), a.alphaF());
}
}  // namespace

QLinearGradient gradient(const QColor& color, const QRectF& rect) {
  QLinearGradient g(rect.topLeft(), rect.bottomLeft());
  g.setColorAt(0.0, mix(color, QColor(Qt::white), 0.14));
  g.setColorAt(1.0, mix(color, QColor(Qt::black), 0.04));
  return g;
}

const QColor& colorFor(StorageBucket bucket) {
  switch (bucket) {
    case StorageBucket::applications: return blue();
    case StorageBucket::documents: return mint();
    case StorageBucket::images: return amber();
    case StorageBucket::video: return pink();
    case StorageBucket::audio: return purple();
    case StorageBucket::archives: return orange();
    case StorageBucket::developer: return cyan();
    case StorageBucket::appData: return slate();
    case StorageBucket::junk: return green();
    case StorageBucket::trash: return tan();
    case StorageBucket::system: return graphite();
    case StorageBucket::other: return gray();
  }
  return gray();
}

const QColor& colorFor(FileKind kind) {
  switch (kind) {
    case FileKind::document: return mint();
    case FileKind::image: return amber();
    case FileKind::video: return pink();
    case FileKind::audio: return purple();
    case FileKind::archive:
    case FileKind::diskImage: return orange();
    case FileKind::code: return cyan();
    case FileKind::application: return blue();
    case FileKind::other: return gray();
  }
  return gray();
}

ThemeColor colorFor(Risk risk) {
  switch (risk) {
    case Risk::safe: return success();
    case Risk::review: return warning();
    case Risk::protected_: return danger();
  }
  return success();
}

QColor withOpacity(QColor color, qreal opacity) {
  color.setAlphaF(static_cast<float>(std::clamp(color.alphaF() * opacity, 0.0, 1.0)));
  return color;
}

QColor primary(const QPalette& palette) { return palette.color(QPalette::WindowText); }
QColor primary(const QPalette& palette, qreal opacity) { return withOpacity(primary(palette), opacity); }
QColor secondary(const QPalette& palette) { return primary(palette, isDark(palette) ? 0.55 : 0.50); }
QColor tertiary(const QPalette& palette) { return primary(palette, 0.26); }

QColor tone(Tone tone, const QPalette& palette) {
  switch (tone) {
    case Tone::primary: return primary(palette);
    case Tone::secondary: return secondary(palette);
    case Tone::tertiary: return tertiary(palette);
  }
  return primary(palette);
}

int pixelSize(TextStyle style) {
  switch (style) {
    case TextStyle::largeTitle: return 26;
    case TextStyle::title: return 22;
    case TextStyle::title2: return 17;
    case TextStyle::title3: return 15;
    case TextStyle::headline: return 13;
    case TextStyle::body: return 13;
    case TextStyle::callout: return 12;
    case TextStyle::subheadline: return 11;
    case TextStyle::footnote: return 10;
    case TextStyle::caption: return 10;
    case TextStyle::caption2: return 10;
  }
  return 13;
}

QFont::Weight weight(TextStyle style) {
  switch (style) {
    case TextStyle::headline: return QFont::Bold;
    case TextStyle::caption2: return QFont::Medium;
    default: return QFont::Normal;
  }
}

QFont systemFont(int px, QFont::Weight w) {
  QFont f = QGuiApplication::font();
  f.setPixelSize(std::max(px, 1));
  f.setWeight(w);
  return f;
}

QFont font(TextStyle style) { return systemFont(pixelSize(style), weight(style)); }
QFont font(TextStyle style, QFont::Weight w) { return systemFont(pixelSize(style), w); }

QFont firstFixedPitch(const QList<QFont>& candidates) {
  for (const QFont& candidate : candidates)
    if (QFontInfo(candidate).fixedPitch()) return candidate;
  return candidates.isEmpty() ? QFont() : candidates.front();
}

namespace {
// Chosen once: the font database does not change while we run. Main thread only, as all fonts.
const QFont& fixedPitchFamily() {
  static const QFont chosen = [] {
    QFont hinted(QStringLiteral("monospace"));
    hinted.setStyleHint(QFont::Monospace);
    hinted.setFixedPitch(true);
    return firstFixedPitch({QFontDatabase::systemFont(QFontDatabase::FixedFont),
                            QFont(QStringLiteral("DejaVu Sans Mono")), QFont(QStringLiteral("Liberation Mono")),
                            hinted});
  }();
  return chosen;
}
}  // namespace

QFont fixedFont(TextStyle style, QFont::Weight w) {
  QFont f = fixedPitchFamily();
  f.setPixelSize(pixelSize(style));
  f.setWeight(w);
  return f;
}
QFont fixedFont(TextStyle style) { return fixedFont(style, weight(style)); }

namespace {
bool hasTabularDigits(const QFont& f) {
  // One answer per family is enough; the main thread is the only caller.
  static QHash<QString, bool> known;
  const QString key = f.family() + QLatin1Char('/') + QString::number(f.weight());
  auto it = known.constFind(key);
  if (it != known.constEnd()) return *it;
  QFont probe = f;
  probe.setPixelSize(40);
  const QFontMetricsF fm(probe);
  const qreal zero = fm.horizontalAdvance(QLatin1Char('0'));
  bool equal = true;
  for (char d = '1'; d <= '9'; ++d) equal = equal && qFuzzyCompare(fm.horizontalAdvance(QLatin1Char(d)), zero);
  known.insert(key, equal);
  return equal;
}
}  // namespace

QFont monospacedDigitFont(const QFont& f) {
  if (hasTabularDigits(f)) return f;
  QFont fixed = fixedPitchFamily();
  fixed.setPixelSize(f.pixelSize() > 0 ? f.pixelSize() : 13);
  fixed.setWeight(f.weight());
  return fixed;
}
QFont monospacedDigitFont(TextStyle style, QFont::Weight w) { return monospacedDigitFont(font(style, w)); }
QFont monospacedDigitFont(TextStyle style) { return monospacedDigitFont(font(style)); }

namespace {

// Watches one widget and keeps its text roles at a colour derived from the palette it inherits.
class ForegroundBinding : public QObject {
 public:
  ForegroundBinding(QWidget* widget, Tone tone, ThemeColor color, bool usesTone)
      : QObject(widget), widget_(widget), tone_(tone), color_(std::move(color)), usesTone_(usesTone) {
    setObjectName(QStringLiteral("tolvexForegroundBinding"));
    widget->installEventFilter(this);
    update();
  }

  void rebind(Tone tone, ThemeColor color, bool usesTone) {
    tone_ = tone;
    color_ = std::move(color);
    usesTone_ = usesTone;
    update();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_ && (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)) {
      update();
    }
    return false;
  }

 private:
  void update() {
    if (!widget_) return;
    // The palette the widget would have without our roles: its parent's, or the application's.
    const QPalette base = widget_->parentWidget() ? widget_->parentWidget()->palette() : QApplication::palette(widget_);
    const QColor color = usesTone_ ? Theme::tone(tone_, base) : color_.resolve(base);
    QPalette p = widget_->palette();
    bool changed = false;
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
      for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor c = group == QPalette::Disabled ? withOpacity(color, 0.5) : color;
        if (p.color(group, role) != c || !p.isBrushSet(group, role)) {
          p.setColor(group, role, c);
          changed = true;
        }
      }
    }
    if (changed) widget_->setPalette(p);  // sends PaletteChange; the second pass finds nothing to change
  }

  QPointer<QWidget> widget_;
  Tone tone_;
  ThemeColor color_;
  bool usesTone_;
};

void bind(QWidget* widget, Tone tone, const ThemeColor& color, bool usesTone) {
  if (!widget) return;
  auto* existing =
      widget->findChild<ForegroundBinding*>(QStringLiteral("tolvexForegroundBinding"), Qt::FindDirectChildrenOnly);
  if (existing) {
    existing->rebind(tone, color, usesTone);
  } else {
    new ForegroundBinding(widget, tone, color, usesTone);
  }
}

}  // namespace

void setForeground(QWidget* widget, Tone tone) { bind(widget, tone, ThemeColor(), true); }
void setForeground(QWidget* widget, const ThemeColor& color) { bind(widget, Tone::primary, color, false); }

void setTextStyle(QWidget* widget, TextStyle style) { widget->setFont(font(style)); }
void setTextStyle(QWidget* widget, TextStyle style, QFont::Weight w) { widget->setFont(font(style, w)); }

}  // namespace Theme
}  // namespace tolvex
