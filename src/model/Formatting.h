#pragma once
#include <cstdint>
#include <string>

namespace tolvex {

// The separators of the user's locale. The UI sets them once at start-up, before any other thread
// runs; the default is English (United States).
struct NumberFormat {
  std::string groupSeparator = ",";
  std::string decimalSeparator = ".";
};
void setNumberFormat(const NumberFormat& format);
const NumberFormat& numberFormat();

// Groups the digits of a whole number: 1234567 -> "1,234,567".
std::string groupedNumber(int64_t value);

// The one byte-count formatter: decimal units KB, MB, GB and TB; 0 -> "Zero KB", any count below
// 1,000 -> "1 KB"; otherwise the largest unit whose value is at least 1, rounded half away from zero
// (0 decimals for KB, 1 for MB, 2 for GB and TB), trailing zeros dropped; a value that rounds to
// 1,000 of a unit moves to the next unit. A negative count is shown as its magnitude.
class ByteCountFormatter {
 public:
  std::string string(int64_t bytes) const;
};
const ByteCountFormatter& sharedByteFormatter();
inline std::string formatBytes(int64_t bytes) { return sharedByteFormatter().string(bytes); }

// "yesterday", "3 weeks ago", "in 2 hours"…; "—" for a date at or before one day after 1970.
// Dates are seconds since 1970.
std::string relativeDateText(double date, double now);
std::string relativeDateText(double date);

// A percentage: "0%" when total < 1; "<0.1%" below a thousandth; one decimal below 10 %.
std::string percentText(int64_t part, int64_t total);

// "less than a day", "about N days", "about N months", "more than 2 years".
std::string ageText(double days);

// "+" or "−" (U+2212) followed by the byte-count text of the magnitude.
std::string signedSizeText(int64_t bytes);

}  // namespace tolvex
