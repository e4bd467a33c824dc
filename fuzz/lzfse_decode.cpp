// libFuzzer target: the LZFSE decoder on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/lzfse/Lzfse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The limit keeps a tiny input that expands enormously from exhausting the fuzzer's memory.
  tolvex::lzfseDecode(input, size_t{16} << 20);
  return 0;
}
