#include "app/theme/Symbols.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>
#include <algorithm>
#include <cmath>

// The glyphs live in a static library: referencing the resource's initialiser keeps it linked in.
static void initSymbolResources() { Q_INIT_RESOURCE(symbols); }

namespace tolvex::Symbols {
namespace {

constexpr int kCacheLimit = 2000;

bool& themeIconsEnabled() {
  static bool enabled = true;
  return enabled;
}

void ensureResources() {
  static const bool done = [] {
    initSymbolResources();
    return true;
  }();
  (void)done;
}

QString glyphPath(const QString& name) { return QStringLiteral(":/symbols/%1.svg").arg(name); }

// Symbolic icons of the freedesktop icon naming scheme (and of common themes) that say the same
// thing as one of our names. Only monochrome "-symbolic" icons are used, since every symbol is drawn
// in a single colour.
const QHash<QString, QString>& themeNames() {
  static const QHash<QString, QString> names = {
      {QStringLiteral("arrow.clockwise"), QStringLiteral("view-refresh-symbolic")},
      {QStringLiteral("xmark"), QStringLiteral("window-close-symbolic")},
      {QStringLiteral("trash"), QStringLiteral("user-trash-symbolic")},
      {QStringLiteral("trash.fill"), QStringLiteral("user-trash-full-symbolic")},
      {QStringLiteral("magnifyingglass"), QStringLiteral("edit-find-symbolic")},
      {QStringLiteral("stop.fill"), QStringLiteral("media-playback-stop-symbolic")},
      {QStringLiteral("folder"), QStringLiteral("folder-symbolic")},
      {QStringLiteral("folder.fill"), QStringLiteral("folder-symbolic")},
      {QStringLiteral("internaldrive"), QStringLiteral("drive-harddisk-symbolic")},
      {QStringLiteral("internaldrive.fill"), QStringLiteral("drive-harddisk-symbolic")},
      {QStringLiteral("opticaldiscdrive.fill"), QStringLiteral("drive-optical-symbolic")},
      {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("dialog-warning-symbolic")},
      {QStringLiteral("exclamationmark.triangle"), QStringLiteral("dialog-warning-symbolic")},
      {QStringLiteral("cube.box"), QStringLiteral("package-x-generic-symbolic")},
      {QStringLiteral("square.stack.3d.up"), QStringLiteral("application-x-addon-symbolic")},
      {QStringLiteral("cpu"), QStringLiteral("application-x-firmware-symbolic")},
      {QStringLiteral("info.circle"), QStringLiteral("dialog-information-symbolic")},
      {QStringLiteral("lock.fill"), QStringLiteral("changes-prevent-symbolic")},
      {QStringLiteral("clock"), QStringLiteral("document-open-recent-symbolic")},
      {QStringLiteral("gearshape"), QStringLiteral("emblem-system-symbolic")},
      {QStringLiteral("gearshape.fill"), QStringLiteral("emblem-system-symbolic")},
      {QStringLiteral("plus"), QStringLiteral("list-add-symbolic")},
      {QStringLiteral("minus"), QStringLiteral("list-remove-symbolic")},
      {QStringLiteral("checkmark"), QStringLiteral("object-select-symbolic")},
      {QStringLiteral("chevron.left"), QStringLiteral("go-previous-symbolic")},
      {QStringLiteral("chevron.right"), QStringLiteral("go-next-symbolic")},
      {QStringLiteral("arrow.up"), QStringLiteral("go-up-symbolic")},
      {QStringLiteral("list.bullet"), QStringLiteral("view-list-symbolic")},
      {QStringLiteral("music.note"), QStringLiteral("audio-x-generic-symbolic")},
      {QStringLiteral("photo.fill"), QStringLiteral("image-x-generic-symbolic")},
      {QStringLiteral("film.fill"), QStringLiteral("video-x-generic-symbolic")},
      {QStringLiteral("doc.text.fill"), QStringLiteral("text-x-generic-symbolic")},
      {QStringLiteral("doc.text"), QStringLiteral("text-x-generic-symbolic")},
      {QStringLiteral("iphone"), QStringLiteral("phone-symbolic")},
      {QStringLiteral("link"), QStringLiteral("insert-link-symbolic")},
      {QStringLiteral("calendar"), QStringLiteral("x-office-calendar-symbolic")},
      {QStringLiteral("power.circle.fill"), QStringLiteral("system-shutdown-symbolic")},
      {QStringLiteral("eye.slash"), QStringLiteral("view-conceal-symbolic")},
      {QStringLiteral("square.and.arrow.up"), QStringLiteral("document-send-symbolic")},
  };
  return names;
}

// Alpha masks (black, premultiplied) per name and device pixel size.
QHash<QString, QImage>& maskCache() {
  static QHash<QString, QImage> cache;
  return cache;
}
QHash<QString, QPixmap>& pixmapCache() {
  static QHash<QString, QPixmap> cache;
  return cache;
}

// Our glyphs: black parts are the symbol, white parts knock out what lies below them. The result's
// alpha is the drawn alpha times the darkness of the drawn colour, so anti-aliased edges stay smooth.
QImage renderGlyph(const QString& file, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QSvgRenderer renderer(file);
  if (!renderer.isValid()) return {};
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
  }
  for (int y = 0; y < size; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < size; ++x) {
      const QRgb px = line[x];
      const int a = qAlpha(px);
      if (a == 0) continue;
      // Premultiplied channels: luminance of the unpremultiplied colour is lum / a.
      const int lum = (qRed(px) * 11 + qGreen(px) * 16 + qBlue(px) * 5) / 32;
      const int alpha = std::clamp(a - lum, 0, 255);
      line[x] = qRgba(0, 0, 0, alpha);
    }
  }
  return image;
}

