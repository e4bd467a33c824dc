#pragma once
// An on/off switch: a capsule track with a round knob, the accent colour when on. Checkable; `clicked`
// comes only from the user, so settings write on it and refresh the state under a signal blocker.
#include <QAbstractButton>

namespace tolvex {

class ToggleSwitch : public QAbstractButton {
  Q_OBJECT
 public:
  explicit ToggleSwitch(QWidget* parent = nullptr);

  QSize sizeHint() const override { return {34, 20}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tolvex
