#include "model/ScanArchive.h"

#include <bit>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/lzfse/Lzfse.h"

namespace tolvex {

namespace {

constexpr uint32_t kMagic = 0x54565831;  // "1XVT" on disk
constexpr uint8_t kVersion = 1;
// After a node's name: flags, kind, bucket (1 byte each), seven 8-byte numbers, the child count.
constexpr size_t kRecordTail = 3 + 7 * 8 + 4;
// The smallest node record: an empty name.
constexpr size_t kSmallestRecord = 4 + kRecordTail;
// The largest uncompressed stream we accept: far beyond any real tree (nodes are folders and files of
// 512 KiB or more), and it keeps a hostile file from making us decompress without end.
constexpr size_t kMaxStreamSize = size_t{1} << 31;

// A stream this long holds some 400,000 nodes or more.
constexpr size_t kLargeStream = size_t{32} << 20;

enum : uint8_t { kDirectory = 1, kPackage = 2, kUnreadable = 4 };

// ---------------------------------------------------------------------------------------------
// Writing

inline char* store32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
  return p + 4;
}
inline char* store64(char* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<char>(v >> (8 * i));
  return p + 8;
}
inline char* storeI64(char* p, int64_t v) { return store64(p, static_cast<uint64_t>(v)); }
inline char* storeF64(char* p, double v) { return store64(p, std::bit_cast<uint64_t>(v)); }

void put32(std::string& out, uint32_t v) {
  char b[4];
  store32(b, v);
  out.append(b, 4);
}
void putI64(std::string& out, int64_t v) {
  char b[8];
  storeI64(b, v);
  out.append(b, 8);
}
void putF64(std::string& out, double v) {
  char b[8];
  storeF64(b, v);
  out.append(b, 8);
}
void putStr(std::string& out, std::string_view s) {
  put32(out, static_cast<uint32_t>(s.size()));
  out.append(s);
}

template <typename Key>
void putTable(std::string& out, const std::map<Key, int64_t>& table) {
  put32(out, static_cast<uint32_t>(table.size()));
  for (const auto& [key, value] : table) {
    out.push_back(static_cast<char>(static_cast<uint8_t>(key)));
    putI64(out, value);
  }
}

uint8_t targetByte(const ScanTarget& target) {
  switch (target.kind) {
    case ScanTarget::Kind::wholeDisk: return 0;
    case ScanTarget::Kind::home: return 1;
    case ScanTarget::Kind::folder: return 2;
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Reading

// The decoded stream, read front to back: a whole one in memory, or one decoded piece by piece.
class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : p_(reinterpret_cast<const uint8_t*>(bytes.data())), left_(bytes.size()) {}
  explicit Cursor(LzfseReader& stream) : stream_(&stream) {}

  // The bytes not read yet (piece by piece, as the stream announces them).
  size_t left() const { return stream_ ? static_cast<size_t>(stream_->announcedLeft()) : left_; }

  // The next n bytes, or null when fewer remain. Valid until the next call.
  const uint8_t* take(size_t n) {
    if (stream_) return stream_->take(n);
    if (n > left_) return nullptr;
    const uint8_t* at = p_;
    p_ += n;
    left_ -= n;
    return at;
  }

 private:
  LzfseReader* stream_ = nullptr;
  const uint8_t* p_ = nullptr;
  size_t left_ = 0;
};

inline uint32_t load32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline uint64_t load64(const uint8_t* p) { return uint64_t{load32(p)} | (uint64_t{load32(p + 4)} << 32); }
inline int64_t loadI64(const uint8_t* p) { return static_cast<int64_t>(load64(p)); }
inline double loadF64(const uint8_t* p) { return std::bit_cast<double>(load64(p)); }

std::optional<std::string> readStr(Cursor& c) {
  const uint8_t* size = c.take(4);
  if (!size) return std::nullopt;
  const uint32_t n = load32(size);
  if (n > c.left()) return std::nullopt;
  const uint8_t* bytes = c.take(n);
  if (!bytes) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(bytes), n);
}

// A stored path holds no NUL byte: the system calls would act on the part before it.
bool isPlainPathText(std::string_view text) { return text.find('\0') == std::string_view::npos; }

// A node's name is one entry of its folder.
bool isPlainEntryName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         isPlainPathText(name);
}

using Pairs = std::vector<std::pair<uint8_t, int64_t>>;

std::optional<Pairs> readTable(Cursor& c) {
  const uint8_t* countBytes = c.take(4);
  if (!countBytes) return std::nullopt;
  const uint32_t count = load32(countBytes);
  if (count > kScanArchiveMaxTableEntries) return std::nullopt;
  const uint8_t* entries = c.take(size_t{count} * 9);
  if (!entries) return std::nullopt;
  Pairs pairs;
  pairs.reserve(count);
  for (uint32_t i = 0; i < count; ++i) pairs.emplace_back(entries[9 * i], loadI64(entries + 9 * i + 1));
  return pairs;
}

