#include "app/components/RiskBadge.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "app/ObjectNames.h"
#include "app/theme/Symbols.h"

namespace tolvex {
namespace {
constexpr int kPadH = 7;
constexpr int kPadV = 2;
constexpr int kGap = 4;

int symbolSize(const QFontMetrics& fm) { return fm.height() - 1; }
}  // namespace

RiskBadge::RiskBadge(Risk risk, bool compact, QWidget* parent) : QWidget(parent), risk_(risk), compact_(compact) {
  setObjectName(QLatin1String(names::riskBadge));
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  refresh();
}

void RiskBadge::setRisk(Risk risk) {
  risk_ = risk;
  refresh();
}

void RiskBadge::setCompact(bool compact) {
  compact_ = compact;
  refresh();
}

void RiskBadge::refresh() {
  Symbols::tag(this, symbol(risk_));
  setAccessibleName(text(risk_));
  // The compact form has no words; its tooltip carries them.
  setToolTip(compact_ ? text(risk_) : QString());
  updateGeometry();
  update();
}

QString RiskBadge::text(Risk risk) { return QCoreApplication::translate("Risk", label(risk)); }

QString RiskBadge::symbol(Risk risk) {
  switch (risk) {
    case Risk::safe: return QStringLiteral("checkmark.shield.fill");
    case Risk::review: return QStringLiteral("exclamationmark.triangle.fill");
    case Risk::protected_: return QStringLiteral("lock.fill");
  }
  return QStringLiteral("checkmark.shield.fill");
}

ThemeColor RiskBadge::color(Risk risk) { return Theme::colorFor(risk); }

QFont RiskBadge::badgeFont() { return Theme::font(TextStyle::caption, QFont::DemiBold); }

QSize RiskBadge::sizeFor(Risk risk, bool compact) {
  const QFontMetrics fm(badgeFont());
  const int icon = symbolSize(fm);
  if (compact) return {icon, icon};
  return {kPadH + icon + kGap + fm.horizontalAdvance(text(risk)) + kPadH, fm.height() + 2 * kPadV};
}

void RiskBadge::paint(QPainter* painter, const QRect& rect, Risk risk, bool compact, const QPalette& palette,
                      Qt::LayoutDirection direction) {
  const QSize size = sizeFor(risk, compact);
  const QFont font = badgeFont();
  const QFontMetrics fm(font);
  const int icon = symbolSize(fm);
  const bool rtl = direction == Qt::RightToLeft;
  const int x = rtl ? rect.right() - size.width() + 1 : rect.left();
  const QRect badge(x, rect.top() + (rect.height() - size.height()) / 2, size.width(), size.height());
  const QColor tint = color(risk).resolve(palette);

  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  if (compact) {
    Symbols::paint(painter, QRectF(badge), symbol(risk), tint);
    painter->restore();
    return;
  }
  QPainterPath capsule;
  capsule.addRoundedRect(QRectF(badge), badge.height() / 2.0, badge.height() / 2.0);
  painter->fillPath(capsule, Theme::withOpacity(tint, 0.13));
  const int iconX = rtl ? badge.right() - kPadH - icon + 1 : badge.left() + kPadH;
  const QRectF iconRect(iconX, badge.top() + (badge.height() - icon) / 2.0, icon, icon);
  Symbols::paint(painter, iconRect, symbol(risk), tint);
  const int textWidth = badge.width() - 2 * kPadH - icon - kGap;
  const int textX = rtl ? badge.left() + kPadH : badge.left() + kPadH + icon + kGap;
  painter->setFont(font);
  painter->setPen(tint);
  painter->drawText(QRect(textX, badge.top(), textWidth, badge.height()), Qt::AlignVCenter | Qt::AlignLeft, text(risk));
  painter->restore();
}

QSize RiskBadge::sizeHint() const { return sizeFor(risk_, compact_); }

void RiskBadge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(&painter, rect(), risk_, compact_, palette(), layoutDirection());
}

}  // namespace tolvex
