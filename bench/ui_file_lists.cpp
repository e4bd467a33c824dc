// Times the Large & Old list on a generated scan of a million recorded files (no disk needed):
// building the filtered list for each kind of filter, sorting it for the table, and the whole
// round from a filter edit on the real screen to the rows on screen, with the longest time the UI
// thread was busy in one go during that round (what the user would feel as a stall). Prints medians.
//
//   bench_ui_file_lists [--files N] [--rounds R] [--seed S]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/theme/Appearance.h"
#include "model/FileNode.h"
#include "views/analysis/FilesTable.h"
#include "views/analysis/LargeFilesView.h"
#include "views/analysis/NodeTable.h"
#include "views/analysis/logic/CsvExport.h"
#include "views/analysis/logic/FileLists.h"
#include "views/analysis/logic/NodeSort.h"

using namespace tolvex;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kNow = 1.8e9;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Folders three levels deep under "/Users/anna", each holding a run of files with names, kinds,
// sizes (512 KiB up to a few GB, mostly small) and ages (up to five years) spread like a home's.
ScanResult generate(size_t files, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  const char* extensions[] = {"jpg", "mov", "pdf", "mp3", "zip", "dmg", "swift", "bin", "heic", "docx"};
  const StorageBucket buckets[] = {StorageBucket::images,  StorageBucket::video,    StorageBucket::documents,
                                   StorageBucket::audio,   StorageBucket::archives, StorageBucket::developer,
                                   StorageBucket::appData, StorageBucket::other};
  ScanResult scan;
  scan.tree = std::make_shared<FileTree>();
  FileTree& tree = *scan.tree;
  scan.root = tree.make("/Users/anna", nullptr, true, false, FileKind::other, StorageBucket::other);
  scan.rootPath = "/Users/anna";
  scan.files.reserve(files);
  size_t made = 0;
  for (int top = 0; made < files; ++top) {
    FileNode* a =
        tree.make("Area" + std::to_string(top), scan.root, true, false, FileKind::other, StorageBucket::other);
    for (int mid = 0; mid < 30 && made < files; ++mid) {
      const StorageBucket bucket = buckets[random() % std::size(buckets)];
      FileNode* b = tree.make("Project " + std::to_string(mid), a, true, false, FileKind::other, bucket);
      for (int leaf = 0; leaf < 10 && made < files; ++leaf) {
        FileNode* c = tree.make("folder" + std::to_string(leaf), b, true, false, FileKind::other, bucket);
        const int count = 1 + static_cast<int>(unit(random) * 60);
        for (int i = 0; i < count && made < files; ++i, ++made) {
          std::string name = "File " + std::to_string(made) + "." + extensions[random() % std::size(extensions)];
          const FileKind kind = kindForFileName(name);
          FileNode* f = tree.make(std::move(name), c, false, false, kind, bucket);
          const int64_t size =
              static_cast<int64_t>(524288.0 * std::pow(8192.0, unit(random) * unit(random) * unit(random)));
          set(f->size, size);
          set(f->logicalSize, size);
          set(f->fileCount, 1);
          set(f->modified, kNow - unit(random) * 5 * 365 * 86400);
          set(f->accessed, get(f->modified));
          scan.files.push_back(f);
          scan.kindTotals[kind] += size;
          scan.kindCounts[kind] += 1;
        }
      }
    }
  }
  scan.totalFiles = static_cast<int64_t>(files);
  return scan;
}

struct Named {
  const char* name;
  FileFilter filter;
};

std::vector<Named> filters() {
  std::vector<Named> out;
  out.push_back({"empty filter", {}});
  FileFilter f;
  f.minSize = 104'857'600;
  out.push_back({"> 100 MB", f});
  f = {};
  f.modifiedOlderThanDays = 365;
  out.push_back({"> 1 year", f});
  f = {};
  f.kinds = {FileKind::video, FileKind::image};
  out.push_back({"two kinds", f});
  f = {};
  f.query = "file 12";
  out.push_back({"name search", f});
  f = {};
  f.query = "project 7/folder3";
  out.push_back({"path search", f});
  f = {};
  f.pathPrefix = "/Users/anna/Area3/";
  out.push_back({"folder prefix", f});
  return out;
}

// Runs the event loop until `done`, returning the longest single pass of the loop in ms.
double runUntil(const std::function<bool()>& done) {
  double longest = 0;
  while (!done()) {
    const auto t0 = Clock::now();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    longest = std::max(longest, ms(Clock::now() - t0));
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return longest;
}

}  // namespace

