#include "model/Formatting.h"

#include <cmath>
#include <cstdio>

#include "platform/Identifiers.h"

namespace tolvex {

namespace {
NumberFormat& mutableFormat() {
  static NumberFormat format;
  return format;
}
}  // namespace

void setNumberFormat(const NumberFormat& format) { mutableFormat() = format; }
const NumberFormat& numberFormat() { return mutableFormat(); }

std::string groupedNumber(int64_t value) {
  const bool negative = value < 0;
  unsigned long long magnitude =
      negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  std::string digits = std::to_string(magnitude);
  std::string out;
  const std::string& sep = numberFormat().groupSeparator;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += sep;
    out += digits[i];
  }
  return negative ? "-" + out : out;
}

std::string ByteCountFormatter::string(int64_t bytes) const {
  using int128 = __int128;
  int128 magnitude = bytes < 0 ? -static_cast<int128>(bytes) : static_cast<int128>(bytes);
  if (magnitude == 0) return "Zero KB";
  if (magnitude < 1000) return "1 KB";
  struct Unit {
    const char* name;
    int128 size;
    int decimals;
  };
  static constexpr Unit units[] = {
      {"KB", 1000, 0}, {"MB", 1000000, 1}, {"GB", 1000000000, 2}, {"TB", 1000000000000LL, 2}};
  size_t u = 0;
  while (u + 1 < std::size(units) && magnitude >= units[u + 1].size) ++u;
  int128 scaled = 0, factor = 1;
  for (;; ++u) {
    factor = 1;
    for (int d = 0; d < units[u].decimals; ++d) factor *= 10;
    // Round half away from zero on the exact value magnitude × factor ÷ unit.
    scaled = (magnitude * factor * 2 + units[u].size) / (units[u].size * 2);
    if (scaled < 1000 * factor || u + 1 == std::size(units)) break;
  }
  auto whole = static_cast<int64_t>(scaled / factor);
  auto fraction = static_cast<int64_t>(scaled % factor);
  int decimals = units[u].decimals;
  while (decimals > 0 && fraction % 10 == 0) {
    fraction /= 10;
    --decimals;
  }
  std::string out = groupedNumber(whole);
  if (decimals > 0) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%0*lld", decimals, static_cast<long long>(fraction));
    out += numberFormat().decimalSeparator + buffer;
  }
  return out + " " + units[u].name;
}

const ByteCountFormatter& sharedByteFormatter() {
  static const ByteCountFormatter formatter;
  return formatter;
}

std::string relativeDateText(double date, double now) {
  if (!(date > 86400.0)) return "\u2014";
  const double delta = date - now;  // negative: in the past
  const double seconds = std::fabs(delta);
  const bool past = delta < 0;
  struct Unit {
    const char* singular;
    const char* plural;
    double length;
    const char* last;
    const char* next;
  };
  static constexpr Unit units[] = {
      {"year", "years", 365.0 * 86400, "last year", "next year"},
      {"month", "months", 30.0 * 86400, "last month", "next month"},
      {"week", "weeks", 7.0 * 86400, "last week", "next week"},
      {"day", "days", 86400, "yesterday", "tomorrow"},
      {"hour", "hours", 3600, nullptr, nullptr},
      {"minute", "minutes", 60, nullptr, nullptr},
      {"second", "seconds", 1, nullptr, nullptr},
  };
  for (const Unit& unit : units) {
    const auto count = static_cast<int64_t>(std::floor(seconds / unit.length));
    if (count < 1) continue;
    if (count == 1 && unit.last) return past ? unit.last : unit.next;
    std::string amount = groupedNumber(count) + " " + (count == 1 ? unit.singular : unit.plural);
    return past ? amount + " ago" : "in " + amount;
  }
  return "now";
}

std::string relativeDateText(double date) { return relativeDateText(date, nowSince1970()); }

std::string percentText(int64_t part, int64_t total) {
  auto format = [](double percent, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, percent);
    std::string text = buffer;
    if (auto dot = text.find('.'); dot != std::string::npos) text.replace(dot, 1, numberFormat().decimalSeparator);
    auto dot = text.find(numberFormat().decimalSeparator);
    std::string whole = dot == std::string::npos ? text : text.substr(0, dot);
    std::string rest = dot == std::string::npos ? "" : text.substr(dot);
    bool negative = !whole.empty() && whole[0] == '-';
    std::string grouped = groupedNumber(std::stoll(negative ? whole.substr(1) : whole));
    return (negative ? "-" : "") + grouped + rest + "%";
  };
  if (total < 1) return format(0, 0);
  const double ratio = static_cast<double>(part) / static_cast<double>(total);
  if (ratio < 0.001 && part >= 1) return "<" + format(0.1, 1);
  return format(ratio * 100.0, ratio < 0.1 ? 1 : 0);
}

std::string ageText(double days) {
  if (days < 1) return "less than a day";
  if (days < 60) return "about " + groupedNumber(static_cast<int64_t>(std::round(days))) + " days";
  if (days < 730) return "about " + groupedNumber(static_cast<int64_t>(std::round(days / 30.0))) + " months";
  return "more than 2 years";
}

std::string signedSizeText(int64_t bytes) { return (bytes < 0 ? "\u2212" : "+") + formatBytes(bytes); }

}  // namespace tolvex
