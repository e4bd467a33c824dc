#pragma once
// A thin capsule filled in indigo on a faint track: how much of something is done or taken. The
// fill never shrinks below a round dot once anything is there.
#include <QProgressBar>

namespace tolvex {

class CapsuleBar : public QProgressBar {
  Q_OBJECT
 public:
  // `trackOpacity` is how strongly the window's text colour shows the empty track.
  explicit CapsuleBar(qreal trackOpacity, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  qreal trackOpacity_;
};

}  // namespace tolvex
