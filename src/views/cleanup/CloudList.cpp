#include "views/cleanup/CloudList.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>
#include <utility>

#include "app/UiText.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/FileIcon.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "views/cleanup/CleanupList.h"
#include "views/cleanup/CleanupPieces.h"

namespace tolvex {
namespace {

QString tr(const char* text) { return QCoreApplication::translate("CloudView", text); }

QString uploadingText() { return tr("Still uploading"); }
QString uploadingHelp() { return tr("Its download can be removed once iCloud has the whole file."); }

void paintText(QPainter* painter, const QRect& rect, const QString& text, const QFont& font, const QColor& color,
               Qt::Alignment alignment = Qt::AlignLeft) {
  painter->setFont(font);
  painter->setPen(color);
  const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, rect.width());
  painter->drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}

// The "Still uploading" capsule, its left edge at `left`; returns its width.
int paintUploadingBadge(QPainter* painter, int left, int centreY, const QPalette& palette) {
  const QFont font = Theme::font(TextStyle::caption2, QFont::Bold);
  const QFontMetrics fm(font);
  const QRect badge(left, centreY - (fm.height() + 2) / 2, fm.horizontalAdvance(uploadingText()) + 12, fm.height() + 2);
  const QColor warning = Theme::warning(palette);
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  QPainterPath capsule;
  capsule.addRoundedRect(QRectF(badge), badge.height() / 2.0, badge.height() / 2.0);
  painter->fillPath(capsule, Theme::withOpacity(warning, 0.15));
  painter->setFont(font);
  painter->setPen(warning);
  painter->drawText(badge, Qt::AlignCenter, uploadingText());
  painter->restore();
  return badge.width();
}

}  // namespace

// ---- Geometry -----------------------------------------------------------------------------------

QRect CloudRowGeometry::chevron(const QRect& row) { return {row.left() + kInset, row.center().y() - 11, 14, 22}; }
QRect CloudRowGeometry::folderCheck(const QRect& row) {
  return {row.left() + kInset + 24, row.center().y() - 7, 16, 16};
}
QRect CloudRowGeometry::itemCheck(const QRect& row) {
  return {row.left() + kInset + kItemIndent, row.center().y() - 7, 16, 16};
}

// ---- Model --------------------------------------------------------------------------------------

CloudListModel::CloudListModel(const StringSet& selected, const StringSet& expanded, QObject* parent)
    : QAbstractListModel(parent), selected_(selected), expanded_(expanded) {}

void CloudListModel::show(const CloudReport* report) {
  std::vector<CloudRow> rows = report ? cloudRows(*report, expanded_) : std::vector<CloudRow>{};
  if (report == report_ && rows == rows_) {
    if (!rows_.empty()) emit dataChanged(index(0), index(rowCount() - 1));
    return;
  }
  beginResetModel();
  report_ = report;
  rows_ = std::move(rows);
  endResetModel();
}

const CloudRow* CloudListModel::row(int index) const {
  if (!report_ || index < 0 || static_cast<size_t>(index) >= rows_.size()) return nullptr;
  // The rows index into the report; one that no longer fits it (replaced, not yet shown) is none.
  const CloudRow& r = rows_[static_cast<size_t>(index)];
  if (r.folder >= report_->folders.size()) return nullptr;
  if (r.kind == CloudRow::Kind::item && r.item >= report_->folders[r.folder].items.size()) return nullptr;
  return &r;
}

const CloudFolder* CloudListModel::folder(int index) const {
  const CloudRow* r = row(index);
  return r ? &report_->folders[r->folder] : nullptr;
}

const CloudItem* CloudListModel::item(int index) const {
  const CloudRow* r = row(index);
  if (!r || r->kind != CloudRow::Kind::item) return nullptr;
  return &report_->folders[r->folder].items[r->item];
}

int CloudListModel::rowOfFolder(const std::string& path) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (const CloudFolder* f = folder(static_cast<int>(i));
        f && rows_[i].kind == CloudRow::Kind::folder && f->path == path)
      return static_cast<int>(i);
  return -1;
}

int CloudListModel::rowOfItem(const std::string& path) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (const CloudItem* it = item(static_cast<int>(i)); it && it->path == path) return static_cast<int>(i);
  return -1;
}

int CloudListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant CloudListModel::data(const QModelIndex& index, int role) const {
  const CloudRow* r = row(index.row());
  if (!r) return {};
  const CloudFolder& f = report_->folders[r->folder];
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
    switch (r->kind) {
      case CloudRow::Kind::folder: return QString::fromUtf8(f.title);
      case CloudRow::Kind::item: return QString::fromUtf8(f.items[r->item].name);
      case CloudRow::Kind::more: return cloudMoreText(r->more);
    }
  }
  // What the folder row's chevron does, for assistive technologies.
  if (role == Qt::AccessibleDescriptionRole && r->kind == CloudRow::Kind::folder)
    return isExpanded(f) ? tr("Collapse") : tr("Expand");
  if (role == Qt::ToolTipRole && r->kind == CloudRow::Kind::item && !f.items[r->item].isUploaded)
    return uploadingHelp();
  return {};
}