QImage renderThemeIcon(const QString& themeName, int size) {
  const QIcon icon = QIcon::fromTheme(themeName);
  if (icon.isNull()) return {};
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    icon.paint(&painter, QRect(0, 0, size, size));
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), Qt::black);
  }
  return image;
}

QImage mask(const QString& name, int size) {
  ensureResources();
  size = std::max(size, 1);
  const QString key = name + QLatin1Char('@') + QString::number(size);
  auto& cache = maskCache();
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;

  QImage image;
  if (themeIconsEnabled()) {
    const QString themeName = themeNames().value(name);
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName)) image = renderThemeIcon(themeName, size);
  }
  if (image.isNull() && hasGlyph(name)) image = renderGlyph(glyphPath(name), size);
  if (image.isNull()) image = renderGlyph(glyphPath(QStringLiteral("fallback")), size);
  if (image.isNull()) {  // resources missing altogether: a plain square still shows something
    image = QImage(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, std::max(1.0, size / 12.0)));
    painter.drawRoundedRect(QRectF(image.rect()).adjusted(size / 6.0, size / 6.0, -size / 6.0, -size / 6.0), 2, 2);
  }
  if (cache.size() >= kCacheLimit) cache.clear();
  cache.insert(key, image);
  return image;
}

QImage colored(const QString& name, const QBrush& brush, int devicePx) {
  QImage image(devicePx, devicePx, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.fillRect(image.rect(), brush);
  painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
  painter.drawImage(0, 0, mask(name, devicePx));
  return image;
}

int devicePixels(qreal px, qreal dpr) { return std::max(1, static_cast<int>(std::ceil(px * dpr - 0.01))); }

// Paints the symbol at draw time in a colour resolved against the application palette, so an
// appearance switch recolours buttons, tabs and menus without rebuilding their icons.
class SymbolIconEngine : public QIconEngine {
 public:
  SymbolIconEngine(QString name, ThemeColor color, int px)
      : name_(std::move(name)), color_(std::move(color)), px_(px) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    Symbols::paint(painter, QRectF(rect), name_, colorFor(mode));
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
    const int px = std::max(1, std::min(size.width(), size.height()));
    return Symbols::pixmap(name_, colorFor(mode), px, scale);
  }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int px = std::min(size.width(), size.height());
    return QSize(px, px);
  }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {QSize(px_, px_)}; }
  QString key() const override { return QStringLiteral("tolvex-symbol"); }
  QString iconName() override { return name_; }
  bool isNull() override { return false; }
  QIconEngine* clone() const override { return new SymbolIconEngine(name_, color_, px_); }

 private:
  QColor colorFor(QIcon::Mode mode) const {
    const QPalette palette = QGuiApplication::palette();
    if (!color_.isValid()) {
      switch (mode) {
        case QIcon::Disabled: return palette.color(QPalette::Disabled, QPalette::WindowText);
        case QIcon::Selected: return palette.color(QPalette::Active, QPalette::HighlightedText);
        default: return palette.color(QPalette::Active, QPalette::WindowText);
      }
    }
    const QColor c = color_.resolve(palette);
    return mode == QIcon::Disabled ? Theme::withOpacity(c, 0.4) : c;
  }

  QString name_;
  ThemeColor color_;
  int px_;
};

}  // namespace

