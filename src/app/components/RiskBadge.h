#pragma once
// A risk shown as a badge: the risk's symbol and label in its colour on a tinted capsule, or, in the
// compact form, the symbol alone.
#include <QWidget>

#include "app/theme/Theme.h"
#include "model/Risk.h"

namespace tolvex {

class RiskBadge : public QWidget {
  Q_OBJECT
 public:
  RiskBadge(Risk risk, bool compact, QWidget* parent = nullptr);

  Risk risk() const { return risk_; }
  bool isCompact() const { return compact_; }
  void setRisk(Risk risk);
  void setCompact(bool compact);

  // "Safe", "Review", "Protected" (translated); "checkmark.shield.fill", "exclamationmark.triangle.fill",
  // "lock.fill"; success, warning, danger.
  static QString text(Risk risk);
  static QString symbol(Risk risk);
  static ThemeColor color(Risk risk);

  // The font of the badge (caption, semibold), its size, and the badge drawn leading-aligned and
  // vertically centred in `rect` (for table cells).
  static QFont badgeFont();
  static QSize sizeFor(Risk risk, bool compact);
  static void paint(QPainter* painter, const QRect& rect, Risk risk, bool compact, const QPalette& palette,
                    Qt::LayoutDirection direction = Qt::LeftToRight);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void refresh();
  Risk risk_;
  bool compact_;
};

}  // namespace tolvex
