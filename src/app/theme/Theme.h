#pragma once
// The application's colours, fonts and neutral text styles.
//
// Fixed palette colours are plain QColors, the same in light and dark appearance. The semantic colours
// (success, warning, danger) have a light and a dark value; they are `ThemeColor`s and are resolved
// against a palette each time something is drawn, so switching the appearance recolours every view
// without rebuilding it. Nothing here caches a resolved dynamic colour.
#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPalette>
#include <QRectF>
#include <QtGlobal>

#include "model/FileKind.h"
#include "model/Risk.h"
#include "model/StorageBucket.h"

class QWidget;

namespace tolvex {

// A colour that may differ between the light and the dark appearance. Built from one QColor it is
// static (both values equal); an invalid ThemeColor stands for "the palette's window text".
class ThemeColor {
 public:
  ThemeColor() = default;
  ThemeColor(const QColor& color) : light_(color), dark_(color) {}  // NOLINT: a static colour converts
  ThemeColor(Qt::GlobalColor color) : ThemeColor(QColor(color)) {}  // NOLINT
  ThemeColor(const QColor& light, const QColor& dark) : light_(light), dark_(dark) {}

  bool isValid() const { return light_.isValid(); }
  bool isDynamic() const { return light_ != dark_; }
  const QColor& light() const { return light_; }
  const QColor& dark() const { return dark_; }

  // The value drawn on `palette`: the dark value on a dark palette, the light value otherwise; an
  // invalid ThemeColor gives the palette's window text.
  QColor resolve(const QPalette& palette) const;
  // Resolved against the application's current palette.
  QColor resolve() const;

  bool operator==(const ThemeColor&) const = default;

 private:
  QColor light_;
  QColor dark_;
};

// The text styles of the font table, in pixel sizes.
enum class TextStyle {
  largeTitle,
  title,
  title2,
  title3,
  headline,
  body,
  callout,
  subheadline,
  footnote,
  caption,
  caption2
};

// The hierarchical neutral styles of text.
enum class Tone { primary, secondary, tertiary };

namespace Theme {

// A colour from a 24-bit 0xRRGGBB value, opaque.
QColor rgb(quint32 value);
// A colour with a light and a dark value, both 0xRRGGBB.
ThemeColor dynamicColor(quint32 light, quint32 dark);

// The fixed palette.
const QColor& blue();
const QColor& mint();
const QColor& amber();
const QColor& pink();
const QColor& purple();
const QColor& orange();
const QColor& cyan();
const QColor& slate();
const QColor& green();
const QColor& tan();
const QColor& graphite();
const QColor& gray();
const QColor& indigo();  // brand colour
const QColor& accent();

// Semantic colours with a light and a dark value.
ThemeColor success();
ThemeColor warning();
ThemeColor danger();
inline QColor success(const QPalette& palette) { return success().resolve(palette); }
inline QColor warning(const QPalette& palette) { return warning().resolve(palette); }
inline QColor danger(const QPalette& palette) { return danger().resolve(palette); }

// True when `palette` is a dark appearance (its window colour is dark).
bool isDark(const QPalette& palette);

// The brand gradient (indigo to accent) from the top-leading to the bottom-trailing corner of `rect`.
QLinearGradient brandGradient(const QRectF& rect, Qt::LayoutDirection direction = Qt::LeftToRight);
// "The gradient of a colour": the colour lightened slightly at the top, the colour itself at the bottom.
QLinearGradient gradient(const QColor& color, const QRectF& rect);

// Category and kind colours.
const QColor& colorFor(StorageBucket bucket);
const QColor& colorFor(FileKind kind);
// Risk colours: safe = success, review = warning, protected = danger.
ThemeColor colorFor(Risk risk);

// Neutral styles: window text at full, secondary (50 % light / 55 % dark) and tertiary (26 %) alpha.
QColor primary(const QPalette& palette);
QColor primary(const QPalette& palette, qreal opacity);  // e.g. strokes "primary at opacity 0.07"
QColor secondary(const QPalette& palette);
QColor tertiary(const QPalette& palette);
QColor tone(Tone tone, const QPalette& palette);
// A colour at an opacity (alpha multiplied).
QColor withOpacity(QColor color, qreal opacity);

// Fonts of the text styles: the application's default family at the table's pixel size and weight.
int pixelSize(TextStyle style);
QFont::Weight weight(TextStyle style);
QFont font(TextStyle style);
QFont font(TextStyle style, QFont::Weight weight);
// The default family at an explicit pixel size (for the few sizes outside the table).
QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal);
// The fixed-pitch family at a text style's size, for figures that change while they are watched.
// The family is the system's fixed font when Qt resolves it to a fixed-pitch face, else the first
// fixed-pitch one of DejaVu Sans Mono (which scripts/install-deps.sh installs), Liberation Mono and
// the "monospace" style hint: a "monospace" alias that lands on a proportional face is not trusted.
QFont fixedFont(TextStyle style);
QFont fixedFont(TextStyle style, QFont::Weight weight);
// Digits of equal width for static figures in columns: the style's font when its family already has
// tabular digits, the fixed-pitch family otherwise.
QFont monospacedDigitFont(TextStyle style, QFont::Weight weight);
QFont monospacedDigitFont(TextStyle style);
QFont monospacedDigitFont(const QFont& font);
// The first of `candidates` that resolves to a fixed-pitch face; the first candidate when none does.
QFont firstFixedPitch(const QList<QFont>& candidates);

// Keeps a widget's text colour (window, text and button text roles) in step with the palette it
// inherits: recomputed whenever that palette changes, so an appearance switch recolours it.
void setForeground(QWidget* widget, Tone tone);
void setForeground(QWidget* widget, const ThemeColor& color);
// Sets a widget's font to a text style.
void setTextStyle(QWidget* widget, TextStyle style);
void setTextStyle(QWidget* widget, TextStyle style, QFont::Weight weight);

}  // namespace Theme
}  // namespace tolvex
