#include "app/components/SizeCell.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "app/ObjectNames.h"
#include "model/Formatting.h"

namespace tolvex {

SizeCell::SizeCell(qint64 size, double fraction, const ThemeColor& color, QWidget* parent)
    : QWidget(parent), size_(size), fraction_(fraction), color_(color) {
  setObjectName(QLatin1String(names::sizeCell));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAccessibleName(text());
}

void SizeCell::setValues(qint64 size, double fraction) {
  size_ = size;
  fraction_ = fraction;
  setAccessibleName(text());
  updateGeometry();
  update();
}

void SizeCell::setColor(const ThemeColor& color) {
  color_ = color;
  update();
}

QString SizeCell::text(qint64 size) { return QString::fromStdString(formatBytes(std::max<qint64>(size, 0))); }

QFont SizeCell::cellFont() { return Theme::monospacedDigitFont(TextStyle::body); }

qreal SizeCell::fillWidth(qreal barWidth, double fraction) {
  if (!std::isfinite(fraction)) fraction = 0;
  const double f = std::clamp(fraction, 0.0, 1.0);
  return std::min(std::max(barWidth * f, 2.0), std::max(barWidth, 0.0));
}

int SizeCell::textWidthFor(qint64 size) {
  return std::max(kMinTextWidth, QFontMetrics(cellFont()).horizontalAdvance(text(size)));
}

void SizeCell::paint(QPainter* painter, const QRect& rect, qint64 size, double fraction, const ThemeColor& color,
                     const QPalette& palette, int textWidth, Qt::LayoutDirection direction) {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const QFont font = cellFont();
  const QString label = text(size);
  textWidth = std::max({textWidth, kMinTextWidth, QFontMetrics(font).horizontalAdvance(label)});
  textWidth = std::min(textWidth, rect.width());
  const bool rtl = direction == Qt::RightToLeft;

  const QRect textRect = rtl ? QRect(rect.right() - textWidth + 1, rect.top(), textWidth, rect.height())
                             : QRect(rect.left(), rect.top(), textWidth, rect.height());
  painter->setFont(font);
  painter->setPen(Theme::primary(palette));
  painter->drawText(textRect, Qt::AlignVCenter | (rtl ? Qt::AlignLeft : Qt::AlignRight), label);

  const qreal barWidth = rect.width() - textWidth - kSpacing;
  if (barWidth > 0) {
    const qreal x = rtl ? rect.left() : textRect.right() + 1 + kSpacing;
    paintBar(painter, QRectF(x, rect.top(), barWidth, rect.height()), fraction, color, palette, direction);
  }
  painter->restore();
}

void SizeCell::paintBar(QPainter* painter, const QRectF& rect, double fraction, const ThemeColor& color,
                        const QPalette& palette, Qt::LayoutDirection direction) {
  if (rect.width() <= 0) return;
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const qreal y = rect.top() + (rect.height() - kBarHeight) / 2.0;
  const QRectF track(rect.left(), y, rect.width(), kBarHeight);
  const qreal radius = kBarHeight / 2.0;
  QPainterPath trackPath;
  trackPath.addRoundedRect(track, radius, radius);
  painter->fillPath(trackPath, Theme::primary(palette, 0.07));
  const qreal w = fillWidth(rect.width(), fraction);
  const QRectF fill(direction == Qt::RightToLeft ? track.right() - w : track.left(), y, w, kBarHeight);
  QPainterPath fillPath;
  fillPath.addRoundedRect(fill, std::min(radius, w / 2), radius);
  painter->fillPath(fillPath, Theme::gradient(color.resolve(palette), fill));
  painter->restore();
}

void SizeCell::setLabelsHidden(bool hidden) {
  if (labelsHidden_ == hidden) return;
  labelsHidden_ = hidden;
  updateGeometry();
  update();
}

QSize SizeCell::sizeHint() const {
  if (labelsHidden_) return {80, kBarHeight + 2};
  return {textWidthFor(size_) + kSpacing + 80, std::max(QFontMetrics(cellFont()).height(), kBarHeight) + 2};
}

QSize SizeCell::minimumSizeHint() const {
  if (labelsHidden_) return {8, kBarHeight};
  return {textWidthFor(size_) + kSpacing + 8, std::max(QFontMetrics(cellFont()).height(), kBarHeight)};
}

void SizeCell::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (labelsHidden_) {
    paintBar(&painter, rect(), fraction_, color_, palette(), layoutDirection());
    return;
  }
  paint(&painter, rect(), size_, fraction_, color_, palette(), kMinTextWidth, layoutDirection());
}

}  // namespace tolvex
