#pragma once
// Byte-string path helpers. Paths are bytes (never re-encoded) and absolute.
#include <string>
#include <string_view>
#include <vector>

namespace tolvex {

// True when `path` lies strictly inside `folder`: `path` begins with `folder` followed by "/".
// A folder that already ends in "/" (such as "/") is its own prefix.
bool isInside(std::string_view path, std::string_view folder);

// `path` equals `folder` or lies inside it.
bool isSameOrInside(std::string_view path, std::string_view folder);

// The last component of a path ("/a/b" -> "b", "/" -> "/").
std::string lastPathComponent(std::string_view path);

// The folder holding `path` ("/a/b" -> "/a", "/a" -> "/").
std::string parentPath(std::string_view path);

// `folder` + "/" + `name`, without doubling a trailing "/".
std::string appendPath(std::string_view folder, std::string_view name);

// `path` without its trailing "/"s; "/" (or "//") stays "/".
std::string withoutTrailingSlashes(std::string_view path);

// Components of a path split on "/", empty pieces dropped.
std::vector<std::string_view> pathComponents(std::string_view path);

// The extension of a path's last component: the text after its last ".", empty when the
// component has no dot, the dot is its first character, or the path ends in "/".
std::string pathExtension(std::string_view path);

// `text` with the ASCII letters A-Z made lower case and every other byte as it was (whatever the
// locale), for comparing extensions and paths against tables of our own.
std::string asciiLowercased(std::string text);

}  // namespace tolvex
