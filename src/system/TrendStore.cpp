#include "system/TrendStore.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

#include "platform/AtomicFile.h"
#include "platform/HomeFolder.h"
#include "platform/Identifiers.h"
#include "platform/Paths.h"

namespace tolvex {

using nlohmann::json;

namespace {

// ---- Path texts -------------------------------------------------------------------------------

// Length of the valid UTF-8 sequence (RFC 3629: no overlong forms, no surrogates, nothing above
// U+10FFFF) at the start of `s`, or 0 when there is none. A NUL byte counts as invalid here: it is
// the escape character of the stored form.
size_t validSequenceLength(std::string_view s) {
  auto at = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  auto inRange = [&](size_t i, unsigned lo, unsigned hi) { return i < s.size() && at(i) >= lo && at(i) <= hi; };
  unsigned c = at(0);
  if (c == 0) return 0;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return inRange(1, 0x80, 0xBF) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    unsigned lo = c == 0xE0 ? 0xA0 : 0x80;
    unsigned hi = c == 0xED ? 0x9F : 0xBF;
    return inRange(1, lo, hi) && inRange(2, 0x80, 0xBF) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    unsigned lo = c == 0xF0 ? 0x90 : 0x80;
    unsigned hi = c == 0xF4 ? 0x8F : 0xBF;
    return inRange(1, lo, hi) && inRange(2, 0x80, 0xBF) && inRange(3, 0x80, 0xBF) ? 4 : 0;
  }
  return 0;
}

constexpr char kEscape = '\0';
constexpr const char* kHexDigits = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower case is not canonical
}

// ---- Field readers ---------------------------------------------------------------------------

std::optional<int64_t> readInteger(const json& value) {
  if (value.is_number_unsigned()) {
    auto u = value.get<uint64_t>();
    if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
    return static_cast<int64_t>(u);
  }
  if (value.is_number_integer()) return value.get<int64_t>();
  return std::nullopt;
}

// A date as stored (seconds since 2001), as seconds since 1970.
std::optional<double> readDate(const json& value) {
  if (!value.is_number()) return std::nullopt;
  double seconds = value.get<double>();
  if (!std::isfinite(seconds)) return std::nullopt;
  return fromReferenceDate(seconds);
}

std::optional<std::string> readPath(const json& value) {
  if (!value.is_string()) return std::nullopt;
  return pathFromJsonText(value.get_ref<const std::string&>());
}

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// A UUID in its 36-character form (either case), upper-cased; none when malformed.
std::optional<std::string> normalisedUUID(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (out[i] != '-') return std::nullopt;
    } else {
      if (!isHexDigit(out[i])) return std::nullopt;
      if (out[i] >= 'a' && out[i] <= 'f') out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
  }
  return out;
}

// A map of path-like text → integer ("buckets", "folders").
std::optional<std::map<std::string, int64_t>> readSizeMap(const json& value) {
  if (!value.is_object()) return std::nullopt;
  std::map<std::string, int64_t> out;
  for (const auto& [key, bytes] : value.items()) {
    auto path = pathFromJsonText(key);
    auto number = readInteger(bytes);
    if (!path || !number) return std::nullopt;
    out[std::move(*path)] = *number;
  }
  return out;
}

json sizeMapJson(const std::map<std::string, int64_t>& map) {
  json out = json::object();
  for (const auto& [key, bytes] : map) out[jsonTextForPath(key)] = bytes;
  return out;
}

std::optional<json> parseArray(std::string_view text) {
  json document = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
  if (!document.is_array()) return std::nullopt;  // a parse failure is "discarded", not an array
  return document;
}

std::optional<std::string> dump(const json& document) {
  try {
    return document.dump();
  } catch (const json::exception&) {
    return std::nullopt;
  }
}

// Reads a store file; a file that is there but does not decode is set aside.
template <typename T>
std::vector<T> load(StoreFile& file, std::optional<std::vector<T>> (*decode)(std::string_view)) {
  auto bytes = file.read();
  if (!bytes) return {};
  auto decoded = decode(*bytes);
  if (!decoded) {
    file.reject();
    return {};
  }
  return std::move(*decoded);
}

}  // namespace

// ---- Path texts -------------------------------------------------------------------------------

std::string jsonTextForPath(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  size_t i = 0;
  while (i < path.size()) {
    size_t length = validSequenceLength(path.substr(i));
    if (length > 0) {
      out.append(path.substr(i, length));
      i += length;
    } else {
      auto byte = static_cast<unsigned char>(path[i]);
      out += kEscape;
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0xF];
      ++i;
    }
  }
  return out;
}

