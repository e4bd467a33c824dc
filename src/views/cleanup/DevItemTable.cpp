#include "views/cleanup/DevItemTable.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <algorithm>

#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/ElidedLabel.h"
#include "app/components/FileIcon.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "model/Formatting.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {
namespace {

constexpr int kRowHeight = 40;
constexpr int kIconSize = 18;
// Cells keep this much room at their sides.
constexpr int kCellLeading = 8;
constexpr int kCellTrailing = 8;

QString fromBytes(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct ColumnDef {
  const char* title;
  int minWidth;
  int idealWidth;
};

// The widths of the columns: "Item" takes what is left over.
constexpr ColumnDef kColumnDefs[DevItemModel::kColumns] = {
    {QT_TRANSLATE_NOOP("DevItemTable", "Item"), 260, 380},
    {QT_TRANSLATE_NOOP("DevItemTable", "What It Is"), 140, 260},
    {QT_TRANSLATE_NOOP("DevItemTable", "Size"), 80, 90},
    {QT_TRANSLATE_NOOP("DevItemTable", "Project Last Modified"), 100, 120},
};

QString columnTitle(int column) { return QCoreApplication::translate("DevItemTable", kColumnDefs[column].title); }

// A folder asks for its icon with a trailing "/", so "node_modules" and ".venv" show as folders
// whatever their name looks like.
std::string iconPath(const std::string& path) { return path.empty() || path.back() == '/' ? path : path + "/"; }

void paintText(QPainter* painter, const QRect& rect, const QString& text, const QFont& font, const QColor& color,
               Qt::Alignment alignment = Qt::AlignLeft, Qt::TextElideMode elide = Qt::ElideRight) {
  painter->setFont(font);
  painter->setPen(color);
  const QString shown = QFontMetrics(font).elidedText(text, elide, rect.width());
  if (!(alignment & Qt::AlignVertical_Mask)) alignment |= Qt::AlignVCenter;
  painter->drawText(rect, static_cast<int>(alignment) | Qt::TextSingleLine, shown);
}

}  // namespace

// ---- Model --------------------------------------------------------------------------------------

DevItemModel::DevItemModel(std::string home, std::function<double()> clock, QObject* parent)
    : QAbstractTableModel(parent), home_(std::move(home)), clock_(std::move(clock)) {}

void DevItemModel::resetRows(std::vector<DevItem> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

const DevItem* DevItemModel::row(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= rows_.size()) return nullptr;
  return &rows_[static_cast<size_t>(index)];
}

DevKey DevItemModel::keyOf(int column) {
  switch (column) {
    case detail: return DevKey::detail;
    case size: return DevKey::size;
    case lastTouched: return DevKey::lastTouched;
    default: return DevKey::title;
  }
}

int DevItemModel::columnOf(DevKey key) {
  switch (key) {
    case DevKey::title: return item;
    case DevKey::detail: return detail;
    case DevKey::size: return size;
    case DevKey::lastTouched: return lastTouched;
  }
  return item;
}

QString DevItemModel::text(int index, int column) const {
  const DevItem* r = row(index);
  if (!r) return {};
  switch (column) {
    case item: return fromBytes(r->title);
    case detail: return fromBytes(r->detail);
    case size: return bytesText(r->size);
    case lastTouched:
      return QString::fromStdString(clock_ ? relativeDateText(r->lastTouched, clock_())
                                           : relativeDateText(r->lastTouched));
    default: return {};
  }
}

QString DevItemModel::whereText(int index) const {
  const DevItem* r = row(index);
  return r ? fromBytes(displayPath(r->path, home_)) : QString();
}

int DevItemModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DevItemModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant DevItemModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !row(index.row())) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return text(index.row(), index.column());
    case Qt::ToolTipRole:
      if (index.column() == item) return fromBytes(foldedPath(row(index.row())->path));
      if (index.column() == detail) return text(index.row(), detail);
      return {};
    default: return {};
  }
}

