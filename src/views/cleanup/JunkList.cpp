#include "views/cleanup/JunkList.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>

#include "app/ObjectNames.h"
#include "app/components/FileIcon.h"
#include "app/components/RiskBadge.h"
#include "app/theme/Anim.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "platform/Paths.h"
#include "views/analysis/logic/NodeLists.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/logic/ReviewGroups.h"

namespace tolvex {

namespace {

constexpr int kSectionHeight = 38;
constexpr int kRuleHeight = 50;
constexpr int kItemHeight = 28;
constexpr int kMoreHeight = 24;
constexpr int kItemLeading = 48;  // items and the "more" line sit under the rule's check box
constexpr int kSpacing = 10;      // between the parts of a rule row
constexpr int kItemSpacing = 8;   // between the parts of an item row
constexpr int kTotalWidth = 90;
constexpr int kSizeWidth = 80;
constexpr int kIconSize = 16;

QRect contentRect(const QRect& rect) { return rect.adjusted(CleanupList::kInset, 0, -CleanupList::kInset, 0); }

void paintText(QPainter* painter, const QRect& rect, const QString& text, const QFont& font, const QColor& color,
               Qt::Alignment alignment = Qt::AlignLeft, Qt::TextElideMode elide = Qt::ElideRight) {
  painter->setFont(font);
  painter->setPen(color);
  painter->drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter) | Qt::TextSingleLine,
                    QFontMetrics(font).elidedText(text, elide, std::max(rect.width(), 0)));
}

// A folder asks for its icon with a trailing "/", so a folder named like a file ("com.app.Cache")
// still gets the folder icon.
std::string iconPath(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return path + "/";
  return path;
}

JunkRow::Kind kindOf(const QModelIndex& index) {
  return static_cast<JunkRow::Kind>(index.data(JunkListModel::KindRole).toInt());
}

}  // namespace

// ---- Model --------------------------------------------------------------------------------------

JunkListModel::JunkListModel(const std::vector<JunkFinding>& junk, const StringSet& selected, const StringSet& expanded,
                             QObject* parent)
    : QAbstractListModel(parent), junk_(junk), selected_(selected), expanded_(expanded) {
  rebuild();
}

void JunkListModel::rebuild() {
  ruleIds_.clear();
  for (const JunkFinding& finding : junk_) ruleIds_.push_back(junkItemIds(finding));
  updateChecks();
  std::vector<JunkRow> rows = junkRows(junk_, expanded_);
  // The rows before and after the first difference stay; only what lies between is replaced.
  size_t head = 0;
  while (head < rows.size() && head < rows_.size() && rows[head] == rows_[head]) ++head;
  size_t tail = 0;
  while (tail < rows.size() - head && tail < rows_.size() - head &&
         rows[rows.size() - 1 - tail] == rows_[rows_.size() - 1 - tail])
    ++tail;
  const size_t oldMiddle = rows_.size() - head - tail, newMiddle = rows.size() - head - tail;
  if (oldMiddle == 0 && newMiddle > 0) {
    beginInsertRows({}, static_cast<int>(head), static_cast<int>(head + newMiddle - 1));
    rows_ = std::move(rows);
    endInsertRows();
  } else if (newMiddle == 0 && oldMiddle > 0) {
    beginRemoveRows({}, static_cast<int>(head), static_cast<int>(head + oldMiddle - 1));
    rows_ = std::move(rows);
    endRemoveRows();
  } else if (oldMiddle > 0 || newMiddle > 0) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
    return;
  }
  // The findings behind unchanged rows may have changed (a new search, a deletion).
  if (!rows_.empty()) emit dataChanged(index(0), index(rowCount() - 1));
}

void JunkListModel::selectionChanged() {
  updateChecks();
  if (!rows_.empty()) emit dataChanged(index(0), index(rowCount() - 1));
}

void JunkListModel::updateChecks() {
  checks_.clear();
  for (const StringSet& ids : ruleIds_) checks_.push_back(junkRuleCheck(selected_, ids));
}

const JunkRow* JunkListModel::row(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= rows_.size()) return nullptr;
  return &rows_[static_cast<size_t>(index)];
}

