#pragma once
// Application bundles: a folder whose name ends in ".app" holding Contents/Info.plist.
#include <optional>
#include <string>
#include <string_view>

namespace tolvex {

// The CFBundleIdentifier of a property list (XML or binary). None when the bytes are not a property
// list, its root is not a dictionary, the key is missing or not a string, or the identifier is empty
// (an empty identifier would match everything that compares identifiers).
std::optional<std::string> bundleIdentifierFromPlist(std::string_view bytes);

// The bundle identifier of the bundle at `bundlePath`, read from its Contents/Info.plist.
std::optional<std::string> bundleIdentifier(const std::string& bundlePath);

}  // namespace tolvex