int main(int argc, char** argv) {
  size_t files = 1'000'000;
  int rounds = 11;
  uint64_t seed = 7;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--files") && i + 1 < argc)
      files = std::strtoull(argv[++i], nullptr, 10);
    else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
      rounds = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc)
      seed = std::strtoull(argv[++i], nullptr, 10);
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("TOLVEX_NO_ANIMATIONS", "1", 1);
  QTemporaryDir home;
  setenv("HOME", QDir(home.path()).absolutePath().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  Appearance::apply(AppAppearance::light);

  const auto built = Clock::now();
  const ScanResult scan = generate(files, seed);
  std::printf("scan: %zu recorded files, %zu nodes, generated in %.0f ms\n", scan.files.size(), scan.tree->nodeCount(),
              ms(Clock::now() - built));

  // The list alone, per filter.
  for (const Named& n : filters()) {
    std::vector<double> times;
    size_t count = 0;
    for (int r = 0; r < rounds; ++r) {
      const auto t0 = Clock::now();
      const FileList list = filteredFiles(scan.files, n.filter, kNow);
      times.push_back(ms(Clock::now() - t0));
      count = list.nodes.size();
    }
    std::printf("list, %-14s %8zu files  %7.2f ms\n", n.name, count, median(times));
  }
  {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
      const auto t0 = Clock::now();
      filteredFiles(scan.files, FileFilter{}, kNow, FileKind::video);
      times.push_back(ms(Clock::now() - t0));
    }
    std::printf("list, %-14s                %7.2f ms\n", "one kind", median(times));
  }
  // The table's sort of the whole list.
  for (const auto& [label, order] : std::vector<std::pair<const char*, SortOrder>>{
           {"size", defaultSortOrder()},
           {"name", {{NodeKey::name, true}, {NodeKey::size, false}}},
           {"modified", {{NodeKey::modified, false}, {NodeKey::size, false}}}}) {
    std::vector<double> times;
    for (int r = 0; r < std::max(3, rounds / 3); ++r) {
      std::vector<FileNode*> rows = scan.files;
      const auto t0 = Clock::now();
      sortNodes(rows, order);
      times.push_back(ms(Clock::now() - t0));
    }
    std::printf("sort by %-8s %7.2f ms (off the UI thread above %zu rows)\n", label, median(times),
                FilesTable::kBackgroundRows);
  }

  // The real screen: an edit of the filter, until the rows are on screen.
  AppEnvironment env = AppEnvironment::forFolders(home.path().toStdString(), home.path().toStdString() + "/app",
                                                  home.path() + QStringLiteral("/Tolvex.conf"));
  env.clock = [] { return kNow; };
  env.accessProbe = [] { return true; };
  env.readVolume = [] { return std::optional<VolumeInfo>(VolumeInfo{"Disk", 1LL << 40, 1LL << 39, 1LL << 39}); };
  env.readArchive = [](const std::string&) { return std::optional<std::pair<ScanResult, ScanTarget>>(); };
  env.writeArchive = [](const ScanResult&, const ScanTarget&, const std::string&) {};
  env.walk = [&scan](Scanner&, const std::string&, const std::set<std::string>&, const Scanner::Progress&) {
    return std::optional<ScanResult>(scan);
  };
  AppState state(env);
  runUntil([&] { return !state.isRestoringScan(); });
  state.startScan(ScanTarget::folder("/Users/anna"));
  runUntil([&] { return state.scan().has_value(); });
  // The table alone: the UI thread's share of taking a new list of every file (the call itself), and
  // the longest stall until its sorted rows are shown.
  {
    FilesTable table(state, true);
    table.resize(1500, 800);
    table.show();
    std::vector<double> takes, stalls;
    const auto every = std::make_shared<const std::vector<FileNode*>>(scan.files);
    const auto shorter = std::make_shared<const std::vector<FileNode*>>(scan.files.begin() + 1, scan.files.end());
    for (int r = 0; r < std::max(3, rounds / 2); ++r) {
      const auto t0 = Clock::now();
      table.setSharedNodes(r % 2 ? shorter : every);
      takes.push_back(ms(Clock::now() - t0));
      stalls.push_back(runUntil([&] { return !table.isBusy(); }));
    }
    std::printf("table, a new list of every file: %.1f ms in the call, then longest stall %.1f ms\n", median(takes),
                median(stalls));
  }
  LargeFilesView screen(state);
  screen.resize(1500, 950);
  screen.show();
  runUntil([&] { return !screen.isWorking() && !screen.list().nodes.empty(); });

  std::vector<double> rounds_, stalls;
  const std::vector<Named> edits = filters();
  for (int r = 0; r < rounds; ++r) {
    for (const Named& n : edits) {
      const auto t0 = Clock::now();
      state.setLargeFilter(n.filter);
      const double stall = runUntil([&] { return !screen.isWorking() && screen.filterBar()->filter() == n.filter; });
      rounds_.push_back(ms(Clock::now() - t0));
      stalls.push_back(stall);
    }
  }
  std::sort(stalls.begin(), stalls.end());
  std::printf(
      "screen, filter edit to sorted rows: median %.1f ms, slowest %.1f ms; longest UI-thread stall: "
      "median %.1f ms, worst %.1f ms (%zu edits)\n",
      median(rounds_), *std::max_element(rounds_.begin(), rounds_.end()), median(stalls), stalls.back(),
      rounds_.size());

  // Export text of the whole list (built off the UI thread when the user exports).
  const auto t0 = Clock::now();
  const std::string text = csvText(scan.files);
  std::printf("csv text of %zu rows: %.0f ms, %.1f MB\n", scan.files.size(), ms(Clock::now() - t0), text.size() / 1e6);
  return 0;
}
