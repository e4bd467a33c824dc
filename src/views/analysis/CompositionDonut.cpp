#include "views/analysis/CompositionDonut.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>

#include "app/ObjectNames.h"
#include "app/theme/Theme.h"

namespace tolvex {
namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

// A ring sector from `start` over `span` degrees (Qt's arc angles), each edge pulled in by half the
// inset, measured along the arc it lies on.
QPainterPath ringSector(QPointF centre, double outer, double inner, double start, double span, double inset) {
  const double sign = span < 0 ? -1 : 1;
  const double outerCut = std::min(std::abs(span) / 2, inset / 2 / outer * kDegrees);
  const double innerCut = std::min(std::abs(span) / 2, inset / 2 / inner * kDegrees);
  const QRectF outerBox(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer);
  const QRectF innerBox(centre.x() - inner, centre.y() - inner, 2 * inner, 2 * inner);
  QPainterPath path;
  path.arcMoveTo(outerBox, start + sign * outerCut);
  path.arcTo(outerBox, start + sign * outerCut, span - 2 * sign * outerCut);
  path.arcTo(innerBox, start + span - sign * innerCut, -(span - 2 * sign * innerCut));
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
  const double angle = (s.startAngle + s.spanAngle / 2) / kDegrees;
  const double radius = outerRadius() * (1 + kInnerRatio) / 2;
  return middle() + QPointF(radius * std::cos(angle), -radius * std::sin(angle));
}

void CompositionDonut::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const double outer = outerRadius();
  const double inner = outer * kInnerRatio;
  const QRectF box(middle().x() - outer, middle().y() - outer, 2 * outer, 2 * outer);
  for (const DonutSector& s : sectors_) {
    const QPainterPath path = ringSector(middle(), outer, inner, s.startAngle, s.spanAngle, kInset);
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
