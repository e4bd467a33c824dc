#include "views/analysis/FilterBar.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "app/components/PickerValue.h"
#include "app/components/SymbolView.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "views/analysis/HorizontalStrip.h"

namespace tolvex {

namespace {

constexpr int kChipSymbol = 11;

// A rounded shape filled with a colour worked out from the palette each time it is drawn: the
// search field's ground (radius 8, the primary colour at 5 %) and the folder chip's capsule (the
// brand colour at 12 %).
class Ground : public QWidget {
 public:
  static constexpr qreal kCapsule = -1;
  Ground(qreal radius, std::function<QColor(const QPalette&)> fill, QWidget* parent)
      : QWidget(parent), radius_(radius), fill_(std::move(fill)) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r(rect());
    const qreal radius = radius_ == kCapsule ? r.height() / 2 : radius_;
    QPainterPath shape;
    shape.addRoundedRect(r, radius, radius);
    painter.fillPath(shape, fill_(palette()));
  }

 private:
  qreal radius_;
  std::function<QColor(const QPalette&)> fill_;
};

QToolButton* plainSymbolButton(const QString& symbol, int px, const char* name, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setAutoRaise(true);
  button->setIcon(Symbols::icon(symbol, ThemeColor(), px));
  button->setIconSize(QSize(px, px));
  button->setCursor(Qt::PointingHandCursor);
  button->setFocusPolicy(Qt::NoFocus);
  Symbols::tag(button, symbol);
  return button;
}

QString bucketText(StorageBucket bucket) { return QCoreApplication::translate("StorageBucket", title(bucket)); }

}  // namespace

// ---- Kind chip ----------------------------------------------------------------------------------

KindChip::KindChip(FileKind kind, QWidget* parent) : QAbstractButton(parent), kind_(kind) {
  setObjectName(QLatin1String(names::filterKindChip));
  setText(kindTitle(kind));
  setCheckable(true);
  setFont(Theme::font(TextStyle::caption, QFont::Medium));
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setProperty("kind", static_cast<int>(kind));
  Symbols::tag(this, Symbols::forKind(kind));
}

QSize KindChip::sizeHint() const {
  const QFontMetrics fm(font());
  return {10 + kChipSymbol + 4 + fm.horizontalAdvance(text()) + 10, std::max(fm.height(), kChipSymbol) + 10};
}

