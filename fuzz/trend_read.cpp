// libFuzzer target: the trend files read at start (scans.json and space.json share the first bytes
// of the input: its first byte chooses which). What was read must be written and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FuzzRoundTrip.h"
#include "system/TrendStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) {
    const auto samples = tolvex::decodeSamples(input);
    if (!samples) return 0;
    const auto text = tolvex::encodeSamples(*samples);
    if (!text) return 0;
    const auto again = tolvex::decodeSamples(*text);
    if (!again) std::abort();
    tolvex::fuzz::requireSame(*samples, *again);
  } else {
    const auto snapshots = tolvex::decodeSnapshots(input);
    if (!snapshots) return 0;
    const auto text = tolvex::encodeSnapshots(*snapshots);
    if (!text) return 0;
    const auto again = tolvex::decodeSnapshots(*text);
    if (!again) std::abort();
    tolvex::fuzz::requireSame(*snapshots, *again);
  }
  return 0;
}
