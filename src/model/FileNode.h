#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "model/FileKind.h"
#include "model/StorageBucket.h"

namespace tolvex {

class FileNode;
class FileTree;

// A node's links to its name, its parent and its children are 32-bit distances inside the one
// block of memory its tree keeps (see FileTree), not pointers: a node of a million-node tree then
// takes 88 bytes. They read like the string, pointer and list they stand for, but live only inside
// their node: they cannot be copied out of it.

// The node's name: its exact bytes, read like a std::string_view.
class NodeName {
 public:
  NodeName(const NodeName&) = delete;
  NodeName& operator=(const NodeName&) = delete;

  const char* data() const;
  size_t size() const;
  bool empty() const { return size() == 0; }
  std::string_view view() const { return {data(), size()}; }
  const char* begin() const { return data(); }
  const char* end() const { return data() + size(); }
  operator std::string_view() const { return view(); }
  operator std::string() const { return std::string(view()); }

  friend bool operator==(const NodeName& a, std::string_view b) { return a.view() == b; }
  friend auto operator<=>(const NodeName& a, std::string_view b) { return a.view() <=> b; }
  friend std::string operator+(std::string a, const NodeName& b) { return a.append(b.view()); }
  friend std::string operator+(const NodeName& a, std::string_view b) { return std::string(a.view()).append(b); }
  friend std::string operator+(const char* a, const NodeName& b) { return std::string(a).append(b.view()); }
  friend std::ostream& operator<<(std::ostream& out, const NodeName& name);

 private:
  friend class FileTree;
  friend class FileNode;
  NodeName() = default;
  const unsigned char* stored() const { return reinterpret_cast<const unsigned char*>(this) + offset_; }
  uint32_t offset_ = 0;  // bytes from this object forward to the stored name
};

// The folder that holds the node, or null for the root: converts to FileNode*.
class ParentLink {
 public:
  ParentLink(const ParentLink&) = delete;
  ParentLink& operator=(const ParentLink&) = delete;

  FileNode* get() const;
  operator FileNode*() const { return get(); }
  FileNode* operator->() const { return get(); }

 private:
  friend class FileTree;
  friend class FileNode;
  ParentLink() = default;
  uint32_t back_ = 0;  // how many nodes before this one the parent stands; 0 for none
};

// The node's children in the order the walk met them: a random-access range of FileNode*.
class ChildList {
 public:
  class iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = FileNode*;
    using difference_type = std::ptrdiff_t;
    using pointer = FileNode* const*;
    using reference = FileNode*;

    iterator() = default;
    FileNode* operator*() const;
    FileNode* operator[](difference_type n) const { return *(*this + n); }
    iterator& operator++() {
      ++i_;
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++i_;
      return old;
    }
    iterator& operator--() {
      --i_;
      return *this;
    }
    iterator operator--(int) {
      iterator old = *this;
      --i_;
      return old;
    }
    iterator& operator+=(difference_type n) {
      i_ += n;
      return *this;
    }
    iterator& operator-=(difference_type n) {
      i_ -= n;
      return *this;
    }
    friend iterator operator+(iterator it, difference_type n) { return it += n; }
    friend iterator operator+(difference_type n, iterator it) { return it += n; }
    friend iterator operator-(iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const iterator& a, const iterator& b) { return a.i_ - b.i_; }
    friend bool operator==(const iterator& a, const iterator& b) { return a.i_ == b.i_; }
    friend auto operator<=>(const iterator& a, const iterator& b) { return a.i_ <=> b.i_; }

   private:
    friend class ChildList;
    iterator(FileNode* base, const uint32_t* listed, difference_type i) : base_(base), listed_(listed), i_(i) {}
    FileNode* base_ = nullptr;          // the first child, or the owner when the children are listed
    const uint32_t* listed_ = nullptr;  // distances from the owner to each child, when listed
    difference_type i_ = 0;
  };
  using const_iterator = iterator;
  using value_type = FileNode*;
  using size_type = size_t;

  ChildList(const ChildList&) = delete;
  ChildList& operator=(const ChildList&) = delete;

  size_t size() const { return count_ & kCountMask; }
  bool empty() const { return size() == 0; }
  iterator begin() const { return at_(0); }
  iterator end() const { return at_(static_cast<std::ptrdiff_t>(size())); }
  FileNode* operator[](size_t i) const { return *at_(static_cast<std::ptrdiff_t>(i)); }
  FileNode* at(size_t i) const;  // throws std::out_of_range past the end
  FileNode* front() const { return (*this)[0]; }
  FileNode* back() const { return (*this)[size() - 1]; }

 private:
  friend class FileTree;
  friend class FileNode;
  static constexpr uint32_t kListed = 0x80000000u;
  static constexpr uint32_t kCountMask = 0x7fffffffu;
  ChildList() = default;
  FileNode* owner() const;
  iterator at_(std::ptrdiff_t i) const;
  bool listed() const { return (count_ & kListed) != 0; }
  // Side by side: how many nodes after the owner the first child stands. Listed (a tree built node
  // by node): bytes from this object forward to an array of distances from the owner to each child.
  uint32_t offset_ = 0;
  uint32_t count_ = 0;  // the top bit tells which of the two
};

