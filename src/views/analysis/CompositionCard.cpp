#include "views/analysis/CompositionCard.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "app/components/SegmentedBar.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "model/Formatting.h"
#include "views/analysis/CompositionDonut.h"
#include "views/analysis/RowButton.h"

namespace tolvex {
namespace {

constexpr int kBarHeight = 22;
constexpr int kSymbolFrame = 22;
constexpr int kSizeWidth = 84;

QLabel* plainLabel(const QString& text, const QFont& font, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(font);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// The symbol in its frame, then the title over a one-line detail.
void addHead(QHBoxLayout* row, QWidget* parent, SymbolView* symbol, const QString& title, const QString& detail) {
  symbol->setFixedWidth(kSymbolFrame);
  row->addWidget(symbol, 0, Qt::AlignVCenter);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(0);
  texts->addWidget(plainLabel(title, Theme::font(TextStyle::callout, QFont::Medium), parent));
  auto* line = new ElidedLabel(detail, parent);
  line->setFont(Theme::font(TextStyle::caption));
  Theme::setForeground(line, Tone::secondary);
  texts->addWidget(line);
  row->addLayout(texts, 1);
}

QLabel* sizeLabel(int64_t bytes, QWidget* parent) {
  auto* size = plainLabel(QString::fromStdString(formatBytes(std::max<int64_t>(bytes, 0))),
                          Theme::monospacedDigitFont(TextStyle::callout, QFont::DemiBold), parent);
  size->setObjectName(QLatin1String(names::compositionRowSize));
  size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return size;
}

}  // namespace

CompositionCard::CompositionCard(AppState& state, QWidget* parent) : Card(20, parent), state_(state) {
  setObjectName(QLatin1String(names::compositionCard));
  body()->setSpacing(16);
  body()->addWidget(plainLabel(tr("Where your space goes"), Theme::font(TextStyle::headline), this));
  bar_ = new SegmentedBar({}, 0, kBarHeight, this);
  bar_->setObjectName(QLatin1String(names::compositionBar));
  body()->addWidget(bar_);

  auto* chartRow = new QHBoxLayout;
  chartRow->setSpacing(28);
  donut_ = new CompositionDonut(this);
  chartRow->addWidget(donut_, 0, Qt::AlignVCenter);
  legend_ = new QWidget(this);
  auto* legendColumn = new QVBoxLayout(legend_);
  legendColumn->setContentsMargins(0, 0, 0, 0);
  legendColumn->setSpacing(2);
  chartRow->addWidget(legend_, 1, Qt::AlignVCenter);
  body()->addLayout(chartRow);

  connect(donut_, &CompositionDonut::sectorEntered, this, [this](std::optional<StorageBucket> bucket) {
    if (bucket) enter(*bucket);
  });
  connect(donut_, &CompositionDonut::sectorLeft, this, [this](std::optional<StorageBucket> bucket) {
    if (bucket) leave(*bucket);
  });
}

void CompositionCard::refresh() {
  const std::optional<ScanResult>& scan = state_.scan();
  const int64_t scanned = scan && scan->root ? get(scan->root->size) : 0;
  Composition next = Composition::make(state_.bucketBreakdown(), state_.volume(), state_.scannedTarget(), scanned);
  if (built_ && next == composition_) return;
  built_ = true;
  composition_ = std::move(next);
  bar_->setSegments(composition_.segments(), composition_.barTotal);
  donut_->setComposition(composition_);
  rebuildLegend();
}

void CompositionCard::rebuildLegend() {
  auto* column = static_cast<QVBoxLayout*>(legend_->layout());
  removeRows(column);
  rows_.clear();
  for (const CompositionRow& entry : composition_.rows) {
    const StorageBucket bucket = entry.bucket;
    auto* row = new RowButton(legend_);
    row->setObjectName(QLatin1String(names::compositionRow));
    const QString title = QCoreApplication::translate("StorageBucket", tolvex::title(bucket));
    row->setText(title);
    row->setProperty("bucket", static_cast<int>(bucket));
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(8, 5, 8, 5);
    line->setSpacing(10);
    addHead(line, row, new SymbolView(QString::fromLatin1(symbol(bucket)), Theme::colorFor(bucket), 15, row), title,
            QCoreApplication::translate("StorageBucket", detail(bucket)));
    auto* percent = plainLabel(composition_.percent(entry.bytes), Theme::monospacedDigitFont(TextStyle::caption), row);
    percent->setObjectName(QLatin1String(names::compositionRowPercent));
    Theme::setForeground(percent, Tone::secondary);
    line->addWidget(percent, 0, Qt::AlignVCenter);
    QLabel* size = sizeLabel(entry.bytes, row);
    size->setFixedWidth(kSizeWidth);
    line->addWidget(size, 0, Qt::AlignVCenter);
    auto* chevron = new SymbolView(QStringLiteral("chevron.right"), 10, row);
    Theme::setForeground(chevron, Tone::tertiary);
    line->addWidget(chevron, 0, Qt::AlignVCenter);
    row->passMouseThroughChildren();
    row->setFill(selected_ == bucket ? std::optional<ThemeColor>(Theme::colorFor(bucket)) : std::nullopt, 0.1, 8);
    connect(row, &RowButton::entered, this, [this, bucket] { enter(bucket); });
    connect(row, &RowButton::left, this, [this, bucket] { leave(bucket); });
    connect(row, &RowButton::clicked, this, [this, bucket] { open(bucket); });
    column->addWidget(row);
    rows_.push_back(row);
  }
  if (composition_.otherSize >= 1) {
    auto* other = new QWidget(legend_);
    other->setObjectName(QLatin1String(names::compositionOtherRow));
    auto* line = new QHBoxLayout(other);
    line->setContentsMargins(8, 5, 8 + 18, 5);
    line->setSpacing(10);
    auto* apple = new SymbolView(QStringLiteral("apple.logo"), 15, other);
    Theme::setForeground(apple, Tone::secondary);
    addHead(line, other, apple, tr("macOS and other"),
            tr("Sealed system volume, local snapshots and folders without access."));
    line->addWidget(sizeLabel(composition_.otherSize, other), 0, Qt::AlignVCenter);
    column->addWidget(other);
  }
}

void CompositionCard::select(std::optional<StorageBucket> bucket) {
  if (selected_ == bucket) return;
  selected_ = bucket;
  donut_->setSelected(bucket);
  for (RowButton* row : rows_) {
    const auto rowBucket = static_cast<StorageBucket>(row->property("bucket").toInt());
    row->setFill(selected_ == rowBucket ? std::optional<ThemeColor>(Theme::colorFor(rowBucket)) : std::nullopt, 0.1, 8);
  }
}

void CompositionCard::enter(StorageBucket bucket) { select(bucket); }

// Moving straight from one row to the next leaves the new row selected, whichever event comes first.
void CompositionCard::leave(StorageBucket bucket) {
  if (selected_ == bucket) select(std::nullopt);
}

void CompositionCard::open(StorageBucket bucket) {
  FileFilter filter;
  filter.bucket = bucket;
  state_.setLargeFilter(filter);
  state_.setSection(AppSection::large);
}

}  // namespace tolvex
