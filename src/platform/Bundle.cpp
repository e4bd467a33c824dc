#include "platform/Bundle.h"

#include <algorithm>
#include <cstring>
#include <plist/plist.h>
#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {

// An Info.plist is a few kilobytes; anything far larger is not worth parsing.
constexpr off_t kLargestPlist = 8 << 20;

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
  return std::all_of(identifier.begin(), identifier.end(), [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
  });
}

std::optional<std::map<std::string, std::string>> infoStringsFromPlist(std::string_view bytes) {
  if (bytes.size() < 8 || bytes.size() > static_cast<size_t>(kLargestPlist)) return std::nullopt;
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  if (!root) return std::nullopt;
  std::optional<std::map<std::string, std::string>> strings;
  if (plist_get_node_type(root) == PLIST_DICT) {
    strings.emplace();
    // Keys are looked up, never listed, and strings read through a pointer: the library's other
    // readers abort the process when a string's stored length disagrees with its text, as it can in a
    // damaged file. Such a string is no text here.
    for (const char* key : kInfoKeys) {
      plist_t value = plist_dict_get_item(root, key);
      if (!value || plist_get_node_type(value) != PLIST_STRING) continue;
      uint64_t length = 0;
      const char* text = plist_get_string_ptr(value, &length);
      if (!text) continue;
      if (std::strlen(text) == length) strings->emplace(key, std::string(text, static_cast<size_t>(length)));
    }
  }
  plist_free(root);
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
  auto bytes = readWholeFile(plistPath);
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
