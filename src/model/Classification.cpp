#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "model/FileKind.h"
#include "model/StorageBucket.h"
#include "platform/Paths.h"

namespace tolvex {

// ---------------------------------------------------------------------------------------------
// Titles and tables

const char* title(FileKind kind) {
  static constexpr const char* titles[] = {
      "Documents", "Images", "Video", "Audio", "Archives", "Disk Images & Installers", "Code", "Applications", "Other"};
  return titles[static_cast<size_t>(kind)];
}

std::optional<FileKind> fileKindFromRaw(unsigned raw) {
  if (raw > 8) return std::nullopt;
  return static_cast<FileKind>(raw);
}

const char* title(StorageBucket bucket) {
  static constexpr const char* titles[] = {
      "Applications", "Documents", "Images & Photos",          "Video", "Music & Audio", "Installers & Archives",
      "Developer",    "App Data",  "Caches & Temporary Files", "Trash", "System",        "Other"};
  return titles[static_cast<size_t>(bucket)];
}

const char* detail(StorageBucket bucket) {
  static constexpr const char* details[] = {".app bundles in Applications and other folders.",
                                            "PDFs, office files, text and data.",
                                            "Photos, the Photos library and design files.",
                                            "Movies, recordings and video projects.",
                                            "Music, podcasts and sound libraries.",
                                            "DMG, PKG, ZIP\u2026 usually safe to delete after installing.",
                                            "Xcode, simulators, node_modules, Docker and package caches.",
                                            "What apps store in ~/Library: databases, settings, containers.",
                                            "Caches, logs and temporary files. macOS and apps recreate them.",
                                            "Items already in the Trash.",
                                            "macOS files and shared components outside the sealed volume.",
                                            "Everything that doesn\u2019t fit another category."};
  return details[static_cast<size_t>(bucket)];
}

const char* symbol(StorageBucket bucket) {
  static constexpr const char* symbols[] = {"square.grid.2x2.fill", "doc.text.fill",    "photo.on.rectangle.angled",
                                            "film.stack.fill",      "music.note",       "shippingbox.fill",
                                            "hammer.fill",          "tray.full.fill",   "sparkles",
                                            "trash.fill",           "gearshape.2.fill", "ellipsis.circle.fill"};
  return symbols[static_cast<size_t>(bucket)];
}

std::optional<StorageBucket> storageBucketFromRaw(unsigned raw) {
  if (raw > 11) return std::nullopt;
  return static_cast<StorageBucket>(raw);
}

StorageBucket bucketForKind(FileKind kind) {
  switch (kind) {
    case FileKind::document: return StorageBucket::documents;
    case FileKind::image: return StorageBucket::images;
    case FileKind::video: return StorageBucket::video;
    case FileKind::audio: return StorageBucket::audio;
    case FileKind::archive: return StorageBucket::archives;
    case FileKind::diskImage: return StorageBucket::archives;
    case FileKind::code: return StorageBucket::documents;
    case FileKind::application: return StorageBucket::applications;
    case FileKind::other: return StorageBucket::other;
  }
  return StorageBucket::other;
}

namespace {

// Function-local statics: built once, race-free, read-only afterwards.
const std::unordered_map<std::string, FileKind>& extensionKinds() {
  static const std::unordered_map<std::string, FileKind> table = [] {
    const std::pair<FileKind, const char*> lists[] = {
        {FileKind::document,
         "pdf doc docx xls xlsx ppt pptx pages numbers key txt rtf rtfd md markdown csv tsv epub odt ods odp tex "
         "log json xml yaml yml html htm"},
        {FileKind::image,
         "jpg jpeg png heic heif gif tif tiff bmp webp raw cr2 cr3 nef arw dng orf raf rw2 psd psb ai svg eps "
         "sketch fig xcf exr hdr icns ico avif jxl"},
        {FileKind::video, "mov mp4 m4v avi mkv webm mts m2ts mpg mpeg wmv flv 3gp braw r3d mxf vob prproj fcpxml"},
        {FileKind::audio, "mp3 m4a m4b m4p aac wav aif aiff flac ogg opus caf alac wma mid midi exs sf2 als band"},
        {FileKind::archive, "zip rar 7z tar gz tgz bz2 tbz xz txz lz lzma zst cab sit sitx cpgz"},
        {FileKind::diskImage, "dmg iso img sparseimage sparsebundle toast vmdk vdi qcow2 vhd vhdx ipsw pkg mpkg xip"},
        {FileKind::code,
         "swift m mm h hpp c cc cpp js mjs cjs ts tsx jsx py rb go rs java kt kts php cs sh zsh bash sql lua "
         "dart scala r pl ex exs erl hs vue svelte css scss sass less gradle o a dylib so class jar wasm pyc"},
    };
    std::unordered_map<std::string, FileKind> map;
    for (const auto& [kind, list] : lists) {
      for (std::string_view rest = list; !rest.empty();) {
        size_t space = rest.find(' ');
        map[std::string(rest.substr(0, space))] = kind;  // a later list wins
        if (space == std::string_view::npos) break;
        rest.remove_prefix(space + 1);
      }
    }
    return map;
  }();
  return table;
}

const std::unordered_set<std::string_view>& packageExtensions() {
  static const std::unordered_set<std::string_view> set = {
      "app",          "photoslibrary", "musiclibrary", "tvlibrary",  "imovielibrary", "fcpbundle",   "logicx",
      "bundle",       "framework",     "plugin",       "kext",       "xpc",           "appex",       "xcarchive",
      "xcodeproj",    "xcworkspace",   "rtfd",         "pages",      "numbers",       "key",         "sparsebundle",
      "photolibrary", "aplibrary",     "band",         "savedState", "mdimporter",    "qlgenerator", "prefPane",
      "saver",        "component",     "vst",          "vst3"};
  return set;
}

const std::unordered_set<std::string_view>& developerFolderNames() {
  static const std::unordered_set<std::string_view> set = {"node_modules",
                                                           "DerivedData",
                                                           "CoreSimulator",
                                                           ".gradle",
                                                           ".npm",
                                                           ".cargo",
                                                           ".rustup",
                                                           ".m2",
                                                           ".cocoapods",
                                                           ".pub-cache",
                                                           ".nuget",
                                                           "Pods",
                                                           ".venv",
                                                           "venv",
                                                           "__pycache__",
                                                           ".next",
                                                           ".turbo",
                                                           "Developer",
                                                           ".docker",
                                                           "com.docker.docker",
                                                           ".bun",
                                                           ".pnpm-store",
                                                           "go"};
  return set;
}

}  // namespace

size_t extensionKindCount() { return extensionKinds().size(); }
bool isPackageExtension(std::string_view extension) { return packageExtensions().contains(extension); }
bool isDeveloperFolderName(std::string_view name) { return developerFolderNames().contains(name); }
size_t packageExtensionCount() { return packageExtensions().size(); }
size_t developerFolderNameCount() { return developerFolderNames().size(); }

FileKind kindForFileName(const char* name, size_t length) {
  if (length <= 1) return FileKind::other;
  size_t dot = 0;
  for (size_t i = length - 1; i >= 1; --i) {
    if (name[i] == '.') {
      dot = i;
      break;
    }
  }
  if (dot == 0) return FileKind::other;
  size_t extLength = length - dot - 1;
  if (extLength == 0 || extLength > 12) return FileKind::other;
  char lower[12];
  for (size_t i = 0; i < extLength; ++i) {
    char c = name[dot + 1 + i];
    lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const auto& table = extensionKinds();
  auto found = table.find(std::string(lower, extLength));
  return found == table.end() ? FileKind::other : found->second;
}

// ---------------------------------------------------------------------------------------------
// Folder categories

namespace {

using Bucket = std::optional<StorageBucket>;
using Components = std::vector<std::string_view>;

// Rules 1 to 7: the folder's name and what it inherits. Answers nothing when no rule applies.
std::optional<Bucket> nameRules(std::string_view name, Bucket inherited) {
  if (name.ends_with(".app")) return StorageBucket::applications;
  if (name.ends_with(".photoslibrary") || name.ends_with(".photolibrary")) return StorageBucket::images;
  if (name.ends_with(".musiclibrary") || name.ends_with(".logicx") || name.ends_with(".band"))
    return StorageBucket::audio;
  if (name.ends_with(".fcpbundle") || name.ends_with(".imovielibrary") || name.ends_with(".tvlibrary"))
    return StorageBucket::video;
  if (name.ends_with(".xcarchive")) return StorageBucket::developer;
  if (inherited && *inherited != StorageBucket::appData && *inherited != StorageBucket::system &&
      *inherited != StorageBucket::other)
    return inherited;
  if (isDeveloperFolderName(name)) return StorageBucket::developer;
  return std::nullopt;
}

bool isOneOf(std::string_view value, std::initializer_list<std::string_view> options) {
  for (auto option : options)
    if (value == option) return true;
  return false;
}

// Rules 8 to 15: the folder's place in the file system.
Bucket placeRules(const Components& c, Bucket inherited) {
  const size_t n = c.size();
  if (n == 0) return inherited;
  const Bucket appDataOrNone = inherited == StorageBucket::appData ? Bucket(StorageBucket::appData) : std::nullopt;
  if (c[0] == "Users") {
    if (n < 3) return appDataOrNone;
    if (c[2] == ".Trash") return StorageBucket::trash;
    if (c[2] == "Library") {
      if (n == 3) return StorageBucket::appData;
      if (isOneOf(c[3], {"Caches", "Logs", "HTTPStorages", "Saved Application State"})) return StorageBucket::junk;
      if (c[3] == "Developer") return StorageBucket::developer;
      if (isOneOf(c[3], {"Mail", "Messages", "Mobile Documents", "CloudStorage"})) return std::nullopt;
      return StorageBucket::appData;
    }
    if (c[2] == "Applications") return inherited;
    return appDataOrNone;
  }
  if (c[0] == "Applications") return inherited;
  if (c[0] == "Library") {
    if (n == 1) return StorageBucket::system;
    if (c[1] == "Caches" || c[1] == "Logs") return StorageBucket::junk;
    if (c[1] == "Developer") return StorageBucket::developer;
    return StorageBucket::system;
  }
  if (c[0] == "private") {
    if (n >= 3 && c[1] == "var" && (c[2] == "folders" || c[2] == "log")) return StorageBucket::junk;
    if (n == 1) return StorageBucket::system;
    if (c[1] == "tmp") return StorageBucket::junk;
    return StorageBucket::system;
  }
  if (c[0] == "opt" || c[0] == "usr") return StorageBucket::developer;
  if (isOneOf(c[0], {"System", "cores", "sw", ".Spotlight-V100", ".fseventsd", ".DocumentRevisions-V100",
                     ".PKInstallSandboxManager-SystemSoftware", "MobileSoftwareUpdate"}))
    return StorageBucket::system;
  return inherited;
}

// The rows for a Linux system's own places, tested between the name rules and the place rules.
std::optional<Bucket> linuxRows(const Components& c, bool inHome, bool inTrash) {
  const size_t n = c.size();
  if (inTrash) return StorageBucket::trash;
  if (inHome) {
    if (n >= 3 && c[2] == ".cache") return StorageBucket::junk;
    if (n >= 3 && (c[2] == ".config" || c[2] == ".local")) return StorageBucket::appData;
    return std::nullopt;
  }
  if (n == 0) return std::nullopt;
  if (c[0] == "usr" && !(n >= 2 && c[1] == "local")) return StorageBucket::system;
  if (isOneOf(c[0], {"etc", "boot", "bin", "sbin", "lib", "lib32", "lib64", "libx32", "snap"}))
    return StorageBucket::system;
  if (c[0] == "tmp") return StorageBucket::junk;
  if (c[0] == "var" && n >= 2) {
    if (c[1] == "lib") return StorageBucket::system;
    if (isOneOf(c[1], {"tmp", "cache", "log"})) return StorageBucket::junk;
  }
  return std::nullopt;
}

}  // namespace

std::optional<StorageBucket> bucketForPath(const std::vector<std::string_view>& components, std::string_view name,
                                           std::optional<StorageBucket> inherited) {
  if (auto byName = nameRules(name, inherited)) return *byName;
  return placeRules(components, inherited);
}

PathClassifier::PathClassifier(std::string home, std::string trashFolder)
    : home_(std::move(home)), homeName_(lastPathComponent(home_)), trash_(std::move(trashFolder)) {}

std::optional<StorageBucket> PathClassifier::classify(std::string_view foldedPath, std::string_view name,
                                                      std::optional<StorageBucket> inherited) const {
  if (auto byName = nameRules(name, inherited)) return *byName;
  const bool inHome = home_ != "/" && isSameOrInside(foldedPath, home_);
  Components components;
  if (inHome) {
    components = {"Users", homeName_};
    for (auto part : pathComponents(foldedPath.substr(home_.size()))) components.push_back(part);
  } else {
    components = pathComponents(foldedPath);
  }
  const bool inTrash = !trash_.empty() && isSameOrInside(foldedPath, trash_);
  if (auto linux = linuxRows(components, inHome, inTrash)) return *linux;
  return placeRules(components, inherited);
}

}  // namespace tolvex
