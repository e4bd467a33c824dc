#include "views/analysis/SunburstView.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include <numbers>

#include "app/ObjectNames.h"
#include "app/theme/Anim.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/Formatting.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {
namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

// The outline of an arc: its outer edge (1.5 short of the ring's outer radius) clockwise from
// start to end, then its inner edge back. The edges are polygons fine enough that no segment is
// longer than about two pixels, which the rasteriser fills much faster than curves.
QPainterPath arcPath(const sunburst::Arc& arc, const sunburst::Geometry& g) {
  const double outer = std::max((arc.depth + 1) * g.thickness - sunburst::kOuterGap, 0.0);
  const double inner = arc.depth * g.thickness;
  const double span = arc.end - arc.start;
  const int steps = std::clamp(static_cast<int>(std::ceil(outer * span / 2.0)), 1, 2000);
  QPolygonF polygon;
  polygon.reserve(2 * steps + 3);
  auto point = [&](double radius, double angle) {
    return QPointF(g.centre.x() + radius * std::sin(angle), g.centre.y() - radius * std::cos(angle));
  };
  for (int i = 0; i <= steps; ++i) polygon << point(outer, arc.start + span * i / steps);
  for (int i = steps; i >= 0; --i) polygon << point(inner, arc.start + span * i / steps);
  QPainterPath path;
  path.addPolygon(polygon);
  path.closeSubpath();
  return path;
}

// The room for a line of the centre label from `top`, `height` high: the disc's chord at whichever
// of the line's edges lies farther from the centre, less a little air, so no glyph reaches the rings.
qreal roomOnDisc(const sunburst::Geometry& g, qreal top, qreal height) {
  const qreal radius = g.thickness - 3;
  const qreal reach = std::max(std::abs(top - g.centre.y()), std::abs(top + height - g.centre.y()));
  return reach < radius ? 2 * std::sqrt(radius * radius - reach * reach) : 0;
}

// Draws one line of the centre label on the disc, shrunk down to `minScale` of its size to fit and
// cut with an ellipsis when even that is too wide. Returns the height used.
qreal drawFitted(QPainter* painter, const QString& text, QFont font, const QColor& color, const sunburst::Geometry& g,
                 qreal top, qreal minScale = 0.7) {
  qreal width = roomOnDisc(g, top, QFontMetricsF(font).height());
  const qreal natural = QFontMetricsF(font).horizontalAdvance(text);
  if (natural > width && natural > 0) {
    const qreal scale = std::max(minScale, width / natural);
    if (font.pixelSize() > 0)
      font.setPixelSize(std::max(1, static_cast<int>(std::floor(font.pixelSize() * scale))));
    else
      font.setPointSizeF(font.pointSizeF() * scale);
  }
  const QFontMetricsF fm(font);
  width = roomOnDisc(g, top, fm.height());
  const QString shown = fm.elidedText(text, Qt::ElideRight, width);
  painter->setFont(font);
  painter->setPen(color);
  const QRectF rect(g.centre.x() - width / 2, top, width, fm.height());
  painter->drawText(rect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, shown);
  return fm.height();
}

}  // namespace

SunburstView::SunburstView(int maxDepth, QWidget* parent) : QWidget(parent), maxDepth_(maxDepth) {
  setObjectName(QLatin1String(names::explorerMap));
  setMouseTracking(true);
  setAttribute(Qt::WA_Hover, false);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  fade_.setEasingCurve(QEasingCurve::OutQuad);
  fade_.setStartValue(0.0);
  fade_.setEndValue(1.0);
  connect(&fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
    progress_ = v.toReal();
    update();
  });
}

void SunburstView::setRoot(FileNode* root) {
  if (root != root_) {
    hovered_ = nullptr;
    fadeFrom_ = nullptr;
    fade_.stop();
    progress_ = 1;
  }
  root_ = root;
  arcs_ = sunburst::layout(root, maxDepth_);
  auto present = [this](const FileNode* node) {
    return std::any_of(arcs_.begin(), arcs_.end(), [node](const sunburst::Arc& a) { return a.node == node; });
  };
  if (hovered_ && !present(hovered_)) hovered_ = nullptr;
  if (fadeFrom_ && !present(fadeFrom_)) fadeFrom_ = nullptr;
  update();
}

sunburst::Geometry SunburstView::mapGeometry() const { return sunburst::Geometry::of(width(), height(), maxDepth_); }

QPointF SunburstView::pointIn(const sunburst::Arc& arc, const sunburst::Geometry& g) {
  const double angle = (arc.start + arc.end) / 2;
  const double radius = (arc.depth + 0.5) * g.thickness;
  return {g.centre.x() + radius * std::sin(angle), g.centre.y() - radius * std::cos(angle)};
}

