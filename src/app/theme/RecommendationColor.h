#pragma once
#include "app/theme/Theme.h"
#include "engines/Recommendation.h"

namespace tolvex {

// The theme colour of a recommendation card.
ThemeColor colorFor(RecommendationTint tint);

}  // namespace tolvex
