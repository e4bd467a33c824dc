#include "model/FileNode.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace tolvex {

namespace {

std::atomic<uint64_t> nextSerial{1};

constexpr size_t kHugePage = size_t{2} << 20;
// Node by node: the block reserved for a tree (address space only; pages are committed as used),
// its first half for nodes, its second for names and lists.
constexpr size_t kGrowingBlock = size_t{1} << 30;
constexpr size_t kCommitStep = size_t{1} << 20;
// Laid out whole: distances are 32-bit.
constexpr size_t kMaxWholeBlock = (size_t{1} << 32) - 1;
// As it comes: the block reserved (address space only), as large as distances reach; names are
// handed to writers in pieces, serial numbers in batches.
constexpr size_t kAsItComesBlock = (size_t{4} << 30) - kHugePage;
constexpr size_t kNamePiece = size_t{16} << 10;
constexpr uint64_t kSerialBatch = 4096;
// As it comes, huge pages back what lies past this much of either area (unless the tree is known to
// be large): a large tree then takes far fewer page faults, and a small one is not rounded up to
// whole huge pages.
constexpr size_t kHugePagesPast = size_t{32} << 20;

// Makes `size` bytes at `at` usable, with huge pages if they lie far enough into their area.
void commitRange(char* at, size_t size, size_t areaEnd, size_t hugePagesPast) {
  if (::mprotect(at, size, PROT_READ | PROT_WRITE) != 0) throw std::bad_alloc();
  if (areaEnd > hugePagesPast) ::madvise(at, size, MADV_HUGEPAGE);  // only a hint
}

size_t roundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

// Maps `size` bytes aligned to 2 MiB, so the kernel can back a large tree with huge pages (far fewer
// page faults while it is built); `access` false reserves address space only.
char* mapBlock(size_t size, bool access) {
  const size_t padded = size + kHugePage;
  const int protection = access ? PROT_READ | PROT_WRITE : PROT_NONE;
  void* raw = ::mmap(nullptr, padded, protection, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  char* start = static_cast<char*>(raw);
  char* aligned = reinterpret_cast<char*>(roundUp(reinterpret_cast<uintptr_t>(start), kHugePage));
  if (aligned > start) ::munmap(start, static_cast<size_t>(aligned - start));
  char* end = start + padded;
  if (end > aligned + size) ::munmap(aligned + size, static_cast<size_t>(end - (aligned + size)));
  if (access && size >= kHugePage) ::madvise(aligned, size, MADV_HUGEPAGE);
  return aligned;
}

void storeName(unsigned char* at, std::string_view name) {
  if (name.size() < 255) {
    *at++ = static_cast<unsigned char>(name.size());
  } else {
    const auto n = static_cast<uint32_t>(name.size());
    *at++ = 255;
    for (int i = 0; i < 4; ++i) *at++ = static_cast<unsigned char>(n >> (8 * i));
  }
  std::memcpy(at, name.data(), name.size());
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const NodeName& name) { return out << name.view(); }

FileNode* ChildList::at(size_t i) const {
  if (i >= size()) throw std::out_of_range("no such child");
  return (*this)[i];
}

FileNode::FileNode(uint64_t serial_, bool isDirectory_, bool isPackage_, FileKind kind_, StorageBucket bucket_)
    : serial(serial_), isDirectory(isDirectory_), isPackage(isPackage_), kind(kind_), bucket(bucket_) {}

std::string FileNode::path() const {
  std::vector<const FileNode*> chain;
  for (const FileNode* node = this; node; node = node->parent) chain.push_back(node);
  const std::string_view rootName = chain.back()->name;
  if (chain.size() == 1) return std::string(rootName);
  size_t length = rootName.size() + 1;
  for (size_t i = 0; i + 1 < chain.size(); ++i) length += chain[i]->name.size() + 1;
  std::string out;
  out.reserve(length);
  out = rootName;
  if (out.empty() || out.back() != '/') out += '/';
  for (size_t i = chain.size() - 1; i-- > 0;) {
    out += chain[i]->name.view();
    if (i > 0) out += '/';
  }
  return out;
}

bool FileNode::isGone() const {
  for (const FileNode* node = this; node; node = node->parent)
    if (node->deleted.load(std::memory_order_relaxed)) return true;
  return false;
}

// ---------------------------------------------------------------------------------------------
// FileTree

FileTree::FileTree() {
  block_ = mapBlock(kGrowingBlock, false);
  blockSize_ = kGrowingBlock;
  nodes_ = reinterpret_cast<FileNode*>(block_);
  nodeCapacity_ = kGrowingBlock / 2 / sizeof(FileNode);
  extra_ = block_ + kGrowingBlock / 2;
  extraCapacity_ = kGrowingBlock / 2;
}

FileTree::FileTree(size_t nodes, size_t nameBytes) : wholeLayout_(true) {
  if (nodes > kMaxWholeBlock / sizeof(FileNode) || nameBytes > kMaxWholeBlock - nodes * sizeof(FileNode))
    throw std::length_error("a tree of more than 4 GiB");
  const size_t nodeBytes = nodes * sizeof(FileNode);
  blockSize_ = std::max<size_t>(roundUp(nodeBytes + nameBytes, 4096), 4096);
  block_ = mapBlock(blockSize_, true);
  nodes_ = reinterpret_cast<FileNode*>(block_);
  nodeCapacity_ = nodes;
  extra_ = block_ + nodeBytes;
  extraCapacity_ = nameBytes;
  nodeCommitted_ = nodeBytes;
  extraCommitted_ = nameBytes;
  nextSerial_ = nextSerial.fetch_add(nodes, std::memory_order_relaxed);
}

FileTree::FileTree(AsItComes how)
    : wholeLayout_(true), asItComes_(true), hugePagesPast_(how.large ? 0 : kHugePagesPast) {
  block_ = mapBlock(kAsItComesBlock, false);
  blockSize_ = kAsItComesBlock;
  nodes_ = reinterpret_cast<FileNode*>(block_);
  nodeCapacity_ = blockSize_ / sizeof(FileNode);
  ownWriter_ = std::make_unique<Writer>(*this);
}

FileTree::Writer::~Writer() { tree_->namesUsed_.fetch_add(used_, std::memory_order_relaxed); }

FileTree::~FileTree() {
  // Nodes hold nothing outside the block: unmapping it frees them all.
  static_assert(std::is_trivially_destructible_v<FileNode>);
  ::munmap(block_, blockSize_);
}

size_t FileTree::memoryBytes() const {
  return count_ * sizeof(FileNode) + (asItComes_ ? namesUsed_.load(std::memory_order_relaxed) : extraUsed_);
}

// As it comes: makes the node slots below `slots` usable. Pages are made usable in large steps under
// a lock; the threads that find them usable already take no lock.
void FileTree::commitNodes(size_t slots) {
  const size_t needed = slots * sizeof(FileNode);
  if (needed <= nodesCommitted_.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> guard(commitLock_);
  const size_t committed = nodesCommitted_.load(std::memory_order_relaxed);
  if (needed <= committed) return;
  const size_t target = std::min(roundUp(needed, kHugePage), blockSize_);
  commitRange(block_ + committed, target - committed, target, hugePagesPast_);
  nodesCommitted_.store(target, std::memory_order_release);
}

// As it comes: `bytes` of the name area for `writer`, which takes a new piece from the end of the
// block when its own is used up. The node slots and the name area must not meet: each side adds
// its share first and then looks at the other's, so one of two threads racing to the middle sees it.
char* FileTree::takeName(Writer& writer, size_t bytes, size_t alignment) {
  char* at = reinterpret_cast<char*>(roundUp(reinterpret_cast<uintptr_t>(writer.at_), alignment));
  if (!writer.at_ || at > writer.end_ || bytes > static_cast<size_t>(writer.end_ - at)) {
    const size_t piece = roundUp(std::max(kNamePiece, bytes + alignment), alignment);
    const size_t taken = namesTaken_.fetch_add(piece) + piece;
    if (taken > blockSize_ || slotsReserved_.load() * sizeof(FileNode) > blockSize_ - taken)
      throw std::length_error("a tree of more than 4 GiB");
    {
      std::lock_guard<std::mutex> guard(commitLock_);
      const size_t committed = namesCommitted_.load(std::memory_order_relaxed);
      if (taken > committed) {
        const size_t target = std::min(roundUp(taken, kHugePage), blockSize_);
        commitRange(block_ + blockSize_ - target, target - committed, target, hugePagesPast_);
        namesCommitted_.store(target, std::memory_order_relaxed);
      }
    }
    writer.at_ = block_ + blockSize_ - taken;
    writer.end_ = writer.at_ + piece;
    at = reinterpret_cast<char*>(roundUp(reinterpret_cast<uintptr_t>(writer.at_), alignment));
  }
  writer.at_ = at + bytes;
  writer.used_ += bytes;
  return at;
}

// Node by node: makes the first `needed` bytes from `area` usable.
void FileTree::commit(char* area, size_t& committed, size_t needed) {
  if (needed <= committed) return;
  const size_t target = roundUp(needed, kCommitStep);
  if (::mprotect(area + committed, target - committed, PROT_READ | PROT_WRITE) != 0) throw std::bad_alloc();
  committed = target;
}

char* FileTree::take(size_t bytes, size_t alignment) {
  const size_t at = roundUp(extraUsed_, alignment);
  if (at > extraCapacity_ || bytes > extraCapacity_ - at) throw std::length_error("the tree's name area is full");
  if (!wholeLayout_) commit(extra_, extraCommitted_, at + bytes);
  extraUsed_ = at + bytes;
  return extra_ + at;
}

FileNode* FileTree::place(std::string_view name, FileNode* slot, FileNode* parent, bool isDirectory, bool isPackage,
                          FileKind kind, StorageBucket bucket, Writer* writer) {
  unsigned char* stored;
  uint64_t serial;
  if (writer) {
    stored = reinterpret_cast<unsigned char*>(takeName(*writer, storedSize(name), 1));
    if (writer->serialsLeft_ == 0) {
      writer->serial_ = nextSerial.fetch_add(kSerialBatch, std::memory_order_relaxed);
      writer->serialsLeft_ = kSerialBatch;
    }
    serial = writer->serial_++;
    --writer->serialsLeft_;
  } else {
    stored = reinterpret_cast<unsigned char*>(take(storedSize(name), 1));
    serial = wholeLayout_ ? nextSerial_++ : nextSerial.fetch_add(1, std::memory_order_relaxed);
    ++count_;  // as it comes, `seal` counts the nodes
  }
  FileNode* node = new (slot) FileNode(serial, isDirectory, isPackage, kind, bucket);
  storeName(stored, name);
  node->name.offset_ = static_cast<uint32_t>(stored - reinterpret_cast<const unsigned char*>(&node->name));
  if (parent) node->parent.back_ = static_cast<uint32_t>(node - parent);
  return node;
}

FileNode* FileTree::make(std::string_view name, FileNode* parent, bool isDirectory, bool isPackage, FileKind kind,
                         StorageBucket bucket) {
  if (wholeLayout_) throw std::logic_error("this tree is laid out whole");
  if (count_ == nodeCapacity_) throw std::length_error("the tree is full");
  commit(block_, nodeCommitted_, (count_ + 1) * sizeof(FileNode));
  FileNode* node = place(name, nodes_ + count_, parent, isDirectory, isPackage, kind, bucket);
  if (parent) appendListed(parent, node);
  return node;
}

// A listed child array holds 4 distances at first and doubles when full; the old one is left behind.
void FileTree::appendListed(FileNode* parent, FileNode* child) {
  ChildList& list = parent->children;
  const size_t count = list.size();
  uint32_t* entries = count == 0 ? nullptr : reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(&list) + list.offset_);
  const bool full = count == 0 || (count >= 4 && (count & (count - 1)) == 0);
  if (full) {
    const size_t capacity = count == 0 ? 4 : count * 2;
    auto* grown = reinterpret_cast<uint32_t*>(take(capacity * sizeof(uint32_t), alignof(uint32_t)));
    if (count > 0) std::memcpy(grown, entries, count * sizeof(uint32_t));
    entries = grown;
    list.offset_ = static_cast<uint32_t>(reinterpret_cast<char*>(grown) - reinterpret_cast<char*>(&list));
  }
  entries[count] = static_cast<uint32_t>(child - parent);
  list.count_ = static_cast<uint32_t>(count + 1) | ChildList::kListed;
}

FileNode* FileTree::makeRoot(std::string_view name, bool isDirectory, bool isPackage, FileKind kind,
                             StorageBucket bucket) {
  if (asItComes_) {
    if (slotsReserved_.exchange(1) != 0) throw std::logic_error("the root comes first");
    commitNodes(1);
    return place(name, nodes_, nullptr, isDirectory, isPackage, kind, bucket, ownWriter_.get());
  }
  if (!wholeLayout_ || count_ != 0 || nodeCapacity_ == 0) throw std::logic_error("the root comes first");
  reserved_ = 1;
  return place(name, nodes_, nullptr, isDirectory, isPackage, kind, bucket);
}

void FileTree::reserveChildren(FileNode* parent, size_t count) {
  if (!wholeLayout_ || parent->children.size() != 0) throw std::logic_error("children beyond the tree's room");
  size_t first;
  if (asItComes_) {
    // Room only: the slots become memory as children are made in them.
    if (count > nodeCapacity_) throw std::length_error("a tree of more than 4 GiB");
    first = slotsReserved_.fetch_add(count);
    if (first + count > nodeCapacity_ || (first + count) * sizeof(FileNode) > blockSize_ - namesTaken_.load())
      throw std::length_error("a tree of more than 4 GiB");
  } else {
    if (count > nodeCapacity_ - reserved_) throw std::logic_error("children beyond the tree's room");
    first = reserved_;
    reserved_ += count;
  }
  parent->children.offset_ = static_cast<uint32_t>((nodes_ + first) - parent);
  parent->children.count_ = 0;
}

FileNode* FileTree::makeChild(FileNode* parent, std::string_view name, bool isDirectory, bool isPackage, FileKind kind,
                              StorageBucket bucket) {
  if (asItComes_) return makeChild(*ownWriter_, parent, name, isDirectory, isPackage, kind, bucket);
  // The caller makes no more children than it reserved: the archive reader and the scanner know
  // each folder's count before they start on it.
  if (parent->children.offset_ == 0) throw std::logic_error("no room reserved for children");
  FileNode* slot = parent + parent->children.offset_ + parent->children.count_;
  if (slot >= nodes_ + reserved_) throw std::logic_error("a child beyond the reserved room");
  FileNode* node = place(name, slot, parent, isDirectory, isPackage, kind, bucket);
  ++parent->children.count_;
  return node;
}

FileNode* FileTree::makeChild(Writer& writer, FileNode* parent, std::string_view name, bool isDirectory, bool isPackage,
                              FileKind kind, StorageBucket bucket) {
  if (!asItComes_ || writer.tree_ != this) throw std::logic_error("a writer for a tree laid out as it comes");
  if (parent->children.offset_ == 0) throw std::logic_error("no room reserved for children");
  FileNode* slot = parent + parent->children.offset_ + parent->children.count_;
  // The slot was reserved by this thread or handed over with its parent: its own load sees it.
  const size_t index = static_cast<size_t>(slot - nodes_);
  if (index >= slotsReserved_.load(std::memory_order_relaxed))
    throw std::logic_error("a child beyond the reserved room");
  commitNodes(index + 1);
  FileNode* node = place(name, slot, parent, isDirectory, isPackage, kind, bucket, &writer);
  ++parent->children.count_;
  return node;
}

void FileTree::keepChildren(FileNode* parent, const std::vector<FileNode*>& kept) {
  if (!asItComes_) throw std::logic_error("only a tree laid out as it comes drops children");
  ChildList& list = parent->children;
  const size_t before = list.size();
  if (kept.size() == before) return;
  dropped_ += before - kept.size();
  if (kept.empty()) {
    list.offset_ = 0;
    list.count_ = 0;
    return;
  }
  // The survivors no longer stand side by side: they are listed.
  auto* entries = reinterpret_cast<uint32_t*>(takeName(*ownWriter_, kept.size() * sizeof(uint32_t), alignof(uint32_t)));
  for (size_t i = 0; i < kept.size(); ++i) entries[i] = static_cast<uint32_t>(kept[i] - parent);
  list.offset_ = static_cast<uint32_t>(reinterpret_cast<char*>(entries) - reinterpret_cast<char*>(&list));
  list.count_ = static_cast<uint32_t>(kept.size()) | ChildList::kListed;
}

void FileTree::seal() {
  if (!asItComes_) return;
  count_ = slotsReserved_.load() - dropped_;
  ownWriter_.reset();  // its name bytes are counted
}

}  // namespace tolvex