QVariant DevItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
  if (role == Qt::DisplayRole) return columnTitle(section);
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::Alignment((section == size ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
  return {};
}

// ---- Delegate -----------------------------------------------------------------------------------

DevItemDelegate::DevItemDelegate(DevItemModel* model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

void DevItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  // The row's background (and its selection tint) is drawn by the view before the cell.
  const DevItem* row = model_->row(index.row());
  if (!row) return;
  const QPalette& palette = option.palette;
  const QRect r = option.rect.adjusted(kCellLeading, 0, -kCellTrailing, 0);
  painter->save();
  switch (index.column()) {
    case DevItemModel::item: {
      FileIcon::paint(painter, QRect(r.left(), r.center().y() - kIconSize / 2, kIconSize, kIconSize),
                      iconPath(row->path));
      const QRect text = r.adjusted(kIconSize + 8, 0, 0, 0);
      const QFont titleFont = Theme::font(TextStyle::body);
      const QFont whereFont = Theme::font(TextStyle::caption);
      const int h1 = QFontMetrics(titleFont).height(), h2 = QFontMetrics(whereFont).height();
      const int top = r.center().y() - (h1 + 1 + h2) / 2;
      paintText(painter, QRect(text.left(), top, text.width(), h1), model_->text(index.row(), DevItemModel::item),
                titleFont, Theme::primary(palette));
      // Room for the underscores of "node_modules", which DejaVu draws below its line box.
      const int ink = ElidedLabel::inkBelowLines(whereFont);
      paintText(painter, QRect(text.left(), top + h1 + 1, text.width(), h2 + ink), model_->whereText(index.row()),
                whereFont, Theme::secondary(palette), Qt::AlignLeft | Qt::AlignTop, Qt::ElideMiddle);
      break;
    }
    case DevItemModel::detail:
      paintText(painter, r, model_->text(index.row(), DevItemModel::detail), Theme::font(TextStyle::callout),
                Theme::secondary(palette));
      break;
    case DevItemModel::size:
      paintText(painter, r, model_->text(index.row(), DevItemModel::size), Theme::monospacedDigitFont(TextStyle::body),
                Theme::primary(palette), Qt::AlignRight);
      break;
    case DevItemModel::lastTouched:
      paintText(painter, r, model_->text(index.row(), DevItemModel::lastTouched), Theme::font(TextStyle::callout),
                Theme::secondary(palette));
      break;
    default: break;
  }
  painter->restore();
}

// ---- View ---------------------------------------------------------------------------------------

DevItemTable::DevItemTable(std::string home, std::function<double()> clock, QWidget* parent)
    : PaintedTable({.rowHeight = kRowHeight, .labelLeading = kCellLeading, .labelTrailing = kCellTrailing}, parent),
      model_(new DevItemModel(std::move(home), std::move(clock), this)) {
  setObjectName(QLatin1String(names::developerTable));
  setModel(model_);
  setItemDelegate(new DevItemDelegate(model_, this));
  QHeaderView* header = horizontalHeader();
  for (int column = 0; column < DevItemModel::kColumns; ++column)
    header->resizeSection(column, kColumnDefs[column].idealWidth);

  connect(header, &QHeaderView::sectionClicked, this, &DevItemTable::clickHeader);
  // The header turns its own indicator round on every click; ours is the only order that counts.
  connect(header, &QHeaderView::sortIndicatorChanged, this, [this] { syncIndicator(); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &DevItemTable::viewSelectionChanged);
  syncIndicator();
}

void DevItemTable::rowDoubleClicked(int row) { reveal(rowsForClick(row)); }

void DevItemTable::contextMenuAt(int row, const QPoint& globalPos) {
  const auto rows = rowsForClick(row);
  if (!rows.empty()) makeContextMenu(rows)->popup(globalPos);
}

void DevItemTable::setItems(std::vector<DevItem> items) {
  given_ = std::move(items);
  applySort();
}

void DevItemTable::applySort() {
  std::vector<DevItem> rows = given_;
  sortDevItems(rows, sortOrder_);
  if (rows == model_->rows()) {
    viewport()->update();  // relative dates move on with the clock
    return;
  }
  restoring_ = true;
  model_->resetRows(std::move(rows));
  restoring_ = false;
  restoreSelection();
}

void DevItemTable::clickHeader(int column) {
  if (column < 0 || column >= DevItemModel::kColumns) return;
  sortOrder_ = clickedDevHeader(sortOrder_, DevItemModel::keyOf(column));
  applySort();
  syncIndicator();
  emit sortOrderChanged();
}

void DevItemTable::syncIndicator() {
  if (sortOrder_.empty()) return;
  const DevComparator& first = sortOrder_.front();
  const int column = DevItemModel::columnOf(first.key);
  const Qt::SortOrder order = first.ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
  QHeaderView* header = horizontalHeader();
  if (header->sortIndicatorSection() == column && header->sortIndicatorOrder() == order) return;
  header->setSortIndicator(column, order);
}

void DevItemTable::setSelection(std::set<std::string> paths) {
  selection_ = std::move(paths);
  restoreSelection();
  emit selectionChangedByUser();
}

void DevItemTable::restoreSelection() {
  restoring_ = true;
  QItemSelection selection;
  const auto& rows = model_->rows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (selection_.contains(rows[i].path))
      selection.select(model_->index(static_cast<int>(i), 0),
                       model_->index(static_cast<int>(i), DevItemModel::kColumns - 1));
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  restoring_ = false;
}

void DevItemTable::viewSelectionChanged() {
  if (restoring_) return;
  // Paths whose rows have gone stay selected; the rows on screen are taken from the view.
  std::set<std::string> shown;
  for (const DevItem& row : rows()) shown.insert(row.path);
  std::set<std::string> paths;
  for (const std::string& path : selection_)
    if (!shown.contains(path)) paths.insert(path);
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row)
      if (const DevItem* item = model_->row(row)) paths.insert(item->path);
  selection_ = std::move(paths);
  emit selectionChangedByUser();
}

std::vector<DevItem> DevItemTable::rowsForClick(int row) const {
  const DevItem* item = model_->row(row);
  if (!item) return {};
  if (selection_.contains(item->path)) return selectedRows();
  return {*item};
}

QMenu* DevItemTable::makeContextMenu(const std::vector<DevItem>& rows) {
  auto* menu = new QMenu(this);
  menu->setObjectName(QLatin1String(names::developerMenu));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QAction* show = menu->addAction(tr("Show in Finder"));
  show->setObjectName(QLatin1String(names::developerMenuReveal));
  connect(show, &QAction::triggered, this, [this, rows] { reveal(rows); });
  return menu;
}

void DevItemTable::reveal(const std::vector<DevItem>& rows) {
  if (onReveal && !rows.empty()) onReveal(rows);
}

bool DevItemTable::openSelection() {
  reveal(selectedRows());
  return true;
}

PaintedTable::ColumnWidths DevItemTable::columnWidths() const {
  ColumnWidths widths;
  widths.stretch = DevItemModel::item;
  const QFontMetrics header(horizontalHeader()->font());
  for (int column = 0; column < DevItemModel::kColumns; ++column) {
    // Room for the header's title and its sort arrow.
    const int label = header.horizontalAdvance(columnTitle(column)) + kCellLeading + kCellTrailing + header.height();
    widths.minimum.push_back(std::max(kColumnDefs[column].minWidth, label));
    widths.ideal.push_back(std::max(kColumnDefs[column].idealWidth, widths.minimum.back()));
  }
  return widths;
}

}  // namespace tolvex
