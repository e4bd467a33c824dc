// Times a start of the application with a saved scan of about a million nodes: from the moment the
// process is started until the restored scan is applied and the window has handled what that
// changed (offscreen). Each start is a fresh process with its own temporary home and data folders;
// the figures are the median and the slowest of the rounds, and the CPU time the process took.
//
//   bench_ui_start [--nodes N] [--rounds R]
//
// Target: the restored scan on screen within 0.3 s of the start.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "GeneratedScan.h"
#include "app/AppEnvironment.h"
#include "app/AppState.h"
#include "shell/TolvexApp.h"
#include "shell/MainWindow.h"
#include "model/ScanArchive.h"

extern char** environ;

using namespace tolvex;
using Clock = std::chrono::steady_clock;

namespace {

// `bench_ui_start --start`: starts the application as main() does and prints "ready" once the
// restored scan is applied and the events it caused are handled.
int startOnce(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  TolvexApp tolvex;
  tolvex.window().show();
  while (!tolvex.state().scan()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QCoreApplication::processEvents();
  std::printf("ready %zu\n", tolvex.state().scan()->tree->nodeCount());
  std::fflush(stdout);
  return 0;
}

struct Start {
  double seconds = 0, cpu = 0;
  bool ok = false;
};

// One start in a fresh process: the time until it says "ready", and its CPU time.
Start timedStart(const std::string& self) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  char* args[] = {const_cast<char*>(self.c_str()), const_cast<char*>("--start"), nullptr};
  const auto t0 = Clock::now();
  pid_t pid;
  const int error = posix_spawn(&pid, self.c_str(), &actions, nullptr, args, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  Start start;
  if (error != 0) return start;
  char line[64] = {};
  const ssize_t n = ::read(fds[0], line, sizeof line - 1);
  start.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  start.ok = n > 0 && std::strncmp(line, "ready", 5) == 0;
  ::close(fds[0]);
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  start.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return start;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && !std::strcmp(argv[1], "--start")) return startOnce(argc, argv);
  size_t nodes = 1'000'000;
  int rounds = 7;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--nodes") && i + 1 < argc)
      nodes = std::strtoull(argv[++i], nullptr, 10);
    else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
      rounds = std::max(1, std::atoi(argv[++i]));
  }
  char base[] = "/tmp/tolvex-bench-start.XXXXXX";
  if (!::mkdtemp(base)) return 1;
  const std::string home = base;
  for (const char* sub : {"/data", "/config", "/cache", "/runtime"}) ::mkdir((home + sub).c_str(), 0700);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("TOLVEX_NO_ANIMATIONS", "1", 1);

  const AppEnvironment env = AppEnvironment::standard();
  const std::string folder = env.appFolder;
  ::mkdir(folder.c_str(), 0700);
  const ScanResult scan = bench::generatedScan(nodes);
  writeScanArchive(scan, ScanTarget::wholeDisk(), env.archivePath());
  std::printf("saved scan: %zu nodes in %s\n", scan.tree->nodeCount(), env.archivePath().c_str());

  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return 1;
  const std::string self(exe, static_cast<size_t>(n));
  std::vector<double> times, cpu;
  bool ok = true;
  for (int r = 0; r < rounds; ++r) {
    const Start start = timedStart(self);
    ok = ok && start.ok;
    times.push_back(start.seconds);
    cpu.push_back(start.cpu);
  }
  std::printf(
      "start to the restored scan applied: median %.3f s, slowest %.3f s; CPU time median %.3f s (%d starts)%s\n",
      median(times), *std::max_element(times.begin(), times.end()), median(cpu), rounds,
      ok ? "" : "  (A START FAILED)");
  std::printf("target: within 0.3 s: %s\n", median(times) <= 0.3 ? "met" : "MISSED");
  std::filesystem::remove_all(home);
  return ok ? 0 : 1;
}
