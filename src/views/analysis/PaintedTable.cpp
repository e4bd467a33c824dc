#include "views/analysis/PaintedTable.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <algorithm>

#include "app/components/FocusRing.h"
#include "app/components/SelectionTint.h"
#include "app/theme/Theme.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {
namespace {

// Header labels sit where the cells' text does, so a right-aligned header ("Files") keeps clear of
// the left-aligned one after it ("Category").
class HeaderStyle : public QProxyStyle {
 public:
  HeaderStyle(std::optional<int> leading, std::optional<int> trailing) : leading_(leading), trailing_(trailing) {}

  QRect subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const override {
    QRect r = QProxyStyle::subElementRect(element, option, widget);
    if (element == SE_HeaderLabel) {
      if (leading_) r.setLeft(std::max(r.left(), option->rect.left() + *leading_));
      if (trailing_) r.setRight(std::min(r.right(), option->rect.right() - *trailing_));
    }
    return r;
  }

 private:
  std::optional<int> leading_;
  std::optional<int> trailing_;
};

}  // namespace

PaintedTable::PaintedTable(const Options& options, QWidget* parent) : QTableView(parent), options_(options) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(options.multipleSelection ? QAbstractItemView::ExtendedSelection
                                             : QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  setFrameShape(QFrame::NoFrame);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  if (options.contextMenu) setContextMenuPolicy(Qt::CustomContextMenu);
  // Tab leaves the table for the next control; the arrows move within it.
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(options.rowHeight);
  verticalHeader()->setMinimumSectionSize(options.rowHeight);
  setUpHeader();

  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) rowDoubleClicked(index.row());
  });
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    const QModelIndex index = indexAt(pos);
    contextMenuAt(index.isValid() ? index.row() : -1, viewport()->mapToGlobal(pos));
  });
  applySelectionTint(this);
}

void PaintedTable::setUpHeader() {
  QHeaderView* header = horizontalHeader();
  header->setSectionsClickable(options_.sortableHeader);
  if (options_.sortableHeader) header->setSortIndicatorShown(true);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setMinimumSectionSize(40);
  header->setFont(Theme::font(TextStyle::callout));
  if (options_.labelLeading || options_.labelTrailing) {
    auto* style = new HeaderStyle(options_.labelLeading, options_.labelTrailing);
    style->setParent(header);
    header->setStyle(style);
  }
  header->setSectionResizeMode(QHeaderView::Interactive);
}

void PaintedTable::setColumnWidths(const std::vector<int>& widths) {
  for (size_t i = 0; i < widths.size(); ++i) horizontalHeader()->resizeSection(static_cast<int>(i), widths[i]);
}

void PaintedTable::fitColumns() {
  const ColumnWidths widths = columnWidths();
  setColumnWidths(tolvex::fitColumns(viewport()->width(), widths.minimum, widths.ideal, widths.stretch));
}

void PaintedTable::keyPressEvent(QKeyEvent* event) {
  const auto mods = event->modifiers() & ~Qt::KeypadModifier;
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && mods == Qt::NoModifier && openSelection()) {
    event->accept();
    return;
  }
  movedByKeys_ = true;
  QTableView::keyPressEvent(event);
  if (options_.focusRing) viewport()->update();
}

QModelIndex PaintedTable::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  // With Control the table's own Home and End move between the first and the last row: the
  // selection still follows the key's real modifiers (Shift extends it), which the view reads itself.
  if (action == MoveHome || action == MoveEnd) return QTableView::moveCursor(action, modifiers | Qt::ControlModifier);
  return QTableView::moveCursor(action, modifiers);
}

void PaintedTable::mousePressEvent(QMouseEvent* event) {
  movedByKeys_ = false;
  // A right-click leaves the selection as it is: the menu acts on the selection when the row is in
  // it and on the clicked row alone otherwise.
  if (options_.contextMenu && event->button() == Qt::RightButton) {
    setFocus(Qt::MouseFocusReason);
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
}

void PaintedTable::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  // Where the keys act: a ring round the current row while the table has the keyboard.
  const QModelIndex current = currentIndex();
  if (!options_.focusRing || !current.isValid() || !hasFocus() || !(movedByKeys_ || showsFocusRing(this))) return;
  const QRect cell = visualRect(current);
  const QRect row(0, cell.top(), viewport()->width(), cell.height());
  if (!row.intersects(event->rect())) return;
  QPainter painter(viewport());
  paintFocusRing(&painter, QRectF(row).adjusted(1, 0, -1, 0), 5, palette());
}

void PaintedTable::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  if (options_.focusRing) viewport()->update();  // the ring spans the whole row
}

void PaintedTable::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  if (options_.focusRing) viewport()->update();
}

void PaintedTable::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  fitColumns();
}

void PaintedTable::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::ApplicationPaletteChange) applySelectionTint(this);
}

}  // namespace tolvex
