#include "shell/MenuBarPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/Buttons.h"
#include "app/components/DiskRing.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"
#include "shell/logic/MenuBarText.h"
#include "system/RemovedApp.h"
#include "views/analysis/RowButton.h"
#include "views/analysis/RowDivider.h"
#include "views/analysis/logic/ForecastSummary.h"

namespace tolvex {

namespace {

constexpr int kPadding = 16;
constexpr int kSpacing = 14;
constexpr int kRingSize = 54;
constexpr qreal kRingLine = 6;

QLabel* label(QWidget* parent, const char* name, TextStyle style, QFont::Weight weight = QFont::Normal) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  Theme::setTextStyle(label, style, weight);
  return label;
}

// A row that is one plain button: a symbol and a title that wraps, in the caption font.
RowButton* linkRow(QWidget* parent, const char* name, const QString& symbol, SymbolLabel** title) {
  auto* row = new RowButton(parent);
  row->setObjectName(QLatin1String(name));
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 2, 0, 2);
  *title = labelWithSymbol(QString(), symbol, row);
  (*title)->setTextStyle(TextStyle::caption, QFont::Medium);
  (*title)->label()->setWordWrap(true);
  layout->addWidget(*title);
  row->passMouseThroughChildren();
  return row;
}

QPushButton* borderless(const QString& text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  button->setFlat(true);
  button->setAutoDefault(false);
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

}  // namespace

MenuBarPanel::MenuBarPanel(AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QLatin1String(names::menuBarPanel));
  setFixedWidth(kWidth);
  build();
  refresh();
  connect(&state_, &AppState::changed, this, &MenuBarPanel::scheduleRefresh);
  connect(&state_.services(), &BackgroundServices::changed, this, &MenuBarPanel::scheduleRefresh);
}

void MenuBarPanel::build() {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
  column->setSpacing(kSpacing);

  spaceLine_ = buildSpaceLine();
  column->addWidget(spaceLine_);

  forecast_ = linkRow(this, names::menuBarForecast, QString(), &forecastLabel_);
  forecast_->setToolTip(tr("Open Trends"));
  connect(forecast_, &QAbstractButton::clicked, this, &MenuBarPanel::openTrends);
  column->addWidget(forecast_);

  autoClean_ = labelWithSymbol(QString(), QStringLiteral("calendar.badge.clock"), this);
  autoClean_->setObjectName(QLatin1String(names::menuBarAutoClean));
  autoClean_->setTextStyle(TextStyle::caption);
  Theme::setForeground(autoClean_, Tone::secondary);
  column->addWidget(autoClean_);

  leftovers_ = linkRow(this, names::menuBarLeftovers, QStringLiteral("puzzlepiece.extension.fill"), &leftoversLabel_);
  leftoversLabel_->setColor(Theme::indigo());
  connect(leftovers_, &QAbstractButton::clicked, this, &MenuBarPanel::openMainWindow);
  column->addWidget(leftovers_);

  column->addWidget(new RowDivider(this));

  quickClean_ = new PrimaryButton(QString(), false, this);
  quickClean_->setObjectName(QLatin1String(names::menuBarQuickClean));
  labelWithSymbol(quickClean_, tr("Quick Clean…"), QStringLiteral("wand.and.stars"));
  quickClean_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  connect(quickClean_, &QAbstractButton::clicked, this, &MenuBarPanel::quickClean);
  column->addWidget(quickClean_);

  column->addWidget(buildFooter());
}

