// libFuzzer target: reading an application's Info.plist (XML or binary) from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Bundle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  tolvex::infoStringsFromPlist(input);
  tolvex::bundleIdentifierFromPlist(input);
  return 0;
}
