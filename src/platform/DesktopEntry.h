#pragma once
// Desktop entry files (".desktop"), the freedesktop.org key file format that describes applications:
// groups of keys, localised keys ("Name[de]"), ";" lists with "\;" escapes and the quoted command line
// of "Exec" with its field codes. Our own reader: small, strict where the format is, and safe on any
// bytes (files in the data folders are written by any package and by the user).
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvex {

struct DesktopEntryRead;

class DesktopEntry {
 public:
  static constexpr std::string_view kMainGroup = "Desktop Entry";
  // Real entries are a few kilobytes even with every translation; anything past this is not one.
  static constexpr size_t kMaximumSize = 1 << 20;

  // Parses the bytes of an entry. Refused: bytes that are not UTF-8, a NUL byte, more than
  // kMaximumSize bytes, a line that is neither a group, a key nor a comment, a key before the first
  // group, and a file without a [Desktop Entry] group. Never throws.
  static DesktopEntryRead parse(std::string_view bytes);

  bool hasGroup(std::string_view group) const { return groups_.find(group) != groups_.end(); }
  // The value as written (escapes kept), for a key with its locale part ("Name[de]").
  const std::string* raw(std::string_view key, std::string_view group = kMainGroup) const;
  // A string value with its escapes (\s \n \t \r \\) resolved (`unescapeDesktopString`).
  std::optional<std::string> string(std::string_view key, std::string_view group = kMainGroup) const;
  // A localised value: the first of "key[candidate]" for `localeCandidates` in order, else "key".
  std::optional<std::string> localeString(std::string_view key, const std::vector<std::string>& localeCandidates,
                                          std::string_view group = kMainGroup) const;
  // A ";" list, "\;" standing for a ";" in an element. Empty when the key is absent.
  std::vector<std::string> list(std::string_view key, std::string_view group = kMainGroup) const;
  // True only for the value "true" (the format's only true value); absent or anything else is false.
  bool boolean(std::string_view key, std::string_view group = kMainGroup) const;
  // Whether any key of the group begins with `prefix` ("X-AppImage-").
  bool hasKeyWithPrefix(std::string_view prefix, std::string_view group = kMainGroup) const;

 private:
  using Keys = std::map<std::string, std::string, std::less<>>;
  std::map<std::string, Keys, std::less<>> groups_;
};

// What reading one desktop entry gave: the entry, or the reason it was refused.
struct DesktopEntryRead {
  std::optional<DesktopEntry> entry;
  std::string reason;  // empty when `entry` is present
};

// Reads and parses the file at `path`, following links. A loop of links, a file that is not a regular
// file, an unreadable or oversized file and every refusal of `parse` give the reason in words.
DesktopEntryRead readDesktopEntry(const std::string& path);

// The locale suffixes a localised key is looked up with, best first, for a locale name such as
// "sr_RS.UTF-8@latin": "sr_RS@latin", "sr_RS", "sr@latin", "sr". "C" and "POSIX" give none.
std::vector<std::string> localeCandidates(std::string_view locale);

// The elements of a ";" list as written (a final ";" ends the list; "\;" is a ";" inside an element),
// each with its string escapes resolved.
std::vector<std::string> splitDesktopList(std::string_view raw);

// The arguments of an Exec value (its string escapes already resolved): split at spaces, double
// quotes grouping (with \" \` \$ \\ inside them), field codes (%f %F %u %U %i %c %k and the old %d %D
// %n %N %v %m) removed, "%%" a "%". None for an unclosed quote or an empty command.
std::optional<std::vector<std::string>> execArguments(std::string_view exec);

// The program an Exec runs: its first argument, after an "env" and its NAME=value assignments.
std::optional<std::string> execProgram(const std::vector<std::string>& arguments);

}  // namespace tolvex
