#include "views/cleanup/LaunchItemList.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>
#include <QToolTip>
#include <algorithm>

#include "app/ObjectNames.h"
#include "app/components/FileIcon.h"
#include "app/components/RiskBadge.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "views/cleanup/CleanupPieces.h"

namespace tolvex {

namespace {

constexpr int kPadH = 10;
constexpr int kPadV = 4;
constexpr int kSpacing = 12;
constexpr int kIconSide = 28;
constexpr int kTextSpacing = 2;
constexpr int kBadgeSpacing = 6;
constexpr int kRevealSide = 24;
constexpr int kRevealGlyph = 14;
constexpr int kButtonHeight = 22;
constexpr int kButtonPadH = 12;
constexpr int kCapsulePadH = 6;
constexpr int kCapsulePadV = 1;

QFont nameFont() { return Theme::font(TextStyle::body, QFont::Medium); }
QFont labelFont() { return Theme::font(TextStyle::caption); }
QFont programFont() { return Theme::font(TextStyle::caption2); }
QFont orphanFont() { return Theme::font(TextStyle::caption2, QFont::Bold); }
QFont buttonFont() { return Theme::font(TextStyle::body); }

int capsuleHeight() { return QFontMetrics(orphanFont()).height() + 2 * kCapsulePadV; }
int nameLineHeight() { return std::max(QFontMetrics(nameFont()).height(), capsuleHeight()); }

QString text(const std::string& bytes) { return QString::fromStdString(bytes); }

QSize controlSize(const LaunchItem& item) {
  const LaunchItemControl control = launchItemControl(item);
  if (control == LaunchItemControl::protectedBadge) return RiskBadge::sizeFor(Risk::protected_, false);
  const int textWidth = QFontMetrics(buttonFont()).horizontalAdvance(launchItemControlTitle(control));
  return {textWidth + 2 * kButtonPadH, kButtonHeight};
}

// The remove controls share one column, so the "Show in Finder" buttons line up whatever each row's
// control is.
int controlColumnWidth() {
  const int buttons =
      QFontMetrics(buttonFont()).horizontalAdvance(launchItemControlTitle(LaunchItemControl::removeAsAdministrator)) +
      2 * kButtonPadH;
  return std::max(buttons, RiskBadge::sizeFor(Risk::protected_, false).width());
}

QRect centredIn(const QRect& outer, QSize size, int right) {
  return {right - size.width() + 1, outer.top() + (outer.height() - size.height()) / 2, size.width(), size.height()};
}

}  // namespace

// ---- Model ----------------------------------------------------------------------------------------

void LaunchItemListModel::setItems(std::vector<LaunchItem> items) {
  beginResetModel();
  items_ = std::move(items);
  rows_.clear();
  for (const LoginItemSection& section : loginItemSections(items_)) {
    rows_.push_back({section.scope, 0});
    for (size_t index : section.items) rows_.push_back({std::nullopt, index});
  }
  endResetModel();
}

const LaunchItem* LaunchItemListModel::item(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || rows_[row].header) return nullptr;
  return &items_[rows_[row].item];
}

std::optional<LaunchItem::Scope> LaunchItemListModel::header(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return std::nullopt;
  return rows_[row].header;
}

int LaunchItemListModel::rowOf(const std::string& path) const {
  for (size_t row = 0; row < rows_.size(); ++row)
    if (!rows_[row].header && items_[rows_[row].item].path == path) return static_cast<int>(row);
  return -1;
}

int LaunchItemListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant LaunchItemListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
  if (auto scope = header(index.row())) return launchItemScopeTitle(*scope);
  if (const LaunchItem* shown = item(index.row())) return text(launchItemDisplayName(*shown));
  return {};
}

Qt::ItemFlags LaunchItemListModel::flags(const QModelIndex& index) const {
  if (header(index.row())) return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ---- Delegate -------------------------------------------------------------------------------------

LaunchItemDelegate::LaunchItemDelegate(LaunchItemList* list) : QStyledItemDelegate(list), list_(list) {}

int LaunchItemDelegate::itemRowHeight(const LaunchItem& item) {
  int text = nameLineHeight() + kTextSpacing + QFontMetrics(labelFont()).height();
  if (item.program) text += kTextSpacing + QFontMetrics(programFont()).height();
  return kPadV + std::max(kIconSide, text) + kPadV;
}

LaunchItemRowGeometry LaunchItemDelegate::geometry(const QRect& row, const LaunchItem& item) {
  const QRect inner = row.adjusted(kPadH, kPadV, -kPadH, -kPadV);
  LaunchItemRowGeometry g;
  g.icon = QRect(inner.left(), inner.top() + (inner.height() - kIconSide) / 2, kIconSide, kIconSide);
  g.control = centredIn(inner, controlSize(item), inner.right());
  const int column = inner.right() - controlColumnWidth() + 1;
  g.reveal = centredIn(inner, QSize(kRevealSide, kRevealSide), column - kSpacing - 1);
  g.text =
      QRect(QPoint(g.icon.right() + 1 + kSpacing, inner.top()), QPoint(g.reveal.left() - kSpacing - 1, inner.bottom()));
  return g;
}

QSize LaunchItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const auto* model = list_->itemModel();
  const int width = option.rect.width() > 0 ? option.rect.width() : list_->viewport()->width();
  if (model->header(index.row())) return {width, kHeaderHeight};
  const LaunchItem* item = model->item(index.row());
  return {width, item ? itemRowHeight(*item) : 0};
}

void LaunchItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const auto* model = list_->itemModel();
  if (auto scope = model->header(index.row())) {
    paintHeader(painter, option, *scope);
  } else if (const LaunchItem* item = model->item(index.row())) {
    paintItem(painter, option, index, *item);
  }
}

void LaunchItemDelegate::paintHeader(QPainter* painter, const QStyleOptionViewItem& option,
                                     LaunchItem::Scope scope) const {
  painter->save();
  painter->setFont(Theme::font(TextStyle::subheadline, QFont::Bold));
  painter->setPen(Theme::secondary(option.palette));
  const QRect line = option.rect.adjusted(kPadH, 8, -kPadH, -2);
  painter->drawText(line, Qt::AlignLeft | Qt::AlignBottom, launchItemScopeTitle(scope));
  painter->restore();
}

void LaunchItemDelegate::paintItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                                   const LaunchItem& item) const {
  const QPalette& palette = option.palette;
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);

  // Alternate rows of a section are tinted, counting from the first row under its header.
  int position = 0;
  for (int row = index.row() - 1; row >= 0 && !list_->itemModel()->header(row); --row) ++position;
  QPainterPath shape;
  shape.addRoundedRect(QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
  if (option.state & QStyle::State_Selected)
    painter->fillPath(shape, Theme::withOpacity(Theme::indigo(), Theme::isDark(palette) ? 0.38 : 0.2));
  else if (position % 2 == 1)
    painter->fillPath(shape, Theme::primary(palette, 0.04));

  const LaunchItemRowGeometry g = geometry(option.rect, item);
  if (item.ownerPath) {
    FileIcon::paint(painter, g.icon, *item.ownerPath);
  } else {
    const int side = Theme::pixelSize(TextStyle::title2);
    const QRectF symbol(g.icon.center().x() - side / 2.0 + 0.5, g.icon.center().y() - side / 2.0 + 0.5, side, side);
    Symbols::paint(painter, symbol, QStringLiteral("gearshape.fill"), Theme::secondary(palette));
  }

  const int textTop = g.text.top() + (g.text.height() - (itemRowHeight(item) - 2 * kPadV)) / 2;
  QRect line(g.text.left(), textTop, g.text.width(), nameLineHeight());
  paintNameLine(painter, line, item, palette);

  const QFontMetrics labelMetrics(labelFont());
  line = QRect(g.text.left(), line.bottom() + 1 + kTextSpacing, g.text.width(), labelMetrics.height());
  painter->setFont(labelFont());
  painter->setPen(Theme::secondary(palette));
  painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                    labelMetrics.elidedText(text(item.label), Qt::ElideRight, line.width()));

  if (item.program) {
    const QFontMetrics programMetrics(programFont());
    line = QRect(g.text.left(), line.bottom() + 1 + kTextSpacing, g.text.width(), programMetrics.height());
    painter->setFont(programFont());
    painter->setPen(Theme::tertiary(palette));
    painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                      programMetrics.elidedText(text(*item.program), Qt::ElideMiddle, line.width()));
  }

  // "Show in Finder": a borderless symbol button, tinted while the pointer is on it.
  const auto hovered = list_->hovered();
  if (hovered.first == index.row() && hovered.second == LaunchItemPart::reveal) {
    QPainterPath back;
    back.addRoundedRect(QRectF(g.reveal), 5, 5);
    painter->fillPath(back, Theme::primary(palette, list_->pressed() == hovered ? 0.16 : 0.08));
  }
  const QRect glyph(g.reveal.center() - QPoint(kRevealGlyph / 2, kRevealGlyph / 2), QSize(kRevealGlyph, kRevealGlyph));
  searchSymbolImage(kRevealGlyph).paint(painter, glyph);

  paintControl(painter, g.control, item, index.row(), option);
  painter->restore();
}

