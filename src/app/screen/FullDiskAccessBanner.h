#pragma once
// The banner that asks for full disk access: a shield, what is missing and why, a button that opens
// the settings page where access is granted, and "I’ve Done It", which probes access again and
// stores the answer in AppState (the caller hides the banner once access is there).
#include "app/components/Card.h"

class QPushButton;

namespace tolvex {

class AppState;

class FullDiskAccessBanner : public Card {
  Q_OBJECT
 public:
  explicit FullDiskAccessBanner(AppState& state, QWidget* parent = nullptr);

  static constexpr int kMaxWidth = 520;

 private:
  AppState& state_;
};

}  // namespace tolvex
