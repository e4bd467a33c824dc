#pragma once
#include <string>

namespace tolvex {

// The user's home folder: realpath($HOME), falling back to $HOME as given, without a trailing "/".
// Read afresh on every call so that tests can point HOME at a temporary folder.
std::string homeFolder();

// The application's data folder, $XDG_DATA_HOME/Tolvex (default ~/.local/share/Tolvex).
// Created with any missing parents when asked for; a failure to create it is ignored.
std::string appSupportFolder();

// $XDG_DATA_HOME, or ~/.local/share when unset or not absolute.
std::string xdgDataHome();

// $XDG_CONFIG_HOME, or ~/.config when unset or not absolute.
std::string xdgConfigHome();

// Our own cache folder, $XDG_CACHE_HOME/Tolvex (default ~/.cache/Tolvex). Not created.
std::string ownCacheFolder();

// `path` with the links among its existing folders resolved and no trailing "/", the way the home
// folder is, so that it compares equal to the paths a walk from a resolved root produces; a missing
// tail is kept as written.
std::string resolvedFolder(const std::string& path);

// Creates `path` and any missing parents (mode 0700 for new folders). True when it exists afterwards.
[[nodiscard]] bool makeFolders(const std::string& path);

}  // namespace tolvex
