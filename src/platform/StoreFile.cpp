#include "platform/StoreFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/FolderHandle.h"
#include "platform/Identifiers.h"

namespace tolvex {

StoreFile::StoreFile(std::string path, size_t limit) : path_(std::move(path)), limit_(limit) {}

std::optional<std::string> StoreFile::read() {
  FileRead file = readRegularFile(path_, FileLinks::refuse, limit_);
  if (file.error == ENOENT) return std::nullopt;
  if (file.error) {
    setAside();
    return std::nullopt;
  }
  return std::move(file.bytes);
}

void StoreFile::reject() { setAside(); }

int StoreFile::write(std::string_view bytes) const {
  if (blocked_) return EEXIST;
  return writeFileAtomically(path_, bytes);
}

void StoreFile::setAside() {
  setAsidePath_ = setAsideUnreadable(path_, nowSince1970());
  blocked_ = !setAsidePath_;
}

void logUnsavedStore(const std::string& path, int error) {
  logUnsavedStore(path, std::generic_category().message(error));
}

void logUnsavedStore(const std::string& path, const std::string& reason) {
  // One call, so that lines of several threads never mix.
  const std::string line = "Tolvex: " + path + " could not be saved: " + reason + "\n";
  std::fputs(line.c_str(), stderr);
}

std::optional<std::string> setAsideUnreadable(const std::string& path, double now) {
  const time_t t = static_cast<time_t>(std::floor(now));
  struct tm local {};
  localtime_r(&t, &local);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%d", &local);
  const std::string base = path + ".unreadable-" + date;
  for (int attempt = 1; attempt <= 1000; ++attempt) {
    const std::string aside = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    const int error = renameNoReplace(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str());
    if (error == 0) return aside;
    if (error != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace tolvex