const JunkFinding* JunkListModel::finding(const JunkRow& row) const {
  if (row.kind == JunkRow::Kind::section || row.finding >= junk_.size()) return nullptr;
  return &junk_[row.finding];
}

const JunkItem* JunkListModel::item(const JunkRow& row) const {
  const JunkFinding* f = finding(row);
  if (!f || row.kind != JunkRow::Kind::item || row.item >= f->items.size()) return nullptr;
  return &f->items[row.item];
}

const StringSet& JunkListModel::ruleIds(size_t finding) const {
  static const StringSet none;
  return finding < ruleIds_.size() ? ruleIds_[finding] : none;
}

GroupCheck JunkListModel::ruleCheck(size_t finding) const {
  return finding < checks_.size() ? checks_[finding] : GroupCheck::none;
}

int JunkListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

Qt::ItemFlags JunkListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QVariant JunkListModel::data(const QModelIndex& index, int role) const {
  const JunkRow* r = row(index.row());
  if (!r) return {};
  if (role == KindRole) return static_cast<int>(r->kind);
  if (r->kind == JunkRow::Kind::section) {
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
      return QCoreApplication::translate("JunkGroup", title(r->group));
    if (role == SymbolRole) return junkGroupSymbol(r->group);
    return {};
  }
  const JunkFinding* f = finding(*r);
  if (!f) return {};
  const bool open = expanded_.contains(f->rule.id);
  switch (r->kind) {
    case JunkRow::Kind::rule:
      switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole: return QString::fromStdString(f->rule.title);
        case CheckedRole: return ruleCheck(r->finding) == GroupCheck::all;
        case OpacityRole: return junkRuleOpacity(ruleCheck(r->finding));
        case OpenRole: return open;
        case ChevronLabelRole: return open ? tr("Collapse") : tr("Expand");
        case RuleIdRole: return QString::fromStdString(f->rule.id);
        case ExplanationRole: return QString::fromStdString(f->rule.explanation);
        case CountTextRole: return junkItemCountText(static_cast<int64_t>(f->items.size()));
        case SizeTextRole: return bytesText(f->totalSize());
        default: return {};
      }
    case JunkRow::Kind::item: {
      const JunkItem* it = item(*r);
      if (!it) return {};
      switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole: return QString::fromUtf8(lastPathComponent(it->url));
        case CheckedRole: return selected_.contains(it->id);
        case OpacityRole: return 1.0;
        case RuleIdRole: return QString::fromStdString(f->rule.id);
        case ItemIdRole: return QString::fromUtf8(it->id);
        case SizeTextRole: return bytesText(it->size);
        case DateTextRole: return it->modified ? shortDateText(*it->modified) : QString();
        case Qt::ToolTipRole: return QString::fromUtf8(it->url);
        default: return {};
      }
    }
    case JunkRow::Kind::more:
      if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return junkMoreText(r->more);
      if (role == RuleIdRole) return QString::fromStdString(f->rule.id);
      return {};
    case JunkRow::Kind::section: break;
  }
  return {};
}

// ---- Delegate -----------------------------------------------------------------------------------

JunkListDelegate::JunkListDelegate(JunkListModel* model, std::function<double(const std::string&, bool)> angle,
                                   QObject* parent)
    : QStyledItemDelegate(parent), model_(model), angle_(std::move(angle)) {}

QSize JunkListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const int width = option.rect.width();
  switch (kindOf(index)) {
    case JunkRow::Kind::section: return {width, index.row() == 0 ? kSectionHeight - 8 : kSectionHeight};
    case JunkRow::Kind::rule: return {width, kRuleHeight};
    case JunkRow::Kind::item: return {width, kItemHeight};
    case JunkRow::Kind::more: return {width, kMoreHeight};
  }
  return {width, kItemHeight};
}

QRect JunkListDelegate::chevronRect(const QRect& rect) {
  const QRect c = contentRect(rect);
  return {c.left(), c.center().y() - 11, 14, 22};
}

QRect JunkListDelegate::checkRect(JunkRow::Kind kind, const QRect& rect) {
  const QRect c = contentRect(rect);
  if (kind == JunkRow::Kind::rule) return CleanupList::checkBoxRect(c, c.left() + 14 + kSpacing);
  if (kind == JunkRow::Kind::item) return CleanupList::checkBoxRect(c, c.left() + kItemLeading);
  return {};
}

