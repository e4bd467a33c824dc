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
#include "views/analysis/logic/FileLists.h"

namespace tolvex {
namespace {

std::vector<NodeColumnDef> filesColumns() {
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
    : QWidget(parent), state_(state), taking_(new LatestWork(this)), sorting_(new LatestWork(this)) {
  setObjectName(QLatin1String(names::filesTable));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  table_ = new NodeTable(filesColumns(), 40, state.safety(), this);
  table_->setObjectName(QLatin1String(names::filesTableView));
  layout->addWidget(table_, 1);
  bar_ = new SelectionBar(this);
  layout->addWidget(bar_);
  quickLook_ = new QuickLookBinding(this, state.environment().places.home);

  table_->setSortRunner([this](std::shared_ptr<const std::vector<FileNode*>> nodes, const SortOrder& order,
                               NodeTable::SortDone done) { sort(std::move(nodes), order, std::move(done)); });

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
    auto* menu = new NodeContextMenu(
        state_, nodes, [this](const PreviewTarget& t) { quickLook_->present(t); }, table_);
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
  if (given.size() <= backgroundRows_) {
    taking_->drop();
    showRows(rowsOf(given));
    return;
  }
  setSharedNodes(std::make_shared<const std::vector<FileNode*>>(given));
}

void FilesTable::setSharedNodes(std::shared_ptr<const std::vector<FileNode*>> given) {
  if (!given || given->size() <= backgroundRows_) {
    taking_->drop();
    showRows(rowsOf(given ? *given : std::vector<FileNode*>()));
    return;
  }
  taking_->request<Rows>([given, tree = shownTree()] { return rowsOf(*given); },
                         [this](Rows& rows) { showRows(std::move(rows)); });
}

FilesTable::Rows FilesTable::rowsOf(const std::vector<FileNode*>& given) {
  Rows rows;
  rows.nodes.reserve(given.size());
  rows.serials.reserve(given.size());
  // A file inside a deleted folder is gone too, even while its own flag is clear.
  GoneFiles gone;
  int64_t largest = 0;
  for (FileNode* n : given) {
    if (gone(*n)) continue;
    rows.nodes.push_back(n);
    rows.serials.push_back(n->serial);
    largest = std::max<int64_t>(largest, get(n->size));
  }
  rows.largest = rows.nodes.empty() ? 1 : std::max<int64_t>(largest, 1);
  return rows;
}

void FilesTable::showRows(Rows rows) {
  largest_ = rows.largest;
  table_->nodeModel()->setScale(largest_, 0);
  table_->restrictSelection(rows.serials);
  table_->setPreparedNodes(std::move(rows.nodes), std::move(rows.serials));
  updateBar();
}

std::shared_ptr<FileTree> FilesTable::shownTree() const { return state_.scan() ? state_.scan()->tree : nullptr; }

void FilesTable::sort(std::shared_ptr<const std::vector<FileNode*>> nodes, const SortOrder& order,
                      std::function<void(std::vector<FileNode*>)> done) {
  if (nodes->size() <= backgroundRows_) {
    sorting_->drop();
    std::vector<FileNode*> rows = *nodes;
    sortNodes(rows, order);
    done(std::move(rows));
    return;
  }
  // The nodes belong to the scan on screen; the sort keeps its tree alive in case a new scan
  // replaces it meanwhile (the table then drops this result).
  sorting_->request<std::vector<FileNode*>>(
      [nodes, order, tree = shownTree()] {
        std::vector<FileNode*> rows = *nodes;
        sortNodes(rows, order);
        return rows;
      },
      [done = std::move(done)](std::vector<FileNode*>& sorted) { done(std::move(sorted)); });
}

bool FilesTable::isBusy() const { return taking_->busy() || sorting_->busy(); }

void FilesTable::updateBar() { bar_->setValues(SelectionBar::deletionValues(table_->selectedNodes())); }

}  // namespace tolvex
