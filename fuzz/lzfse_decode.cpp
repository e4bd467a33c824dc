// libFuzzer target: the LZFSE decoder on arbitrary bytes, whole and piece by piece. Both must accept
// the same streams and give the same output.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/lzfse/Lzfse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The limit keeps a tiny input that expands enormously from exhausting the fuzzer's memory.
  constexpr size_t kLimit = size_t{16} << 20;
  const auto whole = tolvex::lzfseDecode(input, kLimit);

  // Pieces of sizes taken from the input itself, so the fuzzer varies them too.
  tolvex::LzfseReader reader(input, kLimit);
  std::string pieces;
  for (size_t i = 0;; ++i) {
    const size_t n = size == 0 ? 1 : 1 + data[i % size] * 97u;
    const uint8_t* piece = reader.take(n);
    if (!piece) break;
    pieces.append(reinterpret_cast<const char*>(piece), n);
  }
  while (const uint8_t* byte = reader.take(1)) pieces.push_back(static_cast<char>(*byte));
  const bool accepted = reader.finish();
  if (accepted != whole.has_value() || (whole && pieces != *whole)) std::abort();
  return 0;
}
