#include "app/components/SegmentedPicker.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

#include "app/components/FocusRing.h"
#include "app/theme/Theme.h"

namespace tolvex {

namespace {

class Segment : public QAbstractButton {
 public:
  Segment(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setCheckable(true);
    setFont(Theme::font(TextStyle::callout));
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
  }
  QSize sizeHint() const override {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 28, fm.height() + 8};
  }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    if (isChecked()) {
      QPainterPath shape;
      shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
      painter.fillPath(shape, Theme::isDark(pal) ? Theme::primary(pal, 0.18) : QColor(Qt::white));
      painter.setPen(QPen(Theme::primary(pal, 0.08), 1));
      painter.drawPath(shape);
    }
    painter.setFont(font());
    painter.setPen(isChecked() ? Theme::primary(pal) : Theme::secondary(pal));
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (showsFocusRing(this)) paintFocusRing(&painter, QRectF(rect()), 5, pal);
  }
};

}  // namespace

SegmentedPicker::SegmentedPicker(const QStringList& titles, QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  for (const QString& title : titles) {
    auto* segment = new Segment(title, this);
    segment->setAutoExclusive(true);
    const int index = static_cast<int>(segments_.size());
    connect(segment, &QAbstractButton::clicked, this, [this, index] { emit activated(index); });
    segments_.push_back(segment);
    layout->addWidget(segment);
  }
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

int SegmentedPicker::currentIndex() const {
  for (size_t i = 0; i < segments_.size(); ++i)
    if (segments_[i]->isChecked()) return static_cast<int>(i);
  return -1;
}

void SegmentedPicker::setCurrentIndex(int index) {
  if (index < 0 || index >= count()) return;
  segments_[static_cast<size_t>(index)]->setChecked(true);
}

void SegmentedPicker::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()), 7, 7);
  painter.fillPath(shape, Theme::primary(palette(), 0.07));
}

}  // namespace tolvex
