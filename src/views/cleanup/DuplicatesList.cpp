#include "views/cleanup/DuplicatesList.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <memory>

#include "app/ObjectNames.h"
#include "app/components/FileIcon.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "views/analysis/logic/NodeLists.h"
#include "views/cleanup/RevealNodeInFinder.h"

namespace tolvex {

namespace {

constexpr int kHeaderHeight = 34;
constexpr int kFileHeight = 42;
constexpr int kSpacing = 8;
constexpr int kIconSize = 18;
constexpr int kDateWidth = 84;

QString tr(const char* text) { return QCoreApplication::translate("DuplicatesView", text); }

QString sharesSpaceText() { return tr("Shares space"); }
QString sharesSpaceHelp() {
  return tr("This copy is stored only once on disk together with another one, so it takes no extra space.");
}

QRect contentRect(const QRect& rect) { return rect.adjusted(CleanupList::kInset, 0, -CleanupList::kInset, 0); }

void paintText(QPainter* painter, const QRect& rect, const QString& text, const QFont& font, const QColor& color,
               Qt::Alignment alignment = Qt::AlignLeft, Qt::TextElideMode elide = Qt::ElideRight) {
  painter->setFont(font);
  painter->setPen(color);
  painter->drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter) | Qt::TextSingleLine,
                    QFontMetrics(font).elidedText(text, elide, std::max(rect.width(), 0)));
}

QFont captionFont() { return Theme::font(TextStyle::caption); }

// The badge's symbol and text, with the room between them.
int badgeWidth() {
  const QFontMetrics fm(captionFont());
  return fm.height() + 3 + CleanupList::textWidth(captionFont(), sharesSpaceText());
}

}  // namespace

// ---- Model --------------------------------------------------------------------------------------

DuplicatesListModel::DuplicatesListModel(const std::vector<DuplicateGroup>& groups, const SerialSet& selected,
                                         std::string home, QObject* parent)
    : QAbstractListModel(parent), groups_(groups), selected_(selected), home_(std::move(home)) {
  rebuild();
}

void DuplicatesListModel::rebuild() {
  std::vector<DuplicateRow> rows = duplicateRows(groups_);
  if (rows == rows_) {
    // The same shape; the files behind the rows may still differ (a new search, a sharing).
    selectionChanged();
    return;
  }
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

void DuplicatesListModel::selectionChanged() {
  if (!rows_.empty()) emit dataChanged(index(0), index(rowCount() - 1));
}

const DuplicateRow* DuplicatesListModel::row(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= rows_.size()) return nullptr;
  return &rows_[static_cast<size_t>(index)];
}

const DuplicateGroup* DuplicatesListModel::group(const DuplicateRow& row) const {
  return row.group < groups_.size() ? &groups_[row.group] : nullptr;
}

FileNode* DuplicatesListModel::file(const DuplicateRow& row) const {
  const DuplicateGroup* g = group(row);
  if (!g || row.header || row.file >= g->files.size()) return nullptr;
  return g->files[row.file];
}

int DuplicatesListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

Qt::ItemFlags DuplicatesListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QVariant DuplicatesListModel::data(const QModelIndex& index, int role) const {
  const DuplicateRow* r = row(index.row());
  const DuplicateGroup* g = r ? group(*r) : nullptr;
  if (!g) return {};
  if (role == IsHeaderRole) return r->header;
  if (r->header) {
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return duplicateGroupCaption(*g);
    return {};
  }
  const FileNode* f = file(*r);
  if (!f) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return QString::fromUtf8(f->name.data(), static_cast<qsizetype>(f->name.size()));
    case CheckedRole: return selected_.contains(f->serial);
    case FolderRole: return QString::fromUtf8(displayPath(f->path(), home_));
    case PathRole: return QString::fromUtf8(f->path());
    case DateTextRole: return shortDateText(get(f->modified));
    case IsOriginalRole: return r->file == 0;
    case SharesSpaceRole: return g->shared.contains(f);
    case StripeRole: return r->file % 2 == 1;
    case SerialRole: return QVariant::fromValue<qulonglong>(f->serial);
    default: return {};
  }
}

