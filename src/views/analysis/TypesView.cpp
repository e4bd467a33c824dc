#include "views/analysis/TypesView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "views/analysis/HorizontalStrip.h"
#include "views/analysis/logic/CsvExport.h"
#include "views/analysis/logic/NodeLists.h"

namespace tolvex {

namespace {

constexpr int kTileWidth = 150;
constexpr int kTilePadding = 14;
constexpr int kTileSpacing = 6;
constexpr int kTileSymbol = 17;

FilterBar::Config barConfig() {
  FilterBar::Config config;
  config.showKinds = false;
  config.showBucket = true;
  config.canExport = true;
  return config;
}

// The fonts of a tile's lines, top to bottom after the symbol.
QFont titleFont() { return Theme::font(TextStyle::callout, QFont::DemiBold); }
QFont sizeFont() { return Theme::monospacedDigitFont(TextStyle::title3, QFont::Bold); }
QFont countFont() { return Theme::font(TextStyle::caption); }

}  // namespace

// ---- Tile ---------------------------------------------------------------------------------------

KindTile::KindTile(FileKind kind, QWidget* parent)
    : QAbstractButton(parent), kind_(kind), selection_(new SpringAnimation(Spring{0.5, 0.85}, this)) {
  setObjectName(QLatin1String(names::kindTile));
  setProperty("kind", static_cast<int>(kind));
  setText(kindTitle(kind));
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  Symbols::tag(this, Symbols::forKind(kind));
}

void KindTile::setValues(int64_t size, int64_t count, bool selected) {
  if (size == size_ && count == count_ && selected == selected_) return;
  size_ = size;
  count_ = count;
  const bool selectionChanged = selected != selected_;
  selected_ = selected;
  setAccessibleDescription(sizeText() + QStringLiteral(", ") + countText());
  const double target = selected ? 1.0 : 0.0;
  if (selectionChanged && valuesSet_) {
    // The choice of a kind springs over: the old tile fades out as the new one fills in.
    const double from = emphasis_;
    selection_->start([this, from, target](qreal v) {
      emphasis_ = from + (target - from) * v;
      update();
    });
  } else if (!selection_->isRunning()) {
    emphasis_ = target;
  }
  valuesSet_ = true;
  update();
}

QString KindTile::sizeText() const { return bytesText(size_); }
QString KindTile::countText() const { return fileCountText(count_); }

QSize KindTile::sizeHint() const {
  const int lines = kTileSymbol + QFontMetrics(titleFont()).height() + QFontMetrics(sizeFont()).height() +
                    QFontMetrics(countFont()).height() + 3 * kTileSpacing;
  return {kTileWidth + 2 * kTilePadding, lines + 2 * kTilePadding};
}

void KindTile::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& pal = palette();
  const QColor kindColor = Theme::colorFor(kind_);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 12, 12);
  const double e = std::clamp(emphasis_, 0.0, 1.0);
  painter.fillPath(shape, Theme::primary(pal, 0.04 * (1 - e)));
  painter.fillPath(shape, Theme::withOpacity(kindColor, 0.16 * e));
  if (e > 0) {
    painter.setPen(QPen(Theme::withOpacity(kindColor, 0.7 * e), 1.5));
    painter.drawPath(shape);
  }
  if (hasFocus()) {
    painter.setPen(QPen(Theme::withOpacity(Theme::accent(), 0.8), 2));
    painter.drawPath(shape);
  }

  const int left = kTilePadding;
  int y = kTilePadding;
  Symbols::paint(&painter, QRectF(left, y, kTileSymbol, kTileSymbol), Symbols::forKind(kind_), kindColor);
  y += kTileSymbol + kTileSpacing;
  auto line = [&](const QString& text, const QFont& font, const QColor& color) {
    const QFontMetrics fm(font);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QRect(left, y, kTileWidth, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     fm.elidedText(text, Qt::ElideRight, kTileWidth));
    y += fm.height() + kTileSpacing;
  };
  line(text(), titleFont(), Theme::primary(pal));
  line(sizeText(), sizeFont(), Theme::primary(pal));
  line(countText(), countFont(), Theme::secondary(pal));
}

// ---- Screen -------------------------------------------------------------------------------------

TypesView::TypesView(AppState& state, QWidget* parent)
    : FileListScreen(state, AppSection::types, tr("By File Type"),
                     tr("Based on each file’s extension, wherever it is."), barConfig(), parent) {
  setObjectName(QLatin1String(names::typesView));

  auto* stripBox = new QWidget(this);
  auto* stripLayout = new QHBoxLayout(stripBox);
  stripLayout->setContentsMargins(24, 4, 24, 4);
  strip_ = new HorizontalStrip(10, stripBox);
  strip_->setObjectName(QLatin1String(names::kindTileStrip));
  stripLayout->addWidget(strip_);
  for (FileKind kind : kAllFileKinds) {
    auto* tile = new KindTile(kind, strip_->widget());
    tiles_.push_back(tile);
    connect(tile, &QAbstractButton::clicked, this, [this, kind] { setKind(kind); });
  }
  column()->insertWidget(barIndex(), stripBox);

  note_ = new QLabel(this);
  note_->setObjectName(QLatin1String(names::typesSmallFilesNote));
  note_->setFont(Theme::font(TextStyle::caption));
  note_->setWordWrap(true);
  note_->setContentsMargins(24, 0, 24, 0);
  Theme::setForeground(note_, Tone::secondary);
  note_->hide();
  column()->insertWidget(tableIndex(), note_);
}

void TypesView::setKind(FileKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  refreshNow();
}

void TypesView::storeFilter(const FileFilter& filter) {
  filter_ = filter;
  refreshNow();
}

QString TypesView::exportName() const { return kindExportName(kind_); }

std::vector<KindTile*> TypesView::tiles() const {
  std::vector<KindTile*> shown;
  for (int i = 0; i < strip_->row()->count(); ++i)
    if (auto* tile = qobject_cast<KindTile*>(strip_->row()->itemAt(i)->widget())) shown.push_back(tile);
  return shown;
}

void TypesView::scanShown(const ScanResult& scan) {
  // The tiles are put back in the order of the scan's totals.
  const std::vector<FileKind> order = kindTileOrder(scan);
  for (KindTile* tile : tiles_) strip_->row()->removeWidget(tile);
  for (FileKind kind : order) {
    KindTile* tile = tiles_[static_cast<size_t>(kind)];
    tile->setValues(kindTotal(scan, kind), kindCount(scan, kind), kind == kind_);
    strip_->row()->addWidget(tile);
  }
}

void TypesView::listShown() {
  const auto& scan = state().scan();
  const std::optional<int64_t> unlisted =
      scan ? unlistedSmallFiles(*scan, kind_, filter_, list().nodes.size()) : std::nullopt;
  note_->setVisible(unlisted.has_value());
  if (unlisted) note_->setText(smallFilesNoteText(*unlisted));
}

}  // namespace tolvex
