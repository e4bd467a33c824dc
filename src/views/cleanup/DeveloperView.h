#pragma once
// Developer: the artefacts that can be regenerated (dependency folders, virtual environments and
// build outputs found in the scan, and what the developer junk rules found) with their size and how
// recently their project changed, above them the card of virtual disk images, and below the
// selection bar that hands the ticked rows to the reviewed deletion. The rows are worked out from
// the store whenever the scan or the junk findings change; the sort order and the selection belong
// to the screen and start afresh with it.
#include "app/screen/Screen.h"

class QVBoxLayout;

namespace tolvex {

class DevItemTable;
class PageHeader;
class SelectionBar;
class SymbolLabel;
class VirtualDisksCard;

class DeveloperView : public Screen {
  Q_OBJECT
 public:
  explicit DeveloperView(AppState& state, QWidget* parent = nullptr);

  PageHeader* header() const { return header_; }
  SymbolLabel* hint() const { return hint_; }
  VirtualDisksCard* disksCard() const { return disks_; }
  DevItemTable* table() const { return table_; }
  SelectionBar* selectionBar() const { return bar_; }

  // Hands the selected rows, in row order, to the reviewed deletion ("Clean Developer Artifacts").
  // The selection stays as it is.
  void cleanArtifacts();
  void clearSelection();

 protected:
  void refresh() override;
  void showEvent(QShowEvent* event) override;

 private:
  // Searches for junk when no findings are loaded and no search is running.
  void loadIfEmpty();
  void updateBar();

  PageHeader* header_;
  SymbolLabel* hint_;
  VirtualDisksCard* disks_;
  DevItemTable* table_;
  SelectionBar* bar_;
  bool rowsStale_ = true;  // the scan or the junk findings changed since the rows were worked out
  bool loadedOnShow_ = false;
};

}  // namespace tolvex
