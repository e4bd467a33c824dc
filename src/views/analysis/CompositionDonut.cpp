#include "views/analysis/CompositionDonut.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/ObjectNames.h"
#include "app/theme/Theme.h"

namespace tolvex {
namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

QPointF onCircle(QPointF centre, double radius, double degrees) {
  const double a = degrees / kDegrees;
  return centre + QPointF(radius * std::cos(a), -radius * std::sin(a));
}

// A ring sector from `start` over `span` degrees (Qt's arc angles), each edge pulled in by half the
// inset, measured along the arc it lies on, and its four corners rounded with `corner` (less on a
// sector too small to hold it).
QPainterPath ringSector(QPointF centre, double outer, double inner, double start, double span, double inset,
                        double corner) {
  const double sign = span < 0 ? -1 : 1;
  const double outerCut = std::min(std::abs(span) / 2, inset / 2 / outer * kDegrees);
  const double innerCut = std::min(std::abs(span) / 2, inset / 2 / inner * kDegrees);
  const double outerSpan = std::abs(span) - 2 * outerCut;
  const double innerSpan = std::abs(span) - 2 * innerCut;
  const double r = std::max(
      0.0, std::min({corner, (outer - inner) / 2, outerSpan / kDegrees * outer / 2, innerSpan / kDegrees * inner / 2}));
  const double outerTurn = r / outer * kDegrees;
  const double innerTurn = r / inner * kDegrees;
  const QRectF outerBox(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer);
  const QRectF innerBox(centre.x() - inner, centre.y() - inner, 2 * inner, 2 * inner);
  const double o0 = start + sign * outerCut, o1 = start + span - sign * outerCut;
  const double i0 = start + sign * innerCut, i1 = start + span - sign * innerCut;
  // A point `r` along the side edge from one corner towards the other.
  auto along = [r](QPointF from, QPointF to) {
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    return length > 0 ? from + d * (r / length) : from;
  };
  const QPointF outerStart = onCircle(centre, outer, o0), outerEnd = onCircle(centre, outer, o1);
  const QPointF innerStart = onCircle(centre, inner, i0), innerEnd = onCircle(centre, inner, i1);
  QPainterPath path;
  path.moveTo(along(outerStart, innerStart));
  path.quadTo(outerStart, onCircle(centre, outer, o0 + sign * outerTurn));
  path.arcTo(outerBox, o0 + sign * outerTurn, sign * (outerSpan - 2 * outerTurn));
  path.quadTo(outerEnd, along(outerEnd, innerEnd));
  path.lineTo(along(innerEnd, outerEnd));
  path.quadTo(innerEnd, onCircle(centre, inner, i1 - sign * innerTurn));
  path.arcTo(innerBox, i1 - sign * innerTurn, -sign * (innerSpan - 2 * innerTurn));
  path.quadTo(innerStart, along(innerStart, outerStart));
  path.closeSubpath();
  return path;
}

}  // namespace

CompositionDonut::CompositionDonut(QWidget* parent) : QWidget(parent) {
  setObjectName(QLatin1String(names::compositionDonut));
  setFixedSize(kSide, kSide);
  setMouseTracking(true);
  auto* column = new QVBoxLayout(this);
  column->setSpacing(2);
  column->addStretch(1);
  value_ = new QLabel(this);
  value_->setObjectName(QLatin1String(names::compositionCentreValue));
  value_->setFont(Theme::monospacedDigitFont(TextStyle::title2, QFont::Bold));
  value_->setAlignment(Qt::AlignCenter);
  caption_ = new QLabel(this);
  caption_->setObjectName(QLatin1String(names::compositionCentreCaption));
  caption_->setFont(Theme::font(TextStyle::caption));
  caption_->setAlignment(Qt::AlignCenter);
  Theme::setForeground(caption_, Tone::secondary);
  for (QLabel* label : {value_, caption_}) {
    label->setTextFormat(Qt::PlainText);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    column->addWidget(label);
  }
  column->addStretch(1);
}

void CompositionDonut::setComposition(const Composition& composition) {
  composition_ = composition;
  sectors_ = composition_.sectors();
  hovered_.reset();
  syncCentre();
  update();
}

void CompositionDonut::setSelected(std::optional<StorageBucket> selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  syncCentre();
  update();
}

void CompositionDonut::syncCentre() {
  const CompositionCentre c = centre();
  value_->setText(c.value);
  caption_->setText(c.caption);
}

QPointF CompositionDonut::middle() const { return QRectF(rect()).center(); }
double CompositionDonut::outerRadius() const { return std::min(width(), height()) / 2.0 - 1; }

std::optional<size_t> CompositionDonut::sectorAt(QPointF point) const {
  return tolvex::sectorAt(sectors_, middle(), outerRadius(), kInnerRatio, point);
}

QPointF CompositionDonut::sectorMiddle(size_t index) const {
  const DonutSector& s = sectors_.at(index);
  return onCircle(middle(), outerRadius() * (1 + kInnerRatio) / 2, s.startAngle + s.spanAngle / 2);
}

void CompositionDonut::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const double outer = outerRadius();
  const double inner = outer * kInnerRatio;
  const QRectF box(middle().x() - outer, middle().y() - outer, 2 * outer, 2 * outer);
  for (const DonutSector& s : sectors_) {
    const QPainterPath path = ringSector(middle(), outer, inner, s.startAngle, s.spanAngle, kInset, kCornerRadius);
    if (!s.bucket) {
      painter.fillPath(path, Theme::withOpacity(Theme::graphite(), kOtherOpacity));
      continue;
    }
    const QColor color = Theme::colorFor(*s.bucket);
    painter.setOpacity(!selected_ || selected_ == s.bucket ? 1.0 : kDimmedOpacity);
    painter.fillPath(path, Theme::gradient(color, box));
    painter.setOpacity(1.0);
  }
}

void CompositionDonut::mouseMoveEvent(QMouseEvent* event) {
  hoverSector(sectorAt(event->position()));
  QWidget::mouseMoveEvent(event);
}

void CompositionDonut::leaveEvent(QEvent* event) {
  hoverSector(std::nullopt);
  QWidget::leaveEvent(event);
}

void CompositionDonut::hoverSector(std::optional<size_t> index) {
  if (index == hovered_) return;
  if (hovered_) emit sectorLeft(sectors_[*hovered_].bucket);
  hovered_ = index;
  if (hovered_) emit sectorEntered(sectors_[*hovered_].bucket);
}

}  // namespace tolvex