QIcon icon(const QString& name, const ThemeColor& color, int px) {
  return QIcon(new SymbolIconEngine(name, color, std::max(px, 1)));
}

QIcon icon(const QString& name, int px) { return icon(name, ThemeColor(), px); }

QPixmap pixmap(const QString& name, const QColor& color, int px, qreal dpr) {
  dpr = dpr > 0 ? dpr : 1.0;
  const int device = devicePixels(std::max(px, 1), dpr);
  const QString key = QStringLiteral("%1@%2#%3").arg(name).arg(device).arg(color.rgba(), 8, 16, QLatin1Char('0'));
  auto& cache = pixmapCache();
  auto it = cache.constFind(key);
  QPixmap result;
  if (it != cache.constEnd()) {
    result = *it;
  } else {
    result = QPixmap::fromImage(colored(name, QBrush(color), device));
    if (cache.size() >= kCacheLimit) cache.clear();
    cache.insert(key, result);
  }
  result.setDevicePixelRatio(dpr);
  return result;
}

void paint(QPainter* painter, const QRectF& rect, const QString& name, const QColor& color) {
  if (!painter || rect.isEmpty()) return;
  const qreal side = std::min(rect.width(), rect.height());
  const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  const QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
  painter->drawPixmap(target, pixmap(name, color, static_cast<int>(std::ceil(side)), dpr), QRectF());
}

void paint(QPainter* painter, const QRectF& rect, const QString& name, const QBrush& brush) {
  if (!painter || rect.isEmpty()) return;
  if (brush.style() == Qt::SolidPattern) {
    paint(painter, rect, name, brush.color());
    return;
  }
  const qreal side = std::min(rect.width(), rect.height());
  const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  const int device = devicePixels(side, dpr);
  const QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
  // A gradient given in the painter's coordinates is moved into the image's.
  QBrush local = brush;
  QTransform t;
  t.scale(device / side, device / side);
  t.translate(-target.left(), -target.top());
  local.setTransform(brush.transform() * t);
  QImage image = colored(name, local, device);
  image.setDevicePixelRatio(dpr);
  painter->drawImage(target, image);
}

QString themeIconName(const QString& name) { return themeNames().value(name); }

bool hasGlyph(const QString& name) {
  ensureResources();
  return !name.isEmpty() && QFile::exists(glyphPath(name));
}

QStringList bundledNames() {
  ensureResources();
  QStringList names;
  const QStringList files =
      QDir(QStringLiteral(":/symbols")).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
  for (const QString& file : files) {
    const QString name = file.chopped(4);
    if (name != QLatin1String("fallback")) names << name;
  }
  return names;
}

void setThemeIconsEnabled(bool enabled) {
  if (themeIconsEnabled() == enabled) return;
  themeIconsEnabled() = enabled;
  maskCache().clear();
  pixmapCache().clear();
}

QString forKind(FileKind kind) {
  switch (kind) {
    case FileKind::document: return QStringLiteral("doc.text.fill");
    case FileKind::image: return QStringLiteral("photo.fill");
    case FileKind::video: return QStringLiteral("film.fill");
    case FileKind::audio: return QStringLiteral("waveform");
    case FileKind::archive: return QStringLiteral("archivebox.fill");
    case FileKind::diskImage: return QStringLiteral("opticaldiscdrive.fill");
    case FileKind::code: return QStringLiteral("chevron.left.forwardslash.chevron.right");
    case FileKind::application: return QStringLiteral("app.fill");
    case FileKind::other: return QStringLiteral("questionmark.square.dashed");
  }
  return QStringLiteral("questionmark.square.dashed");
}

void tag(QWidget* widget, const QString& name) {
  if (widget) widget->setProperty("sfSymbol", name);
}

}  // namespace tolvex::Symbols
