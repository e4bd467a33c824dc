// Times Scanner::walk, on one thread and in parallel, against du, ncdu and gdu on the same trees in
// one run: a generated home folder of about a million entries, then each folder named on the command
// line (/usr when none is). Every contender runs as its own process, in alternating order round by
// round; the figures are the median wall time, its ratio to du's, entries per second and the peak
// resident memory of the process. A walk in this process then gives the memory the tree takes per
// node, and every total is checked against `du -s -x --block-size=1`.
//
//   bench_scanner [--base DIR] [--entries N] [--rounds R] [--keep] [--no-home] [FOLDER...]
//
// The home folder is generated under DIR (default $TMPDIR or /tmp) and removed afterwards. A peer that
// is not installed is left out. Targets: our walk on one thread at most 0.75 x du; in parallel at most
// 0.4 x du, faster than gdu, with a tenth of gdu's memory.

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;
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
    static const char* const exts[] = {".js", ".json", ".md",  ".txt", ".jpg", ".png", ".py",  ".c",
                                       "",    ".html", ".css", ".ts",  ".mp3", ".pdf", ".log", ".zip"};
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
  const std::vector<const char*> moduleNames = {"index", "lib",  "dist",   "src",     "package", "utils",
                                                "types", "test", "README", "LICENSE", "core",    "helpers"};
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
      {"Documents", 0.06, 30, 6, &docNames, 400},      {"Pictures", 0.04, 60, 5, &docNames, 150},
      {"Music", 0.02, 20, 8, &docNames, 100},          {"Downloads", 0.003, 40, 4, &docNames, 8},
      {".cache", 0.15, 40, 16, &cacheNames, 3000},     {".local/share", 0.05, 25, 8, &cacheNames, 2000},
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

bool installed(const std::string& program) {
  for (const char* dir : {"/usr/bin/", "/bin/", "/usr/local/bin/"})
    if (::access((dir + program).c_str(), X_OK) == 0) return true;
  return false;
}

// One run of a program with its output thrown away: wall time and peak resident memory.
struct Run {
  double seconds = 0;
  int64_t peakBytes = 0;
  bool ok = false;
};

Run timed(const std::vector<std::string>& argv, std::string* out = nullptr) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) die("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid;
  const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  Run run;
  if (error == 0) {
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      if (out) out->append(buffer, static_cast<size_t>(n));
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.seconds = seconds(Clock::now() - start);
    run.peakBytes = static_cast<int64_t>(usage.ru_maxrss) * 1024;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  ::close(pipeFds[0]);
  return run;
}

std::string selfPath();

// `bench_scanner --measure PROGRAM ARGS...`: runs the program (its output thrown away) and prints its
// wall time and peak resident memory. A fresh, small process, so that the program's peak is its own:
// a spawned child's peak starts from its parent's size.
int measureOnce(char** argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return 1;
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  const double took = seconds(Clock::now() - start);
  std::printf("%.6f %ld\n", took, usage.ru_maxrss);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

// One measured run of a contender.
Run measured(const std::vector<std::string>& argv) {
  std::vector<std::string> helper{selfPath(), "--measure"};
  helper.insert(helper.end(), argv.begin(), argv.end());
  std::string out;
  Run run = timed(helper, &out);
  double took = 0;
  long peakKiB = 0;
  run.ok = run.ok && std::sscanf(out.c_str(), "%lf %ld", &took, &peakKiB) == 2;
  run.seconds = took;
  run.peakBytes = static_cast<int64_t>(peakKiB) * 1024;
  return run;
}

std::string selfPath() {
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) die("readlink /proc/self/exe");
  return std::string(exe, static_cast<size_t>(n));
}

// The process's resident memory now and at its peak so far, from /proc/self/status.
struct Resident {
  int64_t now = 0, peak = 0;
};
Resident residentStatus() {
  Resident r;
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return r;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    long kib = 0;
    if (std::sscanf(line, "VmRSS: %ld kB", &kib) == 1) r.now = static_cast<int64_t>(kib) * 1024;
    if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) r.peak = static_cast<int64_t>(kib) * 1024;
  }
  std::fclose(f);
  return r;
}

