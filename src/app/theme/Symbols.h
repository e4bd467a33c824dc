#pragma once
// Symbols by name ("trash.fill", "arrow.clockwise", …).
//
// A name maps to a symbolic freedesktop theme icon where one fits and the theme has it; otherwise to
// a 24 × 24 glyph of our own, bundled as SVG (offscreen there is no icon theme, so tests and grabs see
// our glyphs). Either way the symbol is drawn in one colour. Glyphs are drawn in black; white parts
// knock out what lies below them. An unknown name gives a neutral fallback glyph, never nothing.
#include <QBrush>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include "app/theme/Theme.h"

class QPainter;
class QRectF;
class QWidget;

namespace tolvex::Symbols {

// An icon of `name` in `color`, nominally `px` pixels. The colour is resolved against the
// application palette each time the icon is drawn (an invalid colour draws in the palette's text
// colour: button text for normal icons, a dimmed text for disabled ones, highlighted text for
// selected ones).
QIcon icon(const QString& name, const ThemeColor& color, int px);
QIcon icon(const QString& name, int px = 16);

// The symbol drawn into `rect` of a painter (for table cells and custom widgets).
void paint(QPainter* painter, const QRectF& rect, const QString& name, const QColor& color);
void paint(QPainter* painter, const QRectF& rect, const QString& name, const QBrush& brush);

// A pixmap of `px` device-independent pixels at device pixel ratio `dpr`.
QPixmap pixmap(const QString& name, const QColor& color, int px, qreal dpr = 1.0);

// The freedesktop theme icon tried first for a name ("" when none fits).
QString themeIconName(const QString& name);
// True when we bundle a glyph of our own for the name.
bool hasGlyph(const QString& name);
// The names of all bundled glyphs.
QStringList bundledNames();
// Theme icons are used when the running icon theme has them (on by default); off, only our glyphs.
void setThemeIconsEnabled(bool enabled);

// The symbol of a file kind on its chip and tile.
QString forKind(FileKind kind);

// Marks a widget as showing a symbol (tests read the "sfSymbol" property).
void tag(QWidget* widget, const QString& name);

}  // namespace tolvex::Symbols
