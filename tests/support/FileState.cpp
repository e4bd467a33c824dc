#include "support/FileState.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <stdexcept>
#include <sys/xattr.h>
#include <unistd.h>

namespace tolvex::test {

namespace {
int64_t nanoseconds(const timespec& time) { return int64_t{time.tv_sec} * 1'000'000'000 + time.tv_nsec; }
}  // namespace

FileState fileState(const std::string& path) {
  FileState state;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return state;
  state.exists = true;
  state.device = st.st_dev;
  state.inode = st.st_ino;
  state.mode = st.st_mode;
  state.owner = st.st_uid;
  state.group = st.st_gid;
  state.links = st.st_nlink;
  state.length = st.st_size;
  state.modifiedNs = nanoseconds(st.st_mtim);
  // Reading a link's target renews its access time, so a link's is not part of its state.
  state.accessedNs = S_ISLNK(st.st_mode) ? 0 : nanoseconds(st.st_atim);

  ssize_t size = ::llistxattr(path.c_str(), nullptr, 0);
  if (size > 0) {
    std::vector<char> names(static_cast<size_t>(size));
    size = ::llistxattr(path.c_str(), names.data(), names.size());
    for (ssize_t start = 0; start < size;) {
      const std::string name(names.data() + start);
      start += static_cast<ssize_t>(name.size()) + 1;
      if (name.empty()) continue;
      std::string value(65536, '\0');
      ssize_t n = ::lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
      value.resize(n < 0 ? 0 : static_cast<size_t>(n));
      state.xattrs[name] = value;
    }
  }

  if (S_ISLNK(st.st_mode)) {
    std::string target(4096, '\0');
    ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    target.resize(n < 0 ? 0 : static_cast<size_t>(n));
    state.content = target;
  } else if (S_ISREG(st.st_mode)) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NOATIME | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) state.content.append(buffer, static_cast<size_t>(n));
    ::close(fd);
  }
  return state;
}

std::vector<std::string> folderNames(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(path.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void writeBytes(const std::string& path, const std::string& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
  for (size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      ::close(fd);
      throw std::runtime_error("cannot write " + path);
    }
    done += static_cast<size_t>(n);
  }
  ::close(fd);
}

std::string patternBytes(size_t length, unsigned seed) {
  std::mt19937_64 random(seed);
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; i += 8) {
    uint64_t value = random();
    std::memcpy(bytes.data() + i, &value, std::min<size_t>(8, length - i));
  }
  return bytes;
}

std::ostream& operator<<(std::ostream& out, const FileState& state) {
  out << "{exists " << state.exists << ", inode " << state.inode << ", mode " << std::oct << state.mode << std::dec
      << ", owner " << state.owner << ":" << state.group << ", links " << state.links << ", length " << state.length
      << ", mtime " << state.modifiedNs << ", atime " << state.accessedNs << ", xattrs " << state.xattrs.size()
      << ", content " << state.content.size() << " bytes}";
  return out;
}

}  // namespace tolvex::test
