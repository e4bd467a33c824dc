#include "platform/RunningApps.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <map>
#include <unistd.h>

#include "platform/Bundle.h"
#include "platform/Paths.h"

namespace tolvex {

std::optional<std::string> bundleOfExecutable(std::string_view executablePath) {
  constexpr std::string_view deleted = " (deleted)";
  if (executablePath.ends_with(deleted)) executablePath.remove_suffix(deleted.size());
  if (executablePath.empty() || executablePath.front() != '/') return std::nullopt;
  // The last ".app" component before the executable's own name.
  auto components = pathComponents(executablePath);
  if (components.size() < 2) return std::nullopt;
  for (size_t i = components.size() - 1; i-- > 0;) {
    if (components[i].size() > 4 && components[i].ends_with(".app")) {
      std::string bundle;
      for (size_t j = 0; j <= i; ++j) {
        bundle += '/';
        bundle += components[j];
      }
      return bundle;
    }
  }
  return std::nullopt;
}

std::vector<std::string> runningApplicationIdentifiers(const std::string& procRoot) {
  std::vector<std::string> identifiers;
  DIR* dir = ::opendir(procRoot.c_str());
  if (!dir) return identifiers;
  std::map<std::string, std::optional<std::string>> bundles;  // each bundle is read once
  while (dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    const std::string link = appendPath(appendPath(procRoot, name), "exe");
    char target[PATH_MAX];
    ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof target) continue;
    auto bundle = bundleOfExecutable(std::string_view(target, static_cast<size_t>(length)));
    if (!bundle) continue;
    auto found = bundles.find(*bundle);
    if (found == bundles.end()) found = bundles.emplace(*bundle, bundleIdentifier(*bundle)).first;
    if (found->second) identifiers.push_back(*found->second);
  }
  ::closedir(dir);
  std::sort(identifiers.begin(), identifiers.end());
  identifiers.erase(std::unique(identifiers.begin(), identifiers.end()), identifiers.end());
  return identifiers;
}

}  // namespace tolvex

namespace tolvex {

namespace {

// "\x2d" and the other escapes of a unit name, resolved.
std::string unescapeUnitName(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

void unitApplications(std::string_view unit, std::vector<std::string>& out) {
  if (unit.starts_with("snap.") && unit.ends_with(".scope")) {
    const auto parts = split(unit.substr(5), '.');
    if (parts.size() >= 2 && !parts[0].empty()) out.emplace_back(parts[0]);
    return;
  }
  if (!unit.starts_with("app-")) return;
  std::string_view body = unit.substr(4);
  bool scope = false;
  if (body.ends_with(".scope")) {
    body.remove_suffix(6);
    scope = true;
  } else if (body.ends_with(".service")) {
    body.remove_suffix(8);
    if (const size_t at = body.find('@'); at != std::string_view::npos) body = body.substr(0, at);
  } else {
    return;
  }
  auto parts = split(body, '-');
  if (scope && parts.size() >= 2) parts.pop_back();  // the random part
  // The last one or two pieces: "<launcher>-<id>" or "<id>".
  const size_t first = parts.size() >= 2 ? parts.size() - 2 : 0;
  for (size_t i = first; i < parts.size(); ++i)
    if (!parts[i].empty()) out.push_back(unescapeUnitName(parts[i]));
}

bool isProcessName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string readSmallFile(const std::string& path) {
  std::string bytes;
  if (FILE* file = std::fopen(path.c_str(), "re")) {
    char buffer[4096];
    size_t n;
    while (bytes.size() < 65536 && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
    std::fclose(file);
  }
  return bytes;
}

}  // namespace

std::vector<std::string> cgroupApplications(std::string_view cgroupFile) {
  std::vector<std::string> out;
  for (std::string_view line : split(cgroupFile, '\n')) {
    const size_t slash = line.rfind('/');
    if (slash == std::string_view::npos) continue;
    // The unit is the innermost part that names an application; a scope may hold sub-groups.
    for (std::string_view part : split(line.substr(line.find('/')), '/'))
      if (part.starts_with("app-") || part.starts_with("snap.")) unitApplications(part, out);
  }
  return out;
}

std::vector<std::string> runningDesktopApplications(const std::string& procRoot, const std::string& runtimeDir) {
  std::vector<std::string> running;
  if (DIR* dir = ::opendir(procRoot.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      if (!isProcessName(entry->d_name)) continue;
      const std::string process = appendPath(procRoot, entry->d_name);
      for (std::string& id : cgroupApplications(readSmallFile(appendPath(process, "cgroup")))) running.push_back(std::move(id));
      char target[PATH_MAX];
      const ssize_t length = ::readlink(appendPath(process, "exe").c_str(), target, sizeof target);
      if (length > 0 && static_cast<size_t>(length) < sizeof target) {
        std::string exe(target, static_cast<size_t>(length));
        if (exe.ends_with(" (deleted)")) exe.resize(exe.size() - 10);
        running.push_back(std::move(exe));
      }
    }
    ::closedir(dir);
  }
  // Flatpak's own record of its instances: "[Application]" then "name=<id>".
  if (!runtimeDir.empty()) {
    const std::string instances = appendPath(runtimeDir, ".flatpak");
    if (DIR* dir = ::opendir(instances.c_str())) {
      while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string info = readSmallFile(appendPath(appendPath(instances, entry->d_name), "info"));
        bool inApplication = false;
        for (std::string_view line : split(info, '\n')) {
          if (line.starts_with('[')) inApplication = line == "[Application]";
          else if (inApplication && line.starts_with("name=")) running.emplace_back(line.substr(5));
        }
      }
      ::closedir(dir);
    }
  }
  std::sort(running.begin(), running.end());
  running.erase(std::unique(running.begin(), running.end()), running.end());
  return running;
}

}  // namespace tolvex
