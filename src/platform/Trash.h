#pragma once
// The user's Trash, laid out the freedesktop.org way (shared with the desktop's file managers):
//   $XDG_DATA_HOME/Trash/{files,info}   for items on the file system of the home Trash,
//   $topdir/.Trash/$uid or $topdir/.Trash-$uid   for items on other mounted file systems.
// An item goes to files/NAME; info/NAME.trashinfo records where it came from and when. The info file
// is created first and exclusively, so two programs trashing at once never share a name.
// Paths are bytes throughout: names are never re-encoded, Path= is percent-encoded byte by byte.
#include <optional>
#include <string>
#include <string_view>

namespace tolvex {

// $XDG_DATA_HOME/Trash (not created).
std::string homeTrashFolder();

// The home Trash as a walk from a resolved root spells it: links resolved, no trailing "/". The
// scanner's category, the Trash junk rule and the safety verdicts all judge paths against this one.
std::string resolvedHomeTrashFolder();

// The Trash as the user sees it: the home Trash's files/ folder (not created).
std::string trashFilesFolder();

struct TrashMove {
  int error = 0;          // 0 on success, else the errno of the failure
  std::string trashPath;  // where the item now lies (files/NAME), on success
};

// Moves the item at `path` (a file, a folder or a symbolic link, never followed) to the Trash of its
// mount: the home Trash when the item is on the home Trash's mount (created when missing), else
// $topdir/.Trash/$uid or $topdir/.Trash-$uid of the item's own mount. Nothing is copied: an item whose
// mount has no usable Trash stays where it is and the error says why. The folder holding the item is
// opened without following any link on its path (ELOOP when a link is on the way).
[[nodiscard]] TrashMove moveToTrash(const std::string& path);

// Same, with the deletion date to record (seconds since 1970) given by the caller.
[[nodiscard]] TrashMove moveToTrash(const std::string& path, double deletionDate);

// Same for the entry `name` of the folder open at `parent`: what is moved is that very entry, wherever
// the folder is now. Path= records where the item really was (the folder's present location).
[[nodiscard]] TrashMove moveToTrashAt(int parent, const std::string& name, double deletionDate);

// Percent-encoding of the Path= key: every byte other than ASCII letters, digits, "-", "_", ".", "~"
// and "/" becomes "%XX" (upper-case hex). Decoding gives the exact bytes back; a "%" not followed by
// two hex digits, or an encoded NUL byte, makes it fail.
std::string percentEncodePath(std::string_view bytes);
std::optional<std::string> percentDecodePath(std::string_view text);

// "YYYY-MM-DDThh:mm:ss" of a moment (seconds since 1970) in local time.
std::string trashDeletionDateText(double secondsSince1970);

// The content of one .trashinfo file.
struct TrashInfo {
  std::string path;          // the original location as recorded (decoded, absolute)
  std::string deletionDate;  // the DeletionDate= text as recorded ("" when absent)
};

// Parses the text of a .trashinfo file. A relative Path= is taken relative to `topdir`. Gives none
// without the "[Trash Info]" group, without a Path= key, or with a malformed Path=.
std::optional<TrashInfo> parseTrashInfo(std::string_view text, std::string_view topdir);

// True when `deletionDate` ("YYYY-MM-DDThh:mm:ss", local time) names a moment within `tolerance`
// seconds of `secondsSince1970`. Either reading of a local time that occurs twice (the hour repeated
// when clocks go back) is accepted.
bool deletionDateMatches(std::string_view deletionDate, double secondsSince1970, double tolerance);

// For an item lying directly in a Trash's files/ folder: the path of its .trashinfo and the folder
// relative Path= values are resolved against. None for any other path.
struct TrashInfoLocation {
  std::string infoPath;
  std::string topdir;
};
std::optional<TrashInfoLocation> trashInfoLocation(const std::string& trashedItemPath);

// Reads and parses the .trashinfo of an item in a Trash. None when the item is not in a Trash's
// files/ folder or its info file is missing or unreadable.
std::optional<TrashInfo> readTrashInfo(const std::string& trashedItemPath);

// Puts an item of the Trash back at `originalPath`, never replacing anything there (EEXIST when
// something exists). The folders of both paths are opened without following links (ELOOP when a link
// is on the way); missing folders of `originalPath` are created, and the folder opened must really be
// the recorded one (ELOOP otherwise). The item's .trashinfo is removed afterwards. Returns 0 or the
// errno of the failure.
[[nodiscard]] int restoreFromTrash(const std::string& trashedItemPath, const std::string& originalPath);

// Removes the item at `path` for good: a file or a symbolic link (never followed) is unlinked; a folder
// is emptied depth-first through descriptors opened with O_NOFOLLOW, so a folder swapped for a link
// during the removal cannot lead outside the tree, and mount points inside it are not entered. Only
// two descriptors are open at any depth. When the item lies directly in a Trash's files/ folder, its
// .trashinfo goes with it. The folder holding the item is opened without following any link on its
// path. Returns 0 or the errno of the first failure (the removal goes on past failures and removes
// what it can).
[[nodiscard]] int removePermanently(const std::string& path);

// Same for the entry `name` of the folder open at `parent`.
[[nodiscard]] int removePermanentlyAt(int parent, const std::string& name);
// A name reserved in the home Trash for an item that another process (one with the rights to move
// it) is to put there: the .trashinfo is written exclusively first and nothing lies at `trashPath`.
// The caller moves the item to `trashPath` without replacing anything, and removes `infoPath` when the
// move did not happen.
struct TrashReservation {
  int error = 0;          // 0 on success, else the errno of the failure
  std::string trashPath;  // files/NAME
  std::string infoPath;   // info/NAME.trashinfo
};
TrashReservation reserveHomeTrashName(const std::string& path, double deletionDate);

}  // namespace tolvex
