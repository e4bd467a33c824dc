#pragma once
// Quick Look: a preview window for one item, bound to a host's optional preview target. It shows an
// image, the beginning of a text file, or the item's facts, and never blocks: the file is read on a
// worker thread. Opened by the space bar, the window leaves the keyboard with the host's table, whose
// space bar closes it again; opened from a menu, it takes the keyboard. Either way, Space and Escape
// pressed in the window close it.
#include <QDialog>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <optional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QStackedWidget;

namespace tolvex {

class UiTaskQueue;

// What a host asks to preview: a full path, marked as a folder or not.
struct PreviewTarget {
  std::string path;
  bool isDirectory = false;
  bool operator==(const PreviewTarget&) const = default;
};

// What the preview shows for a target.
struct PreviewContent {
  enum class Kind { facts, image, text } kind = Kind::facts;
  QImage image;  // scaled to fit the requested box
  QString text;  // the first part of a text file
  bool truncated = false;
  // Facts, always filled: name, kind, size, modification date.
  QString name;
  QString kindText;
  QString sizeText;
  QString modifiedText;
  QString where;
};

// Reads what the preview of `target` shows. Only regular files are opened (never through a symbolic
// link, never blocking on a pipe); an image is decoded to fit `box`; text is at most `textBytes` of
// UTF-8 without NUL bytes; the folder shows with `home` as "~". Runs on any thread.
PreviewContent loadPreview(const PreviewTarget& target, const std::string& home, QSize box,
                           qsizetype textBytes = 64 * 1024);

class QuickLookPanel : public QDialog {
  Q_OBJECT
 public:
  // Folders show with `home` as "~".
  explicit QuickLookPanel(std::string home, QWidget* parent = nullptr);

  // Shows `target`, replacing what was shown.
  void showTarget(const PreviewTarget& target);
  const std::optional<PreviewTarget>& target() const { return target_; }
  // True once the content for the current target has arrived.
  bool isLoaded() const { return loaded_; }

 signals:
  void loaded();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void present(const PreviewContent& content);
  std::string home_;
  std::optional<PreviewTarget> target_;
  bool loaded_ = false;
  quint64 request_ = 0;
  UiTaskQueue* ui_;  // loaded previews come back through it
  QLabel* title_;
  QStackedWidget* pages_;
  QLabel* image_;
  QPlainTextEdit* text_;
  QLabel* facts_;
};

// A host's preview state: the target, and the panel that follows it. Setting a target opens the
// panel; clearing it closes the panel; the user closing the panel clears the target.
class QuickLookBinding : public QObject {
  Q_OBJECT
 public:
  // The panel shows folders with `home` as "~".
  QuickLookBinding(QWidget* host, std::string home);
  ~QuickLookBinding() override;

  const std::optional<PreviewTarget>& preview() const { return preview_; }
  void setPreview(std::optional<PreviewTarget> target);
  // Previews `target` in a window that takes the keyboard (asked for from a menu, where nothing else
  // would let the keys reach it).
  void present(const PreviewTarget& target);
  // The space bar's rule: with no preview, preview `target`; with one, close it.
  void toggle(const PreviewTarget& target);
  QuickLookPanel* panel() const { return panel_; }

 signals:
  void previewChanged();

 private:
  QWidget* host_;
  std::string home_;
  std::optional<PreviewTarget> preview_;
  QPointer<QuickLookPanel> panel_;
};

}  // namespace tolvex
