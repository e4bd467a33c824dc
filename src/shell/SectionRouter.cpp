#include "shell/SectionRouter.h"

#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/screen/PendingScreen.h"
#include "views/analysis/ExplorerView.h"
#include "views/analysis/LargeFilesView.h"
#include "views/analysis/OverviewView.h"
#include "views/analysis/TrendsView.h"
#include "views/analysis/TypesView.h"
#include "views/cleanup/AppLeftoversView.h"
#include "views/cleanup/ApplicationsView.h"
#include "views/cleanup/CloudView.h"
#include "views/cleanup/DeveloperView.h"
#include "views/cleanup/DuplicatesView.h"
#include "views/cleanup/HistoryView.h"
#include "views/cleanup/JunkView.h"
#include "views/cleanup/LoginItemsView.h"
#include "views/cleanup/QuickCleanView.h"
#include "views/cleanup/SystemDataView.h"

namespace tolvex {

SectionRouter::SectionRouter(AppState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      factory_(&SectionRouter::makeScreen),
      layout_(new QVBoxLayout(this)),
      section_(state.section()),
      revision_(state.revision()) {
  setObjectName(names::sectionRouter);
  layout_->setContentsMargins(0, 0, 0, 0);
  connect(&state_, &AppState::sectionChanged, this, [this] { show(state_.section()); });
  connect(&state_, &AppState::scanChanged, this, [this] {
    if (state_.revision() == revision_) return;
    revision_ = state_.revision();
    if (section_ == AppSection::overview) show(section_);
  });
  show(section_);
}

void SectionRouter::setFactory(Factory factory) {
  factory_ = std::move(factory);
  show(section_);
}

void SectionRouter::show(AppSection section) {
  section_ = section;
  if (current_) {
    current_->hide();
    layout_->removeWidget(current_);
    current_->deleteLater();
  }
  current_ = factory_(section, state_);
  current_->setParent(this);
  current_->setProperty("section", rawValue(section));
  layout_->addWidget(current_);
  current_->show();
}

QWidget* SectionRouter::makeScreen(AppSection section, AppState& state) {
  // Every section's own screen joins here as it is built; until then its header and the scan prompt.
  switch (section) {
    case AppSection::smartClean: return new QuickCleanView(state);
    case AppSection::overview: return new OverviewView(state);
    case AppSection::explorer: return new ExplorerView(state);
    case AppSection::large: return new LargeFilesView(state);
    case AppSection::types: return new TypesView(state);
    case AppSection::trends: return new TrendsView(state);
    case AppSection::apps: return new ApplicationsView(state);
    case AppSection::leftovers: return new AppLeftoversView(state);
    case AppSection::junk: return new JunkView(state);
    case AppSection::duplicates: return new DuplicatesView(state);
    case AppSection::cloud: return new CloudView(state);
    case AppSection::history: return new HistoryView(state, state.history());
    case AppSection::developer: return new DeveloperView(state);
    case AppSection::loginItems: return new LoginItemsView(state);
    case AppSection::systemData: return new SystemDataView(state);
    default: return new PendingScreen(state, section);
  }
}

}  // namespace tolvex
