#pragma once
// The table of the deletion history: one painted row per entry, in the store's order (newest first),
// with the Restore button painted in the last column of a restorable row. The model reads the store
// itself, so the table never holds a copy of the entries; `reload` follows a change of the store.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTimer>
#include <set>
#include <string>
#include <unordered_map>

#include "views/analysis/PaintedTable.h"
#include "views/cleanup/logic/HistoryRows.h"

namespace tolvex {

class DeletionHistory;

enum class HistoryColumn { date, item, size, method, restore };

class HistoryModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Paths show with `home` as "~".
  HistoryModel(const DeletionHistory& history, std::string home, QObject* parent = nullptr);

  static HistoryColumn column(int section);
  const HistoryEntry* entry(int row) const;
  // Asked at every paint of a row, so a Trash emptied or a path taken meanwhile shows at once.
  bool restorable(int row) const;
  void setProbe(HistoryProbe probe) { probe_ = std::move(probe); }
  void reload();
  // Asks again whether rows `first`…`last` can be restored and announces the Restore cells whose
  // answer differs from the one they were last drawn with (dataChanged), so that they are drawn again.
  void recheck(int first, int last);
  // The text that shows where an item was.
  QString pathText(const HistoryEntry& entry) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const DeletionHistory& history_;
  std::string home_;
  HistoryProbe probe_ = HistoryProbe::live();
  // By entry id: the last answer of `restorable`, which is what the row was drawn with.
  mutable std::unordered_map<std::string, bool> lastAnswer_;
};

class HistoryDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit HistoryDelegate(HistoryModel* model, QObject* parent = nullptr);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // Where the Restore button lies within its cell.
  static QRect buttonRect(const QRect& cell);

 private:
  HistoryModel* model_;
};

class HistoryTable : public PaintedTable {
  Q_OBJECT
 public:
  HistoryTable(const DeletionHistory& history, std::string home, QWidget* parent = nullptr);

  HistoryModel* historyModel() const { return model_; }
  // Follows the store, keeping the highlighted rows by entry identifier.
  void reload();
  const std::set<std::string>& selection() const { return selection_; }
  // The Restore button of `row`, in viewport coordinates (empty when the row shows none).
  QRect restoreButtonRect(int row) const;

  static constexpr int kRowHeight = 38;
  // While the table is shown, the rows in view are asked this often whether they can still be
  // restored: the Trash may be emptied or the original place taken by another program at any time.
  static constexpr int kRecheckMs = 1000;

 signals:
  void restoreRequested(const HistoryEntry& entry);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  ColumnWidths columnWidths() const override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void restoreSelection();
  void rememberSelection();
  // The row whose Restore button is at `pos`, or -1.
  int buttonRowAt(const QPoint& pos) const;

  HistoryModel* model_;
  std::set<std::string> selection_;
  bool restoring_ = false;
  int pressedRow_ = -1;
  QTimer recheck_;
};

}  // namespace tolvex
