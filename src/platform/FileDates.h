#pragma once
// Dates of a file or folder, in seconds since 1970 with their fraction. A final link is not followed:
// the dates are those of the entry itself. None when the entry cannot be read.
#include <optional>
#include <string>

namespace tolvex {

// The earliest date the system knows (1 January of year 1), in seconds since 1970: the date of
// "never used" and of an item without a modification date.
inline constexpr double kDistantPast = -62135596800.0;

std::optional<double> contentModificationDate(const std::string& path);
std::optional<double> contentAccessDate(const std::string& path);

}  // namespace tolvex
