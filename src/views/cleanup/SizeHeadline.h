#pragma once
// The review's large figure of what would be freed, filled with the brand gradient. A new figure
// rolls in from below while the old one leaves upwards, on a lively spring; without animations it
// changes at once.
#include <QString>
#include <QWidget>

#include "app/components/SpringAnimation.h"

namespace tolvex {

class SizeHeadline : public QWidget {
  Q_OBJECT
 public:
  explicit SizeHeadline(QWidget* parent = nullptr);

  QString text() const { return text_; }
  void setText(const QString& text);
  // Pixels from the bottom edge up to the text's baseline (for lining up text beside it).
  int descent() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void paintText(QPainter* painter, const QString& text, qreal dy, qreal opacity) const;

  QString text_;
  QString previous_;
  qreal progress_ = 1;
  SpringAnimation spring_;
};

}  // namespace tolvex
