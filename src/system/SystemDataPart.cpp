#include "system/SystemDataPart.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <sys/stat.h>

#include "model/DisplayPath.h"
#include "model/FolderSize.h"
#include "platform/ParallelFor.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {
constexpr unsigned kMeasureThreads = 8;  // the walks of the parts not in the scan

// The kernel's lists are a few lines; anything far longer is not one of them.
constexpr std::streamsize kKernelListLimit = 1 << 20;

std::string readKernelList(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text(static_cast<size_t>(kKernelListLimit), '\0');
  in.read(text.data(), kKernelListLimit);
  text.resize(static_cast<size_t>(in.gcount()));
  return text;
}

// The kernel writes a space, tab, line feed or backslash in a path of its lists as "\" and three
// octal digits.
std::string unescapedKernelPath(std::string_view field) {
  std::string path;
  path.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    const auto octal = [&](size_t at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
    if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      path += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
      i += 3;
    } else {
      path += field[i];
    }
  }
  return path;
}

// The whitespace-separated fields of each line.
std::vector<std::vector<std::string>> fieldsByLine(std::string_view text) {
  std::vector<std::vector<std::string>> lines;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    lines.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
  }
  return lines;
}

const std::string& sourceOr(const std::string& given, std::string fallback, std::string& storage) {
  if (!given.empty()) return given;
  storage = std::move(fallback);
  return storage;
}
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

const std::vector<SystemDataPart::Row>& SystemDataPart::linuxRows() {
  // Each is a place the system itself fills; the user's own caches belong to the Junk screen.
  static const std::vector<Row> rows = {
      {"vartmp", "/var/tmp", "Temporary files kept across restarts",
       "Temporary files that programs keep between restarts.",
       "Unlike /tmp, nothing empties this folder at restart, and on Debian nothing removes old files here. "
       "Remove only what the program that left it no longer needs.",
       Risk::review, "clock.arrow.circlepath"},
      {"packages", "/var/cache/apt/archives", "Downloaded packages",
       "Package files (.deb) that apt kept after installing them.",
       "\u201Csudo apt-get clean\u201D in a terminal removes them; apt downloads a package again when it needs it.",
       Risk::review, "shippingbox"},
      {"updateDownloads", "/var/cache/PackageKit", "Update downloads",
       "Updates the software updater downloaded, waiting to be installed.",
       "Install or cancel the pending updates in your software updater (Software, Discover).", Risk::review,
       "arrow.down.circle"},
      {"runtimes", "/var/lib/flatpak", "Flatpak apps and runtimes",
       "Flatpak apps and the shared runtimes they run on, installed for all users.",
       "\u201Cflatpak uninstall --unused\u201D removes the runtimes no installed app needs.", Risk::review,
       "square.stack.3d.up"},
      {"snaps", "/var/lib/snapd/snaps", "Snap packages", "Installed snaps, with the earlier revisions snapd keeps.",
       "\u201Csudo snap set system refresh.retain=2\u201D keeps fewer earlier revisions from the next update on.",
       Risk::review, "cube.box"},
      {"journal", "/var/log/journal", "System journal", "The logs that systemd-journald keeps.",
       "journald trims it to its size limit (SystemMaxUse: 10 % of the file system, at most 4 GB, unless set "
       "otherwise); \u201Csudo journalctl --vacuum-size=500M\u201D shrinks it now.",
       Risk::protected_, "doc.text"},
      {"coredumps", "/var/lib/systemd/coredump", "Crash reports",
       "Memory images of programs that crashed, kept to find out why.",
       "The system removes them after 3 days; \u201Ccoredumpctl list\u201D shows them.", Risk::review,
       "exclamationmark.triangle"},
      {"kernels", "/usr/lib/modules", "Installed kernels",
       "The modules of every installed kernel (the kernels themselves are in /boot).",
       "\u201Csudo apt autoremove\u201D removes the kernels the system no longer needs.", Risk::protected_, "cpu"},
  };
  return rows;
}

std::vector<SystemDataPart::Row> swapFileRows(std::string_view procSwaps) {
  std::vector<SystemDataPart::Row> rows;
  // Filename Type Size Used Priority, under a heading line.
  for (const auto& fields : fieldsByLine(procSwaps)) {
    if (fields.size() < 2 || fields[1] != "file") continue;
    std::string path = unescapedKernelPath(fields[0]);
    if (!path.starts_with('/')) continue;
    if (std::any_of(rows.begin(), rows.end(), [&](const auto& row) { return row.path == path; })) continue;
    const std::string id = rows.empty() ? "swap" : "swap-" + std::to_string(rows.size() + 1);
    rows.push_back({id, std::move(path), "Swap file",
                    "Memory the system moves to disk when RAM is full; also used for hibernation.",
                    "Managed by the system. Resize it with your distribution's tools.", Risk::protected_,
                    "memorychip"});
  }
  return rows;
}

