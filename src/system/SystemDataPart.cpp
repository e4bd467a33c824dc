#include "system/SystemDataPart.h"

#include <algorithm>
#include <sys/stat.h>

#include "model/DisplayPath.h"
#include "model/FolderSize.h"
#include "platform/ParallelFor.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {
constexpr unsigned kMeasureThreads = 8;  // the walks of the parts not in the scan
}  // namespace

const std::vector<SystemDataPart::Row>& SystemDataPart::all() {
  static const std::vector<Row> rows = {
      {"vm", "/private/var/vm", "Swap and sleep image",
       "Virtual memory macOS writes to disk when RAM is full, plus the hibernation image.",
       "Managed by macOS. Restarting the Mac usually shrinks it.", Risk::protected_, "memorychip"},
      {"tmp", "/private/var/folders", "Temporary files", "Per-app temporary files and caches kept by macOS.",
       "Cleared automatically on restart. Don't delete by hand while apps are running.", Risk::protected_,
       "clock.arrow.circlepath"},
      {"assets", "/System/Library/AssetsV2", "Downloaded system assets",
       "Apple Intelligence models, voices, dictionaries, fonts and other components macOS downloads on demand.",
       "Disable features you don't use (Apple Intelligence, extra voices) in System Settings to reclaim space.",
       Risk::protected_, "brain"},
      {"updates", "/Library/Updates", "macOS update downloads", "Installers for pending macOS updates.",
       "Install or cancel the pending update in System Settings \u203A General \u203A Software Update.", Risk::review,
       "arrow.down.circle"},
      {"simulators", "/Library/Developer/CoreSimulator", "iOS Simulator runtimes",
       "Simulator runtimes installed by Xcode (several GB each).",
       "Remove unused runtimes in Xcode \u203A Settings \u203A Components.", Risk::review, "iphone"},
      {"spotlight", "/.Spotlight-V100", "Spotlight index", "The search index for this disk.",
       "Rebuild it from System Settings \u203A Spotlight if it seems too large.", Risk::protected_, "magnifyingglass"},
      {"caches", "/Library/Caches", "Shared caches", "Caches shared by all users and system services.",
       "Usually safe to let macOS manage. Tolvex's Junk view covers your own caches.", Risk::review, "shippingbox"},
      {"logs", "/private/var/log", "System logs", "Diagnostic logs written by macOS.",
       "macOS rotates them automatically.", Risk::protected_, "doc.text"},
  };
  return rows;
}

const FileNode* scannedSizeAtPath(const std::string& path, const ScanResult* scan) {
  if (!scan || !scan->root) return nullptr;
  const std::string root = foldedPath(scan->root->path());
  // Component-wise: a scan of "/home/u" must not answer for "/home/user".
  if (!isSameOrInside(path, root)) return nullptr;
  const FileNode* node = scan->root;
  for (std::string_view piece : pathComponents(std::string_view(path).substr(std::min(root.size(), path.size())))) {
    const auto& children = node->children;
    const auto found = std::find_if(children.begin(), children.end(), [&](const FileNode* child) {
      return child->name == piece && !get(child->deleted);
    });
    if (found == children.end()) return nullptr;
    node = *found;
  }
  return node;
}

std::optional<SystemDataPart> measureSystemDataPart(const SystemDataPart::Row& row, std::optional<int64_t> knownSize,
                                                    const std::string& diskRoot) {
  const std::string candidate = std::string(kDataVolume) + row.path;  // the data volume holds it on a Mac
  struct stat st {};
  const std::string measured = ::stat((diskRoot + candidate).c_str(), &st) == 0 ? candidate : row.path;
  const int64_t size = knownSize ? *knownSize : folderSize(diskRoot + measured).bytes;
  if (size < 1) return std::nullopt;
  return SystemDataPart{row.id, row.title, row.explanation, row.advice, size, measured, row.risk, row.symbol};
}

std::vector<SystemDataPart> measureSystemDataParts(const ScanResult* scan, const std::string& diskRoot) {
  return measureSystemDataPartsWithLookup([scan](const std::string& path) { return scannedSizeAtPath(path, scan); },
                                          diskRoot);
}

std::vector<SystemDataPart> measureSystemDataPartsWithLookup(const SystemDataLookup& lookup,
                                                             const std::string& diskRoot) {
  // The scan is read here, on the caller's thread; only the walks on disk run in parallel.
  const std::vector<SystemDataPart::Row>& rows = SystemDataPart::all();
  std::vector<std::optional<int64_t>> known(rows.size());
  for (size_t i = 0; i < rows.size(); ++i)
    if (const FileNode* node = lookup ? lookup(rows[i].path) : nullptr) known[i] = get(node->size);
  std::vector<std::optional<SystemDataPart>> measured(rows.size());
  parallelFor(rows.size(), kMeasureThreads,
              [&](size_t i) { measured[i] = measureSystemDataPart(rows[i], known[i], diskRoot); });
  std::vector<SystemDataPart> parts;
  for (auto& part : measured)
    if (part) parts.push_back(std::move(*part));
  sortSystemDataParts(parts);
  return parts;
}

void sortSystemDataParts(std::vector<SystemDataPart>& parts) {
  std::stable_sort(parts.begin(), parts.end(),
                   [](const SystemDataPart& a, const SystemDataPart& b) { return a.size > b.size; });
}

}  // namespace tolvex
