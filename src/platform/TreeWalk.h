#pragma once
// A walk of one folder tree with the semantics of fts "physical, no chdir, one device": links are
// reported and never followed; a folder on another device is visited but not listed; a folder that
// is one of its own ancestors (a bind mount) is left out; entries come in the order the file system
// lists them. Folders are the unit of work: each is opened through its parent's descriptor and read
// whole with a FolderReader. With more than one thread a bounded pool reads folders in parallel;
// the visitor gets every folder's listing and puts the pieces in order itself.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FolderReader.h"

namespace tolvex {

class WalkPool;

// A folder being walked, from its pre-order visit to its post-order visit.
struct WalkFolder {
  void* data = nullptr;  // the visitor's
  std::string path;      // the root as given, then names joined with "/"
  WalkFolder* parent = nullptr;
  uint64_t device = 0;
  uint64_t inode = 0;

  // The walk's own.
  size_t nameStart = 0;  // where the last component begins in `path`
  int fd = -1;           // kept open while child folders still have to open through it
  std::atomic<int> fdUsers{0};
  std::atomic<int> pending{0};  // the folder's own listing plus its child folders not yet left
};

// The child folders of a listed folder that the visitor chooses to walk.
class ChildFolders {
 public:
  // True for an entry that the walk may enter: a folder that could be examined and is not one of its
  // own ancestors.
  bool enterable(size_t index) const;
  // The path of the entry at `index`.
  std::string pathOf(size_t index) const;
  // Walks the folder at `index` (enterable) with the visitor's `data`; `path` is `pathOf(index)`.
  void enter(size_t index, void* data, std::string path);

 private:
  friend class WalkPool;
  ChildFolders(const WalkFolder& folder, const FolderReader& reader) : folder_(folder), reader_(reader) {}
  struct Chosen {
    size_t index;
    void* data;
    std::string path;
  };
  const WalkFolder& folder_;
  const FolderReader& reader_;
  std::vector<Chosen> chosen_;
};

// Callbacks of a walk. With more than one thread they come from several threads at once; `worker`
// (below the walk's thread count) tells which, so that a visitor can keep per-thread state.
class WalkVisitor {
 public:
  virtual ~WalkVisitor() = default;
  // Pre-order, before the folder is listed. False stops the whole walk: nothing more is visited.
  virtual bool enter(WalkFolder& folder, unsigned worker) = 0;
  // The folder could not be opened, or its listing failed part way (what was read still follows).
  virtual void unreadable(WalkFolder& folder, unsigned worker) = 0;
  // The folder's entries in the order listed; the visitor picks the child folders to walk.
  virtual void listed(WalkFolder& folder, const FolderReader& reader, ChildFolders& children, unsigned worker) = 0;
  // Post-order: the folder and everything below it are done.
  virtual void leave(WalkFolder& folder, unsigned worker) = 0;
};

class TreeWalk {
 public:
  // `threads` 1 walks on the calling thread alone, depth first, child folders in listing order.
  explicit TreeWalk(unsigned threads) : threads_(threads == 0 ? 1 : threads) {}

  // Walks from the folder `root`, which the caller has examined (`rootStat`), with `rootData`.
  // Returns false when the visitor stopped the walk.
  bool run(const std::string& root, const EntryStat& rootStat, void* rootData, WalkVisitor& visitor);

  unsigned threads() const { return threads_; }

 private:
  unsigned threads_;
};

// The threads a walk profits from: the processors this process may use, at most 8 (past that, the
// kernel's own locks on the file system's metadata let a walk gain little). A disk's "rotational"
// flag is no guide: virtual disks report it whatever backs them, and with the metadata in the
// cache a parallel walk gains on any disk.
unsigned walkThreads();

// `base` + "/" + `name`, as fts joins them: one trailing "/" of `base` stands for the separator.
std::string joinPath(std::string_view base, std::string_view name);

}  // namespace tolvex
