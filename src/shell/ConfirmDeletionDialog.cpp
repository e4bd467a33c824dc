#include "shell/ConfirmDeletionDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Buttons.h"
#include "app/components/ElidedLabel.h"
#include "app/components/FileIcon.h"
#include "app/components/RiskBadge.h"
#include "app/components/ScrollStyle.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "model/Formatting.h"

namespace tolvex {

// ---- Arithmetic ---------------------------------------------------------------------------------------

namespace confirm {

namespace {
int64_t saturatingAdd(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}

bool counts(const PlanItem& item, bool acceptedReview) {
  return item.verdict.risk == Risk::safe || (item.verdict.risk == Risk::review && acceptedReview);
}
}  // namespace

std::vector<const PlanItem*> itemsOf(const DeletionPlan& plan, Risk risk) {
  std::vector<const PlanItem*> out;
  for (const PlanItem& item : plan.items)
    if (item.verdict.risk == risk) out.push_back(&item);
  return out;
}

int64_t deletableCount(const DeletionPlan& plan, bool acceptedReview) {
  return std::count_if(plan.items.begin(), plan.items.end(),
                       [&](const PlanItem& item) { return counts(item, acceptedReview); });
}

int64_t bytesToDelete(const DeletionPlan& plan, bool acceptedReview) {
  int64_t total = 0;
  for (const PlanItem& item : plan.items)
    if (counts(item, acceptedReview)) total = saturatingAdd(total, item.size);
  return total;
}

QString byteText(int64_t bytes) { return QString::fromStdString(formatBytes(std::max<int64_t>(bytes, 0))); }

QString groupText(const std::vector<const PlanItem*>& items) {
  int64_t total = 0;
  for (const PlanItem* item : items) total = saturatingAdd(total, item->size);
  return QString::number(static_cast<qulonglong>(items.size())) + QStringLiteral(" · ") + byteText(total);
}

}  // namespace confirm

// ---- Model --------------------------------------------------------------------------------------------

ConfirmDeletionModel::ConfirmDeletionModel(const DeletionPlan& plan, std::string home, QObject* parent)
    : QAbstractListModel(parent), plan_(plan), home_(std::move(home)) {
  for (Risk risk : kAllRisks) {
    const auto group = confirm::itemsOf(plan_, risk);
    if (group.empty()) continue;
    Row header;
    header.header = true;
    header.risk = risk;
    header.headerText = confirm::groupText(group);
    rows_.push_back(std::move(header));
    bool stripe = false;
    for (const PlanItem* item : group) {
      Row row;
      row.risk = risk;
      row.item = item;
      row.stripe = stripe;
      stripe = !stripe;
      rows_.push_back(std::move(row));
    }
  }
}

int ConfirmDeletionModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

const PlanItem* ConfirmDeletionModel::itemAt(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
  return rows_[static_cast<size_t>(row)].item;
}

Qt::ItemFlags ConfirmDeletionModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QVariant ConfirmDeletionModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const Row& row = rows_[static_cast<size_t>(index.row())];
  switch (role) {
    case IsHeaderRole: return row.header;
    case RiskRole: return static_cast<int>(row.risk);
    case StripeRole: return row.stripe;
    default: break;
  }
  if (row.header) {
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return row.headerText;
    return {};
  }
  const PlanItem& item = *row.item;
  switch (role) {
    case Qt::DisplayRole: return QString::fromUtf8(item.name.data(), static_cast<qsizetype>(item.name.size()));
    case PathRole: return QString::fromUtf8(item.path.data(), static_cast<qsizetype>(item.path.size()));
    case ReasonRole:
      return QString::fromUtf8(item.verdict.reason.data(), static_cast<qsizetype>(item.verdict.reason.size()));
    case DisplayPathRole: return QString::fromStdString(displayPath(item.path, home_));
    case SizeTextRole: return confirm::byteText(item.size);
    case OpacityRole:
      if (row.risk == Risk::safe) return 1.0;
      if (row.risk == Risk::review && acceptedReview_) return 1.0;
      return 0.55;
    case Qt::ToolTipRole: return QString::fromStdString(foldedPath(item.path));
    default: return {};
  }
}

