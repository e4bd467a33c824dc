#include "shell/Sidebar.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/SymbolView.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "model/Formatting.h"

namespace tolvex {

namespace {

constexpr int kSectionRole = Qt::UserRole + 1;

struct Group {
  const char* header;  // empty: no header
  std::vector<AppSection> rows;
};

const std::vector<Group>& groups() {
  static const std::vector<Group> all = {
      {QT_TRANSLATE_NOOP("Sidebar", "Simple"), {AppSection::smartClean}},
      {QT_TRANSLATE_NOOP("Sidebar", "Analyze"),
       {AppSection::overview, AppSection::trends, AppSection::explorer, AppSection::types, AppSection::large,
        AppSection::systemData, AppSection::cloud}},
      {QT_TRANSLATE_NOOP("Sidebar", "Apps"), {AppSection::apps, AppSection::leftovers, AppSection::loginItems}},
      {QT_TRANSLATE_NOOP("Sidebar", "Clean Up"), {AppSection::junk, AppSection::developer, AppSection::duplicates}},
      {"", {AppSection::history}},
  };
  return all;
}

}  // namespace

Sidebar::Sidebar(AppState& state, QWidget* parent)
    : QWidget(parent), state_(state), list_(new QListWidget(this)), footer_(new DiskFooter(state, this)) {
  setObjectName(names::sidebar);
  setMinimumWidth(210);
  setMaximumWidth(280);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  list_->setObjectName(names::sidebarList);
  list_->setFrameShape(QFrame::NoFrame);
  list_->setIconSize({16, 16});
  list_->setFocusPolicy(Qt::StrongFocus);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setStyleSheet(QStringLiteral(
      "QListWidget { background: transparent; padding: 8px 8px; outline: 0; }"
      "QListWidget::item { padding: 5px 6px; border-radius: 6px; border: none; color: palette(window-text); }"
      "QListWidget::item:selected { background: rgba(110, 91, 255, 0.16); color: palette(window-text); }"
      "QListWidget::item:hover:!selected { background: rgba(127, 127, 127, 0.10); }"));
  for (const Group& group : groups()) {
    if (*group.header) {
      auto* header = new QListWidgetItem(QCoreApplication::translate("Sidebar", group.header), list_);
      header->setFlags(Qt::NoItemFlags);
      QFont font = Theme::font(TextStyle::caption, QFont::DemiBold);
      header->setFont(font);
      header->setSizeHint({0, 26});
    } else {
      auto* spacer = new QListWidgetItem(list_);
      spacer->setFlags(Qt::NoItemFlags);
      spacer->setSizeHint({0, 10});
    }
    for (AppSection section : group.rows) {
      auto* row = new QListWidgetItem(Symbols::icon(symbol(section), Theme::indigo(), 16), title(section), list_);
      row->setData(kSectionRole, static_cast<int>(section));
      row->setData(Qt::AccessibleDescriptionRole, rawValue(section));
      row->setFont(Theme::font(TextStyle::body));
    }
  }
  layout->addWidget(list_, 1);
  footer_->setContentsMargins(12, 12, 12, 12);
  layout->addWidget(footer_);

  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    QVariant section = item->data(kSectionRole);
    if (section.isValid()) state_.setSection(static_cast<AppSection>(section.toInt()));
  });
  connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (!item) return;
    QVariant section = item->data(kSectionRole);
    if (section.isValid()) state_.setSection(static_cast<AppSection>(section.toInt()));
  });
  connect(&state_, &AppState::sectionChanged, this, &Sidebar::syncSelection);
  syncSelection();
}

void Sidebar::syncSelection() {
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    QVariant section = item->data(kSectionRole);
    if (section.isValid() && static_cast<AppSection>(section.toInt()) == state_.section()) {
      QSignalBlocker block(list_);
      list_->setCurrentItem(item);
      return;
    }
  }
}

DiskFooter::DiskFooter(AppState& state, QWidget* parent)
    : QWidget(parent), state_(state), name_(new QLabel(this)), free_(new QLabel(this)) {
  setObjectName(names::diskFooter);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);  // the footer's own margins place the row and the bar alike
  layout->setSpacing(6);
  auto* row = new QHBoxLayout;
  row->setSpacing(6);
  auto* drive = new SymbolView(QStringLiteral("internaldrive.fill"), 13, this);
  drive->setObjectName(names::diskFooterIcon);
  Theme::setForeground(drive, Tone::secondary);
  row->addWidget(drive);
  name_->setObjectName(names::diskFooterName);
  name_->setFont(Theme::font(TextStyle::caption, QFont::DemiBold));
  row->addWidget(name_);
  row->addStretch();
  free_->setObjectName(names::diskFooterFree);
  free_->setFont(Theme::font(TextStyle::caption));
  Theme::setForeground(free_, Tone::secondary);
  row->addWidget(free_);
  layout->addLayout(row);
  layout->addSpacing(8);  // room for the bar, painted below the row
  connect(&state_, &AppState::volumeChanged, this, &DiskFooter::refresh);
  refresh();
}

bool DiskFooter::isLow(int64_t total, int64_t available) {
  const double whole = std::max<double>(static_cast<double>(total), 1.0);
  return static_cast<double>(available) / whole < 0.1;
}

void DiskFooter::refresh() {
  const auto& volume = state_.volume();
  setVisible(volume.has_value());
  if (!volume) return;
  name_->setText(QString::fromStdString(volume->name));
  free_->setText(tr("%1 free").arg(QString::fromStdString(formatBytes(std::max<int64_t>(volume->available, 0)))));
  setProperty("low", isLow(volume->total, volume->available));
  update();
}

void DiskFooter::paintEvent(QPaintEvent*) {
  const auto& volume = state_.volume();
  if (!volume) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QMargins m = contentsMargins();
  const QRectF bar(m.left(), height() - m.bottom() - 6, width() - m.left() - m.right(), 6);
  const double whole = std::max<double>(static_cast<double>(volume->total), 1.0);
  double fraction = (static_cast<double>(volume->total) - static_cast<double>(volume->available)) / whole;
  if (!std::isfinite(fraction)) fraction = 0;
  fraction = std::clamp(fraction, 0.0, 1.0);
  QPainterPath track;
  track.addRoundedRect(bar, 3, 3);
  painter.fillPath(track, Theme::primary(palette(), 0.08));
  QRectF filled = bar;
  filled.setWidth(bar.width() * fraction);
  QPainterPath used;
  used.addRoundedRect(filled, 3, 3);
  painter.fillPath(used, isLow(volume->total, volume->available) ? Theme::danger(palette()) : Theme::indigo());
}

}  // namespace tolvex
