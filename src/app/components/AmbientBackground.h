#pragma once
// The layer behind a window's content: the window colour with two soft glows, indigo at the top left
// and accent at the bottom right. Use it as the container of a page.
#include <QWidget>

namespace tolvex {

class AmbientBackground : public QWidget {
  Q_OBJECT
 public:
  explicit AmbientBackground(QWidget* parent = nullptr);

  static void paint(QPainter* painter, const QRectF& rect, const QPalette& palette);
  // Off: the widget paints nothing and lets the background of a page it is placed on show through.
  void setPainted(bool painted);

 private:
  bool painted_ = true;

 public:
 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tolvex
