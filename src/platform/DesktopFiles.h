#pragma once
// The desktop entries of a search path of data folders, as the desktop's menus see them: each file
// below a folder's "applications" gets a desktop-file ID (its path there with "/" as "-"), and of the
// files with one ID the first in search order wins, so a user's copy replaces the system's and a copy
// with Hidden=true removes the application for that user.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DesktopEntry.h"

namespace tolvex {

struct DesktopFile {
  std::string id;       // "org.gnome.Terminal.desktop"
  std::string path;     // the file that won
  std::string dataDir;  // the data folder it lies in ("/usr/share")
  DesktopEntry entry;
};

struct RefusedDesktopFile {
  std::string path;
  std::string reason;
};

struct DesktopFileIndex {
  // The winning copy of each ID, in search order; IDs whose winning copy is Hidden are left out.
  std::vector<DesktopFile> files;
  // Files that could not be read, with the reason; the next copy of their ID takes their place.
  std::vector<RefusedDesktopFile> refused;
  // Every file of every ID in search order, hidden, refused and shadowed copies included: an ID listed
  // here still has a file somewhere, whatever the menus show.
  std::map<std::string, std::vector<std::string>, std::less<>> copies;
};

// The ID of a file at `relativePath` below an "applications" folder: "kde/org.kde.foo.desktop" →
// "kde-org.kde.foo.desktop".
std::string desktopFileId(std::string_view relativePath);

// Reads `dataDirs`/applications, each with its subfolders (a folder reached twice, as through a loop
// of links, is read once; at most 8 levels). Folders that cannot be listed contribute nothing.
DesktopFileIndex readDesktopFiles(const std::vector<std::string>& dataDirs);

// The program a name stands for: an absolute path as it is, else the first executable regular file of
// that name in `searchPath`. None when there is none.
std::optional<std::string> findProgram(const std::string& program, const std::vector<std::string>& searchPath);

// Whether an application's entry belongs in the desktop's list: Type=Application, not NoDisplay, not
// Hidden, OnlyShowIn naming one of `currentDesktops` (when given), NotShowIn naming none, and a TryExec
// that `programExists` finds.
bool isShownApplication(const DesktopEntry& entry, const std::vector<std::string>& currentDesktops,
                        const std::function<bool(const std::string& program)>& programExists);

}  // namespace tolvex
