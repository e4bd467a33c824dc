#include "views/analysis/NodeTable.h"

#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <algorithm>

#include "app/components/FileIcon.h"
#include "app/components/RiskBadge.h"
#include "app/components/SizeCell.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "model/Formatting.h"
#include "model/SafetyVerdict.h"
#include "platform/Paths.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {
namespace {

QString unreadableHelp() { return QCoreApplication::translate("ExplorerView", "No permission to read this folder."); }

QString bucketTitle(const FileNode& node) {
  return QCoreApplication::translate("StorageBucket", title(get(node.bucket)));
}

// The path whose icon a row shows: a plain folder asks with a trailing "/", so a folder whose name
// has a dot in it still gets the folder icon.
std::string iconPath(const FileNode& node) {
  std::string path = node.path();
  if (node.isDirectory && !node.isPackage && (path.empty() || path.back() != '/')) path += '/';
  return path;
}

void paintDot(QPainter* painter, const QRect& rect, const QColor& color) {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  painter->setPen(Qt::NoPen);
  painter->setBrush(color);
  painter->drawEllipse(QRectF(rect.left(), rect.center().y() - 3.0, 7, 7));
  painter->restore();
}

void paintText(QPainter* painter, const QRect& rect, const QString& text, const QFont& font, const QColor& color,
               Qt::Alignment alignment = Qt::AlignLeft, Qt::TextElideMode elide = Qt::ElideRight) {
  painter->setFont(font);
  painter->setPen(color);
  const QString shown = QFontMetrics(font).elidedText(text, elide, rect.width());
  painter->drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}

// Cells keep this much room at their sides (numbers, aligned right, a little less at the right).
constexpr int kCellLeading = 8;
constexpr int kCellTrailing = 6;
constexpr int kDotRoom = 12;  // a category's or kind's dot and the gap after it

// The narrowest a column may become and still show its header and its usual cells whole: a date of
// the widest month, the widest risk badge, and room for the header's label and sort arrow.
int contentMinimum(const NodeColumnDef& def, const QFont& headerFont) {
  int content = 0;
  if (def.column == NodeColumn::modified) {
    const QFontMetrics fm(Theme::monospacedDigitFont(TextStyle::callout));
    for (int month = 1; month <= 12; ++month) {
      const QDateTime day(QDate(2000, month, 28), QTime(12, 0));
      content = std::max(content, fm.horizontalAdvance(shortDateText(static_cast<double>(day.toSecsSinceEpoch()))));
    }
    content += 2 * kCellLeading;  // a date is drawn 8 in from both sides
  } else if (def.column == NodeColumn::risk) {
    for (Risk risk : {Risk::safe, Risk::review, Risk::protected_})
      content = std::max(content, RiskBadge::sizeFor(risk, false).width());
    content += 6 + 12;  // the badge's inset, and clear room before the table's edge
  }
  const QFontMetrics header(headerFont);
  const int arrow = def.sortKey ? header.height() : 0;
  const int label = header.horizontalAdvance(def.header) + kCellLeading + kCellTrailing + arrow;
  return std::max(content, label);
}

// The width the usual cells of a column need to be read whole: every category's title, every kind's
// title or a long extension, the longest relative date, with the dot or room at their sides. A
// column gets it while there is room (the name takes the rest); at the smallest window it may give
// some of it up before the table scrolls sideways.
int contentIdeal(const NodeColumnDef& def) {
  const QFontMetrics fm(Theme::font(TextStyle::callout));
  int widest = 0;
  switch (def.column) {
    case NodeColumn::category:
      for (StorageBucket bucket : kAllStorageBuckets)
        widest = std::max(widest, fm.horizontalAdvance(QCoreApplication::translate("StorageBucket", title(bucket))));
      return widest + kDotRoom + 2 * kCellLeading;
    case NodeColumn::kind:
      for (FileKind kind : kAllFileKinds)
        widest = std::max(widest, fm.horizontalAdvance(QCoreApplication::translate("FileKind", title(kind))));
      widest = std::max(widest, fm.horizontalAdvance(QStringLiteral("APPIMAGE")));  // a long extension
      return widest + kDotRoom + 2 * kCellLeading;
    case NodeColumn::lastOpened: {
      const double now = 2.0e9;
      for (double days : {0.5, 1.5, 6.0, 20.0, 300.0, 700.0})
        widest =
            std::max(widest, fm.horizontalAdvance(QString::fromStdString(relativeDateText(now - days * 86400, now))));
      return widest + 2 * kCellLeading;
    }
    default: return 0;
  }
}

}  // namespace

