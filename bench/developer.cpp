// Times what the Developer screen works out on the UI thread each time the scan or the junk findings
// change: the developer artefacts of the scan tree (a walk of its folders), the virtual disk images
// among its files, and the sort of the rows. The tree is a real scan of each folder named on the
// command line (/usr when none is); the figures are the median of the rounds.
//
//   bench_developer [--rounds R] [FOLDER...]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engines/DevItem.h"
#include "engines/VirtualDisk.h"
#include "model/Scanner.h"
#include "platform/HomeFolder.h"

using namespace tolvex;
using Clock = std::chrono::steady_clock;

namespace {

template <typename Work>
double medianMs(int rounds, Work work) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 9;
  std::vector<std::string> roots;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else {
      roots.emplace_back(argv[i]);
    }
  }
  if (roots.empty()) roots.emplace_back("/usr");
  const std::string home = homeFolder();
  std::printf("%-24s %10s %10s %12s %12s %12s\n", "tree", "files", "rows", "artefacts", "disks", "sort");
  for (const std::string& root : roots) {
    Scanner scanner;
    auto scan = scanner.walk(root, {}, nullptr);
    if (!scan) {
      std::fprintf(stderr, "bench_developer: cannot scan %s\n", root.c_str());
      continue;
    }
    size_t rows = 0;
    const double artefacts = medianMs(rounds, [&] { rows = findDeveloperArtifacts(&*scan, {}, home).size(); });
    const double disks = medianMs(rounds, [&] { (void)findVirtualDisks(scan->files); });
    std::vector<DevItem> items = findDeveloperArtifacts(&*scan, {}, home);
    const double sort = medianMs(rounds, [&] {
      std::vector<DevItem> copy = items;
      std::sort(copy.begin(), copy.end(), [](const DevItem& a, const DevItem& b) { return a.size > b.size; });
    });
    std::printf("%-24s %10lld %10zu %10.2f ms %10.2f ms %10.3f ms\n", root.c_str(),
                static_cast<long long>(scan->files.size()), rows, artefacts, disks, sort);
  }
  return 0;
}
