#include "app/theme/RecommendationColor.h"

namespace tolvex {

ThemeColor colorFor(RecommendationTint tint) {
  switch (tint) {
    case RecommendationTint::green: return Theme::green();
    case RecommendationTint::tan: return Theme::tan();
    case RecommendationTint::orange: return Theme::orange();
    case RecommendationTint::purple: return Theme::purple();
    case RecommendationTint::warning: return Theme::warning();
    case RecommendationTint::cyan: return Theme::cyan();
    case RecommendationTint::accent: return Theme::accent();
  }
  return {};
}

}  // namespace tolvex
