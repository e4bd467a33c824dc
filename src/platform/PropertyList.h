#pragma once
// Property lists (XML or binary) read through libplist, for the few typed values callers look up.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvex {

// A parsed property list whose root is a dictionary. Move-only; frees the parsed tree when it goes.
class PropertyList {
 public:
  // Property lists we read are small; anything larger than this is not parsed.
  static constexpr size_t kLargest = 8 << 20;

  // None when the bytes are not a property list, are larger than `kLargest`, or the root is not a
  // dictionary.
  static std::optional<PropertyList> parse(std::string_view bytes);
  // The same for the regular file at `path` (a link is followed; a FIFO or a folder is refused
  // without waiting). None when it cannot be read.
  static std::optional<PropertyList> readFile(const std::string& path);

  // The value of a key of the root dictionary, when present with that type.
  std::optional<std::string> string(const char* key) const;
  std::optional<bool> boolean(const char* key) const;
  bool hasDictionary(const char* key) const;
  // An array whose every element is a string; none when any element is not.
  std::optional<std::vector<std::string>> strings(const char* key) const;

 private:
  struct Free {
    void operator()(void* node) const;
  };
  explicit PropertyList(void* root) : root_(root) {}
  std::unique_ptr<void, Free> root_;
};

}  // namespace tolvex