// ---- Delegate -----------------------------------------------------------------------------------

QSize DuplicatesListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (!index.data(DuplicatesListModel::IsHeaderRole).toBool()) return {option.rect.width(), kFileHeight};
  return {option.rect.width(), index.row() == 0 ? kHeaderHeight - 8 : kHeaderHeight};
}

QRect DuplicatesListDelegate::checkRect(const QRect& rect) {
  const QRect c = contentRect(rect);
  return CleanupList::checkBoxRect(c, c.left() + 8);
}

QRect DuplicatesListDelegate::badgeRect(const QRect& rect, const QModelIndex& index) {
  if (!index.data(DuplicatesListModel::SharesSpaceRole).toBool()) return {};
  const QRect c = contentRect(rect).adjusted(0, 0, -8, 0);
  int right = c.right() - kDateWidth - kSpacing;
  if (index.data(DuplicatesListModel::IsOriginalRole).toBool())
    right -= CleanupList::textWidth(captionFont(), tr("Suggested original")) + kSpacing;
  const int width = badgeWidth();
  return {right - width + 1, c.top(), width, c.height()};
}

bool DuplicatesListDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) {
  if (event->type() == QEvent::ToolTip && badgeRect(option.rect, index).contains(event->pos())) {
    QToolTip::showText(event->globalPos(), sharesSpaceHelp(), view);
    return true;
  }
  return QStyledItemDelegate::helpEvent(event, view, option, index);
}

void DuplicatesListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  if (index.data(DuplicatesListModel::IsHeaderRole).toBool()) {
    const QRect c = contentRect(option.rect).adjusted(8, index.row() == 0 ? 0 : 8, 0, 0);
    paintText(painter, c, index.data().toString(), Theme::font(TextStyle::subheadline, QFont::DemiBold),
              Theme::secondary(option.palette));
  } else {
    paintFile(painter, option, index);
  }
  painter->restore();
}

void DuplicatesListDelegate::paintFile(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
  const QPalette& palette = option.palette;
  const QRect row = contentRect(option.rect);
  // Alternating backgrounds within a group; the hovered row a shade darker.
  QColor fill = index.data(DuplicatesListModel::StripeRole).toBool() ? Theme::primary(palette, 0.035) : QColor();
  if (option.state & QStyle::State_MouseOver) fill = Theme::primary(palette, 0.07);
  if (fill.isValid()) {
    QPainterPath background;
    background.addRoundedRect(QRectF(row), 6, 6);
    painter->fillPath(background, fill);
  }
  const QRect c = row.adjusted(8, 0, -8, 0);
  const QRect box = checkRect(option.rect);
  CleanupList::paintCheckBox(painter, box, index.data(DuplicatesListModel::CheckedRole).toBool(), 1.0, option.widget);
  const QRect icon(box.right() + 1 + kSpacing, c.center().y() - kIconSize / 2, kIconSize, kIconSize);
  FileIcon::paint(painter, icon, index.data(DuplicatesListModel::PathRole).toString().toUtf8().toStdString());

  // Trailing, right to left: the date, "Suggested original", "Shares space".
  const QFont caption = captionFont();
  const QFontMetrics fm(caption);
  QRect date(c.right() - kDateWidth + 1, c.top(), kDateWidth, c.height());
  paintText(painter, date, index.data(DuplicatesListModel::DateTextRole).toString(), caption, Theme::secondary(palette),
            Qt::AlignRight);
  int right = date.left() - kSpacing;
  if (index.data(DuplicatesListModel::IsOriginalRole).toBool()) {
    const QString original = tr("Suggested original");
    const int width = CleanupList::textWidth(caption, original);
    paintText(painter, QRect(right - width + 1, c.top(), width, c.height()), original, caption,
              Theme::success(palette));
    right -= width + kSpacing;
  }
  const QRect badge = badgeRect(option.rect, index);
  if (!badge.isNull()) {
    const QColor accent = Theme::accent();
    const int symbol = fm.height();
    Symbols::paint(painter, QRectF(badge.left(), badge.center().y() - symbol / 2.0 + 1, symbol, symbol),
                   QStringLiteral("link"), accent);
    paintText(painter, badge.adjusted(symbol + 3, 0, 0, 0), sharesSpaceText(), caption, accent);
    right = badge.left() - kSpacing;
  }

  // The name over its path.
  const int left = icon.right() + 1 + kSpacing;
  const int width = std::max(0, right - left);
  const QFont nameFont = Theme::font(TextStyle::body);
  const int h1 = QFontMetrics(nameFont).height(), h2 = fm.height();
  const int top = c.center().y() - (h1 + 1 + h2) / 2;
  paintText(painter, QRect(left, top, width, h1), index.data().toString(), nameFont, Theme::primary(palette));
  // A little more height than the line, so an underscore under the baseline is not cut off.
  paintText(painter, QRect(left, top + h1 + 1, width, h2 + 3), index.data(DuplicatesListModel::FolderRole).toString(),
            caption, Theme::secondary(palette), Qt::AlignLeft, Qt::ElideMiddle);
}

