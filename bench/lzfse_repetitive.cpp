// LZFSE encoder on repetitive input, where a match can run for megabytes: zeros of growing size (the
// time should double with the size, not grow faster), a short repeating pattern, and the archive
// stream of a very deep chain of folders (a million levels by default).
//   bench_lzfse_repetitive [deep-levels]
// Prints seconds, MB/s and the ratio to the previous size for the zeros; every output is decoded and
// compared, and a failed round trip ends the run with status 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/ScanArchive.h"
#include "platform/lzfse/Lzfse.h"

using namespace tolvex;

namespace {

double bestSeconds(int rounds, const std::string& input, std::string& encoded) {
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    encoded = lzfseEncode(input);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// Encodes `input`, checks the round trip, prints one line; returns the seconds or -1 on failure.
double report(const char* name, const std::string& input, double previous) {
  std::string encoded;
  const double t = bestSeconds(input.size() > (32u << 20) ? 1 : 3, input, encoded);
  const bool ok = lzfseDecode(encoded, input.size()) == input;
  std::printf("%-22s %10zu %10zu %9.3f %9.1f", name, input.size(), encoded.size(), t, input.size() / 1e6 / t);
  if (previous > 0) std::printf("   x%.2f", t / previous);
  std::printf("%s\n", ok ? "" : "  ROUND TRIP FAILED");
  return ok ? t : -1;
}

// The archive stream of a chain of `levels` folders, each holding the next, every record alike (as
// when the sizes are not known yet): a stream that repeats one short record.
std::string deepChainArchive(size_t levels) {
  ScanResult result;
  result.rootPath = "/deep";
  result.tree = std::make_shared<FileTree>();
  FileNode* node = result.tree->make("/deep", nullptr, true, false, FileKind::other, StorageBucket::other);
  result.root = node;
  for (size_t i = 0; i < levels; ++i)
    node = result.tree->make("d", node, true, false, FileKind::other, StorageBucket::other);
  return scanArchiveBytes(result, ScanTarget::folder("/deep"));
}

}  // namespace

int main(int argc, char** argv) {
  const size_t levels = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  std::printf("%-22s %10s %10s %9s %9s\n", "input", "bytes", "encoded", "seconds", "MB/s");
  double previous = 0;
  for (size_t mb : {8, 16, 32, 64}) {
    const std::string name = "zeros-" + std::to_string(mb) + "M";
    previous = report(name.c_str(), std::string(mb << 20, '\0'), previous);
    if (previous < 0) return 1;
  }
  std::string pattern;
  pattern.reserve(64u << 20);
  while (pattern.size() < (64u << 20)) pattern += "tolvex ";
  if (report("pattern-64M", pattern, 0) < 0) return 1;
  const std::string name = "deep-chain-" + std::to_string(levels);
  if (report(name.c_str(), deepChainArchive(levels), 0) < 0) return 1;
  return 0;
}
