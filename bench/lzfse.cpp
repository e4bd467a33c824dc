// LZFSE codec round trip on the test vectors: ratio and MB/s of our encoder and decoder.
//   bench_lzfse [vector-folder]   (default: the repository's tests/data/lzfse)
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/lzfse/Lzfse.h"

using namespace tolvex;

namespace {

template <typename F>
double bestSeconds(int rounds, F f) {
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : TOLVEX_TEST_DATA_DIR "/lzfse";
  std::printf("%-16s %10s %10s %10s %7s %10s %10s\n", "input", "bytes", "ours", "usual", "ratio", "enc MB/s",
              "dec MB/s");
  for (const char* name : {"text-200k", "records-2m", "repetitive-1.6m", "random-300k", "small-text"}) {
    const auto input = readWholeFile(folder + "/" + name + ".bin");
    const auto reference = readWholeFile(folder + "/" + name + ".lzfse");
    if (!input || !reference) {
      std::fprintf(stderr, "missing %s in %s\n", name, folder.c_str());
      return 1;
    }
    std::string encoded;
    const double enc = bestSeconds(5, [&] { encoded = lzfseEncode(*input); });
    bool ok = true;
    const double dec = bestSeconds(5, [&] { ok = lzfseDecode(encoded) == *input; });
    const double mb = static_cast<double>(input->size()) / 1e6;
    std::printf("%-16s %10zu %10zu %10zu %6.2fx %10.1f %10.1f%s\n", name, input->size(), encoded.size(),
                reference->size(), static_cast<double>(input->size()) / static_cast<double>(encoded.size()), mb / enc,
                mb / dec, ok ? "" : "  ROUND TRIP FAILED");
    if (!ok) return 1;
  }
  return 0;
}
