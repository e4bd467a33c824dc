#pragma once
#include <string>
#include <vector>

namespace tolvex {

// The places that only a process with full disk access can read, in the order they are tried.
std::vector<std::string> fullDiskAccessCandidates(const std::string& home);

// Tries each existing candidate: a path ending in ".db" is opened for reading, anything else is
// listed as a folder. The first success answers true; no success answers false.
bool probeFullDiskAccess(const std::vector<std::string>& candidates);

// Whether the application may read every file. Linux has no such gate: always true.
bool hasFullDiskAccess();

// The settings page where the user grants full disk access.
inline constexpr const char* kFullDiskAccessSettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";

}  // namespace tolvex
