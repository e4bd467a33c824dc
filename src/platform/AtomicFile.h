#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvex {

// Writes `bytes` to `path` whole and atomically: a temporary file in the same folder, fsync,
// rename over the target, fsync of the folder. Returns 0 on success or the errno of the failure;
// on failure the previous file is left as it was and the temporary file is removed.
[[nodiscard]] int writeFileAtomically(const std::string& path, std::string_view bytes);

// Writes all of `bytes` to `fd`, retrying short writes and interruptions. 0 or the errno.
[[nodiscard]] int writeAll(int fd, std::string_view bytes);

// Whether a final symbolic link is followed when a file is opened.
enum class FileLinks { follow, refuse };

// What reading a whole file gave: its bytes, or the errno of the failure (ENOENT when nothing is there).
struct FileRead {
  int error = 0;
  std::string bytes;
};

// Reads a whole regular file. Anything else is refused (EINVAL) without waiting on it: the file is
// opened with O_NONBLOCK, so a FIFO in its place never blocks. With `FileLinks::refuse` a symbolic
// link is refused (ELOOP). A file longer than `limit` bytes is refused (EFBIG).
FileRead readRegularFile(const std::string& path, FileLinks links = FileLinks::follow, size_t limit = SIZE_MAX);

// The whole content of a regular file, or nothing when it cannot be read (see `readRegularFile`).
std::optional<std::string> readWholeFile(const std::string& path, FileLinks links = FileLinks::follow,
                                         size_t limit = SIZE_MAX);

// Removes the temporary files ("." + name + "." and six characters) that `writeFileAtomically` left for the files
// `names` of `folder` (a process killed between writing and renaming) when they were last changed more than
// `minimumAge` seconds before `now` (seconds since 1970): a younger one may belong to a write still going on. Returns
// how many were removed.
int sweepTemporaryFiles(const std::string& folder, const std::vector<std::string>& names, double now,
                        double minimumAge);

}  // namespace tolvex