void LaunchItemDelegate::paintNameLine(QPainter* painter, const QRect& line, const LaunchItem& item,
                                       const QPalette& palette) const {
  const QFontMetrics nameMetrics(nameFont());
  const std::vector<LaunchItemBadge> badges = launchItemBadges(item);
  // The badges keep their room; the name gives way first.
  int badgesWidth = 0;
  for (LaunchItemBadge badge : badges) {
    const bool capsule = badge == LaunchItemBadge::appRemoved;
    const QFontMetrics fm(capsule ? orphanFont() : programFont());
    badgesWidth += kBadgeSpacing + fm.horizontalAdvance(badgeText(badge)) + (capsule ? 2 * kCapsulePadH : 0);
  }
  const QString name = nameMetrics.elidedText(text(launchItemDisplayName(item)), Qt::ElideRight,
                                              std::max(line.width() - badgesWidth, 40));
  painter->setFont(nameFont());
  painter->setPen(Theme::primary(palette));
  painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, name);

  int x = line.left() + nameMetrics.horizontalAdvance(name);
  for (LaunchItemBadge badge : badges) {
    x += kBadgeSpacing;
    const QString caption = badgeText(badge);
    if (badge == LaunchItemBadge::appRemoved) {
      const QFontMetrics fm(orphanFont());
      const QRect capsule(x, line.top() + (line.height() - capsuleHeight()) / 2,
                          fm.horizontalAdvance(caption) + 2 * kCapsulePadH, capsuleHeight());
      const QColor warning = Theme::warning(palette);
      QPainterPath path;
      path.addRoundedRect(QRectF(capsule), capsule.height() / 2.0, capsule.height() / 2.0);
      painter->fillPath(path, Theme::withOpacity(warning, 0.15));
      painter->setFont(orphanFont());
      painter->setPen(warning);
      painter->drawText(capsule, Qt::AlignCenter, caption);
      x = capsule.right() + 1;
    } else {
      const QFontMetrics fm(programFont());
      painter->setFont(programFont());
      painter->setPen(Theme::secondary(palette));
      const QRect box(x, line.top(), fm.horizontalAdvance(caption), line.height());
      painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter, caption);
      x = box.right() + 1;
    }
  }
}

void LaunchItemDelegate::paintControl(QPainter* painter, const QRect& rect, const LaunchItem& item, int row,
                                      const QStyleOptionViewItem& option) const {
  const LaunchItemControl control = launchItemControl(item);
  if (control == LaunchItemControl::protectedBadge) {
    RiskBadge::paint(painter, rect, Risk::protected_, false, option.palette);
    return;
  }
  QStyleOptionButton button;
  button.rect = rect;
  button.text = launchItemControlTitle(control);
  button.palette = option.palette;
  button.state = QStyle::State_Enabled | QStyle::State_Raised;
  const std::pair<int, LaunchItemPart> self{row, LaunchItemPart::control};
  if (list_->hovered() == self) button.state |= QStyle::State_MouseOver;
  if (list_->pressed() == self && list_->hovered() == self) {
    button.state.setFlag(QStyle::State_Raised, false);
    button.state |= QStyle::State_Sunken;
  }
  painter->setFont(buttonFont());
  list_->style()->drawControl(QStyle::CE_PushButton, &button, painter, list_);
}

// ---- View -----------------------------------------------------------------------------------------

LaunchItemList::LaunchItemList(QWidget* parent) : QListView(parent), model_(new LaunchItemListModel(this)) {
  setObjectName(QLatin1String(names::loginItemsList));
  setModel(model_);
  setItemDelegate(new LaunchItemDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(false);
  setResizeMode(QListView::Adjust);  // rows follow the width of the viewport
  setMouseTracking(true);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  viewport()->setAutoFillBackground(false);
  setAutoFillBackground(false);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &LaunchItemList::viewSelectionChanged);
}

void LaunchItemList::setItems(std::vector<LaunchItem> items) {
  pressed_ = hovered_ = {-1, LaunchItemPart::none};
  model_->setItems(std::move(items));
  restoreSelection();
}

void LaunchItemList::selectPath(const std::optional<std::string>& path) {
  selectedPath_ = path;
  restoreSelection();
  emit selectedPathChanged();
}

void LaunchItemList::restoreSelection() {
  restoring_ = true;
  const int row = selectedPath_ ? model_->rowOf(*selectedPath_) : -1;
  if (row >= 0)
    selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
  else
    selectionModel()->clearSelection();
  restoring_ = false;
}

void LaunchItemList::viewSelectionChanged() {
  if (restoring_) return;
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  const LaunchItem* item = selected.isEmpty() ? nullptr : model_->item(selected.front().row());
  std::optional<std::string> path = item ? std::optional(item->path) : std::nullopt;
  if (path == selectedPath_) return;
  selectedPath_ = std::move(path);
  emit selectedPathChanged();
}

