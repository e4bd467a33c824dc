#include "platform/DesktopFiles.h"

#include <algorithm>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FolderListing.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {

constexpr int kMaximumDepth = 8;

struct FolderIdentity {
  dev_t device;
  ino_t inode;
  auto operator<=>(const FolderIdentity&) const = default;
};

// One file found below an applications folder, before its ID is decided.
struct Found {
  std::string id;
  std::string path;
};

void listApplications(const std::string& folder, const std::string& prefix, int depth,
                      std::set<FolderIdentity>& visited, std::vector<Found>& found) {
  struct stat st {};
  if (depth > kMaximumDepth || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  if (!visited.insert({st.st_dev, st.st_ino}).second) return;
  for (const std::string& name : folderNames(folder).value_or(std::vector<std::string>{})) {
    const std::string path = appendPath(folder, name);
    if (name.size() > 8 && name.ends_with(".desktop")) {
      found.push_back({prefix + name, path});
      continue;
    }
    struct stat inner {};
    if (::stat(path.c_str(), &inner) == 0 && S_ISDIR(inner.st_mode))
      listApplications(path, prefix + name + "-", depth + 1, visited, found);
  }
}

}  // namespace

std::string desktopFileId(std::string_view relativePath) {
  std::string id(relativePath);
  std::replace(id.begin(), id.end(), '/', '-');
  return id;
}

DesktopFileIndex readDesktopFiles(const std::vector<std::string>& dataDirs) {
  DesktopFileIndex index;
  std::set<std::string, std::less<>> decided;  // IDs whose winning copy has been read
  std::set<FolderIdentity> visited;            // shared: a folder listed twice in the path is read once
  for (const std::string& dataDir : dataDirs) {
    std::vector<Found> found;
    listApplications(appendPath(dataDir, "applications"), "", 0, visited, found);
    for (Found& file : found) {
      index.copies[file.id].push_back(file.path);
      if (decided.contains(file.id)) continue;
      DesktopEntryRead read = readDesktopEntry(file.path);
      if (!read.entry) {
        index.refused.push_back({file.path, std::move(read.reason)});
        continue;
      }
      decided.insert(file.id);
      if (read.entry->boolean("Hidden")) continue;  // deleted for this user
      index.files.push_back({std::move(file.id), std::move(file.path), dataDir, std::move(*read.entry)});
    }
  }
  return index;
}

std::optional<std::string> findProgram(const std::string& program, const std::vector<std::string>& searchPath) {
  auto executable = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
  };
  if (program.empty()) return std::nullopt;
  if (program.front() == '/') return executable(program) ? std::optional(program) : std::nullopt;
  if (program.find('/') != std::string::npos) return std::nullopt;  // relative to nothing we know
  for (const std::string& folder : searchPath) {
    if (folder.empty()) continue;
    const std::string candidate = appendPath(folder, program);
    if (executable(candidate)) return candidate;
  }
  return std::nullopt;
}

bool isShownApplication(const DesktopEntry& entry, const std::vector<std::string>& currentDesktops,
                        const std::function<bool(const std::string& program)>& programExists) {
  if (entry.string("Type") != "Application") return false;
  if (entry.boolean("NoDisplay") || entry.boolean("Hidden")) return false;
  auto names = [&](const std::vector<std::string>& desktops) {
    return std::any_of(desktops.begin(), desktops.end(), [&](const std::string& desktop) {
      return std::find(currentDesktops.begin(), currentDesktops.end(), desktop) != currentDesktops.end();
    });
  };
  const std::vector<std::string> only = entry.list("OnlyShowIn");
  if (!only.empty() && !names(only)) return false;
  if (names(entry.list("NotShowIn"))) return false;
  if (auto tryExec = entry.string("TryExec"); tryExec && !tryExec->empty())
    if (!programExists || !programExists(*tryExec)) return false;
  return true;
}

}  // namespace tolvex
