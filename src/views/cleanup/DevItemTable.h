#pragma once
// The table of developer artefacts: a model over the rows, a delegate that paints the four columns
// ("Item", "What It Is", "Size", "Project Last Modified") and a view that sorts on a header click,
// keeps the selection as a set of paths across every reset of the rows, and turns a double-click,
// Return and the context menu's "Show in Finder" into the host's reveal.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engines/DevItem.h"
#include "views/analysis/PaintedTable.h"
#include "views/cleanup/logic/DeveloperRows.h"

class QMenu;

namespace tolvex {

class DevItemModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { item, detail, size, lastTouched };
  static constexpr int kColumns = 4;

  DevItemModel(std::string home, std::function<double()> clock, QObject* parent = nullptr);

  void resetRows(std::vector<DevItem> rows);
  const std::vector<DevItem>& rows() const { return rows_; }
  const DevItem* row(int index) const;

  // The text a cell shows (and reads to accessibility).
  QString text(int row, int column) const;
  // The second line of the "Item" cell: where the item is, as the user reads paths.
  QString whereText(int row) const;
  static DevKey keyOf(int column);
  static int columnOf(DevKey key);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<DevItem> rows_;
  std::string home_;
  std::function<double()> clock_;
};

class DevItemDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit DevItemDelegate(DevItemModel* model, QObject* parent = nullptr);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  DevItemModel* model_;
};

class DevItemTable : public PaintedTable {
  Q_OBJECT
 public:
  DevItemTable(std::string home, std::function<double()> clock, QWidget* parent = nullptr);

  DevItemModel* itemModel() const { return model_; }
  // Shows `items` in the table's order. The model is reset only when the sorted rows differ from
  // those shown; the selection is restored afterwards.
  void setItems(std::vector<DevItem> items);
  const std::vector<DevItem>& rows() const { return model_->rows(); }

  const DevSortOrder& sortOrder() const { return sortOrder_; }
  // What a click on the header of `column` does (also what the header calls).
  void clickHeader(int column);

  // The selected paths. A path whose row has gone stays here and counts for nothing.
  const std::set<std::string>& selection() const { return selection_; }
  void setSelection(std::set<std::string> paths);
  std::vector<DevItem> selectedRows() const { return selectedDevItems(rows(), selection_); }

  // The rows a right-click or double-click on `row` acts on: the selection when the row is part of
  // it, the row alone otherwise, nothing for -1.
  std::vector<DevItem> rowsForClick(int row) const;
  // The context menu for those rows ("Show in Finder"); it deletes itself when closed.
  QMenu* makeContextMenu(const std::vector<DevItem>& rows);

  // Reveals the first of the rows in the file manager.
  std::function<void(const std::vector<DevItem>&)> onReveal;

 signals:
  void selectionChangedByUser();
  void sortOrderChanged();

 protected:
  ColumnWidths columnWidths() const override;
  bool openSelection() override;
  void rowDoubleClicked(int row) override;
  void contextMenuAt(int row, const QPoint& globalPos) override;

 private:
  void applySort();
  void restoreSelection();
  void viewSelectionChanged();
  void syncIndicator();
  void reveal(const std::vector<DevItem>& rows);

  DevItemModel* model_;
  std::vector<DevItem> given_;
  DevSortOrder sortOrder_ = initialDevSortOrder();
  std::set<std::string> selection_;
  bool restoring_ = false;
};

}  // namespace tolvex
