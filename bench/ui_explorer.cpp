// Times the Explorer on a generated scan tree of about a million nodes (no disk needed): the
// sunburst layout of the root with five rings, a full paint of the map at 1200 × 800 on an image,
// building the table model of the folder with the most entries, and painting one screen of that
// table after a jump to a random row (what one step of scrolling costs). Prints medians.
//
//   bench_ui_explorer [--nodes N] [--rounds R] [--seed S]

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/theme/Appearance.h"
#include "model/FileNode.h"
#include "platform/Places.h"
#include "views/analysis/NodeTable.h"
#include "views/analysis/SunburstView.h"
#include "views/analysis/logic/NodeLists.h"
#include "views/analysis/logic/NodeSort.h"
#include "views/analysis/logic/Sunburst.h"

using namespace tolvex;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// A tree shaped like a full disk: a few top folders, mostly small folders a few levels deep, some
// wide ones (caches, mail, photo libraries) and one very wide folder; file nodes are the large files
// a scan records (512 KiB and up, sizes spread over four orders of magnitude).
struct Generated {
  FileTree tree;
  FileNode* root = nullptr;
  FileNode* widest = nullptr;
  size_t folders = 0, files = 0;
};

void generate(Generated& g, size_t target, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  const StorageBucket buckets[] = {StorageBucket::applications, StorageBucket::documents, StorageBucket::images,
                                   StorageBucket::video,        StorageBucket::developer, StorageBucket::appData,
                                   StorageBucket::system,       StorageBucket::other};
  auto fileSize = [&] { return static_cast<int64_t>(524288.0 * std::pow(4096.0, unit(random) * unit(random))); };
  g.root = g.tree.make("/", nullptr, true, false, FileKind::other, StorageBucket::other);
  std::vector<std::pair<FileNode*, int>> queue{{g.root, 0}};
  size_t count = 1;
  // The widest folder: a tenth of the target, all files.
  FileNode* wide = g.tree.make("Mail", g.root, true, false, FileKind::other, StorageBucket::appData);
  ++count;
  for (size_t i = 0; i < target / 10; ++i) {
    FileNode* f = g.tree.make("message-" + std::to_string(i) + ".emlx", wide, false, false, FileKind::document,
                              StorageBucket::appData);
    set(f->size, fileSize());
    ++count;
  }
  g.widest = wide;
  for (size_t head = 0; head < queue.size() && count < target; ++head) {
    auto [folder, depth] = queue[head];
    const double r = unit(random);
    const int subfolders = depth < 2 ? 8 + static_cast<int>(r * 8)
                                     : (r < 0.6    ? 0
                                        : r < 0.97 ? 1 + static_cast<int>(r * 9)
                                                   : 40);
    const int files = r < 0.02 ? 400 : static_cast<int>(unit(random) * 12);
    for (int i = 0; i < subfolders && count < target; ++i) {
      FileNode* sub = g.tree.make("folder" + std::to_string(i), folder, true, false, FileKind::other,
                                  buckets[random() % std::size(buckets)]);
      ++count;
      queue.emplace_back(sub, depth + 1);
    }
    for (int i = 0; i < files && count < target; ++i) {
      FileNode* f = g.tree.make("file" + std::to_string(i) + ".bin", folder, false, false, FileKind::other,
                                buckets[random() % std::size(buckets)]);
      set(f->size, fileSize());
      ++count;
    }
    if (count < target && head + 1 == queue.size()) queue.emplace_back(g.root, 0);  // keep growing
  }
  // Folder sizes and counts from the bottom up (children always come after their parents).
  std::vector<FileNode*> order{g.root};
  for (size_t i = 0; i < order.size(); ++i)
    for (FileNode* c : order[i]->children) order.push_back(c);
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    FileNode* n = *it;
    if (n->isDirectory) {
      ++g.folders;
      add(n->size, 4096);
    } else {
      ++g.files;
      set(n->fileCount, 1);
    }
    if (n->parent) {
      add(n->parent->size, get(n->size));
      add(n->parent->fileCount, get(n->fileCount));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  size_t nodes = 1'000'000;
  int rounds = 31;
  uint64_t seed = 7;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--nodes") && i + 1 < argc)
      nodes = std::strtoull(argv[++i], nullptr, 10);
    else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
      rounds = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc)
      seed = std::strtoull(argv[++i], nullptr, 10);
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("TOLVEX_NO_ANIMATIONS", "1", 1);
  QApplication app(argc, argv);
  Appearance::apply(AppAppearance::light);

  Generated g;
  const auto built = Clock::now();
  generate(g, nodes, seed);
  std::printf("tree: %zu nodes (%zu folders, %zu files) in %.0f ms; widest folder: %zu entries\n", g.tree.nodeCount(),
              g.folders, g.files, ms(Clock::now() - built), g.widest->children.size());

  // Map: layout, paint, and both together (one frame).
  const QSize mapSize(1200, 800);
  const auto geometry = sunburst::Geometry::of(mapSize.width(), mapSize.height(), 5);
  QImage image(mapSize, QImage::Format_ARGB32_Premultiplied);
  const QPalette palette = QApplication::palette();
  std::vector<double> layoutTimes, paintTimes, frameTimes;
  size_t arcCount = 0;
  for (int r = 0; r < rounds; ++r) {
    image.fill(Qt::transparent);
    const auto t0 = Clock::now();
    const auto arcs = sunburst::layout(g.root, 5);
    const auto t1 = Clock::now();
    {
      QPainter painter(&image);
      SunburstView::paint(&painter, arcs, geometry, g.root, nullptr, nullptr, 1.0, palette);
    }
    const auto t2 = Clock::now();
    arcCount = arcs.size();
    layoutTimes.push_back(ms(t1 - t0));
    paintTimes.push_back(ms(t2 - t1));
    frameTimes.push_back(ms(t2 - t0));
  }
  // Hovering: the same frame with one first-ring folder hovered (dimming walks the parent chains).
  std::vector<double> hoverTimes;
  {
    const auto arcs = sunburst::layout(g.root, 5);
    const FileNode* hovered = arcs.empty() ? nullptr : arcs.front().node;
    for (int r = 0; r < rounds; ++r) {
      image.fill(Qt::transparent);
      const auto t0 = Clock::now();
      const auto again = sunburst::layout(g.root, 5);
      QPainter painter(&image);
      SunburstView::paint(&painter, again, geometry, g.root, hovered, nullptr, 1.0, palette);
      painter.end();
      hoverTimes.push_back(ms(Clock::now() - t0));
    }
  }
  std::printf(
      "map (%zu arcs, 1200x800): layout %.2f ms, paint %.2f ms, layout+paint %.2f ms (target < 16), "
      "hovered frame %.2f ms\n",
      arcCount, median(layoutTimes), median(paintTimes), median(frameTimes), median(hoverTimes));

  // Table of the widest folder: rows (children still there), sorted by size, into the model.
  const SafetyContext safety = SafetyContext::forPlaces(Places::current());
  NodeTable table({{NodeColumn::name, "Name", NodeKey::name, 220, 340},
                   {NodeColumn::size, "Size", NodeKey::size, 150, 200},
                   {NodeColumn::percent, "%", NodeKey::size, 50, 50},
                   {NodeColumn::files, "Files", NodeKey::fileCount, 60, 80},
                   {NodeColumn::category, "Category", NodeKey::category, 90, 140},
                   {NodeColumn::modified, "Modified", NodeKey::modified, 80, 100},
                   {NodeColumn::risk, "Risk", std::nullopt, 80, 90}},
                  30, safety);
  table.resize(1100, 600);
  std::vector<double> modelTimes, nameSortTimes, scrollTimes;
  for (int r = 0; r < std::max(3, rounds / 3); ++r) {
    const auto t0 = Clock::now();
    std::vector<FileNode*> rows = shownChildren(*g.widest);
    sortNodes(rows, defaultSortOrder());
    table.nodeModel()->resetRows(std::move(rows));
    modelTimes.push_back(ms(Clock::now() - t0));

    std::vector<FileNode*> byName = shownChildren(*g.widest);
    const auto t1 = Clock::now();
    sortNodes(byName, {{NodeKey::name, true}, {NodeKey::size, false}});
    nameSortTimes.push_back(ms(Clock::now() - t1));
  }
  table.nodeModel()->setScale(get(g.widest->size), get(g.widest->size));
  QImage screen(table.size(), QImage::Format_ARGB32_Premultiplied);
  std::mt19937 jumps(seed);
  for (int r = 0; r < rounds; ++r) {
    table.scrollTo(table.model()->index(static_cast<int>(jumps() % table.model()->rowCount()), 0));
    const auto t0 = Clock::now();
    table.render(&screen);
    scrollTimes.push_back(ms(Clock::now() - t0));
  }
  std::printf(
      "table of %d rows: model %.2f ms (rows, size sort, reset), name sort %.2f ms, one screen after a jump %.2f ms\n",
      table.model()->rowCount(), median(modelTimes), median(nameSortTimes), median(scrollTimes));
  return 0;
}
