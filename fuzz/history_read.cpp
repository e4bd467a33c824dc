// libFuzzer target: the deletion history file read at start. A history that was read must be
// written and read back unchanged, or the next start would lose what can be restored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FuzzRoundTrip.h"
#include "engines/DeletionHistory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto entries = tolvex::decodeHistory(input);
  if (!entries) return 0;
  const auto again = tolvex::decodeHistory(tolvex::encodeHistory(*entries));
  if (!again) std::abort();
  tolvex::fuzz::requireSame(*entries, *again);
  return 0;
}
