#include "views/cleanup/StepIndicator.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/ObjectNames.h"
#include "app/theme/Anim.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "views/cleanup/logic/QuickCleanSteps.h"
#include "app/theme/Spring.h"

namespace tolvex {
namespace {

constexpr int kPadH = 18;
constexpr int kPadV = 10;
constexpr int kSpacing = 10;  // between steps and connectors
constexpr int kTitleGap = 8;  // between a circle and its title
constexpr Spring kPhaseSpring{0.45, 1.0};

QFont titleFont(bool semibold) { return Theme::font(TextStyle::callout, semibold ? QFont::DemiBold : QFont::Normal); }

}  // namespace

StepIndicator::StepIndicator(SmartPhase phase, QWidget* parent) : QWidget(parent), phase_(phase), from_(phase) {
  setObjectName(QLatin1String(names::stepIndicator));
  setAttribute(Qt::WA_TranslucentBackground);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  animation_.setStartValue(0.0);
  animation_.setEndValue(1.0);
  connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
    const double seconds = v.toDouble() * animation_.duration() / 1000.0;
    progress_ = std::clamp(kPhaseSpring.value(seconds), 0.0, 1.0);
    update();
  });
  connect(&animation_, &QVariantAnimation::finished, this, [this] {
    progress_ = 1;
    update();
  });
  setAccessibleName(tr("Quick Clean steps"));
}

void StepIndicator::setPhase(SmartPhase phase) {
  if (phase == phase_) return;
  // A cross-fade under way starts again from what is on screen now: its target.
  from_ = phase_;
  phase_ = phase;
  animation_.stop();
  const int ms = Anim::duration(kPhaseSpring.settleMs());
  progress_ = ms > 0 ? 0 : 1;
  if (ms > 0) {
    animation_.setDuration(ms);
    animation_.start();
  }
  setAccessibleDescription(quickCleanStepTitle(currentQuickCleanStep(phase)));
  update();
}

int StepIndicator::titleWidth(int index) const {
  // The wider of the two weights, so a title turning semibold moves nothing beside it.
  const QString title = quickCleanStepTitle(index);
  return std::max(QFontMetrics(titleFont(true)).horizontalAdvance(title),
                  QFontMetrics(titleFont(false)).horizontalAdvance(title));
}

QRectF StepIndicator::circleRect(int index) const {
  qreal x = kPadH;
  for (int i = 0; i < index; ++i) x += kCircle + kTitleGap + titleWidth(i) + kSpacing + kConnectorWidth + kSpacing;
  return {x, (height() - kCircle) / 2.0, static_cast<qreal>(kCircle), static_cast<qreal>(kCircle)};
}

QRectF StepIndicator::titleRect(int index) const {
  const QRectF circle = circleRect(index);
  return {circle.right() + kTitleGap, 0, static_cast<qreal>(titleWidth(index)), static_cast<qreal>(height())};
}

QRectF StepIndicator::connectorRect(int index) const {
  const QRectF title = titleRect(index);
  return {title.right() + kSpacing, (height() - kConnectorHeight) / 2.0, static_cast<qreal>(kConnectorWidth),
          static_cast<qreal>(kConnectorHeight)};
}

QSize StepIndicator::sizeHint() const {
  int width = 2 * kPadH + (kQuickCleanStepCount - 1) * (2 * kSpacing + kConnectorWidth);
  for (int i = 0; i < kQuickCleanStepCount; ++i) width += kCircle + kTitleGap + titleWidth(i);
  const int titleHeight = QFontMetrics(titleFont(true)).height();
  return {width, std::max(kCircle, titleHeight) + 2 * kPadV};
}

void StepIndicator::paintLook(QPainter* painter, SmartPhase phase) const {
  const QPalette& pal = palette();
  for (int i = 0; i < kQuickCleanStepCount; ++i) {
    const StepLook look = stepLook(i, phase);
    const QRectF circle = circleRect(i);
    painter->setPen(Qt::NoPen);
    painter->setBrush(look.filled ? QBrush(Theme::brandGradient(circle, layoutDirection()))
                                  : QBrush(Theme::primary(pal, 0.08)));
    painter->drawEllipse(circle);
    const QColor markColor = look.markWhite ? QColor(Qt::white) : Theme::secondary(pal);
    if (look.checkmark) {
      const qreal side = 12;
      Symbols::paint(painter, QRectF(circle.center().x() - side / 2, circle.center().y() - side / 2, side, side),
                     look.mark, markColor);
    } else {
      painter->setPen(markColor);
      painter->setFont(Theme::font(TextStyle::caption, QFont::Bold));
      painter->drawText(circle, Qt::AlignCenter, look.mark);
    }
    painter->setPen(look.titleSecondary ? Theme::secondary(pal) : Theme::primary(pal));
    painter->setFont(titleFont(look.semibold));
    painter->drawText(titleRect(i), Qt::AlignVCenter | Qt::AlignLeading, quickCleanStepTitle(i));
    if (i + 1 < kQuickCleanStepCount) {
      const QRectF connector = connectorRect(i);
      QPainterPath capsule;
      capsule.addRoundedRect(connector, connector.height() / 2, connector.height() / 2);
      painter->fillPath(capsule, connectorFilled(i, phase) ? QBrush(Theme::brandGradient(connector, layoutDirection()))
                                                           : QBrush(Theme::primary(pal, 0.1)));
    }
  }
}

void StepIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  // The regular material on a capsule: the window colour lifted a little, with a hairline.
  const QPalette& pal = palette();
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QColor fill = pal.color(QPalette::Window);
  fill = Theme::isDark(pal) ? fill.lighter(125) : fill.lighter(106);
  fill.setAlphaF(0.9f);
  painter.setBrush(fill);
  painter.setPen(QPen(Theme::primary(pal, 0.08), 1.0));
  painter.drawRoundedRect(r, r.height() / 2, r.height() / 2);

  if (progress_ < 1 && from_ != phase_) {
    painter.setOpacity(1 - progress_);
    paintLook(&painter, from_);
    painter.setOpacity(progress_);
  }
  paintLook(&painter, phase_);
}

}  // namespace tolvex
