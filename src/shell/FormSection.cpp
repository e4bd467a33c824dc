#include "shell/FormSection.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

#include "app/theme/Theme.h"

namespace tolvex {

namespace {

constexpr int kRowMinimumHeight = 34;
constexpr int kRowInset = 10;
constexpr qreal kRadius = 8;

// The hairline between two rows, inset from the panel's edges.
class RowDivider : public QWidget {
 public:
  explicit RowDivider(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect().adjusted(kRowInset, 0, -kRowInset, 0), Theme::primary(palette(), 0.08));
  }
};

}  // namespace

FormSection::FormSection(QWidget* parent) : QWidget(parent), rows_(new QVBoxLayout(this)) {
  rows_->setContentsMargins(0, 2, 0, 2);
  rows_->setSpacing(0);
}

QWidget* FormSection::startRow() {
  // The hairline above a row is part of it, so a hidden row takes its line along.
  auto* row = new QWidget(this);
  auto* outer = new QVBoxLayout(row);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  if (lastRow_) outer->addWidget(new RowDivider(row));
  auto* body = new QVBoxLayout;
  body->setContentsMargins(kRowInset, 6, kRowInset, 6);
  body->setSpacing(3);
  outer->addLayout(body);
  row->setMinimumHeight(kRowMinimumHeight);
  rows_->addWidget(row);
  lastRow_ = row;
  lastBody_ = body;
  return row;
}

QWidget* FormSection::addRow(const QString& title, QWidget* control) {
  QWidget* row = startRow();
  auto* line = new QHBoxLayout;
  line->setSpacing(12);
  auto* label = new QLabel(title, row);
  label->setWordWrap(true);
  line->addWidget(label, 1);
  control->setParent(row);
  line->addWidget(control, 0, Qt::AlignRight | Qt::AlignVCenter);
  lastBody_->addLayout(line);
  return row;
}

QWidget* FormSection::addRow(QWidget* widget, Qt::Alignment alignment) {
  QWidget* row = startRow();
  widget->setParent(row);
  lastBody_->addWidget(widget, 0, alignment);
  return row;
}

QLabel* FormSection::addCaption(const QString& text) {
  if (!lastRow_) startRow();
  auto* caption = new QLabel(text, lastRow_);
  caption->setWordWrap(true);
  Theme::setTextStyle(caption, TextStyle::caption);
  Theme::setForeground(caption, Tone::secondary);
  lastBody_->addWidget(caption);
  return caption;
}

void FormSection::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& pal = palette();
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kRadius, kRadius);
  painter.fillPath(shape, Theme::isDark(pal) ? QColor(255, 255, 255, 13) : QColor(255, 255, 255, 190));
  painter.setPen(QPen(Theme::primary(pal, 0.07), 1));
  painter.drawPath(shape);
}

QVBoxLayout* formPage(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(20, 16, 20, 16);
  layout->setSpacing(14);
  return layout;
}

}  // namespace tolvex
