#include "views/analysis/NodeContextMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/services/UiServices.h"
#include "model/DisplayPath.h"
#include "platform/Paths.h"
#include "views/analysis/ExplorerNavigation.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

std::string NodeContextMenu::foldedPathOf(const FileNode& node) { return foldedPath(node.path()); }

void NodeContextMenu::requestDeletion(AppState& state, const std::vector<FileNode*>& nodes) {
  state.requestDeletion(deletionItems(nodes, state.safety()), tr("Delete Items"));
}

NodeContextMenu::NodeContextMenu(AppState& state, const std::vector<FileNode*>& nodes, PreviewSetter preview,
                                 QWidget* parent)
    : QMenu(parent), state_(state) {
  setObjectName(QLatin1String(names::nodeContextMenu));
  if (nodes.empty()) return;

  std::vector<Item> items;
  items.reserve(nodes.size());
  for (const FileNode* node : nodes)
    items.push_back({node->path(), get(node->size), node->isDirectory, node->isPackage});
  const Item first = items.front();
  FileNode* firstNode = nodes.front();
  std::weak_ptr<FileTree> tree;
  if (state.scan()) tree = state.scan()->tree;

  auto add = [this](const QString& text, const char* name, auto slot) {
    QAction* action = addAction(text);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, slot);
    return action;
  };

  if (preview && (!first.isDirectory || first.isPackage)) {
    add(tr("Quick Look"), names::nodeMenuQuickLook, [preview, first] {
      preview(PreviewTarget{first.path, first.isDirectory});
    });
  }
  add(tr("Show in Finder"), names::nodeMenuReveal, [first] {
    if (auto& reveal = UiServices::shared().revealInFileManager) reveal(first.path);
  });
  add(tr("Open"), names::nodeMenuOpen, [first] {
    if (auto& open = UiServices::shared().openFile) open(first.path);
  });
  if (first.isDirectory) {
    add(tr("Open in Explorer"), names::nodeMenuOpenInExplorer, [this, tree, firstNode] {
      // Only a node of the tree on screen may go on the Explorer's stack.
      const auto alive = tree.lock();
      if (!alive || !state_.scan() || state_.scan()->tree != alive || firstNode->isGone()) return;
      openInExplorer(state_, firstNode);
    });
  }
  const std::string folded = foldedPath(first.path);
  add(tr("Copy Path"), names::nodeMenuCopyPath, [folded] {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromUtf8(folded));
  });
  addSeparator();
  QAction* exclude = add(tr("Exclude from Scans"), names::nodeMenuExclude, [this, folded] {
    if (!canStoreExclusion(folded)) return;
    state_.setExcludedRaw(exclusionsWith(state_.excludedPaths(), folded));
  });
  if (!canStoreExclusion(folded)) {
    exclude->setEnabled(false);
    exclude->setToolTip(tr("This path cannot be stored in the list of excluded folders."));
  }
  addSeparator();
  const QString deleteTitle =
      items.size() == 1 ? tr("Delete…")
                        : tr("Delete %1 Items…").arg(QLocale().toString(static_cast<qlonglong>(items.size())));
  add(deleteTitle, names::nodeMenuDelete, [this, items] {
    std::vector<PlanItem> plan;
    plan.reserve(items.size());
    for (const Item& item : items) plan.push_back(planItemFor(item.path, item.size, state_.safety()));
    state_.requestDeletion(plan, tr("Delete Items"));
  });
}

}  // namespace tolvex
