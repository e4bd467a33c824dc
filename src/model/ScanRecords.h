#pragma once
// What a walk of the scanner gathers, folder by folder, before the tree is laid out: every folder,
// every large file and every file with more than one hard link, in the order each folder listed
// them. Records live in per-thread arenas for the length of one scan.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <string_view>
#include <vector>

#include "model/FileKind.h"
#include "model/StorageBucket.h"

namespace tolvex {

struct FolderRecord;

// A file that may get a node: large, or hard-linked (kept or skipped once the walk order is known).
struct FileRecord {
  std::string_view name;
  int64_t size = 0;    // allocated bytes
  int64_t length = 0;  // byte length
  double modified = 0;
  double accessed = 0;
  uint64_t linkKey = 0;
  FileKind kind = FileKind::other;
  StorageBucket bucket = StorageBucket::other;
  bool linked = false;   // a regular file with two or more links
  bool skipped = false;  // a hard link met after another path of the same file
};

// One entry of a folder that matters after the walk: a child folder or a file record.
struct ScanItem {
  FolderRecord* folder = nullptr;
  FileRecord* file = nullptr;
};

struct FolderRecord {
  std::string_view name;
  const ScanItem* items = nullptr;  // in listing order
  uint32_t itemCount = 0;
  uint32_t childCount = 0;  // the items that become nodes (known once hard links are settled)
  int64_t own = 0;          // the folder's own allocation
  // Files without a record (small and not hard-linked), already counted into the folder.
  int64_t smallSize = 0;
  int64_t smallCount = 0;
  int64_t length = 0;  // their byte lengths
  double modified = 0;
  double accessed = 0;
  StorageBucket bucket = StorageBucket::other;
  FileKind kind = FileKind::other;
  bool isPackage = false;
  bool unreadable = false;
};

// Memory for records: large chunks, freed together.
class Arena {
 public:
  template <typename T>
  T* make() {
    static_assert(std::is_trivially_destructible_v<T>);
    return new (allocate(sizeof(T), alignof(T))) T();
  }
  template <typename T>
  T* copy(const std::vector<T>& items) {
    if (items.empty()) return nullptr;
    T* out = static_cast<T*>(allocate(sizeof(T) * items.size(), alignof(T)));
    std::copy(items.begin(), items.end(), out);
    return out;
  }
  std::string_view copy(std::string_view text) {
    char* out = static_cast<char*>(allocate(text.size(), 1));
    std::copy(text.begin(), text.end(), out);
    return {out, text.size()};
  }

 private:
  static constexpr size_t kChunk = size_t{256} << 10;
  void* allocate(size_t bytes, size_t alignment) {
    size_t skip = (alignment - reinterpret_cast<uintptr_t>(at_) % alignment) % alignment;
    if (!at_ || skip + bytes > left_) {
      const size_t size = std::max(kChunk, bytes + alignment);
      chunks_.push_back(std::make_unique<char[]>(size));
      at_ = chunks_.back().get();
      left_ = size;
      skip = (alignment - reinterpret_cast<uintptr_t>(at_) % alignment) % alignment;
    }
    char* out = at_ + skip;
    at_ = out + bytes;
    left_ -= skip + bytes;
    return out;
  }
  std::vector<std::unique_ptr<char[]>> chunks_;
  char* at_ = nullptr;
  size_t left_ = 0;
};

}  // namespace tolvex
