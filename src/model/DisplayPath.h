#pragma once
#include <string>
#include <string_view>

namespace tolvex {

// Where a Mac keeps the user's data; the whole-disk scan walks it, and paths below it show folded.
inline constexpr std::string_view kDataVolume = "/System/Volumes/Data";

// "/System/Volumes/Data" becomes "/" and a leading "/System/Volumes/Data/" is cut to "/";
// any other path is unchanged (exact, case-sensitive).
std::string foldedPath(std::string_view path);
// The same without a copy: folding only ever cuts a prefix or gives "/" (a static text).
std::string_view foldedPathView(std::string_view path);

// The text that shows a path to the user: folded, with the home folder `home` shown as "~" (an empty
// `home` shows every path in full).
std::string displayPath(std::string_view path, std::string_view home);

}  // namespace tolvex
