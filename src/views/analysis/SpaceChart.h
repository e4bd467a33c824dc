#pragma once
// The history of used space on the volume from the hourly samples, with the dashed projection of
// the current trend and, when that reaches the disk size, the "Disk size" rule with a "Disk full"
// note. No interaction, no state beyond what it was last given.
#include <QChartView>
#include <QStringList>
#include <optional>
#include <vector>

#include "system/ScanSnapshot.h"
#include "system/SpaceForecast.h"
#include "views/analysis/logic/SpaceChartScale.h"

class QAreaSeries;
class QCategoryAxis;
class QLineSeries;

namespace tolvex {

class SpaceChart : public QChartView {
  Q_OBJECT
 public:
  explicit SpaceChart(QWidget* parent = nullptr);

  // Redraws from these inputs; the same inputs again change nothing.
  void setData(const std::vector<SpaceSample>& samples, int64_t total, const std::optional<SpaceForecast>& forecast);

  // What is drawn (dates in seconds since 1970, values in bytes).
  const std::vector<spacechart::Point>& points() const { return points_; }
  const std::vector<spacechart::Point>& projection() const { return projection_; }
  const spacechart::Scale& scale() const { return scale_; }
  bool showsFullRule() const { return scale_.reachesFull; }
  QStringList valueLabels() const;
  QStringList dateLabels() const;

 protected:
  void drawForeground(QPainter* painter, const QRectF& rect) override;
  void changeEvent(QEvent* event) override;

 private:
  void rebuild();
  void applyColors();

  std::vector<SpaceSample> samples_;
  int64_t total_ = 0;
  std::optional<SpaceForecast> forecast_;
  bool hasData_ = false;

  std::vector<spacechart::Point> points_;
  std::vector<spacechart::Point> projection_;
  spacechart::Scale scale_;

  QLineSeries* used_;
  QLineSeries* floor_;
  QAreaSeries* area_;
  QLineSeries* projected_;
  QLineSeries* rule_;
  QCategoryAxis* xAxis_;
  QCategoryAxis* yAxis_;
};

}  // namespace tolvex
