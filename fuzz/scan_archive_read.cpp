// libFuzzer target: the scan archive reader on arbitrary (already decompressed) bytes. Whatever it
// accepts must write back to the same bytes, up to the last record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/ScanArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto loaded = tolvex::readScanArchiveBytes(input);
  if (!loaded) return 0;
  // The reader keeps unknown table keys out, maps unknown kinds to `other`, drops other flag bits
  // and keeps the last of repeated keys, so only a second round trip must be exact.
  const std::string written = tolvex::scanArchiveBytes(loaded->first, loaded->second);
  const auto again = tolvex::readScanArchiveBytes(written);
  if (!again || tolvex::scanArchiveBytes(again->first, again->second) != written) std::abort();
  return 0;
}