// Pairs with a valid key become the map; a later pair overwrites an earlier one with the same key.
template <typename Key>
std::map<Key, int64_t> toMap(const Pairs& pairs, std::optional<Key> (*fromRaw)(unsigned)) {
  std::map<Key, int64_t> map;
  for (const auto& [raw, value] : pairs)
    if (auto key = fromRaw(raw)) map[*key] = value;
  return map;
}

// Reads the node records in pre-order, calling `visit(name, record tail, child count, parent)` for
// each, where `parent` points to what `visit` returned for the node's parent (null for the root).
// `announced` is the number of children promised by the open nodes and not read yet: each needs at
// least the smallest record, so a count the remaining bytes cannot hold ends the read at once.
// False for records cut short or counts the data cannot hold.
template <typename Token, typename Visit>
bool readRecords(Cursor& c, Visit&& visit) {
  struct Frame {
    Token token;
    uint64_t remaining;
  };
  std::vector<Frame> stack;
  uint64_t announced = 0;
  for (;;) {
    // The name's length, then the name and the record's tail together.
    const uint8_t* size = c.take(4);
    if (!size) return false;
    const uint32_t n = load32(size);
    if (n > c.left()) return false;
    const uint8_t* record = c.take(size_t{n} + kRecordTail);
    if (!record) return false;
    const std::string_view name(reinterpret_cast<const char*>(record), n);
    // A name is one entry of its folder (the root's is its full path): anything else would make a
    // node's path name another file than the one scanned.
    if (stack.empty() ? !isPlainPathText(name) : !isPlainEntryName(name)) return false;
    const uint8_t* r = record + n;
    const uint32_t childCount = load32(r + 59);
    Token token = visit(name, r, childCount, stack.empty() ? nullptr : &stack.back().token);
    if (!stack.empty()) {
      --stack.back().remaining;
      --announced;
      while (!stack.empty() && stack.back().remaining == 0) stack.pop_back();
    }
    if (childCount > 0) {
      if (announced + childCount > c.left() / kSmallestRecord) return false;
      stack.push_back({token, childCount});
      announced += childCount;
    }
    if (stack.empty()) return true;  // bytes after the last record do not matter
  }
}

}  // namespace

std::string scanArchiveBytes(const ScanResult& result, const ScanTarget& target) {
  if (!result.root) throw std::runtime_error("the scan has no tree to archive");
  std::string out;
  const size_t nodes = result.tree ? result.tree->nodeCount() : 1;
  out.reserve(256 + nodes * (kSmallestRecord + 16));

  put32(out, kMagic);
  out.push_back(static_cast<char>(kVersion));
  out.push_back(static_cast<char>(targetByte(target)));
  putStr(out, target.kind == ScanTarget::Kind::folder ? std::string_view(target.folderPath) : std::string_view());
  putStr(out, result.rootPath);
  putTable(out, result.bucketTotals);
  putTable(out, result.kindTotals);
  putTable(out, result.kindCounts);
  putI64(out, result.totalFiles);
  putI64(out, result.totalDirectories);
  putI64(out, result.unreadableDirectories);
  putI64(out, result.hardLinksSkipped);
  putF64(out, result.duration);
  putF64(out, result.finishedAt);

  // Depth-first pre-order with an explicit stack: children are pushed in reverse so the first is
  // written next. Each child's `deleted` flag is read once, so the count written always matches
  // the records that follow, even if a node is marked deleted meanwhile.
  std::vector<const FileNode*> stack{result.root};
  std::vector<const FileNode*> kept;
  while (!stack.empty()) {
    const FileNode* node = stack.back();
    stack.pop_back();
    kept.clear();
    for (const FileNode* child : node->children)
      if (!get(child->deleted)) kept.push_back(child);

    const size_t at = out.size();
    out.resize(at + 4 + node->name.size() + kRecordTail);
    char* p = out.data() + at;
    p = store32(p, static_cast<uint32_t>(node->name.size()));
    std::memcpy(p, node->name.data(), node->name.size());
    p += node->name.size();
    *p++ = static_cast<char>((node->isDirectory ? kDirectory : 0) | (node->isPackage ? kPackage : 0) |
                             (get(node->unreadable) ? kUnreadable : 0));
    *p++ = static_cast<char>(static_cast<uint8_t>(node->kind));
    *p++ = static_cast<char>(static_cast<uint8_t>(get(node->bucket)));
    p = storeI64(p, get(node->size));
    p = storeI64(p, get(node->logicalSize));
    p = storeI64(p, get(node->fileCount));
    p = storeF64(p, get(node->modified));
    p = storeF64(p, get(node->accessed));
    p = storeI64(p, get(node->smallFilesSize));
    p = storeI64(p, get(node->smallFilesCount));
    store32(p, static_cast<uint32_t>(kept.size()));

    for (size_t i = kept.size(); i-- > 0;) stack.push_back(kept[i]);
  }
  return out;
}