JunkListDelegate::Hit JunkListDelegate::hitTest(JunkRow::Kind kind, const QRect& rect, const QPoint& point) {
  // A little room around the small targets, as a pointer that just misses still means them.
  if (kind == JunkRow::Kind::rule && chevronRect(rect).adjusted(-4, -4, 4, 4).contains(point)) return Hit::chevron;
  const QRect box = checkRect(kind, rect);
  if (!box.isNull() && box.adjusted(-4, -4, 4, 4).contains(point)) return Hit::check;
  return Hit::none;
}

bool JunkListDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) {
  if (event->type() == QEvent::ToolTip && kindOf(index) == JunkRow::Kind::rule &&
      hitTest(JunkRow::Kind::rule, option.rect, event->pos()) == Hit::chevron) {
    QToolTip::showText(event->globalPos(), index.data(JunkListModel::ChevronLabelRole).toString(), view);
    return true;
  }
  return QStyledItemDelegate::helpEvent(event, view, option, index);
}

void JunkListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const JunkRow::Kind kind = kindOf(index);
  if (kind != JunkRow::Kind::section && (option.state & QStyle::State_MouseOver)) {
    QPainterPath hover;
    hover.addRoundedRect(QRectF(option.rect.adjusted(CleanupList::kInset - 8, 1, -(CleanupList::kInset - 8), -1)), 6,
                         6);
    painter->fillPath(hover, Theme::primary(option.palette, 0.045));
  }
  switch (kind) {
    case JunkRow::Kind::section: paintSection(painter, option, index); break;
    case JunkRow::Kind::rule: paintRule(painter, option, index); break;
    case JunkRow::Kind::item: paintItem(painter, option, index); break;
    case JunkRow::Kind::more: paintMore(painter, option, index); break;
  }
  painter->restore();
}

void JunkListDelegate::paintSection(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  const QRect c = contentRect(option.rect).adjusted(0, index.row() == 0 ? 0 : 8, 0, 0);
  const QFont font = Theme::font(TextStyle::headline);
  const int symbol = QFontMetrics(font).height() - 2;
  Symbols::paint(painter, QRectF(c.left(), c.center().y() - symbol / 2.0, symbol, symbol),
                 index.data(JunkListModel::SymbolRole).toString(), Theme::indigo());
  paintText(painter, c.adjusted(symbol + 6, 0, 0, 0), index.data().toString(), font, Theme::primary(option.palette));
}