void ConfirmDeletionModel::setAcceptedReview(bool on) {
  if (acceptedReview_ == on) return;
  acceptedReview_ = on;
  if (!rows_.empty()) emit dataChanged(index(0), index(static_cast<int>(rows_.size()) - 1), {OpacityRole});
}

// ---- Delegate -----------------------------------------------------------------------------------------

namespace {

QFont nameFont() { return Theme::font(TextStyle::body); }
QFont reasonFont() { return Theme::font(TextStyle::caption); }
QFont pathFont() { return Theme::font(TextStyle::caption2); }
QFont sizeFont() { return Theme::monospacedDigitFont(TextStyle::body); }
QFont headerFont() { return Theme::font(TextStyle::callout); }

constexpr int kLineSpacing = 2;
constexpr int kHeaderTop = 10;
constexpr int kHeaderBottom = 4;
constexpr int kMaxReasonLines = 2;

}  // namespace

ConfirmDeletionDelegate::ConfirmDeletionDelegate(QListView* view) : QStyledItemDelegate(view), view_(view) {}

int ConfirmDeletionDelegate::textWidth(const QModelIndex& index) const {
  const int viewport = view_->viewport()->width();
  const int sizeWidth =
      QFontMetrics(sizeFont()).horizontalAdvance(index.data(ConfirmDeletionModel::SizeTextRole).toString());
  return viewport - 2 * kRowInset - 2 * kPadH - kIconSize - 2 * kSpacing - sizeWidth;
}

QSize ConfirmDeletionDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
  const int width = view_->viewport()->width();
  if (index.data(ConfirmDeletionModel::IsHeaderRole).toBool()) {
    const int badge =
        RiskBadge::sizeFor(static_cast<Risk>(index.data(ConfirmDeletionModel::RiskRole).toInt()), false).height();
    const int text = QFontMetrics(headerFont()).height();
    const int top = index.row() == 0 ? kRowInset : kHeaderTop;
    return {width, top + std::max(badge, text) + kHeaderBottom};
  }
  const QString reason = index.data(ConfirmDeletionModel::ReasonRole).toString();
  const int reasonLines =
      static_cast<int>(ElidedLabel::wrapLines(reason, reasonFont(), textWidth(index), kMaxReasonLines).size());
  int height = QFontMetrics(nameFont()).height();
  if (reasonLines > 0) height += kLineSpacing + reasonLines * QFontMetrics(reasonFont()).height();
  height += kLineSpacing + QFontMetrics(pathFont()).height();
  const bool last = index.row() == index.model()->rowCount() - 1;
  return {width, std::max(height, kIconSize) + 2 * kPadV + (last ? kRowInset : 0)};
}

void ConfirmDeletionDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const QPalette& palette = option.palette;
  QRect r = option.rect.adjusted(kRowInset, 0, -kRowInset, 0);
  const auto risk = static_cast<Risk>(index.data(ConfirmDeletionModel::RiskRole).toInt());

  if (index.data(ConfirmDeletionModel::IsHeaderRole).toBool()) {
    const int top = index.row() == 0 ? kRowInset : kHeaderTop;
    const QRect content = r.adjusted(kPadH - 4, top, -kPadH, -kHeaderBottom);
    const QSize badge = RiskBadge::sizeFor(risk, false);
    RiskBadge::paint(painter, QRect(content.left(), content.top(), badge.width(), content.height()), risk, false,
                     palette);
    painter->setFont(headerFont());
    painter->setPen(Theme::secondary(palette));
    const QRect textRect(content.left() + badge.width() + 8, content.top(), content.width() - badge.width() - 8,
                         content.height());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, index.data(Qt::DisplayRole).toString());
    painter->restore();
    return;
  }

  const bool last = index.row() == index.model()->rowCount() - 1;
  if (last) r.setBottom(r.bottom() - kRowInset);
  if (index.data(ConfirmDeletionModel::StripeRole).toBool()) {
    QPainterPath background;
    background.addRoundedRect(QRectF(r), 6, 6);
    painter->fillPath(background, palette.color(QPalette::AlternateBase));
  }
  painter->setOpacity(index.data(ConfirmDeletionModel::OpacityRole).toReal());

  const QRect content = r.adjusted(kPadH, kPadV, -kPadH, -kPadV);
  FileIcon::paint(painter, QRect(content.left(), content.center().y() - kIconSize / 2 + 1, kIconSize, kIconSize),
                  index.data(ConfirmDeletionModel::PathRole).toString().toUtf8().toStdString());

  // The size, trailing.
  const QString size = index.data(ConfirmDeletionModel::SizeTextRole).toString();
  const QFontMetrics sizeMetrics(sizeFont());
  const int sizeWidth = sizeMetrics.horizontalAdvance(size);
  painter->setFont(sizeFont());
  painter->setPen(risk == Risk::protected_ ? Theme::secondary(palette) : Theme::primary(palette));
  painter->drawText(QRect(content.right() - sizeWidth, content.top(), sizeWidth + 1, content.height()),
                    Qt::AlignRight | Qt::AlignVCenter, size);

  // The column of name, reason and path, vertically centred.
  const int x = content.left() + kIconSize + kSpacing;
  const int width = std::max(0, textWidth(index));
  const QFontMetrics nameMetrics(nameFont()), reasonMetrics(reasonFont()), pathMetrics(pathFont());
  const QStringList reason = ElidedLabel::wrapLines(index.data(ConfirmDeletionModel::ReasonRole).toString(),
                                                    reasonFont(), width, kMaxReasonLines);
  int height = nameMetrics.height() + kLineSpacing + pathMetrics.height();
  if (!reason.isEmpty()) height += kLineSpacing + static_cast<int>(reason.size()) * reasonMetrics.height();
  int y = content.top() + (content.height() - height) / 2;

  painter->setFont(nameFont());
  painter->setPen(Theme::primary(palette));
  painter->drawText(QRect(x, y, width, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    nameMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, width));
  y += nameMetrics.height() + kLineSpacing;
  if (!reason.isEmpty()) {
    painter->setFont(reasonFont());
    painter->setPen(Theme::secondary(palette));
    for (const QString& line : reason) {
      painter->drawText(QRect(x, y, width, reasonMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter, line);
      y += reasonMetrics.height();
    }
    y += kLineSpacing;
  }
  painter->setFont(pathFont());
  painter->setPen(Theme::tertiary(palette));
  painter->drawText(
      QRect(x, y, width, pathMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
      pathMetrics.elidedText(index.data(ConfirmDeletionModel::DisplayPathRole).toString(), Qt::ElideMiddle, width));
  painter->restore();
}

// ---- Dialog -------------------------------------------------------------------------------------------

namespace {

// The list on a transparent viewport, with a slim scroll bar that sits inside the field.
class ConfirmList : public QListView {
 public:
  explicit ConfirmList(QWidget* parent) : QListView(parent) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(false);
    setResizeMode(QListView::Adjust);
    verticalScrollBar()->setSingleStep(12);
    styleThinScrollBar(this);
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QListView::resizeEvent(event);
    scheduleDelayedItemsLayout();  // row heights depend on the width (wrapped reasons)
  }
  void changeEvent(QEvent* event) override {
    QListView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) styleThinScrollBar(this);
  }
};

// The list's inset field: a rounded area of the base colour with a hairline border.
class ListField : public QWidget {
 public:
  explicit ListField(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TranslucentBackground); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(palette().color(QPalette::Base));
    painter.setPen(QPen(Theme::primary(palette(), 0.1), 1.0));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
  }
};

