// libFuzzer target: the .trashinfo files read when an item is put back. A parsed Path= is absolute
// and holds no NUL byte, whatever the bytes were.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Trash.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (const auto info = tolvex::parseTrashInfo(input, "/media/disk")) {
    if (info->path.empty() || info->path[0] != '/' || info->path.find('\0') != std::string::npos) std::abort();
  }
  return 0;
}
