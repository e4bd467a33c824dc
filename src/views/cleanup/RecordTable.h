#pragma once
// The table of the application and leftover lists: rows of records identified by their paths. The
// host hands the row identifiers and paints the cells; the table keeps the selection as a set of
// identifiers that survives every reset of the rows (an identifier that matches no row stays in it and
// counts nowhere), and turns header clicks, double-clicks and right-clicks into the host's actions.
// A click below the rows or Escape clears the selection, also one whose rows are not shown (hidden by
// a search, or gone), which no row click could reach.
// Rows are painted, never made of widgets.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "views/analysis/PaintedTable.h"

namespace tolvex {

struct RecordColumn {
  QString header;
  bool sortable = true;
  int minWidth = 60;
  int idealWidth = 100;
  Qt::Alignment alignment = Qt::AlignLeft;
};

class RecordTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int IdRole = Qt::UserRole + 1;
  explicit RecordTableModel(std::vector<RecordColumn> columns, QObject* parent = nullptr);

  const std::vector<RecordColumn>& columns() const { return columns_; }
  void resetRows(std::vector<std::string> ids);
  const std::vector<std::string>& ids() const { return ids_; }
  // The text of a cell, for accessibility and tests.
  std::function<QString(int row, int column)> cellText;
  // The help a cell gives when hovered (none: no help).
  std::function<QString(int row, int column)> cellToolTip;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<RecordColumn> columns_;
  std::vector<std::string> ids_;
};

class RecordTable : public PaintedTable {
  Q_OBJECT
 public:
  using Paths = std::set<std::string>;
  RecordTable(std::vector<RecordColumn> columns, int rowHeight, bool multipleSelection, size_t stretchColumn,
              QWidget* parent = nullptr);

  RecordTableModel* recordModel() const { return model_; }
  // Shows these rows, in this order; the selection is kept.
  void setRows(std::vector<std::string> ids);
  const std::vector<std::string>& rows() const { return model_->ids(); }
  // The text a cell shows.
  QString cellText(int row, int column) const;

  const Paths& selection() const { return selection_; }
  void setSelection(Paths ids);
  // The rows a right-click or double-click on `row` acts on: the selection when the row is part of
  // it, the row alone otherwise, nothing for -1.
  Paths idsForClick(int row) const;
  // The arrow in the header: on `column`, pointing up when `ascending`.
  void setSortIndicator(int column, bool ascending);

  // Paints one cell; the row's background and selection tint are already drawn.
  std::function<void(QPainter*, const QStyleOptionViewItem&, int row, int column)> paintCell;
  // The width the cells of `column` need to be read whole (the host knows its fonts): a column never
  // gets less, and the stretch column gives up its room first. None: the column's own widths.
  std::function<int(int column)> contentWidth;
  std::function<void(const Paths&)> onPrimary;
  std::function<void(const Paths&, const QPoint& globalPos)> onContextMenu;

 signals:
  void recordSelectionChanged();
  void headerClicked(int column);

 protected:
  ColumnWidths columnWidths() const override;
  void rowDoubleClicked(int row) override;
  void contextMenuAt(int row, const QPoint& globalPos) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void restoreSelection();
  void viewSelectionChanged();

  RecordTableModel* model_;
  size_t stretch_;
  Paths selection_;
  bool restoring_ = false;
  int indicatorColumn_ = -1;
  bool indicatorAscending_ = false;
};

}  // namespace tolvex
