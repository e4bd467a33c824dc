#include "shell/ScanToolbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/ScanTargetInfo.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/ElidedLabel.h"
#include "app/services/UiServices.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/Formatting.h"

namespace tolvex {

QString ScanToolbar::progressText(int64_t files, int64_t bytes) {
  return tr("%1 files · %2")
      .arg(QLocale().toString(static_cast<qlonglong>(files)),
           QString::fromStdString(formatBytes(std::max<int64_t>(bytes, 0))));
}

namespace {
// The split button's look while the scan is older than a day.
QString prominentStyle() {
  return QStringLiteral("QToolButton { background: %1; color: white; border-radius: 6px; padding: 3px 8px; }")
      .arg(Theme::indigo().name());
}
}  // namespace

ScanToolbar::ScanToolbar(AppState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      running_(new QWidget(this)),
      spinner_(new ActivitySpinner(16, running_)),
      counts_(new QLabel(running_)),
      path_(new ElidedLabel(QString(), running_)),
      stop_(new QPushButton(tr("Stop"), running_)),
      scan_(new QToolButton(this)) {
  setObjectName(names::scanToolbar);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(8);

  // Running face.
  auto* runningLayout = new QHBoxLayout(running_);
  runningLayout->setContentsMargins(0, 0, 0, 0);
  runningLayout->setSpacing(8);
  spinner_->setObjectName(names::scanSpinner);
  runningLayout->addWidget(spinner_, 0, Qt::AlignVCenter);
  auto* lines = new QVBoxLayout;
  lines->setSpacing(0);
  counts_->setObjectName(names::scanProgressCounts);
  counts_->setFont(Theme::monospacedDigitFont(TextStyle::caption));
  path_->setObjectName(names::scanProgressPath);
  path_->setElideMode(Qt::ElideMiddle);
  path_->setFont(Theme::font(TextStyle::caption2));
  path_->setFixedWidth(260);
  Theme::setForeground(path_, Tone::secondary);
  lines->addWidget(counts_);
  lines->addWidget(path_);
  runningLayout->addLayout(lines);
  stop_->setObjectName(names::scanStopButton);
  stop_->setAutoDefault(false);
  stop_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  runningLayout->addWidget(stop_, 0, Qt::AlignVCenter);
  layout->addWidget(running_);
  connect(stop_, &QPushButton::clicked, &state_, &AppState::cancelScan);

  // Idle face: a split button.
  scan_->setObjectName(names::scanButton);
  scan_->setPopupMode(QToolButton::MenuButtonPopup);
  scan_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  scan_->setIcon(Symbols::icon(QStringLiteral("arrow.clockwise"), 16));
  Symbols::tag(scan_, QStringLiteral("arrow.clockwise"));
  auto* menu = new QMenu(scan_);
  menu->setObjectName(names::scanMenu);
  QAction* disk = menu->addAction(tr("Entire Disk"));
  disk->setObjectName(names::scanMenuDisk);
  QAction* home = menu->addAction(tr("Home Folder"));
  home->setObjectName(names::scanMenuHome);
  QAction* folder = menu->addAction(tr("Choose Folder…"));
  folder->setObjectName(names::scanMenuFolder);
  scan_->setMenu(menu);
  layout->addWidget(scan_);
  connect(scan_, &QToolButton::clicked, this, [this] { state_.startScan(); });
  connect(disk, &QAction::triggered, this, [this] { state_.startScan(ScanTarget::wholeDisk()); });
  connect(home, &QAction::triggered, this, [this] { state_.startScan(ScanTarget::home()); });
  connect(folder, &QAction::triggered, this, &ScanToolbar::chooseFolder);

  // One height for both faces (the stale look of the split button included), each centred in it.
  layout->setAlignment(running_, Qt::AlignVCenter);
  layout->setAlignment(scan_, Qt::AlignVCenter);
  const int idle = scan_->sizeHint().height();
  scan_->setProperty("prominent", true);
  scan_->setStyleSheet(prominentStyle());
  setFixedHeight(std::max({running_->sizeHint().height(), idle, scan_->sizeHint().height()}));
  scan_->setStyleSheet(QString());

  connect(&state_, &AppState::scanningChanged, this, &ScanToolbar::refresh);
  connect(&state_, &AppState::scanChanged, this, &ScanToolbar::refresh);
  connect(&state_, &AppState::changed, this, &ScanToolbar::refresh);
  refresh();
}

void ScanToolbar::refresh() {
  const bool scanning = state_.isScanning();
  running_->setVisible(scanning);
  scan_->setVisible(!scanning);
  const QString tip = tr("Scan: %1").arg(title(state_.scanTarget()));
  running_->setToolTip(tip);
  scan_->setToolTip(tip);
  if (scanning) {
    const auto& progress = state_.progress();
    counts_->setText(progressText(progress.files, progress.bytes));
    path_->setText(QString::fromUtf8(progress.currentPath.data(), static_cast<qsizetype>(progress.currentPath.size())));
    return;
  }
  scan_->setText(state_.scan() ? tr("Rescan") : tr("Scan"));
  const bool stale = state_.isScanStale();
  scan_->setProperty("prominent", stale);
  scan_->setStyleSheet(stale ? prominentStyle() : QString());
}

void ScanToolbar::chooseFolder() {
  UiServices::shared().chooseFolder(window(), tr("Scan"), [this](std::optional<std::string> path) {
    if (path) state_.startScan(ScanTarget::folder(*path));
  });
}

}  // namespace tolvex
