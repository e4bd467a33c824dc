#include "engines/DeletionHistory.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include "engines/Deleter.h"
#include "platform/AtomicFile.h"
#include "platform/Identifiers.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "platform/Utf8.h"

namespace tolvex {

namespace {

void putPath(nlohmann::ordered_json& object, const char* key, const std::string& path) {
  if (isValidUtf8(path)) {
    object[key] = path;
  } else {
    object[key] = utf8WithReplacements(path);
    object[std::string(key) + "Bytes"] = percentEncodePath(path);
  }
}

std::optional<std::string> takePath(const nlohmann::json& object, const char* key) {
  std::optional<std::string> path;
  auto bytes = object.find(std::string(key) + "Bytes");
  if (bytes != object.end()) {
    if (!bytes->is_string()) return std::nullopt;
    path = percentDecodePath(bytes->get_ref<const std::string&>());
  } else if (auto text = object.find(key); text != object.end() && text->is_string()) {
    path = text->get<std::string>();
  }
  // A NUL byte would cut the path short at the first system call: it names another file.
  if (path && path->find('\0') != std::string::npos) return std::nullopt;
  return path;
}

bool isUUID(std::string_view text) {
  if (text.size() != 36) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != '-') return false;
    } else if (!std::isxdigit(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

std::string uppercased(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::optional<HistoryEntry> decodeEntry(const nlohmann::json& object) {
  if (!object.is_object()) return std::nullopt;
  HistoryEntry entry;
  auto id = object.find("id");
  if (id == object.end() || !id->is_string() || !isUUID(id->get_ref<const std::string&>())) return std::nullopt;
  entry.id = uppercased(id->get<std::string>());
  auto date = object.find("date");
  if (date == object.end() || !date->is_number()) return std::nullopt;
  entry.date = fromReferenceDate(date->get<double>());
  auto original = takePath(object, "originalPath");
  if (!original) return std::nullopt;
  entry.originalPath = std::move(*original);
  if (object.contains("trashPath") || object.contains("trashPathBytes")) {
    auto trash = takePath(object, "trashPath");
    if (!trash) return std::nullopt;
    entry.trashPath = std::move(*trash);
  }
  auto size = object.find("size");
  if (size == object.end()) return std::nullopt;
  if (size->is_number_unsigned()) {
    if (size->get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
    entry.size = static_cast<int64_t>(size->get<uint64_t>());
  } else if (size->is_number_integer()) {
    entry.size = size->get<int64_t>();
  } else {
    return std::nullopt;
  }
  auto restored = object.find("restored");
  if (restored == object.end() || !restored->is_boolean()) return std::nullopt;
  entry.restored = restored->get<bool>();
  return entry;
}

}  // namespace

std::string encodeHistory(const std::vector<HistoryEntry>& entries) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const HistoryEntry& entry : entries) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    object["id"] = entry.id;
    object["date"] = toReferenceDate(entry.date);
    putPath(object, "originalPath", entry.originalPath);
    if (entry.trashPath) putPath(object, "trashPath", *entry.trashPath);
    object["size"] = entry.size;
    object["restored"] = entry.restored;
    list.push_back(std::move(object));
  }
  // Every string is valid UTF-8 by now; replace anything else rather than throw.
  return list.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::optional<std::vector<HistoryEntry>> decodeHistory(std::string_view json) {
  nlohmann::json list = nlohmann::json::parse(json, nullptr, false);
  if (list.is_discarded() || !list.is_array()) return std::nullopt;
  std::vector<HistoryEntry> entries;
  entries.reserve(list.size());
  for (const auto& object : list) {
    auto entry = decodeEntry(object);
    if (!entry) return std::nullopt;
    entries.push_back(std::move(*entry));
  }
  return entries;
}

std::string historyNotSavedReason(int error) {
  std::string why = failureReason(error);
  if (!why.ends_with('.')) why += '.';
  return "The history could not be saved: " + why + " The items just removed can't be put back after Tolvex quits.";
}

DeletionHistory::DeletionHistory(std::string fileURL) : file_(std::move(fileURL)) { load(); }

void DeletionHistory::load() {
  auto bytes = file_.read();
  if (!bytes) return;
  if (auto decoded = decodeHistory(*bytes))
    entries_ = std::move(*decoded);
  else
    file_.reject();
}

void DeletionHistory::changed() {
  if (observer_) observer_();
}

void DeletionHistory::setEntries(std::vector<HistoryEntry> entries) {
  entries_ = std::move(entries);
  changed();
}

int DeletionHistory::record(const std::vector<HistoryEntry>& newEntries) {
  add(newEntries);
  return save();
}

void DeletionHistory::add(const std::vector<HistoryEntry>& newEntries) {
  entries_.insert(entries_.begin(), newEntries.begin(), newEntries.end());
  if (entries_.size() > kLimit) entries_.resize(kLimit);  // the oldest go; one change is published
  changed();
}

void DeletionHistory::trim(size_t count) {
  if (count == 0) return;
  entries_.resize(entries_.size() > count ? entries_.size() - count : 0);
  changed();
}

int DeletionHistory::save() const { return saveTask()(); }

std::function<int()> DeletionHistory::saveTask() const {
  std::string json;
  try {
    json = encodeHistory(entries_);
  } catch (const std::exception&) {
    return [] { return EINVAL; };
  }
  // The file is copied: it only changes while the history loads, and the copy keeps the task whole
  // after the history is gone.
  return [file = file_, json = std::move(json)] { return file.write(json); };
}

std::optional<RestoreFailure> DeletionHistory::restore(const HistoryEntry& entry) {
  auto failure = restoreUnsaved(entry);
  if (!failure) {
    [[maybe_unused]] const int unsaved = save();
  }
  return failure;
}

std::optional<RestoreFailure> DeletionHistory::restoreUnsaved(const HistoryEntry& entry) {
  if (!entry.trashPath) return std::nullopt;
  const std::string& trashPath = *entry.trashPath;
  struct stat st {};
  if (::lstat(trashPath.c_str(), &st) != 0) return RestoreFailure{errno, failureReason(errno)};
  // Only the item this entry moved to the Trash goes back: the Trash's own record of it must name the
  // same place and the same moment.
  auto info = readTrashInfo(trashPath);
  if (!info || info->path != entry.originalPath || !deletionDateMatches(info->deletionDate, entry.date, 2.0))
    return RestoreFailure{ESTALE, kRestoreNotTheSameReason};
  if (::lstat(entry.originalPath.c_str(), &st) == 0) return RestoreFailure{EEXIST, kRestoreOccupiedReason};
  if (int error = restoreFromTrash(trashPath, entry.originalPath)) {
    if (error == EEXIST) return RestoreFailure{EEXIST, kRestoreOccupiedReason};
    if (error == ELOOP) return RestoreFailure{ELOOP, kRestoreFolderChangedReason};
    return RestoreFailure{error, failureReason(error)};
  }
  for (HistoryEntry& stored : entries_) {
    if (stored.id == entry.id) {
      stored.restored = true;
      changed();
      break;
    }
  }
  return std::nullopt;
}

}  // namespace tolvex
