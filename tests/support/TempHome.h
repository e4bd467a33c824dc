#pragma once
#include <map>
#include <optional>
#include <string>

#include "model/SafetyVerdict.h"
#include "platform/Places.h"

namespace tolvex::test {

// A temporary folder, removed with everything inside when the object goes away.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "tolvex-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// A temporary home: HOME, XDG_DATA_HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME and XDG_RUNTIME_DIR point
// into a fresh folder for the life of the object; the previous values are restored afterwards.
class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  // The home folder (resolved, no trailing "/").
  const std::string& home() const { return home_; }
  std::string dataHome() const { return home_ + "/.local/share"; }
  std::string configHome() const { return home_ + "/.config"; }
  std::string operator/(const std::string& relative) const { return home_ + "/" + relative; }
  // The places below this home, and the verdicts judged against them.
  Places places() const { return Places::forHome(home_); }
  SafetyContext safety() const { return SafetyContext::forPlaces(places()); }

 private:
  TempDir dir_;
  std::string home_;
  std::map<std::string, std::optional<std::string>> saved_;
};

// Removes a tree (no following of links). Ignores errors.
void removeTree(const std::string& path);

}  // namespace tolvex::test
