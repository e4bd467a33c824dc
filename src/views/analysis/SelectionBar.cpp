#include "views/analysis/SelectionBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/ObjectNames.h"
#include "app/components/Buttons.h"
#include "app/theme/Theme.h"
#include "model/FileNode.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

SelectionBar::SelectionBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QLatin1String(names::selectionBar));
  setProperty(names::keepClearOfToast, true);
  setAttribute(Qt::WA_StyledBackground, false);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(16, 10, 16, 10);
  row->setSpacing(12);

  count_ = new QLabel(this);
  count_->setObjectName(QLatin1String(names::selectionBarCount));
  Theme::setTextStyle(count_, TextStyle::callout, QFont::DemiBold);
  row->addWidget(count_);

  size_ = new QLabel(this);
  size_->setObjectName(QLatin1String(names::selectionBarSize));
  size_->setFont(Theme::monospacedDigitFont(TextStyle::callout));
  Theme::setForeground(size_, Tone::secondary);
  row->addWidget(size_);
  row->addStretch(1);

  deselect_ = new QPushButton(tr("Deselect"), this);
  deselect_->setObjectName(QLatin1String(names::selectionBarDeselect));
  deselect_->setFlat(true);
  deselect_->setAutoDefault(false);
  deselect_->setCursor(Qt::PointingHandCursor);
  deselect_->setFocusPolicy(Qt::TabFocus);  // reached by Tab, where the ring below shows it
  styleDeselect();
  row->addWidget(deselect_);

  secondary_ = new QPushButton(this);
  secondary_->setObjectName(QLatin1String(names::selectionBarSecondary));
  secondary_->setAutoDefault(false);
  secondary_->setMinimumHeight(28);
  secondary_->hide();
  row->addWidget(secondary_);

  action_ = new PrimaryButton(QString(), false, this);
  action_->setObjectName(QLatin1String(names::selectionBarAction));
  row->addWidget(action_);

  connect(deselect_, &QPushButton::clicked, this, &SelectionBar::clearRequested);
  connect(secondary_, &QPushButton::clicked, this, &SelectionBar::secondaryRequested);
  connect(action_, &QPushButton::clicked, this, &SelectionBar::actionRequested);
  setValues(values_);
}

SelectionBar::Values SelectionBar::deletionValues(const std::vector<FileNode*>& nodes) {
  Values values;
  values.count = static_cast<int>(nodes.size());
  for (const FileNode* n : nodes) values.size += get(n->size);
  values.actionTitle = tr("Delete…");
  return values;
}

void SelectionBar::setValues(const Values& values) {
  values_ = values;
  if (values.count < 1) {
    hide();
    return;
  }
  count_->setText(selectedText(values.count));
  size_->setText(bytesText(values.size));
  secondary_->setVisible(values.secondaryTitle.has_value());
  if (values.secondaryTitle) {
    secondary_->setText(*values.secondaryTitle);
    secondary_->setToolTip(values.secondaryHelp);
    secondary_->setEnabled(values.secondaryEnabled);
  }
  if (action_->text() != values.actionTitle) {
    action_->setText(values.actionTitle);
    action_->updateGeometry();
  }
  show();
}

void SelectionBar::paintEvent(QPaintEvent*) {
  // The bar material: the window colour, slightly translucent over what lies behind, with a hairline
  // along the top edge.
  QPainter painter(this);
  painter.fillRect(rect(), Theme::withOpacity(palette().color(QPalette::Window), 0.92));
  painter.fillRect(QRect(0, 0, width(), 1), Theme::primary(palette(), 0.12));
}

namespace {
QString cssColor(const QColor& c) {
  return QStringLiteral("rgba(%1, %2, %3, %4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}
}  // namespace

void SelectionBar::styleDeselect() {
  // A style sheet keeps the button from following palette changes on its own, so the text colour is
  // written into it, and written again whenever the bar's palette changes (light and dark).
  deselect_->setStyleSheet(
      QStringLiteral("QPushButton { border: none; padding: 2px 4px; color: %1; }"
                     "QPushButton:focus { border: 2px solid palette(highlight); border-radius: 5px;"
                     " padding: 0px 2px; }")
          .arg(cssColor(Theme::secondary(palette()))));
}

void SelectionBar::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) styleDeselect();
}

}  // namespace tolvex
