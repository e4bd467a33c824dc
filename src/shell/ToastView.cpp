#include "shell/ToastView.h"

#include <QEasingCurve>
#include <algorithm>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Shadow.h"
#include "app/components/SymbolView.h"
#include "app/theme/Anim.h"
#include "app/theme/Appearance.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"

namespace tolvex {
namespace {
// The shadow: black at 20 %, blur 20, moved down 8. The widget reserves room for it around the panel.
constexpr qreal kShadowBlur = 20;
constexpr qreal kShadowOffsetY = 8;
constexpr qreal kShadowOpacity = 0.2;
const QMargins kShadowMargins(20, 20 - 8, 20, 20 + 8);
}  // namespace

ToastView::ToastView(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QLatin1String(names::toastView));
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_NoSystemBackground);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(kShadowMargins.left() + 16, kShadowMargins.top() + 12, kShadowMargins.right() + 16,
                          kShadowMargins.bottom() + 12);
  row->setSpacing(12);
  row->setSizeConstraint(QLayout::SetFixedSize);

  symbol_ = new SymbolView(QStringLiteral("checkmark.circle.fill"), Theme::success(), 20, this);
  symbol_->setObjectName(QLatin1String(names::toastSymbol));
  row->addWidget(symbol_, 0, Qt::AlignVCenter);

  auto* texts = new QVBoxLayout;
  texts->setSpacing(2);
  message_ = new QLabel(this);
  message_->setObjectName(QLatin1String(names::toastMessage));
  message_->setTextFormat(Qt::PlainText);
  message_->setWordWrap(false);
  Theme::setTextStyle(message_, TextStyle::headline);
  detail_ = new QLabel(this);
  detail_->setObjectName(QLatin1String(names::toastDetail));
  detail_->setTextFormat(Qt::PlainText);
  Theme::setTextStyle(detail_, TextStyle::caption);
  Theme::setForeground(detail_, Tone::secondary);
  texts->addWidget(message_);
  texts->addWidget(detail_);
  row->addLayout(texts);

  undo_ = new QPushButton(tr("Undo"), this);
  undo_->setObjectName(QLatin1String(names::toastUndo));
  undo_->setAutoDefault(false);
  row->addWidget(undo_, 0, Qt::AlignVCenter);

  close_ = new QToolButton(this);
  close_->setObjectName(QLatin1String(names::toastClose));
  close_->setAutoRaise(true);
  // Secondary text colour in either appearance (icons resolve against the application palette).
  close_->setIcon(Symbols::icon(
      QStringLiteral("xmark"),
      ThemeColor(Theme::secondary(Appearance::lightPalette()), Theme::secondary(Appearance::darkPalette())), 12));
  close_->setIconSize(QSize(12, 12));
  close_->setFocusPolicy(Qt::TabFocus);
  close_->setAccessibleName(tr("Close"));
  Symbols::tag(close_, QStringLiteral("xmark"));
  row->addWidget(close_, 0, Qt::AlignVCenter);

  dismissTimer_.setSingleShot(true);
  dismissTimer_.setTimerType(Qt::PreciseTimer);  // a coarse timer may end up to 5 % early
  connect(&dismissTimer_, &QTimer::timeout, this, &ToastView::dismissPending);
  connect(undo_, &QPushButton::clicked, this, [this] {
    if (!state_.toast() || state_.toast()->undoable.empty()) return;
    // A copy: the undo publishes a new toast, which replaces the one the entries belong to.
    const std::vector<HistoryEntry> entries = state_.toast()->undoable;
    state_.undoDeletion(entries);
  });
  connect(close_, &QToolButton::clicked, this, [this] {
    if (state_.toast()) state_.clearToast(state_.toast()->id);
  });
  connect(&state_, &AppState::toastChanged, this, &ToastView::refresh);

  hide();
  refresh();
}

void ToastView::dismissPending() {
  dismissTimer_.stop();
  const std::string id = timerFor_;
  timerFor_.clear();
  if (!id.empty()) state_.clearToast(id);  // does nothing when that toast is no longer the one shown
}