void SunburstView::paint(QPainter* painter, const std::vector<sunburst::Arc>& arcs, const sunburst::Geometry& g,
                         const FileNode* root, const FileNode* hovered, const FileNode* fadeFrom, qreal progress,
                         const QPalette& palette) {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  // Each arc is filled, then outlined with a one-point line in the window colour, in list order.
  // The outline is antialiased and lies over every edge of the fill, so the fill itself is drawn
  // without antialiasing: the picture is the same (the fill's stair-steps lie within the line), and
  // a translucent antialiased fill costs the raster engine a hundred times more.
  const double t = std::clamp(static_cast<double>(progress), 0.0, 1.0);
  const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  QPen separator(palette.color(QPalette::Window), dpr);
  separator.setCosmetic(true);  // drawn by the line stroker instead of being outlined as a path
  for (const sunburst::Arc& arc : arcs) {
    const double to = sunburst::opacity(arc, hovered), from = sunburst::opacity(arc, fadeFrom);
    QColor color = arc.color();
    color.setAlphaF(static_cast<float>(std::clamp(from + (to - from) * t, 0.0, 1.0)));
    const QPainterPath path = arcPath(arc, g);
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillPath(path, color);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->strokePath(path, separator);
  }

  // The centre label: the hovered node, or the folder itself.
  if (root && g.thickness > 0) {
    const FileNode* shown = hovered ? hovered : root;
    const QColor primary = Theme::primary(palette), secondary = Theme::secondary(palette);
    const QFont titleFont = Theme::font(TextStyle::headline);
    const QFont sizeFont = Theme::monospacedDigitFont(TextStyle::title3, QFont::Bold);
    const QFont captionFont = Theme::font(TextStyle::caption);
    QString third;
    bool up = false;
    if (hovered) {
      third = QString::fromStdString(percentText(get(hovered->size), get(root->size)));
    } else if (root->parent) {
      third = QCoreApplication::translate("SunburstView", "Up");
      up = true;
    }
    const qreal spacing = 2;
    qreal total = QFontMetricsF(titleFont).height() + spacing + QFontMetricsF(sizeFont).height();
    if (!third.isEmpty()) total += spacing + QFontMetricsF(captionFont).height();
    qreal y = g.centre.y() - total / 2;
    y += drawFitted(painter, sunburst::centreTitle(*shown), titleFont, primary, g, y) + spacing;
    // A size is never cut: it may shrink further than a name.
    y += drawFitted(painter, bytesText(get(shown->size)), sizeFont, primary, g, y, 0.5) + spacing;
    if (!third.isEmpty()) {
      if (up) {
        // "Up" with its arrow in front of it.
        const QFontMetricsF fm(captionFont);
        const qreal icon = fm.height() * 0.8;
        const qreal textWidth = fm.horizontalAdvance(third);
        const qreal x = g.centre.x() - (icon + 3 + textWidth) / 2;
        Symbols::paint(painter, QRectF(x, y + (fm.height() - icon) / 2, icon, icon), QStringLiteral("arrow.up"),
                       secondary);
        painter->setFont(captionFont);
        painter->setPen(secondary);
        painter->drawText(QRectF(x + icon + 3, y, textWidth + 1, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, third);
      } else {
        drawFitted(painter, third, captionFont, secondary, g, y);
      }
    }
  }
  painter->restore();
}

void SunburstView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(&painter, arcs_, mapGeometry(), root_, hovered_, fadeFrom_, progress_, palette());
}

void SunburstView::setHovered(FileNode* node, bool always) {
  if (node == hovered_ && !always) return;
  if (node != hovered_) {
    fadeFrom_ = hovered_;
    hovered_ = node;
    fade_.stop();
    const int ms = Anim::duration(150);
    if (ms > 0) {
      progress_ = 0;
      fade_.setDuration(ms);
      fade_.start();
    } else {
      progress_ = 1;
    }
    update();
  }
  emit hoverChanged(node);
}

void SunburstView::hoverAt(const QPointF& pos) {
  const auto hit = sunburst::hitTest(arcs_, mapGeometry(), pos);
  setHovered(hit ? arcs_[*hit].node : nullptr, false);
}

void SunburstView::mouseMoveEvent(QMouseEvent* event) { hoverAt(event->position()); }

void SunburstView::leaveEvent(QEvent*) { setHovered(nullptr, true); }

void SunburstView::mousePressEvent(QMouseEvent* event) { pressed_ = event->button() == Qt::LeftButton; }

void SunburstView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second click of a double-click would act on the map its first click just opened.
  if (event->button() == Qt::LeftButton) swallowRelease_ = true;
}

void SunburstView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const bool wasPressed = pressed_;
  pressed_ = false;
  if (swallowRelease_) {
    swallowRelease_ = false;
    return;
  }
  if (!wasPressed || !rect().contains(event->position().toPoint())) return;
  const sunburst::Tap tap = sunburst::tap(arcs_, mapGeometry(), event->position());
  if (tap.kind == sunburst::Tap::Kind::up)
    emit upRequested();
  else if (tap.kind == sunburst::Tap::Kind::open)
    emit openRequested(tap.node);
}

}  // namespace tolvex
