#pragma once
// The record of what was deleted, kept in "history.json", from which trashed items can be put back.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/StoreFile.h"

namespace tolvex {

struct HistoryEntry {
  std::string id;   // UUID, upper case with hyphens
  double date = 0;  // when the item was removed, seconds since 1970
  std::string originalPath;
  std::optional<std::string> trashPath;  // absent for a permanent removal
  int64_t size = 0;
  bool restored = false;

  bool operator==(const HistoryEntry&) const = default;
};

// The JSON of a list of entries: an array of objects with the keys "id", "date" (seconds since
// 1 January 2001), "originalPath", "trashPath" (left out when absent), "size" and "restored".
// JSON strings are Unicode text, and a path is bytes: a path that is valid UTF-8 is written as it is.
// A path that is not is written twice: as text under its usual key with each stray byte shown as
// U+FFFD (for readers that only display it), and byte for byte under "originalPathBytes" or
// "trashPathBytes", percent-encoded like a .trashinfo Path= value. The decoder takes the bytes key
// when present, so such a path comes back exactly; valid paths never get the extra key.
std::string encodeHistory(const std::vector<HistoryEntry>& entries);

// The entries of a history file, or none when it is not such a list: every key but "trashPath" is
// required with its type; unknown keys are ignored.
std::optional<std::vector<HistoryEntry>> decodeHistory(std::string_view json);

// What the user is told when the history could not be saved after a deletion (`error` is its errno).
std::string historyNotSavedReason(int error);

// Why an entry could not be put back.
struct RestoreFailure {
  int error = 0;  // errno-style code
  std::string reason;
  bool operator==(const RestoreFailure&) const = default;
};

// Reasons of a refused restore.
inline constexpr const char* kRestoreOccupiedReason =
    "Something with the same name is already at the original location. Nothing was changed.";
inline constexpr const char* kRestoreNotTheSameReason =
    "The item in the Trash is not the one that was deleted. Nothing was changed.";
inline constexpr const char* kRestoreFolderChangedReason =
    "The original folder is no longer where it was. The item stays in the Trash.";

// The deletion history, newest first, at most `kLimit` entries after each record. Used from one
// thread; `setObserver` is told after every change of the entries.
class DeletionHistory {
 public:
  static constexpr size_t kLimit = 5000;

  // The history kept in the file at `fileURL`, loaded. A file that is there but cannot be read as a
  // history is set aside (see `StoreFile`) and the history starts empty.
  explicit DeletionHistory(std::string fileURL);

  const std::vector<HistoryEntry>& entries() const { return entries_; }
  const std::string& fileURL() const { return file_.path(); }
  // Where an unreadable history file was moved at load, when one was.
  const std::optional<std::string>& setAsidePath() const { return file_.setAsidePath(); }

  // Replaces the entries (the History screen empties them this way); call `save` to keep the change.
  void setEntries(std::vector<HistoryEntry> entries);

  // Puts new entries in front (keeping their order), trims to `kLimit`, saves. Returns 0 or the errno
  // of a failed save: the entries are then in memory only and cannot be put back after a restart.
  [[nodiscard]] int record(const std::vector<HistoryEntry>& newEntries);
  // `record` without the save: the caller saves through `saveTask`.
  void add(const std::vector<HistoryEntry>& newEntries);

  // Puts a trashed item back where it was and marks its entry restored. Only the very item that was
  // deleted is put back (its .trashinfo names the entry's original path and a deletion date within
  // 2 seconds of the entry's date), only into the very folder it came from (opened without following
  // links, missing folders made anew), and nothing at the original path is ever replaced. An entry
  // without a Trash location is nothing to do. None on success (or nothing to do), else why not.
  // The change is saved; a failed save is left unsaid, as the item is back either way (a lost
  // "restored" mark only lets a later restore find the Trash without the item and say so).
  [[nodiscard]] std::optional<RestoreFailure> restore(const HistoryEntry& entry);
  // `restore` without the save: the caller saves through `saveTask`.
  [[nodiscard]] std::optional<RestoreFailure> restoreUnsaved(const HistoryEntry& entry);

  // Writes the entries to `fileURL` atomically. Returns 0 or the errno of the failure (EEXIST while an
  // unreadable file that could not be set aside is in the way).
  [[nodiscard]] int save() const;
  // The same write of the entries as they are now, to run later on any thread: they are encoded here,
  // and the task holds all it needs, so it may outlive the history. Returns what `save` would.
  std::function<int()> saveTask() const;

  // Removes the `count` oldest entries.
  void trim(size_t count);

  void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 private:
  void load();
  void changed();

  StoreFile file_;
  std::vector<HistoryEntry> entries_;
  std::function<void()> observer_;
};

}  // namespace tolvex
