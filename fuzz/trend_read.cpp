// libFuzzer target: the trend files read at start (scans.json and space.json share the first bytes
// of the input: its first byte chooses which). What was read must be written and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FuzzRoundTrip.h"
#include "system/TrendStore.h"

namespace {

template <typename Decode, typename Encode>
void readWriteRead(std::string_view input, Decode decode, Encode encode) {
  const auto first = decode(input);
  if (!first) return;
  const auto text = encode(*first);
  if (!text) return;
  const auto again = decode(*text);
  if (!again) std::abort();
  tolvex::fuzz::requireSame(*first, *again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1)
    readWriteRead(input, tolvex::decodeSamples, tolvex::encodeSamples);
  else
    readWriteRead(input, tolvex::decodeSnapshots, tolvex::encodeSnapshots);
  return 0;
}
