#include "platform/Bundle.h"

#include <algorithm>
#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"

namespace tolvex {

namespace {

// An Info.plist is a few kilobytes; anything far larger is not worth parsing.
constexpr off_t kLargestPlist = PropertyList::kLargest;

std::optional<std::string> identifierOf(const std::map<std::string, std::string>& info) {
  auto found = info.find("CFBundleIdentifier");
  if (found == info.end() || isBlankIdentifier(found->second)) return std::nullopt;
  return found->second;
}

bool isRegularFile(const std::string& path, off_t* size) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *size = st.st_size;
  return true;
}

}  // namespace

bool isBlankIdentifier(std::string_view identifier) {
  return std::all_of(identifier.begin(), identifier.end(),
                     [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; });
}

std::optional<std::map<std::string, std::string>> infoStringsFromPlist(std::string_view bytes) {
  auto plist = PropertyList::parse(bytes);
  if (!plist) return std::nullopt;
  std::map<std::string, std::string> strings;
  for (const char* key : kInfoKeys)
    if (auto value = plist->string(key)) strings.emplace(key, std::move(*value));
  return strings;
}

std::optional<std::string> bundleIdentifierFromPlist(std::string_view bytes) {
  auto info = infoStringsFromPlist(bytes);
  return info ? identifierOf(*info) : std::nullopt;
}

std::optional<std::string> Bundle::infoString(const std::string& key) const {
  auto found = info.find(key);
  if (found == info.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> Bundle::executablePath() const {
  auto name = infoString("CFBundleExecutable");
  if (!name || name->empty() || *name == "." || *name == ".." || name->find('/') != std::string::npos)
    return std::nullopt;
  return flat ? appendPath(path, *name) : appendPath(path, "Contents/MacOS/" + *name);
}

std::optional<Bundle> openBundle(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  Bundle bundle;
  bundle.path = path;
  off_t size = 0;
  std::string plistPath = appendPath(path, "Contents/Info.plist");
  if (!isRegularFile(plistPath, &size)) {
    plistPath = appendPath(path, "Info.plist");
    if (!isRegularFile(plistPath, &size)) return bundle;
    bundle.flat = true;
  }
  if (size > kLargestPlist) return bundle;
  auto bytes = readWholeFile(plistPath, FileLinks::follow, PropertyList::kLargest);
  if (!bytes) return bundle;
  if (auto info = infoStringsFromPlist(*bytes)) bundle.info = std::move(*info);
  bundle.identifier = identifierOf(bundle.info);
  return bundle;
}

std::optional<std::string> bundleIdentifier(const std::string& bundlePath) {
  auto bundle = openBundle(bundlePath);
  return bundle ? bundle->identifier : std::nullopt;
}

}  // namespace tolvex
