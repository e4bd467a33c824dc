#include "app/components/SegmentedBar.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include "app/ObjectNames.h"
#include "app/theme/Anim.h"
#include "model/Formatting.h"

namespace tolvex {

SegmentedBar::SegmentedBar(std::vector<Segment> segments, qint64 total, int height, QWidget* parent)
    : QWidget(parent), segments_(std::move(segments)), total_(total), height_(std::max(height, 1)) {
  setObjectName(QLatin1String(names::segmentedBar));
  setMouseTracking(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  dimAnimation_.setEasingCurve(QEasingCurve::OutCubic);
  connect(&dimAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    dim_ = value.toReal();
    update();
  });
}

void SegmentedBar::setSegments(std::vector<Segment> segments, qint64 total) {
  segments_ = std::move(segments);
  total_ = total;
  if (hovered_) {
    const bool present =
        std::any_of(segments_.begin(), segments_.end(), [&](const Segment& s) { return s.id == *hovered_; });
    if (!present) setHovered(std::nullopt);
  }
  update();
}

void SegmentedBar::setBarHeight(int height) {
  height_ = std::max(height, 1);
  updateGeometry();
  update();
}

void SegmentedBar::setHovered(const std::optional<QString>& id) {
  if (id == hovered_) return;
  hovered_ = id;
  if (id) drawnHover_ = id;  // keep the last hovered segment bright while the others fade back
  const qreal target = id ? 1.0 : 0.0;
  dimAnimation_.stop();
  const int ms = Anim::duration(200);
  if (ms == 0) {
    dim_ = target;
    if (!id) drawnHover_.reset();
    update();
    return;
  }
  dimAnimation_.setDuration(ms);
  dimAnimation_.setStartValue(dim_);
  dimAnimation_.setEndValue(target);
  dimAnimation_.start();
}

std::vector<SegmentedBar::Placed> SegmentedBar::layout(const std::vector<Segment>& segments, qint64 total, qreal width,
                                                       qreal height) {
  std::vector<Placed> placed;
  if (total < 1 || width <= 0) return placed;
  qreal x = 0;
  for (size_t i = 0; i < segments.size(); ++i) {
    const qreal w = width * static_cast<double>(segments[i].value) / static_cast<double>(total);
    if (!(w >= 1)) continue;  // also drops negative and non-finite widths
    const qreal drawn = std::max(w - 2, 0.0);
    placed.push_back({i, QRectF(x, 0, drawn, height)});
    x += drawn + 2;
  }
  return placed;
}

QString SegmentedBar::tooltip(const Segment& segment) {
  return QCoreApplication::translate("SegmentedBar", "%1: %2")
      .arg(segment.title, QString::fromStdString(formatBytes(std::max<qint64>(segment.value, 0))));
}

void SegmentedBar::paint(QPainter* painter, const QRectF& rect, const std::vector<Segment>& segments, qint64 total,
                         const QPalette& palette, const std::optional<QString>& hovered, qreal dimOpacity) {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  QPainterPath clip;
  const qreal radius = rect.height() / 3.0;
  clip.addRoundedRect(rect, radius, radius);
  painter->setClipPath(clip);
  painter->fillRect(rect, Theme::primary(palette, 0.06));
  for (const Placed& p : layout(segments, total, rect.width(), rect.height())) {
    const Segment& s = segments[p.index];
    const QRectF r = p.rect.translated(rect.topLeft());
    const bool dim = hovered && s.id != *hovered;
    painter->setOpacity(dim ? dimOpacity : 1.0);
    painter->fillRect(r, Theme::gradient(s.color.resolve(palette), r));
  }
  painter->restore();
}

void SegmentedBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRectF bar(0, (height() - height_) / 2.0, width(), height_);
  // Interpolate the dimming: 1 → 0.45 as `dim_` goes 0 → 1.
  const qreal opacity = 1.0 - 0.55 * dim_;
  paint(&painter, bar, segments_, total_, palette(), dim_ > 0 ? drawnHover_ : std::nullopt, opacity);
  if (!hovered_ && dim_ == 0) drawnHover_.reset();
}

std::optional<size_t> SegmentedBar::segmentAt(const QPointF& pos) const {
  const qreal top = (height() - height_) / 2.0;
  for (const Placed& p : layout(segments_, total_, width(), height_)) {
    if (p.rect.translated(0, top).contains(pos)) return p.index;
  }
  return std::nullopt;
}

void SegmentedBar::mouseMoveEvent(QMouseEvent* event) {
  const auto index = segmentAt(event->position());
  setHovered(index ? std::optional<QString>(segments_[*index].id) : std::nullopt);
  QWidget::mouseMoveEvent(event);
}

void SegmentedBar::leaveEvent(QEvent* event) {
  setHovered(std::nullopt);
  QWidget::leaveEvent(event);
}

bool SegmentedBar::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const auto index = segmentAt(help->pos());
    if (index) {
      QToolTip::showText(help->globalPos(), tooltip(segments_[*index]), this);
    } else {
      QToolTip::hideText();
      event->ignore();
    }
    return true;
  }
  return QWidget::event(event);
}

}  // namespace tolvex
