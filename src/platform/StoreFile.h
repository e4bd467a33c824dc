#pragma once
// One of our own stores on disk (the deletion history, the trend files), read once at start-up and
// written whole after every change.
//
// Reading never waits on a FIFO and never follows a link. A file that is there but cannot be read or
// decoded is moved aside once, next to it as NAME.unreadable-YYYY-MM-DD (then -2, -3 …), so the user's
// records are never overwritten by an empty store; when it cannot be moved, the store keeps its
// changes in memory only.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tolvex {

class StoreFile {
 public:
  static constexpr size_t kDefaultLimit = size_t{64} << 20;

  explicit StoreFile(std::string path, size_t limit = kDefaultLimit);

  const std::string& path() const { return path_; }

  // The bytes of the file; none when it is missing, or when it is unreadable (it is then set aside).
  std::optional<std::string> read();

  // The bytes `read` gave could not be decoded: the file is set aside.
  void reject();

  // Writes `bytes` whole and atomically. Refused (EEXIST) while an unreadable file that could not be
  // set aside is in the way. Returns 0 or the errno of the failure.
  [[nodiscard]] int write(std::string_view bytes) const;

  // Where an unreadable file was moved to, when one was.
  const std::optional<std::string>& setAsidePath() const { return setAsidePath_; }

 private:
  void setAside();

  std::string path_;
  size_t limit_;
  bool blocked_ = false;
  std::optional<std::string> setAsidePath_;
};

// Says on standard error that the store at `path` could not be written (`error` is the errno, or
// `reason` the words): the least a failed write of a store whose loss the user is not shown gets.
void logUnsavedStore(const std::string& path, int error);
void logUnsavedStore(const std::string& path, const std::string& reason);

// Renames whatever is at `path` to `path` + ".unreadable-YYYY-MM-DD" (the local date of `now`, seconds
// since 1970), adding "-2", "-3" … when that name is taken; nothing is ever replaced. Returns the new
// path, or none when it could not be moved.
std::optional<std::string> setAsideUnreadable(const std::string& path, double now);

}  // namespace tolvex
