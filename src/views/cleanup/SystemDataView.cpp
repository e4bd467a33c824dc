#include "views/cleanup/SystemDataView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Card.h"
#include "app/components/PageHeader.h"
#include "app/components/ScrollStyle.h"
#include "app/components/StatTile.h"
#include "app/components/SymbolView.h"
#include "views/analysis/RowButton.h"
#include "views/analysis/RowDivider.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/DetachedWork.h"
#include "views/cleanup/SystemDataPartRow.h"
#include "views/cleanup/logic/SystemDataContent.h"

namespace tolvex {

namespace {

QLabel* textLabel(const QString& text, TextStyle style, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(Theme::font(style));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  return label;
}

QLabel* headline(const QString& text, QWidget* parent) {
  auto* label = textLabel(text, TextStyle::headline, parent);
  label->setFont(Theme::font(TextStyle::headline, QFont::Bold));
  return label;
}

// What the measuring reads of the scan: its tree (kept alive by the copy) and root, not its list of
// files, which may hold millions of entries.
std::optional<ScanResult> treeOf(const std::optional<ScanResult>& scan) {
  if (!scan) return std::nullopt;
  ScanResult tree;
  tree.tree = scan->tree;
  tree.root = scan->root;
  tree.rootPath = scan->rootPath;
  return tree;
}

}  // namespace

// One reload: the parts are shown first, then the snapshots listed beside them.
struct SystemDataView::Round {
  bool partsShown = false;
  bool snapshotsDelivered = false;
  std::optional<std::pair<std::vector<LocalSnapshot>, uint64_t>> waiting;  // snapshots that came first
};

SystemDataLoaders SystemDataLoaders::standard() {
  return on({}, SnapshotSources::standard(), [](const std::vector<std::string>& argv) { return runPrivileged(argv); });
}

SystemDataLoaders SystemDataLoaders::on(SystemDataSources disk, SnapshotSources snapshots,
                                        PrivilegedRunner administrator) {
  return {[disk](const ScanResult* scan, const SystemDataProgress& progress) {
            return measureSystemDataParts(scan, disk, progress);
          },
          [snapshots] { return loadLocalSnapshots(snapshots); },
          [administrator](const LocalSnapshot& snapshot) { return deleteLocalSnapshot(snapshot, administrator); }};
}

SystemDataView::SystemDataView(AppState& state, QWidget* parent)
    : SystemDataView(state, SystemDataLoaders::standard(), parent) {}

SystemDataView::SystemDataView(AppState& state, SystemDataLoaders loaders, QWidget* parent)
    : Screen(state, parent), loaders_(std::move(loaders)), work_(new DetachedWork(this)) {
  setObjectName(QLatin1String(names::systemDataView));
  QVBoxLayout* pageLayout = ambientPage();
  QWidget* page = pageLayout->parentWidget();

  scroll_ = makePageScroll(page, names::systemDataScroll, Qt::ScrollBarAlwaysOn);
  pageLayout->addWidget(scroll_);

  auto* content = new QWidget(scroll_);
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(24, 24, 24, 24);
  column->setSpacing(20);

  auto* header = new PageHeader(
      tr("System Data"),
      tr("What the system keeps on this computer for itself, lumped together as \u201CSystem Data\u201D, "
         "explained piece by piece."),
      content);
  refresh_ = new QPushButton(header);
  refresh_->setObjectName(QLatin1String(names::systemDataRefresh));
  refresh_->setAutoDefault(false);
  refreshButtonLabel(refresh_);
  connect(refresh_, &QPushButton::clicked, this, &SystemDataView::load);
  header->addTrailing(refresh_);
  column->addWidget(header);
  column->addWidget(buildTiles(content));
  column->addWidget(buildComponents(content));
  column->addWidget(buildSnapshots(content));
  column->addStretch(1);
  scroll_->setWidget(content);
  content->setAutoFillBackground(false);  // the page's glows show through

  connect(&state, &AppState::volumeChanged, this, &SystemDataView::syncTiles);
  syncTiles();
  syncLoading();
}

QWidget* SystemDataView::buildTiles(QWidget* parent) {
  tiles_ = new QWidget(parent);
  tiles_->setObjectName(QLatin1String(names::systemDataTiles));
  auto* row = new QHBoxLayout(tiles_);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(14);
  purgeable_ = new StatTile(tr("Purgeable"), QString(), tr("The system frees this on its own when space runs low."),
                            QStringLiteral("icloud.and.arrow.down.fill"), Theme::accent(), tiles_);
  purgeable_->setObjectName(QLatin1String(names::systemDataPurgeable));
  snapshotCount_ = new StatTile(tr("Local snapshots"), QString(), tr("Snapper or Timeshift copies kept on this disk."),
                                QStringLiteral("clock.arrow.circlepath"), Theme::warning(), tiles_);
  snapshotCount_->setObjectName(QLatin1String(names::systemDataSnapshotCount));
  measured_ = new StatTile(tr("Measured here"), QString(), tr("Sum of the components below."),
                           QStringLiteral("gearshape.2.fill"), Theme::graphite(), tiles_);
  measured_->setObjectName(QLatin1String(names::systemDataMeasured));
  for (StatTile* tile : {purgeable_, snapshotCount_, measured_}) row->addWidget(tile, 1);
  return tiles_;
}

QWidget* SystemDataView::buildComponents(QWidget* parent) {
  auto* card = new Card(18, parent);
  card->setObjectName(QLatin1String(names::systemDataComponents));
  card->body()->setSpacing(12);
  card->body()->addWidget(headline(tr("Components"), card));
  // While the first parts are measured: a bar across the card that fills as each place is done.
  partsSpinner_ = new QWidget(card);
  partsSpinner_->setObjectName(QLatin1String(names::systemDataLoading));
  auto* progressRow = new QVBoxLayout(partsSpinner_);
  progressRow->setContentsMargins(0, 6, 0, 6);
  measureProgress_ = makeSystemDataBar(partsSpinner_);
  measureProgress_->setObjectName(QLatin1String(names::systemDataProgress));
  progressRow->addWidget(measureProgress_);
  card->body()->addWidget(partsSpinner_);
  noParts_ = textLabel(tr("None of the places where the system keeps its own data exists on this computer, or "
                          "they are all empty."),
                       TextStyle::callout, card);
  noParts_->setObjectName(QLatin1String(names::systemDataNoParts));
  Theme::setForeground(noParts_, Tone::secondary);
  noParts_->hide();
  card->body()->addWidget(noParts_);
  partRows_ = new QVBoxLayout;
  partRows_->setContentsMargins(0, 0, 0, 0);
  partRows_->setSpacing(12);
  card->body()->addLayout(partRows_);
  return card;
}

QWidget* SystemDataView::buildSnapshots(QWidget* parent) {
  auto* card = new Card(18, parent);
  card->setObjectName(QLatin1String(names::systemDataSnapshots));
  card->body()->setSpacing(10);
  card->body()->addWidget(headline(tr("Snapper and Timeshift snapshots"), card));
  auto* explanation = textLabel(
      tr("Snapper and Timeshift keep copies of the system on this disk and remove old ones on their own schedule. "
         "Deleting one by hand frees the space only it holds; the other snapshots are not affected. Snapshots "
         "that only an administrator may list are not shown."),
      TextStyle::caption, card);
  Theme::setForeground(explanation, Tone::secondary);
  card->body()->addWidget(explanation);

  snapshotMessageLabel_ = textLabel(QString(), TextStyle::caption, card);
  snapshotMessageLabel_->setObjectName(QLatin1String(names::systemDataSnapshotMessage));
  snapshotMessageLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Theme::setForeground(snapshotMessageLabel_, Theme::warning());
  snapshotMessageLabel_->hide();
  card->body()->addWidget(snapshotMessageLabel_);

  noSnapshots_ = textLabel(tr("No local snapshots on this disk."), TextStyle::callout, card);
  noSnapshots_->setObjectName(QLatin1String(names::systemDataNoSnapshots));
  Theme::setForeground(noSnapshots_, Tone::secondary);
  card->body()->addWidget(noSnapshots_);

  snapshotRows_ = new QVBoxLayout;
  snapshotRows_->setContentsMargins(0, 0, 0, 0);
  snapshotRows_->setSpacing(6);
  card->body()->addLayout(snapshotRows_);
  return card;
}

void SystemDataView::refresh() { syncTiles(); }

void SystemDataView::showEvent(QShowEvent* event) {
  Screen::showEvent(event);
  if (!event->spontaneous() && parts_.empty() && !loading()) reload();
}

void SystemDataView::load() {
  if (loading()) return;
  reload();
}

void SystemDataView::reload() {
  ++reloads_;
  syncLoading();
  auto round = std::make_shared<Round>();

  listSnapshots([this, round](std::vector<LocalSnapshot>& snapshots, uint64_t ticket) {
    round->snapshotsDelivered = true;
    if (!round->partsShown) {
      round->waiting.emplace(std::move(snapshots), ticket);
      return;
    }
    showSnapshots(std::move(snapshots), ticket);
    endRound(*round);
  });

  auto measure = loaders_.measure;
  measureProgress_->setValue(0);
  const UiPoster poster = work_->poster();
  // Delivered in order through the one queue, so the bar never runs backwards within a load.
  SystemDataProgress progress = [poster, this](size_t measured, size_t total) {
    poster.post([this, measured, total] { showMeasureProgress(measured, total); });
  };
  work_->run<std::vector<SystemDataPart>>(
      [measure, progress, scan = treeOf(state().scan())] {
        return measure ? measure(scan ? &*scan : nullptr, progress) : std::vector<SystemDataPart>();
      },
      [this, round](std::vector<SystemDataPart>& parts) {
        showParts(std::move(parts));
        round->partsShown = true;
        if (round->waiting) {
          showSnapshots(std::move(round->waiting->first), round->waiting->second);
          round->waiting.reset();
        }
        if (round->snapshotsDelivered) endRound(*round);
      });
}

void SystemDataView::endRound(Round&) {
  --reloads_;
  syncLoading();
}

void SystemDataView::listSnapshots(std::function<void(std::vector<LocalSnapshot>&, uint64_t ticket)> then) {
  const uint64_t ticket = ++snapshotTicket_;
  auto list = loaders_.listSnapshots;
  work_->run<std::vector<LocalSnapshot>>(
      [list] { return list ? list() : std::vector<LocalSnapshot>(); },
      [then = std::move(then), ticket](std::vector<LocalSnapshot>& snapshots) { then(snapshots, ticket); });
}

void SystemDataView::deleteSnapshot(const LocalSnapshot& snapshot) {
  auto remove = loaders_.deleteSnapshot;
  work_->run<std::optional<std::string>>(
      [remove, snapshot]() -> std::optional<std::string> {
        // Without a way to delete, nothing was deleted: never report success.
        if (!remove) return std::string(kCouldNotDeleteSnapshotMessage);
        return remove(snapshot);
      },
      [this](std::optional<std::string>& failure) {
        showSnapshotMessage(failure);
        listSnapshots([this](std::vector<LocalSnapshot>& snapshots, uint64_t ticket) {
          showSnapshots(std::move(snapshots), ticket);
          state().refreshVolume();
        });
      });
}

void SystemDataView::showParts(std::vector<SystemDataPart> parts) {
  parts_ = std::move(parts);
  partsMeasured_ = true;
  removeRows(partRows_);
  const int64_t scale = systemDataBarScale(parts_);
  QWidget* host = partRows_->parentWidget();
  for (const SystemDataPart& part : parts_) {
    partRows_->addWidget(new SystemDataPartRow(part, scale, host));
    partRows_->addWidget(new RowDivider(host));
  }
  syncTiles();
  syncLoading();
  emit partsChanged();
}

void SystemDataView::showMeasureProgress(size_t measured, size_t total) {
  if (total > 0) measureProgress_->setValue(static_cast<int>(std::min(measured, total) * 1000 / total));
}

void SystemDataView::showSnapshots(std::vector<LocalSnapshot> snapshots, uint64_t ticket) {
  // A listing started before the one shown (a deletion's, during a refresh) is already out of date.
  if (ticket < shownSnapshotTicket_) return;
  shownSnapshotTicket_ = ticket;
  snapshots_ = std::move(snapshots);
  removeRows(snapshotRows_);
  QWidget* host = snapshotRows_->parentWidget();
  for (const LocalSnapshot& snapshot : snapshots_) {
    auto* row = new QWidget(host);
    row->setObjectName(QLatin1String(names::systemDataSnapshotRow));
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    auto* symbol = new SymbolView(QStringLiteral("clock.arrow.circlepath"), 14, row);
    Theme::setForeground(symbol, Tone::secondary);
    line->addWidget(symbol);
    auto* title = textLabel(snapshotRowTitle(snapshot), TextStyle::body, row);
    title->setObjectName(QLatin1String(names::systemDataSnapshotTitle));
    title->setWordWrap(false);
    line->addWidget(title, 1);
    auto* remove = new QPushButton(tr("Delete\u2026"), row);
    remove->setObjectName(QLatin1String(names::systemDataSnapshotDelete));
    remove->setAutoDefault(false);
    connect(remove, &QPushButton::clicked, this, [this, snapshot] { deleteSnapshot(snapshot); });
    line->addWidget(remove);
    snapshotRows_->addWidget(row);
  }
  noSnapshots_->setVisible(snapshots_.empty());
  syncTiles();
  emit snapshotsChanged();
}

void SystemDataView::showSnapshotMessage(const std::optional<std::string>& failure) {
  snapshotMessage_ = snapshotDeletionMessage(failure);
  snapshotMessageLabel_->setText(snapshotMessage_.value_or(QString()));
  snapshotMessageLabel_->setVisible(snapshotMessage_.has_value());
  emit snapshotMessageChanged();
}

void SystemDataView::syncTiles() {
  const auto& volume = state().volume();
  tiles_->setVisible(volume.has_value());
  if (!volume) return;
  const SystemDataTiles texts = systemDataTiles(*volume, snapshots_.size(), parts_);
  purgeable_->setValue(texts.purgeable);
  snapshotCount_->setValue(texts.snapshots);
  measured_->setValue(texts.measured);
}

void SystemDataView::syncLoading() {
  refresh_->setEnabled(!loading());
  partsSpinner_->setVisible(loading() && parts_.empty());
  // Said once a measurement has ended with nothing: before the first one there is nothing to say.
  noParts_->setVisible(partsMeasured_ && parts_.empty());
}

}  // namespace tolvex
