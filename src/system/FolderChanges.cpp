#include "system/FolderChanges.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <set>

#include "platform/Paths.h"

namespace tolvex {

namespace {

// Sizes come from files that anyone could have edited: differences and sums saturate instead of
// overflowing.
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

int64_t minus(int64_t a, int64_t b) {
  int64_t out;
  if (__builtin_sub_overflow(a, b, &out)) return b < 0 ? kMax : kMin;
  return out;
}

int64_t plus(int64_t a, int64_t b) {
  int64_t out;
  if (__builtin_add_overflow(a, b, &out)) return b < 0 ? kMin : kMax;
  return out;
}

int64_t magnitude(int64_t value) { return value == kMin ? kMax : (value < 0 ? -value : value); }

int64_t sizeIn(const ScanSnapshot& snapshot, const std::string& path) {
  auto it = snapshot.folders.find(path);
  return it == snapshot.folders.end() ? 0 : it->second;
}

int64_t changeOf(const std::string& path, const ScanSnapshot& latest, const ScanSnapshot& baseline) {
  return minus(sizeIn(latest, path), sizeIn(baseline, path));
}

}  // namespace

std::string FolderChange::id() const { return isRemainder ? path + "#rest" : path; }

int64_t FolderChange::change() const { return minus(after, before); }

size_t FolderChangeHash::operator()(const FolderChange& change) const {
  size_t seed = std::hash<std::string>{}(change.path);
  auto mix = [&](size_t value) { seed ^= value + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2); };
  mix(std::hash<int64_t>{}(change.before));
  mix(std::hash<int64_t>{}(change.after));
  mix(std::hash<bool>{}(change.isRemainder));
  return seed;
}

void collectFolderChanges(const std::string& folder, const FolderIndex& children, const ScanSnapshot& latest,
                          const ScanSnapshot& baseline, int64_t minimumChange, std::vector<FolderChange>& rows) {
  // One frame per folder on the way down: its significant children and the next one to visit.
  struct Frame {
    const std::string* path;
    std::vector<const std::string*> significant;
    size_t next = 0;
  };
  auto frameFor = [&](const std::string& path) {
    Frame frame{&path, {}, 0};
    if (auto it = children.find(path); it != children.end())
      for (const std::string& child : it->second)
        if (magnitude(changeOf(child, latest, baseline)) >= minimumChange) frame.significant.push_back(&child);
    return frame;
  };

  std::vector<Frame> stack;
  stack.push_back(frameFor(folder));
  while (!stack.empty()) {
    Frame& top = stack.back();
    const std::string& path = *top.path;
    if (top.significant.empty()) {
      // The change stops here: the folder's own row, kept or dropped later by its size.
      rows.push_back({path, sizeIn(baseline, path), sizeIn(latest, path), false});
      stack.pop_back();
    } else if (top.next < top.significant.size()) {
      const std::string* child = top.significant[top.next++];
      stack.push_back(frameFor(*child));  // `top` is not used after this
    } else {
      int64_t explained = 0;
      for (const std::string* child : top.significant) explained = plus(explained, changeOf(*child, latest, baseline));
      int64_t remainder = minus(changeOf(path, latest, baseline), explained);
      if (magnitude(remainder) >= minimumChange) rows.push_back({path, 0, remainder, true});
      stack.pop_back();
    }
  }
}

std::vector<FolderChange> folderChanges(const ScanSnapshot& baseline, const ScanSnapshot& latest, int64_t minimumChange,
                                        size_t limit) {
  if (baseline.root != latest.root) return {};
  const std::string& root = latest.root;
  // A root given with a trailing "/" still parents the paths below it.
  std::string_view bareRoot = root;
  while (bareRoot.size() > 1 && bareRoot.back() == '/') bareRoot.remove_suffix(1);

  std::set<std::string> paths;
  for (const auto& [path, bytes] : baseline.folders) paths.insert(path);
  for (const auto& [path, bytes] : latest.folders) paths.insert(path);
  FolderIndex index;
  for (const std::string& path : paths) {
    if (path == root) continue;
    std::string parent = parentPath(path);
    if (parent == path) continue;  // "/" below another root: it would be its own child
    if (parent == bareRoot) parent = root;
    index[parent].push_back(path);
  }

  std::vector<FolderChange> rows;
  collectFolderChanges(root, index, latest, baseline, minimumChange, rows);
  std::erase_if(rows, [&](const FolderChange& row) { return magnitude(row.change()) < minimumChange; });
  std::stable_sort(rows.begin(), rows.end(), [](const FolderChange& a, const FolderChange& b) {
    return magnitude(a.change()) > magnitude(b.change());
  });
  if (rows.size() > limit) rows.resize(limit);
  return rows;
}

std::vector<BucketChange> bucketChanges(const ScanSnapshot& baseline, const ScanSnapshot& latest,
                                        int64_t minimumChange) {
  auto bytesIn = [](const ScanSnapshot& snapshot, const std::string& key) -> int64_t {
    auto it = snapshot.buckets.find(key);
    return it == snapshot.buckets.end() ? 0 : it->second;
  };
  std::vector<BucketChange> out;
  for (StorageBucket bucket : kAllStorageBuckets) {
    std::string key = bucketKey(bucket);
    int64_t delta = minus(bytesIn(latest, key), bytesIn(baseline, key));
    if (magnitude(delta) >= minimumChange) out.push_back({bucket, delta});
  }
  std::stable_sort(out.begin(), out.end(), [](const BucketChange& a, const BucketChange& b) {
    return magnitude(a.delta) > magnitude(b.delta);
  });
  return out;
}

}  // namespace tolvex
