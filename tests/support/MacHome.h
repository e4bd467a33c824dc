#pragma once
// Builders for trees laid out like a Mac's home folder, and for application bundles.
#include <optional>
#include <string>

#include "support/TempHome.h"
#include "support/TreeBuilder.h"

namespace tolvex::test {

// Writes `bundlePath`/Contents/Info.plist holding CFBundleIdentifier = `identifier` (no such key when
// none), as an XML or a binary property list; creates the folders. Returns the bundle's path.
std::string writeAppBundle(const std::string& bundlePath, const std::optional<std::string>& identifier,
                           bool binary = false);

// The Info.plist keys of a fixture application; keys left absent are not written.
struct AppInfo {
  std::optional<std::string> identifier = std::nullopt;
  std::optional<std::string> displayName = std::nullopt;
  std::optional<std::string> name = std::nullopt;
  std::optional<std::string> version = std::nullopt;
  std::optional<std::string> executable = std::nullopt;  // also creates Contents/MacOS/<executable>
};

// Writes an application bundle with `info` in Contents/Info.plist (XML or binary) and returns its path.
std::string writeApp(const std::string& bundlePath, const AppInfo& info, bool binary = false);

// The bytes of a property list whose root dictionary holds CFBundleIdentifier (when given).
std::string infoPlistBytes(const std::optional<std::string>& identifier, bool binary);

// Sets a path's modification and access times to `days` days before now (without following links).
void setAgeInDays(const std::string& path, double days);

// A temporary home with the folders of a Mac's home (Library/Caches, Library/Logs, Downloads …) and
// the home Trash, for building fixtures inside it.
class MacHome {
 public:
  MacHome();
  const std::string& home() const { return home_.home(); }
  std::string operator/(const std::string& relative) const { return home_ / relative; }
  TreeBuilder& tree() { return tree_; }
  SafetyContext safety() const { return home_.safety(); }
  // The user's Trash (the home Trash's files/ folder) and its info/ folder.
  std::string trashFiles() const;
  std::string trashInfo() const;
  // Puts a file straight into the Trash (with its .trashinfo) as another program would.
  std::string trashedFile(const std::string& name, int64_t allocatedBytes);

 private:
  TempHome home_;
  TreeBuilder tree_;
};

}  // namespace tolvex::test
