#include "platform/FolderHandle.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Paths.h"

namespace tolvex {

namespace {

// Opens `name` inside `dirfd` as a folder, never through a link. ELOOP when `name` is a link.
Fd openComponent(int dirfd, const std::string& name, int& error) {
  Fd next(::openat(dirfd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (next) return next;
  error = errno;
  // With O_PATH, a link named with O_NOFOLLOW is not a folder: tell the two apart.
  struct stat st {};
  if (error == ENOTDIR && ::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
    error = ELOOP;
  return Fd();
}

FolderOpen walk(const std::string& path, std::string_view chosenFolder, bool create) {
  if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) return {Fd(), EINVAL};
  std::string start = chosenFolder.empty() ? std::string("/") : std::string(chosenFolder);
  if (start.front() != '/' || !isSameOrInside(path, start)) return {Fd(), EINVAL};
  Fd fd(::open(start.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!fd) return {Fd(), errno};
  const std::string_view below = std::string_view(path).substr(std::min(path.size(), start.size()));
  for (std::string_view component : pathComponents(below)) {
    if (component == "." || component == "..") return {Fd(), EINVAL};
    const std::string name(component);
    if (create && ::mkdirat(fd.get(), name.c_str(), 0777) != 0 && errno != EEXIST) return {Fd(), errno};
    int error = 0;
    Fd next = openComponent(fd.get(), name, error);
    if (!next) return {Fd(), error};
    fd = std::move(next);
  }
  return {std::move(fd), 0};
}

}  // namespace

FolderOpen openFolderWithoutLinks(const std::string& path, std::string_view chosenFolder) {
  return walk(path, chosenFolder, false);
}

FolderOpen makeFoldersWithoutLinks(const std::string& path) { return walk(path, {}, true); }

namespace {

// The name under which the folder `parent` holds the folder `child`; none when it holds no such entry.
// A mount point's entry names another inode than the mounted folder's root, so each candidate is
// looked at itself; and a bind mount shows the same inode under two names, told apart by the mount.
std::optional<std::string> nameOfEntry(int parent, int child) {
  struct stat self {};
  if (::fstat(child, &self) != 0) return std::nullopt;
  const auto mount = mountIdAt(child, "");
  const int copy = ::dup(parent);
  if (copy < 0) return std::nullopt;
  DIR* dir = ::fdopendir(copy);
  if (!dir) {
    ::close(copy);
    return std::nullopt;
  }
  std::optional<std::string> found;
  while (dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    if (::fstatat(parent, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == self.st_dev &&
        st.st_ino == self.st_ino && mountIdAt(parent, entry->d_name) == mount) {
      found = std::string(name);
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace

std::optional<std::string> folderPathByGoingUp(int fd) {
  std::vector<std::string> names;
  Fd current(::openat(fd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
  while (current) {
    struct stat self {
    }, up{};
    if (::fstat(current.get(), &self) != 0 || ::fstatat(current.get(), "..", &up, 0) != 0) return std::nullopt;
    if (self.st_dev == up.st_dev && self.st_ino == up.st_ino) break;  // the root folder
    Fd parent(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent) return std::nullopt;
    auto name = nameOfEntry(parent.get(), current.get());
    if (!name) return std::nullopt;
    names.push_back(std::move(*name));
    current = std::move(parent);
  }
  if (!current) return std::nullopt;
  std::string path;
  for (auto name = names.rbegin(); name != names.rend(); ++name) path += "/" + *name;
  return path.empty() ? "/" : path;
}

std::optional<std::string> descriptorPath(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return std::nullopt;
  if (S_ISDIR(st.st_mode) && st.st_nlink == 0) return std::nullopt;  // removed: the kernel's name is stale
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  std::string buffer(PATH_MAX, '\0');
  for (;;) {
    const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
    if (n < 0) return S_ISDIR(st.st_mode) ? folderPathByGoingUp(fd) : std::nullopt;
    if (static_cast<size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<size_t>(n));
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  // Anything else ("(unreachable)/…", "anon_inode:…") is not a path of ours to act on.
  if (buffer.empty() || buffer.front() != '/') return std::nullopt;
  return buffer;
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

std::optional<uint64_t> mountIdAt(int dirfd, const char* name) {
  struct statx stx {};
  const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (name[0] == '\0' ? AT_EMPTY_PATH : 0);
  if (::statx(dirfd, name, flags, STATX_MNT_ID, &stx) != 0 || !(stx.stx_mask & STATX_MNT_ID)) return std::nullopt;
  return stx.stx_mnt_id;
}

}  // namespace tolvex
