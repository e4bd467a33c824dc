#include "views/analysis/TrendsView.h"

#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/PageHeader.h"
#include "app/components/ScrollStyle.h"
#include "views/analysis/ChangesCard.h"
#include "views/analysis/ForecastCard.h"

namespace tolvex {

TrendsView::TrendsView(AppState& state, QWidget* parent) : Screen(state, parent) {
  setObjectName(QLatin1String(names::trendsView));
  QVBoxLayout* pageLayout = ambientPage();
  QWidget* page = pageLayout->parentWidget();

  scroll_ = makePageScroll(page, names::trendsScroll);
  pageLayout->addWidget(scroll_);

  auto* content = new QWidget(scroll_);
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(24, 24, 24, 24);
  column->setSpacing(20);
  column->addWidget(new PageHeader(
      tr("Trends"), tr("When your disk would fill up at the current pace, and what grew since an earlier scan."),
      content));
  forecast_ = new ForecastCard(content);
  column->addWidget(forecast_);
  changes_ = new ChangesCard(state, content);
  column->addWidget(changes_);
  column->addStretch(1);
  scroll_->setWidget(content);
  content->setAutoFillBackground(false);  // the scroll area turns it on; the page's glows show through

  // The trend store announces new samples and snapshots on its own.
  QPointer<TrendsView> self(this);
  trendsObserver_ = state.trends().addObserver([self](TrendStore::Change) {
    if (self) self->scheduleRefresh();
  });
}

TrendsView::~TrendsView() { state().trends().removeObserver(trendsObserver_); }

void TrendsView::refresh() {
  const TrendStore& trends = state().trends();
  forecast_->showSamples(trends.samples(), state().volume(), state().environment().clock());
  changes_->refresh();
}

}  // namespace tolvex