// One folder, or one file of at least 512 KiB, of a scanned tree. Nodes are compared and hashed by
// identity (their address); `serial` is a process-unique number, never reused, that selections hold
// instead of pointers.
//
// The tree is built by one thread and then handed over. Afterwards only the fields marked "mutable"
// change (on the UI thread, when items are deleted), while background readers may still walk the
// tree: those fields are atomics, read and written with relaxed ordering. `name`, `parent` and
// `children` never change once the tree has been handed over.
class FileNode {
 public:
  FileNode(const FileNode&) = delete;
  FileNode& operator=(const FileNode&) = delete;

  NodeName name;      // last component; for the root, the whole root path as given
  ParentLink parent;  // weak: the tree owns every node
  const uint64_t serial;

  // Mutable after the scan.
  std::atomic<int64_t> size{0};         // allocated bytes; a folder's own allocation plus everything below
  std::atomic<int64_t> logicalSize{0};  // byte length; a folder's is the sum of the files below
  std::atomic<int64_t> fileCount{0};
  std::atomic<double> modified{0};  // whole seconds since 1970
  std::atomic<double> accessed{0};
  std::atomic<int64_t> smallFilesSize{0};
  std::atomic<int64_t> smallFilesCount{0};

  ChildList children;  // in the order the walk met them

  const bool isDirectory;
  const bool isPackage;
  const FileKind kind;
  std::atomic<StorageBucket> bucket;  // mutable
  std::atomic<bool> unreadable{false};
  std::atomic<bool> deleted{false};

  // The full path, built from the names up the parent chain.
  std::string path() const;
  // The node or one of its ancestors was deleted after the scan.
  bool isGone() const;

 private:
  friend class FileTree;
  FileNode(uint64_t serial, bool isDirectory, bool isPackage, FileKind kind, StorageBucket bucket);
};

// Owns every node of one tree, with their names, in one block of memory: addresses never change,
// and the whole tree is freed at once (no recursion, however deep).
//
// Three ways to build one:
// - node by node with `make` (small trees, tests): the block is reserved large and used as the tree
//   grows, up to about six million nodes;
// - laid out whole when the sizes are known beforehand: the block has exactly the room asked for,
//   and each folder's children stand side by side after `reserveChildren`;
// - laid out as it comes (the scanner, the archive reader), when the sizes are not known: laid out
//   like a whole tree, in a block reserved at its largest whose start the nodes fill and whose end
//   the names fill, each only as far as used. Several threads may add children at once, each
//   through a Writer of its own.
// A tree laid out whole or as it comes holds up to 4 GiB of nodes and names (some 40 million nodes).
class FileTree {
 public:
  FileTree();
  // A tree to be laid out whole: room for `nodes` nodes and `nameBytes` (the sum of `storedSize` of
  // every name). Throws std::bad_alloc when the memory cannot be had, std::length_error beyond 4 GiB.
  FileTree(size_t nodes, size_t nameBytes);
  // A tree laid out as it comes; `seal` it once built. Adding a node throws std::bad_alloc when the
  // memory cannot be had, std::length_error beyond 4 GiB.
  struct AsItComes {
    bool large = false;  // known to be large: huge pages from the start (far fewer page faults)
  };
  explicit FileTree(AsItComes how);
  FileTree(const FileTree&) = delete;
  FileTree& operator=(const FileTree&) = delete;
  ~FileTree();

  // One thread's room for names in a tree laid out as it comes, and its serial numbers.
  class Writer {
   public:
    explicit Writer(FileTree& tree) : tree_(&tree) {}
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    ~Writer();

   private:
    friend class FileTree;
    FileTree* tree_;
    char* at_ = nullptr;  // the free part of its current piece of the name area
    char* end_ = nullptr;
    size_t used_ = 0;  // name bytes stored through it
    uint64_t serial_ = 0;
    uint64_t serialsLeft_ = 0;
  };

  // Node by node: creates a node and, when `parent` is given, appends it to the parent's children.
  FileNode* make(std::string_view name, FileNode* parent, bool isDirectory, bool isPackage, FileKind kind,
                 StorageBucket bucket);

  // Laid out whole: the root first, then for each folder `reserveChildren` with the number of its
  // children, then `makeChild` that many times (in the children's order).
  FileNode* makeRoot(std::string_view name, bool isDirectory, bool isPackage, FileKind kind, StorageBucket bucket);
  void reserveChildren(FileNode* parent, size_t count);
  FileNode* makeChild(FileNode* parent, std::string_view name, bool isDirectory, bool isPackage, FileKind kind,
                      StorageBucket bucket);

