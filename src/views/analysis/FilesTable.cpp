#include "views/analysis/FilesTable.h"

#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/services/UiServices.h"
#include "views/analysis/LatestWork.h"
#include "views/analysis/NodeContextMenu.h"
#include "views/analysis/NodeTable.h"
#include "views/analysis/QuickLook.h"
#include "views/analysis/SelectionBar.h"

namespace tolvex {
namespace {

std::vector<NodeColumnSpec> filesColumns() {
  return {
      {NodeColumn::nameAndFolder, FilesTable::tr("Name"), NodeKey::name, 220, 360},
      {NodeColumn::size, FilesTable::tr("Size"), NodeKey::size, 140, 180},
      {NodeColumn::kind, FilesTable::tr("Kind"), NodeKey::kind, 60, 80},
      {NodeColumn::category, FilesTable::tr("Category"), NodeKey::category, 80, 130},
      {NodeColumn::modified, FilesTable::tr("Modified"), NodeKey::modified, 80, 100},
      {NodeColumn::lastOpened, FilesTable::tr("Last opened"), NodeKey::accessed, 80, 110},
      {NodeColumn::risk, FilesTable::tr("Risk"), std::nullopt, 80, 90},
  };
}

}  // namespace

FilesTable::FilesTable(AppState& state, bool /*showKind: the columns are the same either way*/, QWidget* parent)
    : QWidget(parent), state_(state), sorting_(new LatestWork(this)) {
  setObjectName(QLatin1String(names::filesTable));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  table_ = new NodeTable(filesColumns(), 40, this);
  table_->setObjectName(QLatin1String(names::filesTableView));
  layout->addWidget(table_, 1);
  bar_ = new SelectionBar(this);
  layout->addWidget(bar_);
  quickLook_ = new QuickLookBinding(this);

  table_->setSortRunner([this](std::vector<FileNode*> nodes, const SortOrder& order, NodeTable::SortDone done) {
    sort(std::move(nodes), order, std::move(done));
  });

  table_->onSpace = [this] {
    const auto nodes = table_->selectedNodes();
    if (nodes.empty()) return false;
    quickLook_->toggle(PreviewTarget{nodes.front()->path(), nodes.front()->isDirectory});
    return true;
  };
  table_->onPrimary = [](const std::vector<FileNode*>& nodes) {
    if (nodes.empty()) return;
    if (auto& reveal = UiServices::shared().revealInFileManager) reveal(nodes.front()->path());
  };
  table_->onContextMenu = [this](const std::vector<FileNode*>& nodes, const QPoint& pos) {
    if (nodes.empty()) return;
    auto* menu = new NodeContextMenu(state_, nodes, [this](const PreviewTarget& t) { quickLook_->setPreview(t); }, table_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(pos);
  };
  connect(table_, &NodeTable::nodeSelectionChanged, this, &FilesTable::updateBar);
  connect(bar_, &SelectionBar::clearRequested, table_, &NodeTable::clearNodeSelection);
  connect(bar_, &SelectionBar::actionRequested, this,
          [this] { NodeContextMenu::requestDeletion(state_, table_->selectedNodes()); });
  updateBar();
}

void FilesTable::setNodes(const std::vector<FileNode*>& given) {
  // A file inside a deleted folder is gone too, even while its own flag is clear.
  std::vector<FileNode*> nodes;
  nodes.reserve(given.size());
  for (FileNode* n : given)
    if (!n->isGone()) nodes.push_back(n);
  int64_t largest = 0;
  for (const FileNode* n : nodes) largest = std::max<int64_t>(largest, get(n->size));
  largest_ = nodes.empty() ? 1 : std::max<int64_t>(largest, 1);
  table_->nodeModel()->setScale(largest_, 0);
  table_->setNodes(nodes);
  table_->restrictSelection(nodes);
  updateBar();
}

void FilesTable::sort(std::vector<FileNode*> nodes, const SortOrder& order,
                      std::function<void(std::vector<FileNode*>)> done) {
  if (nodes.size() <= backgroundSortRows_) {
    sorting_->drop();
    sortNodes(nodes, order);
    done(std::move(nodes));
    return;
  }
  // The nodes belong to the scan on screen; the sort keeps its tree alive in case a new scan
  // replaces it meanwhile (the table then drops this result).
  std::shared_ptr<FileTree> tree = state_.scan() ? state_.scan()->tree : nullptr;
  sorting_->request<std::vector<FileNode*>>(
      [nodes = std::move(nodes), order, tree]() mutable {
        sortNodes(nodes, order);
        return std::move(nodes);
      },
      [done = std::move(done)](std::vector<FileNode*>& sorted) { done(std::move(sorted)); });
}

bool FilesTable::isSorting() const { return sorting_->busy(); }

void FilesTable::updateBar() {
  bar_->setValues(SelectionBar::deletionValues(table_->selectedNodes()));
}

}  // namespace tolvex