std::optional<std::string> pathFromJsonText(std::string_view text) {
  if (text.find(kEscape) == std::string_view::npos) return std::string(text);  // the common case
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != kEscape) {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  // Only the canonical text of a path is accepted: an escaped byte that belongs to a valid UTF-8
  // sequence would let two texts name the same path.
  if (jsonTextForPath(out) != text) return std::nullopt;
  return out;
}

// ---- File formats -----------------------------------------------------------------------------

std::optional<std::string> encodeSnapshots(const std::vector<ScanSnapshot>& snapshots) {
  json document = json::array();
  for (const ScanSnapshot& snapshot : snapshots) {
    if (!std::isfinite(snapshot.date)) return std::nullopt;
    json object = json::object();
    object["id"] = normalisedUUID(snapshot.id).value_or(snapshot.id);
    object["date"] = toReferenceDate(snapshot.date);
    object["root"] = jsonTextForPath(snapshot.root);
    object["total"] = snapshot.total;
    object["buckets"] = sizeMapJson(snapshot.buckets);
    object["folders"] = sizeMapJson(snapshot.folders);
    document.push_back(std::move(object));
  }
  return dump(document);
}

std::optional<std::vector<ScanSnapshot>> decodeSnapshots(std::string_view text) {
  auto document = parseArray(text);
  if (!document) return std::nullopt;
  std::vector<ScanSnapshot> out;
  out.reserve(document->size());
  for (const json& element : *document) {
    if (!element.is_object()) return std::nullopt;
    auto field = [&](const char* key) -> const json* {
      auto it = element.find(key);
      return it == element.end() ? nullptr : &*it;
    };
    const json *id = field("id"), *date = field("date"), *root = field("root"), *total = field("total"),
               *buckets = field("buckets"), *folders = field("folders");
    if (!id || !date || !root || !total || !buckets || !folders || !id->is_string()) return std::nullopt;
    ScanSnapshot snapshot;
    auto uuid = normalisedUUID(id->get_ref<const std::string&>());
    auto when = readDate(*date);
    auto rootPath = readPath(*root);
    auto bytes = readInteger(*total);
    auto bucketMap = readSizeMap(*buckets);
    auto folderMap = readSizeMap(*folders);
    if (!uuid || !when || !rootPath || !bytes || !bucketMap || !folderMap) return std::nullopt;
    snapshot.id = std::move(*uuid);
    snapshot.date = *when;
    snapshot.root = std::move(*rootPath);
    snapshot.total = *bytes;
    snapshot.buckets = std::move(*bucketMap);
    snapshot.folders = std::move(*folderMap);
    out.push_back(std::move(snapshot));
  }
  return out;
}

std::optional<std::string> encodeSamples(const std::vector<SpaceSample>& samples) {
  json document = json::array();
  for (const SpaceSample& sample : samples) {
    if (!std::isfinite(sample.date)) return std::nullopt;
    document.push_back({{"date", toReferenceDate(sample.date)}, {"used", sample.used}, {"total", sample.total}});
  }
  return dump(document);
}

std::optional<std::vector<SpaceSample>> decodeSamples(std::string_view text) {
  auto document = parseArray(text);
  if (!document) return std::nullopt;
  std::vector<SpaceSample> out;
  out.reserve(document->size());
  for (const json& element : *document) {
    if (!element.is_object()) return std::nullopt;
    auto date = element.find("date"), used = element.find("used"), total = element.find("total");
    if (date == element.end() || used == element.end() || total == element.end()) return std::nullopt;
    auto when = readDate(*date);
    auto usedBytes = readInteger(*used);
    auto totalBytes = readInteger(*total);
    if (!when || !usedBytes || !totalBytes) return std::nullopt;
    out.push_back({*when, *usedBytes, *totalBytes});
  }
  return out;
}

// ---- The store --------------------------------------------------------------------------------

TrendStore::TrendStore(std::string directory)
    : directory_(std::move(directory)),
      scansFile_(appendPath(directory_, kScansFileName)),
      spaceFile_(appendPath(directory_, kSpaceFileName)) {
  [[maybe_unused]] const bool made = makeFolders(directory_);  // then every write fails and is logged
  snapshots_ = load<ScanSnapshot>(scansFile_, decodeSnapshots);
  samples_ = load<SpaceSample>(spaceFile_, decodeSamples);
}

std::string TrendStore::scansFilePath() const { return scansFile_.path(); }
std::string TrendStore::spaceFilePath() const { return spaceFile_.path(); }

