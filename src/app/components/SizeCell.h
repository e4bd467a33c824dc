#pragma once
// A size with its share: the formatted byte count (of the size clamped at 0), at least 64 wide and
// right-aligned, then a 5-high capsule bar taking the rest of the width, filled from the leading edge
// to the fraction (clamped to 0…1) but never thinner than 2.
#include <QWidget>

#include "app/theme/Theme.h"

namespace tolvex {

class SizeCell : public QWidget {
  Q_OBJECT
 public:
  SizeCell(qint64 size, double fraction, const ThemeColor& color, QWidget* parent = nullptr);

  qint64 size() const { return size_; }
  double fraction() const { return fraction_; }
  void setValues(qint64 size, double fraction);
  void setColor(const ThemeColor& color);
  // Without its label the cell is the bar alone, across its whole width.
  void setLabelsHidden(bool hidden);
  bool labelsHidden() const { return labelsHidden_; }
  // The text shown: the byte count of max(size, 0).
  QString text() const { return text(size_); }

  static QString text(qint64 size);
  static QFont cellFont();
  static constexpr int kMinTextWidth = 64;
  static constexpr int kSpacing = 8;
  static constexpr int kBarHeight = 5;
  // The width of the filled part for a bar of width `barWidth` (fraction clamped, non-finite = 0).
  static qreal fillWidth(qreal barWidth, double fraction);
  // The cell in `rect`. `textWidth` is the width kept for the text (at least 64; a table passes one
  // width for all its rows so the bars line up).
  static void paint(QPainter* painter, const QRect& rect, qint64 size, double fraction, const ThemeColor& color,
                    const QPalette& palette, int textWidth = kMinTextWidth,
                    Qt::LayoutDirection direction = Qt::LeftToRight);
  static int textWidthFor(qint64 size);
  // The bar alone: the track across `rect`'s width, centred in its height, filled to `fraction`.
  static void paintBar(QPainter* painter, const QRectF& rect, double fraction, const ThemeColor& color,
                       const QPalette& palette, Qt::LayoutDirection direction = Qt::LeftToRight);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  qint64 size_;
  double fraction_;
  ThemeColor color_;
  bool labelsHidden_ = false;
};

}  // namespace tolvex
