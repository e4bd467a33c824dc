#pragma once
// What a screen says about a fill-up forecast: a headline, a sentence of detail, a symbol and a tint.
// The Trends screen's forecast card and the menu-bar panel both build it from the same forecast and
// lay it out themselves, so wording, thresholds and colours agree in both places.
#include <QString>
#include <optional>

#include "app/theme/Theme.h"
#include "system/SpaceForecast.h"

namespace tolvex {

struct ForecastSummary {
  QString title;
  QString detail;
  QString symbol;
  ThemeColor tint;

  bool operator==(const ForecastSummary&) const = default;

  // None without a forecast (too few samples); otherwise always a summary. `now` (seconds since
  // 1970) dates the expected fill-up day. Texts are translated when built.
  static std::optional<ForecastSummary> make(const std::optional<SpaceForecast>& forecast, double now);
};

}  // namespace tolvex
