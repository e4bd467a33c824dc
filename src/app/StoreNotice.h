#pragma once
// The one message about our own files that could not be read at start-up and were set aside.
#include <optional>
#include <string>
#include <vector>

#include "app/DeletionPlan.h"

namespace tolvex {

// A toast naming the files that were set aside (their new paths); none when there are none.
std::optional<Toast> setAsideToast(const std::vector<std::string>& setAsidePaths);

}  // namespace tolvex
