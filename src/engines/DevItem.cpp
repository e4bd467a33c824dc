#include "engines/DevItem.h"

#include <array>
#include <unordered_set>
#include <utility>

#include "model/DisplayPath.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kDeveloperFolderTable = {{
    {"node_modules", "Node dependencies. `npm install` restores them."},
    {".venv", "Python virtual environment."},
    {"venv", "Python virtual environment."},
    {"Pods", "CocoaPods dependencies. `pod install` restores them."},
    {".next", "Next.js build output."},
    {".turbo", "Turborepo cache."},
    {"DerivedData", "Xcode intermediate builds."},
    {"__pycache__", "Python bytecode."},
}};

void appendScanItems(const ScanResult& scan, const std::string& home, std::vector<DevItem>& items) {
  if (!scan.root) return;
  const std::string library = home + "/Library";
  std::vector<const FileNode*> stack{scan.root};
  while (!stack.empty()) {
    const FileNode* node = stack.back();
    stack.pop_back();
    for (const FileNode* child : node->children) {
      if (!child->isDirectory || get(child->deleted)) continue;
      const auto detail = developerFolderDetail(child->name);
      if (detail && get(child->size) > kDeveloperFolderMinimum) {
        std::string path = child->path();
        // Folders in ~/Library (Xcode's own DerivedData…) belong to the junk rules.
        if (!isInside(foldedPath(path), library)) {
          items.push_back(DevItem{std::move(path), node->name + " / " + child->name, std::string(*detail),
                                  get(child->size), get(node->modified), Removal::permanent});
          continue;
        }
      }
      if (!child->isPackage) stack.push_back(child);
    }
  }
}

// A folder can be both a scanned artefact and a junk rule's item (a "venv" directly in ~/.cache), and a
// scan of the whole disk spells home paths with the data volume's prefix. The path is the row's
// identity and sizes are summed over the list, so each item is listed once, as first met.
void dropRepeatedPaths(std::vector<DevItem>& items) {
  std::unordered_set<std::string> seen;
  std::vector<DevItem> kept;
  kept.reserve(items.size());
  for (DevItem& item : items)
    if (seen.insert(foldedPath(item.path)).second) kept.push_back(std::move(item));
  items = std::move(kept);
}

}  // namespace

std::optional<std::string_view> developerFolderDetail(std::string_view name) {
  for (const auto& [folder, detail] : kDeveloperFolderTable)
    if (folder == name) return detail;
  return std::nullopt;
}

std::vector<DevItem> findDeveloperArtifacts(const ScanResult* scan, const std::vector<JunkFinding>& junk,
                                            const std::string& home) {
  std::vector<DevItem> items;
  if (scan) appendScanItems(*scan, home, items);
  for (const JunkFinding& finding : junk) {
    if (finding.rule.group != JunkGroup::developer) continue;
    for (const JunkItem& item : finding.items)
      items.push_back(DevItem{item.url, finding.rule.title + " \u00B7 " + lastPathComponent(item.url),
                              finding.rule.explanation, item.size, item.modified.value_or(kDistantPast),
                              finding.rule.removal});
  }
  dropRepeatedPaths(items);
  return items;
}

}  // namespace tolvex
