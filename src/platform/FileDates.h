#pragma once
// Dates of a file or folder, in seconds since 1970 with their fraction. A final link is not followed:
// the dates are those of the entry itself. None when the entry cannot be read.
#include <optional>
#include <string>

namespace tolvex {

std::optional<double> contentModificationDate(const std::string& path);
std::optional<double> contentAccessDate(const std::string& path);

}  // namespace tolvex
