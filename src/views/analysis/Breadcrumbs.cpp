#include "views/analysis/Breadcrumbs.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/services/UiServices.h"
#include "app/components/FocusRing.h"
#include "app/components/SymbolView.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {
namespace {

QToolButton* symbolButton(const QString& symbol, const char* name, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setIcon(Symbols::icon(symbol, ThemeColor(), 16));
  button->setIconSize(QSize(16, 16));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::TabFocus);
  Symbols::tag(button, symbol);
  return button;
}

}  // namespace

CrumbButton::CrumbButton(const QString& text, bool current, QWidget* parent)
    : QAbstractButton(parent), current_(current) {
  setText(text);
  setObjectName(QLatin1String(names::breadcrumbCrumb));
  setFont(Theme::font(TextStyle::callout, current ? QFont::DemiBold : QFont::Normal));
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);  // Tab reaches every crumb; Space jumps there
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CrumbButton::sizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(text()) + 12, fm.height() + 6};
}

void CrumbButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (current_) {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 6, 6);
    painter.fillPath(shape, Theme::primary(palette(), 0.06));
  }
  painter.setFont(font());
  painter.setPen(current_ ? Theme::primary(palette()) : Theme::secondary(palette()));
  painter.drawText(rect().adjusted(6, 3, -6, -3), Qt::AlignCenter | Qt::TextSingleLine, text());
  if (showsFocusRing(this)) paintFocusRing(&painter, QRectF(rect()), 6, palette());
}

Breadcrumbs::Breadcrumbs(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QLatin1String(names::breadcrumbs));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);

  back_ = symbolButton(QStringLiteral("chevron.left"), names::breadcrumbBack, this);
  back_->setToolTip(tr("Back"));
  connect(back_, &QToolButton::clicked, this, &Breadcrumbs::goBack);
  layout->addWidget(back_);
  shortcut_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketLeft), this);
  connect(shortcut_, &QShortcut::activated, this, &Breadcrumbs::goBack);

  scroll_ = new QScrollArea(this);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setWidgetResizable(true);
  scroll_->setFocusPolicy(Qt::NoFocus);
  scroll_->viewport()->setAutoFillBackground(false);
  row_ = new QWidget;
  rowLayout_ = new QHBoxLayout(row_);
  rowLayout_->setContentsMargins(0, 0, 0, 0);
  rowLayout_->setSpacing(2);
  rowLayout_->addStretch(1);
  scroll_->setWidget(row_);
  row_->setAutoFillBackground(false);  // the scroll area turns it on; the bar shows what lies behind
  scroll_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  scroll_->setFixedHeight(CrumbButton(QStringLiteral("X"), true).sizeHint().height());
  layout->addWidget(scroll_, 1);

  reveal_ = symbolButton(QStringLiteral("arrow.up.forward.app"), names::breadcrumbReveal, this);
  reveal_->setToolTip(tr("Show in Finder"));
  connect(reveal_, &QToolButton::clicked, this, [this] {
    const auto& stack = state_.explorerStack();
    if (stack.empty()) return;
    if (auto& reveal = UiServices::shared().revealInFileManager) reveal(stack.back()->path());
  });
  layout->addWidget(reveal_);
  refresh();
}

std::vector<CrumbButton*> Breadcrumbs::crumbs() const {
  std::vector<CrumbButton*> out;
  for (int i = 0; i < rowLayout_->count(); ++i)
    if (auto* crumb = qobject_cast<CrumbButton*>(rowLayout_->itemAt(i)->widget())) out.push_back(crumb);
  return out;
}

void Breadcrumbs::goBack() {
  auto stack = state_.explorerStack();
  if (stack.size() < 2) return;
  stack.pop_back();
  state_.setExplorerStack(std::move(stack));
}

void Breadcrumbs::jumpTo(size_t index) {
  auto stack = state_.explorerStack();
  if (index + 1 >= stack.size()) return;  // the last crumb leaves the stack as it is
  stack.resize(index + 1);
  state_.setExplorerStack(std::move(stack));
}

void Breadcrumbs::refresh() {
  const auto& stack = state_.explorerStack();
  back_->setEnabled(stack.size() >= 2);
  shortcut_->setEnabled(stack.size() >= 2);
  reveal_->setVisible(!stack.empty());
  std::vector<uint64_t> serials;
  for (const FileNode* n : stack) serials.push_back(n->serial);
  if (serials == shown_ && rowLayout_->count() > 1) return;
  shown_ = std::move(serials);

  // A crumb may be the one whose click led here: old crumbs go once the click is over.
  while (rowLayout_->count() > 1) {
    QLayoutItem* item = rowLayout_->takeAt(0);
    if (QWidget* widget = item->widget()) {
      widget->hide();
      widget->deleteLater();
    }
    delete item;
  }
  for (size_t i = 0; i < stack.size(); ++i) {
    const int at = rowLayout_->count() - 1;  // before the trailing stretch
    if (i > 0) {
      auto* separator = new SymbolView(QStringLiteral("chevron.compact.right"), 12, row_);
      separator->setObjectName(QLatin1String(names::breadcrumbSeparator));
      Theme::setForeground(separator, Tone::tertiary);
      rowLayout_->insertWidget(at, separator, 0, Qt::AlignVCenter);
      separator->show();
    }
    auto* crumb =
        new CrumbButton(crumbLabel(*stack[i], i, state_.environment().places.home), i + 1 == stack.size(), row_);
    crumb->setProperty("crumbIndex", static_cast<int>(i));
    connect(crumb, &CrumbButton::clicked, this, [this, i] { jumpTo(i); });
    rowLayout_->insertWidget(rowLayout_->count() - 1, crumb, 0, Qt::AlignVCenter);
    crumb->show();
  }
  // Tab goes back button, crumbs from the root, then the reveal button, whenever the crumbs were made.
  QWidget* previous = back_;
  for (CrumbButton* crumb : crumbs()) {
    setTabOrder(previous, crumb);
    previous = crumb;
  }
  setTabOrder(previous, reveal_);
  // Keep the current folder in view once the row has its new width.
  QTimer::singleShot(0, scroll_, [bar = QPointer<QScrollBar>(scroll_->horizontalScrollBar())] {
    if (bar) bar->setValue(bar->maximum());
  });
}

}  // namespace tolvex
