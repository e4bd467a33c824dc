#pragma once
// A row of items that scrolls sideways without scroll bars (the kind tiles, the kind chips). Its
// height is that of its content; the mouse wheel scrolls it sideways, so items past the edge can
// be reached without a bar.
#include <QScrollArea>

class QHBoxLayout;

namespace tolvex {

class HorizontalStrip : public QScrollArea {
  Q_OBJECT
 public:
  explicit HorizontalStrip(int spacing, QWidget* parent = nullptr);
  QHBoxLayout* row() const { return row_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QHBoxLayout* row_;
};

}  // namespace tolvex
