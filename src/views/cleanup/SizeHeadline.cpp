#include "views/cleanup/SizeHeadline.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/ObjectNames.h"
#include "app/theme/Theme.h"

namespace tolvex {
namespace {
QFont headlineFont() { return Theme::systemFont(30, QFont::Bold); }
}  // namespace

SizeHeadline::SizeHeadline(QWidget* parent) : QWidget(parent), spring_(Spring{0.5, 0.85}, this) {
  setObjectName(QLatin1String(names::reviewSize));
  setAttribute(Qt::WA_TranslucentBackground);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setFont(headlineFont());
}

void SizeHeadline::setText(const QString& text) {
  if (text == text_) return;
  previous_ = text_;
  text_ = text;
  setAccessibleName(text_);
  updateGeometry();
  if (previous_.isEmpty()) {
    update();
    return;
  }
  spring_.start(
      [this](qreal value) {
        progress_ = value;
        update();
      },
      [this] { previous_.clear(); });
}

int SizeHeadline::descent() const { return QFontMetrics(font()).descent(); }

QSize SizeHeadline::sizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(text_) + 2, fm.height()};
}

void SizeHeadline::paintText(QPainter* painter, const QString& text, qreal dy, qreal opacity) const {
  if (text.isEmpty() || opacity <= 0) return;
  const QFontMetricsF fm(font());
  QPainterPath path;
  path.addText(QPointF(1, height() - fm.descent() + dy), font(), text);
  painter->setOpacity(std::clamp<qreal>(opacity, 0, 1));
  painter->fillPath(path, Theme::brandGradient(path.boundingRect(), layoutDirection()));
}

void SizeHeadline::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal travel = height() * 0.4;
  if (!previous_.isEmpty() && progress_ < 1) paintText(&painter, previous_, -travel * progress_, 1 - progress_);
  const bool rolling = !previous_.isEmpty();
  paintText(&painter, text_, rolling ? travel * (1 - progress_) : 0, rolling ? progress_ : 1);
}

}  // namespace tolvex