// ---- Delegate -----------------------------------------------------------------------------------

CloudDelegate::CloudDelegate(CloudListModel* model, std::function<double(const std::string&, bool)> angle,
                             QObject* parent)
    : QStyledItemDelegate(parent), model_(model), angle_(std::move(angle)) {}

QSize CloudDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
  const CloudRow* r = model_->row(index.row());
  if (!r) return {0, 0};
  switch (r->kind) {
    case CloudRow::Kind::folder: return {400, CloudRowGeometry::kFolderHeight};
    case CloudRow::Kind::item: return {400, CloudRowGeometry::kItemHeight};
    case CloudRow::Kind::more: return {400, CloudRowGeometry::kMoreHeight};
  }
  return {0, 0};
}

void CloudDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const CloudRow* r = model_->row(index.row());
  if (!r) return;
  painter->save();
  switch (r->kind) {
    case CloudRow::Kind::folder: paintFolder(painter, option, *model_->folder(index.row())); break;
    case CloudRow::Kind::item: paintItem(painter, option, *model_->item(index.row())); break;
    case CloudRow::Kind::more: {
      const QRect text = option.rect.adjusted(CloudRowGeometry::kInset + CloudRowGeometry::kItemIndent, 0,
                                              -CloudRowGeometry::kInset, 0);
      paintText(painter, text, cloudMoreText(r->more), Theme::font(TextStyle::caption),
                Theme::secondary(option.palette));
      break;
    }
  }
  painter->restore();
}

void CloudDelegate::paintFolder(QPainter* painter, const QStyleOptionViewItem& option,
                                const CloudFolder& folder) const {
  const QPalette& palette = option.palette;
  const QRect row = option.rect;
  // A faint line above every folder but the first keeps the blocks apart.
  if (row.top() > 0) {
    painter->setPen(Theme::primary(palette, 0.07));
    painter->drawLine(row.left() + CloudRowGeometry::kInset, row.top(), row.right() - CloudRowGeometry::kInset,
                      row.top());
  }
  const bool open = model_->isExpanded(folder);
  const QRect chevron = CloudRowGeometry::chevron(row);
  painter->save();
  painter->translate(QRectF(chevron).center());
  painter->rotate(angle_ ? angle_(folder.path, open) : (open ? 90 : 0));
  Symbols::paint(painter, QRectF(-5, -5, 10, 10), QStringLiteral("chevron.right"), Theme::secondary(palette));
  painter->restore();

  const CloudFolderCheck check = cloudFolderCheck(folder, model_->selected());
  CleanupList::paintCheckBox(painter, CloudRowGeometry::folderCheck(row), check.on, check.faded ? 0.6 : 1.0,
                             option.widget, check.enabled);

  const QRect icon(CloudRowGeometry::folderCheck(row).right() + 11, row.center().y() - 9, 20, 18);
  Symbols::paint(painter, QRectF(icon).adjusted(1, 0, -1, 0),
                 folder.isApp ? QStringLiteral("app.badge.fill") : QStringLiteral("folder.fill"),
                 folder.isApp ? Theme::indigo() : Theme::accent());

  const QRect size(row.right() - CloudRowGeometry::kInset - 90, row.top(), 90, row.height());
  paintText(painter, size, bytesText(folder.localSize), Theme::monospacedDigitFont(TextStyle::body, QFont::DemiBold),
            Theme::primary(palette), Qt::AlignRight);

  const int textLeft = icon.right() + 11;
  const QRect text(textLeft, row.top() + 4, size.left() - 10 - textLeft, row.height() - 8);
  const QFont titleFont = Theme::font(TextStyle::body, QFont::Medium);
  const QFont captionFont = Theme::font(TextStyle::caption);
  const int h1 = QFontMetrics(titleFont).height(), h2 = QFontMetrics(captionFont).height();
  const int top = text.center().y() - (h1 + 2 + h2) / 2;
  paintText(painter, QRect(text.left(), top, text.width(), h1), QString::fromUtf8(folder.title), titleFont,
            Theme::primary(palette));
  paintText(painter, QRect(text.left(), top + h1 + 2, text.width(), h2), cloudFolderCaption(folder), captionFont,
            Theme::secondary(palette));
}

void CloudDelegate::paintItem(QPainter* painter, const QStyleOptionViewItem& option, const CloudItem& item) const {
  const QPalette& palette = option.palette;
  const QRect row = option.rect;
  const QRect check = CloudRowGeometry::itemCheck(row);
  CleanupList::paintCheckBox(painter, check, model_->isSelected(item.path), 1.0, option.widget, item.isUploaded);
  FileIcon::paint(painter, QRect(check.right() + 9, row.center().y() - 8, 16, 16), item.path);

  const QRect size(row.right() - CloudRowGeometry::kInset - 80, row.top(), 80, row.height());
  paintText(painter, size, bytesText(item.size), Theme::monospacedDigitFont(TextStyle::body), Theme::primary(palette),
            Qt::AlignRight);

  const int nameLeft = check.right() + 33;
  int nameRight = size.left() - 10;
  const QFont badgeFont = Theme::font(TextStyle::caption2, QFont::Bold);
  const int badgeWidth = item.isUploaded ? 0 : QFontMetrics(badgeFont).horizontalAdvance(uploadingText()) + 12 + 8;
  nameRight -= badgeWidth;
  const QFont nameFont = Theme::font(TextStyle::body);
  const QString name = QString::fromUtf8(item.name);
  const QRect nameRect(nameLeft, row.top(), std::max(nameRight - nameLeft, 0), row.height());
  paintText(painter, nameRect, name, nameFont, Theme::primary(palette));
  if (!item.isUploaded) {
    const int used = std::min(QFontMetrics(nameFont).horizontalAdvance(name), nameRect.width());
    paintUploadingBadge(painter, nameLeft + used + 8, row.center().y(), palette);
  }
}

