#include "system/PackageSources.h"

#include <climits>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {

// dpkg's status file is a few megabytes; its lists are small. Anything far larger is not theirs.
constexpr size_t kStatusLimit = 256u << 20;
constexpr size_t kListLimit = 64u << 20;
constexpr size_t kMetadataLimit = 4u << 20;

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    visit(text.substr(start, end - start));
    start = end + 1;
  }
}

std::string_view fieldValue(std::string_view line, std::string_view field) {
  std::string_view value = line.substr(field.size());
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.remove_suffix(1);
  return value;
}

}  // namespace

DpkgDatabase::DpkgDatabase(std::string adminDir, std::string systemRoot)
    : adminDir_(std::move(adminDir)), systemRoot_(std::move(systemRoot)) {}

void DpkgDatabase::load() const {
  std::call_once(loaded_, [this] {
    // Installed packages from the status file, one stanza each.
    DpkgPackage current;
    bool installed = false;
    auto finish = [&] {
      if (installed && !current.name.empty()) packages_.emplace(current.name, current);
      current = DpkgPackage{};
      installed = false;
    };
    const std::string status = readWholeFile(appendPath(adminDir_, "status"), FileLinks::follow, kStatusLimit).value_or("");
    forEachLine(status, [&](std::string_view line) {
      if (line.empty() || line == "\r") return finish();
      if (line.starts_with("Package:")) current.name = fieldValue(line, "Package:");
      else if (line.starts_with("Status:")) installed = fieldValue(line, "Status:").ends_with(" installed");
      else if (line.starts_with("Version:")) current.version = std::string(fieldValue(line, "Version:"));
      else if (line.starts_with("Installed-Size:")) {
        const std::string kib(fieldValue(line, "Installed-Size:"));
        char* end = nullptr;
        const long long value = std::strtoll(kib.c_str(), &end, 10);
        if (end != kib.c_str() && value > 0 && value < LLONG_MAX / 1024) current.installedSize = value * 1024;
      }
    });
    finish();
    // Owners of desktop entries: only the lines of the lists that name one are kept.
    const std::string info = appendPath(adminDir_, "info");
    for (const std::string& name : folderNames(info).value_or(std::vector<std::string>{})) {
      if (!name.ends_with(".list")) continue;
      std::string package = name.substr(0, name.size() - 5);
      if (const size_t colon = package.find(':'); colon != std::string::npos) package.resize(colon);  // pkg:arch
      if (!packages_.contains(package)) continue;
      const std::string list = readWholeFile(appendPath(info, name), FileLinks::follow, kListLimit).value_or("");
      forEachLine(list, [&](std::string_view line) {
        if (line.ends_with(".desktop") && line.find("/applications/") != std::string_view::npos)
          owners_.emplace(systemRoot_ + std::string(line), package);
      });
    }
  });
}

std::optional<std::string> DpkgDatabase::ownerOf(const std::string& path) const {
  load();
  const auto found = owners_.find(path);
  if (found == owners_.end()) return std::nullopt;
  return found->second;
}

std::optional<DpkgPackage> DpkgDatabase::installed(const std::string& name) const {
  load();
  const auto found = packages_.find(name);
  if (found == packages_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> flatpakDeployFolder(const DesktopSources& sources, const std::string& id) {
  if (id.empty() || id.find('/') != std::string::npos || id.front() == '.') return std::nullopt;
  for (const std::string& installation : sources.flatpakInstallations) {
    const std::string folder = appendPath(appendPath(installation, "app"), id);
    if (exists(appendPath(folder, "current/active"))) return folder;
  }
  return std::nullopt;
}

std::set<std::string> installedFlatpaks(const DesktopSources& sources) {
  std::set<std::string> ids;
  for (const std::string& installation : sources.flatpakInstallations) {
    const std::string apps = appendPath(installation, "app");
    for (const std::string& id : folderNames(apps).value_or(std::vector<std::string>{}))
      if (exists(appendPath(appendPath(apps, id), "current/active"))) ids.insert(id);
  }
  return ids;
}

std::optional<std::string> metainfoVersion(const std::string& path) {
  const std::optional<std::string> xml = readWholeFile(path, FileLinks::follow, kMetadataLimit);
  if (!xml) return std::nullopt;
  for (size_t at = xml->find("<release"); at != std::string::npos; at = xml->find("<release", at + 1)) {
    const char next = at + 8 < xml->size() ? (*xml)[at + 8] : '\0';
    if (next != ' ' && next != '\t' && next != '\n' && next != '\r') continue;  // "<releases>"
    const size_t close = xml->find('>', at);
    const std::string_view tag = std::string_view(*xml).substr(at, close == std::string::npos ? std::string::npos : close - at);
    for (const char* quote : {"version=\"", "version='"}) {
      const size_t attribute = tag.find(quote);
      if (attribute == std::string_view::npos) continue;
      const size_t begin = attribute + 9;
      const size_t end = tag.find(quote[8], begin);
      if (end == std::string_view::npos || end == begin) break;
      return std::string(tag.substr(begin, end - begin));
    }
    return std::nullopt;  // the newest release names no version
  }
  return std::nullopt;
}

std::optional<std::string> flatpakVersion(const std::string& deployFolder, const std::string& id) {
  const std::string share = appendPath(deployFolder, "current/active/files/share");
  for (const char* file : {"metainfo/%.metainfo.xml", "metainfo/%.appdata.xml", "appdata/%.appdata.xml"}) {
    std::string relative = file;
    relative.replace(relative.find('%'), 1, id);
    if (auto version = metainfoVersion(appendPath(share, relative))) return version;
  }
  return std::nullopt;
}

std::optional<std::string> componentVersion(const DesktopSources& sources, const std::string& id) {
  for (const std::string& dir : sources.dataDirs)
    for (const char* file : {"metainfo/%.metainfo.xml", "metainfo/%.appdata.xml", "appdata/%.appdata.xml"}) {
      std::string relative = file;
      relative.replace(relative.find('%'), 1, id);
      if (auto version = metainfoVersion(appendPath(dir, relative))) return version;
    }
  return std::nullopt;
}

bool isSnapInstalled(const DesktopSources& sources, const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos || name.front() == '.') return false;
  return exists(appendPath(appendPath(sources.snapMount, name), "current"));
}

std::optional<std::string> snapVersion(const DesktopSources& sources, const std::string& name) {
  if (!isSnapInstalled(sources, name)) return std::nullopt;
  const std::string yaml =
      readWholeFile(appendPath(sources.snapMount, name + "/current/meta/snap.yaml"), FileLinks::follow, kMetadataLimit)
          .value_or("");
  std::optional<std::string> version;
  forEachLine(yaml, [&](std::string_view line) {
    if (version || !line.starts_with("version:")) return;
    std::string_view value = fieldValue(line, "version:");
    if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (!value.empty()) version = std::string(value);
  });
  return version;
}

int64_t snapSize(const DesktopSources& sources, const std::string& name) {
  if (!isSnapInstalled(sources, name)) return 0;
  char revision[PATH_MAX];
  const ssize_t length = ::readlink(appendPath(sources.snapMount, name + "/current").c_str(), revision, sizeof revision);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof revision) return 0;
  const std::string file =
      appendPath(sources.snapState, "snaps/" + name + "_" + lastPathComponent(std::string(revision, static_cast<size_t>(length))) + ".snap");
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return static_cast<int64_t>(st.st_blocks) * 512;
}

}  // namespace tolvex
