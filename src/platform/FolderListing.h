#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tolvex {

// The names in a folder, hidden ones included ("." and ".." left out), in byte order so that every
// listing of the same folder comes out the same. None when the folder cannot be listed.
std::optional<std::vector<std::string>> folderNames(const std::string& folder);

}  // namespace tolvex