void JunkListDelegate::paintRule(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  const JunkRow* row = model_->row(index.row());
  const JunkFinding* finding = row ? model_->finding(*row) : nullptr;
  if (!finding) return;
  const QPalette& palette = option.palette;
  const QRect c = contentRect(option.rect).adjusted(0, 4, 0, -4);

  // The chevron, turned while the rule is open.
  const QRectF chevron(chevronRect(option.rect));
  const double angle = angle_ ? angle_(finding->rule.id, index.data(JunkListModel::OpenRole).toBool()) : 0;
  painter->save();
  painter->translate(chevron.center());
  painter->rotate(angle);
  Symbols::paint(painter, QRectF(-5, -5, 10, 10), QStringLiteral("chevron.right"), Theme::secondary(palette));
  painter->restore();

  CleanupList::paintCheckBox(painter, checkRect(JunkRow::Kind::rule, option.rect),
                             index.data(JunkListModel::CheckedRole).toBool(),
                             index.data(JunkListModel::OpacityRole).toDouble(), option.widget);

  // Trailing: the total in its frame, and the count before it.
  const QFont totalFont = Theme::monospacedDigitFont(TextStyle::body, QFont::DemiBold);
  const QRect total(c.right() - kTotalWidth + 1, c.top(), kTotalWidth, c.height());
  paintText(painter, total, index.data(JunkListModel::SizeTextRole).toString(), totalFont, Theme::primary(palette),
            Qt::AlignRight);
  const QFont countFont = Theme::font(TextStyle::caption);
  const QString count = index.data(JunkListModel::CountTextRole).toString();
  const int countWidth = CleanupList::textWidth(countFont, count);
  const QRect countRect(total.left() - kSpacing - countWidth, c.top(), countWidth, c.height());
  paintText(painter, countRect, count, countFont, Theme::secondary(palette), Qt::AlignRight);

  // The title line (title, risk badge, how the rule removes) over the explanation.
  const int left = checkRect(JunkRow::Kind::rule, option.rect).right() + 1 + kSpacing;
  const int width = countRect.left() - kSpacing - left;
  const QFont titleFont = Theme::font(TextStyle::body, QFont::Medium);
  const QFont explanationFont = Theme::font(TextStyle::caption);
  const QFont removalFont = Theme::font(TextStyle::caption2);
  const QSize badge = RiskBadge::sizeFor(finding->rule.risk, false);
  const int line1 = std::max(QFontMetrics(titleFont).height(), badge.height());
  const int line2 = QFontMetrics(explanationFont).height();
  const int top = c.center().y() - (line1 + 2 + line2) / 2;

  const QString removal = ruleRemovalText(finding->rule);
  const int removalWidth = CleanupList::textWidth(removalFont, removal);
  const QString title = QString::fromStdString(finding->rule.title);
  const int titleRoom = std::max(0, width - 8 - badge.width() - 8 - removalWidth);
  const int titleWidth = std::min(CleanupList::textWidth(titleFont, title), titleRoom);
  QRect piece(left, top, titleWidth, line1);
  paintText(painter, piece, title, titleFont, Theme::primary(palette));
  piece = QRect(piece.right() + 1 + 8, top, badge.width(), line1);
  RiskBadge::paint(painter, piece, finding->rule.risk, false, palette, option.direction);
  piece = QRect(piece.right() + 1 + 8, top, std::max(0, left + width - piece.right() - 9), line1);
  paintText(painter, piece, removal, removalFont, Theme::tertiary(palette));
  paintText(painter, QRect(left, top + line1 + 2, std::max(0, width), line2),
            index.data(JunkListModel::ExplanationRole).toString(), explanationFont, Theme::secondary(palette));
}

void JunkListDelegate::paintItem(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  const JunkRow* row = model_->row(index.row());
  const JunkItem* item = row ? model_->item(*row) : nullptr;
  if (!item) return;
  const QPalette& palette = option.palette;
  const QRect c = contentRect(option.rect);
  const QRect box = checkRect(JunkRow::Kind::item, option.rect);
  CleanupList::paintCheckBox(painter, box, index.data(JunkListModel::CheckedRole).toBool(), 1.0, option.widget);
  const QRect icon(box.right() + 1 + kItemSpacing, c.center().y() - kIconSize / 2, kIconSize, kIconSize);
  FileIcon::paint(painter, icon, iconPath(item->url));

  const QFont sizeFont = Theme::monospacedDigitFont(TextStyle::body);
  const QRect size(c.right() - kSizeWidth + 1, c.top(), kSizeWidth, c.height());
  paintText(painter, size, index.data(JunkListModel::SizeTextRole).toString(), sizeFont, Theme::primary(palette),
            Qt::AlignRight);
  int right = size.left() - kItemSpacing;
  const QString date = index.data(JunkListModel::DateTextRole).toString();
  if (!date.isEmpty()) {
    const QFont dateFont = Theme::font(TextStyle::caption);
    const int dateWidth = CleanupList::textWidth(dateFont, date);
    paintText(painter, QRect(right - dateWidth, c.top(), dateWidth, c.height()), date, dateFont,
              Theme::secondary(palette), Qt::AlignRight);
    right -= dateWidth + kItemSpacing;
  }
  const int nameLeft = icon.right() + 1 + kItemSpacing;
  paintText(painter, QRect(nameLeft, c.top(), std::max(0, right - nameLeft), c.height()), index.data().toString(),
            Theme::font(TextStyle::body), Theme::primary(palette), Qt::AlignLeft, Qt::ElideMiddle);
}

void JunkListDelegate::paintMore(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  const QRect c = contentRect(option.rect).adjusted(kItemLeading, 0, 0, 0);
  paintText(painter, c, index.data().toString(), Theme::font(TextStyle::caption), Theme::secondary(option.palette));
}

