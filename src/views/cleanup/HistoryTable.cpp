#include "views/cleanup/HistoryTable.h"

#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <iterator>
#include <utility>

#include "app/UiText.h"
#include "app/theme/Theme.h"
#include "engines/DeletionHistory.h"
#include "model/DisplayPath.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {
namespace {

struct ColumnDef {
  HistoryColumn column;
  const char* title;
  int minWidth;
  int idealWidth;
};

constexpr ColumnDef kColumns[] = {
    {HistoryColumn::date, "Date", 120, 150}, {HistoryColumn::item, "Item", 260, 420},
    {HistoryColumn::size, "Size", 70, 90},   {HistoryColumn::method, "Method", 80, 90},
    {HistoryColumn::restore, "", 90, 90},
};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));
constexpr int kItemColumn = 1;

QString restoreTitle() { return QCoreApplication::translate("HistoryView", "Restore"); }

void paintText(QPainter* painter, const QRect& rect, const QString& text, const QFont& font, const QColor& color,
               Qt::TextElideMode elide = Qt::ElideRight, Qt::Alignment alignment = Qt::AlignLeft) {
  painter->setFont(font);
  painter->setPen(color);
  const QString shown = QFontMetrics(font).elidedText(text, elide, rect.width());
  // Room above and below the line box, so a descender drawn past it ("_" at 10 px) is not cut off.
  painter->drawText(rect.adjusted(0, -2, 0, 2), static_cast<int>(alignment | Qt::AlignVCenter) | Qt::TextSingleLine,
                    shown);
}

// The width a date cell needs for the widest month and time of day, with the cell's margins.
int dateContentWidth() {
  const QFontMetrics fm(Theme::font(TextStyle::callout));
  int widest = 0;
  for (int month = 1; month <= 12; ++month) {
    const QDateTime at(QDate(2000, month, 28), QTime(12, 58));
    widest = std::max(widest, fm.horizontalAdvance(shortDateTimeText(static_cast<double>(at.toSecsSinceEpoch()))));
  }
  return widest + 16 + 4;
}

void paintButton(QPainter* painter, const QRect& rect, const QPalette& palette) {
  painter->setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
  painter->fillPath(shape, palette.color(QPalette::Button));
  painter->setPen(QPen(Theme::primary(palette, 0.18), 1));
  painter->drawPath(shape);
  paintText(painter, rect, restoreTitle(), Theme::font(TextStyle::callout, QFont::Medium),
            palette.color(QPalette::ButtonText), Qt::ElideRight, Qt::AlignHCenter);
}

}  // namespace

// ---- Model --------------------------------------------------------------------------------------

HistoryModel::HistoryModel(const DeletionHistory& history, std::string home, QObject* parent)
    : QAbstractTableModel(parent), history_(history), home_(std::move(home)) {}

QString HistoryModel::pathText(const HistoryEntry& entry) const {
  return QString::fromUtf8(displayPath(entry.originalPath, home_));
}

HistoryColumn HistoryModel::column(int section) {
  return section >= 0 && section < kColumnCount ? kColumns[section].column : HistoryColumn::restore;
}

const HistoryEntry* HistoryModel::entry(int row) const {
  const auto& entries = history_.entries();
  if (row < 0 || static_cast<size_t>(row) >= entries.size()) return nullptr;
  return &entries[static_cast<size_t>(row)];
}

bool HistoryModel::restorable(int row) const {
  const HistoryEntry* e = entry(row);
  if (!e) return false;
  const bool answer = isRestorable(*e, probe_);
  lastAnswer_[e->id] = answer;
  return answer;
}

void HistoryModel::reload() {
  beginResetModel();
  lastAnswer_.clear();
  endResetModel();
}

void HistoryModel::recheck(int first, int last) {
  const int restoreColumn = kColumnCount - 1;
  for (int row = std::max(first, 0); row <= last; ++row) {
    const HistoryEntry* e = entry(row);
    if (!e) break;
    const auto drawn = lastAnswer_.find(e->id);
    if (drawn == lastAnswer_.end() || drawn->second == isRestorable(*e, probe_)) continue;
    lastAnswer_.erase(drawn);  // the repaint asks again
    emit dataChanged(index(row, restoreColumn), index(row, restoreColumn));
  }
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(history_.entries().size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
  const HistoryEntry* e = entry(index.row());
  if (!e || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole && role != Qt::ToolTipRole)) return {};
  switch (column(index.column())) {
    case HistoryColumn::date: return shortDateTimeText(e->date);
    case HistoryColumn::item: return role == Qt::DisplayRole ? historyItemName(e->originalPath) : pathText(*e);
    case HistoryColumn::size: return bytesText(e->size);
    case HistoryColumn::method: return historyMethodText(historyMethod(*e));
    case HistoryColumn::restore: return restorable(index.row()) ? restoreTitle() : QString();
  }
  return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  if (role == Qt::DisplayRole) return QCoreApplication::translate("HistoryView", kColumns[section].title);
  return {};
}

// ---- Delegate -----------------------------------------------------------------------------------

