#include "views/cleanup/VirtualDisksCard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/UiText.h"
#include "app/components/ElidedLabel.h"
#include "app/components/FileIcon.h"
#include "app/components/SizeCell.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "model/DisplayPath.h"
#include "views/analysis/RowButton.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/logic/VirtualDiskRows.h"

namespace tolvex {
namespace {

QString fromBytes(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void fillRounded(QWidget* widget, qreal radius, const QColor& color) {
  QPainter painter(widget);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  shape.addRoundedRect(QRectF(widget->rect()), radius, radius);
  painter.fillPath(shape, color);
}

// One disk's row: a faint rounded panel behind its lines.
class DiskRow : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override { fillRounded(this, 10, Theme::primary(palette(), 0.03)); }
};

// The owner's name on a capsule of its colour.
class OwnerBadge : public QLabel {
 public:
  OwnerBadge(const QString& owner, QWidget* parent) : QLabel(owner, parent) {
    setFont(Theme::font(TextStyle::caption2, QFont::Bold));
    Theme::setForeground(this, Theme::cyan());
    setContentsMargins(6, 1, 6, 1);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    fillRounded(this, height() / 2.0, Theme::withOpacity(Theme::cyan(), 0.15));
    QLabel::paintEvent(event);
  }
};

// The command to copy, in a small monospaced well.
class CommandText : public QLabel {
 public:
  CommandText(const QString& command, QWidget* parent) : QLabel(command, parent) {
    setFont(Theme::fixedFont(TextStyle::caption));
    setContentsMargins(8, 4, 8, 4);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    fillRounded(this, 6, Theme::primary(palette(), 0.06));
    QLabel::paintEvent(event);
  }
};

// The list of rows: as tall as its rows until it holds enough of them to scroll within the cap. The
// rows' height depends on the width (the advice wraps), so it is worked out again at every resize.
class DiskList : public QScrollArea {
 public:
  explicit DiskList(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  }
  void setRowCount(size_t rows) {
    rows_ = rows;
    // Fewer rows than the cap never scroll, so no scroll bar narrows them.
    setVerticalScrollBarPolicy(rows < kVirtualDiskRowsBeforeCap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    fitHeight();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QScrollArea::resizeEvent(event);
    fitHeight();
  }
  // The rows settle their own layout later than the list: their height is taken again then.
  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool handled = QScrollArea::eventFilter(watched, event);
    if (watched == widget() && event->type() == QEvent::LayoutRequest) fitHeight();
    return handled;
  }

