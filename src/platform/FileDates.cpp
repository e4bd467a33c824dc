#include "platform/FileDates.h"

#include <sys/stat.h>

namespace tolvex {

namespace {

double seconds(const timespec& when) {
  return static_cast<double>(when.tv_sec) + static_cast<double>(when.tv_nsec) / 1e9;
}

}  // namespace

std::optional<double> contentModificationDate(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  return seconds(st.st_mtim);
}

std::optional<double> contentAccessDate(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  return seconds(st.st_atim);
}

}  // namespace tolvex
