#include "model/SafetyVerdict.h"

#include <algorithm>
#include <array>
#include <utility>

#include "engines/JunkRule.h"
#include "model/DisplayPath.h"
#include "platform/Bundle.h"
#include "platform/Identifiers.h"
#include "platform/Paths.h"
#include "platform/RunningApps.h"

namespace tolvex {

namespace {

using Row = std::pair<std::string, std::string>;

const char* const kRootReason = "Root folder of the system or your user account.";
const char* const kKeptFolderReason = "Folder used by macOS. Tolvex empties its contents but keeps the folder.";
const char* const kStandardFolderReason =
    "Standard folder in your user account. You can delete its contents, but not the folder.";
const char* const kApplicationReason = "Application. Use Uninstall to remove its data too.";

const std::vector<Row>& protectedSystemPaths() {
  static const std::vector<Row> rows = {
      {"/System", "Part of macOS, protected by System Integrity Protection (SIP)."},
      {"/bin", "Core macOS tools."},
      {"/sbin", "Core macOS tools."},
      {"/usr/bin", "macOS tools."},
      {"/usr/lib", "macOS libraries."},
      {"/usr/libexec", "macOS components."},
      {"/usr/sbin", "macOS tools."},
      {"/usr/share", "macOS data."},
      {"/private/var/db", "System databases (security, updates, users)."},
      {"/private/var/vm", "Virtual memory and sleep image. macOS manages them on its own."},
      {"/private/var/protected", "Protected system data."},
      {"/private/etc", "System configuration."},
      {"/Library/Apple", "Apple components."},
      {"/Library/Keychains", "System keychains: passwords and certificates."},
      {"/Library/Security", "Security components."},
      {"/Library/Extensions", "Kernel extensions. Deleting them can stop your Mac from starting up."},
      {"/Library/SystemExtensions", "System extensions in use."},
      {"/Library/Preferences/SystemConfiguration", "Network and system configuration."},
      {"/Library/Application Support/com.apple.TCC", "Privacy and permissions database."},
      {"/.Spotlight-V100", "Spotlight index. To rebuild it, use System Settings > Spotlight."},
      {"/.fseventsd", "File system change log."},
      {"/.DocumentRevisions-V100", "Document versions managed by macOS."},
      {"/MobileSoftwareUpdate", "macOS updates in progress."},
  };
  return rows;
}

// The system folders of a Linux installation ("/usr" apart from "/usr/local" is tested on its own).
constexpr std::array<const char*, 14> kLinuxSystemRoots = {"/bin",   "/boot",  "/dev",    "/etc",    "/lib",
                                                           "/lib32", "/lib64", "/libx32", "/proc",   "/run",
                                                           "/sbin",  "/snap",  "/sys",    "/var/lib"};

struct PersonalRow {
  std::string prefix;
  Risk risk;
  std::string reason;
};

const std::vector<PersonalRow>& personalDataPaths() {
  static const std::vector<PersonalRow> rows = {
      {"Library/Keychains", Risk::protected_, "Your keychains: passwords, keys and certificates."},
      {"Library/Mail", Risk::protected_, "Your Mail mailboxes. Manage your email from the Mail app."},
      {"Library/Messages", Risk::protected_, "Your Messages history."},
      {"Library/Accounts", Risk::protected_, "Accounts set up on this Mac."},
      {"Library/Cookies", Risk::protected_, "Browser sessions."},
      {"Library/Group Containers/group.com.apple", Risk::protected_, "Data shared by Apple apps."},
      {"Library/Containers/com.apple", Risk::protected_, "Apple app data."},
      {"Library/Application Support/AddressBook", Risk::protected_, "Your contacts."},
      {"Library/Calendars", Risk::protected_, "Your calendars."},
      {"Library/Safari", Risk::protected_, "Safari history, bookmarks and tabs."},
      {"Library/Preferences", Risk::review, "App settings. Deleting them resets the apps."},
      {"Library/Mobile Documents", Risk::protected_,
       "iCloud Drive files. Deleting them here deletes them on all your devices."},
      {"Library/CloudStorage", Risk::protected_,
       "Synced files (Dropbox, Google Drive, OneDrive\u2026). They would also be deleted from the cloud."},
  };
  return rows;
}

constexpr std::array<std::string_view, 9> kStandardHomeFolders = {
    "Desktop", "Documents", "Downloads", "Library", "Movies", "Music", "Pictures", "Public", "Applications"};

constexpr std::array<std::string_view, 8> kPackageMarkers = {".photoslibrary/", ".photolibrary/", ".musiclibrary/",
                                                             ".tvlibrary/",     ".fcpbundle/",    ".imovielibrary/",
                                                             ".app/",           ".logicx/"};

bool beginsWith(std::string_view text, std::string_view prefix) { return text.starts_with(prefix); }

SafetyVerdict applicationVerdict(const std::string& bundlePath, const SafetyContext& context) {
  std::optional<std::string> identifier =
      context.bundleIdentifier ? context.bundleIdentifier(bundlePath) : std::nullopt;
  if (!identifier || identifier->empty()) return {Risk::review, kApplicationReason};
  if (identifier->starts_with("com.apple."))
    return {Risk::protected_, "Apple app included with macOS or required by the system."};
  // Our own identifier first: we are always running, so the running test would otherwise hide it.
  if (context.ownBundleIdentifier && !context.ownBundleIdentifier->empty() &&
      *identifier == *context.ownBundleIdentifier)
    return {Risk::protected_, "This is Tolvex."};
  if (context.runningApplications) {
    const auto running = context.runningApplications();
    if (std::find(running.begin(), running.end(), *identifier) != running.end())
      return {Risk::protected_, "The app is open. Quit it before removing it."};
  }
  return {Risk::review, kApplicationReason};
}

}  // namespace

std::optional<std::string> pathForJudging(std::string_view path) {
  // A NUL byte ends the path for every system call: what is judged must be what is acted on.
  if (path.empty() || path.front() != '/' || path.find('\0') != std::string_view::npos) return std::nullopt;
  std::string out;
  for (std::string_view component : pathComponents(path)) {
    if (component == "..") return std::nullopt;
    if (component == ".") continue;
    out += '/';
    out += component;
  }
  if (out.empty()) out = "/";
  return out;
}

SafetyContext SafetyContext::forPlaces(const Places& places) {
  SafetyContext context;
  context.places = places;
  context.bundleIdentifier = [](const std::string& path) { return tolvex::bundleIdentifier(path); };
  context.runningApplications = [] { return runningApplicationIdentifiers(); };
  context.ownBundleIdentifier = std::string(kBundleIdentifier);
  return context;
}

SafetyVerdict SafetyVerdict::forPath(const std::string& path, const SafetyContext& context) {
  const auto judged = pathForJudging(path);
  if (!judged) return {Risk::protected_, kUnplainPathReason};
  const std::string& home = context.places.home;

  // 1. The data volume's mirror of the root is judged as the root.
  const std::string p = foldedPath(*judged);

  // 2, 3. Root folders and anything directly under "/".
  if (p == "/" || p == home || p == "/Users" || p == "/Applications" || p == "/Library")
    return {Risk::protected_, kRootReason};
  if (pathComponents(p).size() <= 1) return {Risk::protected_, kRootReason};

  // 4. Protected system folders, then the system folders of Linux.
  for (const auto& [prefix, reason] : protectedSystemPaths())
    if (isSameOrInside(p, prefix)) return {Risk::protected_, reason};
  for (const char* root : kLinuxSystemRoots)
    if (isSameOrInside(p, root)) return {Risk::protected_, kOperatingSystemReason};
  if (isSameOrInside(p, "/usr") && !isSameOrInside(p, "/usr/local")) return {Risk::protected_, kOperatingSystemReason};

  // 5, 6. Folders that are emptied but kept: every rule's folder, and the Trash with its two folders.
  for (const JunkRule& rule : JunkRule::all())
    if (p == rule.folder(context.places)) return {Risk::protected_, kKeptFolderReason};
  const std::string& trashFiles = context.places.trashFiles;
  if (!trashFiles.empty()) {
    const std::string trash = parentPath(trashFiles);
    if (p == trashFiles || p == trash || p == appendPath(trash, "info")) return {Risk::protected_, kKeptFolderReason};
  }

  // 7. Anything a junk rule holds.
  if (const JunkRule* rule = ruleForPath(p, context.places)) return {rule->risk, rule->explanation};

  // 8. The standard folders and the personal data of the home folder.
  const std::string homeSlash = home.ends_with("/") ? home : home + "/";
  if (!home.empty() && isInside(p, home)) {
    const std::string_view rel = std::string_view(p).substr(homeSlash.size());
    if (std::find(kStandardHomeFolders.begin(), kStandardHomeFolders.end(), rel) != kStandardHomeFolders.end())
      return {Risk::protected_, kStandardFolderReason};
    for (const auto& row : personalDataPaths()) {
      if (rel == row.prefix || beginsWith(rel, row.prefix + "/") || beginsWith(rel, row.prefix + "."))
        return {row.risk, row.reason};
    }
  }

  // 9. Anything inside a package.
  for (std::string_view marker : kPackageMarkers) {
    if (p.find(marker) != std::string::npos) {
      const std::string name(marker.substr(1, marker.size() - 2));
      return {Risk::protected_, "Inside a ." + name +
                                    " package. Deleting individual pieces corrupts it; remove the whole package if "
                                    "you no longer use it."};
    }
  }

  // 10. Application bundles.
  if (p.ends_with(".app")) return applicationVerdict(*judged, context);

  // 11 to 17.
  if (p.ends_with(".photoslibrary") || p.ends_with(".musiclibrary"))
    return {Risk::protected_, "Your photo or music library. Manage it from its app."};
  if (!home.empty() && beginsWith(p, homeSlash + "Library/"))
    return {Risk::review, "App data. The app may lose settings or content if it\u2019s still installed."};
  if (beginsWith(p, "/Library/") || beginsWith(p, "/private/") || beginsWith(p, "/usr/") || beginsWith(p, "/opt/"))
    return {Risk::review, "Shared file used by the system or a tool. May require an administrator password."};
  if (!home.empty() && beginsWith(p, homeSlash + "Downloads/"))
    return {Risk::safe, "Download. Make sure you don\u2019t need it."};
  if (!trashFiles.empty() && isInside(p, trashFiles)) return {Risk::safe, "Already in the Trash."};
  if (!home.empty() && beginsWith(p, homeSlash))
    return {Risk::review, "Personal file. Make sure you have a backup if it matters."};
  return {Risk::review, "Review before deleting."};
}

}  // namespace tolvex
