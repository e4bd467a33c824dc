#include "views/analysis/RecommendationsCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/SymbolView.h"
#include "app/theme/RecommendationColor.h"
#include "app/theme/Theme.h"
#include "model/Formatting.h"
#include "views/analysis/RowButton.h"

namespace tolvex {
namespace {

constexpr int kSymbolFrame = 26;

}  // namespace

RecommendationsCard::RecommendationsCard(AppState& state, QWidget* parent) : Card(18, parent), state_(state) {
  setObjectName(QLatin1String(names::recommendationsCard));
  body()->setSpacing(12);
  auto* header = new QHBoxLayout;
  auto* title = new QLabel(tr("Recommendations"), this);
  title->setFont(Theme::font(TextStyle::headline));
  header->addWidget(title, 0, Qt::AlignVCenter);
  header->addStretch(1);
  spinner_ = new ActivitySpinner(16, this);
  spinner_->setObjectName(QLatin1String(names::recommendationsSpinner));
  header->addWidget(spinner_, 0, Qt::AlignVCenter);
  body()->addLayout(header);
  empty_ = new QLabel(tr("Nothing urgent. Nice work!"), this);
  empty_->setObjectName(QLatin1String(names::recommendationsEmpty));
  empty_->setFont(Theme::font(TextStyle::body));
  Theme::setForeground(empty_, Tone::secondary);
  body()->addWidget(empty_);
  rowsBox_ = new QWidget(this);
  auto* column = new QVBoxLayout(rowsBox_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);
  body()->addWidget(rowsBox_);
  body()->addStretch(1);
}

void RecommendationsCard::showEvent(QShowEvent* event) {
  Card::showEvent(event);
  loadJunkOnce();
}

// Each showing asks for the findings only when there are none and no search is under way.
void RecommendationsCard::loadJunkOnce() {
  if (loadAsked_) return;
  loadAsked_ = true;
  if (!state_.junk().empty() || state_.junkLoading()) return;
  state_.loadJunk();
}

void RecommendationsCard::refresh() {
  list_ = state_.buildRecommendations();
  const bool loading = state_.junkLoading();
  spinner_->setVisible(loading);
  empty_->setVisible(list_.empty() && !loading);
  std::vector<Shown> shown;
  for (const Recommendation& r : list_) shown.push_back({r.id, r.symbol, r.title, r.detail, r.tint, r.size});
  if (built_ && shown == shown_) return;
  built_ = true;
  shown_ = std::move(shown);
  rebuild();
}

void RecommendationsCard::rebuild() {
  auto* column = static_cast<QVBoxLayout*>(rowsBox_->layout());
  removeRows(column);
  rows_.clear();
  for (size_t i = 0; i < list_.size(); ++i) {
    const Recommendation& r = list_[i];
    const ThemeColor tint = colorFor(r.tint);
    auto* row = new RowButton(rowsBox_);
    row->setObjectName(QLatin1String(names::recommendationRow));
    row->setText(QString::fromStdString(r.title));
    row->setProperty("recommendation", QString::fromStdString(r.id));
    row->setFill(tint, 0.08, 10);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(10, 10, 10, 10);
    line->setSpacing(12);
    auto* symbol = new SymbolView(QString::fromStdString(r.symbol), tint, Theme::pixelSize(TextStyle::title3), row);
    symbol->setFixedWidth(kSymbolFrame);
    line->addWidget(symbol, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* title = new QLabel(row->text(), row);
    title->setFont(Theme::font(TextStyle::callout, QFont::DemiBold));
    title->setTextFormat(Qt::PlainText);
    title->setWordWrap(true);
    auto* detail = new QLabel(QString::fromStdString(r.detail), row);
    detail->setObjectName(QLatin1String(names::recommendationDetail));
    detail->setFont(Theme::font(TextStyle::caption));
    detail->setTextFormat(Qt::PlainText);
    detail->setWordWrap(true);
    Theme::setForeground(detail, Tone::secondary);
    texts->addWidget(title);
    texts->addWidget(detail);
    line->addLayout(texts, 1);
    auto* size = new QLabel(QString::fromStdString(formatBytes(std::max<int64_t>(r.size, 0))), row);
    size->setObjectName(QLatin1String(names::recommendationSize));
    size->setFont(Theme::monospacedDigitFont(TextStyle::callout, QFont::DemiBold));
    line->addWidget(size, 0, Qt::AlignTop);
    row->passMouseThroughChildren();
    // The latest list's action runs: it is bound to the findings now on screen.
    connect(row, &RowButton::clicked, this, [this, i] {
      if (i >= list_.size()) return;
      const std::function<void()> action = list_[i].action;
      if (action) action();
    });
    column->addWidget(row);
    rows_.push_back(row);
  }
}

}  // namespace tolvex
