#pragma once
// Where the application inventory, the leftover search and the removed-application watcher look, and
// the system services they ask. Tests build one over a fixture home; the program over the user's.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "system/DesktopSources.h"

namespace tolvex {

// Where the system finds an application for a bundle identifier, if anywhere.
using ApplicationLookup = std::function<std::optional<std::string>(const std::string& bundleID)>;

struct InventoryContext {
  // The home folder whose Library is listed.
  std::string home;
  // The application folders, in the order they are visited: "/Applications", the home folder's
  // "Applications", "/Applications/Utilities".
  std::vector<std::string> applicationRoots;
  // Whether every Library folder may be read; without it the container folders are not listed.
  std::function<bool()> hasFullDiskAccess;
  // When the system last saw the application at a bundle path used, in seconds since 1970.
  std::function<std::optional<double>(const std::string& bundlePath)> spotlightLastUsed;
  // Makes the look-up that one search or comparison uses. A look-up may read the application folders
  // once and answer from what it read for the rest of its life, as the system answers from its index.
  std::function<ApplicationLookup()> applicationLookup;
  // The allocated bytes of a file or folder tree (0 when it cannot be read).
  std::function<int64_t(const std::string& path)> measure;
  // This program's own bundle identifier: its data is never listed as left over, and it is never
  // reported as removed.
  std::optional<std::string> ownBundleIdentifier;
  // The Linux desktop's applications and their data, read beside the bundles; none: bundles only.
  std::optional<DesktopSources> desktop;

  // The user's home and application folders given, the full disk access probe, a look-up over the
  // application folders and `folderSize`. Linux records no date of last use.
  static InventoryContext forPlaces(std::string home, std::vector<std::string> applicationRoots);
};

// "/Applications", `home` + "/Applications", "/Applications/Utilities".
std::vector<std::string> defaultApplicationRoots(const std::string& home);

}  // namespace tolvex