// The text beside the review checkbox: rich text (the word Review in bold) that toggles the box
// when clicked, as a checkbox's own text would.
class ToggleLabel : public QLabel {
 public:
  ToggleLabel(QCheckBox* box, QWidget* parent) : QLabel(parent), box_(box) {
    setTextFormat(Qt::RichText);
    setWordWrap(true);
    setTextInteractionFlags(Qt::NoTextInteraction);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && box_->isEnabled())
      box_->click();
    QLabel::mouseReleaseEvent(event);
  }

 private:
  QCheckBox* box_;
};

QString countText(int64_t n) { return QLocale().toString(static_cast<qlonglong>(n)); }

}  // namespace

ConfirmDeletionDialog::ConfirmDeletionDialog(AppState& state, DeletionPlan plan, QWidget* parent)
    : QDialog(parent),
      state_(state),
      plan_(std::move(plan)),
      model_(new ConfirmDeletionModel(plan_, state.environment().places.home, this)) {
  setObjectName(QLatin1String(names::confirmDeletionDialog));
  setWindowModality(Qt::WindowModal);
  setWindowTitle(plan_.title);
  setFixedSize(kWidth, kHeight);
  setSizeGripEnabled(false);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(24, 24, 24, 24);
  column->setSpacing(16);

  // Header.
  auto* header = new QHBoxLayout;
  header->setSpacing(12);
  auto* symbol = new SymbolView(QStringLiteral("trash.circle.fill"), Theme::danger(), 34, this);
  symbol->setGradientFill(true);
  header->addWidget(symbol, 0, Qt::AlignVCenter);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(2);
  auto* title = new QLabel(plan_.title, this);
  title->setObjectName(QLatin1String(names::confirmTitle));
  title->setTextFormat(Qt::PlainText);
  title->setWordWrap(true);  // a long title (an application's name) must not widen the fixed sheet
  Theme::setTextStyle(title, TextStyle::title2, QFont::Bold);
  subtitle_ = new QLabel(this);
  subtitle_->setObjectName(QLatin1String(names::confirmSubtitle));
  subtitle_->setTextFormat(Qt::PlainText);
  subtitle_->setWordWrap(true);
  Theme::setTextStyle(subtitle_, TextStyle::body);
  Theme::setForeground(subtitle_, Tone::secondary);
  titles->addWidget(title);
  titles->addWidget(subtitle_);
  header->addLayout(titles, 1);
  column->addLayout(header);

  // The items.
  auto* field = new ListField(this);
  auto* fieldLayout = new QVBoxLayout(field);
  fieldLayout->setContentsMargins(1, 1, 1, 1);
  list_ = new ConfirmList(field);
  list_->setObjectName(QLatin1String(names::confirmList));
  list_->setItemDelegate(new ConfirmDeletionDelegate(list_));
  list_->setModel(model_);
  fieldLayout->addWidget(list_);
  field->setMinimumHeight(kListMinimumHeight);
  column->addWidget(field, 1);

  const auto reviewCount = static_cast<int64_t>(confirm::itemsOf(plan_, Risk::review).size());
  const auto protectedCount = static_cast<int64_t>(confirm::itemsOf(plan_, Risk::protected_).size());

  if (reviewCount > 0) {
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    reviewToggle_ = new QCheckBox(this);
    reviewToggle_->setObjectName(QLatin1String(names::confirmReviewToggle));
    auto* text = new ToggleLabel(reviewToggle_, this);
    text->setObjectName(QLatin1String(names::confirmReviewText));
    text->setText(
        tr("I’ve reviewed the %1 item(s) marked <b>Review</b> and want to delete them").arg(countText(reviewCount)));
    Theme::setTextStyle(text, TextStyle::body);
    reviewToggle_->setAccessibleName(text->text().remove(QStringLiteral("<b>")).remove(QStringLiteral("</b>")));
    row->addWidget(reviewToggle_, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    column->addLayout(row);
    connect(reviewToggle_, &QCheckBox::toggled, this, &ConfirmDeletionDialog::setAcceptedReview);
  }

  if (protectedCount > 0) {
    auto* note = new SymbolLabel(tr("%1 protected item(s) won’t be touched.").arg(countText(protectedCount)),
                                 QStringLiteral("lock.fill"), this);
    note->setObjectName(QLatin1String(names::confirmProtectedNote));
    note->setTextStyle(TextStyle::callout);
    note->setColor(Theme::danger());
    column->addWidget(note);
  }

  // Footer.
  auto* footer = new QHBoxLayout;
  footer->setSpacing(8);
  total_ = new QLabel(this);
  total_->setObjectName(QLatin1String(names::confirmTotal));
  total_->setFont(Theme::monospacedDigitFont(TextStyle::headline));
  footer->addWidget(total_);
  footer->addStretch(1);
  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setObjectName(QLatin1String(names::confirmCancel));
  cancel_->setAutoDefault(false);
  cancel_->setDefault(false);
  footer->addWidget(cancel_);
  delete_ = new DestructiveButton(QString(), this);
  delete_->setObjectName(QLatin1String(names::confirmDelete));
  delete_->setDefault(true);
  footer->addWidget(delete_);
  column->addLayout(footer);
  // Cancel matches the capsule beside it in text size and height.
  cancel_->setFont(Theme::font(TextStyle::body));
  cancel_->setMinimumSize(
      std::max(cancel_->fontMetrics().horizontalAdvance(cancel_->text()) + 2 * 16, cancel_->sizeHint().width()),
      delete_->sizeHint().height());

  connect(cancel_, &QPushButton::clicked, this, &ConfirmDeletionDialog::reject);
  connect(delete_, &QPushButton::clicked, this, &ConfirmDeletionDialog::confirm);
  // The subtitle and the button follow the "permanentDelete" setting while the sheet is open.
  connect(&state_, &AppState::changed, this, &ConfirmDeletionDialog::refresh);
  connect(&state_, &AppState::planChanged, this, &ConfirmDeletionDialog::followPlan);
  refresh();
}

void ConfirmDeletionDialog::refresh() {
  const bool permanent = state_.permanentDelete();
  const QString subtitle = permanent
                               ? tr("These will be deleted permanently. They can't be recovered.")
                               : tr("They'll go to the Trash (regenerable caches are deleted directly). You can undo "
                                    "this from History.");
  if (subtitle_->text() != subtitle) subtitle_->setText(subtitle);
  const QString button = permanent ? tr("Delete Permanently") : tr("Delete");
  if (delete_->text() != button) {
    delete_->setText(button);
    delete_->updateGeometry();
  }
  const bool accepted = model_->acceptedReview();
  total_->setText(tr("Total: %1").arg(confirm::byteText(confirm::bytesToDelete(plan_, accepted))));
  delete_->setEnabled(confirm::deletableCount(plan_, accepted) > 0);
}

void ConfirmDeletionDialog::setAcceptedReview(bool on) {
  model_->setAcceptedReview(on);
  refresh();
}

void ConfirmDeletionDialog::confirm() {
  if (!delete_->isEnabled()) return;
  // AppState ignores a plan that is no longer the pending one; clearing the plan closes this sheet.
  setResult(QDialog::Accepted);
  state_.confirmDeletion(plan_, model_->acceptedReview());
  if (isVisible()) QDialog::done(QDialog::Accepted);
}

void ConfirmDeletionDialog::reject() {
  // Only this sheet's own plan is dismissed: a newer plan that replaced it keeps its own sheet.
  if (state_.plan() && state_.plan()->id == plan_.id) state_.dismissPlan();
  QDialog::reject();
}

void ConfirmDeletionDialog::followPlan() {
  if (state_.plan() && state_.plan()->id == plan_.id) return;
  if (isVisible()) QDialog::done(result() == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected);
}

}  // namespace tolvex