std::vector<std::string> TrendStore::setAsidePaths() const {
  std::vector<std::string> paths;
  for (const StoreFile* file : {&scansFile_, &spaceFile_})
    if (file->setAsidePath()) paths.push_back(*file->setAsidePath());
  return paths;
}

void TrendStore::recordSnapshot(ScanSnapshot snapshot) {
  if (!std::isfinite(snapshot.date)) return;
  // An id that could not be read back would make the whole file unreadable.
  if (auto id = normalisedUUID(snapshot.id)) {
    snapshot.id = std::move(*id);
  } else {
    snapshot.id = makeUUID();
  }

  // Positions in `snapshots_` of the root's snapshots, newest first, equal dates in stored order.
  auto sameRoot = [&](const std::string& root) {
    std::vector<size_t> indices;
    for (size_t i = 0; i < snapshots_.size(); ++i)
      if (snapshots_[i].root == root) indices.push_back(i);
    std::stable_sort(indices.begin(), indices.end(),
                     [&](size_t a, size_t b) { return snapshots_[a].date > snapshots_[b].date; });
    return indices;
  };
  // Removes the entries at the given positions. Entries are removed by position rather than by id,
  // so a repeated id can never take another root's snapshot or the new one with it.
  auto removeAt = [&](std::vector<size_t> indices) {
    std::sort(indices.begin(), indices.end(), std::greater<>());
    for (size_t index : indices) snapshots_.erase(snapshots_.begin() + static_cast<std::ptrdiff_t>(index));
  };

  auto same = sameRoot(snapshot.root);
  if (!same.empty() && !(snapshot.date - snapshots_[same.front()].date >= kSnapshotReplaceSeconds))
    removeAt({same.front()});
  snapshots_.push_back(std::move(snapshot));

  same = sameRoot(snapshots_.back().root);
  if (same.size() > kMaxSnapshotsPerRoot)
    removeAt(std::vector<size_t>(same.begin() + kMaxSnapshotsPerRoot, same.end()));

  writeSnapshots();
  publish(Change::snapshots);
}

void TrendStore::recordSample(const std::optional<VolumeInfo>& volume, double date) {
  if (!volume || !std::isfinite(date)) return;
  // The interval is measured from the newest sample not dated after `date`: a sample from a clock
  // that was ahead must not hold sampling back until its date comes.
  std::optional<double> newest;
  for (const SpaceSample& sample : samples_)
    if (sample.date <= date && (!newest || sample.date > *newest)) newest = sample.date;
  if (newest && date - *newest < kSampleIntervalSeconds) return;

  std::erase_if(samples_, [&](const SpaceSample& sample) { return sample.date > date; });
  int64_t used = 0;
  if (__builtin_sub_overflow(volume->total, volume->available, &used))
    used = volume->available > 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
  samples_.push_back({date, used, volume->total});
  std::erase_if(samples_, [&](const SpaceSample& sample) { return date - sample.date > kSampleRetentionSeconds; });

  writeSamples();
  publish(Change::samples);
}

std::vector<ScanSnapshot> TrendStore::snapshotsForRoot(std::string_view root) const {
  std::vector<ScanSnapshot> out;
  for (const ScanSnapshot& snapshot : snapshots_)
    if (snapshot.root == root) out.push_back(snapshot);
  std::stable_sort(out.begin(), out.end(),
                   [](const ScanSnapshot& a, const ScanSnapshot& b) { return a.date > b.date; });
  return out;
}

int TrendStore::addObserver(Observer observer) {
  int token = nextToken_++;
  observers_.emplace_back(token, std::move(observer));
  return token;
}

void TrendStore::removeObserver(int token) {
  std::erase_if(observers_, [&](const auto& entry) { return entry.first == token; });
}

void TrendStore::publish(Change change) {
  // A copy: an observer may add or remove observers while being called.
  auto observers = observers_;
  for (const auto& [token, observer] : observers)
    if (observer) observer(change);
}

void TrendStore::writeSnapshots() const { write(scansFile_, encodeSnapshots(snapshots_)); }

void TrendStore::writeSamples() const { write(spaceFile_, encodeSamples(samples_)); }

// A list that cannot be encoded is not written (dates that are not finite never get in): the file
// keeps its previous content, as after a failed write (the write is atomic).
void TrendStore::write(const StoreFile& file, std::optional<std::string> bytes) const {
  if (!bytes) return;
  // The file is copied: it only changes while the store loads, and the task may outlive the store.
  auto task = [file, bytes = std::move(*bytes)] { return file.write(bytes); };
  if (writer_) {
    writer_(file.path(), std::move(task));
  } else if (const int error = task()) {
    logUnsavedStore(file.path(), error);
  }
}

}  // namespace tolvex
