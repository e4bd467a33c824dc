#pragma once
// Application bundles: a folder whose name ends in ".app" holding Contents/Info.plist (or, in the flat
// layout, Info.plist at its top).
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tolvex {

// An opened bundle: its folder and the text values of its information dictionary.
struct Bundle {
  std::string path;
  // The keys of `kInfoKeys` whose value in Info.plist is text; values of any other type are left out.
  // Empty when the bundle has no Info.plist or it cannot be read.
  std::map<std::string, std::string> info;
  // CFBundleIdentifier; none when missing, not a string, empty or only white space.
  std::optional<std::string> identifier;
  bool flat = false;  // Info.plist lies at the top of the bundle, not in Contents/

  // The value of `key` when it is a string.
  std::optional<std::string> infoString(const std::string& key) const;
  // The main executable named by CFBundleExecutable: Contents/MacOS/NAME, or NAME at the top of a
  // flat bundle. None when the key is missing or is not a plain file name.
  std::optional<std::string> executablePath() const;
};

// The Info.plist keys that are read: identifier, names, version and executable.
inline constexpr const char* kInfoKeys[] = {"CFBundleIdentifier", "CFBundleDisplayName", "CFBundleName",
                                            "CFBundleShortVersionString", "CFBundleExecutable"};

// Opens the folder at `path` as a bundle (links are followed, as when the system opens an
// application). A folder without Info.plist still opens, with an empty dictionary and no identifier.
// None when `path` is not a folder.
std::optional<Bundle> openBundle(const std::string& path);

// The text values of `kInfoKeys` in a property list's root dictionary (XML or binary); a value that is
// not a string, or a string holding a NUL character, is left out. None when the bytes are not a
// property list or its root is not a dictionary.
std::optional<std::map<std::string, std::string>> infoStringsFromPlist(std::string_view bytes);

// The CFBundleIdentifier of a property list (XML or binary). None when the bytes are not a property
// list, its root is not a dictionary, the key is missing or not a string, or the identifier is empty
// or blank (such an identifier would match everything that compares identifiers).
std::optional<std::string> bundleIdentifierFromPlist(std::string_view bytes);

// True for an identifier that is empty or only white space: such an identifier counts as none.
bool isBlankIdentifier(std::string_view identifier);

// The bundle identifier of the bundle at `bundlePath`, as `openBundle` reads it.
std::optional<std::string> bundleIdentifier(const std::string& bundlePath);

}  // namespace tolvex
