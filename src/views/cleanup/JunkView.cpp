#include "views/cleanup/JunkView.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/PageHeader.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "views/analysis/SelectionBar.h"
#include "views/cleanup/JunkList.h"
#include "views/cleanup/logic/JunkSelection.h"

namespace tolvex {

namespace {

// The spinner labelled "Searching…", in the middle of the space under the header.
QWidget* searchingPage(QWidget* parent) {
  auto* page = new QWidget(parent);
  page->setObjectName(QLatin1String(names::junkSearching));
  auto* column = new QVBoxLayout(page);
  column->setSpacing(8);
  column->addStretch(1);
  column->addWidget(new ActivitySpinner(22, page), 0, Qt::AlignHCenter);
  auto* label = new QLabel(JunkView::tr("Searching\u2026"), page);
  Theme::setForeground(label, Tone::secondary);
  column->addWidget(label, 0, Qt::AlignHCenter);
  column->addStretch(1);
  return page;
}

}  // namespace

JunkView::JunkView(AppState& state, QWidget* parent) : Screen(state, parent), revision_(state.revision()) {
  setObjectName(QLatin1String(names::junkView));
  QVBoxLayout* column = ambientPage();
  QWidget* page = column->parentWidget();

  header_ = new PageHeader(tr("Junk"), tr("Everything Quick Clean checks, item by item."), page);
  header_->setContentsMargins(24, 24, 24, 24);
  scanAgain_ = new QPushButton(page);
  scanAgain_->setObjectName(QLatin1String(names::junkScanAgain));
  scanAgain_->setAutoDefault(false);
  labelWithSymbol(scanAgain_, tr("Scan Again"), QStringLiteral("arrow.clockwise"));
  header_->addTrailing(scanAgain_);
  column->addWidget(header_);

  faces_ = new QStackedWidget(page);
  searching_ = searchingPage(faces_);
  faces_->addWidget(searching_);
  list_ = new JunkList(state.junk(), selected_, expanded_, faces_);
  faces_->addWidget(list_);
  column->addWidget(faces_, 1);

  bar_ = new SelectionBar(page);
  column->addWidget(bar_);

  connect(scanAgain_, &QPushButton::clicked, this, &JunkView::scanAgain);
  connect(list_, &JunkList::chevronClicked, this, [this](size_t finding) {
    if (finding < this->state().junk().size()) toggleExpanded(this->state().junk()[finding].rule.id);
  });
  connect(list_, &JunkList::ruleCheckClicked, this, [this](size_t finding) {
    // From unticked or partly ticked a click ticks the whole rule; from ticked it unticks it.
    setRuleSelected(list_->junkModel()->ruleCheck(finding) != GroupCheck::all, finding);
  });
  connect(list_, &JunkList::itemCheckClicked, this, [this](size_t finding, size_t item) {
    const auto& junk = this->state().junk();
    if (finding >= junk.size() || item >= junk[finding].items.size()) return;
    const JunkItem& it = junk[finding].items[item];
    setItemSelected(!selected_.contains(it.id), it);
  });
  connect(bar_, &SelectionBar::clearRequested, this, &JunkView::clearSelection);
  connect(bar_, &SelectionBar::actionRequested, this, &JunkView::cleanJunk);
  // The rows refer to the findings by position: they follow every change of the findings at once.
  connect(&state, &AppState::junkChanged, this, [this] { list_->junkModel()->rebuild(); });
  updateBar();
}

bool JunkView::isSearchingShown() const { return faces_->currentWidget() == searching_; }

void JunkView::refresh() {
  if (!loadedOnce_) {
    // Findings loaded earlier (Quick Clean, the Overview, an earlier visit) are shown without searching.
    loadedOnce_ = true;
    if (state().junk().empty()) state().loadJunk();
  }
  if (state().revision() != revision_) {
    // A deletion pruned the findings: what it removed leaves the ticks; what it left stays ticked.
    revision_ = state().revision();
    selected_ = prunedJunkSelection(selected_, state().junk());
    list_->junkModel()->selectionChanged();
  }
  scanAgain_->setEnabled(!state().junkLoading());
  faces_->setCurrentWidget(state().junkLoading() && state().junk().empty() ? searching_ : static_cast<QWidget*>(list_));
  updateBar();
}

void JunkView::scanAgain() { state().loadJunk(); }

void JunkView::toggleExpanded(const std::string& ruleId) {
  const bool open = expanded_.contains(ruleId);
  if (open)
    expanded_.erase(ruleId);
  else
    expanded_.insert(ruleId);
  list_->turnChevron(ruleId, !open);
  list_->junkModel()->rebuild();
}

void JunkView::setRuleSelected(bool on, size_t finding) {
  setJunkRuleSelected(selected_, list_->junkModel()->ruleIds(finding), on);
  selectionEdited();
}

void JunkView::setItemSelected(bool on, const JunkItem& item) {
  if (on)
    selected_.insert(item.id);
  else
    selected_.erase(item.id);
  selectionEdited();
}

void JunkView::clearSelection() {
  selected_.clear();
  selectionEdited();
}

void JunkView::cleanJunk() {
  state().requestDeletion(junkPlanItems(selectedJunkItems(state().junk(), selected_), state().safety()),
                          tr("Clean Junk"));
}

void JunkView::selectionEdited() {
  list_->junkModel()->selectionChanged();
  updateBar();
}

void JunkView::updateBar() {
  const auto items = selectedJunkItems(state().junk(), selected_);
  SelectionBar::Values values;
  values.count = static_cast<int>(items.size());
  values.size = junkItemsSize(items);
  values.actionTitle = tr("Clean\u2026");
  bar_->setValues(values);
}

}  // namespace tolvex