bool isOnMemoryFileSystem(std::string_view mounts, std::string_view path) {
  // device, mount point, type, options, …
  size_t deepest = 0;
  bool inMemory = false;
  for (const auto& fields : fieldsByLine(mounts)) {
    if (fields.size() < 3) continue;
    const std::string point = unescapedKernelPath(fields[1]);
    if (!point.starts_with('/') || !isSameOrInside(path, point)) continue;
    const size_t depth = pathComponents(point).size() + 1;
    if (depth < deepest) continue;
    deepest = depth;
    inMemory = fields[2] == "tmpfs" || fields[2] == "ramfs";
  }
  return inMemory;
}

std::vector<SystemDataPart::Row> systemDataRows(const SystemDataSources& sources) {
  std::string swapsPath, mountsPath;
  const std::string swaps = readKernelList(sourceOr(sources.swaps, sources.root + "/proc/swaps", swapsPath));
  const std::string mounts = readKernelList(sourceOr(sources.mounts, sources.root + "/proc/self/mounts", mountsPath));

  std::vector<SystemDataPart::Row> fixed = SystemDataPart::all();
  fixed.insert(fixed.end(), SystemDataPart::linuxRows().begin(), SystemDataPart::linuxRows().end());
  std::vector<SystemDataPart::Row> rows;
  for (auto& row : fixed)
    if (!isOnMemoryFileSystem(mounts, row.path)) rows.push_back(std::move(row));
  const size_t fixedCount = rows.size();
  for (auto& swap : swapFileRows(swaps)) {
    const bool counted = std::any_of(rows.begin(), rows.begin() + static_cast<ptrdiff_t>(fixedCount),
                                     [&](const auto& row) { return isSameOrInside(swap.path, row.path); });
    if (!counted && !isOnMemoryFileSystem(mounts, swap.path)) rows.push_back(std::move(swap));
  }
  return rows;
}

bool holdsUnreadable(const FileNode* node) {
  std::vector<const FileNode*> pending{node};
  while (!pending.empty()) {
    const FileNode* folder = pending.back();
    pending.pop_back();
    if (!folder || get(folder->deleted)) continue;
    if (get(folder->unreadable)) return true;
    for (const FileNode* child : folder->children) pending.push_back(child);
  }
  return false;
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
                                                    const std::string& diskRoot, bool knownPartial) {
  const std::string candidate = std::string(kDataVolume) + row.path;  // the data volume holds it on a Mac
  struct stat st {};
  const std::string measured = ::stat((diskRoot + candidate).c_str(), &st) == 0 ? candidate : row.path;
  FolderSize size{knownSize.value_or(0), 0, knownPartial ? 1 : 0};
  if (!knownSize) size = folderSize(diskRoot + measured);
  if (size.bytes < 1) return std::nullopt;
  return SystemDataPart{row.id,     row.title, row.explanation, row.advice,
                        size.bytes, measured,  row.risk,        row.symbol,
                        size.unreadable > 0};
}

std::vector<SystemDataPart> measureSystemDataParts(const ScanResult* scan, const SystemDataSources& sources,
                                                   const SystemDataProgress& progress) {
  return measureSystemDataPartsWithLookup([scan](const std::string& path) { return scannedSizeAtPath(path, scan); },
                                          sources, progress);
}

std::vector<SystemDataPart> measureSystemDataPartsWithLookup(const SystemDataLookup& lookup,
                                                             const SystemDataSources& sources,
                                                             const SystemDataProgress& progress) {
  // The scan is read here, on the caller's thread; only the walks on disk run in parallel.
  const std::vector<SystemDataPart::Row> rows = systemDataRows(sources);
  std::vector<std::optional<int64_t>> known(rows.size());
  std::vector<char> knownPartial(rows.size(), 0);
  for (size_t i = 0; i < rows.size(); ++i) {
    const FileNode* node = lookup ? lookup(rows[i].path) : nullptr;
    if (!node) continue;
    known[i] = get(node->size);
    knownPartial[i] = holdsUnreadable(node);
  }
  std::vector<std::optional<SystemDataPart>> measured(rows.size());
  std::mutex progressMutex;
  size_t done = 0;
  parallelFor(rows.size(), kMeasureThreads, [&](size_t i) {
    measured[i] = measureSystemDataPart(rows[i], known[i], sources.root, knownPartial[i] != 0);
    if (!progress) return;
    std::lock_guard lock(progressMutex);
    progress(++done, rows.size());
  });
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
