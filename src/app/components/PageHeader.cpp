#include "app/components/PageHeader.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/ObjectNames.h"
#include "app/theme/Theme.h"

namespace tolvex {

PageHeader::PageHeader(const QString& title, const QString& subtitle, QWidget* parent)
    : QWidget(parent),
      title_(new QLabel(title, this)),
      subtitle_(new QLabel(subtitle, this)),
      trailingBox_(new QWidget(this)),
      trailing_(new QHBoxLayout(trailingBox_)) {
  setObjectName(QLatin1String(names::pageHeader));
  title_->setObjectName(QLatin1String(names::pageHeaderTitle));
  subtitle_->setObjectName(QLatin1String(names::pageHeaderSubtitle));
  title_->setFont(Theme::systemFont(26, QFont::Bold));
  title_->setTextFormat(Qt::PlainText);
  subtitle_->setFont(Theme::font(TextStyle::body));
  subtitle_->setTextFormat(Qt::PlainText);
  subtitle_->setWordWrap(true);
  Theme::setForeground(subtitle_, Tone::secondary);
  subtitle_->setVisible(!subtitle.isEmpty());

  auto* column = new QVBoxLayout;
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(4);
  column->addWidget(title_);
  column->addWidget(subtitle_);

  trailing_->setContentsMargins(0, 0, 0, 0);
  trailing_->setSpacing(8);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(16);
  row->addLayout(column, 1);
  row->addWidget(trailingBox_, 0, Qt::AlignTop);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  alignTrailing();
}

QString PageHeader::title() const { return title_->text(); }
QString PageHeader::subtitle() const { return subtitle_->text(); }
void PageHeader::setTitle(const QString& title) { title_->setText(title); }
void PageHeader::setSubtitle(const QString& subtitle) {
  subtitle_->setText(subtitle);
  subtitle_->setVisible(!subtitle.isEmpty());
}

void PageHeader::addTrailing(QWidget* widget) {
  trailing_->addWidget(widget, 0, Qt::AlignVCenter);
  alignTrailing();
}

void PageHeader::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) alignTrailing();
}

void PageHeader::alignTrailing() {
  // Centre the trailing controls on the title's line: for the usual single-line controls this is
  // within a pixel or two of sharing the title's baseline.
  const int titleLine = title_->sizeHint().height();
  const int controls = trailingBox_->sizeHint().height() - trailing_->contentsMargins().top();
  const int top = std::max(0, (titleLine - controls) / 2);
  if (trailing_->contentsMargins().top() != top) trailing_->setContentsMargins(0, top, 0, 0);
}

}  // namespace tolvex
