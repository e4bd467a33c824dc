#include "engines/CloudDrive.h"

#include <algorithm>
#include <dirent.h>
#include <fts.h>
#include <optional>
#include <sys/stat.h>

#include "platform/Identifiers.h"
#include "platform/Paths.h"
#include "platform/UnicodeText.h"

namespace tolvex {

namespace {

constexpr int64_t kLargeItemBytes = 1'000'000;
constexpr const char* kICloudDrive = "com~apple~CloudDocs";

// The names in a folder, in the order the file system lists them; none when it cannot be listed.
std::optional<std::vector<std::string>> listFolder(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return std::nullopt;
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

// Everything beneath `root` (hidden files and package contents included, links not followed below
// the root), each passed to accountCloudFile. Unreadable parts are skipped.
void accountTree(const std::string& root, CloudFolder& folder, const CloudProvider& provider) {
  std::string rootCopy = root;
  char* paths[] = {rootCopy.data(), nullptr};
  FTS* fts = ::fts_open(paths, FTS_PHYSICAL | FTS_NOCHDIR | FTS_COMFOLLOW, nullptr);
  if (!fts) return;
  while (FTSENT* entry = ::fts_read(fts)) {
    if (entry->fts_level == 0 || entry->fts_info == FTS_DP) continue;
    accountCloudFile(std::string(entry->fts_path, entry->fts_pathlen), folder, provider);
  }
  ::fts_close(fts);
}

bool isUpperOrDigit(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

}  // namespace

int64_t CloudFolder::evictableSize() const {
  int64_t bytes = 0;
  for (const CloudItem& item : items)
    if (item.isUploaded) bytes += item.size;
  return bytes;
}

int64_t totalEvictableSize(const std::vector<CloudFolder>& folders) {
  int64_t bytes = 0;
  for (const CloudFolder& folder : folders) bytes += folder.evictableSize();
  return bytes;
}

void accountCloudFile(const std::string& path, CloudFolder& folder, const CloudProvider& provider) {
  const std::string name = lastPathComponent(path);
  // The stand-in of a file that was never downloaded.
  if (name.starts_with(".") && name.ends_with(".icloud")) {
    folder.cloudOnlyCount += 1;
    return;
  }
  if (name == ".DS_Store") return;
  const auto values = provider.resourceValues(path);
  if (!values || !values->isRegularFile) return;
  const int64_t allocated = values->totalFileAllocatedSize.value_or(0);
  const int64_t length = values->fileSize.value_or(0);
  if (values->downloadingStatus == CloudDownloadingStatus::notDownloaded) {
    folder.cloudOnlySize += length;
    folder.cloudOnlyCount += 1;
    return;
  }
  if (allocated > 0) {
    folder.localSize += allocated;
    if (allocated >= kLargeItemBytes)
      folder.items.push_back({path, name, allocated, values->isUploaded.value_or(false)});
  } else if (length >= 1) {
    // A file without local data: its bytes are only in iCloud.
    folder.cloudOnlySize += length;
    folder.cloudOnlyCount += 1;
  }
}

CloudReport inspectICloud(const std::string& home, const CloudProvider& provider) {
  CloudReport report;
  const std::string base = home + "/Library/Mobile Documents";
  const auto entries = listFolder(base);
  if (!entries) return report;

  std::vector<CloudFolder> folders;
  for (const std::string& name : *entries) {
    if (name.starts_with(".")) continue;
    const std::string path = base + "/" + name;
    if (name == kICloudDrive) {
      // iCloud Drive itself: one folder per subfolder, then one for the loose files at its top.
      CloudFolder loose{path, "Files at the top of iCloud Drive", false, 0, 0, 0, {}};
      for (const std::string& childName : listFolder(path).value_or(std::vector<std::string>{})) {
        if (childName == ".DS_Store" || childName == ".Trash") continue;
        const std::string childPath = path + "/" + childName;
        struct stat st {};
        if (::stat(childPath.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
          CloudFolder folder{childPath, childName, false, 0, 0, 0, {}};
          accountTree(childPath, folder, provider);
          folders.push_back(std::move(folder));
        } else {
          accountCloudFile(childPath, loose, provider);
        }
      }
      folders.push_back(std::move(loose));
    } else {
      // An application's container.
      CloudFolder folder{path, cloudFolderTitle(name, provider), true, 0, 0, 0, {}};
      accountTree(path, folder, provider);
      folders.push_back(std::move(folder));
    }
  }

  std::erase_if(folders, [](const CloudFolder& folder) { return folder.localSize <= 0 && folder.cloudOnlySize <= 0; });
  for (CloudFolder& folder : folders)
    std::stable_sort(folder.items.begin(), folder.items.end(),
                     [](const CloudItem& a, const CloudItem& b) { return a.size > b.size; });
  std::stable_sort(folders.begin(), folders.end(),
                   [](const CloudFolder& a, const CloudFolder& b) { return a.localSize > b.localSize; });
  report.folders = std::move(folders);
  report.isAvailable = true;
  return report;
}

CloudReport inspectICloud(const std::string& home) { return inspectICloud(home, LocalCloudProvider(home)); }

EvictionReport evictICloudItems(const std::vector<CloudItem>& items, const CloudProvider& provider) {
  EvictionReport report;
  for (const CloudItem& item : items) {
    if (!item.isUploaded) {
      report.failures.push_back({makeUUID(), item.path, kNotUploadedReason});
      continue;
    }
    if (auto error = provider.evictUbiquitousItem(item.path)) {
      report.failures.push_back({makeUUID(), item.path, std::move(*error)});
      continue;
    }
    report.freed += item.size;
    report.evicted.push_back(item.path);
  }
  return report;
}

EvictionReport evictICloudItems(const std::vector<CloudItem>& items) {
  // Eviction looks no application up: no folders to search.
  return evictICloudItems(items, LocalCloudProvider(std::vector<std::string>{}));
}

std::string cloudFolderTitle(const std::string& containerName, const CloudProvider& provider) {
  std::vector<std::string> parts;
  for (size_t start = 0; start <= containerName.size();) {
    size_t end = containerName.find('~', start);
    if (end == std::string::npos) end = containerName.size();
    if (end > start) parts.push_back(containerName.substr(start, end - start));
    start = end + 1;
  }
  // A leading "iCloud" or team identifier (upper-case letters and digits) is not part of the
  // application's identifier.
  if (!parts.empty() &&
      (parts.front() == "iCloud" || std::all_of(parts.front().begin(), parts.front().end(), isUpperOrDigit)))
    parts.erase(parts.begin());

  std::string identifier;
  for (const std::string& part : parts) identifier += (identifier.empty() ? "" : ".") + part;
  if (!identifier.empty())
    if (auto application = provider.applicationPath(identifier)) {
      // The application's name as the file manager shows it: without the bundle's own ".app" (one
      // inside the name, as in "My.application Studio", is part of the name).
      std::string title = lastPathComponent(*application);
      if (title.size() > 4 && title.ends_with(".app")) title.resize(title.size() - 4);
      return title;
    }

  return withFirstCharacterUpperCased(parts.empty() ? containerName : parts.back());
}

}  // namespace tolvex
