#include "platform/Bundle.h"

#include <cstdlib>
#include <plist/plist.h>
#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {
// An Info.plist is a few kilobytes; anything far larger is not worth parsing.
constexpr off_t kLargestPlist = 8 << 20;
}  // namespace

std::optional<std::string> bundleIdentifierFromPlist(std::string_view bytes) {
  if (bytes.size() < 8 || bytes.size() > static_cast<size_t>(kLargestPlist)) return std::nullopt;
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  if (!root) return std::nullopt;
  std::optional<std::string> identifier;
  if (plist_get_node_type(root) == PLIST_DICT) {
    plist_t item = plist_dict_get_item(root, "CFBundleIdentifier");
    if (item && plist_get_node_type(item) == PLIST_STRING) {
      char* value = nullptr;
      plist_get_string_val(item, &value);
      if (value && *value) identifier = value;
      std::free(value);
    }
  }
  plist_free(root);
  return identifier;
}

std::optional<std::string> bundleIdentifier(const std::string& bundlePath) {
  const std::string plistPath = appendPath(bundlePath, "Contents/Info.plist");
  struct stat st {};
  if (::stat(plistPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kLargestPlist)
    return std::nullopt;
  auto bytes = readWholeFile(plistPath);
  if (!bytes) return std::nullopt;
  return bundleIdentifierFromPlist(*bytes);
}

}  // namespace tolvex
