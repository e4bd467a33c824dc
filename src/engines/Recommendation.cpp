#include "engines/Recommendation.h"

#include <algorithm>

#include "model/DisplayPath.h"
#include "model/Formatting.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {

const JunkFinding* findingWithID(const std::vector<JunkFinding>& junk, const std::string& id) {
  for (const JunkFinding& finding : junk)
    if (finding.rule.id == id) return &finding;
  return nullptr;
}

// A finding that exists and holds at least one item.
const JunkFinding* nonEmptyFinding(const std::vector<JunkFinding>& junk, const std::string& id) {
  const JunkFinding* finding = findingWithID(junk, id);
  return finding && !finding->items.empty() ? finding : nullptr;
}

Recommendation row(std::string id, std::string symbol, RecommendationTint tint, std::string title, std::string detail,
                   int64_t size, std::function<void()> action) {
  return Recommendation{std::move(id), std::move(symbol), tint, std::move(title), std::move(detail),
                        size,          std::move(action)};
}

std::function<void()> withFinding(const std::function<void(const JunkFinding&)>& act, const JunkFinding& finding) {
  return [act, finding] {
    if (act) act(finding);
  };
}

// Safe rules marked for Quick Clean, the Trash left out: what the "junk" card would clean.
int64_t safeJunkTotal(const std::vector<JunkFinding>& junk) {
  int64_t total = 0;
  for (const JunkFinding& finding : junk)
    if (finding.rule.risk == Risk::safe && finding.rule.inSmartClean && finding.rule.id != "trash")
      total += finding.totalSize();
  return total;
}

// Files of at least 500 MB, unchanged for 180 days, in the home folder but not in its Library.
std::vector<const FileNode*> oldLargeFiles(const ScanResult& scan, const std::string& home, double now) {
  const double cutOff = now - kOldLargeFileAge;
  const std::string library = home + "/Library";
  std::vector<const FileNode*> found;
  for (const FileNode* file : scan.files) {
    if (file->isGone() || get(file->size) < kOldLargeFileMinimum || get(file->modified) >= cutOff) continue;
    const std::string folded = foldedPath(file->path());
    if (isInside(folded, home) && !isInside(folded, library)) found.push_back(file);
  }
  return found;
}

// The Downloads folder of the home folder in the scanned tree, found from the root's folded path.
FileNode* downloadsNode(const ScanResult& scan, const std::string& home) {
  if (!scan.root) return nullptr;
  const std::string downloads = home + "/Downloads";
  const std::string root = foldedPath(scan.root->path());
  if (!isSameOrInside(downloads, root)) return nullptr;
  FileNode* node = scan.root;
  for (std::string_view piece : pathComponents(std::string_view(downloads).substr(root.size()))) {
    auto next = std::find_if(node->children.begin(), node->children.end(),
                             [&](const FileNode* child) { return child->name == piece && !get(child->deleted); });
    if (next == node->children.end()) return nullptr;
    node = *next;
  }
  return node;
}

}  // namespace

std::vector<Recommendation> buildRecommendations(const RecommendationInputs& in, const RecommendationActions& actions) {
  std::vector<Recommendation> rows;
  using T = RecommendationTint;

  if (const int64_t total = safeJunkTotal(in.junk); total > kSafeJunkThreshold)
    rows.push_back(row("junk", "sparkles", T::green, "Safe junk",
                       "Caches, logs and leftovers that regenerate on their own. One click to clean.", total,
                       [act = actions.startQuickClean] {
                         if (act) act();
                       }));

  if (const JunkFinding* trash = nonEmptyFinding(in.junk, "trash"); trash && trash->totalSize() > kTrashThreshold)
    rows.push_back(row("trash", "trash.fill", T::tan, "Empty the Trash",
                       "Whatever is in the Trash still takes up space.", trash->totalSize(),
                       withFinding(actions.emptyTrash, *trash)));

  if (const JunkFinding* installers = nonEmptyFinding(in.junk, "old-installers");
      installers && installers->totalSize() > 0)
    rows.push_back(row("installers", "shippingbox.fill", T::orange, "Forgotten installers",
                       groupedNumber(static_cast<int64_t>(installers->items.size())) +
                           " .dmg/.pkg files in Downloads older than a week.",
                       installers->totalSize(), withFinding(actions.deleteInstallers, *installers)));

  if (const JunkFinding* backups = nonEmptyFinding(in.junk, "ios-backups");
      backups && backups->totalSize() > kBackupsThreshold)
    rows.push_back(row("backups", "iphone", T::purple, "iPhone/iPad backups",
                       groupedNumber(static_cast<int64_t>(backups->items.size())) +
                           " local backup(s). If you back up to iCloud, you may not need them.",
                       backups->totalSize(), [act = actions.openJunk] {
                         if (act) act();
                       }));

  if (in.scan) {
    const auto files = oldLargeFiles(*in.scan, in.home, in.now);
    int64_t total = 0;
    for (const FileNode* file : files) total += get(file->size);
    if (!files.empty())
      rows.push_back(
          row("oldbig", "clock.badge.exclamationmark.fill", T::warning, "Forgotten large files",
              groupedNumber(static_cast<int64_t>(files.size())) + " file(s) over 500 MB unchanged for 6 months.", total,
              [act = actions.showLargeFiles, home = in.home] {
                if (act) act(home);
              }));
  }

  int64_t developerTotal = 0;
  for (const DevItem& item : in.developerItems)
    if (item.removal == Removal::permanent) developerTotal += item.size;
  if (developerTotal > kDeveloperThreshold)
    rows.push_back(row("dev", "hammer.fill", T::cyan, "Developer artifacts",
                       "node_modules, virtual environments and builds that can be regenerated.", developerTotal,
                       [act = actions.openDeveloper] {
                         if (act) act();
                       }));

  if (in.scan)
    if (FileNode* downloads = downloadsNode(*in.scan, in.home); downloads && get(downloads->size) > kDownloadsThreshold)
      // The action holds the tree, so the node it reveals stays valid however long the card lives.
      rows.push_back(row("downloads", "arrow.down.circle.fill", T::accent, "Downloads folder",
                         "Review what you no longer need, sorted by size.", get(downloads->size),
                         [act = actions.revealInExplorer, tree = in.scan->tree, downloads] {
                           if (act) act(downloads);
                         }));

  std::stable_sort(rows.begin(), rows.end(),
                   [](const Recommendation& a, const Recommendation& b) { return a.size > b.size; });
  return rows;
}

}  // namespace tolvex
