// Duplicate finder benchmark: generates a tree of real files (about 100,000 by default: small files,
// a few percent of large ones, with exact duplicates, same-size files that differ early or late, and a
// few very large ones), then times findDuplicates over its scan against rdfind and jdupes on the same
// tree in the same run, checks that all three find the same groups, and prints the ratios.
//
//   bench_duplicates [--files N] [--rounds R] [--dir PARENT] [--keep]
//
// The tree is written under PARENT (default $TMPDIR or /tmp) and removed afterwards unless --keep.
// Every tool runs on a warm page cache: one untimed round first, then R timed rounds; medians are
// reported. The peers get the finder's minimum size (1 MiB), so all three compare the same files.
#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engines/DuplicateFinder.h"
#include "platform/Process.h"
#include "model/Scanner.h"

using namespace tolvex;
using Clock = std::chrono::steady_clock;
using Groups = std::set<std::set<std::string>>;

namespace {

constexpr int64_t kMinimum = 1 << 20;

struct SplitMix {
  uint64_t state;
  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int64_t range(int64_t low, int64_t high) {
    return low + static_cast<int64_t>(next() % static_cast<uint64_t>(high - low));
  }
};

std::string contentFor(uint64_t seed, size_t length) {
  SplitMix random{seed};
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; i += 8) {
    const uint64_t value = random.next();
    std::memcpy(bytes.data() + i, &value, std::min<size_t>(8, length - i));
  }
  return bytes;
}

void writeFile(const std::string& path, const std::string& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
  for (size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      std::perror(path.c_str());
      std::exit(1);
    }
    done += static_cast<size_t>(n);
  }
  ::close(fd);
}

struct Tree {
  std::string root;
  int64_t files = 0;
  int64_t bytes = 0;
  int64_t largeFiles = 0;
  int64_t hashedBytes = 0;  // what the finder reads: 64 KiB of every colliding file, all of the survivors
  Groups expected;          // the duplicate groups of files of at least 1 MiB
};

Tree generate(const std::string& root, int64_t fileCount) {
  Tree tree;
  tree.root = root;
  SplitMix random{20240601};
  const int folders = 1000;
  for (int d = 0; d < 100; ++d) {
    char name[64];
    std::snprintf(name, sizeof name, "%s/d%02d", root.c_str(), d);
    ::mkdir(name, 0755);
    for (int e = 0; e < folders / 100; ++e) {
      std::snprintf(name, sizeof name, "%s/d%02d/e%02d", root.c_str(), d, e);
      ::mkdir(name, 0755);
    }
  }
  auto place = [&](const std::string& name) {
    char folder[64];
    std::snprintf(folder, sizeof folder, "/d%02d/e%02d/", static_cast<int>(random.range(0, 100)),
                  static_cast<int>(random.range(0, folders / 100)));
    return root + folder + name;
  };
  auto add = [&](const std::string& path, const std::string& bytes) {
    writeFile(path, bytes);
    tree.files += 1;
    tree.bytes += static_cast<int64_t>(bytes.size());
    if (static_cast<int64_t>(bytes.size()) >= kMinimum) tree.largeFiles += 1;
  };
  const auto scale = [&](int64_t count) { return std::max<int64_t>(1, count * fileCount / 100000); };
  uint64_t seed = 1;

  // Large files: unique sizes, duplicate groups, same-size pairs that differ early or late, very large ones.
  for (int64_t i = 0; i < scale(1000); ++i)
    add(place("unique-" + std::to_string(i) + ".bin"),
        contentFor(seed++, static_cast<size_t>(random.range(kMinimum, kMinimum + (kMinimum >> 3)))));
  for (int64_t g = 0; g < scale(200); ++g) {
    const auto length = static_cast<size_t>(random.range(kMinimum + (kMinimum >> 3), 2 * kMinimum));
    const std::string bytes = contentFor(seed++, length);
    std::set<std::string> group;
    const int64_t copies = random.range(2, 5);
    for (int64_t c = 0; c < copies; ++c) {
      const std::string path = place("dup-" + std::to_string(g) + "-" + std::to_string(c) + ".bin");
      add(path, bytes);
      group.insert(path);
      tree.hashedBytes += 65536 + static_cast<int64_t>(length);
    }
    tree.expected.insert(group);
  }
  for (int64_t p = 0; p < scale(150); ++p) {
    const auto length = static_cast<size_t>(random.range(2 * kMinimum, 3 * kMinimum));
    std::string bytes = contentFor(seed++, length);
    add(place("pair-" + std::to_string(p) + "-a.bin"), bytes);
    const bool late = p % 2 == 0;
    const auto at =
        static_cast<size_t>(late ? random.range(65536, static_cast<int64_t>(length)) : random.range(0, 65536));
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    add(place("pair-" + std::to_string(p) + "-b.bin"), bytes);
    tree.hashedBytes += 2 * 65536 + (late ? 2 * static_cast<int64_t>(length) : 0);
  }
  {
    const size_t big = 64u << 20;
    const std::string same = contentFor(seed++, big);
    std::set<std::string> group;
    for (int c = 0; c < 2; ++c) {
      const std::string path = place("big-same-" + std::to_string(c) + ".bin");
      add(path, same);
      group.insert(path);
    }
    tree.expected.insert(group);
    std::string other = contentFor(seed++, big + 4096);
    add(place("big-end-a.bin"), other);
    other.back() = static_cast<char>(other.back() ^ 1);
    add(place("big-end-b.bin"), other);
    tree.hashedBytes += 2 * (65536 + static_cast<int64_t>(big)) + 2 * (65536 + static_cast<int64_t>(big) + 4096);
  }

  // Small files, some of them copies of each other (below the minimum: nobody compares them).
  std::string previous;
  for (int64_t i = 0; tree.files < fileCount; ++i) {
    std::string bytes = (i % 33 == 1) ? previous : contentFor(seed++, static_cast<size_t>(random.range(0, 8192)));
    add(place("small-" + std::to_string(i) + ".dat"), bytes);
    previous = std::move(bytes);
  }
  return tree;
}

