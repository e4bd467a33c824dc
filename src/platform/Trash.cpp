#include "platform/Trash.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Fd.h"
#include "platform/FolderHandle.h"
#include "platform/HomeFolder.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {

bool isDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string realFolder(const std::string& path) {
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) return {};
  return resolved;
}

// Which mount (or, where the system does not tell mounts apart, which device) a file lies on. Two
// places share a Trash only when they are on the same mount: a rename never crosses mounts, not even
// two mounts of one file system (a bind mount).
struct MountOf {
  dev_t device = 0;
  std::optional<uint64_t> mount;

  bool operator==(const MountOf& other) const {
    if (mount && other.mount) return *mount == *other.mount;
    return device == other.device;
  }
};

std::optional<MountOf> mountOf(int dirfd, const char* name) {
  struct stat st {};
  const int flags = AT_SYMLINK_NOFOLLOW | (name[0] == '\0' ? AT_EMPTY_PATH : 0);
  if (::fstatat(dirfd, name, &st, flags) != 0) return std::nullopt;
  return MountOf{st.st_dev, mountIdAt(dirfd, name)};
}

// The mount of `path`, or of its nearest existing ancestor (links followed: the home Trash is
// wherever the user's data folder leads).
std::optional<MountOf> mountOfNearest(std::string path) {
  for (;;) {
    Fd fd(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (fd) return mountOf(fd.get(), "");
    if (path == "/" || path.empty() || path == ".") return std::nullopt;
    path = parentPath(path);
  }
}

// Opens (creating when missing, mode 0700) the folder `name` inside `dirfd`, never through a link.
// With `mustOwn`, a folder that belongs to someone else is refused.
Fd openTrashSubfolder(int dirfd, const char* name, bool mustOwn, int& error) {
  if (::mkdirat(dirfd, name, 0700) != 0 && errno != EEXIST) {
    error = errno;
    return Fd();
  }
  Fd fd(::openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd) {
    error = errno == ELOOP ? ENOTDIR : errno;  // a link where a folder should be
    return Fd();
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    error = errno;
    return Fd();
  }
  if (mustOwn && (st.st_uid != ::getuid() || (st.st_mode & 0022) != 0)) {
    error = EACCES;
    return Fd();
  }
  return fd;
}

// A Trash chosen for one item: its folder, open files/ and info/ folders, and how Path= is written.
struct ChosenTrash {
  std::string folder;  // where it really is (no links)
  Fd files;
  Fd info;
  std::string pathValue;  // the Path= value before encoding
};

int chooseHomeTrash(const std::string& realPath, ChosenTrash& out) {
  const std::string trash = homeTrashFolder();
  if (!makeFolders(trash + "/files") || !makeFolders(trash + "/info")) {
    // "No such file" would read as if the item had gone: the Trash could not be made.
    const int error = errno;
    return error == 0 || error == ENOENT ? EACCES : error;
  }
  Fd trashFd(::open(trash.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!trashFd) return errno;
  auto folder = descriptorPath(trashFd.get());
  if (!folder) return ENOENT;
  int error = 0;
  out.files = openTrashSubfolder(trashFd.get(), "files", false, error);
  if (!out.files) return error;
  out.info = openTrashSubfolder(trashFd.get(), "info", false, error);
  if (!out.info) return error;
  out.folder = *folder;
  out.pathValue = realPath;
  return 0;
}

// The top folder of the mount that holds the folder `parent` (on `mount`), found by going up
// through ".." until the next step would leave the mount.
Fd mountTopAt(int parent, const MountOf& mount) {
  Fd dir(::openat(parent, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
  while (dir) {
    struct stat self {
    }, up{};
    if (::fstat(dir.get(), &self) != 0 || ::fstatat(dir.get(), "..", &up, 0) != 0) return Fd();
    if (self.st_dev == up.st_dev && self.st_ino == up.st_ino) break;  // the root folder
    auto upMount = mountOf(dir.get(), "..");
    if (!upMount || !(*upMount == mount)) break;
    dir = Fd(::openat(dir.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
  }
  return dir;
}

int chooseTopdirTrash(int parent, const std::string& realPath, const MountOf& mount, ChosenTrash& out) {
  auto parentMount = mountOf(parent, "");
  if (!parentMount || !(*parentMount == mount)) return EXDEV;  // the item is a mount point
  Fd top = mountTopAt(parent, mount);
  if (!top) return errno ? errno : ENOENT;
  const auto topdir = descriptorPath(top.get());
  if (!topdir || !isInside(realPath, *topdir)) return EXDEV;
  const std::string uid = std::to_string(::getuid());
  int error = 0;
  Fd trash;
  std::string folder;
  // An administrator-made $topdir/.Trash (a real folder with the sticky bit) holds one folder per user.
  struct stat shared {};
  if (::fstatat(top.get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(shared.st_mode) &&
      (shared.st_mode & S_ISVTX)) {
    Fd sharedFd(::openat(top.get(), ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (sharedFd) {
      trash = openTrashSubfolder(sharedFd.get(), uid.c_str(), true, error);
      folder = appendPath(appendPath(*topdir, ".Trash"), uid);
    }
  }
  if (!trash) {
    error = 0;
    const std::string name = ".Trash-" + uid;
    trash = openTrashSubfolder(top.get(), name.c_str(), true, error);
    if (!trash) return error;
    folder = appendPath(*topdir, name);
  }
  out.files = openTrashSubfolder(trash.get(), "files", true, error);
  if (!out.files) return error;
  out.info = openTrashSubfolder(trash.get(), "info", true, error);
  if (!out.info) return error;
  out.folder = folder;
  // Relative to the top folder, so the item can be put back wherever the file system is mounted.
  out.pathValue = *topdir == "/" ? realPath.substr(1) : realPath.substr(topdir->size() + 1);
  return 0;
}

// Candidate names in the Trash: NAME, then STEM.2.EXT, STEM.3.EXT …, then random suffixes.
class NameSequence {
 public:
  explicit NameSequence(const std::string& name) {
    // files/NAME and info/NAME.trashinfo must both fit in NAME_MAX with room for a suffix.
    constexpr size_t kLimit = NAME_MAX - 10 /* ".trashinfo" */ - 10 /* ".xxxxxxxx" */;
    auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || name.size() - dot > 16) dot = name.size();
    stem_ = name.substr(0, dot);
    extension_ = name.substr(dot);
    if (stem_.size() + extension_.size() > kLimit) {
      size_t keep = kLimit > extension_.size() ? kLimit - extension_.size() : 0;
      // Cut at the start of a UTF-8 sequence, so a name that was text stays text.
      while (keep > 0 && (static_cast<unsigned char>(stem_[keep]) & 0xC0) == 0x80) --keep;
      stem_.resize(keep);
      if (stem_.empty()) stem_ = "item";
    }
  }

  std::optional<std::string> next() {
    ++attempt_;
    if (attempt_ == 1) return stem_ + extension_;
    if (attempt_ <= 100) return stem_ + "." + std::to_string(attempt_) + extension_;
    if (attempt_ <= 200) {
      static constexpr char digits[] = "0123456789abcdef";
      thread_local std::mt19937 engine{std::random_device{}()};
      std::string suffix = ".";
      for (int i = 0; i < 8; ++i) suffix += digits[engine() % 16];
      return stem_ + suffix + extension_;
    }
    return std::nullopt;
  }

 private:
  std::string stem_;
  std::string extension_;
  int attempt_ = 0;
};

// Creates info/NAME holding `info`, never replacing a file there, and syncs it. 0, EEXIST when the
// name is taken, or the errno of the failure (a half-written file is removed).
int createInfoFile(int infoDir, const std::string& infoName, const std::string& info) {
  Fd fd(::openat(infoDir, infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) return errno;
  int error = writeAll(fd.get(), info);
  if (!error && ::fsync(fd.get()) != 0) error = errno;
  fd.reset();
  if (error) ::unlinkat(infoDir, infoName.c_str(), 0);
  return error;
}

struct DateFields {
  int year, month, day, hour, minute, second;
};

std::optional<DateFields> parseDateText(std::string_view text) {
  // Exactly "YYYY-MM-DDThh:mm:ss".
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':')
    return std::nullopt;
  auto number = [&](size_t at, size_t length) -> int {
    int value = 0;
    for (size_t i = at; i < at + length; ++i) {
      if (text[i] < '0' || text[i] > '9') return -1;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  DateFields f{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
  if (f.year < 0 || f.month < 1 || f.month > 12 || f.day < 1 || f.day > 31 || f.hour < 0 || f.hour > 23 ||
      f.minute < 0 || f.minute > 59 || f.second < 0 || f.second > 60)
    return std::nullopt;
  return f;
}

}  // namespace

std::string homeTrashFolder() { return appendPath(xdgDataHome(), "Trash"); }

std::string resolvedHomeTrashFolder() { return resolvedFolder(homeTrashFolder()); }

std::string trashFilesFolder() { return homeTrashFolder() + "/files"; }

std::string percentEncodePath(std::string_view bytes) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
        c == '.' || c == '~' || c == '/') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 0xF];
    }
  }
  return out;
}

std::optional<std::string> percentDecodePath(std::string_view text) {
  auto hexValue = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      if (text[i] == '\0') return std::nullopt;
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

std::string trashDeletionDateText(double secondsSince1970) {
  time_t t = static_cast<time_t>(std::floor(secondsSince1970));
  struct tm local {};
  localtime_r(&t, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &local);
  return buffer;
}

std::optional<TrashInfo> parseTrashInfo(std::string_view text, std::string_view topdir) {
  bool inGroup = false, sawGroup = false;
  std::optional<std::string> pathValue;
  std::string date;
  bool sawDate = false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inGroup = line == "[Trash Info]";
      sawGroup = sawGroup || inGroup;
      continue;
    }
    if (!inGroup) continue;
    auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = line.substr(0, equals), value = line.substr(equals + 1);
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    if (key == "Path" && !pathValue) {
      auto decoded = percentDecodePath(value);
      if (!decoded || decoded->empty()) return std::nullopt;
      pathValue = std::move(*decoded);
    } else if (key == "DeletionDate" && !sawDate) {
      date = std::string(value);
      sawDate = true;
    }
    if (end == text.size()) break;
  }
  if (!sawGroup || !pathValue) return std::nullopt;
  std::string path = pathValue->front() == '/' ? *pathValue : appendPath(topdir, *pathValue);
  for (auto component : pathComponents(path))
    if (component == "..") return std::nullopt;
  return TrashInfo{std::move(path), std::move(date)};
}

bool deletionDateMatches(std::string_view deletionDate, double secondsSince1970, double tolerance) {
  auto fields = parseDateText(deletionDate);
  if (!fields) return false;
  for (int isdst : {-1, 0, 1}) {
    struct tm local {};
    local.tm_year = fields->year - 1900;
    local.tm_mon = fields->month - 1;
    local.tm_mday = fields->day;
    local.tm_hour = fields->hour;
    local.tm_min = fields->minute;
    local.tm_sec = fields->second;
    local.tm_isdst = isdst;
    time_t t = mktime(&local);
    if (t == static_cast<time_t>(-1)) continue;
    // Only a reading that names this very wall-clock time counts (a wrong DST guess shifts it).
    if (local.tm_year != fields->year - 1900 || local.tm_mon != fields->month - 1 || local.tm_mday != fields->day ||
        local.tm_hour != fields->hour || local.tm_min != fields->minute)
      continue;
    if (std::fabs(static_cast<double>(t) - secondsSince1970) <= tolerance) return true;
  }
  return false;
}

std::optional<TrashInfoLocation> trashInfoLocation(const std::string& trashedItemPath) {
  const std::string name = lastPathComponent(trashedItemPath);
  if (name.empty() || name == "/" || name == "." || name == "..") return std::nullopt;
  const std::string files = parentPath(trashedItemPath);
  if (lastPathComponent(files) != "files") return std::nullopt;
  const std::string trash = parentPath(files);
  const std::string trashName = lastPathComponent(trash);
  std::string topdir;
  const std::string home = homeTrashFolder();
  if (trash == home || (!realFolder(trash).empty() && realFolder(trash) == realFolder(home))) {
    topdir = parentPath(trash);
  } else if (trashName.starts_with(".Trash-") && isDigits(std::string_view(trashName).substr(7))) {
    topdir = parentPath(trash);
  } else if (isDigits(trashName) && lastPathComponent(parentPath(trash)) == ".Trash") {
    topdir = parentPath(parentPath(trash));
  } else {
    return std::nullopt;
  }
  return TrashInfoLocation{trash + "/info/" + name + ".trashinfo", topdir};
}

std::optional<TrashInfo> readTrashInfo(const std::string& trashedItemPath) {
  auto location = trashInfoLocation(trashedItemPath);
  if (!location) return std::nullopt;
  auto text = readWholeFile(location->infoPath, FileLinks::refuse, 1 << 20);
  if (!text) return std::nullopt;
  return parseTrashInfo(*text, location->topdir);
}

namespace {

// One component naming an entry of a folder.
bool isPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

// Writes the item's .trashinfo into `trash` and moves the item into its files/ folder under the first
// free name.
TrashMove trashInto(const ChosenTrash& trash, int parent, const std::string& name, double deletionDate) {
  const std::string info = "[Trash Info]\nPath=" + percentEncodePath(trash.pathValue) +
                           "\nDeletionDate=" + trashDeletionDateText(deletionDate) + "\n";
  NameSequence names(name);
  while (auto candidate = names.next()) {
    const std::string infoName = *candidate + ".trashinfo";
    int error = createInfoFile(trash.info.get(), infoName, info);
    if (error == EEXIST) continue;
    if (error) return {error, {}};
    error = renameNoReplace(parent, name.c_str(), trash.files.get(), candidate->c_str());
    if (error == 0) return {0, trash.folder + "/files/" + *candidate};
    ::unlinkat(trash.info.get(), infoName.c_str(), 0);
    if (error != EEXIST) return {error, {}};
    // An item without its info file holds this name: try the next one.
  }
  return {EEXIST, {}};
}

// Removes the .trashinfo that goes with an item of a Trash's files/ folder (nothing for other items).
void removeTrashInfoOf(const std::string& trashedItemPath) {
  auto location = trashInfoLocation(trashedItemPath);
  if (!location) return;
  FolderOpen info = openFolderWithoutLinks(parentPath(location->infoPath));
  if (!info.error) ::unlinkat(info.fd.get(), lastPathComponent(location->infoPath).c_str(), 0);
}

// Splits an absolute path into its folder, opened without following any link, and its last name.
// A trailing "/" is dropped: the item named is a link itself, never what it points to.
int openParentOf(const std::string& givenPath, FolderOpen& parent, std::string& name) {
  std::string path = givenPath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path.front() != '/') return EINVAL;
  name = lastPathComponent(path);
  if (!isPlainName(name)) return EINVAL;
  parent = openFolderWithoutLinks(parentPath(path));
  return parent.error;
}

}  // namespace

TrashMove moveToTrash(const std::string& path) { return moveToTrash(path, static_cast<double>(::time(nullptr))); }

TrashMove moveToTrash(const std::string& path, double deletionDate) {
  FolderOpen parent;
  std::string name;
  if (int error = openParentOf(path, parent, name)) return {error, {}};
  return moveToTrashAt(parent.fd.get(), name, deletionDate);
}

TrashMove moveToTrashAt(int parent, const std::string& name, double deletionDate) {
  if (!isPlainName(name)) return {EINVAL, {}};
  const auto item = mountOf(parent, name.c_str());
  if (!item) return {errno, {}};
  const auto realParent = descriptorPath(parent);
  if (!realParent) return {ENOENT, {}};
  const std::string realPath = appendPath(*realParent, name);

  const auto home = mountOfNearest(homeTrashFolder() + "/files");
  if (home && *home == *item) {
    ChosenTrash trash;
    if (int error = chooseHomeTrash(realPath, trash)) return {error, {}};
    TrashMove moved = trashInto(trash, parent, name, deletionDate);
    // Where mounts cannot be told apart, a bind mount of the home's file system looks like the home
    // Trash's own mount until the rename refuses: then the item's own mount has the Trash to use.
    if (moved.error != EXDEV) return moved;
  }
  ChosenTrash trash;
  if (int error = chooseTopdirTrash(parent, realPath, *item, trash)) return {error, {}};
  return trashInto(trash, parent, name, deletionDate);
}

int restoreFromTrash(const std::string& trashedItemPath, const std::string& originalPath) {
  const std::string name = lastPathComponent(trashedItemPath);
  const std::string originalName = lastPathComponent(originalPath);
  if (!isPlainName(name) || !isPlainName(originalName) || originalPath.front() != '/') return EINVAL;
  FolderOpen files = openFolderWithoutLinks(parentPath(trashedItemPath));
  if (files.error) return files.error;
  const std::string originalFolder = parentPath(originalPath);
  FolderOpen target = makeFoldersWithoutLinks(originalFolder);
  if (target.error) return target.error;
  // The folder opened must really be the recorded one, not a place that now goes by its name.
  if (descriptorPath(target.fd.get()) != originalFolder) return ELOOP;
  if (int error = renameNoReplace(files.fd.get(), name.c_str(), target.fd.get(), originalName.c_str())) return error;
  removeTrashInfoOf(trashedItemPath);
  return 0;
}

namespace {

struct Entry {
  std::string name;
  unsigned char type;
};

// One folder on the way down while a tree is emptied: the entries it had, and how to recognise it
// when coming back up to it.
struct Level {
  std::string name;  // its name in the folder above
  dev_t device = 0;
  ino_t inode = 0;
  std::vector<Entry> entries;
  size_t next = 0;
};

int readEntries(int fd, std::vector<Entry>& entries) {
  int copy = ::dup(fd);
  if (copy < 0) return errno;
  DIR* dir = ::fdopendir(copy);
  if (!dir) {
    int error = errno;
    ::close(copy);
    return error;
  }
  int error = 0;
  for (;;) {
    errno = 0;
    dirent* entry = ::readdir(dir);
    if (!entry) {
      error = errno;
      break;
    }
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back({std::string(name), entry->d_type});
  }
  ::closedir(dir);
  return error;
}

// Empties the folder open at `folder` (on `device`), depth first, without following links or leaving
// the device. Only the folder being emptied is open: going back up opens its ".." and checks that it
// is still the folder the walk came down from. So a tree of any depth needs two descriptors, and a
// folder moved elsewhere during the removal stops the walk instead of leading it outside the tree.
int emptyFolder(Fd folder, dev_t device) {
  int firstError = 0;
  auto note = [&](int error) {
    if (error && !firstError) firstError = error;
  };
  std::vector<Level> levels;
  Fd current = std::move(folder);
  auto enter = [&](std::string name) {
    struct stat st {};
    if (::fstat(current.get(), &st) != 0) return errno;
    levels.push_back(Level{std::move(name), st.st_dev, st.st_ino, {}, 0});
    note(readEntries(current.get(), levels.back().entries));
    return 0;
  };
  if (int error = enter({})) return error;
  for (;;) {
    if (levels.back().next == levels.back().entries.size()) {
      if (levels.size() == 1) break;
      const Level& below = levels[levels.size() - 2];
      Fd up(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      struct stat st {};
      if (!up || ::fstat(up.get(), &st) != 0 || st.st_dev != below.device || st.st_ino != below.inode) {
        note(EBUSY);  // the tree moved under the removal: what is left stays
        return firstError;
      }
      const std::string name = std::move(levels.back().name);
      levels.pop_back();
      current = std::move(up);
      if (::unlinkat(current.get(), name.c_str(), AT_REMOVEDIR) != 0) note(errno);
      continue;
    }
    Level& top = levels.back();
    const Entry entry = top.entries[top.next++];
    unsigned char type = entry.type;
    if (type == DT_UNKNOWN) {
      struct stat st {};
      if (::fstatat(current.get(), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) note(errno);
        continue;
      }
      type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
    }
    if (type != DT_DIR) {
      if (::unlinkat(current.get(), entry.name.c_str(), 0) != 0 && errno != ENOENT) note(errno);
      continue;
    }
    Fd child(::openat(current.get(), entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!child) {
      if (errno == ELOOP || errno == ENOTDIR) {
        // No longer a folder (swapped for a link or a file): remove the entry itself.
        if (::unlinkat(current.get(), entry.name.c_str(), 0) != 0 && errno != ENOENT) note(errno);
      } else if (errno != ENOENT) {
        note(errno);
      }
      continue;
    }
    struct stat st {};
    if (::fstat(child.get(), &st) != 0) {
      note(errno);
      continue;
    }
    if (st.st_dev != device) {  // a mount point: never empty another file system
      note(EBUSY);
      continue;
    }
    current = std::move(child);
    if (int error = enter(entry.name)) return error;
  }
  return firstError;
}

}  // namespace

int removePermanently(const std::string& path) {
  FolderOpen parent;
  std::string name;
  if (int error = openParentOf(path, parent, name)) return error;
  return removePermanentlyAt(parent.fd.get(), name);
}

int removePermanentlyAt(int parent, const std::string& name) {
  if (!isPlainName(name)) return EINVAL;
  struct stat st {};
  if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  const auto realParent = descriptorPath(parent);
  int error = 0;
  if (!S_ISDIR(st.st_mode)) {
    if (::unlinkat(parent, name.c_str(), 0) != 0) error = errno;
  } else {
    struct stat parentStat {};
    if (::fstat(parent, &parentStat) != 0) return errno;
    if (parentStat.st_dev != st.st_dev) return EBUSY;  // a mount point
    Fd folder(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) {
      if (errno != ELOOP && errno != ENOTDIR) return errno;
      // Swapped for a link or a file since it was looked at: remove that entry, not what it names.
      if (::unlinkat(parent, name.c_str(), 0) != 0) return errno;
    } else {
      error = emptyFolder(std::move(folder), st.st_dev);
      if (::unlinkat(parent, name.c_str(), AT_REMOVEDIR) != 0 && !error) error = errno;
    }
  }
  if (error) return error;
  if (realParent) removeTrashInfoOf(appendPath(*realParent, name));
  return 0;
}

TrashReservation reserveHomeTrashName(const std::string& path, double deletionDate) {
  const std::string name = lastPathComponent(path);
  if (path.empty() || path.front() != '/' || name == "/" || name == "." || name == "..") return {EINVAL, {}, {}};
  ChosenTrash trash;
  if (int error = chooseHomeTrash(path, trash)) return {error, {}, {}};
  const std::string info =
      "[Trash Info]\nPath=" + percentEncodePath(path) + "\nDeletionDate=" + trashDeletionDateText(deletionDate) + "\n";
  NameSequence names(name);
  while (auto candidate = names.next()) {
    const std::string infoName = *candidate + ".trashinfo";
    int error = createInfoFile(trash.info.get(), infoName, info);
    if (error == EEXIST) continue;
    if (error) return {error, {}, {}};
    struct stat st {};
    error = ::fstatat(trash.files.get(), candidate->c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? EEXIST : errno;
    if (error == ENOENT) return {0, trash.folder + "/files/" + *candidate, trash.folder + "/info/" + infoName};
    ::unlinkat(trash.info.get(), infoName.c_str(), 0);
    if (error != EEXIST) return {error, {}, {}};
    // An item without its info file holds this name: try the next one.
  }
  return {EEXIST, {}, {}};
}

}  // namespace tolvex