// ---- Model --------------------------------------------------------------------------------------

NodeTableModel::NodeTableModel(std::vector<NodeColumnDef> columns, const SafetyContext& safety, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)), safety_(safety) {
  // The widest badge ("Protected") must fit its column.
  const int badge = RiskBadge::sizeFor(Risk::protected_, false).width() + 10;
  for (NodeColumnDef& def : columns_) {
    if (def.column != NodeColumn::risk) continue;
    def.minWidth = std::max(def.minWidth, badge);
    def.idealWidth = std::max(def.idealWidth, badge);
  }
}

void NodeTableModel::resetRows(std::vector<FileNode*> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  rowBySerial_.clear();
  verdicts_.clear();
  endResetModel();
}

FileNode* NodeTableModel::node(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return nullptr;
  return rows_[static_cast<size_t>(row)];
}

int NodeTableModel::rowOf(uint64_t serial) const {
  if (rowBySerial_.empty() && !rows_.empty()) {
    rowBySerial_.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) rowBySerial_.emplace(rows_[i]->serial, static_cast<int>(i));
  }
  auto it = rowBySerial_.find(serial);
  return it == rowBySerial_.end() ? -1 : it->second;
}

void NodeTableModel::setScale(int64_t fractionTotal, int64_t percentTotal) {
  if (fractionTotal == fractionTotal_ && percentTotal == percentTotal_) return;
  fractionTotal_ = fractionTotal;
  percentTotal_ = percentTotal;
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

const SafetyVerdict& NodeTableModel::verdict(int row) const {
  static const SafetyVerdict none;
  const FileNode* n = node(row);
  if (!n) return none;
  auto it = verdicts_.find(n->serial);
  if (it == verdicts_.end()) it = verdicts_.emplace(n->serial, SafetyVerdict::forPath(n->path(), safety_)).first;
  return it->second;
}

int NodeTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int NodeTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString NodeTableModel::text(int row, NodeColumn column) const {
  const FileNode* n = node(row);
  if (!n) return {};
  switch (column) {
    case NodeColumn::name:
    case NodeColumn::nameAndFolder: return QString::fromUtf8(n->name);
    case NodeColumn::size: return bytesText(get(n->size));
    case NodeColumn::percent: return QString::fromStdString(percentText(get(n->size), percentTotal_));
    case NodeColumn::files: return filesText(*n);
    case NodeColumn::category: return bucketTitle(*n);
    case NodeColumn::kind: return kindText(*n);
    case NodeColumn::modified: return shortDateText(get(n->modified));
    case NodeColumn::lastOpened:
      return QString::fromStdString(relativeDateText(std::max(get(n->accessed), get(n->modified))));
    case NodeColumn::risk: return QCoreApplication::translate("Risk", label(verdict(row).risk));
  }
  return {};
}

QVariant NodeTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= columnCount()) return {};
  const FileNode* n = node(index.row());
  if (!n) return {};
  const NodeColumn column = columns_[static_cast<size_t>(index.column())].column;
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return text(index.row(), column);
    case SerialRole: return QVariant::fromValue<qulonglong>(n->serial);
    case Qt::ToolTipRole:
      if (column == NodeColumn::name && get(n->unreadable)) return unreadableHelp();
      if (column == NodeColumn::nameAndFolder) return QString::fromUtf8(foldedPath(n->path()));
      if (column == NodeColumn::risk) return QString::fromStdString(verdict(index.row()).reason);
      return {};
    default: return {};
  }
}

QVariant NodeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  const NodeColumnDef& def = columns_[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole) return def.header;
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::Alignment(
        (def.column == NodeColumn::percent || def.column == NodeColumn::files ? Qt::AlignRight : Qt::AlignLeft) |
        Qt::AlignVCenter));
  return {};
}

// ---- Delegate -----------------------------------------------------------------------------------

