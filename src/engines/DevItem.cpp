#include "engines/DevItem.h"

#include <array>
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
  return items;
}

}  // namespace tolvex
