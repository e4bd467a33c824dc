#pragma once
// Safety verdicts: how careful the user must be before a path is removed, and why.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Risk.h"
#include "platform/Places.h"

namespace tolvex {

// What a verdict depends on besides the path: the user's places, the bundle reader, the running
// applications and our own bundle identifier. Tests replace the readers with fakes.
struct SafetyContext {
  Places places;
  // The bundle identifier of the bundle at a path, none when unreadable.
  std::function<std::optional<std::string>(const std::string&)> bundleIdentifier;
  // Bundle identifiers of the running applications; asked only for application bundles.
  std::function<std::vector<std::string>()> runningApplications;
  std::optional<std::string> ownBundleIdentifier;

  // The user's places given, the Info.plist reader, /proc and our own identifier.
  static SafetyContext forPlaces(const Places& places);
};

// The path that verdicts judge: "." components and repeated or trailing "/" dropped. None for a
// path that is not absolute, that has a ".." component or that holds a NUL byte: such a path is never
// judged, it is protected.
std::optional<std::string> pathForJudging(std::string_view path);

// The reason given to a path that `pathForJudging` refuses.
inline constexpr const char* kUnplainPathReason =
    "Not a plain full path. Tolvex removes items only by their full path.";

// The reason given to the system folders of Linux.
inline constexpr const char* kOperatingSystemReason = "Part of the operating system.";

}  // namespace tolvex
