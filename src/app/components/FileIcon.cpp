#include "app/components/FileIcon.h"

#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QPainter>
#include <sys/stat.h>

#include "app/ObjectNames.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/FileKind.h"
#include "model/StorageBucket.h"
#include "platform/Paths.h"

namespace tolvex {
namespace {

QHash<QString, QIcon>& cache() {
  static QHash<QString, QIcon> icons;
  return icons;
}

QString lowerExtension(const std::string& path) { return QString::fromUtf8(pathExtension(path)).toLower(); }

QString kindSymbol(FileKind kind) {
  // A file of no known kind looks like a plain document here, not like a question.
  return kind == FileKind::other ? QStringLiteral("doc.text") : Symbols::forKind(kind);
}

bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

QIcon themeIcon(const QString& name, const QString& fallbackName) {
  if (QIcon::themeName().isEmpty()) return {};
  QIcon icon = QIcon::fromTheme(name);
  if (icon.isNull() && !fallbackName.isEmpty()) icon = QIcon::fromTheme(fallbackName);
  return icon;
}

QIcon makeIcon(const std::string& path, const QString& ext) {
  // Packages are folders that show as one item: their icon is the application's.
  if (!ext.isEmpty() && isPackageExtension(ext.toStdString())) {
    QIcon icon = themeIcon(QStringLiteral("application-x-executable"), QString());
    return icon.isNull() ? Symbols::icon(QStringLiteral("app.fill"), Theme::blue(), 32) : icon;
  }
  // A folder whose name has a dot ("3.2.2", "site.old") is still a folder.
  if (isDirectory(path)) {
    QIcon icon = themeIcon(QStringLiteral("folder"), QString());
    return icon.isNull() ? Symbols::icon(QStringLiteral("folder.fill"), Theme::blue(), 32) : icon;
  }
  static const QMimeDatabase mimes;
  const QMimeType mime = mimes.mimeTypeForFile(QString::fromUtf8(path), QMimeDatabase::MatchExtension);
  QIcon icon = themeIcon(mime.iconName(), mime.genericIconName());
  if (!icon.isNull()) return icon;
  const FileKind kind = kindForFileName(lastPathComponent(path));
  return Symbols::icon(kindSymbol(kind), Theme::colorFor(kind), 32);
}

}  // namespace

FileIcon::FileIcon(const std::string& path, int size, QWidget* parent)
    : QWidget(parent), path_(path), size_(std::max(size, 1)) {
  setObjectName(QLatin1String(names::fileIcon));
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void FileIcon::setPath(const std::string& path) {
  path_ = path;
  update();
}

QString FileIcon::cacheKey(const std::string& path) {
  const QString ext = lowerExtension(path);
  if (ext.isEmpty() || isPackageExtension(ext.toStdString())) return QString::fromUtf8(path);
  if (isDirectory(path)) return QStringLiteral("folder");
  return QStringLiteral("ext:") + ext;
}

QIcon FileIcon::loadIcon(const std::string& path) {
  const QString key = cacheKey(path);
  auto& icons = cache();
  auto it = icons.constFind(key);
  if (it != icons.constEnd()) return *it;
  QIcon icon = makeIcon(path, lowerExtension(path));
  if (icons.size() > static_cast<qsizetype>(kCacheLimit)) icons.clear();
  icons.insert(key, icon);
  return icon;
}

size_t FileIcon::cacheSize() { return static_cast<size_t>(cache().size()); }
void FileIcon::clearCache() { cache().clear(); }

void FileIcon::paint(QPainter* painter, const QRect& rect, const std::string& path) {
  const int side = std::min(rect.width(), rect.height());
  const QRect square(rect.left() + (rect.width() - side) / 2, rect.top() + (rect.height() - side) / 2, side, side);
  painter->save();
  painter->setRenderHint(QPainter::SmoothPixmapTransform);
  loadIcon(path).paint(painter, square);
  painter->restore();
}

void FileIcon::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(&painter, rect(), path_);
}

}  // namespace tolvex
