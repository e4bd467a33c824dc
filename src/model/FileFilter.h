#pragma once
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "model/FileKind.h"
#include "model/FileNode.h"
#include "model/StorageBucket.h"

namespace tolvex {

// The conditions the list of large and old files applies to file nodes.
struct FileFilter {
  std::string query;                             // "" = no text condition
  std::set<FileKind> kinds;                      // empty = every kind
  std::optional<StorageBucket> bucket;           // none = every category
  int64_t minSize = 0;                           // 0 = no limit
  std::optional<int64_t> modifiedOlderThanDays;  // none = no age condition
  std::optional<std::string> pathPrefix;         // folded-path prefix; none = anywhere
  bool hideProtected = false;                    // applied by the list, not by `matches`

  bool operator==(const FileFilter&) const = default;

  // `now` is seconds since 1970, taken once for a whole list.
  bool matches(const FileNode& node, double now) const;
  // The same with the node's full path given by `fullPath()` (a text or a view of one), called only
  // when a condition needs the path: a caller walking many files of the same folders can make it
  // cheaply.
  template <typename FullPath>
  bool matches(const FileNode& node, double now, FullPath&& fullPath) const {
    if (!matchesWithoutPath(node, now)) return false;
    return !needsPath() || matchesPath(fullPath());
  }
  // A query with "/" or a folder prefix: conditions on the path.
  bool needsPath() const;

 private:
  bool matchesWithoutPath(const FileNode& node, double now) const;
  bool matchesPath(std::string_view fullPath) const;
};

// Case-insensitive containment: ASCII and, for non-ASCII UTF-8 text, Unicode simple case folding.
// Bytes that are not valid UTF-8 only match themselves.
bool containsIgnoringCase(std::string_view text, std::string_view query);

// The text lower-cased the same way, as code points for ordering: comparing two results orders the
// texts by their lower-cased characters.
std::u32string lowercasedForComparison(std::string_view text);

}  // namespace tolvex
