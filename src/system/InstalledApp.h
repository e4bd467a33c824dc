#pragma once
// One installed application and the data it keeps in the user's Library.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileDates.h"  // kDistantPast

namespace tolvex {

// One item of an application's data in ~/Library.
struct RelatedItem {
  std::string path;   // absolute path of the item
  std::string label;  // the label of the Library location it was found in ("Caches", "Preferences" …)
  int64_t size = 0;   // allocated bytes of the item

  const std::string& id() const { return path; }
  bool operator==(const RelatedItem&) const = default;
};

struct RelatedItemHash {
  size_t operator()(const RelatedItem& item) const;
};

// Where an application comes from, which decides where its data is and whether Tolvex removes it.
enum class AppKind {
  bundle,         // a ".app" bundle in an application folder
  flatpak,        // installed with Flatpak
  snap,           // installed as a Snap
  appImage,       // an .AppImage file
  handInstalled,  // a desktop entry nothing installed (usually in ~/.local/share/applications)
  systemPackage,  // a desktop entry owned by the system's package manager (dpkg)
};

struct InstalledApp {
  // The record's identity: the ".app" bundle; a Flatpak's deploy folder; "/snap/<name>"; the
  // .AppImage file; else the desktop entry.
  std::string path;
  std::string name;                     // display name
  std::optional<std::string> bundleID;  // absent when the bundle cannot be opened or declares none
  std::optional<std::string> version;   // CFBundleShortVersionString
  int64_t appSize = 0;                  // allocated bytes of the bundle
  std::vector<RelatedItem> related;     // its items in ~/Library, largest first
  std::optional<double> lastUsed;       // seconds since 1970
  bool isApple = false;                 // Apple's ("com.apple."), or the system's package manager's
  bool isAppStore = false;              // from a store: Contents/_MASReceipt, or a Flatpak or a Snap
  AppKind kind = AppKind::bundle;
  std::string desktopID{};              // the desktop-file ID ("org.gnome.Maps.desktop"); empty for a bundle
  std::optional<std::string> program{}; // the program its desktop entry runs, resolved

  const std::string& id() const { return path; }
  bool operator==(const InstalledApp&) const = default;

  // Bytes of the related items (0 without any).
  int64_t relatedSize() const;
  // The same sum, by the name the Applications screen uses for it.
  int64_t dataSize() const { return relatedSize(); }
  // appSize + relatedSize.
  int64_t totalSize() const;
  // lastUsed, or the distant past when absent: the sort key of "Last Used".
  double lastUsedOrDistantPast() const { return lastUsed.value_or(kDistantPast); }
  // Whether one of `runningIdentifiers` is exactly `bundleID` (letter case counts) or `program` (the
  // list also holds the executables of running processes). False without either. A view that asks
  // for many rows reads the running list once and passes it here.
  bool isRunning(const std::vector<std::string>& runningIdentifiers) const;
  // The same against the applications running now.
  bool isRunning() const;
  // Whether only a package tool removes it (a Flatpak, a Snap, a system package), or it is Apple's or
  // installed for every user: Tolvex then refuses to uninstall it.
  bool isUninstallRefused() const;
};

struct InstalledAppHash {
  size_t operator()(const InstalledApp& app) const;
};

}  // namespace tolvex
