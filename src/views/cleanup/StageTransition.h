#pragma once
// The change of one Quick Clean stage for the next: the leaving stage fades out while the coming one
// fades in, growing from 96 % of its size about its centre, with the screen's spring. It paints
// pictures of both stages over the place they share; the coming stage itself is shown at the end.
#include <QPixmap>
#include <QWidget>
#include <functional>

#include "app/components/SpringAnimation.h"

namespace tolvex {

class StageTransition : public QWidget {
  Q_OBJECT
 public:
  explicit StageTransition(QWidget* parent);

  // A picture of the area of `stage`'s parent with the stage and its children where they lie, on a
  // transparent ground (the page's glows show through).
  static QPixmap picture(QWidget* stage);

  // Covers the parent and cross-fades; `done` runs at the end (at once without animations).
  void run(const QPixmap& from, const QPixmap& to, std::function<void()> done);
  // Ends a running change at once (its `done` runs).
  void finish() { spring_.finish(); }
  bool isRunning() const { return spring_.isRunning(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap from_;
  QPixmap to_;
  qreal progress_ = 1;
  SpringAnimation spring_;
};

}  // namespace tolvex
