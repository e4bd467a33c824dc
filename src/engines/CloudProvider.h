#pragma once
// What the system tells about files kept in iCloud Drive, behind one interface so that the inspection
// and the eviction can be tested on fixture folders.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvex {

enum class CloudDownloadingStatus { notDownloaded, downloaded, current };

// The values read for each file: is it a regular file, its byte length, its allocation, and for an
// item kept in iCloud its downloading status and whether iCloud holds all of it. The last two are
// absent for a file that is not kept in iCloud.
struct CloudResourceValues {
  bool isRegularFile = false;
  std::optional<int64_t> fileSize;
  std::optional<int64_t> totalFileAllocatedSize;
  std::optional<CloudDownloadingStatus> downloadingStatus;
  std::optional<bool> isUploaded;
  bool operator==(const CloudResourceValues&) const = default;
};

class CloudProvider {
 public:
  virtual ~CloudProvider() = default;
  // The values of the item at `path` (a final link is not followed); none when they cannot be read.
  virtual std::optional<CloudResourceValues> resourceValues(const std::string& path) const = 0;
  // Removes the local copy of an item that stays in iCloud. None on success, else why not.
  virtual std::optional<std::string> evictUbiquitousItem(const std::string& path) const = 0;
  // The application the system finds for a bundle identifier, if any.
  virtual std::optional<std::string> applicationPath(const std::string& bundleIdentifier) const = 0;
};

// Why the local provider refuses every eviction.
inline constexpr const char* kNotInICloudReason =
    "iCloud Drive isn't available on this computer, so the file was left as it is.";

// The provider of this system. Linux has no iCloud: no file is an iCloud item (the iCloud values are
// always absent, the others come from lstat), and eviction is always refused with
// `kNotInICloudReason`: it never deletes, truncates or otherwise touches a file. Applications are
// looked up by bundle identifier in the application folders.
class LocalCloudProvider : public CloudProvider {
 public:
  // The application folders searched, in order: "/Applications", `home`'s "Applications",
  // "/Applications/Utilities".
  explicit LocalCloudProvider(const std::string& home);
  explicit LocalCloudProvider(std::vector<std::string> applicationFolders);

  std::optional<CloudResourceValues> resourceValues(const std::string& path) const override;
  std::optional<std::string> evictUbiquitousItem(const std::string& path) const override;
  // The first ".app" bundle directly inside one of the application folders whose identifier is
  // `bundleIdentifier`; an empty identifier finds nothing.
  std::optional<std::string> applicationPath(const std::string& bundleIdentifier) const override;

 private:
  std::vector<std::string> applicationFolders_;
};

}  // namespace tolvex
