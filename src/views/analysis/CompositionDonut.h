#pragma once
// The composition card's donut: one sector per category (then a grey "macOS and other"), the
// categories other than the selected one dimmed, and the selected category's bytes (or the total)
// in the hole. Hovering a category's sector selects it, as hovering its legend row does.
#include <QWidget>
#include <optional>

#include "views/analysis/logic/Composition.h"

class QLabel;

namespace tolvex {

class CompositionDonut : public QWidget {
  Q_OBJECT
 public:
  explicit CompositionDonut(QWidget* parent = nullptr);

  void setComposition(const Composition& composition);
  void setSelected(std::optional<StorageBucket> selected);
  std::optional<StorageBucket> selected() const { return selected_; }
  CompositionCentre centre() const { return composition_.centre(selected_); }

  static constexpr int kSide = 230;
  static constexpr double kInnerRatio = 0.62;
  static constexpr double kDimmedOpacity = 0.35;
  static constexpr double kOtherOpacity = 0.4;
  static constexpr double kInset = 1.5;  // pixels between neighbouring sectors
  static constexpr double kCornerRadius = 4;

  // The sector under a point of the widget, if any.
  std::optional<size_t> sectorAt(QPointF point) const;
  // A point in the middle of sector `index` (tests, and anyone hovering by keyboard).
  QPointF sectorMiddle(size_t index) const;
  const std::vector<DonutSector>& sectors() const { return sectors_; }

 signals:
  void sectorEntered(std::optional<StorageBucket> bucket);
  void sectorLeft(std::optional<StorageBucket> bucket);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QPointF middle() const;
  double outerRadius() const;
  void hoverSector(std::optional<size_t> index);
  void syncCentre();

  Composition composition_;
  std::vector<DonutSector> sectors_;
  std::optional<StorageBucket> selected_;
  std::optional<size_t> hovered_;
  QLabel* value_;
  QLabel* caption_;
};

}  // namespace tolvex
