#include "views/analysis/logic/NodeSort.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ParallelFor.h"

namespace tolvex {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
unsigned char folded(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// A date that is not a number sorts as the earliest, so the order stays a strict weak order.
double orderable(double value) { return std::isnan(value) ? -std::numeric_limits<double>::infinity() : value; }

template <typename T>
int threeWay(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

SortOrder defaultSortOrder() { return {NodeComparator{NodeKey::size, false}}; }

int naturalCompare(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      // Compare the two numbers by value: skip leading zeros, then the longer run is larger, then
      // the first differing digit decides.
      size_t si = i, sj = j;
      while (si < a.size() && a[si] == '0') ++si;
      while (sj < b.size() && b[sj] == '0') ++sj;
      size_t ei = si, ej = sj;
      while (ei < a.size() && isDigit(a[ei])) ++ei;
      while (ej < b.size() && isDigit(b[ej])) ++ej;
      if (ei - si != ej - sj) return ei - si < ej - sj ? -1 : 1;
      for (size_t k = 0; k < ei - si; ++k)
        if (a[si + k] != b[sj + k]) return a[si + k] < b[sj + k] ? -1 : 1;
      i = ei;
      j = ej;
      continue;
    }
    const unsigned char ca = folded(a[i]), cb = folded(b[j]);
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i;
    ++j;
  }
  return threeWay(a.size() - i, b.size() - j);
}

int compareNodes(const FileNode& a, const FileNode& b, NodeKey key) {
  switch (key) {
    case NodeKey::name: return naturalCompare(a.name, b.name);
    case NodeKey::size: return threeWay(get(a.size), get(b.size));
    case NodeKey::fileCount: return threeWay(get(a.fileCount), get(b.fileCount));
    case NodeKey::category: {
      const StorageBucket ba = get(a.bucket), bb = get(b.bucket);
      return ba == bb ? 0 : naturalCompare(title(ba), title(bb));
    }
    case NodeKey::kind: return a.kind == b.kind ? 0 : naturalCompare(title(a.kind), title(b.kind));
    case NodeKey::modified: return threeWay(orderable(get(a.modified)), orderable(get(b.modified)));
    case NodeKey::accessed: return threeWay(orderable(get(a.accessed)), orderable(get(b.accessed)));
  }
  return 0;
}

namespace {

// The figure a numeric key compares, as a double (sizes and counts stay exact below 2^53).
bool numericKey(NodeKey key) {
  return key == NodeKey::size || key == NodeKey::fileCount || key == NodeKey::modified || key == NodeKey::accessed;
}

double keyValue(const FileNode& n, NodeKey key) {
  switch (key) {
    case NodeKey::size: return static_cast<double>(get(n.size));
    case NodeKey::fileCount: return static_cast<double>(get(n.fileCount));
    case NodeKey::modified: return orderable(get(n.modified));
    case NodeKey::accessed: return orderable(get(n.accessed));
    default: return 0;
  }
}

constexpr unsigned kMostParts = 4;

// A stable sort that sorts a long range in a few parts at once and then merges them (merging keeps
// equal elements in order, so the result is the same as one stable sort).
template <typename Iterator, typename Less>
void stableSort(Iterator begin, Iterator end, Less less, size_t partSize) {
  const ptrdiff_t count = end - begin;
  const ptrdiff_t parts = std::min<ptrdiff_t>({count / static_cast<ptrdiff_t>(std::max<size_t>(partSize, 1)),
                                               kMostParts, static_cast<ptrdiff_t>(usableProcessors())});
  if (parts <= 1) {
    std::stable_sort(begin, end, less);
    return;
  }
  std::vector<Iterator> bounds;
  for (ptrdiff_t part = 0; part <= parts; ++part) bounds.push_back(begin + count * part / parts);
  parallelFor(static_cast<size_t>(parts), kMostParts,
              [&](size_t part) { std::stable_sort(bounds[part], bounds[part + 1], less); });
  for (ptrdiff_t part = 1; part < parts; ++part) std::inplace_merge(begin, bounds[part], bounds[part + 1], less);
}

}  // namespace

void sortNodes(std::vector<FileNode*>& nodes, const SortOrder& order, size_t partSize) {
  if (order.empty()) return;
  auto tieBreak = [&order](const FileNode* a, const FileNode* b, size_t from) {
    for (size_t i = from; i < order.size(); ++i) {
      const int r = compareNodes(*a, *b, order[i].key);
      if (r != 0) return order[i].ascending ? r < 0 : r > 0;
    }
    return false;
  };
  const NodeComparator first = order.front();
  if (!numericKey(first.key)) {
    stableSort(
        nodes.begin(), nodes.end(), [&](const FileNode* a, const FileNode* b) { return tieBreak(a, b, 0); }, partSize);
    return;
  }
  // A numeric first key is read once per node into a side list, so most comparisons stay in one
  // compact array instead of visiting two nodes each (a large folder's nodes do not fit the cache).
  // Sizes above 2^53 bytes would lose precision as doubles; no volume holds that much.
  std::vector<std::pair<double, FileNode*>> keyed;
  keyed.reserve(nodes.size());
  for (FileNode* n : nodes) keyed.emplace_back(keyValue(*n, first.key), n);
  stableSort(
      keyed.begin(), keyed.end(),
      [&](const auto& a, const auto& b) {
        if (a.first != b.first) return first.ascending ? a.first < b.first : a.first > b.first;
        return tieBreak(a.second, b.second, 1);
      },
      partSize);
  for (size_t i = 0; i < nodes.size(); ++i) nodes[i] = keyed[i].second;
}

bool startsAscending(NodeKey key) { return key == NodeKey::name || key == NodeKey::category || key == NodeKey::kind; }

SortOrder clickedHeader(const SortOrder& order, NodeKey key) {
  SortOrder out = order;
  if (!out.empty() && out.front().key == key) {
    out.front().ascending = !out.front().ascending;
    return out;
  }
  std::erase_if(out, [key](const NodeComparator& c) { return c.key == key; });
  out.insert(out.begin(), NodeComparator{key, startsAscending(key)});
  return out;
}

}  // namespace tolvex