void writeScanArchive(const ScanResult& result, const ScanTarget& target, const std::string& path) {
  const std::string compressed = lzfseEncode(scanArchiveBytes(result, target));
  if (int error = writeFileAtomically(path, compressed))
    throw std::runtime_error("could not write the scan archive: " + std::string(std::strerror(error)));
}

namespace {

// Reads the archive from `c`; none for anything that is not a complete, valid archive.
std::optional<std::pair<ScanResult, ScanTarget>> readArchive(Cursor& c) {
  const uint8_t* head = c.take(6);
  if (!head || load32(head) != kMagic || head[4] != kVersion) return std::nullopt;
  const uint8_t targetRaw = head[5];
  const auto folderPath = readStr(c);
  if (!folderPath || !isPlainPathText(*folderPath)) return std::nullopt;
  ScanTarget target;
  switch (targetRaw) {
    case 0: target = ScanTarget::wholeDisk(); break;
    case 1: target = ScanTarget::home(); break;
    case 2: target = ScanTarget::folder(*folderPath); break;
    default: return std::nullopt;
  }

  ScanResult result;
  auto rootPath = readStr(c);
  if (!rootPath || !isPlainPathText(*rootPath)) return std::nullopt;
  result.rootPath = std::move(*rootPath);
  auto bucketPairs = readTable(c);
  if (!bucketPairs) return std::nullopt;
  auto kindTotalPairs = readTable(c);
  if (!kindTotalPairs) return std::nullopt;
  auto kindCountPairs = readTable(c);
  if (!kindCountPairs) return std::nullopt;
  const uint8_t* totals = c.take(48);
  if (!totals) return std::nullopt;
  result.totalFiles = loadI64(totals);
  result.totalDirectories = loadI64(totals + 8);
  result.unreadableDirectories = loadI64(totals + 16);
  result.hardLinksSkipped = loadI64(totals + 24);
  result.duration = loadF64(totals + 32);
  result.finishedAt = loadF64(totals + 40);

  // Nodes, in one pass into a tree laid out as it comes: each node's children are reserved when its
  // record is read, so they stand side by side; slots take memory only as they are filled.
  // A long stream makes a large tree (nodes take a little more than their records).
  auto tree = std::make_shared<FileTree>(FileTree::AsItComes{c.left() >= kLargeStream});
  const bool valid = readRecords<FileNode*>(
      c, [&](std::string_view name, const uint8_t* r, uint32_t childCount, FileNode* const* parent) {
        const uint8_t flags = r[0];
        const FileKind kind = fileKindFromRaw(r[1]).value_or(FileKind::other);
        const StorageBucket bucket = storageBucketFromRaw(r[2]).value_or(StorageBucket::other);
        FileNode* node = parent ? tree->makeChild(*parent, name, flags & kDirectory, flags & kPackage, kind, bucket)
                                : tree->makeRoot(name, flags & kDirectory, flags & kPackage, kind, bucket);
        if (childCount > 0) tree->reserveChildren(node, childCount);
        set(node->size, loadI64(r + 3));
        set(node->logicalSize, loadI64(r + 11));
        set(node->fileCount, loadI64(r + 19));
        set(node->modified, loadF64(r + 27));
        set(node->accessed, loadF64(r + 35));
        set(node->smallFilesSize, loadI64(r + 43));
        set(node->smallFilesCount, loadI64(r + 51));
        set(node->unreadable, (flags & kUnreadable) != 0);
        if (!result.root) result.root = node;
        if (!node->isDirectory) result.files.push_back(node);
        return node;
      });
  if (!valid) return std::nullopt;
  tree->seal();

  result.tree = std::move(tree);
  result.bucketTotals = toMap<StorageBucket>(*bucketPairs, storageBucketFromRaw);
  result.kindTotals = toMap<FileKind>(*kindTotalPairs, fileKindFromRaw);
  result.kindCounts = toMap<FileKind>(*kindCountPairs, fileKindFromRaw);
  return std::make_pair(std::move(result), std::move(target));
}

}  // namespace

std::optional<std::pair<ScanResult, ScanTarget>> readScanArchiveBytes(std::string_view bytes) {
  try {
    Cursor c(bytes);
    return readArchive(c);
  } catch (const std::length_error&) {
    return std::nullopt;  // beyond what one tree holds
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

std::optional<std::pair<ScanResult, ScanTarget>> readScanArchive(const std::string& path) {
  try {
    // Never through a link, and never waiting on a FIFO put in the archive's place. The stream is
    // decoded piece by piece into the tree: the whole decoded stream is never held.
    const auto compressed = readWholeFile(path, FileLinks::refuse);
    if (!compressed) return std::nullopt;
    LzfseReader stream(*compressed, kMaxStreamSize);
    Cursor c(stream);
    auto archive = readArchive(c);
    // Bytes after the last record do not matter, but the stream must be valid to its end.
    if (!archive || !stream.finish()) return std::nullopt;
    return archive;
  } catch (const std::length_error&) {
    return std::nullopt;  // beyond what one tree holds
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // a huge archive on a machine short of memory: start without it
  }
}

}  // namespace tolvex
