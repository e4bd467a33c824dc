#include "views/analysis/ForecastCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/ObjectNames.h"
#include "app/components/CapsuleBar.h"
#include "app/components/SymbolTile.h"
#include "app/theme/Theme.h"
#include "views/analysis/SpaceChart.h"
#include "views/analysis/logic/ForecastSummary.h"

namespace tolvex {
namespace {

constexpr double kSecondsPerDay = 86'400;
constexpr int kTileSymbolPx = 24;
constexpr int kChartHeight = 220;
constexpr int kProgressWidth = 260;

QLabel* headline(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(Theme::systemFont(24, QFont::Bold));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  return label;
}

QLabel* secondaryText(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(Theme::font(TextStyle::body));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  Theme::setForeground(label, Tone::secondary);
  return label;
}

// A tile beside a column of texts, aligned to the top.
QVBoxLayout* tileRow(QWidget* row, SymbolTile* tile, int spacing) {
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(16);
  layout->addWidget(tile, 0, Qt::AlignTop);
  auto* column = new QVBoxLayout;
  column->setSpacing(spacing);
  layout->addLayout(column, 1);
  return column;
}

}  // namespace

ForecastCard::ForecastCard(QWidget* parent) : Card(20, parent) {
  setObjectName(QLatin1String(names::forecastCard));
  body()->setSpacing(18);

  summary_ = new QWidget(this);
  summary_->setObjectName(QLatin1String(names::forecastSummary));
  summaryTile_ =
      new SymbolTile(QStringLiteral("checkmark.seal.fill"), Theme::success(), kTileSymbolPx, 54, 14, summary_);
  summaryTitle_ = headline(QString(), summary_);
  summaryTitle_->setObjectName(QLatin1String(names::forecastTitle));
  summaryDetail_ = secondaryText(QString(), summary_);
  summaryDetail_->setObjectName(QLatin1String(names::forecastDetail));
  QVBoxLayout* texts = tileRow(summary_, summaryTile_, 4);
  texts->addWidget(summaryTitle_);
  texts->addWidget(summaryDetail_);
  body()->addWidget(summary_);

  learning_ = new QWidget(this);
  learning_->setObjectName(QLatin1String(names::forecastLearning));
  auto* learningTile = new SymbolTile(QStringLiteral("hourglass"), Theme::indigo(), kTileSymbolPx, 54, 14, learning_);
  texts = tileRow(learning_, learningTile, 6);
  texts->addWidget(headline(tr("Learning how your disk fills up"), learning_));
  texts->addWidget(
      secondaryText(tr("Tolvex notes your free space about once an hour while it’s open or in the menu bar. "
                       "After two days it can estimate when the disk would fill up."),
                    learning_));
  learningProgress_ = new CapsuleBar(0.1, learning_);
  learningProgress_->setFixedSize(kProgressWidth, 6);
  learningProgress_->setObjectName(QLatin1String(names::forecastLearningProgress));
  learningProgress_->setRange(0, kProgressSteps);
  texts->addSpacing(4);
  texts->addWidget(learningProgress_, 0, Qt::AlignLeft);  // aligned, so its width limit stays its own
  body()->addWidget(learning_);

  chart_ = new SpaceChart(this);
  chart_->setFixedHeight(kChartHeight);
  body()->addWidget(chart_);
}

std::optional<SpaceForecast> ForecastCard::forecastFor(const std::vector<SpaceSample>& samples,
                                                       const std::optional<VolumeInfo>& volume, double now) {
  if (!volume) return std::nullopt;
  return forecastSpace(samples, volume->available, now, kWindowDays);
}

double ForecastCard::daysLearned(const std::vector<SpaceSample>& samples, double now) {
  if (samples.empty()) return 0;
  return (now - samples.front().date) / kSecondsPerDay;
}

void ForecastCard::showSamples(const std::vector<SpaceSample>& samples, const std::optional<VolumeInfo>& volume,
                               double now) {
  const std::optional<SpaceForecast> forecast = forecastFor(samples, volume, now);
  const std::optional<ForecastSummary> summary = ForecastSummary::make(forecast, now);
  summary_->setVisible(summary.has_value());
  learning_->setVisible(!summary.has_value());
  if (summary) {
    summaryTile_->setSymbol(summary->symbol, summary->tint);
    summaryTitle_->setText(summary->title);
    summaryDetail_->setText(summary->detail);
  } else {
    // A clock set back before the first sample reads as nothing learned yet.
    double days = std::min(daysLearned(samples, now), kLearningDays);
    if (!std::isfinite(days) || days < 0) days = 0;
    learningProgress_->setValue(static_cast<int>(std::lround(days / kLearningDays * kProgressSteps)));
  }
  const bool withChart = samples.size() > 1 && volume.has_value();
  chart_->setVisible(withChart);
  if (withChart) chart_->setData(samples, volume->total, forecast);
}

}  // namespace tolvex
