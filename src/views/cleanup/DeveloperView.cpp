#include "views/cleanup/DeveloperView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/PageHeader.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "views/analysis/SelectionBar.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/DevItemTable.h"
#include "views/cleanup/VirtualDisksCard.h"
#include "views/cleanup/logic/DeveloperRows.h"

namespace tolvex {

namespace {
// A row of the column with the page's side margins.
QHBoxLayout* paddedRow(QWidget* widget) {
  auto* row = new QHBoxLayout;
  row->setContentsMargins(24, 0, 24, 0);
  row->addWidget(widget);
  return row;
}
}  // namespace

DeveloperView::DeveloperView(AppState& state, QWidget* parent) : Screen(state, parent) {
  setObjectName(QLatin1String(names::developerView));
  QVBoxLayout* page = ambientPage();
  auto* content = new QWidget(page->parentWidget());
  page->addWidget(content);
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(14);

  header_ = new PageHeader(tr("Developer"),
                           tr("Dependencies and build artifacts that can be regenerated: node_modules, virtual "
                              "environments, DerivedData, package caches."),
                           content);
  header_->setObjectName(QLatin1String(names::developerHeader));
  header_->setContentsMargins(24, 24, 24, 0);
  column->addWidget(header_);

  hint_ = labelWithSymbol(tr("Scan your disk (or your home folder) to find node_modules and virtual environments "
                             "in your projects."),
                          QStringLiteral("info.circle"), content);
  hint_->setObjectName(QLatin1String(names::developerHint));
  hint_->label()->setWordWrap(true);
  Theme::setForeground(hint_, Tone::secondary);
  column->addLayout(paddedRow(hint_));

  disks_ = new VirtualDisksCard(state, content);
  column->addLayout(paddedRow(disks_));

  const AppEnvironment& env = state.environment();
  // The bar sits flush under the table.
  auto* list = new QVBoxLayout;
  list->setSpacing(0);
  table_ = new DevItemTable(env.places.home, env.clock, content);
  list->addWidget(table_, 1);
  bar_ = new SelectionBar(content);
  list->addWidget(bar_);
  column->addLayout(list, 1);

  table_->onReveal = [](const std::vector<DevItem>& rows) {
    if (const auto path = revealedDevPath(rows)) revealPathInFinder(*path);
  };
  connect(table_, &DevItemTable::selectionChangedByUser, this, &DeveloperView::updateBar);
  connect(bar_, &SelectionBar::clearRequested, this, &DeveloperView::clearSelection);
  connect(bar_, &SelectionBar::actionRequested, this, &DeveloperView::cleanArtifacts);
  connect(&state, &AppState::scanChanged, this, [this] { rowsStale_ = true; });
  connect(&state, &AppState::junkChanged, this, [this] { rowsStale_ = true; });
  updateBar();
}

void DeveloperView::showEvent(QShowEvent* event) {
  Screen::showEvent(event);
  if (loadedOnShow_) return;
  loadedOnShow_ = true;
  loadIfEmpty();
}

void DeveloperView::loadIfEmpty() {
  if (state().junk().empty() && !state().junkLoading()) state().loadJunk();
}

void DeveloperView::refresh() {
  hint_->setVisible(!state().scan());
  if (rowsStale_) {
    rowsStale_ = false;
    table_->setItems(state().findDeveloperArtifacts());
    disks_->refresh();
  }
  updateBar();
}

void DeveloperView::updateBar() {
  const std::vector<DevItem> selected = table_->selectedRows();
  SelectionBar::Values values;
  values.count = static_cast<int>(selected.size());
  values.size = totalDevSize(selected);
  values.actionTitle = tr("Delete\u2026");
  bar_->setValues(values);
}

void DeveloperView::cleanArtifacts() {
  state().requestDeletion(developerPlan(table_->selectedRows(), state().safety()), tr("Clean Developer Artifacts"));
}

void DeveloperView::clearSelection() { table_->setSelection({}); }

}  // namespace tolvex
