#include "model/Scanner.h"

#include <fcntl.h>

#include <chrono>
#include <string_view>
#include <unordered_set>

#include "model/DisplayPath.h"
#include "model/ScanAssembly.h"
#include "model/ScanCollector.h"
#include "model/StorageBucket.h"
#include "platform/FolderReader.h"
#include "platform/Paths.h"
#include "platform/TreeWalk.h"

namespace tolvex {

void Scanner::cancel() {
  std::lock_guard<std::mutex> guard(lock);
  _cancelled = true;
}

bool Scanner::isCancelled() const {
  std::lock_guard<std::mutex> guard(lock);
  return _cancelled;
}

std::optional<ScanResult> Scanner::walk(const std::string& root, const std::set<std::string>& excluded,
                                        const Progress& progress) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();

  // The root is examined without following a link: it must be a folder itself. A path with a NUL
  // byte inside names nothing.
  if (root.empty() || root.find('\0') != std::string::npos) return std::nullopt;
  EntryStat rootStat;
  if (statEntry(AT_FDCWD, root.c_str(), rootStat) != 0 || rootStat.type != EntryType::folder) return std::nullopt;

  const Places places = places_ ? *places_ : Places::current();
  const PathClassifier classifier(foldedPath(places.home), foldedPath(parentPath(places.trashFiles)));
  // Views into the caller's set, which outlives the walk: lookups need no string of their own.
  const std::unordered_set<std::string_view> excludedPaths(excluded.begin(), excluded.end());

  const auto cancelled = [this] { return isCancelled(); };
  ScanProgress reports(progress, progressInterval_, cancelled);
  const unsigned threads = threads_ != 0 ? threads_ : walkThreads();
  auto tree = std::make_shared<FileTree>(FileTree::AsItComes{});
  ScanCollector collector(*tree, threads, classifier, excludedPaths, reports, cancelled);
  FileNode* rootNode = collector.makeRoot(root, rootStat);
  if (!TreeWalk(threads).run(root, rootStat, rootNode, collector) || collector.overflowed()) return std::nullopt;

  ScanResult result = assembleScan(std::move(tree), rootNode, root, collector.totals(), collector.takeLinkedFiles());
  result.duration = std::chrono::duration<double>(Clock::now() - start).count();
  result.finishedAt = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  return result;
}

}  // namespace tolvex
