#pragma once
// The disclosure chevrons of a painted list: each group's chevron turns a quarter in 0.15 s when its
// group opens or closes (at once without animations). The list's delegate asks for the angle to draw.
#include <QVariantAnimation>
#include <map>
#include <memory>
#include <string>

class QWidget;

namespace tolvex {

class ChevronTurns {
 public:
  // `viewport` is repainted while a chevron turns.
  explicit ChevronTurns(QWidget* viewport) : viewport_(viewport) {}

  // The angle to draw the chevron of `key` at: the running turn's, else 90° open and 0° closed.
  double angle(const std::string& key, bool open) const;
  // Turns the chevron of `key` from where it is towards its new state.
  void turn(const std::string& key, bool open);

 private:
  QWidget* viewport_;
  std::map<std::string, std::unique_ptr<QVariantAnimation>> turns_;
};

}  // namespace tolvex
