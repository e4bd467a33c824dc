#include "platform/PropertyList.h"

#include <cstring>
#include <plist/plist.h>

#include "platform/AtomicFile.h"

namespace tolvex {

namespace {

std::optional<std::string> stringValue(plist_t node) {
  if (!node || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
  // Read through the pointer: libplist's copying reader aborts the process when a string's stored
  // length disagrees with its text, as it can in a damaged file. Such a string is no text here.
  uint64_t length = 0;
  const char* text = plist_get_string_ptr(node, &length);
  if (!text || std::strlen(text) != length) return std::nullopt;
  return std::string(text, static_cast<size_t>(length));
}

}  // namespace

void PropertyList::Free::operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }

std::optional<PropertyList> PropertyList::parse(std::string_view bytes) {
  // Shorter than a binary property list's header: nothing libplist should be asked about.
  if (bytes.size() < 8 || bytes.size() > kLargest) return std::nullopt;
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  if (!root) return std::nullopt;
  PropertyList list(root);
  if (plist_get_node_type(root) != PLIST_DICT) return std::nullopt;
  return list;
}

std::optional<PropertyList> PropertyList::readFile(const std::string& path) {
  auto bytes = readWholeFile(path, FileLinks::follow, kLargest);
  if (!bytes) return std::nullopt;
  return parse(*bytes);
}

std::optional<std::string> PropertyList::string(const char* key) const {
  return stringValue(plist_dict_get_item(root_.get(), key));
}

std::optional<bool> PropertyList::boolean(const char* key) const {
  plist_t node = plist_dict_get_item(root_.get(), key);
  if (!node || plist_get_node_type(node) != PLIST_BOOLEAN) return std::nullopt;
  uint8_t value = 0;
  plist_get_bool_val(node, &value);
  return value != 0;
}

bool PropertyList::hasDictionary(const char* key) const {
  plist_t node = plist_dict_get_item(root_.get(), key);
  return node && plist_get_node_type(node) == PLIST_DICT;
}

std::optional<std::vector<std::string>> PropertyList::strings(const char* key) const {
  plist_t node = plist_dict_get_item(root_.get(), key);
  if (!node || plist_get_node_type(node) != PLIST_ARRAY) return std::nullopt;
  std::vector<std::string> values;
  const uint32_t count = plist_array_get_size(node);
  for (uint32_t i = 0; i < count; ++i) {
    auto value = stringValue(plist_array_get_item(node, i));
    if (!value) return std::nullopt;
    values.push_back(std::move(*value));
  }
  return values;
}

}  // namespace tolvex
