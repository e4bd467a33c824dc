#pragma once
// Opening folders for acting on what they hold without being led elsewhere by a symbolic link.
// Whatever deletes, trashes or restores opens the folder once this way, checks where the descriptor
// really is, and then acts only through *at() calls on it: a folder of the path swapped for a link
// afterwards changes nothing about where the act happens.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Fd.h"

namespace tolvex {

struct FolderOpen {
  Fd fd;          // an O_PATH descriptor of the folder, on success
  int error = 0;  // else: ELOOP when a symbolic link stands on the way, or the errno of the failure
};

// Opens the folder at the absolute `path`, taking each component on its own with O_NOFOLLOW, so no
// symbolic link anywhere on the path is followed. `chosenFolder`, when not empty, must be `path` or a
// folder holding it: its own path is resolved as usual, links included (someone chose that folder as
// it is), and only the part below it must be free of links. A "." or ".." component is refused.
[[nodiscard]] FolderOpen openFolderWithoutLinks(const std::string& path, std::string_view chosenFolder = {});

// The same, creating each missing folder on the way (mode 0777 less the umask).
[[nodiscard]] FolderOpen makeFoldersWithoutLinks(const std::string& path);

// Where the open file or folder `fd` is now, as the kernel tells it (/proc/self/fd); for a folder
// where /proc cannot tell, found by going up through "..". None when it cannot be told (a folder that
// has been removed, a file without /proc).
std::optional<std::string> descriptorPath(int fd);

// The path of the folder `fd`, found by going up through ".." and looking each folder up in the one
// above: what `descriptorPath` falls back on where /proc cannot tell (not mounted, or closed to a
// process that changed its user). Needs read access to every folder above.
std::optional<std::string> folderPathByGoingUp(int fd);

// The identifier of the mount that holds `name` in the folder `dirfd` (the link itself for a link;
// the folder itself for an empty name); none when the system does not report it.
std::optional<uint64_t> mountIdAt(int dirfd, const char* name);

// Renames `from` in `fromDir` to `to` in `toDir`, never replacing what is there (EEXIST). Where the
// file system cannot refuse to replace in one step, a file is linked and unlinked, and a folder is moved
// only when nothing is in the way. Returns 0 or the errno of the failure.
[[nodiscard]] int renameNoReplace(int fromDir, const char* from, int toDir, const char* to);

}  // namespace tolvex