// Runs a program with an argument vector (no shell); its standard output, or none on failure.
std::optional<std::string> run(const std::vector<std::string>& argv) {
  auto result = runProcess(argv);
  if (!result || result->exitStatus != 0) return std::nullopt;
  return std::move(result->output);
}

bool have(const std::string& program) { return run({program, "--version"}) || run({program, "-v"}); }

Groups fromRdfind(const std::string& results) {
  std::map<long, std::set<std::string>> byId;
  std::istringstream in(results);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string type, depth, size, device, inode, priority;
    long id = 0;
    fields >> type >> id >> depth >> size >> device >> inode >> priority;
    std::string name;
    std::getline(fields >> std::ws, name);
    byId[std::labs(id)].insert(name);
  }
  Groups groups;
  for (auto& [id, files] : byId)
    if (files.size() > 1) groups.insert(files);
  return groups;
}

Groups fromJdupes(const std::string& output) {
  Groups groups;
  std::set<std::string> current;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) {
      if (current.size() > 1) groups.insert(current);
      current.clear();
    } else {
      current.insert(line);
    }
  }
  if (current.size() > 1) groups.insert(current);
  return groups;
}

Groups fromFinder(const std::vector<DuplicateGroup>& found) {
  Groups groups;
  for (const auto& group : found) {
    std::set<std::string> files;
    for (const FileNode* file : group.files) files.insert(file->path());
    groups.insert(files);
  }
  return groups;
}

