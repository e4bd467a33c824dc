#include "system/LocalSnapshot.h"

#include <algorithm>
#include <ctime>

namespace tolvex {

namespace {

// tmutil lists a few lines at once; one that hangs must not hold the screen's loader for ever.
constexpr double kTmutilTimeoutSeconds = 60;

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

std::string_view trimmedOfSpacesAndTabs(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<double> parseSnapshotDate(std::string_view text) {
  // yyyy-MM-dd-HHmmss
  if (text.size() != 17) return std::nullopt;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 4 || i == 7 || i == 10;
    if (dash ? text[i] != '-' : !isAsciiDigit(text[i])) return std::nullopt;
  }
  auto number = [&](size_t at, size_t length) {
    int value = 0;
    for (size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
  const int hour = number(11, 2), minute = number(13, 2), second = number(15, 2);
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  // mktime reads the fields in the proleptic Gregorian calendar and the local time zone; the
  // user's locale plays no part.
  struct tm fields {};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = -1;
  const time_t moment = std::mktime(&fields);
  if (moment == static_cast<time_t>(-1)) return std::nullopt;
  return static_cast<double>(moment);
}

std::optional<std::string> snapshotDateComponent(std::string_view name) {
  const auto pieces = split(name, '.');
  if (pieces.size() < 4) return std::nullopt;
  return std::string(pieces[3]);
}

std::vector<LocalSnapshot> parseLocalSnapshots(std::string_view text) {
  std::vector<LocalSnapshot> snapshots;
  for (std::string_view line : split(text, '\n')) {
    line = trimmedOfSpacesAndTabs(line);
    if (!line.starts_with("com.apple.")) continue;
    const auto datePart = snapshotDateComponent(line);
    snapshots.push_back({std::string(line), datePart ? parseSnapshotDate(*datePart) : std::nullopt});
  }
  sortLocalSnapshots(snapshots);
  return snapshots;
}

void sortLocalSnapshots(std::vector<LocalSnapshot>& snapshots) {
  std::stable_sort(snapshots.begin(), snapshots.end(), [](const LocalSnapshot& a, const LocalSnapshot& b) {
    if (!a.date || !b.date) return a.date.has_value() && !b.date.has_value();
    return *a.date > *b.date;
  });
}

std::vector<LocalSnapshot> loadLocalSnapshots() {
  return loadLocalSnapshots([](const std::vector<std::string>& argv) {
    return runProcess(argv, ProcessOptions{.timeoutSeconds = kTmutilTimeoutSeconds});
  });
}

std::vector<LocalSnapshot> loadLocalSnapshots(const ProcessRunner& run) {
  const auto result = run ? run({kTmutilPath, "listlocalsnapshots", "/"}) : std::nullopt;
  if (!result || result->timedOut) return {};
  return parseLocalSnapshots(result->output);
}

std::string localSnapshotDeletionScript(std::string_view datePart) {
  return "do shell script \"/usr/bin/tmutil deletelocalsnapshots " + std::string(datePart) +
         "\" with administrator privileges";
}

std::optional<std::string> deleteLocalSnapshot(const LocalSnapshot& snapshot) {
  return deleteLocalSnapshot(snapshot, [](const std::vector<std::string>& argv) { return runPrivileged(argv); });
}

std::optional<std::string> deleteLocalSnapshot(const LocalSnapshot& snapshot, const PrivilegedRunner& run) {
  const auto datePart = snapshotDateComponent(snapshot.name);
  if (!datePart || !std::all_of(datePart->begin(), datePart->end(), [](char c) { return isAsciiDigit(c) || c == '-'; }))
    return std::string(kUnrecognisedSnapshotNameMessage);
  if (!run) return std::string(kCouldNotDeleteSnapshotMessage);
  return privilegedOutcomeMessage(run({kTmutilPath, "deletelocalsnapshots", *datePart}),
                                  kCouldNotDeleteSnapshotMessage);
}

}  // namespace tolvex
