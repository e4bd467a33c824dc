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
    const qreal y = rect.top() + (rect.height() - kBarHeight) / 2.0;
    const qreal x = rtl ? rect.left() : textRect.right() + 1 + kSpacing;
    const QRectF track(x, y, barWidth, kBarHeight);
    const qreal radius = kBarHeight / 2.0;
    QPainterPath trackPath;
    trackPath.addRoundedRect(track, radius, radius);
    painter->fillPath(trackPath, Theme::primary(palette, 0.07));
    const qreal w = fillWidth(barWidth, fraction);
    const QRectF fill(rtl ? track.right() - w : track.left(), y, w, kBarHeight);
    QPainterPath fillPath;
    fillPath.addRoundedRect(fill, std::min(radius, w / 2), radius);
    painter->fillPath(fillPath, Theme::gradient(color.resolve(palette), fill));
  }
  painter->restore();
}

QSize SizeCell::sizeHint() const {
  return {textWidthFor(size_) + kSpacing + 80, std::max(QFontMetrics(cellFont()).height(), kBarHeight) + 2};
}

QSize SizeCell::minimumSizeHint() const {
  return {textWidthFor(size_) + kSpacing + 8, std::max(QFontMetrics(cellFont()).height(), kBarHeight)};
}

void SizeCell::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(&painter, rect(), size_, fraction_, color_, palette(), kMinTextWidth, layoutDirection());
}

}  // namespace tolvex
