#include "system/LocalSnapshot.h"

#include <algorithm>
#include <ctime>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include "platform/FolderListing.h"

namespace tolvex {

namespace {

// The tools list a few lines at once; one that hangs must not hold the screen's loader for ever.
constexpr double kListingTimeoutSeconds = 60;

// Snapper numbers its snapshots from 1 and stores them as unsigned 32-bit numbers.
constexpr size_t kSnapperNumberDigits = 9;
constexpr size_t kSnapperConfigLength = 64;

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

// A date laid out as `pattern` says: "Y", "M", "D", "h", "m", "s" stand for one ASCII digit of the
// year, month, day, hour, minute and second, anything else for itself. Read in the proleptic
// Gregorian calendar and the local time zone (the user's locale plays no part); none unless the text
// has exactly that shape and names a real moment.
std::optional<double> parseLocalDate(std::string_view text, std::string_view pattern) {
  if (text.size() != pattern.size()) return std::nullopt;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    int* field = nullptr;
    switch (pattern[i]) {
      case 'Y': field = &year; break;
      case 'M': field = &month; break;
      case 'D': field = &day; break;
      case 'h': field = &hour; break;
      case 'm': field = &minute; break;
      case 's': field = &second; break;
      default:
        if (text[i] != pattern[i]) return std::nullopt;
        continue;
    }
    if (!isAsciiDigit(text[i])) return std::nullopt;
    *field = *field * 10 + (text[i] - '0');
  }
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
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

bool isSnapperConfigName(std::string_view name) {
  if (name.empty() || name.size() > kSnapperConfigLength || name.front() == '-' || name.front() == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return isAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-' ||
           c == '.' || c == '@' || c == '+';
  });
}

std::optional<nlohmann::json> parsedJson(std::string_view text) {
  nlohmann::json json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) return std::nullopt;
  return json;
}

// What a listing program printed, when it ran to its end and said it succeeded.
std::optional<std::string> listingOutput(const ProcessRunner& run, const std::vector<std::string>& argv) {
  const auto result = run ? run(argv) : std::nullopt;
  if (!result || result->timedOut || result->exitStatus != 0) return std::nullopt;
  return result->output;
}

}  // namespace

std::optional<double> parseSnapshotDate(std::string_view text) { return parseLocalDate(text, "YYYY-MM-DD-hhmmss"); }

std::optional<double> parseTimeshiftSnapshotName(std::string_view name) {
  return parseLocalDate(name, "YYYY-MM-DD_hh-mm-ss");
}

