#include "app/components/ElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace tolvex {

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QFrame(parent), text_(text) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  updateGeometry();
  update();
}

void ElidedLabel::setElideMode(Qt::TextElideMode mode) {
  mode_ = mode;
  update();
}

void ElidedLabel::setMaxLines(int lines) {
  maxLines_ = std::max(lines, 1);
  QSizePolicy policy = sizePolicy();
  policy.setHeightForWidth(maxLines_ > 1);
  setSizePolicy(policy);
  updateGeometry();
  update();
}

void ElidedLabel::setReserveLines(bool reserve) {
  reserve_ = reserve;
  updateGeometry();
}

void ElidedLabel::setAlignment(Qt::Alignment alignment) {
  alignment_ = alignment;
  update();
}

QStringList ElidedLabel::layoutLines(int width) const {
  const QFontMetrics fm(font());
  width = std::max(width, 1);
  // Texts from the file system may hold line breaks; they are shown as spaces.
  QString text = text_;
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  if (maxLines_ == 1) return {fm.elidedText(text, mode_, width)};

  QStringList lines = wrapLines(text, font(), width, maxLines_);
  if (lines.isEmpty()) lines << QString();
  return lines;
}

QStringList ElidedLabel::wrapLines(const QString& text, const QFont& font, int width, int maxLines) {
  QStringList lines;
  if (text.isEmpty() || width <= 0) return lines;
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  while (true) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(width);
    if (lines.size() == maxLines - 1) {
      lines << QFontMetrics(font).elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, width);
      break;
    }
    lines << text.mid(line.textStart(), line.textLength()).trimmed();
  }
  layout.endLayout();
  return lines;
}

int ElidedLabel::inkBelowLines(const QFont& font) {
  const QFontMetrics fm(font);
  int lowest = 0;
  for (QChar c : QStringLiteral("_gjpqy,;"))
    lowest = std::max(lowest, fm.boundingRect(c).bottom() + 1);  // rows below the baseline
  return std::max(0, lowest - fm.descent());
}

QString ElidedLabel::displayedText() const { return layoutLines(contentsRect().width()).join(QLatin1Char('\n')); }

QSize ElidedLabel::sizeHint() const {
  const QFontMetrics fm(font());
  const int lines = reserve_ ? maxLines_ : std::max<int>(1, static_cast<int>(layoutLines(std::max(width(), 1)).size()));
  const int w = maxLines_ == 1 ? fm.horizontalAdvance(text_) : std::min(fm.horizontalAdvance(text_), 320);
  const QMargins m = contentsMargins();
  return {w + m.left() + m.right() + 1, lines * fm.lineSpacing() + inkBelowLines(font()) + m.top() + m.bottom()};
}

QSize ElidedLabel::minimumSizeHint() const {
  const QFontMetrics fm(font());
  const QMargins m = contentsMargins();
  const int lines = reserve_ ? maxLines_ : 1;
  return {fm.horizontalAdvance(QStringLiteral("…")) + m.left() + m.right(),
          lines * fm.lineSpacing() + inkBelowLines(font()) + m.top() + m.bottom()};
}

int ElidedLabel::heightForWidth(int width) const {
  const QFontMetrics fm(font());
  const QMargins m = contentsMargins();
  const int used = static_cast<int>(layoutLines(width - m.left() - m.right()).size());
  const int lines = reserve_ ? maxLines_ : std::max(used, 1);
  return lines * fm.lineSpacing() + inkBelowLines(font()) + m.top() + m.bottom();
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  const QRect r = contentsRect();
  const QFontMetrics fm(font());
  const QStringList lines = layoutLines(r.width());
  const int block = static_cast<int>(lines.size()) * fm.lineSpacing() + inkBelowLines(font());
  int y = r.top();
  if (alignment_ & Qt::AlignVCenter) y = r.top() + (r.height() - block) / 2;
  if (alignment_ & Qt::AlignBottom) y = r.bottom() - block + 1;
  if (reserve_ || maxLines_ > 1) y = std::max(y, r.top());
  const Qt::Alignment horizontal = alignment_ & Qt::AlignHorizontal_Mask;
  for (const QString& line : lines) {
    painter.drawText(QRect(r.left(), y, r.width(), fm.lineSpacing()),
                     static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextDontClip), line);
    y += fm.lineSpacing();
  }
}

void ElidedLabel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) updateGeometry();
  QFrame::changeEvent(event);
}

}  // namespace tolvex
