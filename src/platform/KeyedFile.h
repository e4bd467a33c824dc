#pragma once
// Files of "[Group]" headers and "Key=Value" lines: desktop entries (XDG autostart) and systemd unit
// files. Only what the launch-item reader needs: groups, keys with their raw values in file order,
// and the splitting of a command line into its words.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvex {

class KeyedFile {
 public:
  // Parses `text`. Blank lines and lines starting with "#" or ";" are comments; spaces around the key
  // and before the value are dropped. A line that is neither a group header nor "Key=Value", or a key
  // before the first group, makes the whole file unreadable: none.
  static std::optional<KeyedFile> parse(std::string_view text);
  // The file at `path` (a regular file of at most 1 MiB, links followed); none when unreadable.
  static std::optional<KeyedFile> read(const std::string& path);

  bool hasGroup(std::string_view group) const;
  // The last value given to `key` in `group` (the later line wins, as in both formats' readers).
  std::optional<std::string> value(std::string_view group, std::string_view key) const;
  // Every value given to `key` in `group`, in file order.
  std::vector<std::string> values(std::string_view group, std::string_view key) const;
  // `value` read as a desktop-entry or systemd boolean: "true"/"false" (also "yes"/"no", "1"/"0",
  // "on"/"off"); none for anything else.
  std::optional<bool> boolean(std::string_view group, std::string_view key) const;

 private:
  struct Line {
    std::string group, key, value;
  };
  std::vector<std::string> groups_;
  std::vector<Line> lines_;
};

// The words of a command line: runs of characters split on spaces and tabs; double or single quotes
// group a word and are removed; a backslash keeps the next character (inside double quotes only
// before "\"", "`", "$" and "\\"). None for an unclosed quote.
std::optional<std::vector<std::string>> splitCommandLine(std::string_view line);

// A desktop entry's string value with its escapes ("\s", "\n", "\t", "\r", "\\") turned into the
// characters they stand for; any other backslash stays.
std::string unescapeDesktopString(std::string_view value);

}  // namespace tolvex