void KindChip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& pal = palette();
  const QColor kindColor = Theme::colorFor(kind_);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QPainterPath capsule;
  capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
  painter.fillPath(capsule, isChecked() ? Theme::withOpacity(kindColor, 0.22) : Theme::primary(pal, 0.05));
  if (isChecked()) {
    painter.setPen(QPen(Theme::withOpacity(kindColor, 0.6), 1));
    painter.drawPath(capsule);
  }
  const QColor ink = isChecked() ? Theme::primary(pal) : Theme::secondary(pal);
  Symbols::paint(&painter, QRectF(10, (height() - kChipSymbol) / 2.0, kChipSymbol, kChipSymbol),
                 Symbols::forKind(kind_), ink);
  painter.setFont(font());
  painter.setPen(ink);
  painter.drawText(QRect(10 + kChipSymbol + 4, 0, width(), height()), Qt::AlignLeft | Qt::AlignVCenter, text());
  if (hasFocus()) {
    painter.setPen(QPen(Theme::withOpacity(Theme::accent(), 0.8), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(capsule);
  }
}

// ---- Bar ----------------------------------------------------------------------------------------

FilterBar::FilterBar(Config config, QWidget* parent) : QWidget(parent), config_(std::move(config)) {
  setObjectName(QLatin1String(names::filterBar));
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* rows = new QVBoxLayout(this);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(10);

  auto* first = new QHBoxLayout;
  first->setSpacing(10);
  first->addWidget(makeSearchField(), 1);
  size_ = makePicker(names::filterSize);
  for (const SizeOption& o : config_.sizes)
    size_->addItem(QCoreApplication::translate("FilterBar", o.title), QVariant::fromValue<qlonglong>(o.bytes));
  first->addWidget(size_);
  age_ = makePicker(names::filterAge);
  for (const AgeOption& o : config_.ages)
    age_->addItem(QCoreApplication::translate("FilterBar", o.title),
                  o.days ? QVariant::fromValue<qlonglong>(*o.days) : QVariant());
  first->addWidget(age_);
  if (config_.showBucket) {
    bucket_ = makePicker(names::filterBucket);
    bucket_->addItem(tr("All categories"));
    bucket_->insertSeparator(1);
    for (StorageBucket b : kAllStorageBuckets) bucket_->addItem(bucketText(b), static_cast<int>(b));
    first->addWidget(bucket_);
  }
  first->addStretch(0);
  rows->addLayout(first);

  auto* second = new QHBoxLayout;
  second->setSpacing(10);
  if (config_.showKinds) {
    auto* strip = new HorizontalStrip(6, this);
    strip->setObjectName(QLatin1String(names::filterKindChips));
    for (FileKind kind : kAllFileKinds) {
      auto* chip = new KindChip(kind, strip->widget());
      strip->row()->addWidget(chip);
      chips_.push_back(chip);
      connect(chip, &QAbstractButton::clicked, this, [this, kind] {
        edit([kind](FileFilter& f) {
          if (!f.kinds.erase(kind)) f.kinds.insert(kind);
        });
      });
    }
    second->addWidget(strip, 1);
  }
  second->addWidget(makeFolderChip(), 0);
  if (!config_.showKinds) second->addStretch(1);
  result_ = new QLabel(this);
  result_->setObjectName(QLatin1String(names::filterResult));
  result_->setFont(Theme::monospacedDigitFont(TextStyle::callout));
  result_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  Theme::setForeground(result_, Tone::secondary);
  second->addWidget(result_);
  if (config_.canExport) {
    export_ = new QPushButton(this);
    export_->setObjectName(QLatin1String(names::filterExport));
    labelWithSymbol(export_, tr("CSV"), QStringLiteral("square.and.arrow.up"));
    export_->setToolTip(tr("Export to CSV"));
    export_->setAutoDefault(false);
    export_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(export_, &QPushButton::clicked, this, &FilterBar::exportRequested);
    second->addWidget(export_);
  }
  rows->addLayout(second);
  setResult(0, 0);
  showFilter();
}

QWidget* FilterBar::makeSearchField() {
  auto* ground = new Ground(
      8, [](const QPalette& p) { return Theme::primary(p, 0.05); }, this);
  ground->setObjectName(QLatin1String(names::filterSearchField));
  ground->setMinimumWidth(200);
  ground->setMaximumWidth(380);
  ground->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  auto* row = new QHBoxLayout(ground);
  row->setContentsMargins(10, 6, 10, 6);
  row->setSpacing(6);
  auto* glass = new SymbolView(QStringLiteral("magnifyingglass"), ThemeColor(), 13, ground);
  Theme::setForeground(glass, Tone::secondary);
  row->addWidget(glass);
  search_ = new QLineEdit(ground);
  search_->setObjectName(QLatin1String(names::filterSearch));
  search_->setFrame(false);
  search_->setPlaceholderText(tr("Search by name (use / to search paths)"));
  search_->setFont(Theme::font(TextStyle::body));
  // The field shows the rounded ground behind it. Only the base colour is set here, so every other
  // colour (text, placeholder) keeps following the appearance.
  QPalette clear = search_->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    clear.setColor(group, QPalette::Base, Qt::transparent);
  search_->setPalette(clear);
  search_->setTextMargins(0, 0, 0, 0);
  row->addWidget(search_, 1);
  clear_ = plainSymbolButton(QStringLiteral("xmark.circle.fill"), 13, names::filterClear, ground);
  Theme::setForeground(clear_, Tone::secondary);
  row->addWidget(clear_);
  connect(search_, &QLineEdit::textEdited, this,
          [this](const QString& text) { edit([&](FileFilter& f) { f.query = text.toStdString(); }); });
  connect(clear_, &QToolButton::clicked, this, [this] { edit([](FileFilter& f) { f.query.clear(); }); });
  return ground;
}

QComboBox* FilterBar::makePicker(const char* name) {
  auto* picker = new QComboBox(this);
  picker->setObjectName(QLatin1String(name));
  picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  picker->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  picker->setFont(Theme::font(TextStyle::body));
  connect(picker, &QComboBox::activated, this, [this, picker](int index) {
    const QVariant data = picker->itemData(index);
    if (isExtraPickerItem(picker, index)) return;  // the value in force already
    if (picker == size_)
      edit([&](FileFilter& f) { f.minSize = data.toLongLong(); });
    else if (picker == age_)
      edit([&](FileFilter& f) {
        f.modifiedOlderThanDays = data.isValid() ? std::optional<int64_t>(data.toLongLong()) : std::nullopt;
      });
    else
      edit([&](FileFilter& f) {
        f.bucket =
            data.isValid() ? std::optional<StorageBucket>(static_cast<StorageBucket>(data.toInt())) : std::nullopt;
      });
  });
  return picker;
}

QWidget* FilterBar::makeFolderChip() {
  folderChip_ = new Ground(
      Ground::kCapsule, [](const QPalette&) { return Theme::withOpacity(Theme::indigo(), 0.12); }, this);
  folderChip_->setObjectName(QLatin1String(names::filterFolderChip));
  folderChip_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
  auto* row = new QHBoxLayout(folderChip_);
  row->setContentsMargins(8, 4, 8, 4);
  row->setSpacing(4);
  row->addWidget(new SymbolView(QStringLiteral("folder"), ThemeColor(), 11, folderChip_), 0, Qt::AlignVCenter);
  folderText_ = new ElidedLabel(QString(), folderChip_);
  folderText_->setObjectName(QLatin1String(names::filterFolderText));
  folderText_->setElideMode(Qt::ElideMiddle);
  folderText_->setFont(Theme::font(TextStyle::caption));
  row->addWidget(folderText_, 1, Qt::AlignVCenter);
  auto* remove = plainSymbolButton(QStringLiteral("xmark"), 9, names::filterFolderClear, folderChip_);
  row->addWidget(remove, 0, Qt::AlignVCenter);
  connect(remove, &QToolButton::clicked, this, [this] { edit([](FileFilter& f) { f.pathPrefix.reset(); }); });
  return folderChip_;
}

void FilterBar::edit(const std::function<void(FileFilter&)>& change) {
  change(filter_);
  showFilter();
  emit filterEdited(filter_);
}

void FilterBar::setFilter(const FileFilter& filter) {
  if (filter == filter_) return;
  filter_ = filter;
  showFilter();
}

void FilterBar::showFilter() {
  // Only a changed text is put back, so the caret stays where the user is typing.
  const QString query = QString::fromStdString(filter_.query);
  if (search_->text() != query) search_->setText(query);
  clear_->setVisible(!filter_.query.empty());
  selectPickerValue(size_, filter_.minSize, sizePickerText(filter_.minSize));
  age_->setCurrentIndex(filter_.modifiedOlderThanDays
                            ? age_->findData(QVariant::fromValue<qlonglong>(*filter_.modifiedOlderThanDays))
                            : 0);
  if (bucket_) bucket_->setCurrentIndex(filter_.bucket ? bucket_->findData(static_cast<int>(*filter_.bucket)) : 0);
  for (KindChip* chip : chips_) chip->setChecked(filter_.kinds.contains(chip->kind()));
  folderChip_->setVisible(filter_.pathPrefix.has_value());
  if (filter_.pathPrefix) {
    const QString shown = QString::fromUtf8(displayPath(*filter_.pathPrefix, config_.home));
    folderText_->setText(shown);
    folderChip_->setToolTip(QString::fromUtf8(*filter_.pathPrefix));
  }
}

void FilterBar::setResult(int64_t count, int64_t bytes) { result_->setText(resultLineText(count, bytes)); }

void FilterBar::setExportEnabled(bool enabled) {
  if (export_) export_->setEnabled(enabled);
}

}  // namespace tolvex
