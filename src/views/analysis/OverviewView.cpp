#include "views/analysis/OverviewView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/ScanTargetInfo.h"
#include "app/components/PageHeader.h"
#include "app/components/ScrollStyle.h"
#include "app/components/StatTile.h"
#include "app/components/SymbolView.h"
#include "app/screen/FullDiskAccessBanner.h"
#include "app/screen/PendingScreen.h"
#include "app/screen/ScanPromptHost.h"
#include "app/screen/StaleScanBanner.h"
#include "app/theme/Theme.h"
#include "views/analysis/BiggestFoldersCard.h"
#include "views/analysis/CompositionCard.h"
#include "views/analysis/RecommendationsCard.h"
#include "views/analysis/TrendTeaser.h"
#include "views/analysis/logic/OverviewStats.h"

namespace tolvex {

OverviewView::OverviewView(AppState& state, QWidget* parent) : Screen(state, parent) {
  setObjectName(QLatin1String(names::overviewView));
  QVBoxLayout* page = ambientPage();
  faces_ = new QStackedWidget(page->parentWidget());
  page->addWidget(faces_);

  // The trend store announces new snapshots on its own (the teaser follows them).
  QPointer<OverviewView> self(this);
  trendsObserver_ = state.trends().addObserver([self](TrendStore::Change) {
    if (self) self->scheduleRefresh();
  });
}

OverviewView::~OverviewView() { state().trends().removeObserver(trendsObserver_); }

void OverviewView::refresh() {
  if (!state().scan()) {
    showPrompt();
    return;
  }
  if (!scroll_ || builtRevision_ != state().revision()) buildContent();
  syncHeader();
  syncBanners();
  syncStats();
  teaser_->refresh();
  composition_->refresh();
  biggest_->refresh();
  recommendations_->refresh();
}

void OverviewView::showPrompt() {
  if (scroll_) {
    faces_->removeWidget(scroll_);
    scroll_->deleteLater();
    scroll_ = nullptr;
    builtRevision_.reset();
  }
  if (prompt_) return;
  prompt_ = makeScanPrompt(state(), PendingScreen::promptTitle(AppSection::overview),
                           PendingScreen::promptMessage(AppSection::overview), faces_);
  prompt_->setObjectName(QLatin1String(names::overviewPrompt));
  faces_->addWidget(prompt_);
  faces_->setCurrentWidget(prompt_);
}

void OverviewView::buildContent() {
  if (prompt_) {
    faces_->removeWidget(prompt_);
    prompt_->deleteLater();
    prompt_ = nullptr;
  }
  if (scroll_) {
    faces_->removeWidget(scroll_);
    scroll_->deleteLater();
  }
  builtRevision_ = state().revision();
  staleBanner_ = nullptr;

  scroll_ = makePageScroll(faces_, names::overviewScroll, Qt::ScrollBarAlwaysOn);

  auto* content = new QWidget(scroll_);
  content->setObjectName(QLatin1String(names::overviewContent));
  column_ = new QVBoxLayout(content);
  column_->setContentsMargins(24, 24, 24, 24);
  column_->setSpacing(20);

  header_ = new PageHeader(tr("Overview"), QString(), content);
  header_->setObjectName(QLatin1String(names::overviewHeader));
  scanned_ = labelWithSymbol(QString(), QStringLiteral("clock"), header_);
  scanned_->setObjectName(QLatin1String(names::overviewScanned));
  scanned_->setTextStyle(TextStyle::callout);
  Theme::setForeground(scanned_, Tone::secondary);
  scanned_->setToolTip(tr("Tolvex keeps the last scan between sessions. Rescan to see the latest sizes."));
  header_->addTrailing(scanned_);
  column_->addWidget(header_);

  accessBanner_ = new FullDiskAccessBanner(state(), content);
  column_->addWidget(accessBanner_);

  stats_ = new QWidget(content);
  stats_->setObjectName(QLatin1String(names::overviewStats));
  auto* statsRow = new QHBoxLayout(stats_);
  statsRow->setContentsMargins(0, 0, 0, 0);
  statsRow->setSpacing(14);
  column_->addWidget(stats_);

  teaser_ = new TrendTeaser(state(), content);
  column_->addWidget(teaser_);
  composition_ = new CompositionCard(state(), content);
  column_->addWidget(composition_);

  auto* bottom = new QHBoxLayout;
  bottom->setSpacing(20);
  biggest_ = new BiggestFoldersCard(state(), content);
  recommendations_ = new RecommendationsCard(state(), content);
  bottom->addWidget(biggest_, 1, Qt::AlignTop);
  bottom->addWidget(recommendations_, 1, Qt::AlignTop);
  column_->addLayout(bottom);
  column_->addStretch(1);

  scroll_->setWidget(content);
  content->setAutoFillBackground(false);  // the page's glows show through
  faces_->addWidget(scroll_);
  faces_->setCurrentWidget(scroll_);
}

void OverviewView::syncHeader() {
  const ScanResult& scan = *state().scan();
  // The header names the target of the scan on screen, which a later cancelled scan does not change.
  const ScanTarget target = state().scannedTarget().value_or(state().scanTarget());
  header_->setSubtitle(overviewSubtitle(title(target), scan.totalFiles, scan.duration));
  scanned_->setText(scannedText(scan.finishedAt, state().environment().clock()));
}

void OverviewView::syncBanners() {
  const bool stale = state().isScanStale();
  if (stale && !staleBanner_) {
    staleBanner_ = new StaleScanBanner(state(), state().scan()->finishedAt, column_->parentWidget());
    column_->insertWidget(column_->indexOf(header_) + 1, staleBanner_);
  } else if (!stale && staleBanner_) {
    column_->removeWidget(staleBanner_);
    staleBanner_->deleteLater();
    staleBanner_ = nullptr;
  }
  accessBanner_->setVisible(!state().hasFullDiskAccess());
}

void OverviewView::syncStats() {
  const std::vector<OverviewStat> stats = overviewStats(state().volume(), *state().scan());
  auto* row = static_cast<QHBoxLayout*>(stats_->layout());
  std::vector<StatTile*> tiles;
  for (int i = 0; i < row->count(); ++i)
    if (auto* tile = qobject_cast<StatTile*>(row->itemAt(i)->widget())) tiles.push_back(tile);
  if (tiles.size() != stats.size()) {
    for (StatTile* tile : tiles) {
      row->removeWidget(tile);
      tile->deleteLater();
    }
    tiles.clear();
    for (const OverviewStat& stat : stats) {
      auto* tile = new StatTile(stat.title, stat.value, stat.caption, stat.symbol, stat.tint, stats_);
      row->addWidget(tile, 1);
      tiles.push_back(tile);
    }
  }
  for (size_t i = 0; i < stats.size(); ++i) {
    tiles[i]->setTitle(stats[i].title);
    tiles[i]->setValue(stats[i].value);
    tiles[i]->setCaption(stats[i].caption);
    tiles[i]->setSymbol(stats[i].symbol, stats[i].tint);
  }
}

}  // namespace tolvex
