#pragma once
// A ring of used out of total space: a faint full track and, from the top clockwise, an arc of
// used ÷ total of the circle in a gradient of accent to indigo (to danger above 90 %), 14 wide. When
// shown, the arc grows from nothing over 1.2 s.
#include <QVariantAnimation>
#include <QWidget>

namespace tolvex {

class DiskRing : public QWidget {
  Q_OBJECT
 public:
  DiskRing(qint64 used, qint64 total, QWidget* parent = nullptr);

  qint64 used() const { return used_; }
  qint64 total() const { return total_; }
  void setValues(qint64 used, qint64 total);
  qreal lineWidth() const { return lineWidth_; }
  void setLineWidth(qreal width);

  // used ÷ total when total > 0, else 0; not clamped.
  static double fraction(qint64 used, qint64 total);
  // The ring in the largest centred square of `rect`; `appear` (0…1) scales the arc's length.
  static void paint(QPainter* painter, const QRectF& rect, qint64 used, qint64 total, const QPalette& palette,
                    qreal lineWidth = 14, qreal appear = 1);

  QSize sizeHint() const override { return {54, 54}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  qint64 used_;
  qint64 total_;
  qreal lineWidth_ = 14;
  qreal appear_ = 0;
  QVariantAnimation appearAnimation_;
};

}  // namespace tolvex