 private:
  void fitHeight() {
    const QWidget* content = widget();
    if (!content) return;
    const int inner = std::max(viewport()->width(), 1);
    const int natural = content->hasHeightForWidth() ? content->heightForWidth(inner) : content->sizeHint().height();
    const int fitted = virtualDiskListHeight(rows_, std::max(natural, 0));
    if (minimumHeight() != fitted || maximumHeight() != fitted) setFixedHeight(fitted);
  }
  size_t rows_ = 0;
};

QPushButton* smallButton(const QString& title, QWidget* parent) {
  auto* button = new QPushButton(title, parent);
  button->setFont(Theme::font(TextStyle::subheadline));
  button->setAutoDefault(false);
  return button;
}

QString copyTitle(bool copied) {
  return copied ? VirtualDisksCard::tr("Copied") : VirtualDisksCard::tr("Copy Command");
}

}  // namespace

VirtualDisksCard::VirtualDisksCard(AppState& state, QWidget* parent) : Card(16, parent), state_(state) {
  setObjectName(QLatin1String(names::virtualDisksCard));
  body()->setSpacing(12);

  auto* header = new QHBoxLayout;
  header->setContentsMargins(0, 0, 0, 0);
  auto* title = labelWithSymbol(tr("Containers and virtual machines"), QStringLiteral("shippingbox.fill"), this);
  title->setObjectName(QLatin1String(names::virtualDisksTitle));
  title->setTextStyle(TextStyle::headline);
  header->addWidget(title);
  header->addStretch(1);
  total_ = new QLabel(this);
  total_->setObjectName(QLatin1String(names::virtualDisksTotal));
  total_->setFont(Theme::monospacedDigitFont(TextStyle::headline));
  header->addWidget(total_);
  body()->addLayout(header);

  auto* list = new DiskList(this);
  list_ = list;
  list_->setObjectName(QLatin1String(names::virtualDisksList));
  auto* content = new QWidget(list_);
  content->setAutoFillBackground(false);
  rows_ = new QVBoxLayout(content);
  rows_->setContentsMargins(0, 0, 0, 0);
  rows_->setSpacing(10);
  list_->setWidget(content);
  body()->addWidget(list_);
  hide();
}

void VirtualDisksCard::refresh() {
  std::vector<VirtualDisk> disks = state_.virtualDisks();
  if (built_ && disks == disks_) return;
  built_ = true;
  disks_ = std::move(disks);
  rebuild();
}

void VirtualDisksCard::rebuild() {
  removeRows(rows_);
  copyButtons_.clear();
  setVisible(!disks_.empty());
  total_->setText(bytesText(totalVirtualDiskSize(disks_)));
  for (size_t i = 0; i < disks_.size(); ++i) rows_->addWidget(makeRow(i, rows_->parentWidget()));
  static_cast<DiskList*>(list_)->setRowCount(disks_.size());
  syncCopyButtons();
}

QWidget* VirtualDisksCard::makeRow(size_t index, QWidget* parent) {
  const VirtualDisk& disk = disks_[index];
  auto* row = new DiskRow(parent);
  row->setObjectName(QLatin1String(names::virtualDiskRow));
  row->setProperty("path", fromBytes(disk.path));
  auto* lines = new QVBoxLayout(row);
  lines->setContentsMargins(12, 12, 12, 12);
  lines->setSpacing(8);

  // Icon, name with owner, where it is; and on the right what it occupies and may grow to.
  auto* top = new QHBoxLayout;
  top->setSpacing(10);
  top->addWidget(new FileIcon(disk.path, 22, row), 0, Qt::AlignVCenter);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(1);
  auto* nameLine = new QHBoxLayout;
  nameLine->setSpacing(6);
  auto* name = new ElidedLabel(fromBytes(disk.name), row);
  name->setObjectName(QLatin1String(names::virtualDiskName));
  name->setFont(Theme::font(TextStyle::body, QFont::Medium));
  nameLine->addWidget(name, 0);
  auto* owner = new OwnerBadge(fromBytes(disk.owner), row);
  owner->setObjectName(QLatin1String(names::virtualDiskOwner));
  nameLine->addWidget(owner, 0, Qt::AlignVCenter);
  nameLine->addStretch(1);
  titles->addLayout(nameLine);
  auto* where = new ElidedLabel(fromBytes(state_.shownPath(disk.path)), row);
  where->setObjectName(QLatin1String(names::virtualDiskPath));
  where->setElideMode(Qt::ElideMiddle);
  where->setFont(Theme::font(TextStyle::caption));
  Theme::setForeground(where, Tone::secondary);
  titles->addWidget(where);
  top->addLayout(titles, 1);

  auto* figures = new QVBoxLayout;
  figures->setSpacing(1);
  auto* size = new QLabel(bytesText(disk.size), row);
  size->setObjectName(QLatin1String(names::virtualDiskSize));
  size->setFont(Theme::monospacedDigitFont(TextStyle::body, QFont::DemiBold));
  figures->addWidget(size, 0, Qt::AlignRight);
  if (virtualDiskCanGrow(disk)) {
    auto* grow = new QLabel(tr("can grow to %1").arg(bytesText(disk.capacity)), row);
    grow->setObjectName(QLatin1String(names::virtualDiskCapacity));
    grow->setFont(Theme::font(TextStyle::caption2));
    Theme::setForeground(grow, Tone::secondary);
    figures->addWidget(grow, 0, Qt::AlignRight);
  }
  top->addLayout(figures);
  lines->addLayout(top);

  auto* fill = new SizeCell(disk.size, virtualDiskFill(disk), Theme::cyan(), row);
  fill->setLabelsHidden(true);
  lines->addWidget(fill);

  auto* advice = new QLabel(fromBytes(disk.advice), row);
  advice->setObjectName(QLatin1String(names::virtualDiskAdvice));
  advice->setWordWrap(true);
  advice->setFont(Theme::font(TextStyle::caption));
  Theme::setForeground(advice, Tone::secondary);
  lines->addWidget(advice);

  auto* actions = new QHBoxLayout;
  if (disk.command) {
    auto* command = new CommandText(fromBytes(*disk.command), row);
    command->setObjectName(QLatin1String(names::virtualDiskCommand));
    actions->addWidget(command);
    auto* copy = smallButton(copyTitle(false), row);
    copy->setObjectName(QLatin1String(names::virtualDiskCopy));
    connect(copy, &QPushButton::clicked, this, [this, disk] { copyCommand(*disk.command, disk); });
    actions->addWidget(copy);
    copyButtons_.push_back({index, copy});
  }
  actions->addStretch(1);
  auto* reveal = smallButton(tr("Show in Finder"), row);
  reveal->setObjectName(QLatin1String(names::virtualDiskReveal));
  connect(reveal, &QPushButton::clicked, this, [path = disk.path] { revealPathInFinder(path); });
  actions->addWidget(reveal);
  lines->addLayout(actions);
  return row;
}

void VirtualDisksCard::copyCommand(const std::string& command, const VirtualDisk& disk) {
  // A fresh payload replaces whatever the clipboard held, so only the command's text is offered.
  auto* payload = new QMimeData;
  payload->setText(fromBytes(command));
  QGuiApplication::clipboard()->setMimeData(payload);
  copied_ = disk.path;
  syncCopyButtons();
}

void VirtualDisksCard::syncCopyButtons() {
  for (const CopyButton& entry : copyButtons_)
    entry.button->setText(copyTitle(virtualDiskCommandCopied(copied_, disks_[entry.disk])));
}

}  // namespace tolvex
