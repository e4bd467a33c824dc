// Times Scanner::walk against `du -s -x --block-size=1` on the same trees in one run: a generated
// home folder of about a million entries, then /usr. Prints the ratio of the median times
// (ours / du), entries per second, peak resident memory and the memory per node of the tree.
//
//   bench_scanner [base-folder] [--entries N] [--rounds R] [--keep] [--no-usr]
//
// The home folder is generated under base-folder (default $TMPDIR or /tmp) and removed afterwards.

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "model/Scanner.h"
#include "platform/Process.h"


using namespace tolvex;
using Clock = std::chrono::steady_clock;

namespace {

[[noreturn]] void die(const std::string& what) {
  std::fprintf(stderr, "bench_scanner: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

// ---------------------------------------------------------------------------------------------
// The generated home folder

class Generator {
 public:
  explicit Generator(uint64_t seed) : random_(seed) {}

  int64_t entries = 0, largeFiles = 0, hardLinks = 0, symlinks = 0, allocatedBytes = 0;

  int mkdirAt(int parent, const std::string& name) {
    if (::mkdirat(parent, name.c_str(), 0755) != 0 && errno != EEXIST) die("mkdir " + name);
    int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) die("open " + name);
    ++entries;
    return fd;
  }

  // A file of the usual kind: most are small (many sparse, some with a few real blocks); one in
  // `largeEvery` is large (0.5 to 8 MB, allocated with fallocate).
  void file(int dir, const std::string& name, int largeEvery) {
    int fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) die("create " + name);
    const uint64_t roll = random_();
    if (largeEvery > 0 && roll % static_cast<uint64_t>(largeEvery) == 0) {
      const int64_t bytes = 524288 + static_cast<int64_t>((roll >> 20) % (15 * 524288));
      if (::fallocate(fd, 0, 0, bytes) != 0) die("fallocate " + name);
      allocatedBytes += bytes;
      ++largeFiles;
    } else if (roll % 4 == 1) {
      const int64_t bytes = 4096 * static_cast<int64_t>(1 + (roll >> 8) % 4);
      if (::fallocate(fd, 0, 0, bytes) != 0) die("fallocate " + name);
      allocatedBytes += bytes;
    } else {
      if (::ftruncate(fd, static_cast<off_t>(1 + (roll >> 8) % 8000)) != 0) die("truncate " + name);
    }
    ::close(fd);
    ++entries;
  }

  void link(const std::string& target, int dir, const std::string& name) {
    if (::linkat(AT_FDCWD, target.c_str(), dir, name.c_str(), 0) != 0) die("link " + name);
    ++entries;
    ++hardLinks;
  }

  void symlink(const std::string& target, int dir, const std::string& name) {
    if (::symlinkat(target.c_str(), dir, name.c_str()) != 0) die("symlink " + name);
    ++entries;
    ++symlinks;
  }

  // Fills a folder with about `budget` entries: `perFolder` files here, the rest spread over
  // `fanout` subfolders.
  void fill(int dir, const std::string& path, int64_t budget, int perFolder, int fanout,
            const std::vector<const char*>& names, int largeEvery) {
    const int64_t here = std::min<int64_t>(budget, perFolder);
    for (int64_t i = 0; i < here; ++i)
      file(dir, std::string(names[random_() % names.size()]) + "-" + std::to_string(i) + ext(), largeEvery);
    budget -= here;
    if (budget <= 0) return;
    // Each subfolder gets at least a folder's worth of files, so that no empty folders pile up.
    const int64_t folders = std::max<int64_t>(1, std::min<int64_t>(fanout, budget / (perFolder + 1)));
    const int64_t share = (budget - folders) / folders;
    for (int64_t f = 0; f < folders; ++f) {
      const std::string name = std::string(names[random_() % names.size()]) + std::to_string(f);
      int sub = mkdirAt(dir, name);
      const int64_t extra = f == 0 ? (budget - folders) - share * folders : 0;
      fill(sub, path + "/" + name, share + extra, perFolder, fanout, names, largeEvery);
      ::close(sub);
    }
  }

  std::string ext() {
    static const char* const exts[] = {".js", ".json", ".md", ".txt", ".jpg", ".png", ".py", ".c", "",
                                       ".html", ".css", ".ts", ".mp3", ".pdf", ".log", ".zip"};
    return exts[random_() % (sizeof exts / sizeof exts[0])];
  }

  uint64_t roll() { return random_(); }

 private:
  std::mt19937_64 random_;
};

// A home folder of about `target` entries.
int64_t generateHome(const std::string& home, int64_t target, Generator& gen) {
  if (::mkdir(home.c_str(), 0755) != 0) die("mkdir " + home);
  int root = ::open(home.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const std::vector<const char*> docNames = {"report", "notes", "draft", "scan", "invoice", "photo", "IMG", "song"};
  const std::vector<const char*> moduleNames = {"index", "lib", "dist", "src", "package", "utils", "types", "test",
                                                "README", "LICENSE", "core", "helpers"};
  const std::vector<const char*> cacheNames = {"a0", "b1", "c2", "d3", "e4", "f5", "entry", "blob"};

  auto share = [&](double part) { return static_cast<int64_t>(static_cast<double>(target) * part); };
  struct Area {
    const char* path;
    double part;
    int perFolder, fanout;
    const std::vector<const char*>* names;
    int largeEvery;
  };
  const Area areas[] = {
      {"Documents", 0.06, 30, 6, &docNames, 400},   {"Pictures", 0.04, 60, 5, &docNames, 150},
      {"Music", 0.02, 20, 8, &docNames, 100},       {"Downloads", 0.003, 40, 4, &docNames, 8},
      {".cache", 0.15, 40, 16, &cacheNames, 3000},  {".local/share", 0.05, 25, 8, &cacheNames, 2000},
      {"Library/Caches", 0.02, 30, 8, &cacheNames, 0},
  };
  for (const Area& area : areas) {
    int dir = root;
    std::string path = home;
    for (std::string rest = area.path; !rest.empty();) {
      size_t slash = rest.find('/');
      std::string name = rest.substr(0, slash);
      int sub = gen.mkdirAt(dir, name);
      if (dir != root) ::close(dir);
      dir = sub;
      path += "/" + name;
      rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
    }
    gen.fill(dir, path, share(area.part), area.perFolder, area.fanout, *area.names, area.largeEvery);
    ::close(dir);
  }

  // A store whose files are hard-linked into the projects' node_modules, as pnpm does.
  const std::string store = home + "/.pnpm-store";
  int storeFd = gen.mkdirAt(root, ".pnpm-store");
  std::vector<std::string> storeFiles;
  for (int i = 0; i < 2000; ++i) {
    std::string name = "s" + std::to_string(i) + ".js";
    gen.file(storeFd, name, 0);
    storeFiles.push_back(store + "/" + name);
  }
  ::close(storeFd);

  // Projects, most of their entries in node_modules, one of which nests 40 levels deep.
  int projects = gen.mkdirAt(root, "Projects");
  const int64_t projectBudget = target - gen.entries;
  const int projectCount = 20;
  for (int p = 0; p < projectCount && gen.entries < target; ++p) {
    const std::string name = "app" + std::to_string(p);
    int project = gen.mkdirAt(projects, name);
    const std::string path = home + "/Projects/" + name;
    // The project's share, less its own folders, links and the deep chain.
    const int64_t share = projectBudget / projectCount - 3 - 250 - 51 - (p == 0 ? 160 : 0);
    int src = gen.mkdirAt(project, "src");
    gen.fill(src, path + "/src", share / 20, 20, 4, moduleNames, 0);
    ::close(src);
    int modules = gen.mkdirAt(project, "node_modules");
    gen.fill(modules, path + "/node_modules", share - share / 20, 8, 6, moduleNames, 5000);
    for (int l = 0; l < 250; ++l)
      gen.link(storeFiles[gen.roll() % storeFiles.size()], modules, "linked" + std::to_string(l) + ".js");
    int bin = gen.mkdirAt(modules, ".bin");
    for (int s = 0; s < 50; ++s) gen.symlink("../lib" + std::to_string(s) + "/cli.js", bin, "tool" + std::to_string(s));
    ::close(bin);
    if (p == 0) {
      int deep = modules;
      for (int level = 0; level < 40; ++level) {
        int pkg = gen.mkdirAt(deep, "pkg" + std::to_string(level));
        gen.file(pkg, "index.js", 0);
        gen.file(pkg, "package.json", 0);
        int next = gen.mkdirAt(pkg, "node_modules");
        if (deep != modules) ::close(deep);
        ::close(pkg);
        deep = next;
      }
      if (deep != modules) ::close(deep);
    }
    ::close(modules);
    ::close(project);
  }
  ::close(projects);
  ::close(root);
  return gen.entries;
}

// ---------------------------------------------------------------------------------------------
// Measuring

int runQuiet(const std::vector<std::string>& argv, std::string* out = nullptr) {
  auto result = runProcess(argv);
  if (!result) die("spawn " + argv[0]);
  if (out) out->append(result->output);
  return result->exitStatus;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int64_t residentBytes() {
  FILE* f = std::fopen("/proc/self/statm", "r");
  long pages = 0, resident = 0;
  if (f) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<int64_t>(resident) * ::sysconf(_SC_PAGESIZE);
}

// Bytes of the heap in use (allocated and not freed), wherever they live.
int64_t heapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

int64_t peakResidentBytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<int64_t>(usage.ru_maxrss) * 1024;
}

// The memory the tree holds: its block of nodes and names, and the result's list of file nodes.
int64_t countedTreeBytes(const ScanResult& result) {
  return static_cast<int64_t>(result.tree->memoryBytes() + result.files.capacity() * sizeof(FileNode*));
}

void compare(const std::string& label, const std::string& root, int rounds) {
  std::printf("\n== %s: %s\n", label.c_str(), root.c_str());
  const std::vector<std::string> du = {"du", "-s", "-x", "--block-size=1", root};

  // Warm the cache: du twice.
  std::string duOut;
  runQuiet(du);
  runQuiet(du, &duOut);
  const int64_t duSize = std::strtoll(duOut.c_str(), nullptr, 10);

  // The first walk of this process measures the memory the tree takes.
  const int64_t residentBefore = residentBytes(), heapBefore = heapInUse();
  Scanner scanner;
  auto first = scanner.walk(root, {}, nullptr);
  if (!first) die("walk " + root);
  const int64_t residentGrowth = residentBytes() - residentBefore, heapGrowth = heapInUse() - heapBefore;
  const int64_t nodes = static_cast<int64_t>(first->tree->nodeCount());
  const int64_t counted = countedTreeBytes(*first);
  const int64_t entries = first->totalFiles + first->totalDirectories + first->hardLinksSkipped +
                          first->unreadableDirectories;
  const int64_t ourSize = get(first->root->size);
  std::printf("entries %" PRId64 " (files %" PRId64 ", folders %" PRId64 ", hard links skipped %" PRId64
              ", unreadable %" PRId64 "); nodes %" PRId64 " (file nodes %zu)\n",
              entries, first->totalFiles, first->totalDirectories, first->hardLinksSkipped,
              first->unreadableDirectories, nodes, first->files.size());
  std::printf("size: ours %" PRId64 ", du %" PRId64 " (%s)\n", ourSize, duSize,
              ourSize == duSize ? "equal" : "DIFFERENT");
  first.reset();

  std::vector<double> ours, theirs;
  for (int r = 0; r < rounds; ++r) {
    // Alternate who goes first, so neither always runs on the other's warm-up.
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == (r % 2 == 0)) {
        Scanner s;
        const auto start = Clock::now();
        auto result = s.walk(root, {}, [](int64_t, int64_t, const std::string&) {});
        ours.push_back(seconds(Clock::now() - start));
        if (!result) die("walk " + root);
      } else {
        const auto start = Clock::now();
        if (runQuiet(du) < 0) die("du");
        theirs.push_back(seconds(Clock::now() - start));
      }
    }
  }
  const double ourMedian = median(ours), duMedian = median(theirs);
  std::printf("rounds %d: median ours %.3f s, du %.3f s, ratio ours/du %.3f\n", rounds, ourMedian, duMedian,
              ourMedian / duMedian);
  std::printf("entries per second: ours %.0f, du %.0f\n", static_cast<double>(entries) / ourMedian,
              static_cast<double>(entries) / duMedian);
  auto perNode = [&](int64_t bytes) { return static_cast<double>(bytes) / static_cast<double>(nodes); };
  std::printf("tree memory: heap growth %.1f MB = %.0f bytes/node; resident growth %.1f MB = %.0f bytes/node "
              "(only meaningful for the first tree of the process); counted %.1f MB = %.0f bytes/node "
              "(sizeof(FileNode) %zu)\n",
              static_cast<double>(heapGrowth) / 1e6, perNode(heapGrowth), static_cast<double>(residentGrowth) / 1e6,
              perNode(residentGrowth), static_cast<double>(counted) / 1e6, perNode(counted), sizeof(FileNode));
  std::printf("peak resident memory of this process so far: %.1f MB\n",
              static_cast<double>(peakResidentBytes()) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  std::string base;
  int64_t target = 1000000;
  int rounds = 5;
  bool keep = false, usr = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--entries" && i + 1 < argc) target = std::atoll(argv[++i]);
    else if (arg == "--rounds" && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--keep") keep = true;
    else if (arg == "--no-usr") usr = false;
    else base = arg;
  }
  if (base.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    base = tmp && *tmp ? tmp : "/tmp";
  }

  std::string work = base + "/tolvex-bench.XXXXXX";
  if (!::mkdtemp(work.data())) die("mkdtemp in " + base);
  const std::string home = work + "/home";
  Generator gen(42);
  const auto start = Clock::now();
  generateHome(home, target, gen);
  ::sync();
  std::printf("generated %s: %" PRId64 " entries (%" PRId64 " large files, %" PRId64 " hard links, %" PRId64
              " symbolic links, %.2f GB allocated) in %.1f s\n",
              home.c_str(), gen.entries, gen.largeFiles, gen.hardLinks, gen.symlinks,
              static_cast<double>(gen.allocatedBytes) / 1e9, seconds(Clock::now() - start));

  compare("generated home folder", home, rounds);
  if (!keep) {
    const auto removeStart = Clock::now();
    runQuiet({"rm", "-rf", "--one-file-system", work});
    std::printf("(removed the generated tree in %.1f s)\n", seconds(Clock::now() - removeStart));
  }
  if (usr) compare("/usr", "/usr", rounds);
  return 0;
}
