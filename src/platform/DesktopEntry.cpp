#include "platform/DesktopEntry.h"

#include <cerrno>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/KeyedFile.h"  // unescapeDesktopString
#include "platform/Utf8.h"

namespace tolvex {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (isBlank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// "[Name]" with nothing but blanks after the bracket; the name holds no bracket.
std::optional<std::string_view> groupName(std::string_view line) {
  if (!line.starts_with('[')) return std::nullopt;
  const size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  const std::string_view name = line.substr(1, close - 1);
  if (name.empty() || name.find('[') != std::string_view::npos) return std::nullopt;
  if (!trimmed(line.substr(close + 1)).empty()) return std::nullopt;
  return name;
}

// A key is letters, digits and "-", with an optional "[locale]" at its end.
bool isKeyName(std::string_view key) {
  const size_t open = key.find('[');
  const std::string_view name = key.substr(0, open);
  if (name.empty()) return false;
  for (char c : name)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
  if (open == std::string_view::npos) return true;
  const std::string_view locale = key.substr(open + 1);
  if (locale.size() < 2 || !locale.ends_with(']')) return false;
  for (char c : locale.substr(0, locale.size() - 1))
    if (c == '[' || c == ']' || isBlank(c)) return false;
  return true;
}

std::string lineReason(size_t number) {
  return "Line " + std::to_string(number) + " is not a group, a key or a comment.";
}

bool isFieldCode(char c) { return std::strchr("fFuUickdDnNvm", c) != nullptr && c != '\0'; }

}  // namespace

DesktopEntryRead DesktopEntry::parse(std::string_view bytes) {
  DesktopEntryRead result;
  if (bytes.size() > kMaximumSize) {
    result.reason = "It is larger than 1 MB.";
    return result;
  }
  if (bytes.find('\0') != std::string_view::npos) {
    result.reason = "It holds a NUL byte.";
    return result;
  }
  if (!isValidUtf8(bytes)) {
    result.reason = "It holds bytes that are not UTF-8 text.";
    return result;
  }
  DesktopEntry entry;
  Keys* group = nullptr;
  size_t number = 0;
  for (size_t start = 0; start <= bytes.size();) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = trimmed(bytes.substr(start, end - start));
    start = end + 1;
    ++number;
    if (line.empty() || line.starts_with('#')) continue;
    if (line.starts_with('[')) {
      const auto name = groupName(line);
      if (!name) {
        result.reason = lineReason(number);
        return result;
      }
      group = &entry.groups_[std::string(*name)];  // a repeated group adds to the first
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || !isKeyName(trimmed(line.substr(0, equals)))) {
      result.reason = lineReason(number);
      return result;
    }
    if (!group) {
      result.reason = "Line " + std::to_string(number) + " comes before the first group.";
      return result;
    }
    (*group)[std::string(trimmed(line.substr(0, equals)))] = std::string(trimmed(line.substr(equals + 1)));
  }
  if (!entry.hasGroup(kMainGroup)) {
    result.reason = "It has no [Desktop Entry] group.";
    return result;
  }
  result.entry = std::move(entry);
  return result;
}

const std::string* DesktopEntry::raw(std::string_view key, std::string_view group) const {
  const auto found = groups_.find(group);
  if (found == groups_.end()) return nullptr;
  const auto value = found->second.find(key);
  return value == found->second.end() ? nullptr : &value->second;
}

std::optional<std::string> DesktopEntry::string(std::string_view key, std::string_view group) const {
  const std::string* value = raw(key, group);
  if (!value) return std::nullopt;
  return unescapeDesktopString(*value);
}

std::optional<std::string> DesktopEntry::localeString(std::string_view key,
                                                      const std::vector<std::string>& localeCandidates,
                                                      std::string_view group) const {
  for (const std::string& locale : localeCandidates) {
    std::string localised(key);
    localised += '[';
    localised += locale;
    localised += ']';
    if (auto value = string(localised, group)) return value;
  }
  return string(key, group);
}

std::vector<std::string> DesktopEntry::list(std::string_view key, std::string_view group) const {
  const std::string* value = raw(key, group);
  return value ? splitDesktopList(*value) : std::vector<std::string>{};
}

bool DesktopEntry::boolean(std::string_view key, std::string_view group) const {
  const std::string* value = raw(key, group);
  return value && *value == "true";
}