// `bench_scanner --walk ROOT THREADS`: one scan in a fresh process; prints the root's size, the
// number of nodes and how far the process grew at its peak during the walk (in bytes).
int walkOnce(const std::string& root, unsigned threads) {
  const int64_t before = residentStatus().now;
  Scanner scanner(std::chrono::duration<double>(0.08), threads);
  auto result = scanner.walk(root, {}, [](int64_t, int64_t, const std::string&) {});
  if (!result) return 1;
  std::printf("%" PRId64 " %zu %" PRId64 "\n", get(result->root->size), result->tree->nodeCount(),
              residentStatus().peak - before);
  return 0;
}

// The peak growth of a fresh process during a walk, per node of the tree (median of `rounds`).
double peakBytesPerNode(const std::string& root, unsigned threads, int rounds) {
  std::vector<double> perNode;
  for (int r = 0; r < rounds; ++r) {
    std::string out;
    if (!timed({selfPath(), "--walk", root, std::to_string(threads)}, &out).ok) return -1;
    long long size = 0, growth = 0;
    size_t nodes = 0;
    if (std::sscanf(out.c_str(), "%lld %zu %lld", &size, &nodes, &growth) != 3 || nodes == 0) return -1;
    perNode.push_back(static_cast<double>(growth) / static_cast<double>(nodes));
  }
  return median(perNode);
}

struct Contender {
  std::string name;
  std::vector<std::string> argv;
  std::vector<double> times;
  int64_t peakBytes = 0;
  bool failed = false;
};