NodeTableDelegate::NodeTableDelegate(NodeTableModel* model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model) {}

int NodeTableDelegate::sizeTextWidth() {
  // The widest text a size usually takes ("999.99 GB").
  return SizeCell::textWidthFor(999'990'000'000);
}

void NodeTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  // The row's background (and its selection tint) is drawn by the view before the cell.

  const FileNode* node = model_->node(index.row());
  if (!node || index.column() >= model_->columnCount()) return;
  const NodeColumn column = model_->columns()[static_cast<size_t>(index.column())].column;
  const QPalette& palette = option.palette;
  const QColor primary = Theme::primary(palette);
  const QColor secondary = Theme::secondary(palette);
  const QRect r = option.rect.adjusted(8, 0, -8, 0);

  painter->save();
  switch (column) {
    case NodeColumn::name:
    case NodeColumn::nameAndFolder: {
      const QRect icon(r.left(), r.center().y() - 9, 20, 20);
      FileIcon::paint(painter, icon, iconPath(*node));
      QRect text = r.adjusted(28, 0, 0, 0);
      const bool lock = column == NodeColumn::name && get(node->unreadable);
      if (lock) text.setRight(text.right() - 20);
      const QString name = QString::fromUtf8(node->name);
      if (column == NodeColumn::name) {
        const QFont font = Theme::font(TextStyle::body);
        paintText(painter, text, name, font, primary);
        if (lock) {
          const int used = std::min(QFontMetrics(font).horizontalAdvance(name), text.width());
          const QRectF symbol(text.left() + used + 6, r.center().y() - 6, 12, 12);
          Symbols::paint(painter, symbol, QStringLiteral("lock.fill"), Theme::warning(palette));
        }
      } else {
        const QFont nameFont = Theme::font(TextStyle::body);
        const QFont folderFont = Theme::font(TextStyle::caption);
        const int h1 = QFontMetrics(nameFont).height(), h2 = QFontMetrics(folderFont).height();
        const int top = r.center().y() - (h1 + 1 + h2) / 2;
        paintText(painter, QRect(text.left(), top, text.width(), h1), name, nameFont, primary);
        const QString folder = QString::fromUtf8(displayPath(parentPath(node->path()), model_->safety().places.home));
        paintText(painter, QRect(text.left(), top + h1 + 1, text.width(), h2), folder, folderFont, secondary,
                  Qt::AlignLeft, Qt::ElideMiddle);
      }
      break;
    }
    case NodeColumn::size:
      SizeCell::paint(painter, r, get(node->size), shareOf(get(node->size), model_->fractionTotal()),
                      Theme::colorFor(get(node->bucket)), palette, sizeTextWidth(), option.direction);
      break;
    case NodeColumn::percent:
    case NodeColumn::files:
      // Narrow columns: less room kept at the sides ("<0.1%" must fit in 50).
      paintText(painter, option.rect.adjusted(2, 0, -6, 0), model_->text(index.row(), column),
                Theme::monospacedDigitFont(TextStyle::callout), secondary, Qt::AlignRight);
      break;
    case NodeColumn::category:
    case NodeColumn::kind: {
      const QColor dot =
          column == NodeColumn::category ? Theme::colorFor(get(node->bucket)) : Theme::colorFor(node->kind);
      paintDot(painter, r, dot);
      paintText(painter, r.adjusted(kDotRoom, 0, 0, 0), model_->text(index.row(), column),
                Theme::font(TextStyle::callout), secondary);
      break;
    }
    case NodeColumn::modified:
      paintText(painter, r, model_->text(index.row(), column), Theme::monospacedDigitFont(TextStyle::callout),
                secondary);
      break;
    case NodeColumn::lastOpened:
      paintText(painter, r, model_->text(index.row(), column), Theme::font(TextStyle::callout), secondary);
      break;
    case NodeColumn::risk:
      RiskBadge::paint(painter, option.rect.adjusted(6, 0, -4, 0), model_->verdict(index.row()).risk, false, palette,
                       option.direction);
      break;
  }
  painter->restore();
}

// ---- View ---------------------------------------------------------------------------------------

