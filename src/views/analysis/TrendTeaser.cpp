#include "views/analysis/TrendTeaser.h"

#include <QHBoxLayout>
#include <QLabel>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "views/analysis/RowButton.h"
#include "views/analysis/logic/TrendTeaserModel.h"

namespace tolvex {

TrendTeaser::TrendTeaser(AppState& state, QWidget* parent) : Card(14, parent), state_(state) {
  setObjectName(QLatin1String(names::trendTeaser));
  button_ = new RowButton(this);
  button_->setObjectName(QLatin1String(names::trendTeaserButton));
  auto* line = new QHBoxLayout(button_);
  line->setContentsMargins(0, 0, 0, 0);
  line->setSpacing(12);
  line->addWidget(new SymbolView(QStringLiteral("chart.line.uptrend.xyaxis"), Theme::indigo(),
                                 Theme::pixelSize(TextStyle::title3), button_),
                  0, Qt::AlignVCenter);
  text_ = new QLabel(button_);
  text_->setObjectName(QLatin1String(names::trendTeaserText));
  text_->setFont(Theme::font(TextStyle::body, QFont::Medium));
  text_->setTextFormat(Qt::PlainText);
  line->addWidget(text_, 0, Qt::AlignVCenter);
  line->addStretch(1);
  auto* more = new QLabel(tr("See what changed"), button_);
  more->setFont(Theme::font(TextStyle::body));
  Theme::setForeground(more, Tone::secondary);
  line->addWidget(more, 0, Qt::AlignVCenter);
  auto* chevron = new SymbolView(QStringLiteral("chevron.right"), 10, button_);
  Theme::setForeground(chevron, Tone::tertiary);
  line->addWidget(chevron, 0, Qt::AlignVCenter);
  button_->passMouseThroughChildren();
  body()->addWidget(button_);
  connect(button_, &RowButton::clicked, this, [this] { state_.setSection(AppSection::trends); });
  setVisible(false);
}

QString TrendTeaser::text() const { return text_->text(); }

void TrendTeaser::refresh() {
  const std::optional<ScanResult>& scan = state_.scan();
  std::optional<TrendTeaserModel> model;
  if (scan && scan->root) {
    const std::string root = TrendTeaserModel::rootKey(scan->root->path());
    model = TrendTeaserModel::make(state_.trends().snapshotsForRoot(root), state_.environment().clock());
  }
  if (model) text_->setText(model->text);
  setVisible(model.has_value());
}

}  // namespace tolvex
