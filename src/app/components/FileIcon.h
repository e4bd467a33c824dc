#pragma once
// The icon the file browser shows for a path, in a size × size frame.
//
// Icons come from the icon theme by MIME type (folders as "folder"); without a theme (offscreen) a
// file gets the symbol of its kind in the kind's colour and a folder the folder symbol. Icons are
// cached process-wide: files by extension ("ext:" + lower-case extension), so a long table asks once
// per extension; paths without an extension and packages (bundles whose icon is their own) by path.
// Above 4000 entries the cache is emptied before the next one is stored.
#include <QIcon>
#include <QWidget>
#include <string>

namespace tolvex {

class FileIcon : public QWidget {
  Q_OBJECT
 public:
  FileIcon(const std::string& path, int size, QWidget* parent = nullptr);

  const std::string& path() const { return path_; }
  void setPath(const std::string& path);

  static QIcon loadIcon(const std::string& path);
  static QString cacheKey(const std::string& path);
  static size_t cacheSize();
  static void clearCache();
  static constexpr size_t kCacheLimit = 4000;
  // The icon of `path` drawn into `rect` (for table cells).
  static void paint(QPainter* painter, const QRect& rect, const std::string& path);

  QSize sizeHint() const override { return {size_, size_}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string path_;
  int size_;
};

}  // namespace tolvex