bool DesktopEntry::hasKeyWithPrefix(std::string_view prefix, std::string_view group) const {
  const auto found = groups_.find(group);
  if (found == groups_.end()) return false;
  const auto first = found->second.lower_bound(prefix);
  return first != found->second.end() && first->first.starts_with(prefix);
}

DesktopEntryRead readDesktopEntry(const std::string& path) {
  FileRead read = readRegularFile(path, FileLinks::follow, DesktopEntry::kMaximumSize);
  if (read.error == 0) return DesktopEntry::parse(read.bytes);
  DesktopEntryRead refused;
  switch (read.error) {
    case ELOOP: refused.reason = "Its links go round in a loop."; break;
    case EFBIG: refused.reason = "It is larger than 1 MB."; break;
    case EINVAL: refused.reason = "It is not a regular file."; break;
    default: refused.reason = std::string("It can't be read: ") + std::strerror(read.error) + "."; break;
  }
  return refused;
}

std::vector<std::string> localeCandidates(std::string_view locale) {
  if (locale.empty() || locale == "C" || locale == "POSIX") return {};
  std::string_view modifier;
  if (const size_t at = locale.find('@'); at != std::string_view::npos) {
    modifier = locale.substr(at);
    locale = locale.substr(0, at);
  }
  if (const size_t dot = locale.find('.'); dot != std::string_view::npos) locale = locale.substr(0, dot);
  std::string_view language = locale;
  std::string_view country;
  if (const size_t underscore = locale.find('_'); underscore != std::string_view::npos) {
    language = locale.substr(0, underscore);
    country = locale.substr(underscore);
  }
  if (language.empty()) return {};
  std::vector<std::string> candidates;
  const std::string lang(language);
  if (!country.empty() && !modifier.empty()) candidates.push_back(lang + std::string(country) + std::string(modifier));
  if (!country.empty()) candidates.push_back(lang + std::string(country));
  if (!modifier.empty()) candidates.push_back(lang + std::string(modifier));
  candidates.push_back(lang);
  return candidates;
}

std::vector<std::string> splitDesktopList(std::string_view raw) {
  std::vector<std::string> elements;
  std::string current;
  bool open = false;  // an element has begun since the last ";"
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\\' && i + 1 < raw.size()) {
      // "\;" is a ";" of the element; other escapes are resolved with the element below.
      if (raw[i + 1] == ';') {
        current += ';';
      } else {
        current += c;
        current += raw[i + 1];
      }
      ++i;
      open = true;
    } else if (c == ';') {
      elements.push_back(unescapeDesktopString(current));
      current.clear();
      open = false;
    } else {
      current += c;
      open = true;
    }
  }
  if (open) elements.push_back(unescapeDesktopString(current));
  return elements;
}

std::optional<std::vector<std::string>> execArguments(std::string_view exec) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;  // something other than a field code belongs to the current argument
  bool quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    const bool hasNext = i + 1 < exec.size();
    if (c == '%' && hasNext) {
      const char code = exec[++i];
      if (code == '%') {
        current += '%';
        inArgument = true;
      } else if (!isFieldCode(code)) {
        current += '%';
        current += code;
        inArgument = true;
      }
      continue;
    }
    if (quoted) {
      if (c == '\\' && hasNext && std::strchr("\"`$\\", exec[i + 1]) != nullptr) {
        current += exec[++i];
      } else if (c == '"') {
        quoted = false;
      } else {
        current += c;
      }
      continue;
    }
    if (isBlank(c) || c == '\n') {
      if (inArgument) arguments.push_back(std::move(current));
      current.clear();
      inArgument = false;
    } else if (c == '"') {
      quoted = true;
      inArgument = true;
    } else if (c == '\\' && hasNext) {
      current += exec[++i];
      inArgument = true;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (quoted) return std::nullopt;
  if (inArgument) arguments.push_back(std::move(current));
  if (arguments.empty() || arguments.front().empty()) return std::nullopt;
  return arguments;
}

std::optional<std::string> execProgram(const std::vector<std::string>& arguments) {
  size_t first = 0;
  if (!arguments.empty() && (arguments[0] == "env" || arguments[0] == "/usr/bin/env")) {
    first = 1;
    while (first < arguments.size() && arguments[first].find('=') != std::string::npos &&
           !arguments[first].starts_with('-'))
      ++first;
  }
  if (first >= arguments.size() || arguments[first].empty()) return std::nullopt;
  return arguments[first];
}

}  // namespace tolvex
