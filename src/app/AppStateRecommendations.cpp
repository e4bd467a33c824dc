// The developer-artefact list and the Overview's recommendations with their actions.
#include <QPointer>
#include <algorithm>

#include "app/AppState.h"
#include "model/SafetyVerdict.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {

// One plan item per item of a finding, judged now.
std::vector<PlanItem> planItems(const JunkFinding& finding, Removal removal, const SafetyContext& safety) {
  std::vector<PlanItem> items;
  for (const JunkItem& item : finding.items)
    items.push_back(
        PlanItem{item.url, lastPathComponent(item.url), item.size, removal, SafetyVerdict::forPath(item.url, safety)});
  return items;
}

// Wraps an action of the store so that it does nothing once the store is gone.
template <typename Action>
auto whileAlive(AppState* state, Action action) {
  return [self = QPointer<AppState>(state), action](auto&&... args) {
    if (self) action(*self, std::forward<decltype(args)>(args)...);
  };
}

}  // namespace

std::vector<DevItem> AppState::findDeveloperArtifacts() const {
  return tolvex::findDeveloperArtifacts(scan_ ? &*scan_ : nullptr, junk_, env_.places.home);
}

std::vector<Recommendation> AppState::buildRecommendations() {
  RecommendationActions actions;
  actions.startQuickClean = whileAlive(this, [](AppState& state) {
    state.setSection(AppSection::smartClean);
    state.startSmartClean();
  });
  actions.emptyTrash = whileAlive(this, [](AppState& state, const JunkFinding& trash) {
    state.requestDeletion(planItems(trash, Removal::permanent, state.safety()), tr("Empty the Trash"));
  });
  actions.deleteInstallers = whileAlive(this, [](AppState& state, const JunkFinding& installers) {
    state.requestDeletion(planItems(installers, Removal::trash, state.safety()), tr("Delete installers"));
  });
  actions.openJunk = whileAlive(this, [](AppState& state) { state.setSection(AppSection::junk); });
  actions.showLargeFiles = whileAlive(this, [](AppState& state, const std::string& home) {
    FileFilter filter;
    filter.minSize = kOldLargeFileMinimum;
    filter.modifiedOlderThanDays = 180;
    filter.pathPrefix = home + "/";
    state.setLargeFilter(filter);
    state.setSection(AppSection::large);
  });
  actions.openDeveloper = whileAlive(this, [](AppState& state) { state.setSection(AppSection::developer); });
  actions.revealInExplorer = whileAlive(this, [](AppState& state, FileNode* node) { state.revealInExplorer(node); });

  const std::vector<DevItem> developerItems = findDeveloperArtifacts();
  const RecommendationInputs inputs{junk_, scan_ ? &*scan_ : nullptr, developerItems, env_.places.home, env_.clock()};
  return tolvex::buildRecommendations(inputs, actions);
}

void AppState::revealInExplorer(FileNode* node) {
  if (!node || !scan_ || node->isGone()) return;
  FileNode* folder = node->isDirectory ? node : node->parent;
  std::vector<FileNode*> chain;
  for (FileNode* n = folder; n; n = n->parent) chain.push_back(n);
  // A node of an earlier scan (kept alive by whoever holds it) is not shown in this one.
  if (chain.empty() || chain.back() != scan_->root) return;
  std::reverse(chain.begin(), chain.end());
  setExplorerStack(std::move(chain));
  setSection(AppSection::explorer);
}

}  // namespace tolvex