NodeTable::NodeTable(std::vector<NodeColumnDef> columns, int rowHeight, const SafetyContext& safety, QWidget* parent)
    : PaintedTable(
          {.rowHeight = rowHeight, .focusRing = true, .labelLeading = kCellLeading, .labelTrailing = kCellTrailing},
          parent),
      model_(new NodeTableModel(std::move(columns), safety, this)),
      sortOrder_(defaultSortOrder()) {
  setModel(model_);
  setItemDelegate(new NodeTableDelegate(model_, this));
  QHeaderView* header = horizontalHeader();
  for (size_t i = 0; i < model_->columns().size(); ++i)
    header->resizeSection(static_cast<int>(i), model_->columns()[i].idealWidth);

  connect(header, &QHeaderView::sectionClicked, this, &NodeTable::clickHeader);
  // The header turns its own indicator round on every click; ours is the only order that counts.
  connect(header, &QHeaderView::sortIndicatorChanged, this, [this] { syncIndicator(); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &NodeTable::viewSelectionChanged);
  syncIndicator();
}

void NodeTable::rowDoubleClicked(int row) {
  if (!onPrimary) return;
  const auto nodes = nodesForClick(row);
  if (!nodes.empty()) onPrimary(nodes);
}

void NodeTable::contextMenuAt(int row, const QPoint& globalPos) {
  if (onContextMenu) onContextMenu(nodesForClick(row), globalPos);
}

void NodeTable::setNodes(const std::vector<FileNode*>& nodes, int64_t generation) {
  std::vector<uint64_t> serials;
  serials.reserve(nodes.size());
  for (const FileNode* n : nodes) serials.push_back(n->serial);
  setPreparedNodes(nodes, std::move(serials), generation);
}

void NodeTable::setPreparedNodes(std::vector<FileNode*> nodes, std::vector<uint64_t> serials, int64_t generation) {
  if (hasNodes_ && generation == generation_ && serials == givenSerials_) {
    viewport()->update();
    return;
  }
  const bool sameNodes = hasNodes_ && serials == givenSerials_;
  hasNodes_ = true;
  generation_ = generation;
  given_ = std::make_shared<const std::vector<FileNode*>>(std::move(nodes));
  givenSerials_ = std::move(serials);
  applySort();
  if (!sameNodes) scrollToTop();
}

void NodeTable::setSortOrder(SortOrder order) {
  if (order.empty()) order = defaultSortOrder();
  sortOrder_ = std::move(order);
  indicatorColumn_ = -1;
  applySort();
  syncIndicator();
  emit sortOrderChanged();
}

void NodeTable::clickHeader(int column) {
  if (column < 0 || static_cast<size_t>(column) >= model_->columns().size()) return;
  const auto& key = model_->columns()[static_cast<size_t>(column)].sortKey;
  if (!key) {
    syncIndicator();
    return;
  }
  sortOrder_ = clickedHeader(sortOrder_, *key);
  indicatorColumn_ = column;
  applySort();
  syncIndicator();
  emit sortOrderChanged();
}

void NodeTable::syncIndicator() {
  if (syncingIndicator_ || sortOrder_.empty()) return;
  syncingIndicator_ = true;
  const auto& columns = model_->columns();
  const NodeKey first = sortOrder_.front().key;
  if (indicatorColumn_ < 0 || static_cast<size_t>(indicatorColumn_) >= columns.size() ||
      columns[static_cast<size_t>(indicatorColumn_)].sortKey != first) {
    indicatorColumn_ = -1;
    for (size_t i = 0; i < columns.size(); ++i)
      if (columns[i].sortKey == first) {
        indicatorColumn_ = static_cast<int>(i);
        break;
      }
  }
  horizontalHeader()->setSortIndicator(indicatorColumn_,
                                       sortOrder_.front().ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
  syncingIndicator_ = false;
}

void NodeTable::applySort() {
  const uint64_t ticket = ++sortTicket_;
  auto done = [this, ticket](std::vector<FileNode*> rows) {
    if (ticket == sortTicket_) showSorted(std::move(rows));
  };
  if (sortRunner_) {
    sortRunner_(given_, sortOrder_, std::move(done));
    return;
  }
  std::vector<FileNode*> rows = *given_;
  sortNodes(rows, sortOrder_);
  done(std::move(rows));
}

void NodeTable::showSorted(std::vector<FileNode*> rows) {
  restoring_ = true;
  model_->resetRows(std::move(rows));
  restoring_ = false;
  restoreSelection();
}

void NodeTable::setSelection(std::unordered_set<uint64_t> serials) {
  selection_ = std::move(serials);
  restoreSelection();
  emit nodeSelectionChanged();
}

void NodeTable::clearNodeSelection() { setSelection({}); }

void NodeTable::restrictSelection(const std::vector<FileNode*>& nodes) {
  if (selection_.empty()) return;
  std::vector<uint64_t> serials;
  serials.reserve(nodes.size());
  for (const FileNode* n : nodes) serials.push_back(n->serial);
  restrictSelection(serials);
}

void NodeTable::restrictSelection(const std::vector<uint64_t>& serials) {
  if (selection_.empty()) return;
  std::unordered_set<uint64_t> kept;
  for (uint64_t serial : serials)
    if (selection_.contains(serial)) kept.insert(serial);
  if (kept.size() == selection_.size()) return;
  setSelection(std::move(kept));
}

std::vector<FileNode*> NodeTable::nodesOf(const std::unordered_set<uint64_t>& serials) const {
  std::vector<FileNode*> out;
  if (serials.empty()) return out;
  for (FileNode* n : model_->rows())
    if (serials.contains(n->serial)) out.push_back(n);
  return out;
}

std::vector<FileNode*> NodeTable::nodesForClick(int row) const {
  FileNode* n = model_->node(row);
  if (!n) return {};
  if (selection_.contains(n->serial)) return selectedNodes();
  return {n};
}

void NodeTable::restoreSelection() {
  restoring_ = true;
  if (selection_.empty()) {  // nothing to look for among the rows (a long list has a million)
    selectionModel()->clearSelection();
    restoring_ = false;
    return;
  }
  QItemSelection selection;
  const auto& rows = model_->rows();
  const int last = model_->columnCount() - 1;
  int runStart = -1;
  for (size_t i = 0; i <= rows.size(); ++i) {
    const bool selected = i < rows.size() && selection_.contains(rows[i]->serial);
    if (selected && runStart < 0) runStart = static_cast<int>(i);
    if (!selected && runStart >= 0) {
      selection.select(model_->index(runStart, 0), model_->index(static_cast<int>(i) - 1, std::max(last, 0)));
      runStart = -1;
    }
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!selection.isEmpty() && !currentIndex().isValid())
    selectionModel()->setCurrentIndex(selection.first().topLeft(), QItemSelectionModel::NoUpdate);
  restoring_ = false;
}

void NodeTable::viewSelectionChanged() {
  if (restoring_) return;
  std::unordered_set<uint64_t> serials;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row)
      if (const FileNode* n = model_->node(row)) serials.insert(n->serial);
  selection_ = std::move(serials);
  emit nodeSelectionChanged();
}

void NodeTable::keyPressEvent(QKeyEvent* event) {
  const auto mods = event->modifiers() & ~Qt::KeypadModifier;
  if (event->key() == Qt::Key_Space && mods == Qt::NoModifier) {
    if (onSpace && onSpace()) {
      event->accept();
    } else {
      event->ignore();  // travels on to the window
    }
    return;
  }
  PaintedTable::keyPressEvent(event);
}

bool NodeTable::openSelection() {
  const auto nodes = selectedNodes();
  if (onPrimary && !nodes.empty()) onPrimary(nodes);
  return true;
}

PaintedTable::ColumnWidths NodeTable::columnWidths() const {
  const auto& columns = model_->columns();
  ColumnWidths widths;
  for (size_t i = 0; i < columns.size(); ++i) {
    widths.minimum.push_back(std::max(columns[i].minWidth, contentMinimum(columns[i], horizontalHeader()->font())));
    widths.ideal.push_back(std::max({columns[i].idealWidth, widths.minimum.back(), contentIdeal(columns[i])}));
    if (columns[i].column == NodeColumn::name || columns[i].column == NodeColumn::nameAndFolder) widths.stretch = i;
  }
  return widths;
}

}  // namespace tolvex