void compare(const std::string& label, const std::string& root, int rounds) {
  std::printf("\n== %s: %s\n", label.c_str(), root.c_str());
  std::string duOut;
  timed({"du", "-s", "-x", "--block-size=1", root});  // warms the cache
  timed({"du", "-s", "-x", "--block-size=1", root}, &duOut);
  const int64_t duSize = std::strtoll(duOut.c_str(), nullptr, 10);

  // A walk in this process: the memory the tree takes, and the totals of both of our walks.
  const int64_t residentBefore = residentBytes();
  Scanner scanner(std::chrono::duration<double>(0.08), 1);
  auto first = scanner.walk(root, {}, nullptr);
  if (!first) die("walk " + root);
  const int64_t residentGrowth = residentBytes() - residentBefore;
  Scanner parallelScanner;
  auto parallel = parallelScanner.walk(root, {}, nullptr);
  if (!parallel) die("parallel walk " + root);
  const int64_t nodes = static_cast<int64_t>(first->tree->nodeCount());
  const int64_t held = static_cast<int64_t>(first->tree->memoryBytes() + first->files.capacity() * sizeof(FileNode*));
  const int64_t entries =
      first->totalFiles + first->totalDirectories + first->hardLinksSkipped + first->unreadableDirectories;
  const int64_t ourSize = get(first->root->size), parallelSize = get(parallel->root->size);
  const bool same = ourSize == parallelSize && first->totalFiles == parallel->totalFiles &&
                    first->hardLinksSkipped == parallel->hardLinksSkipped &&
                    nodes == static_cast<int64_t>(parallel->tree->nodeCount());
  std::printf("entries %" PRId64 " (files %" PRId64 ", folders %" PRId64 ", hard links skipped %" PRId64
              ", unreadable %" PRId64 "); nodes %" PRId64 " (file nodes %zu)\n",
              entries, first->totalFiles, first->totalDirectories, first->hardLinksSkipped,
              first->unreadableDirectories, nodes, first->files.size());
  std::printf("size: ours %" PRId64 ", ours in parallel %" PRId64 ", du %" PRId64 " (%s)\n", ourSize, parallelSize,
              duSize, ourSize == duSize && same ? "equal" : "DIFFERENT");
  std::printf(
      "tree memory: %.1f MB = %.1f bytes/node (nodes %zu bytes each, names, file list); resident growth "
      "%.1f MB = %.1f bytes/node\n",
      static_cast<double>(held) / 1e6, static_cast<double>(held) / static_cast<double>(nodes), sizeof(FileNode),
      static_cast<double>(residentGrowth) / 1e6, static_cast<double>(residentGrowth) / static_cast<double>(nodes));
  first.reset();
  parallel.reset();

  const std::string self = selfPath();
  std::vector<Contender> contenders = {
      {"ours, 1 thread", {self, "--walk", root, "1"}, {}, 0, false},
      {"ours, parallel", {self, "--walk", root, "0"}, {}, 0, false},
      {"du -s -x", {"du", "-s", "-x", root}, {}, 0, false},
  };
  if (installed("ncdu"))
    contenders.push_back({"ncdu -0 -o /dev/null", {"ncdu", "-0", "-o", "/dev/null", root}, {}, 0, false});
  else
    std::printf("(ncdu is not installed: left out)\n");
  if (installed("gdu"))
    contenders.push_back({"gdu -n -p", {"gdu", "-n", "-p", root}, {}, 0, false});
  else
    std::printf("(gdu is not installed: left out)\n");

  for (int r = 0; r < rounds; ++r) {
    // Each round starts with another contender, so none always runs on another's warm-up.
    for (size_t i = 0; i < contenders.size(); ++i) {
      Contender& c = contenders[(i + static_cast<size_t>(r)) % contenders.size()];
      const Run run = measured(c.argv);
      c.failed = c.failed || !run.ok;
      c.times.push_back(run.seconds);
      c.peakBytes = std::max(c.peakBytes, run.peakBytes);
    }
  }
  // Peak memory: how far a fresh process grows during a walk, per node (target: at most 130 bytes
  // per node in parallel; the tree itself takes the "tree memory" above).
  std::printf("peak growth during a walk, per node (median of %d): 1 thread %.1f bytes, parallel %.1f bytes\n", rounds,
              peakBytesPerNode(root, 1, rounds), peakBytesPerNode(root, 0, rounds));
  const double du = median(contenders[2].times);
  std::printf("%-22s %10s %9s %14s %12s   (%d rounds)\n", "", "median s", "x du", "entries/s", "peak MB", rounds);
  for (const Contender& c : contenders) {
    const double t = median(c.times);
    std::printf("%-22s %10.3f %9.3f %14.0f %12.1f%s\n", c.name.c_str(), t, t / du, static_cast<double>(entries) / t,
                static_cast<double>(c.peakBytes) / 1e6, c.failed ? "  (FAILED)" : "");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--walk")
    return walkOnce(argv[2], static_cast<unsigned>(std::atoi(argv[3])));
  if (argc >= 3 && std::string(argv[1]) == "--measure") return measureOnce(argv + 2);
  std::string base;
  int64_t target = 1000000;
  int rounds = 5;
  bool keep = false, home = true;
  std::vector<std::string> folders;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--entries" && i + 1 < argc)
      target = std::atoll(argv[++i]);
    else if (arg == "--rounds" && i + 1 < argc)
      rounds = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--base" && i + 1 < argc)
      base = argv[++i];
    else if (arg == "--keep")
      keep = true;
    else if (arg == "--no-home")
      home = false;
    else
      folders.push_back(arg);
  }
  if (folders.empty()) folders.push_back("/usr");
  if (base.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    base = tmp && *tmp ? tmp : "/tmp";
  }
  std::printf("processors: %ld\n", ::sysconf(_SC_NPROCESSORS_ONLN));

  if (home) {
    std::string work = base + "/tolvex-bench.XXXXXX";
    if (!::mkdtemp(work.data())) die("mkdtemp in " + base);
    const std::string path = work + "/home";
    Generator gen(42);
    const auto start = Clock::now();
    generateHome(path, target, gen);
    ::sync();
    std::printf("generated %s: %" PRId64 " entries (%" PRId64 " large files, %" PRId64 " hard links, %" PRId64
                " symbolic links, %.2f GB allocated) in %.1f s\n",
                path.c_str(), gen.entries, gen.largeFiles, gen.hardLinks, gen.symlinks,
                static_cast<double>(gen.allocatedBytes) / 1e9, seconds(Clock::now() - start));
    compare("generated home folder", path, rounds);
    if (!keep) timed({"rm", "-rf", "--one-file-system", work});
  }
  for (const std::string& folder : folders) compare("folder", folder, rounds);
  return 0;
}