// ---- View ---------------------------------------------------------------------------------------

CloudList::CloudList(const StringSet& selected, const StringSet& expanded, QWidget* parent)
    : QListView(parent), model_(new CloudListModel(selected, expanded, this)), overlay_(new ActivitySpinner(32, this)) {
  setModel(model_);
  setItemDelegate(new CloudDelegate(
      model_, [this](const std::string& path, bool open) { return turns_.angle(path, open); }, this));
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFrameShape(QFrame::NoFrame);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setUniformItemSizes(false);
  setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  setAutoFillBackground(false);
  overlay_->hide();
}

void CloudList::setLoading(bool loading) {
  overlay_->setVisible(loading);
  if (loading) {
    placeOverlay();
    overlay_->raise();
  }
}

bool CloudList::isLoadingShown() const { return overlay_->isVisibleTo(this); }

void CloudList::placeOverlay() {
  const QSize s = overlay_->sizeHint();
  overlay_->setGeometry(QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s));
}

void CloudList::resizeEvent(QResizeEvent* event) {
  QListView::resizeEvent(event);
  placeOverlay();
}

QRect CloudList::chevronRect(int row) const {
  const CloudRow* r = model_->row(row);
  if (!r || r->kind != CloudRow::Kind::folder) return {};
  return CloudRowGeometry::chevron(visualRect(model_->index(row)));
}

QRect CloudList::checkRect(int row) const {
  const CloudRow* r = model_->row(row);
  if (!r || r->kind == CloudRow::Kind::more) return {};
  const QRect rect = visualRect(model_->index(row));
  return r->kind == CloudRow::Kind::folder ? CloudRowGeometry::folderCheck(rect) : CloudRowGeometry::itemCheck(rect);
}

std::pair<CloudList::Target, int> CloudList::targetAt(const QPoint& pos) const {
  const QModelIndex index = indexAt(pos);
  if (!index.isValid()) return {Target::none, -1};
  const int row = index.row();
  // A few pixels of slack round the small controls.
  if (chevronRect(row).adjusted(-4, 0, 4, 0).contains(pos)) return {Target::chevron, row};
  if (checkRect(row).adjusted(-4, -4, 4, 4).contains(pos)) return {Target::check, row};
  return {Target::none, row};
}

void CloudList::activate(Target target, int row) {
  if (target == Target::chevron) {
    if (const CloudFolder* f = model_->folder(row)) {
      turns_.turn(f->path, !model_->isExpanded(*f));
      emit disclosureToggled(f->path);
    }
    return;
  }
  if (target != Target::check) return;
  if (const CloudItem* it = model_->item(row)) {
    if (it->isUploaded) emit fileChecked(it->path, !model_->isSelected(it->path));
    return;
  }
  const CloudRow* r = model_->row(row);
  if (r && r->kind == CloudRow::Kind::folder) {
    const CloudFolder& f = *model_->folder(row);
    const CloudFolderCheck check = cloudFolderCheck(f, model_->selected());
    if (check.enabled) emit folderChecked(f, !check.on);
  }
}

void CloudList::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton ? targetAt(event->position().toPoint())
                                               : std::pair<Target, int>{Target::none, -1};
  event->accept();
}

void CloudList::mouseReleaseEvent(QMouseEvent* event) {
  const auto pressed = std::exchange(pressed_, {Target::none, -1});
  event->accept();
  if (pressed.first != Target::none && targetAt(event->position().toPoint()) == pressed)
    activate(pressed.first, pressed.second);
}

void CloudList::mouseDoubleClickEvent(QMouseEvent* event) {
  // A quick second click on a box or chevron is one more click, not a double-click.
  mousePressEvent(event);
}

QMenu* CloudList::menuFor(int row) {
  const CloudItem* it = model_->item(row);
  if (!it) return nullptr;
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("cloudItemMenu"));
  QAction* reveal = menu->addAction(searchSymbolImage(), tr("Show in Finder"));
  connect(reveal, &QAction::triggered, this, [path = it->path] { revealPathInFinder(path); });
  return menu;
}

void CloudList::contextMenuEvent(QContextMenuEvent* event) {
  // Events of the viewport reach the view in viewport coordinates.
  const QModelIndex index = indexAt(event->pos());
  QMenu* menu = index.isValid() ? menuFor(index.row()) : nullptr;
  if (!menu) return;
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

}  // namespace tolvex
