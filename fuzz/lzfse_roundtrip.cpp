// libFuzzer target: any input, encoded by our encoder, decodes back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/lzfse/Lzfse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto decoded = tolvex::lzfseDecode(tolvex::lzfseEncode(input));
  if (!decoded || *decoded != input) std::abort();
  return 0;
}
