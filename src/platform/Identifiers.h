#pragma once
#include <string>

namespace tolvex {

// Seconds between 1 January 1970 and 1 January 2001 (UTC), the epoch of dates stored in JSON.
inline constexpr double kReferenceDateOffset = 978307200.0;

inline double toReferenceDate(double secondsSince1970) { return secondsSince1970 - kReferenceDateOffset; }
inline double fromReferenceDate(double secondsSince2001) { return secondsSince2001 + kReferenceDateOffset; }

// Now, in seconds since 1970, with sub-second precision.
double nowSince1970();

// A random version-4 UUID in upper case with hyphens, e.g. "3F2504E0-4F89-41D3-9A0C-0305E82C3301".
std::string makeUUID();

// Our bundle identifier and display name.
inline constexpr const char* kBundleIdentifier = "com.tolvex.Tolvex";
inline constexpr const char* kDisplayName = "Tolvex";

}  // namespace tolvex