QRect LaunchItemList::partRect(int row, LaunchItemPart part) const {
  const LaunchItem* item = model_->item(row);
  if (!item || part == LaunchItemPart::none) return {};
  const LaunchItemRowGeometry g = LaunchItemDelegate::geometry(visualRect(model_->index(row)), *item);
  return part == LaunchItemPart::reveal ? g.reveal : g.control;
}

std::pair<int, LaunchItemPart> LaunchItemList::partAt(const QPoint& point) const {
  const int row = indexAt(point).row();
  if (!model_->item(row)) return {-1, LaunchItemPart::none};
  if (partRect(row, LaunchItemPart::reveal).contains(point)) return {row, LaunchItemPart::reveal};
  if (partRect(row, LaunchItemPart::control).contains(point)) return {row, LaunchItemPart::control};
  return {row, LaunchItemPart::none};
}

void LaunchItemList::setHovered(std::pair<int, LaunchItemPart> hovered) {
  if (hovered.second == LaunchItemPart::none) hovered.first = -1;
  if (hovered == hovered_) return;
  hovered_ = hovered;
  viewport()->update();
}

void LaunchItemList::mousePressEvent(QMouseEvent* event) {
  const auto hit = partAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && hit.second != LaunchItemPart::none) {
    pressed_ = hit;
    setHovered(hit);
    viewport()->update();
    event->accept();
    return;
  }
  QListView::mousePressEvent(event);
}

void LaunchItemList::mouseMoveEvent(QMouseEvent* event) {
  setHovered(partAt(event->position().toPoint()));
  if (pressed_.second != LaunchItemPart::none) {
    event->accept();
    return;
  }
  QListView::mouseMoveEvent(event);
}

void LaunchItemList::mouseReleaseEvent(QMouseEvent* event) {
  if (pressed_.second == LaunchItemPart::none) {
    QListView::mouseReleaseEvent(event);
    return;
  }
  const auto pressed = pressed_;
  pressed_ = {-1, LaunchItemPart::none};
  viewport()->update();
  event->accept();
  if (event->button() == Qt::LeftButton && partAt(event->position().toPoint()) == pressed)
    activate(pressed.first, pressed.second);
}

void LaunchItemList::leaveEvent(QEvent* event) {
  setHovered({-1, LaunchItemPart::none});
  QListView::leaveEvent(event);
}

bool LaunchItemList::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (partAt(help->pos()).second == LaunchItemPart::reveal) {
      QToolTip::showText(help->globalPos(), tr("Show in Finder"), viewport());
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QListView::viewportEvent(event);
}

void LaunchItemList::activate(int row, LaunchItemPart part) {
  const LaunchItem* item = model_->item(row);
  if (!item) return;
  if (part == LaunchItemPart::reveal) {
    emit revealRequested(item->path);
  } else if (part == LaunchItemPart::control && launchItemControl(*item) != LaunchItemControl::protectedBadge) {
    const LaunchItem chosen = *item;  // the list may be reloaded by the time the removal ends
    emit removeRequested(chosen);
  }
}

void LaunchItemList::keyPressEvent(QKeyEvent* event) {
  // The label is the one text of a row worth copying (to look the job up elsewhere).
  if (event->matches(QKeySequence::Copy) && selectedPath_) {
    if (const LaunchItem* item = model_->item(model_->rowOf(*selectedPath_))) {
      QApplication::clipboard()->setText(text(item->label));
      event->accept();
      return;
    }
  }
  QListView::keyPressEvent(event);
}

void LaunchItemList::contextMenuEvent(QContextMenuEvent* event) {
  // The row's buttons from the keyboard or a right-click.
  int row = indexAt(event->pos()).row();  // the event comes through the viewport, in its coordinates
  if (event->reason() == QContextMenuEvent::Keyboard) row = selectedPath_ ? model_->rowOf(*selectedPath_) : -1;
  const LaunchItem* item = model_->item(row);
  if (!item) return;
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->setObjectName(QLatin1String(names::loginItemsMenu));
  // The list may be reloaded while the menu is open: the actions find their item again by path.
  const std::string path = item->path;
  connect(menu->addAction(tr("Show in Finder")), &QAction::triggered, this,
          [this, path] { activate(model_->rowOf(path), LaunchItemPart::reveal); });
  const QString label = text(item->label);
  connect(menu->addAction(tr("Copy Label")), &QAction::triggered, this,
          [label] { QApplication::clipboard()->setText(label); });
  const LaunchItemControl control = launchItemControl(*item);
  if (control != LaunchItemControl::protectedBadge) {
    menu->addSeparator();
    connect(menu->addAction(launchItemControlTitle(control)), &QAction::triggered, this,
            [this, path] { activate(model_->rowOf(path), LaunchItemPart::control); });
  }
  menu->popup(event->globalPos());
}

}  // namespace tolvex
