#include "support/TempHome.h"

#include <climits>
#include <cstdlib>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvex::test {

namespace {
int removeEntry(const char* path, const struct stat*, int type, FTW*) {
  // Folders made unreadable by a test must be opened up again before they can be emptied. Only
  // folders: chmod follows links, and a fixture's link to /etc would lock everyone else out of it.
  if (type == FTW_DP || type == FTW_DNR) ::chmod(path, 0700);
  ::remove(path);
  return 0;
}

void openUp(const std::string& path) {
  // nftw cannot descend into folders without permission: give them back to the owner first.
  nftw(
      path.c_str(),
      [](const char* p, const struct stat* st, int type, FTW*) {
        if (type == FTW_D || type == FTW_DNR) ::chmod(p, (st->st_mode & 07777) | 0700);
        return 0;
      },
      64, FTW_PHYS);
}
}  // namespace

void removeTree(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ::chmod(path.c_str(), 0700);
  openUp(path);
  openUp(path);
  nftw(path.c_str(), removeEntry, 64, FTW_DEPTH | FTW_PHYS);
}

TempDir::TempDir(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + ".XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  char resolved[PATH_MAX];
  path_ = realpath(pattern.c_str(), resolved) ? resolved : pattern;
}

TempDir::~TempDir() { removeTree(path_); }

TempHome::TempHome() : dir_("tolvex-home") {
  home_ = dir_.path();
  const std::map<std::string, std::string> values = {
      {"HOME", home_},
      {"XDG_DATA_HOME", home_ + "/.local/share"},
      {"XDG_CONFIG_HOME", home_ + "/.config"},
      {"XDG_CACHE_HOME", home_ + "/.cache"},
      {"XDG_RUNTIME_DIR", home_ + "/.run"},
  };
  for (const auto& [name, value] : values) {
    const char* old = std::getenv(name.c_str());
    saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    ::mkdir((value).c_str(), 0700);
    setenv(name.c_str(), value.c_str(), 1);
  }
  ::mkdir((home_ + "/.local").c_str(), 0700);
  ::mkdir((home_ + "/.local/share").c_str(), 0700);
}

TempHome::~TempHome() {
  for (const auto& [name, value] : saved_) {
    if (value)
      setenv(name.c_str(), value->c_str(), 1);
    else
      unsetenv(name.c_str());
  }
}

}  // namespace tolvex::test
