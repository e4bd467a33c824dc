#include "engines/JunkFinder.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "model/FolderSize.h"
#include "platform/ParallelFor.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {
// Rules searched at once. Most of the time goes to listing and measuring folders, a few of which
// (caches, logs) hold most of the entries.
constexpr unsigned kRuleThreads = 8;
}  // namespace

int64_t JunkFinding::totalSize() const {
  int64_t total = 0;
  for (const auto& item : items) total += item.size;
  return total;
}

std::optional<JunkFinding> scanRule(const JunkRule& rule, const JunkPlaces& places, double now) {
  const std::string folder = rule.folder(places);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return std::nullopt;
  const bool hasCutoff = rule.minAgeDays.has_value();
  const double cutoff = hasCutoff ? now - *rule.minAgeDays * 86400.0 : 0;
  JunkFinding finding{rule, {}};
  const int dirFd = ::dirfd(dir);
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (rule.excludedNames.contains(name)) continue;
    if (name == ".DS_Store" && rule.id != "trash") continue;
    if (rule.extensions && !rule.extensions->contains(asciiLowercased(pathExtension(name)))) continue;
    const std::string path = appendPath(folder, name);
    if (path == places.ownCache) continue;  // our own cache is never junk
    std::optional<double> modified;
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
      modified = static_cast<double>(st.st_mtim.tv_sec) + static_cast<double>(st.st_mtim.tv_nsec) / 1e9;
    if (hasCutoff && modified && *modified > cutoff) continue;  // too young; an entry without a date passes
    const FolderSize measured = folderSize(path);
    if (measured.bytes < 1) continue;
    finding.items.push_back(JunkItem{path, path, rule.id, measured.bytes, measured.count, modified});
  }
  ::closedir(dir);
  std::sort(finding.items.begin(), finding.items.end(),
            [](const JunkItem& a, const JunkItem& b) { return a.size != b.size ? a.size > b.size : a.id < b.id; });
  return finding;
}

std::vector<JunkFinding> findJunk(const std::vector<JunkRule>& rules, const JunkPlaces& places, bool fullDiskAccess,
                                  double now) {
  std::vector<const JunkRule*> searched;
  for (const JunkRule& rule : rules)
    if (fullDiskAccess || !rule.base.starts_with("Library/Containers/")) searched.push_back(&rule);
  // Each rule into its own slot: the findings keep the order of the rules, whichever ends first.
  std::vector<std::optional<JunkFinding>> found(searched.size());
  parallelFor(searched.size(), kRuleThreads, [&](size_t i) { found[i] = scanRule(*searched[i], places, now); });
  std::vector<JunkFinding> findings;
  for (auto& finding : found)
    if (finding && !finding->items.empty()) findings.push_back(std::move(*finding));
  std::stable_sort(findings.begin(), findings.end(),
                   [](const JunkFinding& a, const JunkFinding& b) { return a.totalSize() > b.totalSize(); });
  return findings;
}

}  // namespace tolvex
