#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/FileKind.h"

namespace tolvex {

// The twelve storage categories. Raw values are stored in the scan archive and the trend files.
enum class StorageBucket : uint8_t {
  applications,
  documents,
  images,
  video,
  audio,
  archives,
  developer,
  appData,
  junk,
  trash,
  system,
  other
};

inline constexpr std::array<StorageBucket, 12> kAllStorageBuckets = {
    StorageBucket::applications, StorageBucket::documents, StorageBucket::images,    StorageBucket::video,
    StorageBucket::audio,        StorageBucket::archives,  StorageBucket::developer, StorageBucket::appData,
    StorageBucket::junk,         StorageBucket::trash,     StorageBucket::system,    StorageBucket::other};

const char* title(StorageBucket bucket);
const char* detail(StorageBucket bucket);
const char* symbol(StorageBucket bucket);

// 0…11 give the bucket of that index; anything larger gives none.
std::optional<StorageBucket> storageBucketFromRaw(unsigned raw);

// The category of a file whose folder has no category of its own.
StorageBucket bucketForKind(FileKind kind);

// True for a folder extension (case-sensitive, no dot) that makes a folder a package.
bool isPackageExtension(std::string_view extension);
// True for a folder name that is developer material wherever it stands.
bool isDeveloperFolderName(std::string_view name);
size_t packageExtensionCount();
size_t developerFolderNameCount();

// The category of a folder from its folded path components, its name and its parent's category
// (`other` and none are passed alike as none). None means "no category" (the scanner's `other`).
// The caller passes the components as they should be judged: see `componentsForClassification`.
std::optional<StorageBucket> bucketForPath(const std::vector<std::string_view>& components, std::string_view name,
                                           std::optional<StorageBucket> inherited);

// Classifies folders the way `bucketForPath` does, adapted to the places of a Linux system:
// - a folder inside the home folder is judged as "/Users/NAME/…" (NAME = the home folder's name), so
//   the rules for a Mac's user folders apply to the Linux home;
// - after the name rules, Linux rows are tested: in the home folder ".cache" is junk, the Trash is
//   trash, ".config" and ".local" are app data; at the root "usr" (but not "usr/local"), "etc", "boot",
//   "bin", "sbin", "lib*", "snap" and "var/lib" are system; "tmp", "var/tmp", "var/cache", "var/log" junk.
class PathClassifier {
 public:
  // `home` and `trashFolder` are folded paths without a trailing "/".
  PathClassifier(std::string home, std::string trashFolder);

  std::optional<StorageBucket> classify(std::string_view foldedPath, std::string_view name,
                                        std::optional<StorageBucket> inherited) const;

  const std::string& home() const { return home_; }

 private:
  std::string home_;
  std::string homeName_;
  std::string trash_;
};

}  // namespace tolvex