// ---- View ---------------------------------------------------------------------------------------

DuplicatesList::DuplicatesList(const std::vector<DuplicateGroup>& groups, const SerialSet& selected, std::string home,
                               QWidget* parent)
    : CleanupList(parent), model_(new DuplicatesListModel(groups, selected, std::move(home), this)) {
  setObjectName(QLatin1String(names::duplicatesList));
  setModel(model_);
  setItemDelegate(new DuplicatesListDelegate(this));
  connect(this, &QWidget::customContextMenuRequested, this, &DuplicatesList::showMenu);
}

bool DuplicatesList::onCheck(const QModelIndex& index, const QPoint& point) const {
  const DuplicateRow* row = model_->row(index.row());
  return row && !row->header &&
         DuplicatesListDelegate::checkRect(visualRect(index)).adjusted(-4, -4, 4, 4).contains(point);
}

void DuplicatesList::clickAt(const QPoint& point) {
  const QModelIndex index = indexAt(point);
  const DuplicateRow* row = model_->row(index.row());
  const FileNode* file = row ? model_->file(*row) : nullptr;
  if (file && onCheck(index, point)) emit fileCheckClicked(file->serial);
}

void DuplicatesList::mousePressEvent(QMouseEvent* event) {
  CleanupList::mousePressEvent(event);
  const QPoint point = event->position().toPoint();
  const QModelIndex index = indexAt(point);
  pressed_ = onCheck(index, point) ? QPersistentModelIndex(index) : QPersistentModelIndex();
}

void DuplicatesList::mouseReleaseEvent(QMouseEvent* event) {
  CleanupList::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  const QModelIndex index = indexAt(point);
  const bool same = pressed_.isValid() && index == pressed_ && onCheck(index, point);
  pressed_ = QPersistentModelIndex();
  if (same) clickAt(point);
}

void DuplicatesList::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void DuplicatesList::keyPressEvent(QKeyEvent* event) {
  const DuplicateRow* row = model_->row(currentIndex().row());
  const FileNode* file = row ? model_->file(*row) : nullptr;
  if (file && event->key() == Qt::Key_Space) {
    emit fileCheckClicked(file->serial);
    return;
  }
  CleanupList::keyPressEvent(event);
}

void DuplicatesList::showMenu(const QPoint& pos) {
  const DuplicateRow* row = model_->row(indexAt(pos).row());
  const FileNode* file = row ? model_->file(*row) : nullptr;
  if (!file) return;
  auto* menu = new QMenu(this);
  menu->setObjectName(QLatin1String(names::duplicatesFileMenu));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  // The group keeps its tree alive while the menu is open; the node is looked up again by serial
  // when the entry is chosen, so a file that has left the groups meanwhile is not revealed.
  const uint64_t serial = file->serial;
  QAction* reveal = menu->addAction(tr("Show in Finder"));
  reveal->setObjectName(QLatin1String(names::duplicatesMenuReveal));
  connect(reveal, &QAction::triggered, this, [this, serial] {
    for (const DuplicateRow& r : model_->rows())
      if (const FileNode* f = model_->file(r); f && f->serial == serial) return revealNodeInFinder(*f);
  });
  menu->popup(viewport()->mapToGlobal(pos));
}

}  // namespace tolvex
