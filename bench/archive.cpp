// Scan archive benchmark: a generated tree of about 1,000,000 nodes is written and read back, and
// our LZFSE codec is timed against `gzip -6` / `gzip -d` on the same uncompressed archive stream.
//   bench_archive [nodes [--keep]]   (default 1000000; --keep leaves the archive file in /tmp)
// Prints sizes, MB/s (of uncompressed data), ratios, and the whole read of the archive file into a
// ScanResult, also in a fresh process as at launch. Targets: encoder >= gzip -6, decoder >= gzip -d,
// read < 1 s, and < 0.3 s in a fresh process.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "GeneratedScan.h"
#include "model/ScanArchive.h"
#include "platform/AtomicFile.h"
#include "platform/lzfse/Lzfse.h"

extern char** environ;

using namespace tolvex;
using tolvex::bench::generatedScan;

namespace {

double seconds(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double best(int rounds, const std::function<void()>& f) {
  double t = 1e30;
  for (int i = 0; i < rounds; ++i) t = std::min(t, seconds(f));
  return t;
}

// Runs a program with stdin and stdout redirected to files; true when it exits with status 0.
bool run(const std::vector<std::string>& argv, const std::string& in, const std::string& out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid;
  const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double mb(size_t bytes) { return static_cast<double>(bytes) / 1e6; }

}  // namespace

// `bench_archive --read FILE`: reads the archive in this fresh process and prints the seconds it took.
int readOnce(const std::string& archive) {
  std::optional<std::pair<ScanResult, ScanTarget>> loaded;
  const double t = seconds([&] { loaded = readScanArchive(archive); });
  if (!loaded) return 1;
  std::printf("%.6f %zu\n", t, loaded->first.tree->nodeCount());
  return 0;
}

// The read in fresh processes, as at launch, where every page of the tree is new memory.
double freshProcessRead(const std::string& archive, int rounds) {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return 1e30;
  exe[n] = '\0';
  const std::string out = archive + ".time";
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    if (!run({exe, "--read", archive}, "/dev/null", out)) return 1e30;
    times.push_back(std::strtod(readWholeFile(out).value_or("1e30").c_str(), nullptr));
  }
  std::remove(out.c_str());
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--read") return readOnce(argv[2]);
  const bool keep = argc > 2 && std::string(argv[2]) == "--keep";
  const size_t target = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  char folderTemplate[] = "/tmp/tolvex-bench-archive.XXXXXX";
  if (!mkdtemp(folderTemplate)) return 1;
  const std::string folder = folderTemplate;
  const std::string archive = folder + "/last-scan.tvxscan";
  const std::string raw = folder + "/stream", gz = folder + "/stream.gz";

  ScanResult result;
  const double buildTime = seconds([&] { result = generatedScan(target); });
  std::printf("tree: %zu nodes (%zu files), built in %.2f s\n", result.tree->nodeCount(), result.files.size(),
              buildTime);

  std::string stream;
  const double serialize = best(3, [&] { stream = scanArchiveBytes(result, ScanTarget::wholeDisk()); });
  std::string compressed;
  const double encode = best(3, [&] { compressed = lzfseEncode(stream); });
  bool decodedOk = false;
  const double decode = best(3, [&] { decodedOk = lzfseDecode(compressed) == stream; });
  const double write = best(3, [&] { writeScanArchive(result, ScanTarget::wholeDisk(), archive); });
  size_t readNodes = 0;
  double readTime = 1e30, firstReadTime = 0;
  for (int i = 0; i < 3; ++i) {
    std::optional<std::pair<ScanResult, ScanTarget>> loaded;
    const double t = seconds([&] { loaded = readScanArchive(archive); });
    if (i == 0) firstReadTime = t;
    readTime = std::min(readTime, t);
    readNodes = loaded ? loaded->first.tree->nodeCount() : 0;
  }

  // Where the read goes: the file, the decompression, the parse into a tree.
  double fileTime = 1e30, inflateTime = 1e30, parseTime = 1e30;
  for (int i = 0; i < 3; ++i) {
    std::optional<std::string> file, bytes;
    std::optional<std::pair<ScanResult, ScanTarget>> parsed;
    fileTime = std::min(fileTime, seconds([&] { file = readWholeFile(archive); }));
    inflateTime = std::min(inflateTime, seconds([&] { bytes = lzfseDecode(*file); }));
    parseTime = std::min(parseTime, seconds([&] { parsed = readScanArchiveBytes(*bytes); }));
  }

  if (writeFileAtomically(raw, stream) != 0) return 1;
  bool gzipOk = true;
  const double gzipEncode = best(3, [&] { gzipOk &= run({"gzip", "-6", "-c"}, raw, gz); });
  const double gzipDecode = best(3, [&] { gzipOk &= run({"gzip", "-d", "-c"}, gz, "/dev/null"); });
  const size_t gzSize = readWholeFile(gz).value_or("").size();

  const double size = mb(stream.size());
  std::printf("uncompressed stream: %.1f MB (%.1f bytes per node), made in %.3f s\n", size,
              static_cast<double>(stream.size()) / static_cast<double>(result.tree->nodeCount()), serialize);
  std::printf("%-10s %12s %8s %12s %12s\n", "", "compressed", "ratio", "encode MB/s", "decode MB/s");
  std::printf("%-10s %12zu %7.2fx %12.1f %12.1f\n", "LZFSE", compressed.size(),
              static_cast<double>(stream.size()) / static_cast<double>(compressed.size()), size / encode,
              size / decode);
  std::printf("%-10s %12zu %7.2fx %12.1f %12.1f\n", "gzip -6/-d", gzSize,
              static_cast<double>(stream.size()) / static_cast<double>(gzSize), size / gzipEncode, size / gzipDecode);
  std::printf("ours vs gzip: encode %.2fx as fast, decode %.2fx as fast, output %.2fx the size\n", gzipEncode / encode,
              gzipDecode / decode, static_cast<double>(compressed.size()) / static_cast<double>(gzSize));
  std::printf("write archive (stream + compress + atomic write): %.3f s\n", write);
  std::printf(
      "read archive into a ScanResult (%zu nodes): first %.3f s, best %.3f s (file %.3f, decompress %.3f, "
      "parse %.3f)\n",
      readNodes, firstReadTime, readTime, fileTime, inflateTime, parseTime);
  const double fresh = freshProcessRead(archive, 5);
  std::printf("read archive in a fresh process (median of 5): %.3f s (target < 0.3 s: %s)\n", fresh,
              fresh < 0.3 ? "met" : "MISSED");
  const bool ok = decodedOk && gzipOk && readNodes == result.tree->nodeCount();
  std::printf("targets: encoder >= gzip -6 %s, decoder >= gzip -d %s, read < 1 s %s%s\n",
              encode <= gzipEncode ? "met" : "MISSED", decode <= gzipDecode ? "met" : "MISSED",
              std::max(readTime, firstReadTime) < 1.0 ? "met" : "MISSED", ok ? "" : "   (ROUND TRIP OR GZIP FAILED)");

  if (keep)
    std::printf("archive kept: %s\n", archive.c_str());
  else
    std::remove(archive.c_str());
  std::remove(raw.c_str());
  std::remove(gz.c_str());
  if (!keep) rmdir(folder.c_str());
  return ok ? 0 : 1;
}
