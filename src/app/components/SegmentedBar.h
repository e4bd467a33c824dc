#pragma once
// A horizontal bar that shows how a total is divided into coloured segments, with 2-pixel gaps.
// Hovering a segment dims the others; each segment has a tooltip "Title: size".
#include <QString>
#include <QVariantAnimation>
#include <QWidget>
#include <optional>
#include <vector>

#include "app/theme/Theme.h"

namespace tolvex {

struct Segment {
  QString id;
  QString title;
  qint64 value = 0;
  ThemeColor color;
};

class SegmentedBar : public QWidget {
  Q_OBJECT
 public:
  SegmentedBar(std::vector<Segment> segments, qint64 total, int height, QWidget* parent = nullptr);

  const std::vector<Segment>& segments() const { return segments_; }
  qint64 total() const { return total_; }
  void setSegments(std::vector<Segment> segments, qint64 total);
  int barHeight() const { return height_; }
  void setBarHeight(int height);
  // The id of the hovered segment, if any.
  std::optional<QString> hovered() const { return hovered_; }
  // Hover as the pointer sets it (for tests and keyboard users): none restores all segments.
  void setHovered(const std::optional<QString>& id);

  // Where each drawn segment lies in a bar of `width` (index into `segments`, rectangle): widths
  // w = width × value / total; segments with w below 1 are left out and leave no gap; each drawn one
  // is max(w − 2, 0) wide, followed by a 2-pixel gap. Empty when total is below 1.
  struct Placed {
    size_t index;
    QRectF rect;
  };
  static std::vector<Placed> layout(const std::vector<Segment>& segments, qint64 total, qreal width, qreal height);
  // "Title: 1.2 GB" (translated).
  static QString tooltip(const Segment& segment);
  // The bar in `rect`; `dimmed` segments (all but the hovered one) are drawn at `dimOpacity`.
  static void paint(QPainter* painter, const QRectF& rect, const std::vector<Segment>& segments, qint64 total,
                    const QPalette& palette, const std::optional<QString>& hovered = std::nullopt,
                    qreal dimOpacity = 0.45);

  QSize sizeHint() const override { return {200, height_}; }
  QSize minimumSizeHint() const override { return {20, height_}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  std::optional<size_t> segmentAt(const QPointF& pos) const;
  std::vector<Segment> segments_;
  qint64 total_;
  int height_;
  std::optional<QString> hovered_;
  // 0 = nothing dimmed, 1 = the others fully at 0.45; animated on hover changes.
  qreal dim_ = 0;
  std::optional<QString> drawnHover_;
  QVariantAnimation dimAnimation_;
};

}  // namespace tolvex
