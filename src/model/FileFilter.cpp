#include "model/FileFilter.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <string>

#include "model/DisplayPath.h"

namespace tolvex {

namespace {

// A Unicode-aware lower-casing locale, made once.
locale_t utf8Locale() {
  static const locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!l) l = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    return l;
  }();
  return loc;
}

// Decodes one UTF-8 sequence at `i`; an invalid byte decodes as itself, moved above the Unicode
// range so that it never equals a real character.
char32_t decode(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  auto continuation = [&](size_t k) { return k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80; };
  auto invalid = [&] {
    ++i;
    return static_cast<char32_t>(0x110000 + b0);
  };
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int length = b0 >= 0xF0 && b0 < 0xF5 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 && b0 < 0xE0 ? 2 : 0;
  if (length == 0) return invalid();
  for (int k = 1; k < length; ++k)
    if (!continuation(i + k)) return invalid();
  char32_t c = b0 & (0x7F >> length);
  for (int k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c < 0xE000))
    return invalid();
  i += static_cast<size_t>(length);
  return c;
}

std::u32string folded(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  locale_t loc = utf8Locale();
  for (size_t i = 0; i < s.size();) {
    char32_t c = decode(s, i);
    if (c < 0x80)
      out += (c >= 'A' && c <= 'Z') ? c + 32 : c;
    else if (c < 0x110000 && loc)
      out += static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc));
    else
      out += c;
  }
  return out;
}

bool isAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

bool containsIgnoringCase(std::string_view text, std::string_view query) {
  if (query.empty()) return true;
  if (isAscii(text) && isAscii(query)) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (query.size() > text.size()) return false;
    for (size_t start = 0; start + query.size() <= text.size(); ++start) {
      size_t k = 0;
      while (k < query.size() && lower(text[start + k]) == lower(query[k])) ++k;
      if (k == query.size()) return true;
    }
    return false;
  }
  return folded(text).find(folded(query)) != std::u32string::npos;
}

std::u32string lowercasedForComparison(std::string_view text) { return folded(text); }

bool FileFilter::matches(const FileNode& node, double now) const {
  return matches(node, now, [&] { return node.path(); });
}

bool FileFilter::needsPath() const { return pathPrefix.has_value() || query.find('/') != std::string::npos; }

bool FileFilter::matchesWithoutPath(const FileNode& node, double now) const {
  if (get(node.size) < minSize) return false;
  if (!kinds.empty() && !kinds.contains(node.kind)) return false;
  if (bucket && get(node.bucket) != *bucket) return false;
  if (modifiedOlderThanDays && get(node.modified) > now - static_cast<double>(*modifiedOlderThanDays) * 86400.0)
    return false;
  // A query without "/" is looked for in the name; one with "/" in the path.
  return query.empty() || query.find('/') != std::string::npos || containsIgnoringCase(node.name, query);
}

bool FileFilter::matchesPath(std::string_view fullPath) const {
  const std::string_view folded = foldedPathView(fullPath);
  if (query.find('/') != std::string::npos && !containsIgnoringCase(folded, query)) return false;
  return !pathPrefix || folded.starts_with(*pathPrefix);
}

}  // namespace tolvex
