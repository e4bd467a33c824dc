#include "model/FolderSize.h"

#include <cerrno>
#include <sys/stat.h>
#include <fts.h>
#include <unordered_set>
#include <vector>

namespace tolvex {

FolderSize folderSize(const std::string& path) {
  std::vector<char> cpath(path.begin(), path.end());
  cpath.push_back('\0');
  char* roots[] = {cpath.data(), nullptr};
  FTS* walker = fts_open(roots, FTS_NOCHDIR | FTS_PHYSICAL | FTS_XDEV, nullptr);
  if (!walker) return {};
  FolderSize total;
  std::unordered_set<uint64_t> seenLinks;
  while (FTSENT* entry = fts_read(walker)) {
    switch (entry->fts_info) {
      case FTS_D: total.bytes += static_cast<int64_t>(entry->fts_statp->st_blocks) * 512; break;
      case FTS_F:
        if (entry->fts_statp->st_nlink >= 2 &&
            !seenLinks.insert(hardLinkKey(entry->fts_statp->st_ino, entry->fts_statp->st_dev)).second)
          break;
        [[fallthrough]];
      case FTS_SL:
      case FTS_SLNONE:
      case FTS_DEFAULT:
        total.bytes += static_cast<int64_t>(entry->fts_statp->st_blocks) * 512;
        total.count += 1;
        break;
      case FTS_NS:
        if (entry->fts_level == FTS_ROOTLEVEL && entry->fts_errno == ENOENT) break;  // nothing there
        [[fallthrough]];
      case FTS_DNR:
      case FTS_ERR: total.unreadable += 1; break;
      default:  // post-order visits, cycles
        break;
    }
  }
  fts_close(walker);
  return total;
}

}  // namespace tolvex
