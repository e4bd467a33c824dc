#pragma once
// The detail pane of the Applications screen: one application's name and identifier, how its bytes
// split between the bundle and its data in the Library, whether it can be uninstalled here, and its
// data items, each of which can be revealed. Its one action asks the store for the uninstall plan;
// nothing changes on disk before the user confirms that plan.
#include <QScrollArea>

#include "system/InstalledApp.h"

namespace tolvex {

class AppState;

class AppInspector : public QScrollArea {
  Q_OBJECT
 public:
  // `running`: whether the application runs now, as read by the screen when it drew.
  AppInspector(AppState& state, InstalledApp app, bool running, QWidget* parent = nullptr);

  const InstalledApp& app() const { return app_; }
  bool isRunning() const { return running_; }
  void uninstall();

 private:
  QWidget* header();
  QWidget* sizeRows();
  QWidget* uninstallBlock();
  QWidget* relatedRow(const RelatedItem& item);

  AppState& state_;
  InstalledApp app_;
  bool running_;
};

// A path on at most two lines, broken anywhere and, when even two lines are too short, cut in the
// middle: the start on the first line, "…" and the end on the second.
class PathLines : public QWidget {
  Q_OBJECT
 public:
  explicit PathLines(const QString& text, QWidget* parent = nullptr);
  QString text() const { return text_; }
  // The lines drawn at `width` in `font`.
  static QStringList linesFor(const QString& text, const QFontMetrics& metrics, int width);
  QStringList displayedLines() const;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QString text_;
};

}  // namespace tolvex
