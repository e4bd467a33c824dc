#pragma once
// The three steps of Quick Clean ("Scan", "Review", "Clean") in a capsule: a numbered or ticked
// circle and a title per step, joined by short connectors. A new phase cross-fades from the old look
// with the screen's spring; without animations it changes at once.
#include <QVariantAnimation>
#include <QWidget>

#include "app/AppSection.h"

namespace tolvex {

class StepIndicator : public QWidget {
  Q_OBJECT
 public:
  explicit StepIndicator(SmartPhase phase, QWidget* parent = nullptr);

  SmartPhase phase() const { return phase_; }
  void setPhase(SmartPhase phase);
  bool isAnimating() const { return animation_.state() == QAbstractAnimation::Running; }

  // Where step `index` draws its circle, and where the connector after it (0 or 1) lies.
  QRectF circleRect(int index) const;
  QRectF connectorRect(int index) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

  static constexpr int kCircle = 24;
  static constexpr int kConnectorWidth = 48;
  static constexpr int kConnectorHeight = 3;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int titleWidth(int index) const;
  QRectF titleRect(int index) const;
  void paintLook(QPainter* painter, SmartPhase phase) const;

  SmartPhase phase_;
  SmartPhase from_;
  qreal progress_ = 1;  // of the cross-fade from `from_` to `phase_`
  QVariantAnimation animation_;
};

}  // namespace tolvex