double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int64_t fileCount = 100000;
  int rounds = 3;
  bool keep = false;
  const char* tmp = std::getenv("TMPDIR");
  std::string parent = tmp && *tmp ? tmp : "/tmp";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--files" && i + 1 < argc)
      fileCount = std::atoll(argv[++i]);
    else if (arg == "--rounds" && i + 1 < argc)
      rounds = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--dir" && i + 1 < argc)
      parent = argv[++i];
    else if (arg == "--keep")
      keep = true;
    else {
      std::fprintf(stderr, "usage: %s [--files N] [--rounds R] [--dir PARENT] [--keep]\n", argv[0]);
      return 2;
    }
  }

  std::string root = parent + "/tolvex-bench-dupes.XXXXXX";
  if (!::mkdtemp(root.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  std::printf("generating %lld files under %s ...\n", static_cast<long long>(fileCount), root.c_str());
  auto start = Clock::now();
  const Tree tree = generate(root, fileCount);
  ::sync();
  std::printf("  %lld files, %.2f GB, %lld of at least 1 MiB, %zu duplicate groups (%.1f s)\n",
              static_cast<long long>(tree.files), static_cast<double>(tree.bytes) / 1e9,
              static_cast<long long>(tree.largeFiles), tree.expected.size(), seconds(start));

  const bool haveRdfind = have("rdfind"), haveJdupes = have("jdupes");
  if (!haveRdfind) std::printf("  rdfind is not installed (apt-get install rdfind): left out\n");
  if (!haveJdupes) std::printf("  jdupes is not installed (apt-get install jdupes): left out\n");
  const std::string rdfindResults = root + ".rdfind.txt";

  std::vector<double> scanTimes, finderTimes, rdfindTimes, jdupesTimes;
  Groups finderGroups, rdfindGroups, jdupesGroups;
  for (int round = 0; round <= rounds; ++round) {  // round 0 warms every cache and is not counted
    start = Clock::now();
    Scanner scanner;
    auto scan = scanner.walk(root, {}, nullptr);
    const double scanTime = seconds(start);
    if (!scan) {
      std::fprintf(stderr, "the scan failed\n");
      return 1;
    }
    start = Clock::now();
    const auto groups = findDuplicates(*scan, kMinimum, nullptr);
    const double finderTime = seconds(start);
    finderGroups = fromFinder(groups);

    double rdfindTime = 0, jdupesTime = 0;
    if (haveRdfind) {
      start = Clock::now();
      auto out = run({"rdfind", "-dryrun", "true", "-minsize", std::to_string(kMinimum), "-makeresultsfile", "true",
                      "-outputname", rdfindResults, root});
      rdfindTime = seconds(start);
      std::string results;
      if (FILE* file = std::fopen(rdfindResults.c_str(), "r")) {
        char buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) results.append(buffer, n);
        std::fclose(file);
      }
      if (!out) std::printf("  rdfind failed\n");
      rdfindGroups = fromRdfind(results);
    }
    if (haveJdupes) {
      start = Clock::now();
      auto out = run({"jdupes", "-r", "-q", "-X", "size+=:1M", root});
      jdupesTime = seconds(start);
      if (!out) std::printf("  jdupes failed\n");
      jdupesGroups = fromJdupes(out.value_or(""));
    }
    if (round == 0) continue;
    scanTimes.push_back(scanTime);
    finderTimes.push_back(finderTime);
    rdfindTimes.push_back(rdfindTime);
    jdupesTimes.push_back(jdupesTime);
  }

  // SHA-256 through hashFile on one large file already in the page cache.
  std::string bigFile;
  for (const auto& group : tree.expected)
    for (const auto& path : group)
      if (path.find("big-same") != std::string::npos) bigFile = path;
  std::vector<double> hashTimes;
  for (int i = 0; i < 5; ++i) {
    start = Clock::now();
    hashFile(bigFile);
    hashTimes.push_back(seconds(start));
  }
  const double hashRate = (64.0 * (1 << 20) / 1e6) / median(hashTimes);

  const double scanTime = median(scanTimes), finderTime = median(finderTimes);
  std::printf("\nagreement (groups of files of at least 1 MiB):\n");
  std::printf("  findDuplicates %zu groups: %s the generated ones\n", finderGroups.size(),
              finderGroups == tree.expected ? "same as" : "DIFFERENT FROM");
  if (haveRdfind)
    std::printf("  rdfind         %zu groups: %s findDuplicates\n", rdfindGroups.size(),
                rdfindGroups == finderGroups ? "same as" : "DIFFERENT FROM");
  if (haveJdupes)
    std::printf("  jdupes         %zu groups: %s findDuplicates\n", jdupesGroups.size(),
                jdupesGroups == finderGroups ? "same as" : "DIFFERENT FROM");

  std::printf("\nmedian of %d warm rounds:\n", rounds);
  std::printf("  scan (Scanner::walk)          %8.3f s\n", scanTime);
  std::printf("  findDuplicates over the scan  %8.3f s   (%.0f MB hashed, %.0f MB/s)\n", finderTime,
              static_cast<double>(tree.hashedBytes) / 1e6, static_cast<double>(tree.hashedBytes) / 1e6 / finderTime);
  std::printf("  scan + findDuplicates         %8.3f s\n", scanTime + finderTime);
  double fastest = 0;
  if (haveRdfind) {
    const double t = median(rdfindTimes);
    std::printf("  rdfind -dryrun true           %8.3f s\n", t);
    fastest = t;
  }
  if (haveJdupes) {
    const double t = median(jdupesTimes);
    std::printf("  jdupes -r -q                  %8.3f s\n", t);
    fastest = fastest > 0 ? std::min(fastest, t) : t;
  }
  std::printf("  SHA-256 (hashFile, 64 MiB cached) %.0f MB/s\n", hashRate);
  if (fastest > 0) {
    std::printf("\nratios (the faster peer's time / ours; above 1 means we are faster):\n");
    if (haveRdfind) std::printf("  rdfind / findDuplicates          %.2f\n", median(rdfindTimes) / finderTime);
    if (haveJdupes) std::printf("  jdupes / findDuplicates          %.2f\n", median(jdupesTimes) / finderTime);
    std::printf("  faster peer / findDuplicates     %.2f\n", fastest / finderTime);
    std::printf("  faster peer / (scan + find)      %.2f\n", fastest / (scanTime + finderTime));
  }

  ::unlink(rdfindResults.c_str());
  if (!keep)
    nftw(
        root.c_str(), [](const char* path, const struct stat*, int, FTW*) { return ::remove(path), 0; }, 64,
        FTW_DEPTH | FTW_PHYS);
  const bool agree = finderGroups == tree.expected && (!haveRdfind || rdfindGroups == finderGroups) &&
                     (!haveJdupes || jdupesGroups == finderGroups);
  return agree ? 0 : 1;
}
