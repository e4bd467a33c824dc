#pragma once
// The table of scan nodes shared by the Explorer and the file table: a model over a list of nodes, a
// delegate that paints each column, and a view that turns the space bar, Return, double-clicks and
// right-clicks into the host's actions. Rows are painted, never made of widgets, so a folder of a
// hundred thousand entries scrolls as fast as a short one.
//
// The table sorts the nodes it is given with its own multi-key order and keeps the selection as a
// set of node serials, which survives every reset of the model.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/FileNode.h"
#include "model/Risk.h"
#include "model/SafetyVerdict.h"
#include "views/analysis/PaintedTable.h"
#include "views/analysis/logic/NodeSort.h"

namespace tolvex {

enum class NodeColumn { name, nameAndFolder, size, percent, files, category, kind, modified, lastOpened, risk };

struct NodeColumnDef {
  NodeColumn column;
  QString header;
  std::optional<NodeKey> sortKey;  // none: not sortable
  int minWidth = 60;
  int idealWidth = 100;
};

class NodeTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int SerialRole = Qt::UserRole + 1;

  // Verdicts and folder texts are judged in `safety`.
  NodeTableModel(std::vector<NodeColumnDef> columns, const SafetyContext& safety, QObject* parent = nullptr);

  const std::vector<NodeColumnDef>& columns() const { return columns_; }
  const SafetyContext& safety() const { return safety_; }
  void resetRows(std::vector<FileNode*> rows);
  const std::vector<FileNode*>& rows() const { return rows_; }
  FileNode* node(int row) const;
  // The row showing `serial`, or -1.
  int rowOf(uint64_t serial) const;
  // Size bars are size / fractionTotal; "%" is percentText(size, percentTotal).
  void setScale(int64_t fractionTotal, int64_t percentTotal);
  int64_t fractionTotal() const { return fractionTotal_; }
  int64_t percentTotal() const { return percentTotal_; }
  // The safety verdict of a row's path, worked out when first asked for and kept until the next reset.
  const SafetyVerdict& verdict(int row) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The text a cell shows (and reads to accessibility).
  QString text(int row, NodeColumn column) const;

 private:
  std::vector<NodeColumnDef> columns_;
  SafetyContext safety_;
  std::vector<FileNode*> rows_;
  mutable std::unordered_map<uint64_t, int> rowBySerial_;
  mutable std::unordered_map<uint64_t, SafetyVerdict> verdicts_;
  int64_t fractionTotal_ = 1;
  int64_t percentTotal_ = 0;
};

class NodeTableDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit NodeTableDelegate(NodeTableModel* model, QObject* parent = nullptr);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // The width kept for the size text so that every bar starts at the same place.
  static int sizeTextWidth();

 private:
  NodeTableModel* model_;
};

class NodeTable : public PaintedTable {
  Q_OBJECT
 public:
  NodeTable(std::vector<NodeColumnDef> columns, int rowHeight, const SafetyContext& safety, QWidget* parent = nullptr);

  NodeTableModel* nodeModel() const { return model_; }

  // Shows `nodes` sorted by the table's order. The rows are sorted and the model reset only when the
  // nodes differ from the last ones given (by serial, in order) or `generation` changed; otherwise
  // the rows are only repainted.
  void setNodes(const std::vector<FileNode*>& nodes, int64_t generation = 0);
  // The same with the nodes' serials already worked out (off the UI thread, for a long list).
  void setPreparedNodes(std::vector<FileNode*> nodes, std::vector<uint64_t> serials, int64_t generation = 0);
  const std::vector<FileNode*>& rows() const { return model_->rows(); }

  const SortOrder& sortOrder() const { return sortOrder_; }
  void setSortOrder(SortOrder order);
  // What a click on the header of `column` does (also what the header calls).
  void clickHeader(int column);

  // The selection, as serials; identities that match no row are kept but count nowhere.
  const std::unordered_set<uint64_t>& selection() const { return selection_; }
  void setSelection(std::unordered_set<uint64_t> serials);
  void clearNodeSelection();
  // Keeps only the serials that are in `nodes`.
  void restrictSelection(const std::vector<FileNode*>& nodes);
  void restrictSelection(const std::vector<uint64_t>& serials);
  // The rows, in row order, whose serial is in `serials` (the selection when none is given).
  std::vector<FileNode*> nodesOf(const std::unordered_set<uint64_t>& serials) const;
  std::vector<FileNode*> selectedNodes() const { return nodesOf(selection_); }

  // Sorting is done by `runner` when one is set: it gets the nodes and the order and calls `done`
  // with the sorted rows, at once or later from the UI thread (a long list is sorted off the UI
  // thread); only the newest sort's rows are shown. Without a runner the table sorts in place.
  using SortDone = std::function<void(std::vector<FileNode*> sorted)>;
  using SortRunner =
      std::function<void(std::shared_ptr<const std::vector<FileNode*>> nodes, const SortOrder& order, SortDone done)>;
  void setSortRunner(SortRunner runner) { sortRunner_ = std::move(runner); }

  // The host's actions. The space bar is left to the window when `onSpace` returns false.
  std::function<bool()> onSpace;
  std::function<void(const std::vector<FileNode*>&)> onPrimary;
  std::function<void(const std::vector<FileNode*>&, const QPoint& globalPos)> onContextMenu;

  // The nodes a right-click or double-click on `row` acts on: the selection when the row is part of
  // it, the row alone otherwise, nothing for -1.
  std::vector<FileNode*> nodesForClick(int row) const;

 signals:
  void nodeSelectionChanged();
  void sortOrderChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool openSelection() override;
  void rowDoubleClicked(int row) override;
  void contextMenuAt(int row, const QPoint& globalPos) override;
  ColumnWidths columnWidths() const override;

 private:
  void applySort();
  void showSorted(std::vector<FileNode*> rows);
  void restoreSelection();
  void syncIndicator();
  void viewSelectionChanged();

  NodeTableModel* model_;
  SortOrder sortOrder_;
  int indicatorColumn_ = -1;
  bool syncingIndicator_ = false;
  // Shared with a sort running off the UI thread.
  std::shared_ptr<const std::vector<FileNode*>> given_ = std::make_shared<const std::vector<FileNode*>>();
  std::vector<uint64_t> givenSerials_;
  int64_t generation_ = 0;
  bool hasNodes_ = false;
  std::unordered_set<uint64_t> selection_;
  bool restoring_ = false;
  SortRunner sortRunner_;
  uint64_t sortTicket_ = 0;
};

}  // namespace tolvex
