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
#include "platform/HomeFolder.h"
#include "platform/Paths.h"

namespace tolvex {

namespace {

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

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

// The device of `path`, or of its nearest existing ancestor.
dev_t deviceOfNearest(std::string path) {
  struct stat st {};
  for (;;) {
    if (::stat(path.c_str(), &st) == 0) return st.st_dev;
    if (path == "/" || path.empty() || path == ".") return 0;
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
  std::string folder;
  Fd files;
  Fd info;
  std::string pathValue;  // the Path= value before encoding
};

int chooseHomeTrash(const std::string& path, ChosenTrash& out) {
  const std::string trash = homeTrashFolder();
  if (!makeFolders(trash + "/files") || !makeFolders(trash + "/info")) {
    // "No such file" would read as if the item had gone: the Trash could not be made.
    const int error = errno;
    return error == 0 || error == ENOENT ? EACCES : error;
  }
  out.files = Fd(::open((trash + "/files").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!out.files) return errno;
  out.info = Fd(::open((trash + "/info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!out.info) return errno;
  out.folder = trash;
  out.pathValue = path;
  return 0;
}

// The top folder of the mount that holds `realPath` (whose device is `device`).
std::string mountTop(const std::string& realPath, dev_t device) {
  std::string dir = parentPath(realPath);
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0 || st.st_dev != device) return {};  // the item is a mount point
  while (dir != "/") {
    std::string up = parentPath(dir);
    if (::stat(up.c_str(), &st) != 0 || st.st_dev != device) break;
    dir = up;
  }
  return dir;
}

int chooseTopdirTrash(const std::string& realPath, dev_t device, ChosenTrash& out) {
  const std::string topdir = mountTop(realPath, device);
  if (topdir.empty()) return EXDEV;
  Fd top(::open(topdir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!top) return errno;
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
      folder = appendPath(appendPath(topdir, ".Trash"), uid);
    }
  }
  if (!trash) {
    error = 0;
    const std::string name = ".Trash-" + uid;
    trash = openTrashSubfolder(top.get(), name.c_str(), true, error);
    if (!trash) return error;
    folder = appendPath(topdir, name);
  }
  out.files = openTrashSubfolder(trash.get(), "files", true, error);
  if (!out.files) return error;
  out.info = openTrashSubfolder(trash.get(), "info", true, error);
  if (!out.info) return error;
  out.folder = folder;
  // Relative to the top folder, so the item can be put back wherever the file system is mounted.
  out.pathValue = topdir == "/" ? realPath.substr(1) : realPath.substr(topdir.size() + 1);
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

int renameNoReplace(int fromDir, const char* from, int toDir, const char* to) {
  if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without RENAME_NOREPLACE: a file is linked (which never replaces) and then
  // unlinked; a folder is moved only when nothing is in the way.
  struct stat st {};
  if (::fstatat(fromDir, from, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) {
    if (::linkat(fromDir, from, toDir, to, 0) == 0) {
      ::unlinkat(fromDir, from, 0);
      return 0;
    }
    if (errno == EEXIST) return EEXIST;
  }
  if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  if (errno != ENOENT) return errno;
  return ::renameat(fromDir, from, toDir, to) == 0 ? 0 : errno;
}

struct DateFields {
  int year, month, day, hour, minute, second;
};

std::optional<DateFields> parseDateText(std::string_view text) {
  // Exactly "YYYY-MM-DDThh:mm:ss".
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':')
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
  struct stat st {};
  if (::lstat(location->infoPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > (1 << 20))
    return std::nullopt;
  auto text = readWholeFile(location->infoPath);
  if (!text) return std::nullopt;
  return parseTrashInfo(*text, location->topdir);
}

TrashMove moveToTrash(const std::string& path) {
  return moveToTrash(path, static_cast<double>(::time(nullptr)));
}

TrashMove moveToTrash(const std::string& givenPath, double deletionDate) {
  // A trailing "/" would make the system calls follow a link: the link itself is the item.
  std::string path = givenPath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path.front() != '/') return {EINVAL, {}};
  const std::string name = lastPathComponent(path);
  if (name == "/" || name == "." || name == "..") return {EINVAL, {}};
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {errno, {}};

  ChosenTrash trash;
  int error = 0;
  if (st.st_dev == deviceOfNearest(homeTrashFolder() + "/files")) {
    error = chooseHomeTrash(path, trash);
  } else {
    std::string parent = realFolder(parentPath(path));
    if (parent.empty()) return {errno, {}};
    error = chooseTopdirTrash(appendPath(parent, name), st.st_dev, trash);
  }
  if (error) return {error, {}};

  const std::string info = "[Trash Info]\nPath=" + percentEncodePath(trash.pathValue) +
                           "\nDeletionDate=" + trashDeletionDateText(deletionDate) + "\n";
  NameSequence names(name);
  while (auto candidate = names.next()) {
    const std::string infoName = *candidate + ".trashinfo";
    error = createInfoFile(trash.info.get(), infoName, info);
    if (error == EEXIST) continue;
    if (error) return {error, {}};
    error = renameNoReplace(AT_FDCWD, path.c_str(), trash.files.get(), candidate->c_str());
    if (error == 0) return {0, trash.folder + "/files/" + *candidate};
    ::unlinkat(trash.info.get(), infoName.c_str(), 0);
    if (error != EEXIST) return {error, {}};
    // An item without its info file holds this name: try the next one.
  }
  return {EEXIST, {}};
}

int restoreFromTrash(const std::string& trashedItemPath, const std::string& originalPath) {
  int error = renameNoReplace(AT_FDCWD, trashedItemPath.c_str(), AT_FDCWD, originalPath.c_str());
  if (error) return error;
  if (auto location = trashInfoLocation(trashedItemPath)) ::unlink(location->infoPath.c_str());
  return 0;
}

namespace {

struct Entry {
  std::string name;
  unsigned char type;
};

// One open folder being emptied, with its entries read in advance.
struct Frame {
  Fd fd;
  std::string name;  // its name in the folder below it on the stack
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

// Empties the folder open at `rootFd` (on `device`), without following links or leaving the device.
int emptyFolder(Fd rootFd, dev_t device) {
  int firstError = 0;
  auto note = [&](int error) {
    if (error && !firstError) firstError = error;
  };
  std::vector<Frame> stack;
  stack.push_back(Frame{std::move(rootFd), {}, {}, 0});
  note(readEntries(stack.back().fd.get(), stack.back().entries));
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next == top.entries.size()) {
      std::string name = std::move(top.name);
      stack.pop_back();
      if (!stack.empty() && ::unlinkat(stack.back().fd.get(), name.c_str(), AT_REMOVEDIR) != 0) note(errno);
      continue;
    }
    const Entry& entry = top.entries[top.next++];
    unsigned char type = entry.type;
    if (type == DT_UNKNOWN) {
      struct stat st {};
      if (::fstatat(top.fd.get(), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) note(errno);
        continue;
      }
      type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
    }
    if (type != DT_DIR) {
      if (::unlinkat(top.fd.get(), entry.name.c_str(), 0) != 0 && errno != ENOENT) note(errno);
      continue;
    }
    Fd child(::openat(top.fd.get(), entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!child) {
      if (errno == ELOOP || errno == ENOTDIR) {
        // No longer a folder (swapped for a link or a file): remove the entry itself.
        if (::unlinkat(top.fd.get(), entry.name.c_str(), 0) != 0 && errno != ENOENT) note(errno);
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
    Frame frame{std::move(child), entry.name, {}, 0};
    note(readEntries(frame.fd.get(), frame.entries));
    stack.push_back(std::move(frame));
  }
  return firstError;
}

}  // namespace

int removePermanently(const std::string& path) {
  if (path.empty() || path.front() != '/') return EINVAL;
  const std::string name = lastPathComponent(path);
  if (name == "/" || name == "." || name == "..") return EINVAL;
  Fd parent(::open(parentPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!parent) return errno;
  struct stat st {};
  if (::fstatat(parent.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  int error = 0;
  if (!S_ISDIR(st.st_mode)) {
    if (::unlinkat(parent.get(), name.c_str(), 0) != 0) error = errno;
  } else {
    struct stat parentStat {};
    if (::fstat(parent.get(), &parentStat) != 0) return errno;
    if (parentStat.st_dev != st.st_dev) return EBUSY;  // a mount point
    Fd folder(::openat(parent.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) {
      if (errno != ELOOP && errno != ENOTDIR) return errno;
      // Swapped for a link or a file since it was looked at: remove that entry, not what it names.
      if (::unlinkat(parent.get(), name.c_str(), 0) != 0) return errno;
    } else {
      error = emptyFolder(std::move(folder), st.st_dev);
      if (::unlinkat(parent.get(), name.c_str(), AT_REMOVEDIR) != 0 && !error) error = errno;
    }
  }
  if (error) return error;
  if (auto location = trashInfoLocation(path)) ::unlink(location->infoPath.c_str());
  return 0;
}

TrashReservation reserveHomeTrashName(const std::string& path, double deletionDate) {
  const std::string name = lastPathComponent(path);
  if (path.empty() || path.front() != '/' || name == "/" || name == "." || name == "..") return {EINVAL, {}, {}};
  ChosenTrash trash;
  if (int error = chooseHomeTrash(path, trash)) return {error, {}, {}};
  const std::string info = "[Trash Info]\nPath=" + percentEncodePath(path) +
                           "\nDeletionDate=" + trashDeletionDateText(deletionDate) + "\n";
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
