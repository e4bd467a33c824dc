#include "views/cleanup/RecordTable.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <algorithm>

namespace tolvex {

namespace {

class RecordDelegate : public QStyledItemDelegate {
 public:
  RecordDelegate(RecordTable* table) : QStyledItemDelegate(table), table_(table) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (!table_->paintCell || !index.isValid()) return;
    painter->save();
    table_->paintCell(painter, option, index.row(), index.column());
    painter->restore();
  }

 private:
  RecordTable* table_;
};

}  // namespace

// ---- Model --------------------------------------------------------------------------------------

RecordTableModel::RecordTableModel(std::vector<RecordColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void RecordTableModel::resetRows(std::vector<std::string> ids) {
  beginResetModel();
  ids_ = std::move(ids);
  endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role == IdRole) return QString::fromUtf8(ids_[static_cast<size_t>(index.row())]);
  if ((role == Qt::DisplayRole || role == Qt::AccessibleTextRole) && cellText)
    return cellText(index.row(), index.column());
  if (role == Qt::ToolTipRole && cellToolTip) return cellToolTip(index.row(), index.column());
  return {};
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  const RecordColumn& column = columns_[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole) return column.header;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
  return {};
}

// ---- View ---------------------------------------------------------------------------------------

RecordTable::RecordTable(std::vector<RecordColumn> columns, int rowHeight, bool multipleSelection, size_t stretchColumn,
                         QWidget* parent)
    : PaintedTable({.rowHeight = rowHeight, .multipleSelection = multipleSelection}, parent),
      model_(new RecordTableModel(std::move(columns), this)),
      stretch_(stretchColumn) {
  setModel(model_);
  setItemDelegate(new RecordDelegate(this));
  QHeaderView* header = horizontalHeader();
  for (size_t i = 0; i < model_->columns().size(); ++i)
    header->resizeSection(static_cast<int>(i), model_->columns()[i].idealWidth);
  header->setSortIndicator(-1, Qt::AscendingOrder);

  connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
    if (column >= 0 && static_cast<size_t>(column) < model_->columns().size() &&
        model_->columns()[static_cast<size_t>(column)].sortable)
      emit headerClicked(column);
    setSortIndicator(indicatorColumn_, indicatorAscending_);  // the header turned its own arrow round
  });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &RecordTable::viewSelectionChanged);
}

void RecordTable::rowDoubleClicked(int row) {
  if (onPrimary) onPrimary(idsForClick(row));
}

void RecordTable::contextMenuAt(int row, const QPoint& globalPos) {
  if (onContextMenu) onContextMenu(idsForClick(row), globalPos);
}

void RecordTable::mousePressEvent(QMouseEvent* event) {
  const bool empty = !indexAt(event->position().toPoint()).isValid();
  PaintedTable::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && empty && !selection_.empty()) setSelection({});
}

void RecordTable::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !selection_.empty()) {
    setSelection({});
    event->accept();
    return;
  }
  PaintedTable::keyPressEvent(event);
}

void RecordTable::setRows(std::vector<std::string> ids) {
  if (ids == model_->ids()) {
    viewport()->update();
    return;
  }
  restoring_ = true;
  model_->resetRows(std::move(ids));
  restoring_ = false;
  restoreSelection();
  if (contentWidth) fitColumns();
}

QString RecordTable::cellText(int row, int column) const {
  return model_->cellText ? model_->cellText(row, column) : QString();
}

void RecordTable::setSelection(Paths ids) {
  selection_ = std::move(ids);
  restoreSelection();
  emit recordSelectionChanged();
}

RecordTable::Paths RecordTable::idsForClick(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= rows().size()) return {};
  const std::string& id = rows()[static_cast<size_t>(row)];
  if (selection_.contains(id)) {
    Paths shown;
    for (const std::string& each : rows())
      if (selection_.contains(each)) shown.insert(each);
    return shown;
  }
  return {id};
}

void RecordTable::setSortIndicator(int column, bool ascending) {
  indicatorColumn_ = column;
  indicatorAscending_ = ascending;
  QSignalBlocker block(horizontalHeader());
  horizontalHeader()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void RecordTable::restoreSelection() {
  restoring_ = true;
  QItemSelection selection;
  const int last = std::max(model_->columnCount() - 1, 0);
  for (size_t i = 0; i < rows().size(); ++i)
    if (selection_.contains(rows()[i]))
      selection.select(model_->index(static_cast<int>(i), 0), model_->index(static_cast<int>(i), last));
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!selection.isEmpty() && !currentIndex().isValid())
    selectionModel()->setCurrentIndex(selection.first().topLeft(), QItemSelectionModel::NoUpdate);
  restoring_ = false;
}

void RecordTable::viewSelectionChanged() {
  if (restoring_) return;
  Paths ids;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row) ids.insert(rows()[static_cast<size_t>(row)]);
  selection_ = std::move(ids);
  emit recordSelectionChanged();
}

PaintedTable::ColumnWidths RecordTable::columnWidths() const {
  ColumnWidths widths;
  widths.stretch = stretch_;
  const QFontMetrics header(horizontalHeader()->font());
  for (size_t i = 0; i < model_->columns().size(); ++i) {
    const RecordColumn& column = model_->columns()[i];
    const int label = header.horizontalAdvance(column.header) + 14 + (column.sortable ? header.height() : 0);
    const int content = contentWidth && i != stretch_ ? contentWidth(static_cast<int>(i)) : 0;
    widths.minimum.push_back(std::max({column.minWidth, label, content}));
    widths.ideal.push_back(std::max(column.idealWidth, widths.minimum.back()));
  }
  return widths;
}

}  // namespace tolvex
