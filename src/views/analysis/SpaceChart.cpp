#include "views/analysis/SpaceChart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QGraphicsLayout>
#include <QEvent>
#include <QLineSeries>
#include <QPainter>
#include <QTimeZone>
#include <functional>

#include "app/ObjectNames.h"
#include "app/theme/Theme.h"

namespace tolvex {
namespace {

using spacechart::Point;

constexpr double kMsPerSecond = 1000;
constexpr double kPaddingSeconds = 3600;  // a chart of one instant still spans some time

QPen linePen(const QColor& color, qreal width, const QList<qreal>& dashes = {}) {
  QPen pen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  if (!dashes.isEmpty()) {
    // Dash lengths are given in points; Qt counts them in line widths.
    QList<qreal> pattern;
    for (qreal d : dashes) pattern << d / width;
    pen.setDashPattern(pattern);
    pen.setCapStyle(Qt::FlatCap);
  }
  return pen;
}

// Category labels must be unique; ticks whose byte texts coincide get invisible marks appended.
QString uniqueLabel(const QString& label, const QStringList& taken) {
  QString out = label;
  while (taken.contains(out)) out += QChar(0x200B);
  return out;
}

void setTicks(QCategoryAxis* axis, double lower, double upper, const std::vector<double>& values,
              const std::function<QString(double)>& label, double factor) {
  for (const QString& old : axis->categoriesLabels()) axis->remove(old);
  axis->setRange(lower * factor, upper * factor);
  axis->setStartValue(lower * factor - 1);
  QStringList taken;
  for (double value : values) {
    const QString text = uniqueLabel(label(value), taken);
    taken << text;
    axis->append(text, value * factor);
  }
}

}  // namespace

SpaceChart::SpaceChart(QWidget* parent)
    : QChartView(parent),
      used_(new QLineSeries),
      floor_(new QLineSeries),
      area_(new QAreaSeries),
      projected_(new QLineSeries),
      rule_(new QLineSeries),
      xAxis_(new QCategoryAxis),
      yAxis_(new QCategoryAxis) {
  setObjectName(QLatin1String(names::spaceChart));
  setAccessibleName(tr("Used space over time"));
  setRenderHint(QPainter::Antialiasing);
  setFrameShape(QFrame::NoFrame);
  setBackgroundBrush(Qt::NoBrush);
  setAutoFillBackground(false);
  viewport()->setAutoFillBackground(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  QChart* c = chart();
  c->setBackgroundVisible(false);
  c->setPlotAreaBackgroundVisible(false);
  c->setBackgroundRoundness(0);
  c->setMargins(QMargins(0, 4, 4, 0));
  c->layout()->setContentsMargins(0, 0, 0, 0);
  c->legend()->hide();
  c->setAnimationOptions(QChart::NoAnimation);

  // Area under the "Used" line down to the bottom of the domain; the line itself on top.
  area_->setUpperSeries(new QLineSeries(area_));
  area_->setLowerSeries(floor_);
  floor_->setParent(area_);
  c->addSeries(area_);
  c->addSeries(used_);
  c->addSeries(projected_);
  c->addSeries(rule_);

  for (QCategoryAxis* axis : {xAxis_, yAxis_}) {
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setLineVisible(false);
    axis->setMinorGridLineVisible(false);
    axis->setTruncateLabels(false);
  }
  c->addAxis(xAxis_, Qt::AlignBottom);
  c->addAxis(yAxis_, Qt::AlignLeft);
  for (QAbstractSeries* series : std::initializer_list<QAbstractSeries*>{area_, used_, projected_, rule_}) {
    series->attachAxis(xAxis_);
    series->attachAxis(yAxis_);
  }
  applyColors();
}

void SpaceChart::setData(const std::vector<SpaceSample>& samples, int64_t total,
                         const std::optional<SpaceForecast>& forecast) {
  if (hasData_ && samples == samples_ && total == total_ && forecast == forecast_) return;
  samples_ = samples;
  total_ = total;
  forecast_ = forecast;
  hasData_ = true;
  rebuild();
}

void SpaceChart::rebuild() {
  points_ = spacechart::points(samples_);
  projection_ =
      spacechart::projection(points_.empty() ? std::nullopt : std::optional<Point>(points_.back()), total_, forecast_);
  scale_ = spacechart::scale(points_, projection_, total_);

  double start = points_.empty() ? 0 : points_.front().date;
  double end = points_.empty() ? 0 : points_.back().date;
  if (!projection_.empty()) end = std::max(end, projection_.back().date);
  if (!(end > start)) start -= kPaddingSeconds, end += kPaddingSeconds;

  QList<QPointF> line, floor;
  for (const Point& p : points_) {
    line << QPointF(p.date * kMsPerSecond, p.used);
    floor << QPointF(p.date * kMsPerSecond, scale_.lower);
  }
  used_->replace(line);
  area_->upperSeries()->replace(line);
  floor_->replace(floor);
  QList<QPointF> projected;
  for (const Point& p : projection_) projected << QPointF(p.date * kMsPerSecond, p.used);
  projected_->replace(projected);
  rule_->clear();
  if (scale_.reachesFull) {
    const double y = static_cast<double>(total_);
    rule_->append(start * kMsPerSecond, y);
    rule_->append(end * kMsPerSecond, y);
  }

  const QTimeZone zone = QTimeZone::systemTimeZone();
  setTicks(yAxis_, scale_.lower, scale_.upper, spacechart::valueTicks(scale_.lower, scale_.upper),
           spacechart::valueLabel, 1);
  setTicks(
      xAxis_, start, end, spacechart::dateTicks(start, end, zone),
      [zone](double date) { return spacechart::dateLabel(date, zone); }, kMsPerSecond);
  viewport()->update();
}

QStringList SpaceChart::valueLabels() const {
  QStringList out;
  for (const QString& label : yAxis_->categoriesLabels()) out << QString(label).remove(QChar(0x200B));
  return out;
}

QStringList SpaceChart::dateLabels() const {
  QStringList out;
  for (const QString& label : xAxis_->categoriesLabels()) out << QString(label).remove(QChar(0x200B));
  return out;
}

void SpaceChart::applyColors() {
  const QPalette& pal = palette();
  QLinearGradient fill(QPointF(0, 0), QPointF(0, 1));
  fill.setCoordinateMode(QGradient::ObjectBoundingMode);
  fill.setColorAt(0, Theme::withOpacity(Theme::indigo(), 0.35));
  fill.setColorAt(1, Theme::withOpacity(Theme::accent(), 0.03));
  area_->setBrush(fill);
  area_->setPen(Qt::NoPen);
  used_->setPen(linePen(Theme::indigo(), 2.5));
  projected_->setPen(linePen(Theme::warning(pal), 2, {5, 5}));
  rule_->setPen(linePen(Theme::withOpacity(Theme::danger(pal), 0.6), 1, {2, 3}));

  yAxis_->setGridLinePen(QPen(Theme::primary(pal, 0.06), 1));
  xAxis_->setGridLinePen(QPen(Theme::primary(pal, 0.04), 1));
  yAxis_->setLabelsFont(Theme::monospacedDigitFont(TextStyle::caption2));
  xAxis_->setLabelsFont(Theme::font(TextStyle::caption2));
  for (QCategoryAxis* axis : {xAxis_, yAxis_}) axis->setLabelsColor(Theme::secondary(pal));
  viewport()->update();
}

void SpaceChart::changeEvent(QEvent* event) {
  QChartView::changeEvent(event);
  // Chart items keep plain colours: they are recomputed from the palette whenever it changes.
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) applyColors();
}

void SpaceChart::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  if (!scale_.reachesFull || points_.empty()) return;
  // "Disk full" under the rule, at the leading edge of the plot.
  const QRectF plot = chart()->plotArea();
  const QPointF at = chart()->mapToPosition(QPointF(xAxis_->min(), static_cast<double>(total_)), rule_);
  const QFont font = Theme::font(TextStyle::caption2);
  painter->save();
  painter->setFont(font);
  painter->setPen(Theme::danger(palette()));
  const QFontMetricsF metrics(font);
  painter->drawText(QPointF(plot.left() + 2, at.y() + 2 + metrics.ascent()), tr("Disk full"));
  painter->restore();
}

}  // namespace tolvex