QWidget* MenuBarPanel::buildSpaceLine() {
  auto* line = new QWidget(this);
  line->setObjectName(QLatin1String(names::menuBarSpace));
  auto* row = new QHBoxLayout(line);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(kSpacing);

  ring_ = new DiskRing(0, 0, line);
  ring_->setObjectName(QLatin1String(names::menuBarRing));
  ring_->setFixedSize(kRingSize, kRingSize);
  ring_->setLineWidth(kRingLine);
  auto* centre = new QVBoxLayout(ring_);
  centre->setContentsMargins(0, 0, 0, 0);
  percent_ = label(ring_, names::menuBarPercent, TextStyle::caption2, QFont::Bold);
  percent_->setFont(Theme::monospacedDigitFont(TextStyle::caption2, QFont::Bold));
  percent_->setAlignment(Qt::AlignCenter);
  centre->addWidget(percent_);
  row->addWidget(ring_, 0, Qt::AlignVCenter);

  auto* texts = new QVBoxLayout;
  texts->setSpacing(2);
  volumeName_ = label(line, names::menuBarVolumeName, TextStyle::headline);
  free_ = label(line, names::menuBarFree, TextStyle::callout);
  free_->setFont(Theme::monospacedDigitFont(TextStyle::callout));
  purgeable_ = label(line, names::menuBarPurgeable, TextStyle::caption);
  Theme::setForeground(purgeable_, Tone::secondary);
  for (QLabel* text : {volumeName_, free_, purgeable_}) {
    text->setWordWrap(true);
    texts->addWidget(text);
  }
  row->addLayout(texts, 1);
  return line;
}

QWidget* MenuBarPanel::buildFooter() {
  auto* footer = new QWidget(this);
  auto* row = new QHBoxLayout(footer);
  row->setContentsMargins(0, 0, 0, 0);
  QPushButton* open = borderless(tr("Open Tolvex"), names::menuBarOpen, footer);
  QPushButton* quit = borderless(tr("Quit"), names::menuBarQuit, footer);
  row->addWidget(open);
  row->addStretch();
  row->addWidget(quit);
  connect(open, &QPushButton::clicked, this, &MenuBarPanel::openMainWindow);
  connect(quit, &QPushButton::clicked, this, &MenuBarPanel::quitRequested);
  return footer;
}

// ---- Actions ----------------------------------------------------------------------------------------

void MenuBarPanel::openTrends() {
  state_.setSection(AppSection::trends);
  emit mainWindowRequested();
}

void MenuBarPanel::openMainWindow() { emit mainWindowRequested(); }

void MenuBarPanel::quickClean() {
  state_.setSection(AppSection::smartClean);
  emit mainWindowRequested();
  // Publishes the scanning stage at once; a search or clean already under way is left to finish.
  state_.startSmartClean();
}

// ---- Drawing ----------------------------------------------------------------------------------------

void MenuBarPanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Each opening reads the volume afresh and records a free-space sample.
  state_.services().tick();
  refresh();
  // The panel's main action takes the keys, not whichever row happens to come first.
  quickClean_->setFocus(Qt::PopupFocusReason);
}

void MenuBarPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  if (isWindow()) {
    painter.setPen(Theme::primary(palette(), 0.15));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void MenuBarPanel::scheduleRefresh() {
  if (refreshQueued_) return;
  refreshQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    refreshQueued_ = false;
    refresh();
  });
}

void MenuBarPanel::refresh() {
  const std::optional<VolumeInfo>& volume = state_.services().volume();
  const double now = state_.environment().clock();
  spaceLine_->setVisible(volume.has_value());
  std::optional<ForecastSummary> summary;
  if (volume) {
    ring_->setValues(volume->total - volume->available, volume->total);
    percent_->setText(usedPercentText(*volume));
    volumeName_->setText(QString::fromStdString(volume->name));
    free_->setText(freeOfText(*volume));
    const std::optional<QString> purgeable = purgeableText(*volume);
    purgeable_->setVisible(purgeable.has_value());
    purgeable_->setText(purgeable.value_or(QString()));
    summary = ForecastSummary::make(
        forecastSpace(state_.trends().samples(), volume->available, now, kForecastWindowDays), now);
  }
  forecast_->setVisible(summary.has_value());
  if (summary) {
    forecastLabel_->setText(summary->title);
    forecastLabel_->setSymbol(summary->symbol);
    forecastLabel_->setColor(summary->tint);
  }

  const BackgroundServices& services = state_.services();
  autoClean_->setVisible(services.lastAutoClean().has_value());
  if (services.lastAutoClean())
    autoClean_->setText(autoCleanText(*services.lastAutoClean(), services.lastAutoCleanBytes(), now));

  const RemovedApp* removed = state_.removedApp();
  leftovers_->setVisible(removed != nullptr);
  if (removed) leftoversLabel_->setText(leftoversText(*removed));
  if (isWindow()) adjustSize();
}

}  // namespace tolvex