void ToastView::refresh() {
  const auto& toast = state_.toast();
  if (!toast) {
    shownId_.clear();
    timerFor_.clear();
    dismissTimer_.stop();
    animate(false);
    return;
  }
  const bool appearing = !isVisible() || (motion_ && motion_->direction() == QAbstractAnimation::Backward);
  if (toast->id != shownId_) {
    shownId_ = toast->id;
    // A new toast: its own full wait; the wait of the toast it replaced is dropped.
    timerFor_ = toast->id;
    dismissTimer_.start(std::max(0, state_.environment().timings.toastMs));
  }
  message_->setText(toast->message);
  detail_->setText(toast->detail.value_or(QString()));
  detail_->setVisible(toast->detail.has_value());
  undo_->setVisible(!toast->undoable.empty());
  // Long texts wrap rather than stretch the panel across the window.
  for (QLabel* label : {message_, detail_}) {
    const bool wide = label->fontMetrics().horizontalAdvance(label->text()) > kMaxTextWidth;
    label->setWordWrap(wide);
    label->setFixedWidth(wide ? kMaxTextWidth : QWIDGETSIZE_MAX);
    if (!wide) label->setMinimumWidth(0);
  }
  layout()->activate();
  adjustSize();
  reposition();
  show();
  raise();
  if (appearing) animate(true);
}

void ToastView::animate(bool in) {
  static constexpr int kDurationMs = 350;
  static constexpr int kTravel = 24;  // pixels the toast rises while it appears
  if (motion_) motion_->stop();
  const int ms = Anim::duration(kDurationMs);
  if (ms == 0 || !isVisible()) {
    setGraphicsEffect(nullptr);
    setVisible(in);
    return;
  }
  auto* opacity = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect());
  if (!opacity) {
    opacity = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(opacity);
  }
  if (!motion_) {
    motion_ = new QVariantAnimation(this);
    motion_->setStartValue(0.0);
    motion_->setEndValue(1.0);
    // A spring that overshoots a little on the way in.
    motion_->setEasingCurve(QEasingCurve(QEasingCurve::OutBack));
    connect(motion_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
      const qreal p = value.toReal();
      if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect()))
        effect->setOpacity(std::clamp(p, 0.0, 1.0));
      reposition();
      move(x(), y() + qRound((1.0 - p) * kTravel));
    });
    connect(motion_, &QAbstractAnimation::finished, this, [this] {
      const bool shown = motion_->direction() == QAbstractAnimation::Forward;
      setGraphicsEffect(nullptr);
      reposition();
      if (!shown) hide();
    });
  }
  motion_->setDuration(ms);
  motion_->setDirection(in ? QAbstractAnimation::Forward : QAbstractAnimation::Backward);
  motion_->start();
}

void ToastView::placeIn(const QRect& area) {
  area_ = area;
  placed_ = true;
  reposition();
}

void ToastView::reposition() {
  QRect area = area_;
  if (!placed_ && parentWidget()) area = parentWidget()->rect();
  if (area.isEmpty()) return;
  const QSize size = sizeHint().expandedTo(minimumSizeHint());
  resize(size);
  const int panelBottom = area.bottom() + 1 - kBottomDistance;
  const int x = area.left() + (area.width() - size.width()) / 2;
  const int y = panelBottom + kShadowMargins.bottom() - size.height();
  move(x, y);
}

QRect ToastView::panelRect() const { return rect().marginsRemoved(kShadowMargins); }

void ToastView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF panel = panelRect();
  paintRoundedShadow(&painter, panel, kRadius, kShadowBlur, QColor(0, 0, 0, static_cast<int>(255 * kShadowOpacity)),
                     QPointF(0, kShadowOffsetY));
  // The regular material: the window colour, nearly opaque, lifted a little from the page below.
  const QPalette& pal = palette();
  QColor fill = pal.color(QPalette::Window);
  fill = Theme::isDark(pal) ? fill.lighter(118) : fill.lighter(104);
  fill.setAlphaF(0.96f);
  QPainterPath shape;
  shape.addRoundedRect(panel, kRadius, kRadius);
  painter.fillPath(shape, fill);
  painter.setPen(QPen(Theme::primary(pal, 0.08), 1.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), kRadius - 0.5, kRadius - 0.5);
}

}  // namespace tolvex
