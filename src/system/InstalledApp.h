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

struct InstalledApp {
  std::string path;                     // absolute path of the ".app" bundle
  std::string name;                     // display name
  std::optional<std::string> bundleID;  // absent when the bundle cannot be opened or declares none
  std::optional<std::string> version;   // CFBundleShortVersionString
  int64_t appSize = 0;                  // allocated bytes of the bundle
  std::vector<RelatedItem> related;     // its items in ~/Library, largest first
  std::optional<double> lastUsed;       // seconds since 1970
  bool isApple = false;                 // the identifier begins with "com.apple."
  bool isAppStore = false;              // the bundle holds Contents/_MASReceipt

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
  // Whether one of `runningIdentifiers` is exactly `bundleID` (letter case counts). False without an
  // identifier. A view that asks for many rows reads the running list once and passes it here.
  bool isRunning(const std::vector<std::string>& runningIdentifiers) const;
  // The same against the applications running now.
  bool isRunning() const;
};

struct InstalledAppHash {
  size_t operator()(const InstalledApp& app) const;
};

}  // namespace tolvex