std::optional<SnapperSnapshotName> parseSnapperSnapshotName(std::string_view name) {
  const size_t colon = name.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view config = name.substr(0, colon), number = name.substr(colon + 1);
  if (!isSnapperConfigName(config)) return std::nullopt;
  if (number.empty() || number.size() > kSnapperNumberDigits || number.front() == '0' ||
      !std::all_of(number.begin(), number.end(), isAsciiDigit))
    return std::nullopt;
  return SnapperSnapshotName{std::string(config), std::string(number)};
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

std::vector<std::string> parseSnapperConfigs(std::string_view text) {
  std::vector<std::string> configs;
  const auto json = parsedJson(text);
  if (!json || !json->is_object() || !json->contains("configs") || !(*json)["configs"].is_array()) return configs;
  for (const auto& entry : (*json)["configs"]) {
    if (!entry.is_object() || !entry.contains("config") || !entry["config"].is_string()) continue;
    const auto& name = entry["config"].get_ref<const std::string&>();
    if (isSnapperConfigName(name) && std::find(configs.begin(), configs.end(), name) == configs.end())
      configs.push_back(name);
  }
  return configs;
}

std::vector<LocalSnapshot> parseSnapperSnapshots(std::string_view text) {
  std::vector<LocalSnapshot> snapshots;
  const auto json = parsedJson(text);
  if (!json || !json->is_object()) return snapshots;
  for (const auto& [config, list] : json->items()) {
    if (!list.is_array()) continue;
    for (const auto& entry : list) {
      if (!entry.is_object() || !entry.contains("number") || !entry["number"].is_number_unsigned()) continue;
      const std::string name = config + ":" + std::to_string(entry["number"].get<uint64_t>());
      // The live system (number 0) and anything snapper could not be handed back are left out.
      if (!parseSnapperSnapshotName(name)) continue;
      std::optional<double> date;
      if (entry.contains("date") && entry["date"].is_string())
        date = parseLocalDate(entry["date"].get_ref<const std::string&>(), "YYYY-MM-DD hh:mm:ss");
      snapshots.push_back({name, date});
    }
  }
  sortLocalSnapshots(snapshots);
  return snapshots;
}

std::vector<LocalSnapshot> loadTmutilSnapshots(const ProcessRunner& run) {
  const auto result = run ? run({kTmutilPath, "listlocalsnapshots", "/"}) : std::nullopt;
  if (!result || result->timedOut) return {};
  return parseLocalSnapshots(result->output);
}

std::vector<LocalSnapshot> loadSnapperSnapshots(const ProcessRunner& run) {
  std::vector<LocalSnapshot> snapshots;
  const auto configs = listingOutput(run, {kSnapperPath, "--jsonout", "list-configs"});
  if (!configs) return snapshots;
  for (const std::string& config : parseSnapperConfigs(*configs)) {
    const auto listing = listingOutput(run, {kSnapperPath, "--jsonout", "-c", config, "list"});
    if (!listing) continue;  // "No permissions." for this user, or a failure
    for (LocalSnapshot& snapshot : parseSnapperSnapshots(*listing))
      if (parseSnapperSnapshotName(snapshot.name)->config == config) snapshots.push_back(std::move(snapshot));
  }
  sortLocalSnapshots(snapshots);
  return snapshots;
}

std::vector<LocalSnapshot> listTimeshiftSnapshots(const std::string& root) {
  std::vector<LocalSnapshot> snapshots;
  const std::string folder = root + "/timeshift/snapshots";
  const auto names = folderNames(folder);
  if (!names) return snapshots;
  for (const std::string& name : *names) {
    const auto date = parseTimeshiftSnapshotName(name);
    struct stat st {};
    // A snapshot is a folder of its own, never a link to one.
    if (!date || ::lstat((folder + "/" + name).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    snapshots.push_back({name, date});
  }
  sortLocalSnapshots(snapshots);
  return snapshots;
}

SnapshotSources SnapshotSources::standard() {
  return {[](const std::vector<std::string>& argv) {
            return runProcess(argv, ProcessOptions{.timeoutSeconds = kListingTimeoutSeconds});
          },
          {}};
}

std::vector<LocalSnapshot> loadLocalSnapshots() { return loadLocalSnapshots(SnapshotSources::standard()); }

std::vector<LocalSnapshot> loadLocalSnapshots(const SnapshotSources& sources) {
  std::vector<LocalSnapshot> snapshots = loadTmutilSnapshots(sources.run);
  for (auto more : {loadSnapperSnapshots(sources.run), listTimeshiftSnapshots(sources.root)})
    snapshots.insert(snapshots.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  sortLocalSnapshots(snapshots);
  return snapshots;
}

std::string localSnapshotDeletionScript(std::string_view datePart) {
  return "do shell script \"/usr/bin/tmutil deletelocalsnapshots " + std::string(datePart) +
         "\" with administrator privileges";
}

std::optional<std::string> deleteLocalSnapshot(const LocalSnapshot& snapshot) {
  return deleteLocalSnapshot(snapshot, [](const std::vector<std::string>& argv) { return runPrivileged(argv); });
}

namespace {

// The administrator's argument vector for a snapshot, by its name's form; none for a name of no
// known form. Only a name of exactly one tool's form ever reaches that tool.
std::optional<std::vector<std::string>> deletionCommand(const std::string& name) {
  if (name.starts_with("com.apple.")) {
    // tmutil reads what follows "deletelocalsnapshots" as options when it begins with "-": only a
    // real date goes.
    const auto datePart = snapshotDateComponent(name);
    if (!datePart || !parseSnapshotDate(*datePart)) return std::nullopt;
    return std::vector<std::string>{kTmutilPath, "deletelocalsnapshots", *datePart};
  }
  if (const auto snapper = parseSnapperSnapshotName(name))
    return std::vector<std::string>{kSnapperPath, "-c", snapper->config, "delete", snapper->number};
  if (parseTimeshiftSnapshotName(name))
    return std::vector<std::string>{kTimeshiftPath, "--delete", "--snapshot", name, "--scripted"};
  return std::nullopt;
}

}  // namespace

std::optional<std::string> deleteLocalSnapshot(const LocalSnapshot& snapshot, const PrivilegedRunner& run) {
  const auto command = deletionCommand(snapshot.name);
  if (!command) return std::string(kUnrecognisedSnapshotNameMessage);
  if (!run) return std::string(kCouldNotDeleteSnapshotMessage);
  return privilegedOutcomeMessage(run(*command), kCouldNotDeleteSnapshotMessage);
}

}  // namespace tolvex