HistoryDelegate::HistoryDelegate(HistoryModel* model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

QRect HistoryDelegate::buttonRect(const QRect& cell) {
  const int width = QFontMetrics(Theme::font(TextStyle::callout, QFont::Medium)).horizontalAdvance(restoreTitle()) + 22;
  const int w = std::min(width, cell.width() - 8);
  return {cell.left() + (cell.width() - w) / 2, cell.center().y() - 11, w, 22};
}

void HistoryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const HistoryEntry* e = model_->entry(index.row());
  if (!e) return;
  const QPalette& palette = option.palette;
  const QColor secondary = Theme::secondary(palette);
  const QRect r = option.rect.adjusted(8, 0, -8, 0);
  painter->save();
  switch (HistoryModel::column(index.column())) {
    case HistoryColumn::date:
      paintText(painter, r, shortDateTimeText(e->date), Theme::font(TextStyle::callout), secondary);
      break;
    case HistoryColumn::item: {
      const QFont nameFont = Theme::font(TextStyle::body);
      const QFont pathFont = Theme::font(TextStyle::caption);
      const int h1 = QFontMetrics(nameFont).height(), h2 = QFontMetrics(pathFont).height();
      const int top = r.center().y() - (h1 + 1 + h2) / 2;
      paintText(painter, QRect(r.left(), top, r.width(), h1), historyItemName(e->originalPath), nameFont,
                Theme::primary(palette));
      paintText(painter, QRect(r.left(), top + h1 + 1, r.width(), h2), model_->pathText(*e), pathFont, secondary,
                Qt::ElideMiddle);
      break;
    }
    case HistoryColumn::size:
      paintText(painter, r, bytesText(e->size), Theme::monospacedDigitFont(TextStyle::body), Theme::primary(palette));
      break;
    case HistoryColumn::method: {
      const HistoryMethod method = historyMethod(*e);
      const QColor color = method == HistoryMethod::restored ? Theme::success(palette) : secondary;
      paintText(painter, r, historyMethodText(method), Theme::font(TextStyle::callout), color);
      break;
    }
    case HistoryColumn::restore:
      if (model_->restorable(index.row())) paintButton(painter, buttonRect(option.rect), palette);
      break;
  }
  painter->restore();
}

// ---- View ---------------------------------------------------------------------------------------

HistoryTable::HistoryTable(const DeletionHistory& history, std::string home, QWidget* parent)
    : PaintedTable({.rowHeight = kRowHeight, .sortableHeader = false, .contextMenu = false, .labelLeading = 8}, parent),
      model_(new HistoryModel(history, std::move(home), this)) {
  setModel(model_);
  setItemDelegate(new HistoryDelegate(model_, this));
  QHeaderView* header = horizontalHeader();
  for (int i = 0; i < kColumnCount; ++i) header->resizeSection(i, kColumns[i].idealWidth);
  header->setSectionResizeMode(kColumnCount - 1, QHeaderView::Fixed);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (!restoring_) rememberSelection();
  });
  recheck_.setInterval(kRecheckMs);
  connect(&recheck_, &QTimer::timeout, this, [this] {
    const int first = rowAt(0);
    if (first < 0) return;
    const int last = rowAt(viewport()->height() - 1);
    model_->recheck(first, last < 0 ? model_->rowCount() - 1 : last);
  });
}

void HistoryTable::showEvent(QShowEvent* event) {
  PaintedTable::showEvent(event);
  recheck_.start();
}

void HistoryTable::hideEvent(QHideEvent* event) {
  PaintedTable::hideEvent(event);
  recheck_.stop();
}

void HistoryTable::reload() {
  restoring_ = true;
  model_->reload();
  restoring_ = false;
  restoreSelection();
}

void HistoryTable::rememberSelection() {
  selection_.clear();
  for (const QModelIndex& index : selectionModel()->selectedRows())
    if (const HistoryEntry* e = model_->entry(index.row())) selection_.insert(e->id);
}

void HistoryTable::restoreSelection() {
  if (selection_.empty()) return;
  restoring_ = true;
  QItemSelection selection;
  for (int row = 0; row < model_->rowCount(); ++row)
    if (selection_.contains(model_->entry(row)->id))
      selection.select(model_->index(row, 0), model_->index(row, kColumnCount - 1));
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  restoring_ = false;
}

QRect HistoryTable::restoreButtonRect(int row) const {
  if (!model_->restorable(row)) return {};
  return HistoryDelegate::buttonRect(visualRect(model_->index(row, kColumnCount - 1)));
}

int HistoryTable::buttonRowAt(const QPoint& pos) const {
  const QModelIndex index = indexAt(pos);
  if (!index.isValid() || HistoryModel::column(index.column()) != HistoryColumn::restore) return -1;
  return restoreButtonRect(index.row()).contains(pos) ? index.row() : -1;
}

void HistoryTable::mousePressEvent(QMouseEvent* event) {
  pressedRow_ = event->button() == Qt::LeftButton ? buttonRowAt(event->position().toPoint()) : -1;
  if (pressedRow_ >= 0) {
    event->accept();  // a press on the button leaves the highlighted rows as they are
    return;
  }
  PaintedTable::mousePressEvent(event);
}

void HistoryTable::mouseReleaseEvent(QMouseEvent* event) {
  const int pressed = std::exchange(pressedRow_, -1);
  if (pressed >= 0) {
    event->accept();
    // The row is tested again: the Trash or the original place may have changed since it was drawn.
    if (buttonRowAt(event->position().toPoint()) == pressed)
      if (const HistoryEntry* e = model_->entry(pressed)) emit restoreRequested(*e);
    return;
  }
  QTableView::mouseReleaseEvent(event);
}

PaintedTable::ColumnWidths HistoryTable::columnWidths() const {
  ColumnWidths widths;
  widths.stretch = kItemColumn;
  for (const ColumnDef& def : kColumns) {
    const int content = def.column == HistoryColumn::date ? dateContentWidth() : 0;
    widths.minimum.push_back(std::max(def.minWidth, content));
    widths.ideal.push_back(std::max(def.idealWidth, content));
  }
  return widths;
}

}  // namespace tolvex
