#include "views/analysis/BiggestFoldersCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/ElidedLabel.h"
#include "app/components/FileIcon.h"
#include "app/components/SizeCell.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "model/Formatting.h"
#include "views/analysis/ExplorerNavigation.h"
#include "views/analysis/RowButton.h"
#include "views/analysis/RowDivider.h"
#include "views/analysis/logic/BiggestFolders.h"

namespace tolvex {
BiggestFoldersCard::BiggestFoldersCard(AppState& state, QWidget* parent) : Card(18, parent), state_(state) {
  setObjectName(QLatin1String(names::biggestFolders));
  body()->setSpacing(12);
  auto* title = new QLabel(tr("Largest folders"), this);
  title->setFont(Theme::font(TextStyle::headline));
  body()->addWidget(title);
  list_ = new QWidget(this);
  auto* column = new QVBoxLayout(list_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);
  body()->addWidget(list_);
  body()->addStretch(1);
}

void BiggestFoldersCard::refresh() {
  const std::optional<ScanResult>& scan = state_.scan();
  const std::vector<FileNode*> folders = BiggestFolders::folders(scan ? scan->root : nullptr);
  std::vector<Shown> shown;
  for (FileNode* folder : folders) shown.push_back({folder->serial, get(folder->size)});
  if (built_ && shown == shown_) return;
  built_ = true;
  shown_ = std::move(shown);
  rebuild(folders);
}

void BiggestFoldersCard::rebuild(const std::vector<FileNode*>& folders) {
  auto* column = static_cast<QVBoxLayout*>(list_->layout());
  removeRows(column);
  rows_.clear();
  const double largest = folders.empty() ? 1.0 : static_cast<double>(get(folders.front()->size));
  for (FileNode* folder : folders) {
    const std::string path = folder->path();
    const int64_t size = get(folder->size);
    auto* row = new RowButton(list_);
    row->setObjectName(QLatin1String(names::biggestFolderRow));
    row->setText(QString::fromUtf8(folder->name.data(), static_cast<qsizetype>(folder->name.size())));
    row->setProperty("serial", QVariant::fromValue<qulonglong>(folder->serial));
    auto* lines = new QVBoxLayout(row);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(4);
    auto* head = new QHBoxLayout;
    head->setSpacing(8);
    head->addWidget(new FileIcon(path, 18, row));
    auto* name = new ElidedLabel(row->text(), row);
    name->setFont(Theme::font(TextStyle::body));
    head->addWidget(name, 1);
    auto* bytes = new QLabel(QString::fromStdString(formatBytes(std::max<int64_t>(size, 0))), row);
    bytes->setFont(Theme::monospacedDigitFont(TextStyle::body, QFont::DemiBold));
    head->addWidget(bytes);
    lines->addLayout(head);
    auto* where = new ElidedLabel(QString::fromStdString(state_.shownPath(path)), row);
    where->setObjectName(QLatin1String(names::biggestFolderPath));
    where->setElideMode(Qt::ElideMiddle);
    where->setFont(Theme::font(TextStyle::caption));
    Theme::setForeground(where, Tone::secondary);
    lines->addWidget(where);
    auto* cell = new SizeCell(size, static_cast<double>(size) / largest, Theme::colorFor(get(folder->bucket)), row);
    cell->setLabelsHidden(true);  // the size is already in the first line
    lines->addWidget(cell);
    row->passMouseThroughChildren();
    // The row holds the node only for the click: a node of a pruned tree is not opened.
    connect(row, &RowButton::clicked, this, [this, folder] {
      if (state_.scan() && !folder->isGone()) openInExplorer(state_, folder);
    });
    column->addWidget(row);
    column->addWidget(new RowDivider(list_));
    rows_.push_back(row);
  }
}

}  // namespace tolvex