// ---- View ---------------------------------------------------------------------------------------

JunkList::JunkList(const std::vector<JunkFinding>& junk, const StringSet& selected, const StringSet& expanded,
                   QWidget* parent)
    : CleanupList(parent), model_(new JunkListModel(junk, selected, expanded, this)) {
  setObjectName(QLatin1String(names::junkList));
  setModel(model_);
  setItemDelegate(new JunkListDelegate(
      model_, [this](const std::string& id, bool open) { return chevronAngle(id, open); }, this));
  connect(this, &QWidget::customContextMenuRequested, this, &JunkList::showMenu);
}

double JunkList::chevronAngle(const std::string& ruleId, bool open) const { return turns_.angle(ruleId, open); }

void JunkList::turnChevron(const std::string& ruleId, bool open) { turns_.turn(ruleId, open); }

void JunkList::clickAt(const QPoint& point) {
  const QModelIndex index = indexAt(point);
  const JunkRow* row = model_->row(index.row());
  if (!row) return;
  switch (JunkListDelegate::hitTest(row->kind, visualRect(index), point)) {
    case JunkListDelegate::Hit::chevron: emit chevronClicked(row->finding); break;
    case JunkListDelegate::Hit::check:
      if (row->kind == JunkRow::Kind::rule) emit ruleCheckClicked(row->finding);
      if (row->kind == JunkRow::Kind::item) emit itemCheckClicked(row->finding, row->item);
      break;
    case JunkListDelegate::Hit::none: break;
  }
}

void JunkList::mousePressEvent(QMouseEvent* event) {
  CleanupList::mousePressEvent(event);
  const QPoint point = event->position().toPoint();
  pressed_ = indexAt(point);
  const JunkRow* row = model_->row(pressed_.row());
  pressedHit_ = row ? JunkListDelegate::hitTest(row->kind, visualRect(pressed_), point) : JunkListDelegate::Hit::none;
}

void JunkList::mouseReleaseEvent(QMouseEvent* event) {
  CleanupList::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  const QModelIndex index = indexAt(point);
  const JunkRow* row = model_->row(index.row());
  // Like a button: the press and the release on the same target.
  const bool same =
      row && index == pressed_ && JunkListDelegate::hitTest(row->kind, visualRect(index), point) == pressedHit_;
  pressed_ = QPersistentModelIndex();
  if (same) clickAt(point);
}

void JunkList::mouseDoubleClickEvent(QMouseEvent* event) {
  // A quick second click on a box or chevron is a second click, not an "open".
  mousePressEvent(event);
}

void JunkList::keyPressEvent(QKeyEvent* event) {
  const JunkRow* row = model_->row(currentIndex().row());
  if (row && event->key() == Qt::Key_Space) {
    if (row->kind == JunkRow::Kind::rule) emit ruleCheckClicked(row->finding);
    if (row->kind == JunkRow::Kind::item) emit itemCheckClicked(row->finding, row->item);
    return;
  }
  if (row && row->kind == JunkRow::Kind::rule && (event->key() == Qt::Key_Right || event->key() == Qt::Key_Left)) {
    const bool open = currentIndex().data(JunkListModel::OpenRole).toBool();
    if (open == (event->key() == Qt::Key_Left)) emit chevronClicked(row->finding);
    return;
  }
  CleanupList::keyPressEvent(event);
}

void JunkList::showMenu(const QPoint& pos) {
  const JunkRow* row = model_->row(indexAt(pos).row());
  if (!row || row->kind != JunkRow::Kind::item) return;
  auto* menu = new QMenu(this);
  menu->setObjectName(QLatin1String(names::junkItemMenu));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  // The path of the moment the menu opened: a new search may renumber the rows while it is open.
  const std::string path = model_->item(*row) ? model_->item(*row)->url : std::string();
  QAction* reveal = menu->addAction(tr("Show in Finder"));
  reveal->setObjectName(QLatin1String(names::junkMenuReveal));
  connect(reveal, &QAction::triggered, this, [path] { revealPathInFinder(path); });
  menu->popup(viewport()->mapToGlobal(pos));
}

}  // namespace tolvex
