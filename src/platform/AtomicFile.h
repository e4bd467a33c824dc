#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvex {

// Writes `bytes` to `path` whole and atomically: a temporary file in the same folder, fsync,
// rename over the target, fsync of the folder. Returns 0 on success or the errno of the failure;
// on failure the previous file is left as it was and the temporary file is removed.
int writeFileAtomically(const std::string& path, std::string_view bytes);

// Writes all of `bytes` to `fd`, retrying short writes and interruptions. 0 or the errno.
int writeAll(int fd, std::string_view bytes);

// The whole content of a regular file (a link is followed), or nothing when it cannot be read, is not
// a regular file (a FIFO is refused without waiting for a writer) or holds more than `maxBytes`.
std::optional<std::string> readWholeFile(const std::string& path, size_t maxBytes = SIZE_MAX);

}  // namespace tolvex