  // Laid out as it comes, on several threads: `reserveChildren` may be called from any thread (each
  // folder's by one), and each thread makes children through its own `writer`.
  FileNode* makeChild(Writer& writer, FileNode* parent, std::string_view name, bool isDirectory, bool isPackage,
                      FileKind kind, StorageBucket bucket);
  // Laid out as it comes, once every child is made: leaves only `kept` (some of `parent`'s children,
  // in their order) as its children; the others are no longer part of the tree.
  void keepChildren(FileNode* parent, const std::vector<FileNode*>& kept);
  // Laid out as it comes: the tree is complete (on the thread that built it, or after its writers'
  // threads have ended).
  void seal();

  // The bytes a name takes in the tree.
  static size_t storedSize(std::string_view name) { return name.size() + (name.size() < 255 ? 1 : 5); }

  size_t nodeCount() const { return count_; }
  // The bytes of memory the tree holds (its nodes, names and lists).
  size_t memoryBytes() const;

 private:
  FileNode* place(std::string_view name, FileNode* slot, FileNode* parent, bool isDirectory, bool isPackage,
                  FileKind kind, StorageBucket bucket, Writer* writer = nullptr);
  char* take(size_t bytes, size_t alignment);  // room in the name and list area
  static void commit(char* area, size_t& committed, size_t needed);
  void appendListed(FileNode* parent, FileNode* child);
  // As it comes: room in the name area for a writer, and usable memory up to a node slot.
  char* takeName(Writer& writer, size_t bytes, size_t alignment);
  void commitNodes(size_t slots);
  std::string_view storeIn(Writer& writer, std::string_view name);

  char* block_ = nullptr;  // nodes, then names and lists
  size_t blockSize_ = 0;
  FileNode* nodes_ = nullptr;
  size_t count_ = 0;
  size_t nodeCapacity_ = 0;
  char* extra_ = nullptr;  // the name and list area
  size_t extraUsed_ = 0;
  size_t extraCapacity_ = 0;
  size_t nodeCommitted_ = 0;   // node by node: usable bytes of the node area
  size_t extraCommitted_ = 0;  // and of the name and list area
  size_t reserved_ = 0;        // laid out whole: slots handed out so far (the root's and children's)
  bool wholeLayout_ = false;
  uint64_t nextSerial_ = 0;

  // As it comes.
  bool asItComes_ = false;
  size_t hugePagesPast_ = 0;              // how far into each area huge pages start
  std::atomic<size_t> slotsReserved_{0};  // node slots handed out (the root's and children's)
  std::atomic<size_t> namesTaken_{0};     // bytes of the name area handed to writers, from its end
  std::atomic<size_t> namesUsed_{0};      // name and list bytes stored by writers that have finished
  std::atomic<size_t> nodesCommitted_{0}, namesCommitted_{0};
  size_t dropped_ = 0;                 // nodes left out by `keepChildren`
  std::unique_ptr<Writer> ownWriter_;  // for the calls without a writer
  mutable std::mutex commitLock_;
};

// Relaxed loads and stores of the atomic fields, to keep call sites short.
template <typename T>
inline T get(const std::atomic<T>& field) {
  return field.load(std::memory_order_relaxed);
}
template <typename T, typename U>
inline void set(std::atomic<T>& field, U value) {
  field.store(static_cast<T>(value), std::memory_order_relaxed);
}
template <typename U>
inline void add(std::atomic<int64_t>& field, U delta) {
  field.fetch_add(static_cast<int64_t>(delta), std::memory_order_relaxed);
}

// ---------------------------------------------------------------------------------------------
// The links, once FileNode is complete.

static_assert(std::is_standard_layout_v<FileNode>, "the links find their node through offsetof");

inline const char* NodeName::data() const {
  const unsigned char* s = stored();
  return reinterpret_cast<const char*>(s + (s[0] < 255 ? 1 : 5));
}

inline size_t NodeName::size() const {
  const unsigned char* s = stored();
  if (s[0] < 255) return s[0];
  return size_t{s[1]} | (size_t{s[2]} << 8) | (size_t{s[3]} << 16) | (size_t{s[4]} << 24);
}

inline FileNode* ParentLink::get() const {
  if (back_ == 0) return nullptr;
  auto* self =
      reinterpret_cast<FileNode*>(const_cast<char*>(reinterpret_cast<const char*>(this)) - offsetof(FileNode, parent));
  return self - back_;
}

inline FileNode* ChildList::owner() const {
  return reinterpret_cast<FileNode*>(const_cast<char*>(reinterpret_cast<const char*>(this)) -
                                     offsetof(FileNode, children));
}

inline ChildList::iterator ChildList::at_(std::ptrdiff_t i) const {
  if (listed())
    return iterator(owner(), reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(this) + offset_), i);
  return iterator(owner() + offset_, nullptr, i);
}

inline FileNode* ChildList::iterator::operator*() const { return listed_ ? base_ + listed_[i_] : base_ + i_; }

}  // namespace tolvex
