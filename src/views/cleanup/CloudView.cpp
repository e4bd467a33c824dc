#include "views/cleanup/CloudView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/PageHeader.h"
#include "app/components/StatTile.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "views/analysis/SelectionBar.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/CloudList.h"

namespace tolvex {

CloudView::CloudView(AppState& state, QWidget* parent) : Screen(state, parent) {
  setObjectName(QLatin1String(names::cloudView));
  QVBoxLayout* column = ambientPage();
  QWidget* page = column->parentWidget();

  auto* header = new PageHeader(tr("iCloud Drive"),
                                tr("Files iCloud keeps downloaded on this Mac. Remove the download and they stay in "
                                   "iCloud, ready to download again when you open them."),
                                page);
  header->setContentsMargins(24, 24, 24, 24);
  refresh_ = new QPushButton(header);
  refresh_->setObjectName(QLatin1String(names::cloudRefresh));
  refresh_->setAutoDefault(false);
  refreshButtonLabel(refresh_);
  header->addTrailing(refresh_);
  column->addWidget(header);

  body_ = new QStackedWidget(page);
  reading_ = makeReading(body_);
  body_->addWidget(reading_);
  summary_ = makeSummary(body_);
  body_->addWidget(summary_);
  column->addWidget(body_, 1);

  bar_ = new SelectionBar(page);
  column->addWidget(bar_);

  shownTotal_.emplace(cloudDownloadedTotal(state.cloud()));
  connect(refresh_, &QPushButton::clicked, this, &CloudView::load);
  // The list reads the report in place: a new one is taken in at once, before anything repaints.
  connect(&state, &AppState::cloudChanged, this, [this] {
    if (appeared_) refreshNow();
  });
  connect(list_, &CloudList::disclosureToggled, this, &CloudView::toggleFolder);
  connect(list_, &CloudList::folderChecked, this, &CloudView::setFolderSelected);
  connect(list_, &CloudList::fileChecked, this, &CloudView::setFileSelected);
  connect(bar_, &SelectionBar::clearRequested, this, [this] {
    selected_.clear();
    refreshNow();
  });
  connect(bar_, &SelectionBar::actionRequested, this, &CloudView::confirmRemoval);
}

QWidget* CloudView::makeReading(QWidget* parent) {
  auto* box = new QWidget(parent);
  box->setObjectName(QLatin1String(names::cloudReading));
  auto* layout = new QVBoxLayout(box);
  layout->setSpacing(10);
  layout->addStretch(1);
  layout->addWidget(new ActivitySpinner(24, box), 0, Qt::AlignHCenter);
  auto* title = new QLabel(tr("Reading iCloud Drive…"), box);
  Theme::setForeground(title, Tone::secondary);
  layout->addWidget(title, 0, Qt::AlignHCenter);
  layout->addStretch(1);
  return box;
}

QWidget* CloudView::makeEmptyState(QWidget* parent) {
  auto* box = new QWidget(parent);
  box->setObjectName(QLatin1String(names::cloudEmptyState));
  auto* layout = new QVBoxLayout(box);
  layout->setSpacing(10);
  layout->addStretch(1);
  emptySymbol_ = new SymbolView(QStringLiteral("icloud.slash"), 44, box);
  emptySymbol_->setBrandGradient(true);
  layout->addWidget(emptySymbol_, 0, Qt::AlignHCenter);
  emptyTitle_ = new QLabel(box);
  emptyTitle_->setObjectName(QLatin1String(names::cloudEmptyTitle));
  Theme::setTextStyle(emptyTitle_, TextStyle::title3, QFont::Bold);
  layout->addWidget(emptyTitle_, 0, Qt::AlignHCenter);
  emptyMessage_ = new QLabel(box);
  emptyMessage_->setObjectName(QLatin1String(names::cloudEmptyMessage));
  emptyMessage_->setWordWrap(true);
  emptyMessage_->setAlignment(Qt::AlignHCenter);
  // Centred under the title at its full 420-pixel measure (the narrowest body is wider than that);
  // its height follows the wrapped lines, set with the text.
  emptyMessage_->setFixedWidth(420);
  Theme::setForeground(emptyMessage_, Tone::secondary);
  layout->addWidget(emptyMessage_, 0, Qt::AlignHCenter);
  layout->addStretch(1);
  return box;
}

QWidget* CloudView::makeSummary(QWidget* parent) {
  auto* box = new QWidget(parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  tiles_ = new QWidget(box);
  tiles_->setObjectName(QLatin1String(names::cloudTiles));
  auto* row = new QHBoxLayout(tiles_);
  row->setContentsMargins(24, 0, 24, 16);
  row->setSpacing(14);
  onThisMac_ = new StatTile(tr("On this Mac"), QString(), tr("Downloaded copies taking up disk space"),
                            QStringLiteral("internaldrive.fill"), Theme::indigo(), tiles_);
  canBeFreed_ = new StatTile(tr("Can be freed"), QString(), tr("Already safe in iCloud"),
                             QStringLiteral("arrow.up.to.line.compact"), Theme::success(), tiles_);
  onlyInICloud_ = new StatTile(tr("Only in iCloud"), QString(), tr("Takes no space on this Mac"),
                               QStringLiteral("icloud.fill"), Theme::accent(), tiles_);
  for (StatTile* tile : {onThisMac_, canBeFreed_, onlyInICloud_}) row->addWidget(tile, 1);
  layout->addWidget(tiles_);

  // Not in use: the empty state stands alone; nothing big downloaded: it stands under the tiles.
  summaryBody_ = new QStackedWidget(box);
  emptyState_ = makeEmptyState(summaryBody_);
  summaryBody_->addWidget(emptyState_);
  list_ = new CloudList(selected_, expanded_, summaryBody_);
  list_->setObjectName(QLatin1String(names::cloudList));
  summaryBody_->addWidget(list_);
  layout->addWidget(summaryBody_, 1);
  return box;
}

void CloudView::showEmptyState(const QString& symbol, const QString& title, const QString& message) {
  emptySymbol_->setSymbol(symbol);
  emptyTitle_->setText(title);
  emptyMessage_->setText(message);
  emptyMessage_->setFixedHeight(emptyMessage_->heightForWidth(emptyMessage_->width()));
  summaryBody_->setCurrentWidget(emptyState_);
}

void CloudView::load() { state().loadCloud(); }

void CloudView::toggleFolder(const std::string& folderPath) {
  if (!expanded_.erase(folderPath)) expanded_.insert(folderPath);
  refreshNow();
}

void CloudView::setFolderSelected(const CloudFolder& folder, bool on) {
  selected_ = cloudFolderToggled(folder, std::move(selected_), on);
  refreshNow();
}

void CloudView::setFileSelected(const std::string& path, bool on) {
  if (on)
    selected_.insert(path);
  else
    selected_.erase(path);
  refreshNow();
}

void CloudView::confirmRemoval() {
  if (confirmation_) return;
  const auto files = cloudSelectedFiles(state().cloud(), selected_);
  auto* box = new QMessageBox(window());
  box->setObjectName(QLatin1String(names::cloudConfirm));
  box->setIcon(QMessageBox::NoIcon);
  box->setText(tr("Remove the downloads of %1 files?").arg(countText(static_cast<int64_t>(files.size()))));
  box->setInformativeText(
      tr("Nothing is deleted: the files stay in iCloud and on your other devices, and download "
         "again when you open them. You’ll need an internet connection to open them."));
  QPushButton* remove = box->addButton(tr("Remove Downloads"), QMessageBox::AcceptRole);
  remove->setObjectName(QLatin1String(names::cloudConfirmRemove));
  QPushButton* cancel = box->addButton(QMessageBox::Cancel);
  cancel->setText(tr("Cancel"));
  cancel->setObjectName(QLatin1String(names::cloudConfirmCancel));
  box->setDefaultButton(remove);
  box->setEscapeButton(cancel);
  box->setAttribute(Qt::WA_DeleteOnClose);
  confirmation_ = box;
  connect(box, &QMessageBox::finished, this, [this, box, remove] {
    confirmation_ = nullptr;
    if (box->clickedButton() == remove) removeDownloads();
  });
  box->open();
}

void CloudView::removeDownloads() {
  // The files of this moment, in report order; the open folders stay open.
  const auto files = cloudSelectedFiles(state().cloud(), selected_);
  state().evictCloudDownloads(files);
  selected_.clear();
  refreshNow();
}

void CloudView::pruneSelection() {
  const std::optional<int64_t> total = cloudDownloadedTotal(state().cloud());
  if (shownTotal_ && *shownTotal_ == total) return;
  shownTotal_.emplace(total);
  selected_ = prunedCloudSelection(state().cloud(), selected_);
}

void CloudView::updateBar() {
  const auto files = cloudSelectedFiles(state().cloud(), selected_);
  SelectionBar::Values values;
  values.count = static_cast<int>(files.size());
  values.size = cloudSelectedSize(files);
  values.actionTitle = tr("Remove Downloads…");
  bar_->setValues(values);
}

void CloudView::refresh() {
  if (!appeared_) {
    appeared_ = true;
    if (!state().cloud()) load();  // a later visit shows the kept report and loads nothing
  }
  pruneSelection();
  const auto& report = state().cloud();
  const bool loading = state().cloudLoading();
  refresh_->setEnabled(!loading);
  switch (cloudBody(report)) {
    case CloudBody::reading:
      body_->setCurrentWidget(reading_);
      list_->cloudModel()->show(nullptr);
      break;
    case CloudBody::notInUse:
      body_->setCurrentWidget(summary_);
      tiles_->hide();
      list_->cloudModel()->show(nullptr);
      showEmptyState(QStringLiteral("icloud.slash"), tr("iCloud Drive isn’t in use on this Mac"),
                     tr("Turn it on in System Settings › Apple Account › iCloud to see it here."));
      break;
    case CloudBody::summary: {
      body_->setCurrentWidget(summary_);
      tiles_->show();
      const CloudTotals totals = cloudTotals(*report);
      onThisMac_->setValue(bytesText(totals.onThisMac));
      canBeFreed_->setValue(bytesText(totals.canBeFreed));
      onlyInICloud_->setValue(bytesText(totals.onlyInICloud));
      list_->cloudModel()->show(&*report);
      if (cloudShownFolders(*report).empty()) {
        showEmptyState(QStringLiteral("checkmark.icloud"), tr("Nothing big is downloaded"),
                       tr("iCloud Drive is using very little space on this Mac."));
      } else {
        summaryBody_->setCurrentWidget(list_);
      }
      break;
    }
  }
  list_->setLoading(loading && summaryBody_->currentWidget() == list_ && body_->currentWidget() == summary_);
  updateBar();
}

}  // namespace tolvex
