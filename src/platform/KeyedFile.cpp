#include "platform/KeyedFile.h"

#include <algorithm>

#include "platform/AtomicFile.h"

namespace tolvex {

namespace {

constexpr size_t kLargest = 1 << 20;  // a unit or an entry is a few hundred bytes

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::optional<KeyedFile> KeyedFile::parse(std::string_view text) {
  KeyedFile file;
  std::string group;
  bool inGroup = false;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::string_view line = trimmed(raw);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) return std::nullopt;
      group = std::string(line.substr(1, line.size() - 2));
      inGroup = true;
      if (std::find(file.groups_.begin(), file.groups_.end(), group) == file.groups_.end())
        file.groups_.push_back(group);
      continue;
    }
    const auto equals = line.find('=');
    if (!inGroup || equals == std::string_view::npos || equals == 0) return std::nullopt;
    const std::string_view key = trimmed(line.substr(0, equals));
    if (key.empty()) return std::nullopt;
    file.lines_.push_back({group, std::string(key), std::string(trimmed(line.substr(equals + 1)))});
  }
  return file;
}

std::optional<KeyedFile> KeyedFile::read(const std::string& path) {
  const auto bytes = readWholeFile(path, FileLinks::follow, kLargest);
  if (!bytes) return std::nullopt;
  return parse(*bytes);
}

bool KeyedFile::hasGroup(std::string_view group) const {
  return std::find(groups_.begin(), groups_.end(), group) != groups_.end();
}

std::optional<std::string> KeyedFile::value(std::string_view group, std::string_view key) const {
  for (auto it = lines_.rbegin(); it != lines_.rend(); ++it)
    if (it->group == group && it->key == key) return it->value;
  return std::nullopt;
}

std::vector<std::string> KeyedFile::values(std::string_view group, std::string_view key) const {
  std::vector<std::string> found;
  for (const Line& line : lines_)
    if (line.group == group && line.key == key) found.push_back(line.value);
  return found;
}

std::optional<bool> KeyedFile::boolean(std::string_view group, std::string_view key) const {
  const auto text = value(group, key);
  if (!text) return std::nullopt;
  for (const char* yes : {"true", "yes", "1", "on"})
    if (*text == yes) return true;
  for (const char* no : {"false", "no", "0", "off"})
    if (*text == no) return false;
  return std::nullopt;
}

std::optional<std::vector<std::string>> splitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote == '\'') {
      if (c == '\'')
        quote = 0;
      else
        word += c;
    } else if (quote == '"') {
      if (c == '"') {
        quote = 0;
      } else if (c == '\\' && i + 1 < line.size() &&
                 std::string_view("\"`$\\").find(line[i + 1]) != std::string_view::npos) {
        word += line[++i];
      } else {
        word += c;
      }
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      inWord = true;
      if (c == '"' || c == '\'')
        quote = c;
      else if (c == '\\' && i + 1 < line.size())
        word += line[++i];
      else
        word += c;
    }
  }
  if (quote) return std::nullopt;
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::string unescapeDesktopString(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (value[i + 1]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default: out += '\\'; continue;  // kept, and the next character read as it is
    }
    ++i;
  }
  return out;
}

}  // namespace tolvex
